#include "mergedmanifest.h"

#include "filearchive.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

MergedManifest::MergedManifest(const QString& folder) : m_folder(folder) {}

bool MergedManifest::Fail(const QString& error)
{
    m_error = error;
    return false;
}

bool MergedManifest::Open()
{
    const QString path = QDir(m_folder).filePath(QStringLiteral("Manifest.db"));
    const QFileInfo info(path);
    if (!info.isFile() || info.isSymLink())
        return Fail(QStringLiteral("the target backup has no Manifest.db (older backups indexed by "
                                   "Manifest.mbdb are not merged)"));
    if (!m_db.Open(path) ||
        !m_db.HasColumn(QStringLiteral("main"), QStringLiteral("Files"), QStringLiteral("file")))
        return Fail(
            QStringLiteral("the target's Manifest.db cannot be used: %1").arg(m_db.LastError()));
    return true;
}

bool MergedManifest::Close()
{
    return m_db.Finish() || Fail(m_db.LastError());
}

QString MergedManifest::FileIdOf(const QString& domain, const QString& relativePath)
{
    const QVariant id = m_db.Scalar(
        QStringLiteral("SELECT fileID FROM Files WHERE domain = ? AND relativePath = ? LIMIT 1"),
        {domain, relativePath});
    return id.isValid() ? id.toString() : QString();
}

QStringList MergedManifest::ListPaths(const QString& domain, const QString& folder)
{
    QStringList paths;
    // Compared as text: a LIKE pattern would read the path's own % and _.
    for (qint64 row = 0;; ++row) {
        const QVariant path = m_db.Scalar(
            QStringLiteral("SELECT relativePath FROM Files WHERE domain = ? AND "
                           "substr(relativePath, 1, ?) = ? ORDER BY relativePath LIMIT 1 OFFSET ?"),
            {domain, folder.size(), folder, row});
        if (!path.isValid())
            return paths;
        paths << path.toString();
    }
}

QString MergedManifest::ContentPath(const QString& fileId) const
{
    if (fileId.size() != 40 || !std::all_of(fileId.begin(), fileId.end(), [](QChar c) {
            return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                   (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
        }))
        return QString();
    const QString path = QDir(m_folder).filePath(fileId.left(2) + QLatin1Char('/') + fileId);
    const QFileInfo info(path);
    return info.isFile() && !info.isSymLink() ? path : QString();
}

bool MergedManifest::Replace(const QString& domain, const QString& relativePath,
                             const QString& file)
{
    const QString fileId = FileIdOf(domain, relativePath);
    const QString content = ContentPath(fileId);
    if (content.isEmpty())
        return Fail(QStringLiteral("%1 is not in the target backup").arg(relativePath));
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("%1 cannot be read").arg(file));
    const QByteArray data = in.readAll();
    QSaveFile out(content);
    if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size() || !out.commit())
        return Fail(QStringLiteral("%1 cannot be written").arg(content));
    const QVariant archive =
        m_db.Scalar(QStringLiteral("SELECT file FROM Files WHERE fileID = ?"), {fileId});
    const QByteArray updated =
        FileArchive::Updated(archive.toByteArray(), relativePath, data.size(),
                             QCryptographicHash::hash(data, QCryptographicHash::Sha1),
                             QDateTime::currentSecsSinceEpoch());
    return m_db.Exec(QStringLiteral("UPDATE Files SET file = ? WHERE fileID = ?"),
                     {updated, fileId}) ||
           Fail(m_db.LastError());
}

bool MergedManifest::Remove(const QString& domain, const QString& relativePath)
{
    const QString fileId = FileIdOf(domain, relativePath);
    const QString content = ContentPath(fileId);
    if (!content.isEmpty() && !QFile::remove(content))
        return Fail(QStringLiteral("%1 cannot be removed").arg(content));
    return m_db.Exec(QStringLiteral("DELETE FROM Files WHERE fileID = ?"), {fileId}) ||
           Fail(m_db.LastError());
}
