#include "backupcheck.h"

#include "backupmanifest.h"
#include "sqlitedb.h"

#include <QDir>
#include <QFileInfo>

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
    const QString index = dir.filePath(QStringLiteral("Manifest.db"));
    if (!IsPlainFile(index))
        return QStringLiteral("it has no Manifest.db");
    if (BackupManifest::ReadPlist(folder, QStringLiteral("Manifest.plist"))
            .toMap()
            .value(QStringLiteral("IsEncrypted"))
            .toBool())
        return QString();
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
                     if (!BackupManifest::IsFileId(id) ||
                         !IsPlainFile(dir.filePath(id.left(2) + QLatin1Char('/') + id)))
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
