#include "samplebackupencryptor.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <plist/plist.h>

#include <memory>

namespace {

constexpr int KeySize = 32;
constexpr int SaltSize = 20;
constexpr int SecondRounds = 10000;
// Classes 1 to 11 as a phone's backup keybag lists them.
constexpr int FirstClass = 1;
constexpr int LastClass = 11;
constexpr int WrapPasscode = 2;

QByteArray Random(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    if (RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), size) != 1)
        return QByteArray();
    return bytes;
}

void Wipe(QByteArray& bytes)
{
    if (!bytes.isEmpty())
        OPENSSL_cleanse(bytes.data(), static_cast<std::size_t>(bytes.size()));
}

QByteArray Record(const char* tag, const QByteArray& value)
{
    QByteArray record(tag, 4);
    char length[4];
    qToBigEndian<quint32>(static_cast<quint32>(value.size()), length);
    record.append(length, 4);
    return record + value;
}

QByteArray Number(quint32 value)
{
    char bytes[4];
    qToBigEndian<quint32>(value, bytes);
    return QByteArray(bytes, 4);
}

QByteArray Pbkdf2(const QByteArray& secret, const QByteArray& salt, int rounds, const EVP_MD* md)
{
    QByteArray key(KeySize, Qt::Uninitialized);
    if (PKCS5_PBKDF2_HMAC(secret.constData(), secret.size(),
                          reinterpret_cast<const unsigned char*>(salt.constData()), salt.size(),
                          rounds, md, KeySize, reinterpret_cast<unsigned char*>(key.data())) != 1)
        return QByteArray();
    return key;
}

struct CipherContextFree
{
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

struct PlistFree
{
    void operator()(plist_t plist) const { plist_free(plist); }
};

plist_t ClassObject(const char* name, std::initializer_list<const char*> classes)
{
    plist_t object = plist_new_dict();
    plist_dict_set_item(object, "$classname", plist_new_string(name));
    plist_t list = plist_new_array();
    for (const char* entry : classes)
        plist_array_append_item(list, plist_new_string(entry));
    plist_dict_set_item(object, "$classes", list);
    return object;
}

// The keyed archive of one file's attributes, as the phone's backup writes
// it into Files.file: $objects[1] is the file, EncryptionKey points at
// mutable data, RelativePath at a string. The times (seconds since 1970)
// and the inode number are what a decryptor that extracts only what changed
// compares.
QByteArray FileArchive(const QString& relativePath, qint64 size, int protectionClass,
                       const QByteArray& classAndKey, qint64 modified, quint64 inode)
{
    std::unique_ptr<void, PlistFree> root(plist_new_dict());
    plist_dict_set_item(root.get(), "$version", plist_new_uint(100000));
    plist_dict_set_item(root.get(), "$archiver", plist_new_string("NSKeyedArchiver"));
    plist_t top = plist_new_dict();
    plist_dict_set_item(top, "root", plist_new_uid(1));
    plist_dict_set_item(root.get(), "$top", top);

    plist_t objects = plist_new_array();
    plist_array_append_item(objects, plist_new_string("$null"));
    plist_t file = plist_new_dict();
    plist_dict_set_item(file, "$class", plist_new_uid(5));
    plist_dict_set_item(file, "RelativePath", plist_new_uid(2));
    plist_dict_set_item(file, "EncryptionKey", plist_new_uid(3));
    plist_dict_set_item(file, "Size", plist_new_uint(static_cast<uint64_t>(size)));
    plist_dict_set_item(file, "ProtectionClass",
                        plist_new_uint(static_cast<uint64_t>(protectionClass)));
    plist_dict_set_item(file, "Mode", plist_new_uint(0100644));
    plist_dict_set_item(file, "UserID", plist_new_uint(501));
    plist_dict_set_item(file, "GroupID", plist_new_uint(501));
    plist_dict_set_item(file, "Flags", plist_new_uint(0));
    plist_dict_set_item(file, "LastModified", plist_new_uint(static_cast<uint64_t>(modified)));
    plist_dict_set_item(file, "Birth", plist_new_uint(static_cast<uint64_t>(modified)));
    plist_dict_set_item(file, "LastStatusChange", plist_new_uint(static_cast<uint64_t>(modified)));
    plist_dict_set_item(file, "InodeNumber", plist_new_uint(inode));
    plist_array_append_item(objects, file);
    plist_array_append_item(objects, plist_new_string(relativePath.toUtf8().constData()));
    plist_t key = plist_new_dict();
    plist_dict_set_item(key, "$class", plist_new_uid(4));
    plist_dict_set_item(
        key, "NS.data",
        plist_new_data(classAndKey.constData(), static_cast<uint64_t>(classAndKey.size())));
    plist_array_append_item(objects, key);
    plist_array_append_item(objects,
                            ClassObject("NSMutableData", {"NSMutableData", "NSData", "NSObject"}));
    plist_array_append_item(objects, ClassObject("MBFile", {"MBFile", "NSObject"}));
    plist_dict_set_item(root.get(), "$objects", objects);

    char* data = nullptr;
    uint32_t length = 0;
    plist_to_bin(root.get(), &data, &length);
    const QByteArray archive(data, static_cast<int>(length));
    plist_to_bin_free(data);
    return archive;
}

} // namespace

SampleBackupEncryptor::SampleBackupEncryptor(const QString& password, int derivationRounds,
                                             bool oldScheme)
{
    const QByteArray salt = Random(SaltSize);
    const QByteArray dpsl = Random(SaltSize);
    QByteArray secret = password.toUtf8();
    QByteArray stretched =
        oldScheme ? secret : Pbkdf2(secret, dpsl, qMax(1, derivationRounds), EVP_sha256());
    QByteArray passwordKey = Pbkdf2(stretched, salt, SecondRounds, EVP_sha1());
    Wipe(secret);
    Wipe(stretched);
    if (salt.isEmpty() || dpsl.isEmpty() || passwordKey.isEmpty())
        return;

    m_keyBag = Record("VERS", Number(3)) + Record("TYPE", Number(1)) + Record("UUID", Random(16)) +
               Record("HMCK", Random(40)) + Record("WRAP", Number(0)) + Record("SALT", salt) +
               Record("ITER", Number(SecondRounds));
    // Since iOS 10.2 the password is first stretched with SHA-256.
    if (!oldScheme)
        m_keyBag += Record("DPWT", Number(1)) +
                    Record("DPIC", Number(static_cast<quint32>(qMax(1, derivationRounds)))) +
                    Record("DPSL", dpsl);
    bool ok = true;
    for (int protectionClass = FirstClass; protectionClass <= LastClass; ++protectionClass) {
        const QByteArray key = Random(KeySize);
        const QByteArray wrapped = Wrap(passwordKey, key);
        ok = ok && !key.isEmpty() && !wrapped.isEmpty();
        m_classKeys[protectionClass] = key;
        m_keyBag += Record("UUID", Random(16)) + Record("CLAS", Number(protectionClass)) +
                    Record("WRAP", Number(WrapPasscode)) + Record("KTYP", Number(0)) +
                    Record("WPKY", wrapped);
    }
    Wipe(passwordKey);
    m_manifestFileKey = Random(KeySize);
    const QByteArray wrapped = Wrap(m_classKeys[ManifestClass], m_manifestFileKey);
    char classBytes[4];
    qToLittleEndian<quint32>(ManifestClass, classBytes);
    m_manifestKey = QByteArray(classBytes, 4) + wrapped;
    m_valid = ok && !wrapped.isEmpty();
}

SampleBackupEncryptor::~SampleBackupEncryptor()
{
    for (auto& entry : m_classKeys)
        Wipe(entry.second);
    Wipe(m_manifestFileKey);
}

QByteArray SampleBackupEncryptor::Wrap(const QByteArray& kek, const QByteArray& key) const
{
    CipherContext context(EVP_CIPHER_CTX_new());
    if (!context || kek.size() != KeySize)
        return QByteArray();
    EVP_CIPHER_CTX_set_flags(context.get(), EVP_CIPHER_CTX_FLAG_WRAP_ALLOW);
    QByteArray out(key.size() + 16, Qt::Uninitialized);
    int length = 0;
    int final = 0;
    auto* target = reinterpret_cast<unsigned char*>(out.data());
    if (EVP_EncryptInit_ex(context.get(), EVP_aes_256_wrap(), nullptr,
                           reinterpret_cast<const unsigned char*>(kek.constData()), nullptr) != 1 ||
        EVP_EncryptUpdate(context.get(), target, &length,
                          reinterpret_cast<const unsigned char*>(key.constData()),
                          key.size()) != 1 ||
        EVP_EncryptFinal_ex(context.get(), target + length, &final) != 1)
        return QByteArray();
    out.truncate(length + final);
    return out;
}

bool SampleBackupEncryptor::EncryptInPlace(const QString& path, const QByteArray& key,
                                           qint64& size) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray plain = file.readAll();
    size = plain.size();
    CipherContext context(EVP_CIPHER_CTX_new());
    const unsigned char iv[16] = {};
    QByteArray cipher(plain.size() + 16, Qt::Uninitialized);
    int length = 0;
    int final = 0;
    auto* target = reinterpret_cast<unsigned char*>(cipher.data());
    const bool ok =
        context &&
        EVP_EncryptInit_ex(context.get(), EVP_aes_256_cbc(), nullptr,
                           reinterpret_cast<const unsigned char*>(key.constData()), iv) == 1 &&
        EVP_EncryptUpdate(context.get(), target, &length,
                          reinterpret_cast<const unsigned char*>(plain.constData()),
                          plain.size()) == 1 &&
        EVP_EncryptFinal_ex(context.get(), target + length, &final) == 1;
    if (!ok)
        return false;
    cipher.truncate(length + final);
    return file.seek(0) && file.write(cipher) == cipher.size() && file.resize(cipher.size());
}

bool SampleBackupEncryptor::EncryptFile(const QString& path, int protectionClass,
                                        QByteArray& encryptionKey, qint64& size)
{
    const auto classKey = m_classKeys.find(protectionClass);
    if (!m_valid || classKey == m_classKeys.end())
        return false;
    QByteArray key = Random(KeySize);
    const QByteArray wrapped = Wrap(classKey->second, key);
    const bool ok = !wrapped.isEmpty() && EncryptInPlace(path, key, size);
    Wipe(key);
    if (!ok)
        return false;
    char classBytes[4];
    qToLittleEndian<quint32>(static_cast<quint32>(protectionClass), classBytes);
    encryptionKey = QByteArray(classBytes, 4) + wrapped;
    return true;
}

QByteArray SampleBackupEncryptor::EncryptFile(const QString& path, const QString& relativePath,
                                              int protectionClass)
{
    const qint64 modified = qMax<qint64>(0, QFileInfo(path).lastModified().toSecsSinceEpoch());
    QByteArray encryptionKey;
    qint64 size = 0;
    if (!EncryptFile(path, protectionClass, encryptionKey, size))
        return QByteArray();
    return FileArchive(relativePath, size, protectionClass, encryptionKey, modified, ++m_lastInode);
}

bool SampleBackupEncryptor::EncryptManifestDb(const QString& path)
{
    qint64 size = 0;
    return m_valid && EncryptInPlace(path, m_manifestFileKey, size);
}
