#include "encryptedbackup.h"

#include "archivedfile.h"
#include "backupcipher.h"
#include "backupmanifest.h"
#include "keybag.h"
#include "plaintextfolder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QVariantMap>
#include <QtEndian>

#include <openssl/crypto.h>
#include <openssl/rand.h>

#include <atomic>

struct EncryptedBackup::Entry
{
    QString source;
    qint64 size = 0;
    int protectionClass = 0;
    QByteArray wrappedKey;
    std::atomic<bool> ready{false};
};

namespace {

constexpr int ManifestKeyMinimum = 4 + 40;

} // namespace

EncryptedBackup::EncryptedBackup(const QString& folder) : m_folder(folder)
{
    // What a process that died left of another backup's plaintext goes first.
    PlaintextFolder::RemoveStaleOnce();
    const QVariantMap manifest =
        BackupManifest::ReadPlist(folder, QStringLiteral("Manifest.plist")).toMap();
    m_encrypted = manifest.value(QStringLiteral("IsEncrypted")).toBool();
    if (!m_encrypted)
        return;
    m_manifestKey = manifest.value(QStringLiteral("ManifestKey")).toByteArray();
    const QByteArray keyBag = manifest.value(QStringLiteral("BackupKeyBag")).toByteArray();
    m_keyBag = std::make_unique<KeyBag>(keyBag);
    m_state = LOCKED;
    // A bag that is there but broken is damage a scan reports at once; a
    // missing one leaves the backup locked until Unlock() tells why.
    if (!m_keyBag->IsValid() && !keyBag.isEmpty()) {
        m_state = DAMAGED;
        m_error = m_keyBag->ErrorText();
    }
}

namespace {

void Wipe(QByteArray& plaintext)
{
    // Only a copy of its own is wiped: a shared one is still someone's.
    if (!plaintext.isEmpty() && plaintext.isDetached())
        OPENSSL_cleanse(plaintext.data(), static_cast<std::size_t>(plaintext.size()));
    plaintext.clear();
}

} // namespace

// The private folder and every decrypted file in it go with the PlaintextFolder;
// the class keys are wiped by the key bag.
EncryptedBackup::~EncryptedBackup()
{
    Wipe(m_manifestImage);
}

QByteArray EncryptedBackup::ManifestImage() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_manifestImage;
}

void EncryptedBackup::SetMemoryLimit(qint64 bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_memoryLimit = qMax<qint64>(0, bytes);
}

qint64 EncryptedBackup::MemoryLimit() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_memoryLimit;
}

EncryptedBackup::State EncryptedBackup::CurrentState() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state;
}

QString EncryptedBackup::ErrorText() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_error;
}

QString EncryptedBackup::ManifestDbPath() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_manifestDb;
}

QString EncryptedBackup::PrivateFolder() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_private ? m_private->Path() : QString();
}

EncryptedBackup::UnlockResult EncryptedBackup::Damage(const QString& error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state = DAMAGED;
    m_error = error;
    return UNLOCK_DAMAGED;
}

EncryptedBackup::UnlockResult EncryptedBackup::Unlock(const SecretBytes& password,
                                                      const std::atomic<bool>* cancel)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_state == NOT_ENCRYPTED || m_state == UNLOCKED)
            return UNLOCK_OK;
        if (m_state == DAMAGED)
            return UNLOCK_DAMAGED;
    }
    // Only one thread unlocks at a time; the others wait for its result above
    // on their next call. The key bag is not touched by readers until UNLOCKED.
    std::lock_guard<std::mutex> unlockLock(m_unlockMutex);
    if (CurrentState() != LOCKED)
        return CurrentState() == UNLOCKED ? UNLOCK_OK : UNLOCK_DAMAGED;

    switch (m_keyBag->Unlock(password, cancel)) {
    case KeyBag::CANCELLED: {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_error = m_keyBag->ErrorText();
        return UNLOCK_CANCELLED;
    }
    case KeyBag::WRONG_PASSWORD: {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_error = QStringLiteral("wrong password");
        return UNLOCK_WRONG_PASSWORD;
    }
    case KeyBag::DAMAGED:
        return Damage(m_keyBag->ErrorText());
    case KeyBag::UNLOCKED:
        break;
    }
    if (HasPlainIndex()) {
        if (!MakePrivateFolder())
            return UNLOCK_DAMAGED;
    } else {
        if (m_manifestKey.size() < ManifestKeyMinimum)
            return Damage(QStringLiteral("the manifest key is missing or too short"));
        const int manifestClass =
            static_cast<int>(qFromLittleEndian<quint32>(m_manifestKey.constData()));
        SecretBytes manifestKey;
        // The class keys are right (they passed their own check), so a manifest
        // key that fails its check is damaged, not a wrong password.
        if (!m_keyBag->UnwrapKey(manifestClass, m_manifestKey.mid(4), manifestKey))
            return Damage(QStringLiteral("the manifest key of class %1 cannot be unwrapped")
                              .arg(manifestClass));
        if (!DecryptManifestDb(manifestKey))
            return UNLOCK_DAMAGED;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state = UNLOCKED;
    m_error.clear();
    return UNLOCK_OK;
}

bool EncryptedBackup::HasPlainIndex() const
{
    // Up to iOS 9 the index is Manifest.mbdb, never encrypted: there is no
    // Manifest.db to decrypt and no key for one.
    const QDir folder(m_folder);
    const QString manifestDb = folder.filePath(QStringLiteral("Manifest.db"));
    return m_manifestKey.isEmpty() && !QFileInfo(manifestDb).exists() &&
           !QFileInfo(manifestDb).isSymLink() &&
           BackupManifest::IsInsideFolder(m_folder,
                                          folder.filePath(QStringLiteral("Manifest.mbdb")));
}

bool EncryptedBackup::MakePrivateFolder()
{
    auto folder = std::make_unique<PlaintextFolder>();
    if (!folder->IsValid()) {
        Damage(QStringLiteral("no private temporary folder can be made"));
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_private = std::move(folder);
    return true;
}

bool EncryptedBackup::DecryptManifestDb(const SecretBytes& manifestKey)
{
    auto folder = std::make_unique<PlaintextFolder>();
    if (!folder->IsValid()) {
        Damage(QStringLiteral("no private temporary folder can be made"));
        return false;
    }
    const QString target = QDir(folder->Path()).filePath(QStringLiteral("Manifest.db"));
    QFile in(QDir(m_folder).filePath(QStringLiteral("Manifest.db")));
    // A backup without Manifest.db is reported by the manifest itself, and so
    // is one whose Manifest.db leads out of the backup: that is never read.
    const bool inside = BackupManifest::IsInsideFolder(m_folder, in.fileName());
    // Small enough, the plaintext never leaves memory; the ciphertext is
    // padded by at most one block.
    const bool inMemory = inside && QFileInfo(in.fileName()).size() <= MemoryLimit() + 16;
    QByteArray image;
    if (inside) {
        QFile file(target);
        QBuffer buffer(&image);
        QIODevice& out = inMemory ? static_cast<QIODevice&>(buffer) : file;
        QString error;
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) ||
            !BackupCipher::DecryptCbc(manifestKey, in, out, -1, error)) {
            Wipe(image);
            Damage(QStringLiteral("Manifest.db cannot be decrypted: %1")
                       .arg(error.isEmpty() ? in.errorString() : error));
            return false;
        }
        out.close();
        if (!out.open(QIODevice::ReadOnly) || out.read(16) != QByteArray("SQLite format 3", 16)) {
            Wipe(image);
            Damage(QStringLiteral("Manifest.db does not decrypt to a database with its key"));
            return false;
        }
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_private = std::move(folder);
    m_manifestDb = inside && !inMemory ? target : QString();
    m_manifestImage = inMemory ? image : QByteArray();
    return true;
}

QString EncryptedBackup::Register(const QString& fileId, const QString& encryptedPath,
                                  const QByteArray& archive)
{
    return Register(fileId, encryptedPath, ArchivedFile::Parse(archive));
}

QString EncryptedBackup::Register(const QString& fileId, const QString& encryptedPath,
                                  const ArchivedFile& file)
{
    if (!file.IsValid() || fileId.isEmpty() || fileId.contains(QLatin1Char('/')))
        return QString();
    // A file whose key does not unwrap cannot be read: it is left out (and
    // counted) by the scan, not found missing halfway through an export.
    SecretBytes key;
    if (CurrentState() == UNLOCKED &&
        !m_keyBag->UnwrapKey(file.ProtectionClass(), file.WrappedKey(), key))
        return QString();
    key.Clear();
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_private)
        return QString();
    const QString path = QDir(m_private->Path()).filePath(fileId);
    auto& entry = m_entries[path];
    if (!entry) {
        entry = std::make_shared<Entry>();
        entry->source = encryptedPath;
        entry->size = file.Size();
        entry->protectionClass = file.ProtectionClass();
        entry->wrappedKey = file.WrappedKey();
    }
    return path;
}

std::shared_ptr<EncryptedBackup::Entry> EncryptedBackup::Find(const QString& path) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_entries.find(path);
    return it == m_entries.end() ? nullptr : it->second;
}

bool EncryptedBackup::Knows(const QString& path) const
{
    return Find(path) != nullptr;
}

bool EncryptedBackup::Materialize(const QString& path)
{
    const std::shared_ptr<Entry> entry = Find(path);
    if (!entry || entry->ready.load())
        return true;
    // Two readers may race here; each writes its own temporary file and the
    // rename leaves one whole copy.
    QSaveFile out(path);
    QString error;
    if (!out.open(QIODevice::WriteOnly) || !DecryptEntry(*entry, out, error) || !out.commit())
        return false;
    entry->ready.store(true);
    return true;
}

bool EncryptedBackup::DecryptTo(const QString& path, QIODevice& out, QString& error,
                                const std::function<bool()>& goOn) const
{
    const std::shared_ptr<Entry> entry = Find(path);
    if (!entry) {
        error = QStringLiteral("%1 is not a file of the encrypted backup").arg(path);
        return false;
    }
    return DecryptEntry(*entry, out, error, goOn);
}

bool EncryptedBackup::DecryptToMemory(const QString& path, QByteArray& content) const
{
    content.clear();
    const std::shared_ptr<Entry> entry = Find(path);
    const qint64 limit = MemoryLimit();
    if (!entry || entry->size < 0 || entry->size > limit ||
        QFileInfo(entry->source).size() > limit + 16)
        return false;
    QBuffer buffer(&content);
    QString error;
    if (!buffer.open(QIODevice::WriteOnly) || !DecryptEntry(*entry, buffer, error)) {
        Wipe(content);
        return false;
    }
    // An empty file is still a file that was read.
    if (content.isNull())
        content = QByteArray("");
    return true;
}

bool EncryptedBackup::DecryptEntry(const Entry& entry, QIODevice& out, QString& error,
                                   const std::function<bool()>& goOn) const
{
    if (CurrentState() != UNLOCKED) {
        error = QStringLiteral("the backup is locked");
        return false;
    }
    SecretBytes key;
    if (!m_keyBag->UnwrapKey(entry.protectionClass, entry.wrappedKey, key)) {
        error = QStringLiteral("the key of %1 cannot be unwrapped").arg(entry.source);
        return false;
    }
    QFile in(entry.source);
    if (!in.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(entry.source, in.errorString());
        return false;
    }
    return BackupCipher::DecryptCbc(key, in, out, entry.size, error, goOn);
}

bool EncryptedBackup::EncryptContent(const QByteArray& plain, int protectionClass,
                                     QByteArray& cipher, QByteArray& encryptionKey) const
{
    if (CurrentState() != UNLOCKED)
        return false;
    SecretBytes key(32);
    QByteArray wrapped;
    if (RAND_bytes(key.Data(), int(key.Size())) != 1 ||
        !m_keyBag->WrapKey(protectionClass, key, wrapped) ||
        !BackupCipher::EncryptCbc(key, plain, cipher))
        return false;
    encryptionKey = QByteArray(4, '\0');
    qToLittleEndian<quint32>(quint32(protectionClass), encryptionKey.data());
    encryptionKey += wrapped;
    return true;
}

bool EncryptedBackup::EncryptManifestDb(QByteArray& cipher) const
{
    if (CurrentState() != UNLOCKED || m_manifestKey.size() < ManifestKeyMinimum)
        return false;
    const int manifestClass =
        static_cast<int>(qFromLittleEndian<quint32>(m_manifestKey.constData()));
    SecretBytes key;
    QFile plain(ManifestDbPath());
    if (!m_keyBag->UnwrapKey(manifestClass, m_manifestKey.mid(4), key) ||
        !plain.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = plain.readAll();
    const bool ok = BackupCipher::EncryptCbc(key, bytes, cipher);
    OPENSSL_cleanse(bytes.data(), std::size_t(bytes.size()));
    return ok;
}
