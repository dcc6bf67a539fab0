#ifndef ENCRYPTEDBACKUP_H
#define ENCRYPTEDBACKUP_H

#include "contentfiles.h"
#include "secretbytes.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

class ArchivedFile;
class KeyBag;
class QIODevice;
class PlaintextFolder;

// The keys of one encrypted backup folder for one session, and the private
// folder its plaintext goes into. Owned by the BackupDevice of the folder.
//
// Unlock() derives the password key once (seconds: the phone's millions of
// PBKDF2 rounds), unwraps the class keys, then decrypts Manifest.db. A backup
// of iOS 9 or older has none: its index, Manifest.mbdb, is not encrypted and
// carries each file's wrapped key itself. Plaintext
// is kept in memory where its size allows (MemoryLimit()): Manifest.db, and the
// databases readers ask for through DecryptToMemory(), so that a process killed
// without a word leaves none on disk. What is larger goes into a private
// temporary folder (mode 0700) that goes, with everything in it, when this
// object goes or a signal ends the process (see PlaintextFolder). Content
// files are decrypted on demand: Register() names the private path a file will
// have, Materialize() writes it there when a reader needs it, DecryptTo()
// writes it straight into an export. Nothing is ever written next to the
// backup. Every function may run on any thread.
class EncryptedBackup : public ContentFiles
{
public:
    enum State {
        NOT_ENCRYPTED, // Manifest.plist does not say IsEncrypted
        LOCKED,        // encrypted, no correct password given yet
        UNLOCKED,      // the keys are there and Manifest.db is decrypted
        DAMAGED        // the keybag or the manifest key cannot be used
    };
    enum UnlockResult { UNLOCK_OK, UNLOCK_WRONG_PASSWORD, UNLOCK_DAMAGED, UNLOCK_CANCELLED };

    explicit EncryptedBackup(const QString& folder);
    ~EncryptedBackup();
    EncryptedBackup(const EncryptedBackup&) = delete;
    EncryptedBackup& operator=(const EncryptedBackup&) = delete;

    State CurrentState() const;
    bool IsEncrypted() const { return m_encrypted; }
    // Blocks for the key derivation: never call it on a GUI thread. Once
    // unlocked, later calls answer UNLOCK_OK without deriving again. Setting
    // `cancel` from another thread stops the derivation within milliseconds:
    // UNLOCK_CANCELLED, and the backup stays LOCKED.
    UnlockResult Unlock(const SecretBytes& password, const std::atomic<bool>* cancel = nullptr);
    // Why the backup is damaged or the password was refused.
    QString ErrorText() const;
    // The decrypted Manifest.db on disk; empty until unlocked, when the backup
    // has none, or when it is held in memory (ManifestImage()).
    QString ManifestDbPath() const;
    // The decrypted Manifest.db in memory; null when it is not held there.
    QByteArray ManifestImage() const;
    // Plaintext of at most this many bytes stays in memory; set before Unlock().
    static constexpr qint64 DefaultMemoryLimit = qint64(64) << 20;
    void SetMemoryLimit(qint64 bytes);
    qint64 MemoryLimit() const;
    QString PrivateFolder() const;

    // The private path under which the content of `fileId` will be readable;
    // empty when `archive` holds no usable key (one that does not unwrap
    // included). Nothing is decrypted yet.
    QString Register(const QString& fileId, const QString& encryptedPath,
                     const QByteArray& archive);
    // The same for a file whose record is already read (Manifest.mbdb's).
    QString Register(const QString& fileId, const QString& encryptedPath, const ArchivedFile& file);
    // Whether `path` is a registered private path.
    bool Knows(const QString& path) const;
    // Decrypts a registered file into its private path if it is not there
    // yet; true when it is there (and for paths this object does not know).
    bool Materialize(const QString& path) override;
    // Decrypts a registered file into `out`, without a private copy.
    // `goOn`, asked between slices, stops it (false, error "stopped").
    bool DecryptTo(const QString& path, QIODevice& out, QString& error,
                   const std::function<bool()>& goOn = nullptr) const;
    // Decrypts a registered file into `content` when it fits under the
    // memory limit; false when it does not, or cannot be decrypted.
    bool DecryptToMemory(const QString& path, QByteArray& content) const;

    // For a merge that writes into a copy of this backup (unlocked): `plain`
    // encrypted with a fresh file key, which comes wrapped by the key of
    // `protectionClass` behind its class (the EncryptionKey of its archive).
    bool EncryptContent(const QByteArray& plain, int protectionClass, QByteArray& cipher,
                        QByteArray& encryptionKey) const;
    // The decrypted Manifest.db, encrypted again with the manifest key into
    // `cipher` (after a merge changed it).
    bool EncryptManifestDb(QByteArray& cipher) const;

private:
    struct Entry;

    UnlockResult Damage(const QString& error);
    bool HasPlainIndex() const;
    bool MakePrivateFolder();
    bool DecryptManifestDb(const SecretBytes& manifestKey);
    bool DecryptEntry(const Entry& entry, QIODevice& out, QString& error,
                      const std::function<bool()>& goOn = nullptr) const;
    std::shared_ptr<Entry> Find(const QString& path) const;

    const QString m_folder;
    bool m_encrypted = false;
    QByteArray m_manifestKey;
    std::mutex m_unlockMutex;   // one derivation at a time
    mutable std::mutex m_mutex; // guards what follows
    State m_state = NOT_ENCRYPTED;
    QString m_error;
    std::unique_ptr<KeyBag> m_keyBag;
    std::unique_ptr<PlaintextFolder> m_private;
    QString m_manifestDb;
    QByteArray m_manifestImage;
    qint64 m_memoryLimit = DefaultMemoryLimit;
    std::map<QString, std::shared_ptr<Entry>> m_entries; // by private path
};

#endif // ENCRYPTEDBACKUP_H
