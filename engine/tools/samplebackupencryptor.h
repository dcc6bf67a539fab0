#ifndef SAMPLEBACKUPENCRYPTOR_H
#define SAMPLEBACKUPENCRYPTOR_H

#include <QByteArray>
#include <QString>

#include <map>

// Encrypts a written sample backup the way a phone does: a fresh backup
// keybag whose class keys are wrapped with the key derived from the password
// (PBKDF2-HMAC-SHA256 over DPSL/DPIC, then PBKDF2-HMAC-SHA1 over SALT/ITER;
// up to iOS 10.1 only the latter, and the bag has no DPSL/DPIC),
// a random AES-256 key per file wrapped with its class key, the contents in
// AES-256-CBC with a zero IV and PKCS#7 padding, and a keyed archive per file
// for the manifest that holds the wrapped key and the plaintext size.
// Made by the writer for one folder; every key is random.
class SampleBackupEncryptor
{
public:
    // The password key is derived here: seconds with a phone's round count.
    // `oldScheme`: the bag of iOS 10.1 and older, whose one derivation is
    // PBKDF2-HMAC-SHA1 (`derivationRounds` is not used then).
    SampleBackupEncryptor(const QString& password, int derivationRounds, bool oldScheme = false);
    ~SampleBackupEncryptor();
    SampleBackupEncryptor(const SampleBackupEncryptor&) = delete;
    SampleBackupEncryptor& operator=(const SampleBackupEncryptor&) = delete;

    bool IsValid() const { return m_valid; }
    QByteArray KeyBag() const { return m_keyBag; }
    // The protection class (4 bytes, little-endian) and the wrapped key of Manifest.db.
    QByteArray ManifestKey() const { return m_manifestKey; }
    // Encrypts the file in place with a new key; the file's keyed archive for
    // Files.file, or empty on failure.
    QByteArray EncryptFile(const QString& path, const QString& relativePath, int protectionClass);
    // Encrypts the file in place with a new key, for an index that holds
    // keys itself (Manifest.mbdb): the class and the wrapped key as
    // `encryptionKey`, the plaintext's size as `size`.
    bool EncryptFile(const QString& path, int protectionClass, QByteArray& encryptionKey,
                     qint64& size);
    // Encrypts Manifest.db in place with the manifest key.
    bool EncryptManifestDb(const QString& path);

    // The phone's rounds of the first derivation step.
    static constexpr int PhoneRounds = 10000000;
    static constexpr int ManifestClass = 3;

private:
    QByteArray Wrap(const QByteArray& kek, const QByteArray& key) const;
    bool EncryptInPlace(const QString& path, const QByteArray& key, qint64& size) const;

    bool m_valid = false;
    QByteArray m_keyBag;
    QByteArray m_manifestKey;
    QByteArray m_manifestFileKey;
    std::map<int, QByteArray> m_classKeys;
    quint64 m_lastInode = 1000000; // each file has its own, as on the phone's disk
};

#endif // SAMPLEBACKUPENCRYPTOR_H
