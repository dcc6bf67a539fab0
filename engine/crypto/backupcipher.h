#ifndef BACKUPCIPHER_H
#define BACKUPCIPHER_H

#include "secretbytes.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>

class QIODevice;

// The cryptographic primitives of an encrypted backup, over OpenSSL:
// PBKDF2 for the password key, AES key unwrap (RFC 3394) for the class and
// file keys, and AES-256-CBC with a zero IV for file contents. Stateless;
// every function may run on any thread.
class BackupCipher
{
public:
    enum Digest { SHA1, SHA256 };

    // `length` bytes of PBKDF2-HMAC over `secret`; empty on failure, and
    // when `cancel` is found set (it is looked at every few thousand rounds).
    // `rounds`, when given, receives the rounds computed.
    static SecretBytes Pbkdf2(Digest digest, const SecretBytes& secret, const QByteArray& salt,
                              int iterations, int length, const std::atomic<bool>* cancel = nullptr,
                              qint64* rounds = nullptr);
    // Unwraps `wrapped` with a 16-, 24- or 32-byte key-encryption key. False
    // when the integrity check fails (the wrong key) or the sizes are wrong.
    static bool UnwrapKey(const SecretBytes& kek, const QByteArray& wrapped, SecretBytes& key);
    // Decrypts all of `in` with AES-256-CBC and a zero IV into `out`. With
    // `size` >= 0 the plaintext is cut to that many bytes (a backup file's
    // archived size); with -1 a valid PKCS#7 padding is taken off. False with
    // `error` set when the ciphertext is not whole blocks, is shorter than
    // `size`, or cannot be read or written, and when `goOn` (asked between
    // slices of a megabyte) answers false.
    static bool DecryptCbc(const SecretBytes& key, QIODevice& in, QIODevice& out, qint64 size,
                           QString& error, const std::function<bool()>& goOn = nullptr);
    // The reverse, for a backup a merge writes: `key` wrapped with `kek`,
    // and `plain` encrypted with AES-256-CBC, a zero IV and PKCS#7 padding.
    static bool WrapKey(const SecretBytes& kek, const SecretBytes& key, QByteArray& wrapped);
    static bool EncryptCbc(const SecretBytes& key, const QByteArray& plain, QByteArray& cipher);
};

#endif // BACKUPCIPHER_H
