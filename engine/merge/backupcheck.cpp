#include "backupcheck.h"

#include "backupmanifest.h"
#include "mbdbindex.h"
#include "sqlitedb.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

bool IsPlainFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && !info.isSymLink();
}

QString Check(const QString& folder)
{
    const QDir dir(folder);
    for (const char* name : {"Info.plist", "Manifest.plist"}) {
        if (!IsPlainFile(dir.filePath(QLatin1String(name))))
            return QStringLiteral("it has no %1").arg(QLatin1String(name));
    }
    QString index = dir.filePath(QStringLiteral("Manifest.db"));
    const QString mbdb = dir.filePath(QStringLiteral("Manifest.mbdb"));
    const bool older = !IsPlainFile(index) && IsPlainFile(mbdb);
    if (!IsPlainFile(index) && !older)
        return QStringLiteral("it has no Manifest.db");
    if (BackupManifest::ReadPlist(folder, QStringLiteral("Manifest.plist"))
            .toMap()
            .value(QStringLiteral("IsEncrypted"))
            .toBool())
        return QString();
    // An older phone's index is read as the scan reads it, privately.
    QTemporaryDir work(QDir(QDir::tempPath()).filePath(QStringLiteral("mmobile-check-XXXXXX")));
    MbdbIndex converted;
    if (older) {
        if (!work.isValid() || !converted.Convert(mbdb, work.path()))
            return QStringLiteral("its index cannot be read: %1").arg(converted.ErrorText());
        index = converted.DatabasePath();
    }
    SqliteDb db;
    if (!db.Open(index))
        return QStringLiteral("its index cannot be read: %1").arg(db.LastError());
    QString result;
    if (!db.Query(QStringLiteral("PRAGMA quick_check"),
                  [&result](const SqliteDb::Row& row) {
                      result = result.isEmpty() ? row.String(0) : result;
                      return true;
                  }) ||
        result != QLatin1String("ok"))
        return QStringLiteral("its index is damaged");
    QString missing;
    const bool listed =
        db.Query(QStringLiteral("SELECT fileID, relativePath FROM Files WHERE flags = 1"),
                 [&](const SqliteDb::Row& row) {
                     const QString id = row.String(0);
                     // Older phones keep the files in the folder itself.
                     if (!BackupManifest::IsFileId(id) ||
                         (!IsPlainFile(dir.filePath(id.left(2) + QLatin1Char('/') + id)) &&
                          !(older && IsPlainFile(dir.filePath(id)))))
                         missing = row.String(1);
                     return missing.isEmpty();
                 });
    if (!listed && missing.isEmpty())
        return QStringLiteral("its index cannot be read: %1").arg(db.LastError());
    return missing.isEmpty() ? QString()
                             : QStringLiteral("the content of %1 is missing").arg(missing);
}

} // namespace

bool BackupCheck::IsComplete(const QString& folder, QString* reason)
{
    const QString why = Check(folder);
    if (reason)
        *reason = why;
    return why.isEmpty();
}
