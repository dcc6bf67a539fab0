#include "backupfixture.h"

#include "samplebackupwriter.h"

#include <sqlite3.h>

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

bool BackupFixture::CopyFolder(const QString& from, const QString& to)
{
    const QDir source(from);
    if (!QDir().mkpath(to))
        return false;
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = QDir(to).filePath(source.relativeFilePath(path));
        if (it.fileInfo().isDir()) {
            if (!QDir().mkpath(target))
                return false;
        } else if (!QFile::copy(path, target)) {
            return false;
        }
    }
    return true;
}

QString BackupFixture::ExportName(const QString& name)
{
    QString clean = name;
    for (QChar& c : clean) {
        if (c.unicode() < 32 || QStringLiteral("<>:\"/\\|?*").contains(c))
            c = QLatin1Char('_');
    }
    return clean;
}

QString BackupFixture::ContentPath(const QString& folder, const QString& domain,
                                   const QString& relativePath)
{
    const QString id = QString::fromLatin1(
        QCryptographicHash::hash((domain + QLatin1Char('-') + relativePath).toUtf8(),
                                 QCryptographicHash::Sha1)
            .toHex());
    return StoredPath(folder, id);
}

QString BackupFixture::StoredPath(const QString& folder, const QString& fileId)
{
    // Older phones keep their files flat in the backup folder.
    const QString flat = QDir(folder).filePath(fileId);
    return QFileInfo::exists(flat)
               ? flat
               : QDir(folder).filePath(fileId.left(2) + QLatin1Char('/') + fileId);
}

bool BackupFixture::Exec(const QString& database, const QString& sql, const QString& wal)
{
    // Closing the connection checkpoints the log into the database and removes it.
    if (!wal.isEmpty() && !QFile::rename(wal, database + QStringLiteral("-wal")))
        return false;
    sqlite3* db = nullptr;
    if (sqlite3_open(database.toUtf8().constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    const bool ok =
        sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

QStringList BackupFixture::Columns(const QString& database, const QString& table)
{
    QStringList columns;
    sqlite3* db = nullptr;
    sqlite3_stmt* query = nullptr;
    if (sqlite3_open_v2(database.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
            SQLITE_OK &&
        sqlite3_prepare_v2(db, "SELECT name FROM pragma_table_info(?1)", -1, &query, nullptr) ==
            SQLITE_OK) {
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(query, 1, name.constData(), name.size(), SQLITE_TRANSIENT);
        while (sqlite3_step(query) == SQLITE_ROW)
            columns << QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(query, 0)));
    }
    sqlite3_finalize(query);
    sqlite3_close(db);
    return columns;
}

bool BackupFixture::SetWritable(const QString& folder, bool writable)
{
    const QFile::Permissions write =
        QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther;
    bool ok = true;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    QStringList paths{folder};
    while (it.hasNext())
        paths.append(it.next());
    for (const QString& path : paths) {
        QFile file(path);
        const QFile::Permissions mode = file.permissions();
        ok = file.setPermissions(writable ? mode | write : mode & ~write) && ok;
    }
    return ok;
}

bool BackupFixture::WriteFile(const QString& file, const QByteArray& data)
{
    QFile out(file);
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(data) == data.size();
}

QByteArray BackupFixture::Read(const QString& file)
{
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

bool BackupFixture::TreeHolds(const QString& folder, const QByteArray& needle)
{
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        if (Read(it.next()).contains(needle))
            return true;
    }
    return false;
}

namespace {

QString TreeDigests(const QString& folder, bool withoutStamps)
{
    static const QRegularExpression stamp(QStringLiteral("^DTSTAMP:[^\\r\\n]*\\r?\\n"),
                                          QRegularExpression::MultilineOption);
    QStringList lines;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        QCryptographicHash hash(QCryptographicHash::Sha1);
        if (withoutStamps && file.fileName().endsWith(QLatin1String(".ics"))) {
            if (file.open(QIODevice::ReadOnly))
                hash.addData(QString::fromUtf8(file.readAll()).remove(stamp).toUtf8());
        } else if (file.open(QIODevice::ReadOnly)) {
            hash.addData(&file);
        }
        lines.append(QDir(folder).relativeFilePath(file.fileName()) + QStringLiteral(": ") +
                     QString::fromLatin1(hash.result().toHex()));
    }
    lines.sort();
    return lines.join(QLatin1Char('\n'));
}

} // namespace

QString BackupFixture::Digests(const QString& folder)
{
    return TreeDigests(folder, false);
}

QString BackupFixture::ExportDigests(const QString& folder)
{
    return TreeDigests(folder, true);
}

bool BackupFixture::WriteMergePair(const QString& source, const QString& target, int ios)
{
    SampleBackupWriter::Options options;
    // The older generations' pairs test the index, not the files.
    options.media = ios <= 0;
    if (ios > 0)
        options.ios = ios;
    options.deletions = true;
    if (!SampleBackupWriter(options).Write(source))
        return false;
    options.deletions = false;
    options.seed = 7;
    return SampleBackupWriter(options).Write(target);
}
