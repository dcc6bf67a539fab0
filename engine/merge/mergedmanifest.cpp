#include "mergedmanifest.h"

#include "crypto/archivedfile.h"
#include "crypto/encryptedbackup.h"
#include "filearchive.h"
#include "mbdbindex.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <openssl/crypto.h>

#include <algorithm>

namespace {
const char* const MbdbName = "Manifest.mbdb";
}

MergedManifest::MergedManifest(const QString& folder, EncryptedBackup* encryption)
    : m_folder(folder), m_encryption(encryption)
{
}

MergedManifest::~MergedManifest() = default;

QString MergedManifest::PrivateFolder() const
{
    return m_encryption ? m_encryption->PrivateFolder() : QString();
}

bool MergedManifest::Fail(const QString& error)
{
    m_error = error;
    return false;
}

bool MergedManifest::Open()
{
    const QString mbdb = QDir(m_folder).filePath(QLatin1String(MbdbName));
    if (!m_encryption &&
        !QFileInfo::exists(QDir(m_folder).filePath(QStringLiteral("Manifest.db"))) &&
        QFileInfo(mbdb).isFile() && !QFileInfo(mbdb).isSymLink())
        return OpenMbdb(mbdb);
    const QString path = m_encryption ? m_encryption->ManifestDbPath()
                                      : QDir(m_folder).filePath(QStringLiteral("Manifest.db"));
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || info.isSymLink())
        return Fail(QStringLiteral("the target backup has no Manifest.db (older backups indexed by "
                                   "Manifest.mbdb are not merged)"));
    if (!m_db.Open(path) ||
        !m_db.HasColumn(QStringLiteral("main"), QStringLiteral("Files"), QStringLiteral("file")))
        return Fail(
            QStringLiteral("the target's Manifest.db cannot be used: %1").arg(m_db.LastError()));
    return true;
}

bool MergedManifest::OpenMbdb(const QString& mbdb)
{
    // The conversion is private to the merge, as the index is the copy's.
    m_mbdbFolder = std::make_unique<QTemporaryDir>(
        QDir(QDir::tempPath()).filePath(QStringLiteral("mmobile-mbdb-XXXXXX")));
    m_mbdb = std::make_unique<MbdbIndex>();
    if (!m_mbdbFolder->isValid() || !m_mbdb->Convert(mbdb, m_mbdbFolder->path()))
        return Fail(QStringLiteral("the target's Manifest.mbdb cannot be used: %1")
                        .arg(m_mbdb->ErrorText()));
    return m_db.Open(m_mbdb->DatabasePath()) ||
           Fail(QStringLiteral("the target's Manifest.mbdb cannot be used: %1")
                    .arg(m_db.LastError()));
}

bool MergedManifest::CloseMbdb()
{
    if (m_mbdbChanges.IsEmpty())
        return true;
    const QString path = QDir(m_folder).filePath(QLatin1String(MbdbName));
    QFile in(path);
    QByteArray updated;
    if (!in.open(QIODevice::ReadOnly) || !m_mbdbChanges.Apply(in.readAll(), updated))
        return Fail(QStringLiteral("the merged Manifest.mbdb cannot be written: %1")
                        .arg(m_mbdbChanges.ErrorText()));
    in.close();
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(updated) != updated.size() || !out.commit())
        return Fail(QStringLiteral("the merged Manifest.mbdb cannot be written"));
    return true;
}

bool MergedManifest::Close()
{
    if (!m_db.Finish())
        return Fail(m_db.LastError());
    if (m_mbdb)
        return CloseMbdb();
    if (!m_encryption)
        return true;
    QByteArray cipher;
    QSaveFile out(QDir(m_folder).filePath(QStringLiteral("Manifest.db")));
    if (!m_encryption->EncryptManifestDb(cipher) || !out.open(QIODevice::WriteOnly) ||
        out.write(cipher) != cipher.size() || !out.commit())
        return Fail(QStringLiteral("the merged Manifest.db cannot be encrypted"));
    return true;
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

QString MergedManifest::ContentPath(const QString& fileId)
{
    const QString stored = StoredPath(fileId);
    if (stored.isEmpty() || !m_encryption)
        return stored;
    const QVariant archive =
        m_db.Scalar(QStringLiteral("SELECT file FROM Files WHERE fileID = ?"), {fileId});
    const QString plain = m_encryption->Register(fileId, stored, archive.toByteArray());
    return !plain.isEmpty() && m_encryption->Materialize(plain) ? plain : QString();
}

QString MergedManifest::StoredPath(const QString& fileId) const
{
    if (fileId.size() != 40 || !std::all_of(fileId.begin(), fileId.end(), [](QChar c) {
            return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                   (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
        }))
        return QString();
    QString path = QDir(m_folder).filePath(fileId.left(2) + QLatin1Char('/') + fileId);
    // Backups indexed by Manifest.mbdb keep their files in the folder itself.
    if (m_mbdb && !QFileInfo::exists(path))
        path = QDir(m_folder).filePath(fileId);
    const QFileInfo info(path);
    return info.isFile() && !info.isSymLink() ? path : QString();
}

bool MergedManifest::Replace(const QString& domain, const QString& relativePath,
                             const QString& file)
{
    const QString fileId = FileIdOf(domain, relativePath);
    const QString content = StoredPath(fileId);
    if (content.isEmpty())
        return Fail(QStringLiteral("%1 is not in the target backup").arg(relativePath));
    if (m_mbdb) {
        // An older index keeps size, time and digest in its own record.
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            return Fail(QStringLiteral("%1 cannot be read").arg(file));
        const QByteArray data = in.readAll();
        m_mbdbChanges.Changed(fileId, data.size(),
                              QCryptographicHash::hash(data, QCryptographicHash::Sha1),
                              quint32(QDateTime::currentSecsSinceEpoch()));
        QSaveFile out(content);
        return (out.open(QIODevice::WriteOnly) && out.write(data) == data.size() && out.commit()) ||
               Fail(QStringLiteral("%1 cannot be written").arg(content));
    }
    const QVariant archive =
        m_db.Scalar(QStringLiteral("SELECT file FROM Files WHERE fileID = ?"), {fileId});
    QByteArray updated;
    return Store(file, relativePath, archive.toByteArray(), content, updated) &&
           (m_db.Exec(QStringLiteral("UPDATE Files SET file = ? WHERE fileID = ?"),
                      {updated, fileId}) ||
            Fail(m_db.LastError()));
}

bool MergedManifest::Add(const QString& domain, const QString& relativePath, const QString& file)
{
    if (!FileIdOf(domain, relativePath).isEmpty())
        return Fail(QStringLiteral("%1 is in the target backup already").arg(relativePath));
    if (m_mbdb)
        return Fail(
            QStringLiteral("%1 cannot be added to an older phone's backup").arg(relativePath));
    // The name the phone's backup service gives a file's content.
    const QString fileId = QString::fromLatin1(
        QCryptographicHash::hash((domain + QLatin1Char('-') + relativePath).toUtf8(),
                                 QCryptographicHash::Sha1)
            .toHex());
    const QString folder = QDir(m_folder).filePath(fileId.left(2));
    const QString content = QDir(folder).filePath(fileId);
    if (QFileInfo::exists(content) || !QDir().mkpath(folder))
        return Fail(QStringLiteral("%1 cannot be added to the backup").arg(relativePath));
    // A fresh archive: a regular file of the phone's user, in the class the
    // phone gives its media.
    QByteArray updated;
    if (!Store(file, relativePath, QByteArray(), content, updated))
        return false;
    if (m_db.Exec(QStringLiteral("INSERT INTO Files (fileID, domain, relativePath, flags, file) "
                                 "VALUES (?, ?, ?, 1, ?)"),
                  {fileId, domain, relativePath, updated}))
        return true;
    QFile::remove(content);
    return Fail(m_db.LastError());
}

bool MergedManifest::Store(const QString& file, const QString& relativePath,
                           const QByteArray& archive, const QString& content, QByteArray& updated)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("%1 cannot be read").arg(file));
    QByteArray data = in.readAll();
    updated = FileArchive::Updated(archive, relativePath, data.size(),
                                   QCryptographicHash::hash(data, QCryptographicHash::Sha1),
                                   QDateTime::currentSecsSinceEpoch());
    QByteArray stored = data;
    if (m_encryption) {
        // A replaced file's class stays, a new file has the fresh archive's;
        // the key is a new one.
        const ArchivedFile was = ArchivedFile::Parse(archive);
        const int protection =
            archive.isEmpty() ? FileArchive::NewFileClass : was.ProtectionClass();
        QByteArray key;
        const bool sealed = (archive.isEmpty() || was.IsValid()) &&
                            m_encryption->EncryptContent(data, protection, stored, key);
        OPENSSL_cleanse(data.data(), std::size_t(data.size()));
        if (!sealed)
            return Fail(QStringLiteral("%1 cannot be encrypted").arg(relativePath));
        updated = FileArchive::WithEncryptionKey(updated, key);
    }
    QSaveFile out(content);
    return (out.open(QIODevice::WriteOnly) && out.write(stored) == stored.size() && out.commit()) ||
           Fail(QStringLiteral("%1 cannot be written").arg(content));
}

bool MergedManifest::Remove(const QString& domain, const QString& relativePath)
{
    const QString fileId = FileIdOf(domain, relativePath);
    const QString content = StoredPath(fileId);
    if (!content.isEmpty() && !QFile::remove(content))
        return Fail(QStringLiteral("%1 cannot be removed").arg(content));
    if (m_mbdb)
        m_mbdbChanges.Removed(fileId);
    return m_db.Exec(QStringLiteral("DELETE FROM Files WHERE fileID = ?"), {fileId}) ||
           Fail(m_db.LastError());
}
