// Captures from the fake phone through the real libimobiledevice: the backup
// that arrives, its scan, incremental captures, every error the phone can
// cause, stopping, the shared capture of a phone's pages and encrypted phones.
#include "backupcapture.h"
#include "backupdevice.h"
#include "backupfixture.h"
#include "capturecode.h"
#include "capturejob.h"
#include "contracts/icategorydatasource.h"
#include "contracts/imdgetter.h"
#include "contracts/itaskctrl.h"
#include "fakephoneprocess.h"
#include "phonedevice.h"
#include "samplebackupwriter.h"
#include "scanrunner.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <memory>
#include <thread>

using namespace MMobile;

namespace {

const QString Udid = QStringLiteral("00008030-001A2B3C4D5E6F70");

// The digests of a backup without the two files the computer writes itself.
QString Content(const QString& folder)
{
    QStringList lines = BackupFixture::Digests(folder).split(QLatin1Char('\n'));
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const QString& line) {
                                   return line.startsWith(QLatin1String("Info.plist:")) ||
                                          line.startsWith(QLatin1String("Status.plist:"));
                               }),
                lines.end());
    return lines.join(QLatin1Char('\n'));
}

// Whether a capture's working copy was left beside the backups.
bool WorkingCopyLeft(const QString& destination)
{
    return !QDir(destination)
                .entryList(QStringList{QStringLiteral(".mmobile-capture-*")},
                           QDir::Dirs | QDir::Hidden)
                .isEmpty();
}

PhoneInfo Phone()
{
    PhoneInfo info;
    info.udid = Udid.toLatin1();
    return info;
}

} // namespace

class TestPhoneCapture : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void captureIsTheServedBackup_data();
    void captureIsTheServedBackup();
    void failureKeepsEarlierBackup_data();
    void failureKeepsEarlierBackup();
    void waitsForTheUser_data();
    void waitsForTheUser();
    void lockedPhoneRetried();
    void cancelStopsCapture();
    void closingPageStopsCapture();
    void pagesShareOneCapture();
    void encryptedPhoneAsksPassword();

private:
    int Capture(const QString& destination, BackupCapture* capture = nullptr);
    QString Served() const { return m_dir.filePath(QStringLiteral("served")); }
    QString Previous() const { return m_dir.filePath(QStringLiteral("previous")); }

    QTemporaryDir m_dir;
    std::unique_ptr<FakePhoneProcess> m_phone;
    std::unique_ptr<QTemporaryDir> m_dest; // fresh for every test
};

void TestPhoneCapture::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SampleBackupWriter::Options options;
    options.media = false;
    SampleBackupWriter writer(options);
    QVERIFY2(writer.Write(Served()), qPrintable(writer.ErrorText()));
    m_phone = std::make_unique<FakePhoneProcess>();
    m_phone->UseInThisProcess();
    // A complete earlier backup that the failing captures must leave alone.
    QVERIFY(m_phone->Start(Served(), QString(), Udid));
    QCOMPARE(Capture(Previous()), int(CAPTURE_OK));
}

void TestPhoneCapture::init()
{
    m_dest = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dest->isValid());
}

int TestPhoneCapture::Capture(const QString& destination, BackupCapture* capture)
{
    BackupCapture own(Udid.toLatin1(), destination);
    BackupCapture& used = capture ? *capture : own;
    return used.Run();
}

void TestPhoneCapture::captureIsTheServedBackup_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::newRow("through a snapshot") << QString();
    QTest::newRow("onto the final names") << QStringLiteral("in-place");
    QTest::newRow("batches without their size") << QStringLiteral("no-sizes");
}

void TestPhoneCapture::captureIsTheServedBackup()
{
    QFETCH(QString, scenario);
    QVERIFY(m_phone->Start(Served(), scenario, Udid));
    BackupCapture first(Udid.toLatin1(), m_dest->path());
    QCOMPARE(first.Run(), int(CAPTURE_OK));
    const QString folder = QDir(m_dest->path()).filePath(Udid);
    QCOMPARE(first.BackupFolder(), folder);
    QVERIFY(!first.WasIncremental());
    QCOMPARE(Content(folder), Content(Served()));
    QVERIFY(!WorkingCopyLeft(m_dest->path()));
    // The computer's own Info.plist names the phone.
    BackupDevice captured(folder);
    QVERIFY(captured.GetTextProperty(BackupDevice::PROP_PRODUCT_TYPE, 0));

    // Unchanged phone: only the index and status travel again.
    BackupCapture second(Udid.toLatin1(), m_dest->path());
    QCOMPARE(second.Run(), int(CAPTURE_OK));
    QVERIFY(second.WasIncremental());
    QVERIFY2(second.FilesReceived() < first.FilesReceived() / 2,
             qPrintable(QString::number(second.FilesReceived())));
    QVERIFY(second.BytesReceived() < first.BytesReceived());
    QCOMPARE(Content(folder), Content(Served()));
}

void TestPhoneCapture::failureKeepsEarlierBackup_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<qint64>("freeSpace"); // -1: the disk's own
    QTest::addColumn<int>("code");
    QTest::newRow("locked") << "locked" << qint64(-1) << int(CAPTURE_LOCKED);
    QTest::newRow("unplugged") << "unplug-at=40" << qint64(-1) << int(CAPTURE_FAILED);
    QTest::newRow("trust refused") << "pairing-refused" << qint64(-1) << int(CAPTURE_NO_ACCESS);
    QTest::newRow("trust unanswered") << "pairing-pending" << qint64(-1) << int(CAPTURE_NO_ACCESS);
    QTest::newRow("little free space") << "normal" << qint64(4096) << int(CAPTURE_NO_SPACE);
    QTest::newRow("phone finds the disk full")
        << "disk-full" << qint64(-1) << int(CAPTURE_NO_SPACE);
    QTest::newRow("another sync holds the phone") << "busy" << qint64(-1) << int(CAPTURE_BUSY);
    // Phones write an incremental backup onto the existing names: in the
    // working copy those are links to the earlier backup's files.
    QTest::newRow("unplugged while writing in place")
        << "in-place,unplug-at=40" << qint64(-1) << int(CAPTURE_FAILED);
}

void TestPhoneCapture::failureKeepsEarlierBackup()
{
    QFETCH(QString, scenario);
    QFETCH(qint64, freeSpace);
    QFETCH(int, code);
    QVERIFY(BackupFixture::CopyFolder(Previous(), m_dest->path()));
    const QString folder = QDir(m_dest->path()).filePath(Udid);
    // The earlier backup differs from what the phone sends now, so a byte
    // written through to it would show.
    // The phone sends files in path order: the first is sent before any failure.
    QStringList sent;
    for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        sent << it.next();
    sent.sort();
    QVERIFY(!sent.isEmpty() && QFileInfo(sent.first()).fileName().size() == 40);
    QVERIFY(BackupFixture::WriteFile(sent.first(), "the earlier backup's own bytes"));
    const QString before = BackupFixture::Digests(folder);
    QVERIFY(!before.isEmpty());
    QVERIFY(m_phone->Start(Served(), scenario, Udid));
    BackupCapture capture(Udid.toLatin1(), m_dest->path());
    capture.SetPairingTimeout(1500);
    capture.SetForceFull(true);
    if (freeSpace >= 0)
        capture.SetFreeSpaceProbe([freeSpace](const QString&) { return freeSpace; });
    QCOMPARE(capture.Run(), code);
    QVERIFY(!capture.ErrorText().isEmpty());
    QCOMPARE(BackupFixture::Digests(folder), before);
    QVERIFY(!WorkingCopyLeft(m_dest->path()));
}

void TestPhoneCapture::waitsForTheUser_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::newRow("trust prompt accepted") << QStringLiteral("pairing-pending");
    // The other sync ends while the capture still waits for the phone.
    QTest::newRow("busy phone waited for") << QStringLiteral("busy");
}

void TestPhoneCapture::waitsForTheUser()
{
    QFETCH(QString, scenario);
    QVERIFY(m_phone->Start(Served(), scenario, Udid));
    BackupCapture capture(Udid.toLatin1(), m_dest->path());
    std::atomic<bool> asked{false};
    capture.SetProgressCallback([&](BackupCapture::Stage stage, int) {
        if (stage == BackupCapture::STAGE_WAITING_FOR_TRUST)
            asked.store(true);
    });
    std::atomic<int> code{-100};
    std::thread run([&]() { code.store(capture.Run()); });
    QTest::qWait(1500);
    QTRY_COMPARE_WITH_TIMEOUT(asked.load(), scenario == QLatin1String("pairing-pending"), 30000);
    QCOMPARE(code.load(), -100);
    m_phone->Signal(SIGUSR1);
    QTRY_VERIFY_WITH_TIMEOUT(code.load() != -100, 60000);
    run.join();
    QCOMPARE(code.load(), int(CAPTURE_OK));
    QCOMPARE(Content(capture.BackupFolder()), Content(Served()));
}

void TestPhoneCapture::lockedPhoneRetried()
{
    // The page's Retry after unlocking: a new scan of the same source.
    QVERIFY(m_phone->Start(Served(), QStringLiteral("locked"), Udid));
    PhoneDevice phone(Phone(), m_dest->path());
    SourcePtr source(phone.GetDataSource(MD_CONTACT));
    ScanRunner locked(source.get());
    QCOMPARE(locked.Scan(), int(TASK_ERROR));
    QCOMPARE(locked.BackupError(), QByteArray("4"));
    m_phone->Signal(SIGUSR1);
    ScanRunner unlocked(source.get());
    QCOMPARE(unlocked.Scan(), int(TASK_COMPLETE));
    QVERIFY(source->GetDataGetter()->GetCount() > 0);
    QCOMPARE(phone.Capture().Runs(), 2);
    // The backup line came first (phase code 1), then the analysis (0).
    const QVector<ScanRunner::Report> reports = unlocked.Reports();
    QVERIFY(!reports.isEmpty());
    QCOMPARE(reports.first().label, QByteArray("1"));
    QCOMPARE(reports.last().label, QByteArray("0"));
}

void TestPhoneCapture::cancelStopsCapture()
{
    QVERIFY(BackupFixture::CopyFolder(Previous(), m_dest->path()));
    const QString folder = QDir(m_dest->path()).filePath(Udid);
    const QString before = BackupFixture::Digests(folder);
    // After its first file the phone falls silent for longer than any read
    // of the library waits: the capture sits in a blocked read.
    QVERIFY(m_phone->Start(Served(), QStringLiteral("slow=60000"), Udid));
    BackupCapture capture(Udid.toLatin1(), m_dest->path());
    capture.SetForceFull(true);
    std::atomic<bool> requested{false};
    capture.SetProgressCallback([&](BackupCapture::Stage stage, int) {
        if (stage == BackupCapture::STAGE_PREPARING)
            requested.store(true);
    });
    std::atomic<int> code{-100};
    std::thread run([&]() { code.store(capture.Run()); });
    // A failing check returns early: the capture still stops and is waited for.
    struct Stopper
    {
        BackupCapture& capture;
        std::thread& thread;
        ~Stopper()
        {
            capture.Cancel();
            if (thread.joinable())
                thread.join();
        }
    } stopper{capture, run};
    QTRY_VERIFY_WITH_TIMEOUT(requested.load(), 60000);
    QTest::qWait(1500);
    QCOMPARE(code.load(), -100);
    capture.Cancel();
    // The blocked read is cut: the capture ends long before the phone speaks.
    QTRY_VERIFY_WITH_TIMEOUT(code.load() != -100, 10000);
    run.join();
    QCOMPARE(code.load(), int(CAPTURE_CANCELLED));
    QCOMPARE(BackupFixture::Digests(folder), before);
    QVERIFY(!WorkingCopyLeft(m_dest->path()));
}

void TestPhoneCapture::closingPageStopsCapture()
{
    QVERIFY(m_phone->Start(Served(), QStringLiteral("slow=200"), Udid));
    PhoneDevice phone(Phone(), m_dest->path());
    ICategoryDataSource* source = phone.GetDataSource(MD_NOTE);
    std::atomic<int> backupPercent{0};
    struct Context
    {
        std::atomic<int>* percent;
    } context{&backupPercent};
    ITaskCtrl* task = source->StartScan(
        0,
        [](void* raw, MDType, int status, int percent, const char* label) {
            if (status == TASK_PERCENT && label && QByteArray(label) == "1")
                static_cast<Context*>(raw)->percent->store(percent);
            return true;
        },
        &context);
    QVERIFY(task && task->Start());
    QTRY_VERIFY_WITH_TIMEOUT(backupPercent.load() > 0, 60000);
    // A page that closes releases its source: the task stops, and with its
    // last waiter gone the capture stops too.
    source->Release();
    QTRY_VERIFY_WITH_TIMEOUT(phone.Capture().Now().state != CaptureJob::RUNNING, 10000);
    QCOMPARE(phone.Capture().Now().code, int(CAPTURE_CANCELLED));
    QVERIFY(!QFileInfo::exists(QDir(m_dest->path()).filePath(Udid)));
    QTRY_VERIFY_WITH_TIMEOUT(!WorkingCopyLeft(m_dest->path()), 10000);
}

void TestPhoneCapture::pagesShareOneCapture()
{
    QVERIFY(m_phone->Start(Served(), QStringLiteral("slow=5"), Udid));
    PhoneDevice phone(Phone(), m_dest->path());
    SourcePtr contacts(phone.GetDataSource(MD_CONTACT));
    SourcePtr messages(phone.GetDataSource(MD_MESSAGE));
    std::atomic<int> first{-1};
    std::thread other([&]() { first.store(ScanRunner(contacts.get()).Scan()); });
    QCOMPARE(ScanRunner(messages.get()).Scan(), int(TASK_COMPLETE));
    other.join();
    QCOMPARE(first.load(), int(TASK_COMPLETE));
    QCOMPARE(phone.Capture().Runs(), 1);
    QVERIFY(contacts->GetDataGetter()->GetCount() > 0);
    QVERIFY(messages->GetDataGetter()->GetCount() > 0);
    // The phone offers the categories its backup has, and no others.
    BackupDevice served(Served());
    for (int type = -1; type <= 24; ++type) {
        const SourcePtr offered(phone.GetDataSource(MDType(type)));
        QCOMPARE(bool(offered), bool(SourcePtr(served.GetDataSource(MDType(type)))));
    }
}

void TestPhoneCapture::encryptedPhoneAsksPassword()
{
    SampleBackupWriter::Options options;
    options.media = false;
    options.password = QStringLiteral("secret");
    options.kdfRounds = 1000;
    SampleBackupWriter writer(options);
    const QString served = m_dest->filePath(QStringLiteral("encrypted"));
    QVERIFY2(writer.Write(served), qPrintable(writer.ErrorText()));
    QVERIFY(m_phone->Start(served, QString(), Udid));
    const QString destination = m_dest->filePath(QStringLiteral("backups"));
    PhoneDevice phone(Phone(), destination);
    std::atomic<int> asked{0};
    phone.SetPasswordListener([&]() { asked.fetch_add(1); });
    SourcePtr source(phone.GetDataSource(MD_CONTACT));
    std::atomic<int> status{-100};
    std::thread scan([&]() { status.store(ScanRunner(source.get()).Scan()); });
    QTRY_COMPARE_WITH_TIMEOUT(asked.load(), 1, 60000);
    QVERIFY(phone.NeedsPassword());
    // A wrong password leaves the pages waiting for the next try.
    QCOMPARE(phone.Unlock(QStringLiteral("wrong")), int(BackupDevice::UNLOCK_WRONG_PASSWORD));
    QTest::qWait(200);
    QCOMPARE(status.load(), -100);
    QCOMPARE(phone.Unlock(QStringLiteral("secret")), int(BackupDevice::UNLOCK_OK));
    QTRY_VERIFY_WITH_TIMEOUT(status.load() != -100, 60000);
    scan.join();
    QCOMPARE(status.load(), int(TASK_COMPLETE));
    QVERIFY(source->GetDataGetter()->GetCount() > 0);
    QVERIFY(BackupDevice(phone.Backup()->Folder()).IsEncrypted());
}

QTEST_GUILESS_MAIN(TestPhoneCapture)
#include "tst_phonecapture.moc"
