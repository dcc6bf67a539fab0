// Recovering to a phone: a capture of the fake phone, the deleted records of
// every category a merge writes of another backup merged into it, and the merged backup
// restored to the fake phone, which keeps what it received. What the phone
// received scans to the merged records; Debian's idevicebackup2 accepts the
// merged backup too; a locked or refusing phone, or an incomplete backup,
// gives its code.
#include "backupcapture.h"
#include "backupfixture.h"
#include "backuprestore.h"
#include "capturecode.h"
#include "fakephoneprocess.h"
#include "merge/backupcheck.h"
#include "merge/backupmerge.h"
#include "recordtexts.h"
#include "samplebackupwriter.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace MMobile;

namespace {
const char* const Udid = "00008030-000A5E1E0C3A802E";
const MDType Types[] = {MD_CONTACT, MD_MESSAGE,         MD_CALL_HISTORY, MD_CALENDAR,  MD_REMINDER,
                        MD_NOTE,    MD_SAFARI_BOOKMARK, MD_PHOTO,        MD_VOICE_MEMO};

// The recordings app keeps no deleted mark: all of the source's go back.
bool AllOf(MDType type)
{
    return type == MD_VOICE_MEMO;
}
} // namespace

class TestPhoneRestore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void restored_data();
    void restored();
    void otherClientAccepts();
    void onePhone_data();
    void onePhone();
    void refused_data();
    void refused();

private:
    QString Folder(const QString& name) const { return m_dir.filePath(name); }
    // Restores `backup` to a fake phone serving the target in `scenario`,
    // keeping what it receives in `into` (none: it refuses restores).
    int Restore(const QString& backup, const QString& scenario, const QString& into,
                QList<int>* progress = nullptr, const QString& served = QString());

    QTemporaryDir m_dir;
    QString m_merged;
};

int TestPhoneRestore::Restore(const QString& backup, const QString& scenario, const QString& into,
                              QList<int>* progress, const QString& served)
{
    FakePhoneProcess phone;
    if (!phone.Start(served.isEmpty() ? Folder("target") : served, scenario, Udid,
                     into.isEmpty() ? QStringList() : QStringList{"--restore-into", into}))
        return -100;
    phone.UseInThisProcess();
    BackupRestore restore(Udid, backup);
    restore.SetProgressCallback([progress](int percent) {
        if (progress)
            progress->append(percent);
    });
    return restore.Run();
}

void TestPhoneRestore::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(BackupFixture::WriteMergePair(Folder("source"), Folder("target")));
    // The phone's own backup first, then the records merged into a copy of it.
    {
        FakePhoneProcess phone;
        QVERIFY2(phone.Start(Folder("target"), "normal", Udid), qPrintable(phone.Errors()));
        phone.UseInThisProcess();
        BackupCapture capture(Udid, Folder("captured"));
        QCOMPARE(capture.Run(), int(CAPTURE_OK));
    }
    QString from = QDir(Folder("captured")).filePath(Udid);
    for (const MDType type : Types) {
        BackupMerge::Options merge;
        merge.category = type;
        merge.onlyDeleted = !AllOf(type);
        const QString out = Folder("merged-%1").arg(type);
        BackupMerge merger(merge);
        QVERIFY2(merger.Run(Folder("source"), from, out), qPrintable(merger.ErrorText()));
        from = out;
    }
    m_merged = from;
}

void TestPhoneRestore::restored_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("contacts") << int(MD_CONTACT);
    QTest::newRow("messages") << int(MD_MESSAGE);
    QTest::newRow("calls") << int(MD_CALL_HISTORY);
    QTest::newRow("events") << int(MD_CALENDAR);
    QTest::newRow("reminders") << int(MD_REMINDER);
    QTest::newRow("notes") << int(MD_NOTE);
    QTest::newRow("bookmarks") << int(MD_SAFARI_BOOKMARK);
    QTest::newRow("photos") << int(MD_PHOTO);
    QTest::newRow("voice memos") << int(MD_VOICE_MEMO);
}

void TestPhoneRestore::restored()
{
    QFETCH(int, type);
    const QString into = Folder("into");
    const QString received = QDir(into).filePath(Udid);
    if (!QFileInfo::exists(received)) {
        QVERIFY(QDir().mkpath(into));
        QList<int> progress;
        QCOMPARE(Restore(m_merged, "normal", into, &progress), int(CAPTURE_OK));
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.last(), 100);
        // The phone received the merged backup whole.
        QCOMPARE(BackupFixture::Digests(received), BackupFixture::Digests(m_merged));
    }
    QStringList expected = RecordTexts::Scan(Folder("target"), MDType(type), false);
    expected << RecordTexts::PutBack(
        RecordTexts::Scan(Folder("source"), MDType(type), !AllOf(MDType(type))));
    expected.sort();
    QCOMPARE(RecordTexts::Scan(received, MDType(type), false), expected);
}

void TestPhoneRestore::otherClientAccepts()
{
    const QString into = Folder("into-other");
    QVERIFY(QDir().mkpath(into));
    FakePhoneProcess phone;
    QVERIFY2(phone.Start(Folder("target"), "normal", Udid, {"--restore-into", into}),
             qPrintable(phone.Errors()));
    const FakePhoneProcess::Run run =
        phone.Tool("idevicebackup2", {"restore", "--system", "-s", QFileInfo(m_merged).fileName(),
                                      QFileInfo(m_merged).path()});
    QVERIFY2(run.exitCode == 0 && run.output.contains("Restore Successful."),
             run.output.right(2000).constData());
    QCOMPARE(BackupFixture::Digests(QDir(into).filePath(Udid)), BackupFixture::Digests(m_merged));
}

void TestPhoneRestore::onePhone_data()
{
    QTest::addColumn<int>("ios");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("type");
    // A phone that encrypts its backups: its own backup captured, the deleted
    // contacts merged in with its keys; what it received opens with its password.
    QTest::newRow("encrypted phone") << 0 << "phone pass" << int(MD_CONTACT);
    // A phone of iOS 9 or older indexes its backup by Manifest.mbdb: the
    // merged copy, indexed so too, passes the check.
    QTest::newRow("older phone") << 7 << "" << int(MD_NOTE);
}

// Restored whole, what the phone received scans to its records plus the recovered ones.
void TestPhoneRestore::onePhone()
{
    QFETCH(int, ios);
    QFETCH(QString, password);
    QFETCH(int, type);
    const QString tag = QTest::currentDataTag();
    const QString source = ios ? Folder("source7") : Folder("source");
    const QString served = Folder("served " + tag);
    QString target = served;
    if (ios) {
        QVERIFY(BackupFixture::WriteMergePair(source, served, ios));
    } else {
        SampleBackupWriter::Options options;
        options.media = false;
        options.seed = 7;
        options.password = password;
        options.kdfRounds = 1;
        QVERIFY(SampleBackupWriter(options).Write(served));
        FakePhoneProcess phone;
        QVERIFY2(phone.Start(served, "normal", Udid), qPrintable(phone.Errors()));
        qputenv("USBMUXD_SOCKET_ADDRESS", phone.Address());
        QCOMPARE(BackupCapture(Udid, Folder("captured " + tag)).Run(), int(CAPTURE_OK));
        target = QDir(Folder("captured " + tag)).filePath(Udid);
    }
    BackupMerge::Options merge;
    merge.category = type;
    merge.onlyDeleted = true;
    merge.targetPassword = password;
    const QString merged = Folder("merged " + tag);
    BackupMerge merger(merge);
    QVERIFY2(merger.Run(source, target, merged), qPrintable(merger.ErrorText()));
    QString reason;
    QVERIFY2(BackupCheck::IsComplete(merged, &reason), qPrintable(reason));
    const QString into = Folder("into " + tag);
    QVERIFY(QDir().mkpath(into));
    QCOMPARE(Restore(merged, "normal", into, nullptr, served), int(CAPTURE_OK));
    const QString received = QDir(into).filePath(Udid);
    QCOMPARE(BackupFixture::Digests(received), BackupFixture::Digests(merged));
    QStringList expected = RecordTexts::Scan(served, MDType(type), false, password);
    expected << RecordTexts::PutBack(RecordTexts::Scan(source, MDType(type), true));
    expected.sort();
    QCOMPARE(RecordTexts::Scan(received, MDType(type), false, password), expected);
}

void TestPhoneRestore::refused_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<bool>("keeps"); // the phone keeps restores
    QTest::addColumn<bool>("complete");
    QTest::addColumn<int>("code");
    QTest::newRow("locked") << "locked" << true << true << int(CAPTURE_LOCKED);
    QTest::newRow("refused") << "normal" << false << true << int(CAPTURE_PROTOCOL);
    QTest::newRow("incomplete backup") << "normal" << true << false << int(CAPTURE_INTERNAL);
}

void TestPhoneRestore::refused()
{
    QFETCH(QString, scenario);
    QFETCH(bool, keeps);
    QFETCH(bool, complete);
    QFETCH(int, code);
    QString backup = m_merged;
    if (!complete) {
        backup = Folder("incomplete");
        QVERIFY(BackupFixture::CopyFolder(m_merged, backup));
        QVERIFY(
            QFile::remove(BackupFixture::ContentPath(backup, "HomeDomain", "Library/SMS/sms.db")));
    }
    const QString into = Folder("into-" + QString(QTest::currentDataTag()).replace(' ', '-'));
    QVERIFY(QDir().mkpath(into));
    QCOMPARE(Restore(backup, scenario, keeps ? into : QString()), code);
    // Nothing is kept by a phone whose restore did not finish.
    QCOMPARE(QDir(into).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

QTEST_GUILESS_MAIN(TestPhoneRestore)
#include "tst_phonerestore.moc"
