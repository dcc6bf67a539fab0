#include "backupcipher.h"

#include <QIODevice>

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <memory>

namespace {

constexpr int BlockSize = 16;
constexpr qint64 ChunkSize = 1 << 20;

struct CipherContextFree
{
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

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
                                 int iterations, int length)
{
    if (iterations < 1 || length < 1)
        return SecretBytes();
    SecretBytes key(static_cast<std::size_t>(length));
    const EVP_MD* md = digest == SHA1 ? EVP_sha1() : EVP_sha256();
    const int ok = PKCS5_PBKDF2_HMAC(reinterpret_cast<const char*>(secret.Data()),
                                     static_cast<int>(secret.Size()),
                                     reinterpret_cast<const unsigned char*>(salt.constData()),
                                     salt.size(), iterations, md, length, key.Data());
    return ok == 1 ? std::move(key) : SecretBytes();
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
                              QString& error)
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
