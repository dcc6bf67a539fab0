#include "samplebackupwriter.h"

#include "sampleaddressbook.h"
#include "samplebackupencryptor.h"
#include "samplebookmarkstore.h"
#include "samplecalendarstore.h"
#include "samplecalls.h"
#include "sampledeletions.h"
#include "sampleformats.h"
#include "samplemediastores.h"
#include "samplemessagestore.h"
#include "samplenotestores.h"
#include "samplestorecontext.h"
#include "samplewechatwriter.h"
#include "samplewhatsappstore.h"
#include "sqlitewriter.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

SampleBackupWriter::SampleBackupWriter(const Options& options)
    : m_options(options), m_random(options.seed),
      // 2024-06-01 12:00:00 UTC
      m_now(738936000.0)
{
    if (m_options.scale < 1)
        m_options.scale = 1;
}

SampleBackupWriter::~SampleBackupWriter() = default;

bool SampleBackupWriter::Fail(const QString& error)
{
    m_error = error;
    return false;
}

QString SampleBackupWriter::AddFile(const QString& domain, const QString& relativePath)
{
    const QString fileId = QString::fromLatin1(
        QCryptographicHash::hash((domain + QLatin1Char('-') + relativePath).toUtf8(),
                                 QCryptographicHash::Sha1)
            .toHex());
    m_manifest->Insert(QStringLiteral("INSERT OR REPLACE INTO Files (fileID, domain, relativePath, "
                                      "flags, file) VALUES (?, ?, ?, 1, ?)"),
                       {fileId, domain, relativePath, QByteArray()});
    const QString bucket = WritesMbdb() ? QString() : fileId.left(2);
    if (!bucket.isEmpty())
        QDir(m_folder).mkpath(bucket);
    const QString path = QDir(m_folder).filePath(bucket.isEmpty() ? fileId : bucket + '/' + fileId);
    WrittenFile& file = m_files[fileId];
    file.domain = domain;
    file.relativePath = relativePath;
    file.path = path;
    return path;
}

bool SampleBackupWriter::Write(const QString& folder)
{
    m_folder = folder;
    m_content = SampleBackupContent();
    if (!QDir().mkpath(folder))
        return Fail(QStringLiteral("cannot create %1").arg(folder));
    m_manifest = std::make_unique<SqliteWriter>();
    if (!m_manifest->Open(QDir(folder).filePath(QStringLiteral("Manifest.db"))) ||
        !m_manifest->Exec(QStringLiteral(
            "CREATE TABLE Files (fileID TEXT PRIMARY KEY, domain TEXT, relativePath TEXT, flags "
            "INTEGER, file BLOB); CREATE INDEX FilesDomainIdx ON Files(domain); CREATE INDEX "
            "FilesRelativePathIdx ON Files(relativePath); CREATE TABLE Properties (key TEXT "
            "PRIMARY KEY, value BLOB)")))
        return Fail(m_manifest->LastError());
    m_files.clear();
    m_deletions.reset(m_options.deletions ? new SampleDeletions : nullptr);
    if (!WriteInfo())
        return false;
    // The stores, in this order: each draws on the seeded generator in turn.
    SampleStoreContext context(
        m_options, m_random, m_now, m_content, m_deletions.get(),
        [this](const QString& domain, const QString& path) { return AddFile(domain, path); });
    if (!SampleAddressBook::Write(context) || !SampleMessageStore::Write(context) ||
        !SampleCalls::WriteStore(context) || !SampleCalendarStore::Write(context) ||
        !SampleNoteStores::Write(context) || !SampleBookmarkStore::Write(context) ||
        !SampleMediaStores::WritePhotos(context) || !SampleMediaStores::WriteVoiceMemos(context) ||
        !SampleWhatsAppStore::Write(context) || !WriteWeChat(context))
        return Fail(context.ErrorText());
    if (m_deletions && !m_deletions->WriteTruth(folder))
        return Fail(QStringLiteral("cannot write %1").arg(SampleDeletions::TruthPath(folder)));
    if (!m_options.password.isEmpty())
        return Encrypt();
    const bool closed = m_manifest->Close();
    m_manifest.reset();
    if (!closed)
        return Fail(QStringLiteral("cannot finish Manifest.db"));
    return !WritesMbdb() || WriteMbdb();
}

bool SampleBackupWriter::WriteMbdb()
{
    std::vector<SampleFormats::IndexEntry> entries;
    for (const auto& file : m_files)
        entries.push_back(
            {file.second.domain, file.second.relativePath,
             file.second.size >= 0 ? file.second.size : QFileInfo(file.second.path).size(),
             file.second.protectionClass, file.second.encryptionKey});
    const QByteArray index = SampleFormats::Mbdb(entries, static_cast<quint32>(m_now + 978307200));
    QFile::remove(QDir(m_folder).filePath(QStringLiteral("Manifest.db")));
    QFile out(QDir(m_folder).filePath(QStringLiteral("Manifest.mbdb")));
    if (!out.open(QIODevice::WriteOnly) || out.write(index) != index.size())
        return Fail(QStringLiteral("cannot write Manifest.mbdb"));
    return true;
}

bool SampleBackupWriter::Encrypt()
{
    // Phones of iOS 10.1 and older derive once, with SHA-1.
    SampleBackupEncryptor encryptor(m_options.password, m_options.kdfRounds, m_options.ios <= 10);
    if (!encryptor.IsValid())
        return Fail(QStringLiteral("the keys of the encrypted backup cannot be made"));
    for (auto& entry : m_files) {
        // Media files are class 4 (no protection) on the phone, the rest class 3.
        const int protectionClass =
            entry.second.relativePath.startsWith(QLatin1String("Media/")) ? 4 : 3;
        if (WritesMbdb()) {
            // The index keeps the keys itself; Manifest.db is not written.
            entry.second.protectionClass = protectionClass;
            if (!encryptor.EncryptFile(entry.second.path, protectionClass,
                                       entry.second.encryptionKey, entry.second.size))
                return Fail(QStringLiteral("cannot encrypt %1").arg(entry.second.path));
            continue;
        }
        const QByteArray archive =
            encryptor.EncryptFile(entry.second.path, entry.second.relativePath, protectionClass);
        if (archive.isEmpty() ||
            m_manifest->Insert(QStringLiteral("UPDATE Files SET file=? WHERE fileID=?"),
                               {archive, entry.first}) < 0)
            return Fail(QStringLiteral("cannot encrypt %1").arg(entry.second.path));
    }
    const bool closed = m_manifest->Close();
    m_manifest.reset();
    if (!closed)
        return Fail(QStringLiteral("cannot finish Manifest.db"));
    // Manifest.mbdb is never encrypted, and there is no manifest key for it.
    if (WritesMbdb())
        return WriteMbdb() && WriteManifestPlist(true, encryptor.KeyBag(), QByteArray());
    if (!encryptor.EncryptManifestDb(QDir(m_folder).filePath(QStringLiteral("Manifest.db"))))
        return Fail(QStringLiteral("cannot encrypt Manifest.db"));
    return WriteManifestPlist(true, encryptor.KeyBag(), encryptor.ManifestKey());
}

bool SampleBackupWriter::WriteManifestPlist(bool encrypted, const QByteArray& keyBag,
                                            const QByteArray& manifestKey)
{
    const QString date =
        QDateTime::fromSecsSinceEpoch(static_cast<qint64>(m_now) + 978307200, Qt::UTC)
            .toString(Qt::ISODate);
    QFile manifest(QDir(m_folder).filePath(QStringLiteral("Manifest.plist")));
    QList<QPair<QString, QByteArray>> data;
    if (encrypted)
        data = {{QStringLiteral("BackupKeyBag"), keyBag}};
    if (!manifestKey.isEmpty())
        data.append({QStringLiteral("ManifestKey"), manifestKey});
    const QByteArray xml =
        SampleFormats::XmlPlist({{"Version", "10.0"}, {"Date", date}}, true, encrypted, data);
    if (!manifest.open(QIODevice::WriteOnly) || manifest.write(xml) != xml.size())
        return Fail(QStringLiteral("cannot write Manifest.plist"));
    return true;
}

bool SampleBackupWriter::WriteInfo()
{
    m_content.displayName = QStringLiteral("Zoë's Phone");
    const QString date =
        QDateTime::fromSecsSinceEpoch(static_cast<qint64>(m_now) + 978307200, Qt::UTC)
            .toString(Qt::ISODate);
    QFile info(QDir(m_folder).filePath(QStringLiteral("Info.plist")));
    QFile status(QDir(m_folder).filePath(QStringLiteral("Status.plist")));
    if (!info.open(QIODevice::WriteOnly) || !status.open(QIODevice::WriteOnly))
        return Fail(QStringLiteral("cannot write the property lists"));
    info.write(SampleFormats::XmlPlist({{"Device Name", m_content.displayName},
                                        {"Display Name", m_content.displayName},
                                        {"Product Type", "iPhone15,2"},
                                        {"Product Version", "17.5"},
                                        {"Serial Number", "SAMPLE000001"},
                                        {"Last Backup Date", date}},
                                       false));
    status.write(
        SampleFormats::XmlPlist({{"SnapshotState", "finished"}, {"Version", "3.3"}}, false));
    return WriteManifestPlist(false, QByteArray(), QByteArray());
}

QList<int> SampleBackupWriter::Generations()
{
    return {7, 12, 14, 16, 18};
}

bool SampleBackupWriter::WriteWeChat(SampleStoreContext& context)
{
    SampleWeChatWriter writer(
        m_random, m_options.scale, m_options.media, qint64(m_now) + 978307200,
        [&context](const QString& domain, const QString& path) {
            return context.AddFile(domain, path);
        },
        [&context](const QString& domain, const QString& path, const QByteArray& data) {
            return context.WriteContent(domain, path, data);
        });
    return writer.Write(m_content.weChatAccounts) || context.Fail(writer.ErrorText());
}
