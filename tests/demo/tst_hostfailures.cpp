// The demo host where something goes wrong: a damaged backup is marked in
// the list with its reason and cannot be opened; a backup that goes away
// during Scan All stops it with one page message and one host notice; a
// locked backup opens no page (no error code, no endless spinner) and says
// how to unlock it; a recovery that cannot write says where and why, with a
// button to choose another folder. And the overview keeps the current
// backup's real state: a page closed mid-scan is "not scanned" again, and
// another backup starts from "not scanned".

#include "backupsummary.h"
#include "categoryoverview.h"
#include "demohostwindow.h"
#include "failures/backuphealthcheck.h"
#include "failures/failurenotice.h"
#include "failures/recoveryfailure.h"
#include "hostlogging.h"
#include "pages/demopagefactory.h"
#include "pages/demotablepage.h"
#include "views/mysortfilterproxymodel.h"

#include "backupfixture.h"
#include "modaldialoganswerer.h"
#include "plugin/categorypanel.h"
#include "samplebackupwriter.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/fsuid.h>
#endif

using namespace MMobile;
using Answer = ModalDialogAnswerer::Answer;

namespace {
const int kTimeout = 60000;

// RecoveryFailure::Explain as an ordinary user would get it. The superuser
// (CI runs as root) writes into any folder: on Linux its file-system user
// and group ids become nobody's for the call, which takes its file
// privileges away from this thread as the kernel's permission checks see it.
QString ExplainAsUser(const QString& folder)
{
#ifdef Q_OS_LINUX
    const bool root = ::geteuid() == 0;
    if (root) {
        ::setfsgid(65534);
        ::setfsuid(65534);
    }
    const QString explained = RecoveryFailure::Explain(folder);
    if (root) {
        ::setfsuid(0);
        ::setfsgid(0);
    }
    return explained;
#else
    return RecoveryFailure::Explain(folder);
#endif
}
const char kIndex[] = "Damaged: Manifest.db, the backup's index of files, ";
} // namespace

class TestHostFailures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void damagedIndexIsFound_data();
    void damagedIndexIsFound();
    void damagedBackupIsMarkedAndRefused();
    void vanishedBackupStopsScanAllOnce();
    void lockedBackupOpensNoPage_data();
    void lockedBackupOpensNoPage();
    void recoveryFailureIsExplained_data();
    void recoveryFailureIsExplained();
    void failedRecoveryOffersAnotherFolder_data();
    void failedRecoveryOffersAnotherFolder();
    void overviewShowsTheCurrentState();
    void refreshSaysWhatItFound();

private:
    // A copy of the generated backup under `name`.
    QString Copy(const QString& name);
    DemoHostWindow::Options HostOptions(const QStringList& known) const;
    // A host listing `known`, with the list made.
    std::unique_ptr<DemoHostWindow> Host(const QStringList& known);

    QTemporaryDir m_dir;
    QString m_backup;
    QString m_encrypted;
    std::unique_ptr<ModalDialogAnswerer> m_answerer;
};

void TestHostFailures::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SampleBackupWriter::Options plain;
    plain.media = false;
    SampleBackupWriter writer(plain);
    m_backup = m_dir.filePath(QStringLiteral("backup"));
    QVERIFY2(writer.Write(m_backup), qPrintable(writer.ErrorText()));
    SampleBackupWriter::Options locked = plain;
    locked.password = QStringLiteral("secret");
    locked.kdfRounds = 1000;
    SampleBackupWriter encrypted(locked);
    m_encrypted = m_dir.filePath(QStringLiteral("encrypted"));
    QVERIFY2(encrypted.Write(m_encrypted), qPrintable(encrypted.ErrorText()));
    QVERIFY(HostLogging::Configure(m_dir.filePath(QStringLiteral("log"))));
}

void TestHostFailures::init()
{
    m_answerer = std::make_unique<ModalDialogAnswerer>();
    m_answerer->ignore(QStringLiteral("RecoverProgressDialog"));
}

void TestHostFailures::cleanup()
{
    QVERIFY(m_answerer->waitAllAnswered(kTimeout));
    QVERIFY2(m_answerer->errors().isEmpty(), qPrintable(m_answerer->errors().join('\n')));
    m_answerer.reset();
    QFile::remove(m_dir.filePath(QStringLiteral("settings.ini")));
}

QString TestHostFailures::Copy(const QString& name)
{
    const QString copy = m_dir.filePath(name);
    QDir(copy).removeRecursively();
    return BackupFixture::CopyFolder(m_backup, copy) ? copy : QString();
}

DemoHostWindow::Options TestHostFailures::HostOptions(const QStringList& known) const
{
    DemoHostWindow::Options options;
    options.knownFolders = known;
    options.skinFolder = QStringLiteral(CP_DEMO_SKIN_DIR);
    options.resourceFolder = QStringLiteral(CP_DEMO_RESOURCE_DIR "common/");
    options.pictureFolder = QStringLiteral(CP_DEMO_RESOURCE_DIR);
    options.workFolder = m_dir.filePath(QStringLiteral("work/"));
    options.settingsFile = m_dir.filePath(QStringLiteral("settings.ini"));
    options.logFolder = m_dir.filePath(QStringLiteral("log"));
    return options;
}

std::unique_ptr<DemoHostWindow> TestHostFailures::Host(const QStringList& known)
{
    auto host = std::make_unique<DemoHostWindow>(HostOptions(known));
    host->show();
    host->Start(false);
    if (!QTest::qWaitFor(
            [&] { return !host->IsListing() && host->Backups().size() == known.size(); }, kTimeout))
        return nullptr;
    return host;
}

void TestHostFailures::damagedIndexIsFound_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("problem"); // empty: a usable backup
    QTest::newRow("intact") << ""
                            << "";
    QTest::newRow("cut to 16 KiB") << "cut" << QString(kIndex) + "is cut short or corrupt";
    QTest::newRow("no Files table") << "drop" << QString(kIndex) + "has no list of files";
    QTest::newRow("not a database") << "garbage" << QString(kIndex) + "is not a database";
    QTest::newRow("missing") << "remove"
                             << "Damaged: Manifest.db is missing";
}

void TestHostFailures::damagedIndexIsFound()
{
    QFETCH(QString, damage);
    QFETCH(QString, problem);
    const QString folder = Copy(QStringLiteral("damaged"));
    QVERIFY(!folder.isEmpty());
    const QString index = QDir(folder).filePath(QStringLiteral("Manifest.db"));
    if (damage == QLatin1String("cut"))
        QVERIFY(QFile::resize(index, 16 * 1024));
    else if (damage == QLatin1String("drop"))
        QVERIFY(BackupFixture::Exec(index, QStringLiteral("DROP TABLE Files")));
    else if (damage == QLatin1String("garbage"))
        QVERIFY(BackupFixture::WriteFile(index, QByteArray(20000, 'x')));
    else if (damage == QLatin1String("remove"))
        QVERIFY(QFile::remove(index));
    const QString before = BackupFixture::Digests(folder);
    const BackupSummary summary = BackupSummary::Read(folder);
    QCOMPARE(summary.problem, problem);
    QCOMPARE(summary.state, problem.isEmpty() ? BackupSummary::Ready : BackupSummary::Damaged);
    // Nothing was written into the backup, not even a journal.
    QCOMPARE(BackupFixture::Digests(folder), before);
}

void TestHostFailures::damagedBackupIsMarkedAndRefused()
{
    const QString folder = Copy(QStringLiteral("cut"));
    QVERIFY(QFile::resize(QDir(folder).filePath(QStringLiteral("Manifest.db")), 16 * 1024));
    auto host = Host({folder});
    QVERIFY(host);
    QCOMPARE(host->Backups().first().state, BackupSummary::Damaged);
    QVERIFY(!host->OpenBackup(folder, false));
    QVERIFY(host->CurrentBackup().isEmpty());
    QCOMPARE(host->Failure()->Text(), QDir::toNativeSeparators(folder) + QStringLiteral(": ") +
                                          kIndex + QStringLiteral("is cut short or corrupt. ") +
                                          BackupHealthCheck::Advice());
    QCOMPARE(host->Failure()->ActionText(), QStringLiteral("Open Another Backup..."));
}

void TestHostFailures::vanishedBackupStopsScanAllOnce()
{
    const QString folder = Copy(QStringLiteral("vanishing"));
    auto host = Host({folder});
    QVERIFY(host);
    QVERIFY(host->OpenBackup(folder, false));
    // The drive is gone: every category would fail with the same backup error.
    QVERIFY(QDir(m_dir.path()).rename(QStringLiteral("vanishing"), QStringLiteral("gone")));
    m_answerer->answer(Answer::ok());
    host->ScanAll();
    QVERIFY(QTest::qWaitFor([&] { return !host->Failure()->Text().isEmpty(); }, kTimeout));
    QVERIFY(!host->ScanAllRunning());
    // One page message, then no other page scanned or open.
    QTest::qWait(200);
    QCOMPARE(m_answerer->answeredCount(), 1);
    int open = 0;
    for (MDType type : DemoPageFactory::Categories())
        open += host->Page(type) ? 1 : 0;
    QCOMPARE(open, 0);
    QCOMPARE(host->StatusText(), QStringLiteral("Scan All stopped: the backup could not be read"));
    QCOMPARE(host->Failure()->Text(), QDir::toNativeSeparators(folder) +
                                          QStringLiteral(": The folder does not exist. ") +
                                          BackupHealthCheck::Advice());
}

void TestHostFailures::lockedBackupOpensNoPage_data()
{
    QTest::addColumn<bool>("mayAsk");
    QTest::addColumn<bool>("scanAll");
    QTest::newRow("no one to ask, one category") << false << false;
    QTest::newRow("no one to ask, Scan All") << false << true;
    QTest::newRow("password dialog cancelled") << true << false;
}

void TestHostFailures::lockedBackupOpensNoPage()
{
    QFETCH(bool, mayAsk);
    QFETCH(bool, scanAll);
    auto host = std::make_unique<DemoHostWindow>(HostOptions({m_encrypted}));
    host->show();
    host->Start(mayAsk);
    QVERIFY(QTest::qWaitFor([&] { return !host->IsListing(); }, kTimeout));
    // Cancelled once at opening, and again when a category is opened.
    if (mayAsk)
        m_answerer->answer({Answer::reject(), Answer::reject()});
    host->OpenBackup(m_encrypted, mayAsk);
    if (scanAll)
        host->ScanAll();
    else
        QVERIFY(!host->OpenCategory(MD_CONTACT));
    QVERIFY(m_answerer->waitAllAnswered(kTimeout));
    QVERIFY(!host->Page(MD_CONTACT));
    QVERIFY(!host->ScanAllRunning());
    QCOMPARE(host->Failure()->Text(),
             QStringLiteral("The backup is encrypted and locked: its categories can be read "
                            "once you enter its password."));
    QCOMPARE(host->Failure()->ActionText(), QStringLiteral("Unlock..."));
    QVERIFY(!host->StatusText().contains(QStringLiteral("255")));
    QCOMPARE(host->Overview()->ItemText(MD_CONTACT), QStringLiteral("Contacts\nnot scanned\n"));
}

void TestHostFailures::recoveryFailureIsExplained_data()
{
    QTest::addColumn<QString>("folder"); // below the test folder
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("reason"); // empty: it takes files
    QTest::newRow("writable") << "out"
                              << "folder"
                              << "";
    QTest::newRow("missing folders are made") << "new/deeper"
                                              << ""
                                              << "";
    QTest::newRow("a file in the way") << "file.txt/sub"
                                       << "file"
                                       << "it is a file, not a folder";
    QTest::newRow("no permission") << "locked/sub"
                                   << "read-only"
                                   << "permission denied";
}

void TestHostFailures::recoveryFailureIsExplained()
{
    QFETCH(QString, folder);
    QFETCH(QString, setup);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString first = dir.filePath(folder.section('/', 0, 0));
    if (setup == QLatin1String("folder") || setup == QLatin1String("read-only"))
        QVERIFY(QDir().mkpath(first));
    if (setup == QLatin1String("file"))
        QVERIFY(BackupFixture::WriteFile(first, "text"));
    if (setup == QLatin1String("read-only")) {
        QVERIFY(QFile::setPermissions(first, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                                 QFile::ExeOther));
        // Others may look into the test folder: the superuser's check runs as one of them.
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ExeOwner | QFile::ReadOther |
                                                      QFile::ExeOther));
    }
    // Only the folder without permission is looked at as another user: the
    // others are the test's own.
    const QString explained = setup == QLatin1String("read-only")
                                  ? ExplainAsUser(dir.filePath(folder))
                                  : RecoveryFailure::Explain(dir.filePath(folder));
    QCOMPARE(explained, reason.isEmpty() ? QString()
                                         : QStringLiteral("cannot write into %1: %2")
                                               .arg(QDir::toNativeSeparators(first), reason));
    QFile::setPermissions(first, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // A probe file is never left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).filter("probe").size(), 0);
}

void TestHostFailures::failedRecoveryOffersAnotherFolder_data()
{
    QTest::addColumn<QString>("output");  // below the test folder
    QTest::addColumn<QString>("message"); // a pattern; %1 the output folder
    QTest::newRow("a file in the way")
        << "blocked"
        << "Contacts: the recovery failed: cannot write into %1: it is a file, not a folder";
    // The folder above takes files: only the engine knows why, and says it.
    QTest::newRow("name too long") << QStringLiteral("long/%1").arg(QString(300, 'n'))
                                   << "Contacts: the recovery to %1 failed: cannot create .*: "
                                      "File name too long";
}

// A recovery to the computer that cannot write: the page says its message,
// the host says where and the system's reason, and offers another folder.
void TestHostFailures::failedRecoveryOffersAnotherFolder()
{
    const QString folder = Copy(QStringLiteral("recover"));
    auto host = Host({folder});
    QVERIFY(host);
    QVERIFY(host->OpenBackup(folder, false));
    QFETCH(QString, output);
    QFETCH(QString, message);
    const QString blocked = m_dir.filePath(output);
    if (output == QLatin1String("blocked"))
        QVERIFY(BackupFixture::WriteFile(blocked, "a file"));
    else
        QVERIFY(QDir().mkpath(QFileInfo(blocked).path()));
    host->SetOutputDir(blocked.toUtf8().constData());
    CategoryPanel* page = host->OpenCategory(MD_CONTACT);
    QVERIFY(page);
    QVERIFY(QTest::qWaitFor([&] { return host->ScanEnded(MD_CONTACT); }, kTimeout));
    auto* button = page->findChild<QAbstractButton*>(QStringLiteral("btnRecoverToPC"));
    QVERIFY(QTest::qWaitFor([&] { return button->isEnabled(); }, kTimeout));
    auto* table = qobject_cast<DemoTablePage*>(page);
    QVERIFY(table);
    table->proxyModel()->setData(table->proxyModel()->index(0, 0), int(Qt::Checked),
                                 Qt::CheckStateRole);
    QSignalSpy results(host.get(), &DemoHostWindow::recoverResult);
    // The folder dialog, then the page's own message of a failed export.
    m_answerer->answer({Answer::pressButton(QStringLiteral("btnSetRecover")), Answer::ok()});
    button->click();
    QVERIFY(results.wait(kTimeout) || !results.isEmpty());
    QCOMPARE(results.first().value(2).toInt(), 0);
    const QString pattern =
        message.arg(QRegularExpression::escape(QDir::toNativeSeparators(blocked)));
    QVERIFY2(QRegularExpression(QStringLiteral("^%1$").arg(pattern))
                 .match(host->Failure()->Text())
                 .hasMatch(),
             qPrintable(host->Failure()->Text()));
    QCOMPARE(host->Failure()->ActionText(), QStringLiteral("Choose Another Folder..."));
    QVERIFY(m_answerer->waitAllAnswered(kTimeout));
    QCOMPARE(m_answerer->last().messageText, QStringLiteral("Recovery failed! Please try again!"));
    host->CloseCategory(MD_CONTACT);
}

void TestHostFailures::overviewShowsTheCurrentState()
{
    const QString first = Copy(QStringLiteral("first"));
    const QString second = Copy(QStringLiteral("second"));
    auto host = Host({first, second});
    QVERIFY(host);
    QVERIFY(host->OpenBackup(first, false));
    // Closed before its scan could end: not scanned, and it stays so.
    QVERIFY(host->OpenCategory(MD_CALENDAR, false));
    host->CloseCategory(MD_CALENDAR);
    QVERIFY(QTest::qWaitFor([&] { return !host->Page(MD_CALENDAR); }, kTimeout));
    QTest::qWait(300);
    QCOMPARE(host->Overview()->ItemText(MD_CALENDAR), QStringLiteral("Calendar\nnot scanned\n"));
    QVERIFY(host->OpenCategory(MD_CONTACT, false));
    QVERIFY(QTest::qWaitFor([&] { return host->ScanEnded(MD_CONTACT); }, kTimeout));
    QTRY_VERIFY(host->Overview()->ItemText(MD_CONTACT).contains(QStringLiteral("items")));
    // Another backup: nothing of the first one's counts.
    QVERIFY(host->OpenBackup(second, false));
    for (MDType type : DemoPageFactory::Categories())
        QCOMPARE(host->Overview()->ItemText(type),
                 DemoPageFactory::Title(type) + QStringLiteral("\nnot scanned\n"));
}

void TestHostFailures::refreshSaysWhatItFound()
{
    auto host = Host({m_backup});
    QVERIFY(host);
    host->RefreshBackups();
    QCOMPARE(host->StatusText(), QStringLiteral("Looking for backups ..."));
    QTRY_COMPARE_WITH_TIMEOUT(host->StatusText(),
                              QStringLiteral("1 backup folder(s) listed. Double-click one to "
                                             "open it."),
                              kTimeout);
    // A page does not block the host's own buttons.
    QVERIFY(host->OpenBackup(m_backup, false));
    CategoryPanel* page = host->OpenCategory(MD_NOTE);
    QVERIFY(page && page->isVisible());
    QCOMPARE(page->windowModality(), Qt::NonModal);
    QVERIFY(!QApplication::activeModalWidget());
    host->CloseCategory(MD_NOTE);
}

QTEST_MAIN(TestHostFailures)
#include "tst_hostfailures.moc"
