// The fake phone checked by the clients real users run: libimobiledevice's
// idevice_id, ideviceinfo, idevicepair and idevicebackup2 reach it through the
// real libusbmuxd, and the backup idevicebackup2 receives from it scans,
// through the engine's readers, to the same items as the folder it served.
// Scenarios give the answers a real phone gives (locked, trust dialog,
// unplugged mid-transfer), and hostile bytes on its socket never stop it.

#include "backupdevice.h"
#include "backupfixture.h"
#include "contracts/mmobile.h"
#include "fakephoneprocess.h"
#include "samplebackupwriter.h"
#include "scanrunner.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <usbmuxd.h>

#include <csignal>
#include <functional>
#include <memory>
#include <mutex>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace MMobile;

namespace {

const char* const Password = "fake phone pass";
const char* const PlainUdid = "fa4e0000000000000000000000000000000000a1";
const char* const EncryptedUdid = "fa4e0000000000000000000000000000000000b2";

// The tree of a backup folder without its Info.plist, which a host writes itself.
QString Content(const QString& folder)
{
    QStringList lines = BackupFixture::Digests(folder).split('\n');
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const QString& line) { return line.startsWith("Info.plist:"); }),
                lines.end());
    return lines.join('\n');
}

// A tool's output without its progress bars, for failure messages.
QByteArray Summary(const QByteArray& output)
{
    QList<QByteArray> lines;
    for (const QByteArray& line : output.split('\n')) {
        const QByteArray last = line.split('\r').last().trimmed();
        if (!last.isEmpty() && !last.startsWith('['))
            lines << last;
    }
    return lines.mid(std::max(0, int(lines.size()) - 12)).join('\n');
}

// Waits, without re-asking the phone, until `done` holds (a signal's effect).
bool Eventually(const std::function<bool()>& done)
{
    QDeadlineTimer deadline(60000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(20);
    }
    return true;
}

} // namespace

class TestFakePhone : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void commandLineErrors_data();
    void commandLineErrors();
    void deviceValues_data();
    void deviceValues();
    void fullBackupIsTheServedFolder_data();
    void fullBackupIsTheServedFolder();
    void incrementalSendsOnlyChanges_data();
    void incrementalSendsOnlyChanges();
    void refusedUntilTheUserActs_data();
    void refusedUntilTheUserActs();
    void scenarioBackupIsTheServedFolder_data();
    void scenarioBackupIsTheServedFolder();
    void trustDialog_data();
    void trustDialog();
    void restoreIsReceived_data();
    void restoreIsReceived();
    void unplugMidTransferKeepsThePreviousBackup();
    void syncLockIsExclusive();
    void plugEventsReachListeners();
    void hostileBytesAreRefused_data();
    void hostileBytesAreRefused();

private:
    struct Variant
    {
        QString served;
        QString received; // <out>/<udid>
        QString udid;
        FakePhoneProcess phone;
        FakePhoneProcess::Run backup;
        std::unique_ptr<BackupDevice> receivedDevice;
    };
    static FakePhoneProcess::Run Backup(const FakePhoneProcess& phone, const QString& out,
                                        bool full);

    QTemporaryDir m_dir;
    Variant m_variants[2]; // plain, encrypted
};

FakePhoneProcess::Run TestFakePhone::Backup(const FakePhoneProcess& phone, const QString& out,
                                            bool full)
{
    QDir().mkpath(out);
    QStringList arguments = {QStringLiteral("backup")};
    if (full)
        arguments << QStringLiteral("--full");
    return phone.Tool(QStringLiteral("idevicebackup2"), arguments << out);
}

void TestFakePhone::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (const char* tool : {"idevice_id", "ideviceinfo", "idevicepair", "idevicebackup2"})
        QVERIFY2(!QStandardPaths::findExecutable(tool).isEmpty(),
                 "the cross-check needs libimobiledevice's tools (libimobiledevice-utils)");
    SampleBackupWriter::Options options;
    for (int i = 0; i < 2; ++i) {
        Variant& variant = m_variants[i];
        variant.udid = QString::fromLatin1(i == 0 ? PlainUdid : EncryptedUdid);
        variant.served = m_dir.filePath(i == 0 ? "plain" : "encrypted");
        if (i == 1) {
            options.password = QString::fromUtf8(Password);
            options.kdfRounds = 2000;
        }
        SampleBackupWriter writer(options);
        QVERIFY2(writer.Write(variant.served), qPrintable(writer.ErrorText()));
        QVERIFY2(variant.phone.Start(variant.served, "normal", variant.udid),
                 qPrintable(variant.phone.Errors()));
        const QString out = m_dir.filePath(i == 0 ? "plain-out" : "encrypted-out");
        variant.backup = Backup(variant.phone, out, true);
        variant.received = QDir(out).filePath(variant.udid);
        variant.receivedDevice = std::make_unique<BackupDevice>(variant.received);
        if (i == 1)
            QCOMPARE(variant.receivedDevice->Unlock(options.password), BackupDevice::UNLOCK_OK);
    }
}

void TestFakePhone::cleanupTestCase()
{
    // Nothing went wrong on the phones that served every other test's
    // clients (hostile ones too): they wrote no error, and a sanitizer's
    // build of them (MMOBILE_FAKE_PHONE) would have.
    for (Variant& variant : m_variants) {
        QVERIFY(variant.phone.Signal(0));
        QCOMPARE(variant.phone.Errors(), QString());
    }
}

void TestFakePhone::commandLineErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");
    const QString socket = m_dir.filePath("unused.sock");
    const QString served = m_variants[0].served;
    QTest::newRow("nothing") << QStringList() << 2 << "--socket and --backup are required";
    QTest::newRow("unknown option")
        << QStringList{"--socket", socket, "--colour", "red"} << 2 << "unknown option --colour";
    QTest::newRow("value missing")
        << QStringList{"--socket"} << 2 << "missing value after --socket";
    QTest::newRow("unknown scenario")
        << QStringList{"--socket", socket, "--backup", served, "--scenario", "normal,dance"} << 2
        << "unknown scenario 'dance'";
    QTest::newRow("percentage over 100")
        << QStringList{"--socket", socket, "--backup", served, "--scenario", "unplug-at=101"} << 2
        << "unplug-at needs a percentage from 0 to 100";
    QTest::newRow("slow without a number")
        << QStringList{"--socket", socket, "--backup", served, "--scenario", "slow=fast"} << 2
        << "slow=MS needs milliseconds";
    QTest::newRow("not a backup folder")
        << QStringList{"--socket", socket, "--backup", m_dir.filePath("plain-out")} << 1
        << "no readable Manifest.plist";
    QTest::newRow("no folder") << QStringList{"--socket", socket, "--backup",
                                              m_dir.filePath("none")}
                               << 1 << "not a folder";
    QTest::newRow("UDID that is a path")
        << QStringList{"--socket", socket, "--backup", served, "--udid", "../../etc"} << 1
        << "not a usable UDID: ../../etc";
}

void TestFakePhone::commandLineErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    QProcess fake;
    fake.start(FakePhoneProcess::Program(), arguments);
    QVERIFY(fake.waitForFinished(60000));
    QCOMPARE(fake.exitCode(), exitCode);
    // Errors go to stderr only, and nothing listens.
    QCOMPARE(fake.readAllStandardOutput(), QByteArray());
    const QString errors = QString::fromLocal8Bit(fake.readAllStandardError());
    QVERIFY2(errors.contains(error), qPrintable(errors));
    QVERIFY(!QFileInfo::exists(m_dir.filePath("unused.sock")));
}

void TestFakePhone::deviceValues_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("expected"); // a regular expression over the output
    const QString udid = QString::fromLatin1(PlainUdid);
    QTest::newRow("idevice_id lists the phone")
        << 0 << QStringList{"-l"} << "idevice_id" << QString("^%1\\n$").arg(udid);
    QTest::newRow("ideviceinfo names it") << 0 << QStringList{"-k", "DeviceName"} << "ideviceinfo"
                                          << QString::fromUtf8("^Zoë's Phone\\n$");
    QTest::newRow("ideviceinfo gives its identity")
        << 0 << QStringList() << "ideviceinfo"
        << QString("ProductVersion: 17\\.5\\n[\\s\\S]*UniqueDeviceID: %1\\n").arg(udid);
    QTest::newRow("plain backups")
        << 0 << QStringList{"-q", "com.apple.mobile.backup", "-k", "WillEncrypt"} << "ideviceinfo"
        << QString("^false\\n$");
    QTest::newRow("encrypted backups")
        << 1 << QStringList{"-q", "com.apple.mobile.backup", "-k", "WillEncrypt"} << "ideviceinfo"
        << QString("^true\\n$");
}

void TestFakePhone::deviceValues()
{
    QFETCH(int, variant);
    QFETCH(QStringList, arguments);
    QFETCH(QString, program);
    QFETCH(QString, expected);
    const FakePhoneProcess::Run run = m_variants[variant].phone.Tool(program, arguments);
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(QRegularExpression(expected).match(QString::fromUtf8(run.output)).hasMatch(),
             run.output.constData());
}

void TestFakePhone::fullBackupIsTheServedFolder_data()
{
    QTest::addColumn<int>("variant");
    QTest::newRow("plain") << 0;
    QTest::newRow("encrypted") << 1;
}

void TestFakePhone::fullBackupIsTheServedFolder()
{
    QFETCH(int, variant);
    const Variant& v = m_variants[variant];
    QVERIFY(v.backup.finished);
    QVERIFY2(v.backup.exitCode == 0 && v.backup.output.contains("Backup Successful."),
             Summary(v.backup.output).constData());
    // Every file byte for byte where the phone keeps it, and nothing else:
    // the snapshot folder is gone.
    const QString served = Content(v.served);
    QVERIFY(served.count('\n') > 20);
    QCOMPARE(Content(v.received), served);
    QVERIFY(QFileInfo(QDir(v.received).filePath("Info.plist")).isFile());
    QCOMPARE(v.receivedDevice->IsEncrypted(), variant == 1);
}

void TestFakePhone::incrementalSendsOnlyChanges_data()
{
    QTest::addColumn<bool>("change");
    QTest::addColumn<int>("received"); // files idevicebackup2 says it received
    // Manifest.db, Manifest.plist and Status.plist always come.
    QTest::newRow("nothing changed") << false << 3;
    QTest::newRow("one file changed, one gone") << true << 4;
}

void TestFakePhone::incrementalSendsOnlyChanges()
{
    QFETCH(bool, change);
    QFETCH(int, received);
    const QString tag = change ? "changed" : "same";
    const QString served = m_dir.filePath("inc-served-" + tag);
    const QString out = m_dir.filePath("inc-out-" + tag);
    QVERIFY(BackupFixture::CopyFolder(m_variants[0].served, served));
    {
        FakePhoneProcess phone;
        QVERIFY2(phone.Start(served, "normal", PlainUdid), qPrintable(phone.Errors()));
        QCOMPARE(Backup(phone, out, true).exitCode, 0);
    }
    const QString bookmarks =
        BackupFixture::ContentPath(served, "HomeDomain", "Library/Safari/Bookmarks.db");
    const QString calls = BackupFixture::ContentPath(served, "HomeDomain",
                                                     "Library/CallHistoryDB/CallHistory.storedata");
    const QString manifest = QDir(served).filePath("Manifest.db");
    if (change) {
        // The phone changed a file (its row's record changes with it) and
        // deleted another.
        QByteArray bytes = BackupFixture::Read(bookmarks);
        QVERIFY(!bytes.isEmpty() && QFile::exists(calls));
        QVERIFY(BackupFixture::WriteFile(bookmarks, bytes + QByteArray(4096, '\0')));
        QVERIFY(BackupFixture::Exec(manifest, QString("UPDATE Files SET file = x'0102' "
                                                      "WHERE fileID = '%1'")
                                                  .arg(QFileInfo(bookmarks).fileName())));
        QVERIFY(BackupFixture::Exec(
            manifest,
            QString("DELETE FROM Files WHERE fileID = '%1'").arg(QFileInfo(calls).fileName())));
        QVERIFY(QFile::remove(calls));
    }
    FakePhoneProcess phone;
    QVERIFY2(phone.Start(served, "normal", PlainUdid), qPrintable(phone.Errors()));
    const FakePhoneProcess::Run run = Backup(phone, out, false);
    QVERIFY2(run.exitCode == 0 && run.output.contains("Incremental backup mode."),
             Summary(run.output).constData());
    QVERIFY2(run.output.contains(QString("Received %1 files from device.").arg(received).toUtf8()),
             Summary(run.output).constData());
    QCOMPARE(Content(QDir(out).filePath(PlainUdid)), Content(served));
}

void TestFakePhone::refusedUntilTheUserActs_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QByteArray>("said");
    QTest::addColumn<int>("exitCode"); // -1: any failure
    // What a locked phone answers a backup request.
    QTest::newRow("locked") << "locked"
                            << QByteArray("ErrorCode 208: Device locked (MBErrorDomain/208)")
                            << ((-208) & 0xff);
    // A phone that another sync holds: the client gives up on its sync lock.
    QTest::newRow("busy") << "busy" << QByteArray("timeout while locking for sync") << -1;
    // No retry helps a full disk.
    QTest::newRow("disk full") << "disk-full"
                               << QByteArray("ErrorCode 105: Insufficient free disk space on "
                                             "drive to back up (MBErrorDomain/105)")
                               << ((-105) & 0xff);
}

void TestFakePhone::refusedUntilTheUserActs()
{
    QFETCH(QString, scenario);
    QFETCH(QByteArray, said);
    QFETCH(int, exitCode);
    FakePhoneProcess phone;
    QVERIFY2(phone.Start(m_variants[0].served, scenario, PlainUdid), qPrintable(phone.Errors()));
    const QString out = m_dir.filePath(scenario + "-out");
    FakePhoneProcess::Run run = Backup(phone, out, true);
    QVERIFY2(run.output.contains(said), run.output.constData());
    QVERIFY2(exitCode < 0 ? run.exitCode != 0 : run.exitCode == exitCode,
             Summary(run.output).constData());
    QVERIFY(!QFile::exists(QDir(out).filePath(QString(PlainUdid) + "/Status.plist")));
    if (scenario == "disk-full")
        return;
    // The user types the passcode or ends the other sync; the retry goes through.
    QVERIFY(phone.Signal(SIGUSR1));
    QVERIFY(Eventually([&phone] {
        return phone.Tool("ideviceinfo", {"-k", "PasswordProtected"}).output == "false\n";
    }));
    run = Backup(phone, out, true);
    QVERIFY2(run.exitCode == 0, Summary(run.output).constData());
    QCOMPARE(Content(QDir(out).filePath(PlainUdid)), Content(m_variants[0].served));
}

void TestFakePhone::scenarioBackupIsTheServedFolder_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::newRow("onto the final names") << "in-place";
    QTest::newRow("batches without their size") << "no-sizes";
}

void TestFakePhone::scenarioBackupIsTheServedFolder()
{
    QFETCH(QString, scenario);
    FakePhoneProcess phone;
    QVERIFY2(phone.Start(m_variants[0].served, scenario, PlainUdid), qPrintable(phone.Errors()));
    const QString out = m_dir.filePath(scenario + "-out");
    const FakePhoneProcess::Run run = Backup(phone, out, true);
    QVERIFY2(run.exitCode == 0 && run.output.contains("Backup Successful."),
             Summary(run.output).constData());
    QCOMPARE(Content(QDir(out).filePath(PlainUdid)), Content(m_variants[0].served));
    QVERIFY(!QFileInfo::exists(QDir(out).filePath(QString(PlainUdid) + "/Snapshot")));
}

void TestFakePhone::trustDialog_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QByteArray>("firstAnswer");
    QTest::newRow("pending") << "pairing-pending" << QByteArray("Please accept the trust dialog");
    QTest::newRow("refused") << "pairing-refused" << QByteArray("user denied the trust dialog");
    // A locked phone shows no dialog: the passcode comes first.
    QTest::newRow("locked") << "locked,pairing-pending" << QByteArray("because a passcode is set");
}

void TestFakePhone::trustDialog()
{
    QFETCH(QString, scenario);
    QFETCH(QByteArray, firstAnswer);
    FakePhoneProcess phone;
    QVERIFY2(phone.Start(m_variants[0].served, scenario, PlainUdid), qPrintable(phone.Errors()));
    // An untrusted phone shows up in the list but answers nothing private.
    QCOMPARE(phone.Tool("idevice_id", {"-l"}).output, QByteArray(PlainUdid) + "\n");
    QVERIFY(phone.Tool("ideviceinfo", {"-k", "DeviceName"}).exitCode != 0);
    FakePhoneProcess::Run pair = phone.Tool("idevicepair", {"pair"});
    QVERIFY2(pair.exitCode != 0 && pair.output.contains(firstAnswer), pair.output.constData());
    // The user taps "Trust": the next pairing is accepted and the host's
    // record saved, after which the phone answers.
    QVERIFY(phone.Signal(SIGUSR1));
    QVERIFY(Eventually([&phone] { return phone.Tool("idevicepair", {"pair"}).exitCode == 0; }));
    const FakePhoneProcess::Run info = phone.Tool("ideviceinfo", {"-k", "DeviceName"});
    QCOMPARE(info.exitCode, 0);
    QCOMPARE(info.output, QString::fromUtf8("Zoë's Phone\n").toUtf8());
}

void TestFakePhone::restoreIsReceived_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<bool>("fileMissing"); // one file its index lists is not in the host's folder
    QTest::newRow("plain, by its index") << 0 << false;
    QTest::newRow("encrypted, by the folder's listing") << 1 << false;
    QTest::newRow("a listed file missing") << 0 << true;
}

void TestFakePhone::restoreIsReceived()
{
    QFETCH(int, variant);
    QFETCH(bool, fileMissing);
    const Variant& v = m_variants[variant];
    QString source = v.received;
    if (fileMissing) {
        source = m_dir.filePath("damaged/") + v.udid;
        QVERIFY(BackupFixture::CopyFolder(v.received, source));
        QVERIFY(QFile::remove(
            BackupFixture::ContentPath(source, "HomeDomain", "Library/Safari/Bookmarks.db")));
    }
    const QString into =
        m_dir.filePath(QStringLiteral("restored-%1-%2").arg(variant).arg(fileMissing));
    QVERIFY(QDir().mkpath(into));
    FakePhoneProcess phone;
    QVERIFY2(phone.Start(v.served, "normal", v.udid, {"--restore-into", into}),
             qPrintable(phone.Errors()));
    QStringList arguments = {"restore", "--system"};
    if (variant == 1)
        arguments << "--password" << QString::fromUtf8(Password);
    const FakePhoneProcess::Run run =
        phone.Tool("idevicebackup2", arguments << QFileInfo(source).path());
    if (fileMissing) {
        // What a phone answers, and nothing half-restored is kept.
        QVERIFY2(run.output.contains("ErrorCode 205: Multiple errors downloading files"),
                 Summary(run.output).constData());
        QCOMPARE(QDir(into).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
        return;
    }
    QVERIFY2(run.exitCode == 0 && run.output.contains("Restore Successful."),
             Summary(run.output).constData());
    // The phone received the host's backup whole, its Info.plist included.
    const QString received = QDir(into).filePath(v.udid);
    QCOMPARE(BackupFixture::Digests(received), BackupFixture::Digests(v.received));
    const QString options =
        QString::fromUtf8(BackupFixture::Read(received + ".restore-options.plist"));
    QVERIFY2(options.contains(QRegularExpression(
                 QString("<key>PasswordGiven</key>\\s*<%1/>").arg(variant ? "true" : "false"))),
             qPrintable(options));
    QVERIFY(!options.contains(QString::fromUtf8(Password)));
    QVERIFY(options.contains("<key>RestoreSystemFiles</key>"));
}

void TestFakePhone::unplugMidTransferKeepsThePreviousBackup()
{
    const QString out = m_dir.filePath("unplug-out");
    QVERIFY(BackupFixture::CopyFolder(QFileInfo(m_variants[0].received).path(), out));
    const QString previous = Content(QDir(out).filePath(PlainUdid));
    FakePhoneProcess phone;
    QVERIFY2(phone.Start(m_variants[0].served, "unplug-at=50", PlainUdid),
             qPrintable(phone.Errors()));
    const FakePhoneProcess::Run run = Backup(phone, out, true);
    QVERIFY(run.finished);
    QVERIFY2(run.exitCode != 0 && !run.output.contains("Backup Successful."),
             Summary(run.output).constData());
    // Half of the files had gone into the snapshot folder; the previous
    // backup beside it is as it was.
    const QString snapshot = QDir(out).filePath(QString(PlainUdid) + "/Snapshot");
    QVERIFY(QFileInfo(snapshot).isDir());
    QVERIFY(QDir(snapshot).removeRecursively());
    QCOMPARE(Content(QDir(out).filePath(PlainUdid)), previous);
    // Unplugged, the phone is no longer listed; plugged in again, it is.
    QCOMPARE(phone.Tool("idevice_id", {"-l"}).output, QByteArray());
    QVERIFY(phone.Signal(SIGHUP));
    QVERIFY(Eventually([&phone] {
        return phone.Tool("idevice_id", {"-l"}).output == QByteArray(PlainUdid) + "\n";
    }));
}

void TestFakePhone::syncLockIsExclusive()
{
    FakePhoneProcess phone;
    QVERIFY2(phone.Start(m_variants[0].served, "slow=1000", PlainUdid), qPrintable(phone.Errors()));
    // A first backup takes the phone's sync lock and crawls.
    QProcess first;
    first.setProcessEnvironment(phone.Environment());
    first.setProcessChannelMode(QProcess::MergedChannels);
    const QString out = m_dir.filePath("lock-out");
    QVERIFY(QDir().mkpath(out));
    first.start("idevicebackup2", {"backup", "--full", out});
    QVERIFY(first.waitForStarted(30000));
    QByteArray firstOutput;
    QVERIFY(Eventually([&] {
        first.waitForReadyRead(10);
        firstOutput += first.readAll();
        return firstOutput.contains("Receiving files") || first.state() != QProcess::Running;
    }));
    QVERIFY2(first.state() == QProcess::Running, firstOutput.constData());
    // A second one finds the lock taken and gives up, as on a phone that
    // another computer is backing up.
    const FakePhoneProcess::Run second = Backup(phone, m_dir.filePath("lock-out-2"), true);
    QVERIFY2(second.exitCode != 0 && second.output.contains("timeout while locking for sync"),
             Summary(second.output).constData());
    // Unplugged, the first one ends too.
    QVERIFY(phone.Signal(SIGHUP));
    QVERIFY(first.waitForFinished(60000));
    QVERIFY(first.exitCode() != 0);
}

namespace {

struct EventLog
{
    std::mutex mutex;
    QStringList events;
};

void OnEvent(const usbmuxd_event_t* event, void* context)
{
    auto* log = static_cast<EventLog*>(context);
    std::lock_guard<std::mutex> lock(log->mutex);
    log->events << QString("%1 %2 %3")
                       .arg(event->event == UE_DEVICE_ADD ? "add" : "remove")
                       .arg(event->device.handle)
                       .arg(QString::fromLatin1(event->device.udid));
}

} // namespace

void TestFakePhone::plugEventsReachListeners()
{
    FakePhoneProcess phone;
    QVERIFY2(phone.Start(m_variants[0].served, "normal", PlainUdid), qPrintable(phone.Errors()));
    phone.UseInThisProcess();
    EventLog log;
    usbmuxd_subscription_context_t subscription = nullptr;
    QCOMPARE(usbmuxd_events_subscribe(&subscription, OnEvent, &log), 0);
    auto seen = [&log](int count) {
        return Eventually([&log, count] {
            std::lock_guard<std::mutex> lock(log.mutex);
            return log.events.size() >= count;
        });
    };
    const bool attached = seen(1);
    QVERIFY(phone.Signal(SIGHUP));
    const bool detached = attached && seen(2);
    QVERIFY(phone.Signal(SIGHUP));
    const bool again = detached && seen(3);
    QStringList events;
    {
        std::lock_guard<std::mutex> lock(log.mutex);
        events = log.events;
    }
    // Unsubscribing tells a removal of every known phone: not the phone's doing.
    usbmuxd_events_unsubscribe(subscription);
    qunsetenv("USBMUXD_SOCKET_ADDRESS");
    QVERIFY(again);
    // The phone comes back as a new device, as usbmuxd numbers them.
    const QString udid = QString::fromLatin1(PlainUdid);
    QCOMPARE(events.join(", "),
             QStringList({"add 1 " + udid, "remove 1 " + udid, "add 2 " + udid}).join(", "));
}

void TestFakePhone::hostileBytesAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    auto header = [](quint32 length, quint32 type) {
        QByteArray out;
        for (quint32 value : {length, 1u, type, 7u})
            for (int i = 0; i < 4; ++i)
                out += char(value >> (8 * i));
        return out;
    };
    QTest::newRow("short header") << QByteArray("\x10\0\0", 3);
    QTest::newRow("length below the header") << header(3, 8);
    QTest::newRow("length of 4 GB") << header(0xffffffffu, 8) + QByteArray(64, 'x');
    QTest::newRow("binary protocol") << header(16, 3);
    QTest::newRow("not a plist") << header(16 + 9, 8) + QByteArray("not xml!!");
    const QByteArray connect =
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>MessageType</key>"
        "<string>Connect</string><key>DeviceID</key><integer>1</integer><key>PortNumber</key>"
        "<integer>32498</integer></dict></plist>";
    // Lockdown then gets a length prefix of 4 GB.
    QTest::newRow("hostile lockdown frame")
        << header(16 + connect.size(), 8) + connect + QByteArray("\xff\xff\xff\xff", 4);
}

void TestFakePhone::hostileBytesAreRefused()
{
    QFETCH(QByteArray, bytes);
    const FakePhoneProcess& phone = m_variants[0].phone;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(fd >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(phone.SocketPath());
    QVERIFY(size_t(path.size()) < sizeof address.sun_path);
    memcpy(address.sun_path, path.constData(), size_t(path.size()) + 1);
    const bool connected =
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    const bool written = connected && ::send(fd, bytes.constData(), size_t(bytes.size()),
                                             MSG_NOSIGNAL) == bytes.size();
    ::close(fd);
    QVERIFY(written);
    // The phone still answers the next client.
    const FakePhoneProcess::Run run = phone.Tool("idevice_id", {"-l"});
    QCOMPARE(run.output, QByteArray(PlainUdid) + "\n");
}

QTEST_GUILESS_MAIN(TestFakePhone)
#include "tst_fakephone.moc"
