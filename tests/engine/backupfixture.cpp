#include "backupfixture.h"

#include <sqlite3.h>

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>

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

QString BackupFixture::ContentPath(const QString& folder, const QString& domain,
                                   const QString& relativePath)
{
    const QString id = QString::fromLatin1(
        QCryptographicHash::hash((domain + QLatin1Char('-') + relativePath).toUtf8(),
                                 QCryptographicHash::Sha1)
            .toHex());
    return QDir(folder).filePath(id.left(2) + QLatin1Char('/') + id);
}

bool BackupFixture::Exec(const QString& database, const QString& sql)
{
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

bool BackupFixture::Truncate(const QString& file, qint64 size)
{
    return QFile::resize(file, size);
}

bool BackupFixture::WriteFile(const QString& file, const QByteArray& data)
{
    QFile out(file);
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(data) == data.size();
}

QString BackupFixture::Digests(const QString& folder)
{
    QStringList lines;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        QCryptographicHash hash(QCryptographicHash::Sha1);
        if (file.open(QIODevice::ReadOnly))
            hash.addData(&file);
        lines.append(QDir(folder).relativeFilePath(file.fileName()) + QStringLiteral(": ") +
                     QString::fromLatin1(hash.result().toHex()));
    }
    lines.sort();
    return lines.join(QLatin1Char('\n'));
}
