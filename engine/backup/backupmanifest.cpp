#include "backupmanifest.h"

#include "crypto/archivedfile.h"
#include "crypto/encryptedbackup.h"
#include "mbdbindex.h"
#include "plistreader.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace {
// Files.flags: 1 file, 2 folder, 4 symbolic link.
constexpr int FlagFile = 1;
constexpr int FlagFolder = 2;
constexpr int FlagLink = 4;
} // namespace

BackupManifest::BackupManifest(const QString& folder, EncryptedBackup* encryption)
    : m_folder(folder), m_encryption(encryption)
{
}

BackupManifest::~BackupManifest() = default;

BackupManifest::BackupError BackupManifest::Open()
{
    const QDir dir(m_folder);
    if (m_folder.isEmpty() || !dir.exists()) {
        m_error = QStringLiteral("backup folder not found: %1").arg(m_folder);
        return BACKUP_FOLDER_MISSING;
    }
    // An encrypted backup keeps its Manifest.db encrypted as well, so the flag
    // is read before the database is touched.
    const QVariant manifest = ReadPlist(m_folder, QStringLiteral("Manifest.plist"));
    m_encrypted = manifest.toMap().value(QStringLiteral("IsEncrypted")).toBool();
    if (m_encrypted) {
        const EncryptedBackup::State state =
            m_encryption ? m_encryption->CurrentState() : EncryptedBackup::LOCKED;
        if (state == EncryptedBackup::DAMAGED) {
            m_error = QStringLiteral("the keys of the encrypted backup are damaged: %1")
                          .arg(m_encryption->ErrorText());
            return BACKUP_MANIFEST_DAMAGED;
        }
        if (state != EncryptedBackup::UNLOCKED) {
            m_error = QStringLiteral("the backup is encrypted and no correct password was given");
            return BACKUP_ENCRYPTED;
        }
    }
    m_canonicalFolder = QFileInfo(m_folder).canonicalFilePath();
    QString dbPath =
        m_encrypted ? m_encryption->ManifestDbPath() : dir.filePath(QStringLiteral("Manifest.db"));
    const QString mbdb = dir.filePath(QStringLiteral("Manifest.mbdb"));
    const QString manifestDb = dir.filePath(QStringLiteral("Manifest.db"));
    if (QFileInfo(manifestDb).isFile() && !IsInside(m_canonicalFolder, manifestDb)) {
        m_error = QStringLiteral("Manifest.db not found in %1").arg(m_folder);
        return BACKUP_FOLDER_MISSING;
    }
    if (!QFileInfo(manifestDb).isFile()) {
        // An encrypted backup of iOS 9 or older keeps its index in plain text too.
        if (!QFileInfo(mbdb).isFile() || !IsInside(m_canonicalFolder, mbdb)) {
            m_error = QStringLiteral("Manifest.db not found in %1").arg(m_folder);
            return BACKUP_FOLDER_MISSING;
        }
        // A backup of iOS 9 or older: its index is read into a private database.
        m_mbdb = std::make_unique<MbdbIndex>();
        if (!m_mbdb->Convert(mbdb, m_workFolder)) {
            m_error = m_mbdb->ErrorText();
            return BACKUP_MANIFEST_DAMAGED;
        }
        dbPath = m_mbdb->DatabasePath();
    }
    // The log is read only when it lies in the backup: a link that leads
    // out of it is never followed (the database is read without it).
    QString wal = dir.filePath(QStringLiteral("Manifest.db-wal"));
    const QFileInfo walInfo(wal);
    if (m_encrypted || !(walInfo.exists() || walInfo.isSymLink())) {
        wal.clear();
    } else if (!IsInside(m_canonicalFolder, wal)) {
        qWarning("Manifest.db-wal leads out of the backup and is not read");
        ++m_refused;
        wal.clear();
    }
    const QByteArray image = m_encrypted && !m_mbdb ? m_encryption->ManifestImage() : QByteArray();
    if (!image.isNull() ? !m_db.OpenImage(QStringLiteral("Manifest.db"), image, QByteArray())
                        : !m_db.Open(dbPath, wal, m_workFolder)) {
        m_error = QStringLiteral("Manifest.db cannot be read: %1").arg(m_db.LastError());
        return BACKUP_MANIFEST_DAMAGED;
    }
    m_fileCount = -1;
    const bool ok =
        m_db.Query(QStringLiteral("SELECT count(*) FROM Files"), [this](const SqliteDb::Row& row) {
            m_fileCount = row.Int(0);
            return false;
        });
    if (!ok || m_fileCount < 0 ||
        !m_db.Query(QStringLiteral("SELECT fileID, domain, relativePath, flags FROM Files LIMIT 1"),
                    [](const SqliteDb::Row&) { return false; })) {
        m_error = QStringLiteral("Manifest.db has no usable Files table: %1").arg(m_db.LastError());
        m_db.Close();
        return BACKUP_MANIFEST_DAMAGED;
    }
    return BACKUP_OK;
}

QString BackupManifest::FindFile(const QString& domain, const QString& relativePath)
{
    QString path;
    if (!m_db.Query(
            QStringLiteral("SELECT fileID, file FROM Files WHERE domain=? AND relativePath=?"),
            {domain, relativePath}, [this, &path](const SqliteDb::Row& row) {
                path = ReadablePath(row.String(0), row.Text(1));
                return false;
            }))
        m_damaged = true;
    return path;
}

QString BackupManifest::FetchFile(const QString& domain, const QString& relativePath,
                                  QByteArray* inMemory)
{
    const QString path = FindFile(domain, relativePath);
    if (inMemory) {
        inMemory->clear();
        if (!path.isEmpty() && m_encrypted && m_encryption->DecryptToMemory(path, *inMemory))
            return path;
    }
    if (path.isEmpty() || !m_encryption || m_encryption->Materialize(path))
        return path;
    return QString();
}

QString BackupManifest::ReadablePath(const QString& fileId, const QByteArray& archive) const
{
    QString path = ContentPath(fileId);
    // Up to iOS 9 the files lie in the backup folder itself; copies moved
    // into the later layout are found too.
    if (m_mbdb && IsFileId(fileId)) {
        const QString flat = QDir(m_folder).filePath(fileId);
        if (QFileInfo(flat).isFile() || QFileInfo(flat).isSymLink() || !QFileInfo(path).isFile())
            path = flat;
    }
    if (path.isEmpty() || !IsInside(m_canonicalFolder, path)) {
        // Missing files are common in damaged backups; anything else is refused.
        if (path.isEmpty() || QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            ++m_refused;
        return QString();
    }
    if (!m_encrypted)
        return path;
    if (m_mbdb)
        return m_encryption->Register(fileId, path, MbdbIndex::KeyOf(archive));
    return m_encryption->Register(fileId, path, archive);
}

bool BackupManifest::IsDamaged()
{
    if (!m_damaged && !m_checked) {
        m_checked = true;
        QString verdict;
        const bool ok =
            m_db.Query(QStringLiteral("PRAGMA quick_check"), [&verdict](const SqliteDb::Row& row) {
                verdict = row.String(0);
                return false;
            });
        m_damaged = !ok || verdict != QLatin1String("ok");
    }
    return m_damaged;
}

int BackupManifest::DamagedRows()
{
    if (m_damagedRows >= 0)
        return m_damagedRows;
    m_damagedRows = 0;
    const bool ok = m_db.Query(
        QStringLiteral("SELECT fileID, domain, relativePath, flags, typeof(domain), "
                       "typeof(relativePath) FROM Files"),
        [this](const SqliteDb::Row& row) {
            const int flags = int(row.Int(3));
            const bool texts =
                row.String(4) == QLatin1String("text") && row.String(5) == QLatin1String("text");
            if (!texts || (flags != FlagFile && flags != FlagFolder && flags != FlagLink) ||
                row.String(0).compare(FileIdOf(row.String(1), row.String(2)),
                                      Qt::CaseInsensitive) != 0)
                ++m_damagedRows;
            return true;
        });
    // Rows that cannot even be read are damage of their own.
    if (!ok) {
        m_damaged = true;
        m_damagedRows = qMax(1, m_damagedRows);
    }
    return m_damagedRows;
}

bool BackupManifest::HoldsFileId(const QString& fileId)
{
    bool held = false;
    m_db.Query(QStringLiteral("SELECT 1 FROM Files WHERE fileID = ? COLLATE NOCASE"), {fileId},
               [&held](const SqliteDb::Row&) {
                   held = true;
                   return false;
               });
    return held;
}

bool BackupManifest::Lists(const QString& domain, const QString& relativePath)
{
    bool listed = false;
    if (!m_db.Query(QStringLiteral("SELECT 1 FROM Files WHERE domain=? AND relativePath=?"),
                    {domain, relativePath}, [&listed](const SqliteDb::Row&) {
                        listed = true;
                        return false;
                    }))
        m_damaged = true;
    return listed;
}

std::vector<BackupManifest::Entry> BackupManifest::ListFiles(const QString& domain,
                                                             const QString& prefix)
{
    std::vector<Entry> entries;
    // substr() instead of LIKE: paths may hold '%' and '_'.
    const bool ok = m_db.Query(
        QStringLiteral("SELECT fileID, domain, relativePath, file, flags FROM Files WHERE "
                       "domain=? AND substr(relativePath, 1, ?)=? ORDER BY relativePath"),
        {domain, prefix.size(), prefix}, [&](const SqliteDb::Row& row) {
            const qint64 flags = row.Int(4);
            // Folders and links are not files; flags that are none of the
            // three are damage, which the listing must not pass over quietly.
            if (flags != FlagFile) {
                if (flags != FlagFolder && flags != FlagLink)
                    ++m_passedOver;
                return true;
            }
            Entry entry;
            entry.fileId = row.String(0);
            entry.domain = row.String(1);
            entry.relativePath = row.String(2);
            entry.contentPath = ReadablePath(entry.fileId, row.Text(3));
            entries.push_back(entry);
            return true;
        });
    if (!ok)
        m_damaged = true;
    return entries;
}

QString BackupManifest::ContentPath(const QString& fileId) const
{
    // Anything but a SHA-1 in hexadecimal could name a path of its own
    // ("../", "/etc/passwd"): it is not a file of the backup.
    if (!IsFileId(fileId))
        return QString();
    return QDir(m_folder).filePath(fileId.left(2) + QLatin1Char('/') + fileId);
}

QVariant BackupManifest::ReadPlist(const QString& folder, const QString& name)
{
    const QString path = QDir(folder).filePath(name);
    if (!IsInsideFolder(folder, path))
        return QVariant();
    return PlistReader::ParseFile(path);
}

bool BackupManifest::IsFileId(const QString& fileId)
{
    if (fileId.size() != 40)
        return false;
    for (const QChar c : fileId) {
        if (!c.isDigit() && !(c >= QLatin1Char('a') && c <= QLatin1Char('f')) &&
            !(c >= QLatin1Char('A') && c <= QLatin1Char('F')))
            return false;
    }
    return true;
}

bool BackupManifest::IsInsideFolder(const QString& folder, const QString& path)
{
    return IsInside(QFileInfo(folder).canonicalFilePath(), path);
}

bool BackupManifest::IsInside(const QString& canonicalFolder, const QString& path)
{
    // Links are followed to their end: a content file, or its two-digit
    // folder, linked to a place outside the backup is not read.
    const QFileInfo file(path);
    if (!file.isFile())
        return false;
    const QString target = file.canonicalFilePath();
    return !canonicalFolder.isEmpty() && target.startsWith(canonicalFolder + QLatin1Char('/'));
}

QString BackupManifest::FileIdOf(const QString& domain, const QString& relativePath)
{
    const QByteArray key = (domain + QLatin1Char('-') + relativePath).toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex());
}
