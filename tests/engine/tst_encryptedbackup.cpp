// An encrypted generated backup reads, with its password, to the same records
// and files as its unencrypted twin (an older phone's, with Manifest.mbdb, too); a wrong or empty
// password and damaged keys give their own results; plaintext appears only on demand, only in the
// device's private folder, and is gone with the device; the backup itself is
// never changed.

#include "backupdevice.h"
#include "backupfixture.h"
#include "contracts/mmobile.h"
#include "samplebackupwriter.h"
#include "scanrunner.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sqlite3.h>

#ifdef Q_OS_UNIX
#include <csignal>
#include <cstdio>
#include <unistd.h>
#endif

using namespace MMobile;

namespace {

const char* const Password = "Kor\xc3\xa9 pass 7";

// Damages one data entry of the XML Manifest.plist the generator writes: a
// keybag is cut inside a record, any other key gets one bit changed.
bool DamagePlistData(const QString& folder, const QString& key)
{
    const QString path = QDir(folder).filePath(QStringLiteral("Manifest.plist"));
    QString xml = QString::fromUtf8(BackupFixture::Read(path));
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("(<key>%1</key>\\s*<data>)([^<]*)(</data>)").arg(key))
            .match(xml);
    if (!match.hasMatch())
        return false;
    QByteArray data = QByteArray::fromBase64(match.captured(2).toLatin1());
    if (key == QLatin1String("BackupKeyBag"))
        data.chop(30);
    else
        data[10] = static_cast<char>(data[10] ^ 0x01);
    xml.replace(match.capturedStart(2), match.capturedLength(2),
                QString::fromLatin1(data.toBase64()));
    return BackupFixture::WriteFile(path, xml.toUtf8());
}

} // namespace

class TestEncryptedBackup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void unlockResults_data();
    void unlockResults();
    void categoriesMatchTheTwin_data();
    void categoriesMatchTheTwin();
    void filesAreDecryptedOnDemand();
    void databasesStayInMemory_data();
    void databasesStayInMemory();
    void undecryptablePhotoIsLeftOut();
    void privateFolderGoesWithTheProcess_data();
    void privateFolderGoesWithTheProcess();
    void nothingDecryptedRemains();

private:
    QString Export(SourcePtr& source, MDType type);

    QTemporaryDir m_dir;
    QString m_plainFolder;
    QString m_encryptedFolder;
    QString m_evidence;
    QString m_temp; // this test's temporary folder, where private folders go
    std::unique_ptr<BackupDevice> m_plain;
    std::unique_ptr<BackupDevice> m_encrypted;
    // The twins of an iOS 7 phone: the older keybag, and Manifest.mbdb.
    std::unique_ptr<BackupDevice> m_oldPlain;
    std::unique_ptr<BackupDevice> m_oldEncrypted;
    int m_exports = 0;
};

void TestEncryptedBackup::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // A temporary folder of its own, so that other programs' files do not count.
    m_temp = m_dir.filePath(QStringLiteral("tmp"));
    QVERIFY(QDir().mkpath(m_temp));
    qputenv("TMPDIR", QFile::encodeName(m_temp));
    QCOMPARE(QDir::tempPath(), QFileInfo(m_temp).canonicalFilePath());
    SampleBackupWriter::Options options;
    m_plainFolder = m_dir.filePath(QStringLiteral("plain"));
    SampleBackupWriter plain(options);
    QVERIFY2(plain.Write(m_plainFolder), qPrintable(plain.ErrorText()));
    options.password = QString::fromUtf8(Password);
    options.kdfRounds = 2000;
    m_encryptedFolder = m_dir.filePath(QStringLiteral("encrypted"));
    SampleBackupWriter encrypted(options);
    QVERIFY2(encrypted.Write(m_encryptedFolder), qPrintable(encrypted.ErrorText()));
    m_evidence = BackupFixture::Digests(m_encryptedFolder);

    m_plain = std::make_unique<BackupDevice>(m_plainFolder);
    m_encrypted = std::make_unique<BackupDevice>(m_encryptedFolder);
    QVERIFY(!m_plain->IsEncrypted());
    QVERIFY(m_encrypted->IsEncrypted());
    QCOMPARE(m_encrypted->Unlock(QString::fromUtf8(Password)), BackupDevice::UNLOCK_OK);
    QVERIFY(m_encrypted->IsUnlocked());

    // An older phone's pair: one SHA-1 derivation, and a plain Manifest.mbdb
    // that carries each file's key; the wrong password is refused.
    options.ios = 7;
    const QString oldFolder = m_dir.filePath(QStringLiteral("old-encrypted"));
    SampleBackupWriter oldEncrypted(options);
    QVERIFY2(oldEncrypted.Write(oldFolder), qPrintable(oldEncrypted.ErrorText()));
    options.password.clear();
    const QString oldPlainFolder = m_dir.filePath(QStringLiteral("old-plain"));
    SampleBackupWriter oldPlain(options);
    QVERIFY2(oldPlain.Write(oldPlainFolder), qPrintable(oldPlain.ErrorText()));
    QVERIFY(QFileInfo::exists(QDir(oldFolder).filePath(QStringLiteral("Manifest.mbdb"))));
    QVERIFY(!QFileInfo::exists(QDir(oldFolder).filePath(QStringLiteral("Manifest.db"))));
    m_oldPlain = std::make_unique<BackupDevice>(oldPlainFolder);
    m_oldEncrypted = std::make_unique<BackupDevice>(oldFolder);
    QVERIFY(m_oldEncrypted->IsEncrypted());
    QCOMPARE(m_oldEncrypted->Unlock(QStringLiteral("Kore pass 7")),
             BackupDevice::UNLOCK_WRONG_PASSWORD);
    QCOMPARE(m_oldEncrypted->Unlock(QString::fromUtf8(Password)), BackupDevice::UNLOCK_OK);
}

QString TestEncryptedBackup::Export(SourcePtr& source, MDType type)
{
    const QString folder = m_dir.filePath(QStringLiteral("out%1").arg(++m_exports));
    return ScanRunner(source.get()).ExportAll(type, folder) == TASK_COMPLETE ? folder : QString();
}

void TestEncryptedBackup::unlockResults_data()
{
    QTest::addColumn<QString>("password"); // null: Unlock() is not called
    // A Manifest.plist entry to damage, "link" for Manifest.db linked out, or none.
    QTest::addColumn<QString>("damagedKey");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("scanError"); // empty: the scan completes

    const auto row = [](const char* name, const QString& password, const char* damagedKey,
                        BackupDevice::UnlockResult result, const char* scanError) {
        QTest::newRow(name) << password << QString(damagedKey) << int(result)
                            << QByteArray(scanError);
    };
    const QString right = QString::fromUtf8(Password);
    row("locked", QString(), "", BackupDevice::UNLOCK_WRONG_PASSWORD, "255");
    row("right password", right, "", BackupDevice::UNLOCK_OK, "");
    row("wrong password", "Kore pass 7", "", BackupDevice::UNLOCK_WRONG_PASSWORD, "255");
    row("empty password", "", "", BackupDevice::UNLOCK_WRONG_PASSWORD, "255");
    row("damaged keybag", right, "BackupKeyBag", BackupDevice::UNLOCK_DAMAGED, "3");
    row("damaged manifest key", right, "ManifestKey", BackupDevice::UNLOCK_DAMAGED, "3");
    // Manifest.db a link to a file outside the backup: never read nor decrypted.
    row("Manifest.db linked out", right, "link", BackupDevice::UNLOCK_OK, "2");
}

void TestEncryptedBackup::unlockResults()
{
    QFETCH(QString, password);
    QFETCH(QString, damagedKey);
    QFETCH(int, result);
    QFETCH(QByteArray, scanError);
    QString folder = m_encryptedFolder;
    if (!damagedKey.isEmpty()) {
        folder = m_dir.filePath(QStringLiteral("damaged-") + damagedKey);
        QVERIFY(BackupFixture::CopyFolder(m_encryptedFolder, folder));
        const QString manifest = QDir(folder).filePath(QStringLiteral("Manifest.db"));
        const QString outside = folder + QStringLiteral("-Manifest.db");
        QVERIFY(damagedKey == QLatin1String("link")
                    ? QFile::rename(manifest, outside) && QFile::link(outside, manifest)
                    : DamagePlistData(folder, damagedKey));
    }
    BackupDevice device(folder);
    QVERIFY(device.IsEncrypted());
    if (password.isNull())
        QVERIFY(device.PrivateFolder().isEmpty());
    else
        QCOMPARE(int(device.Unlock(password)), result);
    QCOMPARE(device.IsUnlocked(), result == BackupDevice::UNLOCK_OK);
    if (damagedKey == QLatin1String("link"))
        QVERIFY(!QFileInfo::exists(QDir(device.PrivateFolder()).filePath("Manifest.db")));
    if (result != BackupDevice::UNLOCK_OK && !password.isNull())
        QVERIFY(!device.UnlockError().isEmpty());
    SourcePtr source(device.GetDataSource(MD_SAFARI_BOOKMARK));
    ScanRunner runner(source.get());
    QCOMPARE(runner.Scan(), int(scanError.isEmpty() ? TASK_COMPLETE : TASK_ERROR));
    QCOMPARE(runner.BackupError(), scanError);
}

void TestEncryptedBackup::categoriesMatchTheTwin_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("old"); // the iOS 7 pair
    for (MDType type : {MD_CONTACT, MD_MESSAGE, MD_MESSAGE_ATTACHMENT, MD_CALL_HISTORY, MD_CALENDAR,
                        MD_REMINDER, MD_NOTE, MD_SAFARI_BOOKMARK, MD_PHOTO, MD_VOICE_MEMO,
                        MD_WHATSAPP_MESSAGE, MD_WHATSAPP_ATTACHMENT})
        QTest::addRow("category %d", int(type)) << int(type) << false;
    for (MDType type : {MD_CONTACT, MD_MESSAGE, MD_NOTE, MD_PHOTO})
        QTest::addRow("iOS 7, category %d", int(type)) << int(type) << true;
}

void TestEncryptedBackup::categoriesMatchTheTwin()
{
    QFETCH(int, type);
    QFETCH(bool, old);
    SourcePtr plain;
    SourcePtr encrypted;
    QVERIFY(ScanRunner::ScanInto(plain, old ? *m_oldPlain : *m_plain, MDType(type)));
    QVERIFY(ScanRunner::ScanInto(encrypted, old ? *m_oldEncrypted : *m_encrypted, MDType(type)));
    const unsigned int count = plain->GetDataGetter()->GetCount();
    QVERIFY(count > 0);
    QCOMPARE(encrypted->GetDataGetter()->GetCount(), count);
    // The exports hold every record's text and every file's bytes: equal
    // trees mean equal records and equal decrypted files.
    const QString plainOut = Export(plain, MDType(type));
    const QString encryptedOut = Export(encrypted, MDType(type));
    QVERIFY(!plainOut.isEmpty() && !encryptedOut.isEmpty());
    const QString expected = BackupFixture::ExportDigests(plainOut);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(BackupFixture::ExportDigests(encryptedOut), expected);
}

void TestEncryptedBackup::filesAreDecryptedOnDemand()
{
    SourcePtr plain;
    QVERIFY(ScanRunner::ScanInto(plain, *m_plain, MD_PHOTO));
    const QStringList tempBefore = QDir(m_temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    BackupDevice device(m_encryptedFolder);
    QCOMPARE(device.Unlock(QString::fromUtf8(Password)), BackupDevice::UNLOCK_OK);
    const QString privateFolder = device.PrivateFolder();
    QVERIFY(privateFolder.startsWith(QDir::tempPath()));
    // Mode 0700: the owner's only.
    const QFile::Permissions owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFileInfo(privateFolder).permissions() & (owner | others), owner);
    SourcePtr encrypted;
    QVERIFY(ScanRunner::ScanInto(encrypted, device, MD_PHOTO));
    // The scan decrypted Manifest.db and the photo library into memory, no
    // picture: the thumbnails were made from content in memory, and only
    // they were written, inside the private folder, as the twin's pictures
    // give them.
    const int before = QDir(privateFolder).entryList(QDir::Files).size();
    QCOMPARE(before, 0);
    QStringList tempNow = QDir(m_temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QVERIFY(tempNow.removeOne(QFileInfo(privateFolder).fileName()));
    QCOMPARE(tempNow, tempBefore);
    IMDGetter* photos = encrypted->GetDataGetter();
    QCOMPARE(photos->GetCount(), plain->GetDataGetter()->GetCount());
    for (unsigned int i = 0; i < photos->GetCount(); ++i) {
        auto* photo = record_cast<IPhoto>(photos->GetItem(i));
        auto* twin = record_cast<IPhoto>(plain->GetDataGetter()->GetItem(i));
        QVERIFY(photo && twin);
        const QString thumbnail = QString::fromUtf8(photo->GetThumbnailPath());
        QCOMPARE(thumbnail.isEmpty(), QByteArray(twin->GetThumbnailPath()).isEmpty());
        if (!thumbnail.isEmpty()) {
            QVERIFY2(thumbnail.startsWith(privateFolder + '/'), qPrintable(thumbnail));
            QCOMPARE(QImage(thumbnail).size(),
                     QImage(QString::fromUtf8(twin->GetThumbnailPath())).size());
        }
    }
    auto* photo = record_cast<IPhoto>(encrypted->GetDataGetter()->GetItem(3));
    auto* twin = record_cast<IPhoto>(plain->GetDataGetter()->GetItem(3));
    QVERIFY(photo && twin);
    const QString path = QString::fromUtf8(photo->GetFilePath());
    QVERIFY(path.startsWith(privateFolder));
    QCOMPARE(QDir(privateFolder).entryList(QDir::Files).size(), before + 1);
    const QByteArray original = BackupFixture::Read(QString::fromUtf8(twin->GetFilePath()));
    QVERIFY(!original.isEmpty() && BackupFixture::Read(path) == original);
}

void TestEncryptedBackup::databasesStayInMemory_data()
{
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<bool>("onDisk");
    QTest::newRow("usual sizes") << qint64(-1) << false; // the engine's own limit
    QTest::newRow("above the limit") << qint64(0) << true;
}

// Scans of the categories that read databases (their deleted rows too) find
// what the twin holds; below the memory limit not one decrypted database or
// log lies in the private folder while the backup is open, so a process
// killed without a word leaves none.
void TestEncryptedBackup::databasesStayInMemory()
{
    QFETCH(qint64, limit);
    QFETCH(bool, onDisk);
    BackupDevice device(m_encryptedFolder);
    if (limit >= 0)
        device.SetMemoryLimit(limit);
    QCOMPARE(device.Unlock(QString::fromUtf8(Password)), BackupDevice::UNLOCK_OK);
    for (MDType type : {MD_CONTACT, MD_MESSAGE, MD_CALL_HISTORY, MD_NOTE, MD_SAFARI_BOOKMARK,
                        MD_CALENDAR, MD_WHATSAPP_MESSAGE}) {
        SourcePtr plain;
        SourcePtr encrypted;
        QVERIFY(ScanRunner::ScanInto(plain, *m_plain, type));
        QVERIFY(ScanRunner::ScanInto(encrypted, device, type));
        QCOMPARE(encrypted->GetDataGetter()->GetCount(), plain->GetDataGetter()->GetCount());
    }
    QStringList databases;
    QDirIterator files(device.PrivateFolder(), QDir::Files | QDir::Hidden,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray head = file.read(16);
        // A database, or a log (its magic number, either byte order).
        if (head == QByteArray("SQLite format 3", 16) || head.startsWith("\x37\x7f\x06\x82") ||
            head.startsWith("\x37\x7f\x06\x83"))
            databases << QFileInfo(file).fileName();
    }
    QVERIFY2(databases.isEmpty() != onDisk, qPrintable(databases.join(QLatin1Char(' '))));
}

// A photo whose file key does not unwrap (one byte of its wrapped key
// changed in the decrypted Manifest.db): the scan leaves it out and counts
// it, and the export writes every other photo.
void TestEncryptedBackup::undecryptablePhotoIsLeftOut()
{
    BackupDevice device(m_encryptedFolder);
    // Above the memory limit, Manifest.db is a file that can be changed.
    device.SetMemoryLimit(0);
    QCOMPARE(device.Unlock(QString::fromUtf8(Password)), BackupDevice::UNLOCK_OK);
    const QString manifest = QDir(device.PrivateFolder()).filePath(QStringLiteral("Manifest.db"));
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(manifest).constData(), &db), SQLITE_OK);
    sqlite3_stmt* read = nullptr;
    QByteArray id;
    QByteArray archive;
    if (sqlite3_prepare_v2(db,
                           "SELECT fileID, file FROM Files WHERE domain = 'CameraRollDomain' AND "
                           "relativePath LIKE 'Media/DCIM/%.JPG' ORDER BY relativePath LIMIT 1",
                           -1, &read, nullptr) == SQLITE_OK &&
        sqlite3_step(read) == SQLITE_ROW) {
        id = reinterpret_cast<const char*>(sqlite3_column_text(read, 0));
        archive = QByteArray(static_cast<const char*>(sqlite3_column_blob(read, 1)),
                             sqlite3_column_bytes(read, 1));
    }
    sqlite3_finalize(read);
    // The key's data object: 44 bytes (class, then the wrapped key).
    const int key = archive.indexOf(QByteArray("\x4F\x10\x2C", 3));
    QVERIFY(!id.isEmpty() && key > 0);
    archive[key + 3 + 20] = char(archive[key + 3 + 20] ^ 0x40);
    sqlite3_stmt* write = nullptr;
    QCOMPARE(
        sqlite3_prepare_v2(db, "UPDATE Files SET file = ? WHERE fileID = ?", -1, &write, nullptr),
        SQLITE_OK);
    sqlite3_bind_blob(write, 1, archive.constData(), archive.size(), SQLITE_TRANSIENT);
    sqlite3_bind_text(write, 2, id.constData(), id.size(), SQLITE_TRANSIENT);
    QCOMPARE(sqlite3_step(write), SQLITE_DONE);
    sqlite3_finalize(write);
    sqlite3_close(db);

    SourcePtr twin;
    IMDGetter* all = ScanRunner::ScanInto(twin, *m_plain, MD_PHOTO);
    SourcePtr source;
    IMDGetter* getter = ScanRunner::ScanInto(source, device, MD_PHOTO);
    QVERIFY(all && getter);
    QCOMPARE(int(getter->GetCount()), int(all->GetCount()) - 1);
    QCOMPARE(device.SkippedCount(MD_PHOTO), 1);
    const QString out = Export(source, MD_PHOTO);
    QVERIFY(!out.isEmpty());
    QDirIterator files(out, QDir::Files, QDirIterator::Subdirectories);
    int written = 0;
    for (; files.hasNext(); files.next())
        ++written;
    QCOMPARE(written, int(getter->GetCount()));
}

void TestEncryptedBackup::privateFolderGoesWithTheProcess_data()
{
    QTest::addColumn<int>("signal");
#ifdef Q_OS_UNIX
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("SIGQUIT") << int(SIGQUIT);
    // Nothing runs: the next start of the engine removes what is left.
    QTest::newRow("SIGKILL") << int(SIGKILL);
#endif
}

// A process holding an unlocked backup is ended by a signal: its decrypted
// files do not outlive it, while those of a process still running stay.
void TestEncryptedBackup::privateFolderGoesWithTheProcess()
{
#ifdef Q_OS_UNIX
    QFETCH(int, signal);
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--hold"), m_encryptedFolder, QString::fromUtf8(Password)});
    QVERIFY(holder.waitForStarted());
    QVERIFY(holder.waitForReadyRead(120000));
    const QString folder = QString::fromLocal8Bit(holder.readLine()).trimmed();
    QVERIFY2(QFileInfo(QDir(folder).filePath(QStringLiteral("Manifest.db"))).isFile(),
             qPrintable(folder));
    QCOMPARE(::kill(pid_t(holder.processId()), signal), 0);
    QVERIFY(holder.waitForFinished(30000));
    QCOMPARE(holder.exitStatus(), QProcess::CrashExit);
    if (signal == SIGKILL) {
        QVERIFY(QFileInfo::exists(folder));
        QCOMPARE(QProcess::execute(QCoreApplication::applicationFilePath(),
                                   {QStringLiteral("--start"), m_encryptedFolder}),
                 0);
    }
    QVERIFY(!QFileInfo::exists(folder));
    QVERIFY(QFileInfo(m_encrypted->PrivateFolder()).isDir());
#else
    QSKIP("signals are a POSIX matter");
#endif
}

void TestEncryptedBackup::nothingDecryptedRemains()
{
    const QString privateFolder = m_encrypted->PrivateFolder();
    QVERIFY(QFileInfo(privateFolder).isDir());
    m_encrypted.reset();
    QVERIFY(!QFileInfo::exists(privateFolder));
    // The plain twin's working copies and photo thumbnails go with it too.
    m_plain.reset();
    m_oldEncrypted.reset();
    m_oldPlain.reset();
    QCOMPARE(QDir(m_temp).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
    // Nothing was written into or next to the backup.
    QCOMPARE(BackupFixture::Digests(m_encryptedFolder), m_evidence);
}

#ifdef Q_OS_UNIX
// The other process of privateFolderGoesWithTheProcess(): unlocks the backup,
// says where its private folder is, and waits to be ended.
static int HoldUnlocked(const char* folder, const char* password)
{
    // A host with the signals' defaults, whatever the shell that ran the test.
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT})
        std::signal(signal, SIG_DFL);
    BackupDevice device(QString::fromLocal8Bit(folder));
    // Plaintext on disk to lose: every file above the memory limit.
    device.SetMemoryLimit(0);
    if (device.Unlock(QString::fromUtf8(password)) != BackupDevice::UNLOCK_OK)
        return 3;
    std::printf("%s\n", QFile::encodeName(device.PrivateFolder()).constData());
    std::fflush(stdout);
    for (;;)
        pause();
}
#endif

int main(int argc, char** argv)
{
#ifdef Q_OS_UNIX
    if (argc == 4 && qstrcmp(argv[1], "--hold") == 0)
        return HoldUnlocked(argv[2], argv[3]);
#endif
    // A later start of the engine, in a process of its own.
    if (argc == 3 && qstrcmp(argv[1], "--start") == 0) {
        BackupDevice device(QString::fromLocal8Bit(argv[2]));
        return device.IsEncrypted() ? 0 : 1;
    }
    QCoreApplication app(argc, argv);
    TestEncryptedBackup test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_encryptedbackup.moc"
