#include "backupcipher.h"

#include <QIODevice>
#include <QtEndian>

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <algorithm>

#include <memory>

namespace {

constexpr int BlockSize = 16;
constexpr qint64 ChunkSize = 1 << 20;

struct CipherContextFree
{
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

struct MacContextFree
{
    void operator()(EVP_MAC_CTX* context) const { EVP_MAC_CTX_free(context); }
};
using MacContext = std::unique_ptr<EVP_MAC_CTX, MacContextFree>;

// A fresh HMAC context over `digest`; null when OpenSSL has none.
EVP_MAC_CTX* NewHmac(const char* digest)
{
    EVP_MAC* hmac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
    EVP_MAC_CTX* context = hmac ? EVP_MAC_CTX_new(hmac) : nullptr;
    EVP_MAC_free(hmac); // the context keeps its own reference
    OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, const_cast<char*>(digest), 0),
        OSSL_PARAM_construct_end()};
    if (context && EVP_MAC_CTX_set_params(context, params) != 1) {
        EVP_MAC_CTX_free(context);
        return nullptr;
    }
    return context;
}

// Rounds between two looks at the cancel flag: a few milliseconds.
constexpr int CancelInterval = 4096;

const EVP_CIPHER* WrapCipher(std::size_t kekSize)
{
    switch (kekSize) {
    case 16:
        return EVP_aes_128_wrap();
    case 24:
        return EVP_aes_192_wrap();
    case 32:
        return EVP_aes_256_wrap();
    default:
        return nullptr;
    }
}

// Writes `count` plaintext bytes, never past `limit` bytes in all (no limit when negative).
bool WriteCapped(QIODevice& out, const unsigned char* data, qint64 count, qint64 limit,
                 qint64& written)
{
    if (limit >= 0)
        count = qMin(count, limit - written);
    if (count <= 0)
        return true;
    if (out.write(reinterpret_cast<const char*>(data), count) != count)
        return false;
    written += count;
    return true;
}

} // namespace

SecretBytes BackupCipher::Pbkdf2(Digest digest, const SecretBytes& secret, const QByteArray& salt,
                                 int iterations, int length, const std::atomic<bool>* cancel,
                                 qint64* rounds)
{
    if (rounds)
        *rounds = 0;
    if (iterations < 1 || length < 1)
        return SecretBytes();
    // PBKDF2 (RFC 8018) over a keyed HMAC whose inner and outer states are
    // computed once: every round only re-initialises from them. OpenSSL's
    // one call cannot be stopped between rounds, this loop can.
    MacContext mac(NewHmac(digest == SHA1 ? "SHA1" : "SHA256"));
    // An empty password is a key of no bytes, not a missing key.
    static const unsigned char none = 0;
    if (!mac || EVP_MAC_init(mac.get(), secret.IsEmpty() ? &none : secret.Data(), secret.Size(),
                             nullptr) != 1)
        return SecretBytes();
    const std::size_t hashSize = EVP_MAC_CTX_get_mac_size(mac.get());
    SecretBytes key(static_cast<std::size_t>(length));
    SecretBytes u(hashSize);
    SecretBytes t(hashSize);
    qint64 done = 0;
    for (quint32 block = 1; std::size_t(block - 1) * hashSize < key.Size(); ++block) {
        unsigned char index[4];
        qToBigEndian<quint32>(block, index);
        std::size_t out = 0;
        if (EVP_MAC_init(mac.get(), nullptr, 0, nullptr) != 1 ||
            EVP_MAC_update(mac.get(), reinterpret_cast<const unsigned char*>(salt.constData()),
                           std::size_t(salt.size())) != 1 ||
            EVP_MAC_update(mac.get(), index, sizeof index) != 1 ||
            EVP_MAC_final(mac.get(), u.Data(), &out, hashSize) != 1)
            return SecretBytes();
        std::copy(u.Data(), u.Data() + hashSize, t.Data());
        for (int round = 1; round < iterations; ++round) {
            if (round % CancelInterval == 0 && cancel && cancel->load(std::memory_order_relaxed)) {
                if (rounds)
                    *rounds = done + round;
                return SecretBytes();
            }
            if (EVP_MAC_init(mac.get(), nullptr, 0, nullptr) != 1 ||
                EVP_MAC_update(mac.get(), u.Data(), hashSize) != 1 ||
                EVP_MAC_final(mac.get(), u.Data(), &out, hashSize) != 1)
                return SecretBytes();
            for (std::size_t i = 0; i < hashSize; ++i)
                t.Data()[i] ^= u.Data()[i];
        }
        done += iterations;
        const std::size_t offset = std::size_t(block - 1) * hashSize;
        std::copy(t.Data(), t.Data() + qMin(hashSize, key.Size() - offset), key.Data() + offset);
    }
    if (rounds)
        *rounds = done;
    return key;
}

bool BackupCipher::UnwrapKey(const SecretBytes& kek, const QByteArray& wrapped, SecretBytes& key)
{
    key.Clear();
    const EVP_CIPHER* cipher = WrapCipher(kek.Size());
    if (!cipher || wrapped.size() < 24 || wrapped.size() % 8 != 0)
        return false;
    CipherContext context(EVP_CIPHER_CTX_new());
    if (!context)
        return false;
    EVP_CIPHER_CTX_set_flags(context.get(), EVP_CIPHER_CTX_FLAG_WRAP_ALLOW);
    SecretBytes out(static_cast<std::size_t>(wrapped.size()));
    int length = 0;
    int final = 0;
    if (EVP_DecryptInit_ex(context.get(), cipher, nullptr, kek.Data(), nullptr) != 1 ||
        EVP_DecryptUpdate(context.get(), out.Data(), &length,
                          reinterpret_cast<const unsigned char*>(wrapped.constData()),
                          wrapped.size()) != 1 ||
        EVP_DecryptFinal_ex(context.get(), out.Data() + length, &final) != 1)
        return false;
    key = SecretBytes(reinterpret_cast<const char*>(out.Data()),
                      static_cast<std::size_t>(length + final));
    return true;
}

bool BackupCipher::WrapKey(const SecretBytes& kek, const SecretBytes& key, QByteArray& wrapped)
{
    wrapped.clear();
    const EVP_CIPHER* cipher = WrapCipher(kek.Size());
    if (!cipher || key.Size() < 16 || key.Size() % 8 != 0)
        return false;
    CipherContext context(EVP_CIPHER_CTX_new());
    if (!context)
        return false;
    EVP_CIPHER_CTX_set_flags(context.get(), EVP_CIPHER_CTX_FLAG_WRAP_ALLOW);
    QByteArray out(int(key.Size()) + 8, Qt::Uninitialized);
    auto* bytes = reinterpret_cast<unsigned char*>(out.data());
    int length = 0;
    int final = 0;
    if (EVP_EncryptInit_ex(context.get(), cipher, nullptr, kek.Data(), nullptr) != 1 ||
        EVP_EncryptUpdate(context.get(), bytes, &length, key.Data(), int(key.Size())) != 1 ||
        EVP_EncryptFinal_ex(context.get(), bytes + length, &final) != 1)
        return false;
    out.truncate(length + final);
    wrapped = out;
    return true;
}

bool BackupCipher::EncryptCbc(const SecretBytes& key, const QByteArray& plain, QByteArray& cipher)
{
    cipher.clear();
    CipherContext context(EVP_CIPHER_CTX_new());
    const unsigned char iv[BlockSize] = {};
    if (key.Size() != 32 || !context ||
        EVP_EncryptInit_ex(context.get(), EVP_aes_256_cbc(), nullptr, key.Data(), iv) != 1)
        return false;
    QByteArray out(plain.size() + BlockSize, Qt::Uninitialized);
    auto* bytes = reinterpret_cast<unsigned char*>(out.data());
    int length = 0;
    int final = 0;
    if (EVP_EncryptUpdate(context.get(), bytes, &length,
                          reinterpret_cast<const unsigned char*>(plain.constData()),
                          plain.size()) != 1 ||
        EVP_EncryptFinal_ex(context.get(), bytes + length, &final) != 1)
        return false;
    out.truncate(length + final);
    cipher = out;
    return true;
}

bool BackupCipher::DecryptCbc(const SecretBytes& key, QIODevice& in, QIODevice& out, qint64 size,
                              QString& error, const std::function<bool()>& goOn)
{
    if (key.Size() != 32) {
        error = QStringLiteral("the file key is not 32 bytes");
        return false;
    }
    CipherContext context(EVP_CIPHER_CTX_new());
    const unsigned char iv[BlockSize] = {};
    if (!context ||
        EVP_DecryptInit_ex(context.get(), EVP_aes_256_cbc(), nullptr, key.Data(), iv) != 1) {
        error = QStringLiteral("the cipher cannot be set up");
        return false;
    }
    // Padding is handled here: a backup file is cut to its archived size.
    EVP_CIPHER_CTX_set_padding(context.get(), 0);

    // Most files of a phone are small: their buffers are cut to their size.
    const qint64 known = in.isSequential() ? ChunkSize : in.size() - in.pos();
    const qint64 chunk =
        qBound<qint64>(BlockSize, (known + BlockSize - 1) / BlockSize * BlockSize, ChunkSize);
    QByteArray input(static_cast<int>(chunk), Qt::Uninitialized);
    SecretBytes plain(static_cast<std::size_t>(chunk + BlockSize));
    // The last block is held back until the end, where the padding is known.
    unsigned char held[BlockSize];
    bool holding = false;
    qint64 total = 0;
    qint64 written = 0;
    bool ok = true;
    for (;;) {
        if (goOn && !goOn()) {
            error = QStringLiteral("stopped");
            ok = false;
            break;
        }
        const qint64 n = in.read(input.data(), chunk);
        if (n < 0) {
            error = QStringLiteral("the encrypted file cannot be read");
            ok = false;
            break;
        }
        if (n == 0)
            break;
        total += n;
        int length = 0;
        if (EVP_DecryptUpdate(context.get(), plain.Data(), &length,
                              reinterpret_cast<const unsigned char*>(input.constData()),
                              static_cast<int>(n)) != 1) {
            error = QStringLiteral("the content cannot be decrypted");
            ok = false;
            break;
        }
        if (length < BlockSize)
            continue;
        if ((holding && !WriteCapped(out, held, BlockSize, size, written)) ||
            !WriteCapped(out, plain.Data(), length - BlockSize, size, written)) {
            error = QStringLiteral("the decrypted file cannot be written");
            ok = false;
            break;
        }
        std::copy(plain.Data() + length - BlockSize, plain.Data() + length, held);
        holding = true;
    }
    if (ok && total % BlockSize != 0) {
        error = QStringLiteral("the encrypted content is not whole blocks (%1 bytes)").arg(total);
        ok = false;
    }
    if (ok && holding) {
        int keep = BlockSize;
        if (size < 0) {
            const int pad = held[BlockSize - 1];
            bool padded = pad >= 1 && pad <= BlockSize;
            for (int i = BlockSize - pad; padded && i < BlockSize; ++i)
                padded = held[i] == pad;
            if (padded)
                keep -= pad;
        }
        if (!WriteCapped(out, held, keep, size, written)) {
            error = QStringLiteral("the decrypted file cannot be written");
            ok = false;
        }
    }
    if (ok && size >= 0 && written < size) {
        error = QStringLiteral("the content holds %1 of its %2 bytes").arg(written).arg(size);
        ok = false;
    }
    OPENSSL_cleanse(held, sizeof held);
    return ok;
}
