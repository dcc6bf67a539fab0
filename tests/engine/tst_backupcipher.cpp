// The primitives of encrypted backups as the engine calls them: PBKDF2 and
// AES key unwrap against the published vectors, PBKDF2's cancellation, the
// CBC file decryption's size and padding rules, the keybag parser's refusal of
// damaged bags, and a file's archived attributes.

#include "crypto/archivedfile.h"
#include "crypto/backupcipher.h"
#include "crypto/keybag.h"

#include <QBuffer>
#include <QtEndian>
#include <QtTest>

#include <atomic>
#include <thread>

#include <openssl/evp.h>
#include <plist/plist.h>

#include <cstdlib>

namespace {

SecretBytes Secret(const QByteArray& bytes)
{
    return SecretBytes::FromByteArray(bytes);
}

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

// `plain` through AES-256: CBC with a zero IV and PKCS#7 padding, how the
// phone writes a file, or with `wrap` the key wrap of RFC 3394.
QByteArray Encrypt(const QByteArray& key, const QByteArray& plain, bool wrap = false)
{
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    EVP_CIPHER_CTX_set_flags(context, EVP_CIPHER_CTX_FLAG_WRAP_ALLOW);
    const unsigned char iv[16] = {};
    QByteArray out(plain.size() + 16, Qt::Uninitialized);
    int length = 0;
    int final = 0;
    auto* target = reinterpret_cast<unsigned char*>(out.data());
    EVP_EncryptInit_ex(context, wrap ? EVP_aes_256_wrap() : EVP_aes_256_cbc(), nullptr,
                       reinterpret_cast<const unsigned char*>(key.constData()),
                       wrap ? nullptr : iv);
    EVP_EncryptUpdate(context, target, &length,
                      reinterpret_cast<const unsigned char*>(plain.constData()), plain.size());
    EVP_EncryptFinal_ex(context, target + length, &final);
    EVP_CIPHER_CTX_free(context);
    out.truncate(length + final);
    return out;
}

QByteArray Wrap(const QByteArray& kek, const QByteArray& key)
{
    return Encrypt(kek, key, true);
}

QByteArray Number(quint32 value)
{
    char bytes[4];
    qToBigEndian<quint32>(value, bytes);
    return QByteArray(bytes, 4);
}

QByteArray Record(const char* tag, const QByteArray& value)
{
    return QByteArray(tag, 4) + Number(quint32(value.size())) + value;
}

QByteArray BagHeader()
{
    return Record("VERS", Number(3)) + Record("TYPE", Number(1)) +
           Record("UUID", QByteArray(16, 'u')) + Record("SALT", QByteArray(20, 's')) +
           Record("ITER", Number(10)) + Record("DPIC", Number(10)) +
           Record("DPSL", QByteArray(20, 'd'));
}

QByteArray ClassRecords(int protectionClass, int wrappedSize = 40)
{
    return Record("UUID", QByteArray(16, 'c')) + Record("CLAS", Number(protectionClass)) +
           Record("WRAP", Number(2)) + Record("KTYP", Number(0)) +
           Record("WPKY", QByteArray(wrappedSize, 'w'));
}

// A file's archived attributes as phones write them (the Files.file of
// Manifest.db): the root and its key are references into $objects.
QByteArray Archive(quint64 root, quint64 keyReference)
{
    const QByteArray key = QByteArray("\x03\0\0\0", 4) + QByteArray(40, 'k');
    plist_t keyObject = plist_new_dict();
    plist_dict_set_item(keyObject, "NS.data", plist_new_data(key.constData(), key.size()));
    plist_t attributes = plist_new_dict();
    plist_dict_set_item(attributes, "Size", plist_new_uint(5));
    plist_dict_set_item(attributes, "ProtectionClass", plist_new_uint(3));
    plist_dict_set_item(attributes, "EncryptionKey", plist_new_uid(keyReference));
    plist_t objects = plist_new_array();
    plist_array_append_item(objects, plist_new_string("$null"));
    plist_array_append_item(objects, attributes);
    plist_array_append_item(objects, keyObject);
    plist_t top = plist_new_dict();
    plist_dict_set_item(top, "root", plist_new_uid(root));
    plist_t archive = plist_new_dict();
    plist_dict_set_item(archive, "$objects", objects);
    plist_dict_set_item(archive, "$top", top);
    char* data = nullptr;
    uint32_t length = 0;
    plist_to_bin(archive, &data, &length);
    const QByteArray bytes(data, int(length));
    free(data);
    plist_free(archive);
    return bytes;
}

} // namespace

class TestBackupCipher : public QObject
{
    Q_OBJECT

private slots:
    void pbkdf2_data();
    void pbkdf2();
    void pbkdf2StopsWhenCancelled();
    void unwrapKey_data();
    void unwrapKey();
    void decryptCbc_data();
    void decryptCbc();
    void keyBagParsing_data();
    void keyBagParsing();
    void keyBagUnlock_data();
    void keyBagUnlock();
    void archivedFile_data();
    void archivedFile();
};

void TestBackupCipher::pbkdf2_data()
{
    QTest::addColumn<int>("digest");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("salt");
    QTest::addColumn<int>("iterations");
    QTest::addColumn<QByteArray>("expected");
    const auto row = [](const char* name, BackupCipher::Digest digest, const QByteArray& password,
                        const QByteArray& salt, int iterations, const char* expected) {
        QTest::newRow(name) << int(digest) << password << salt << iterations << Hex(expected);
    };
    const QByteArray longPassword("passwordPASSWORDpassword");
    const QByteArray longSalt("saltSALTsaltSALTsaltSALTsaltSALTsalt");
    // RFC 6070, but for its 16,777,216-round case: seconds for no new path.
    row("SHA-1, 1 round", BackupCipher::SHA1, "password", "salt", 1,
        "0c60c80f961f0e71f3a9b524af6012062fe037a6");
    row("SHA-1, 2 rounds", BackupCipher::SHA1, "password", "salt", 2,
        "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957");
    row("SHA-1, 4096 rounds", BackupCipher::SHA1, "password", "salt", 4096,
        "4b007901b765489abead49d926f721d065a429c1");
    row("SHA-1, long inputs, 25 bytes", BackupCipher::SHA1, longPassword, longSalt, 4096,
        "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038");
    row("SHA-1, embedded zeros, 16 bytes", BackupCipher::SHA1, QByteArray("pass\0word", 9),
        QByteArray("sa\0lt", 5), 4096, "56fa6aa75548099dcc37d7f03425e0c3");
    // The same inputs with SHA-256 (published with RFC 7914's test vectors
    // and checked against a second implementation).
    row("SHA-256, 1 round", BackupCipher::SHA256, "password", "salt", 1,
        "120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b");
    row("SHA-256, 4096 rounds", BackupCipher::SHA256, "password", "salt", 4096,
        "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a");
    row("SHA-256, long inputs, 40 bytes", BackupCipher::SHA256, longPassword, longSalt, 4096,
        "348c89dbcbd32b2f32d814b8116e84cf2b17347ebc1800181c4e2a1fb8dd53e1c635518c7dac47e9");
    row("SHA-256, embedded zeros, 16 bytes", BackupCipher::SHA256, QByteArray("pass\0word", 9),
        QByteArray("sa\0lt", 5), 4096, "89b69d0516f829893c696226650a8687");
    row("SHA-256, two blocks", BackupCipher::SHA256, "passwd", "salt", 1,
        "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
        "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783");
    row("SHA-256, empty password", BackupCipher::SHA256, "", "salt", 2,
        "62384466264daadc4144018c6bd864648272b34da8980d31521ffcce92ae003b");
}

void TestBackupCipher::pbkdf2()
{
    QFETCH(int, digest);
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, salt);
    QFETCH(int, iterations);
    QFETCH(QByteArray, expected);
    qint64 rounds = 0;
    const SecretBytes key =
        BackupCipher::Pbkdf2(BackupCipher::Digest(digest), Secret(password), salt, iterations,
                             expected.size(), nullptr, &rounds);
    QCOMPARE(key.ToByteArray().toHex(), expected.toHex());
    // Every block of the key takes the rounds asked for.
    const int hashSize = digest == BackupCipher::SHA1 ? 20 : 32;
    QCOMPARE(rounds, qint64(iterations) * ((expected.size() + hashSize - 1) / hashSize));
}

// A derivation that would take minutes stops soon after the flag is set from
// another thread: no key, and far fewer rounds done than asked for. A key bag
// asking for them stays locked and calls the check cancelled, never a wrong
// password.
void TestBackupCipher::pbkdf2StopsWhenCancelled()
{
    constexpr int Rounds = 50000000;
    std::atomic<bool> cancel{false};
    qint64 rounds = -1;
    SecretBytes key(1);
    std::thread worker([&]() {
        key = BackupCipher::Pbkdf2(BackupCipher::SHA256, Secret("secret"), "salt", Rounds, 32,
                                   &cancel, &rounds);
    });
    QThread::msleep(50);
    cancel.store(true);
    worker.join();
    QVERIFY(key.IsEmpty());
    QVERIFY2(rounds > 0 && rounds < Rounds / 10, qPrintable(QString::number(rounds)));

    QByteArray bag = BagHeader() + ClassRecords(1);
    qToBigEndian<quint32>(Rounds, bag.data() + bag.indexOf("DPIC") + 8);
    KeyBag keyBag(bag);
    QVERIFY2(keyBag.IsValid(), qPrintable(keyBag.ErrorText()));
    QCOMPARE(keyBag.Unlock(Secret("secret"), &cancel), KeyBag::CANCELLED);
    QVERIFY(!keyBag.IsUnlocked());
    QVERIFY2(keyBag.ErrorText().contains(QStringLiteral("cancelled")),
             qPrintable(keyBag.ErrorText()));
}

void TestBackupCipher::unwrapKey_data()
{
    QTest::addColumn<QByteArray>("kek");
    QTest::addColumn<QByteArray>("wrapped");
    QTest::addColumn<QByteArray>("expected"); // empty: the integrity check fails

    // The RFC's keys of each size are the first bytes of the longest.
    const QByteArray kek = Hex("000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F");
    const QByteArray key = Hex("00112233445566778899AABBCCDDEEFF000102030405060708090A0B0C0D0E0F");
    // RFC 3394, section 4: each key size, each key-encryption key size.
    QTest::newRow("4.1 128 with 128")
        << kek.left(16) << Hex("1FA68B0A8112B447AEF34BD8FB5A7B829D3E862371D2CFE5") << key.left(16);
    QTest::newRow("4.4 192 with 192")
        << kek.left(24) << Hex("031D33264E15D33268F24EC260743EDCE1C6C7DDEE725A936BA814915C6762D2")
        << key.left(24);
    const QByteArray wrapped256 = Hex("28C9F404C4B810F4CBCCB35CFB87F8263F5786E2D80ED326CBC7F0E71A9"
                                      "9F43BFB988B9B7A02DD21");
    QTest::newRow("4.6 256 with 256") << kek << wrapped256 << key;
    // What a wrong password looks like: another key-encryption key.
    QByteArray otherKek = kek;
    otherKek[0] = '\x01';
    QTest::newRow("wrong key") << otherKek << wrapped256 << QByteArray();
    QByteArray flipped = wrapped256;
    flipped[20] = static_cast<char>(flipped[20] ^ 0x40);
    QTest::newRow("damaged wrap") << kek << flipped << QByteArray();
    QTest::newRow("not whole half-blocks") << kek << wrapped256.left(39) << QByteArray();
    QTest::newRow("odd key size") << kek.left(20) << wrapped256 << QByteArray();
}

void TestBackupCipher::unwrapKey()
{
    QFETCH(QByteArray, kek);
    QFETCH(QByteArray, wrapped);
    QFETCH(QByteArray, expected);
    SecretBytes key;
    QCOMPARE(BackupCipher::UnwrapKey(Secret(kek), wrapped, key), !expected.isEmpty());
    QCOMPARE(key.ToByteArray().toHex(), expected.toHex());
}

void TestBackupCipher::decryptCbc_data()
{
    QTest::addColumn<int>("plainSize");
    QTest::addColumn<int>("cutTo");     // the archived size, or -1 for PKCS#7
    QTest::addColumn<int>("dropBytes"); // ciphertext bytes taken off the end, -1: unreadable
    QTest::addColumn<int>("expected");  // plaintext bytes, or -1 for a failure

    QTest::newRow("archived size") << 1000 << 1000 << 0 << 1000;
    QTest::newRow("whole blocks, size") << 4096 << 4096 << 0 << 4096;
    QTest::newRow("padding taken off") << 1000 << -1 << 0 << 1000;
    QTest::newRow("whole blocks, padding") << 4096 << -1 << 0 << 4096;
    QTest::newRow("past a read chunk") << (3 << 20) + 5 << (3 << 20) + 5 << 0 << (3 << 20) + 5;
    QTest::newRow("empty file") << 0 << 0 << 0 << 0;
    QTest::newRow("not whole blocks") << 1000 << 1000 << 3 << -1;
    QTest::newRow("shorter than its size") << 1000 << 1000 << 16 << -1;
    // Without a known size nothing else would say that nothing was read.
    QTest::newRow("unreadable") << 1000 << -1 << -1 << -1;
}

void TestBackupCipher::decryptCbc()
{
    QFETCH(int, plainSize);
    QFETCH(int, cutTo);
    QFETCH(int, dropBytes);
    QFETCH(int, expected);
    const QByteArray key(32, '\x5a');
    QByteArray plain(plainSize, Qt::Uninitialized);
    for (int i = 0; i < plainSize; ++i)
        plain[i] = static_cast<char>(i * 7 + i / 251);
    QByteArray cipher = Encrypt(key, plain);
    cipher.chop(qMax(0, dropBytes));
    QBuffer in(&cipher);
    QByteArray output;
    QBuffer out(&output);
    QVERIFY(in.open(dropBytes < 0 ? QIODevice::WriteOnly : QIODevice::ReadOnly) &&
            out.open(QIODevice::WriteOnly));
    QString error;
    const bool ok = BackupCipher::DecryptCbc(Secret(key), in, out, cutTo, error);
    QCOMPARE(ok, expected >= 0);
    QCOMPARE(error.isEmpty(), ok);
    if (ok)
        QVERIFY(output == plain.left(expected));
}

void TestBackupCipher::keyBagParsing_data()
{
    QTest::addColumn<QByteArray>("bag");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("reason");

    const QByteArray good = BagHeader() + ClassRecords(1) + ClassRecords(3);
    QTest::newRow("complete") << good << true << QString();
    QTest::newRow("empty") << QByteArray() << false << "no keybag";
    QTest::newRow("cut in a header") << good.left(good.size() - 45) << false << "record header";
    QTest::newRow("cut in a value") << good.left(good.size() - 10) << false << "runs past";
    QByteArray noSecondSalt = BagHeader();
    noSecondSalt.replace("DPSL", "XXXX");
    QTest::newRow("DPIC without DPSL") << noSecondSalt + ClassRecords(1) << false << "second salt";
    QTest::newRow("no class keys") << BagHeader() << false << "no class keys";
    QTest::newRow("short wrapped key")
        << BagHeader() + ClassRecords(1, 32) << false << "incomplete";
    QByteArray longLength = good;
    qToBigEndian<quint32>(0xFFFFFFF0u, longLength.data() + 4);
    QTest::newRow("huge length") << longLength << false << "runs past";
}

void TestBackupCipher::keyBagParsing()
{
    QFETCH(QByteArray, bag);
    QFETCH(bool, valid);
    QFETCH(QString, reason);
    KeyBag keyBag(bag);
    QCOMPARE(keyBag.IsValid(), valid);
    QVERIFY2(keyBag.ErrorText().contains(reason), qPrintable(keyBag.ErrorText()));
    if (!valid)
        QCOMPARE(keyBag.Unlock(Secret("anything")), KeyBag::DAMAGED);
}

void TestBackupCipher::keyBagUnlock_data()
{
    QTest::addColumn<QByteArray>("bag");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("reason");

    const QByteArray salt(20, 's');
    const QByteArray secondSalt(20, 'd');
    const auto derive = [&](const QByteArray& password, bool twice) {
        SecretBytes key = Secret(password);
        if (twice)
            key = BackupCipher::Pbkdf2(BackupCipher::SHA256, key, secondSalt, 3, 32);
        return BackupCipher::Pbkdf2(BackupCipher::SHA1, key, salt, 2, 32).ToByteArray();
    };
    const auto bag = [&](bool twice, const QByteArray& kek, const QByteArray& secondKek) {
        QByteArray data = Record("VERS", Number(3)) + Record("UUID", QByteArray(16, 'u')) +
                          Record("SALT", salt) + Record("ITER", Number(2));
        if (twice)
            data += Record("DPSL", secondSalt) + Record("DPIC", Number(3));
        for (int protectionClass : {1, 3}) {
            data += Record("UUID", QByteArray(16, 'c')) +
                    Record("CLAS", Number(quint32(protectionClass))) + Record("WRAP", Number(3)) +
                    Record("WPKY", Wrap(protectionClass == 1 ? kek : secondKek,
                                        QByteArray(32, char('k' + protectionClass))));
        }
        return data;
    };
    const QByteArray right = derive("secret", true);
    const QByteArray wrong = derive("other", true);
    const auto row = [](const char* name, const QByteArray& data, KeyBag::UnlockResult result,
                        const char* reason) {
        QTest::newRow(name) << data << int(result) << QString(reason);
    };
    row("right password", bag(true, right, right), KeyBag::UNLOCKED, "");
    row("wrong password", bag(true, wrong, wrong), KeyBag::WRONG_PASSWORD, "wrong password");
    row("one class key damaged", bag(true, right, wrong), KeyBag::DAMAGED, "class 3");
    row("first class key damaged", bag(true, wrong, right), KeyBag::DAMAGED, "class 1");
    // iOS 10.1 and older: one SHA-1 derivation, no DPSL or DPIC.
    const QByteArray old = derive("secret", false);
    row("old scheme", bag(false, old, old), KeyBag::UNLOCKED, "");
    row("old scheme, wrong password", bag(false, derive("other", false), derive("other", false)),
        KeyBag::WRONG_PASSWORD, "wrong password");
    QByteArray noCount = bag(true, right, right);
    noCount.replace("DPIC", "XXXX");
    row("DPSL without DPIC", noCount, KeyBag::DAMAGED, "second salt");
    QByteArray huge = bag(true, right, right);
    qToBigEndian<quint32>(0x7FFFFFFF, huge.data() + huge.indexOf("DPIC") + 8);
    row("2^31 rounds", huge, KeyBag::DAMAGED, "far more");
    huge = bag(false, old, old);
    qToBigEndian<quint32>(0x7FFFFFFF, huge.data() + huge.indexOf("ITER") + 8);
    row("2^31 SHA-1 rounds", huge, KeyBag::DAMAGED, "far more");
}

// A keybag with real wrapped class keys: the password and the bag's damage
// give their own results.
void TestBackupCipher::keyBagUnlock()
{
    QFETCH(QByteArray, bag);
    QFETCH(int, result);
    QFETCH(QString, reason);
    KeyBag keyBag(bag);
    QCOMPARE(int(keyBag.Unlock(Secret("secret"))), result);
    QVERIFY2(keyBag.ErrorText().contains(reason), qPrintable(keyBag.ErrorText()));
    QCOMPARE(keyBag.IsUnlocked(), result == KeyBag::UNLOCKED);
    SecretBytes key;
    QCOMPARE(keyBag.UnwrapKey(3, Wrap(QByteArray(32, char('k' + 3)), QByteArray(32, 'f')), key),
             result == KeyBag::UNLOCKED);
}

void TestBackupCipher::archivedFile_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<bool>("valid");
    QTest::newRow("as written") << Archive(1, 2) << true;
    // References one past the last object lead nowhere.
    QTest::newRow("root past the objects") << Archive(3, 2) << false;
    QTest::newRow("key past the objects") << Archive(1, 3) << false;
}

void TestBackupCipher::archivedFile()
{
    QFETCH(QByteArray, archive);
    QFETCH(bool, valid);
    const ArchivedFile file = ArchivedFile::Parse(archive);
    QCOMPARE(file.IsValid(), valid);
    if (valid)
        QCOMPARE(QVariantList({file.Size(), file.ProtectionClass(), file.WrappedKey()}),
                 QVariantList({qint64(5), 3, QByteArray(40, 'k')}));
}

QTEST_GUILESS_MAIN(TestBackupCipher)
#include "tst_backupcipher.moc"
