// A page's two workflows from the engine's reports and the user's presses:
// the scan (progress lines, the data hand-over while the scan runs and at its
// end, the load-callback road, closing at any moment, the backup errors with
// their messages and retry) and the recovery of the ticked items to the
// computer or a device (the configurations the engine gets, the dialogs, the
// end reports and what the user and the host are told); freeing a page while
// the engine thread is still inside its last report, and the sources a page
// lets go.

#include "testpage.h"

#include "modaldialoganswerer.h"

#include "dialogs/recoverprogressdialog.h"
#include "dialogs/setrecoveryfolderdialog.h"
#include "log4qt/listappender.h"
#include "mymessagedailog.h"
#include "mystatusbar.h"
#include "plugin/scanprogresswidget.h"
#include "taskprogresswidget.h"

#include <QDesktopServices>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>
#include <QTranslator>
#include <QUrl>

#include <atomic>
#include <thread>

using namespace MMobile;
using Answer = ModalDialogAnswerer::Answer;

namespace {

// Stands in for the desktop's file browser.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

// A page with an answerer for its dialogs, which leaves the page itself and
// the progress dialog alone.
struct World : PageWorld
{
    World(MDType type, bool withCallback = false) : PageWorld(type, withCallback, "Anna's iPhone")
    {
        answerer.ignore(QStringLiteral("TestPage"));
        answerer.ignore(QStringLiteral("RecoverProgressDialog"));
    }

    TaskProgressWidget* lines() { return page.findChild<TaskProgressWidget*>("widgetTasks"); }
    bool progressHidden() { return page.findChild<ScanProgressWidget*>()->isHidden(); }
    void toDevice(IDevice* target)
    {
        QMetaObject::invokeMethod(&page, "slotImportToDevice", Q_ARG(IDevice*, target));
    }
    void toComputer() { QMetaObject::invokeMethod(&page, "slotExportToPC"); }

    ModalDialogAnswerer answerer;
};

// A page whose scan has ended with `count` items, all ticked.
struct Scanned : World
{
    Scanned(MDType type, int count) : World(type)
    {
        for (int i = 0; i < count; ++i)
            items.prepend(prependItem(source.dataGetter(), true));
        scanned = load(completeScan()) && source.lastTask()->waitFinished(kTimeout);
        QTest::qWait(0);
    }

    QVector<FakeItem*> items;
    bool scanned = false;
};

QVector<IMDCommon*> storeItems(TaskItem* store)
{
    QVector<IMDCommon*> items;
    for (unsigned int i = 0; i < store->GetDataCountEx(); ++i)
        items << store->GetData(i);
    return items;
}

// The folder dialog's Recover button.
Answer recoverInto()
{
    return Answer::pressButton(QStringLiteral("btnSetRecover"));
}

} // namespace

class TestWorkflows : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void storeFollowsGetterDuringScan();
    void dataReportsThatHandNothingOver_data();
    void dataReportsThatHandNothingOver();
    void scanEnds_data();
    void scanEnds();
    void loadCallbackRoad();
    void closingReleasesPendingHandOver();
    void closingAtRandomMoments();
    void backupErrorMessages_data();
    void backupErrorMessages();
    void unknownBackupCodesEndScan_data();
    void unknownBackupCodesEndScan();
    void lockedDevice_data();
    void lockedDevice();
    void recovery_data();
    void recovery();
    void recoveryStartsNothing_data();
    void recoveryStartsNothing();
    void recoveryToComputerWeChat_data();
    void recoveryToComputerWeChat();
    void recoveryDoesNotStart_data();
    void recoveryDoesNotStart();
    void freeWaitsForLastReport_data();
    void freeWaitsForLastReport();
    void reloadReleasesFinishedSource();
    void twoPagesScanAtOnce();

private:
    UrlRecorder m_urls;
};

void TestWorkflows::init()
{
    m_urls.urls.clear();
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_urls, "open");
}

void TestWorkflows::cleanup()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

void TestWorkflows::storeFollowsGetterDuringScan()
{
    World world(MD_MESSAGE);
    world.script.report(TASK_BEGIN, 0, "1");
    world.data(30, 2);
    world.script.report(TASK_PERCENT, 40, "0").held();
    world.data(60, 3);
    world.script.report(TASK_PERCENT, 70, "0").held();
    world.script.report(TASK_COMPLETE, 100, "0");
    FakeTask* task = world.load();
    TaskItem* store = world.page.store();
    QCOMPARE(task->waitHeld(kTimeout), 2);
    // The hand-over finished before the report returned.
    QCOMPARE(storeItems(store), world.getter->items());
    QCOMPARE(store->GetDataCountEx(), 2u);
    // A tick made during the scan stays with its item, moved behind the new
    // ones, until the end reload.
    store->SetChecked(1, Qt::Unchecked);
    task->release();
    QCOMPARE(task->waitHeld(kTimeout), 4);
    QCOMPARE(storeItems(store), world.getter->items());
    QCOMPARE(store->GetDataCountEx(), 5u);
    QCOMPARE(store->GetCheckState(4), Qt::Unchecked);
    task->release();
    QVERIFY(task->waitFinished(kTimeout));
    QTRY_VERIFY(world.progressHidden());
    QCOMPARE(storeItems(store), world.getter->items());
    QCOMPARE(store->GetCheckState(4), Qt::Checked);
    QVERIFY(world.page.button("btnRecoverToPC")->isEnabled());
}

void TestWorkflows::dataReportsThatHandNothingOver_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("getterGone");
    QTest::addColumn<unsigned int>("stored");
    QTest::newRow("without category") << -1 << false << 0u;
    QTest::newRow("without new items") << int(MD_MESSAGE) << false << 2u;
    QTest::newRow("without getter") << int(MD_MESSAGE) << true << 0u;
}

void TestWorkflows::dataReportsThatHandNothingOver()
{
    QFETCH(int, type);
    QFETCH(bool, getterGone);
    QFETCH(unsigned int, stored);
    World world(MD_MESSAGE);
    world.source.setDataGetterHidden(getterGone);
    world.data(30, 2).withType(type);
    // Same count again: nothing new is handed over, the tick made below stays.
    world.script.report(TASK_DATA, 40, "0").withType(type).held();
    world.script.report(TASK_PERCENT, 50, "0").held();
    FakeTask* task = world.load();
    QCOMPARE(task->waitHeld(kTimeout), 1);
    TaskItem* store = world.page.store();
    QCOMPARE(store->GetDataCountEx(), stored);
    if (stored > 0)
        store->SetChecked(0, Qt::Unchecked);
    task->release();
    QCOMPARE(task->waitHeld(kTimeout), 2);
    QCOMPARE(store->GetDataCountEx(), stored);
    QCOMPARE(world.source.dataGetterRequests(), type == -1 ? 0 : 2);
    if (stored > 0)
        QCOMPARE(store->GetCheckState(0), Qt::Unchecked);
    QTRY_COMPARE(int(world.lines()->taskState(1)), int(TASK_DATA));
    task->release();
    QVERIFY(task->waitFinished(kTimeout));
}

void TestWorkflows::scanEnds_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("end");
    QTest::addColumn<QByteArray>("code"); // of the end report: 0 analysis, 9 backup
    QTest::addColumn<bool>("getterGone");
    QTest::addColumn<QString>("log");
    QTest::newRow("complete") << int(MD_CONTACT) << int(TASK_COMPLETE) << QByteArray("0") << false
                              << "Scan Contacts complete, data count: 2";
    QTest::newRow("reminders") << int(MD_REMINDER) << int(TASK_COMPLETE) << QByteArray("0") << false
                               << "Scan Reminders complete, data count: 2";
    QTest::newRow("without getter") << int(MD_CALENDAR) << int(TASK_COMPLETE) << QByteArray("0")
                                    << true << "Scan Calendar complete, data count: 0";
    QTest::newRow("error keeps data")
        << int(MD_NOTE) << int(TASK_ERROR) << QByteArray("0") << false << "Scan Notes error";
    QTest::newRow("stopped") << int(MD_NOTE) << int(TASK_STOP) << QByteArray("9") << false
                             << QString();
}

void TestWorkflows::scanEnds()
{
    QFETCH(int, type);
    QFETCH(int, end);
    QFETCH(QByteArray, code);
    QFETCH(bool, getterGone);
    QFETCH(QString, log);
    Log4Qt::ListAppender capture(QStringLiteral("TestPage"));
    World world(static_cast<MDType>(type));
    const bool reminders = type == MD_REMINDER;
    FakeGetter* getter =
        reminders ? world.source.namedGetter("Reminider") : world.source.dataGetter();
    FakeTaskScript script;
    script.report(TASK_DATA, 20, "0").prepending(getter, newItems(getter, 2, true));
    script.report(end, 100, code.constData()).running([&world, getterGone] {
        world.source.setDataGetterHidden(getterGone);
    });
    QVERIFY(world.load(script)->waitFinished(kTimeout));
    QTRY_VERIFY(world.progressHidden());
    QCOMPARE(world.page.store()->GetDataCountEx(), 2u);
    QCOMPARE(world.page.getStatusBar()->leftLable(), QString("You select 2 item(s) in 2 item(s)"));
    QCOMPARE(capture.messages().join(QString()), log);
    if (!log.isEmpty())
        QCOMPARE(capture.lines().first().level, QString("INFO"));
    // The error and stop lines are marked: the analysis line for code 0.
    const int line = code == "0" ? 1 : 0;
    QCOMPARE(int(world.lines()->taskState(line)), end == TASK_COMPLETE ? int(TASK_DATA) : end);
    QCOMPARE(world.page.IsLoad(nullptr), end != TASK_STOP);
    QCOMPARE(world.host.events("OnOperationFailed").size(), end == TASK_ERROR ? 1 : 0);
    QCOMPARE(world.source.dataGetterRequests() == 0, reminders);
}

void TestWorkflows::loadCallbackRoad()
{
    World world(MD_MESSAGE, true);
    world.script.report(TASK_BEGIN, 5, "1");
    world.script.report(TASK_PERCENT, 15, "1");
    world.data(40, 2);
    // The host asks to stop: the page passes the request on.
    world.script.report(TASK_STOP, 40, "0").running([&world] {
        world.host.setStopRequested(true);
    });
    FakeTask* task = world.load();
    QVERIFY(task->waitFinished(kTimeout));
    QVERIFY(task->stoppedByCallback());
    QCOMPARE(world.host.events("OnScanPercent"),
             (QStringList{"OnScanPercent(5)", "OnScanPercent(15)", "OnScanPercent(40)"}));
    QCOMPARE(world.host.events("OnScanStatus"),
             QStringList({QString("OnScanStatus(%1)").arg(TASK_DATA),
                          QString("OnScanStatus(%1)").arg(TASK_STOP)}));
    QCOMPARE(world.host.events("IsStopRequested").size(), 4);
    QCOMPARE(world.page.store()->GetDataCountEx(), 2u);
    QTRY_VERIFY(world.progressHidden());
    // Only the stop status reaches the page's own lines.
    QCOMPARE(int(world.lines()->taskState(1)), int(TASK_STOP));
    QVERIFY(int(world.lines()->taskState(0)) != int(TASK_DATA));
    QCOMPARE(world.host.events(QString(), true).size(), world.host.events().size());
}

void TestWorkflows::closingReleasesPendingHandOver()
{
    // The GUI thread closes the page without ever taking the getter: the
    // engine's wait must end, or the close would wait forever.
    World world(MD_MESSAGE);
    world.data(50, 2);
    world.script.report(TASK_PERCENT, 60, "0");
    FakeTask* task = world.load();
    // Wait without processing events, so the queued hand-over stays pending.
    while (task->GetStatus() != TASK_DATA)
        QThread::msleep(1);
    world.page.ClosePlugin();
    QVERIFY(task->waitFinished(kTimeout));
    QVERIFY(task->stoppedByCallback());
    // The report waiting for the hand-over answers false.
    QCOMPARE(task->results().last(), false);
}

void TestWorkflows::closingAtRandomMoments()
{
    // Close while reports, hand-overs and waits are in every possible phase;
    // a deadlock would hang here (and fail on the test's timeout).
    QRandomGenerator random(20261206);
    for (int round = 0; round < 300; ++round) {
        PageWorld world(random.bounded(2) ? MD_MESSAGE : MD_CONTACT, random.bounded(4) == 0);
        world.script.report(TASK_BEGIN, 0, "1");
        for (int i = 0; i < 6; ++i) {
            world.data(10 + i * 10, 1 + int(random.bounded(3))).after(int(random.bounded(2)));
            world.script.report(TASK_PERCENT, 15 + i * 10, "0");
        }
        world.script.report(TASK_COMPLETE, 100, "0");
        FakeTask* task = world.load();
        QVERIFY(task);
        const int wait = int(random.bounded(12));
        if (random.bounded(2))
            QTest::qWait(wait);
        else
            QThread::msleep(static_cast<unsigned long>(wait));
        world.page.ClosePlugin();
        QVERIFY(IsTaskEndStatus(task->GetStatus()) || task->isFinished());
        QVERIFY2(task->waitFinished(kTimeout), qPrintable(QString("round %1").arg(round)));
        QCOMPARE(world.host.pluginCloses().size(), 1);
        QVERIFY(!world.page.isVisible());
        QCoreApplication::processEvents();
    }
}

void TestWorkflows::backupErrorMessages_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    const QString mail = "support@example.com";
    for (int code : {2, 3, 255})
        QTest::addRow("%d", code)
            << code
            << QString("<strong>Backup error(error code:%1)</strong><br>Please send us all files "
                       "in log folder (Help > Open Log)<br> together with the upper error code "
                       "to <br><a href='mailto:%2'>%2</a> for help.")
                   .arg(code)
                   .arg(mail);
    QTest::newRow("5") << 5
                       << "<strong>Fail to backup. Please try possible solutions below to fix "
                          "it:</strong><br><br>1. Please change to another USB port.<br>2. Please "
                          "restart the Mobile device.<br>3. Please contact " +
                              mail +
                              " with all files in log folder<br> (Help > Open Log) for help.";
    QTest::newRow("6") << 6
                       << "There is not enough storage space on your device or the largest<br>"
                          "hard disk on your computer to finish the scanning. Please free "
                          "some<br>storage space and try again.<br>";
    QTest::newRow("7") << 7
                       << "Opps, it seems that you are doing some settings on your device.<br>"
                          "Please close the Settings page and try again.<br>";
    QTest::newRow("10")
        << 10
        << "<strong>Scan error(error code:10)</strong><br>We detect the presence of a small "
           "problem in your<br>environment, in order to recover the data in a timely</br><br>"
           "manner, it is recommended that you according to the</br><br>error code, <a "
           "href=\"https://www.example.com/support/contact.html\"><span style=\" "
           "text-decoration: underline; color:#0000ff;\">contact customer service</span></a>."
           "</br>";
}

void TestWorkflows::backupErrorMessages()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    Log4Qt::ListAppender log(QStringLiteral("TestPage"));
    World world(MD_CONTACT);
    world.answerer.answer(Answer::ok());
    world.script.report(TASK_PERCENT, 10, "1");
    world.script.report(TASK_DATA, 20, QByteArray::number(code).constData());
    FakeTask* task = world.load();
    QVERIFY(task->waitFinished(kTimeout));
    QVERIFY(task->stoppedByCallback());
    QVERIFY(world.answerer.waitAnswered(1, kTimeout));
    QCOMPARE(world.answerer.last().message(), "3 [OK|] " + text);
    QCOMPARE(log.messages(), QStringList{"Backup Contacts error"});
    QCOMPARE(log.lines().first().level, QString("ERROR"));
    // The status of the failing report is not taken.
    QCOMPARE(int(world.page.m_status), int(TASK_PERCENT));
    // Without a load callback the page closes.
    QTRY_VERIFY(!world.page.isVisible());
    QCOMPARE(world.host.pluginCloses(), QVector<int>{MD_CONTACT});
}

void TestWorkflows::unknownBackupCodesEndScan_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<bool>("withCallback");
    for (const char* code : {"8", "11", "300", "-3"}) {
        QTest::addRow("%s closes", code) << QByteArray(code) << false;
        QTest::addRow("%s aborts", code) << QByteArray(code) << true;
    }
}

void TestWorkflows::unknownBackupCodesEndScan()
{
    QFETCH(QByteArray, code);
    QFETCH(bool, withCallback);
    World world(MD_CONTACT, withCallback);
    world.script.report(TASK_PERCENT, 10, code.constData());
    QVERIFY(world.load()->waitFinished(kTimeout));
    QTRY_COMPARE(world.host.events("OnScanAborted").size() + world.host.pluginCloses().size(), 1);
    QCOMPARE(world.host.events("OnScanAborted").size(), withCallback ? 1 : 0);
    QCOMPARE(world.page.isVisible(), withCallback);
}

void TestWorkflows::lockedDevice_data()
{
    QTest::addColumn<bool>("retry");
    QTest::newRow("retry") << true;
    QTest::newRow("cancel") << false;
}

void TestWorkflows::lockedDevice()
{
    QFETCH(bool, retry);
    World world(MD_CONTACT);
    world.answerer.answer(retry ? Answer::ok() : Answer::cancel());
    world.script.report(TASK_PERCENT, 10, "4");
    FakeTask* first = world.load();
    world.source.setScanScript(completeScan());
    QVERIFY(world.answerer.waitAnswered(1, kTimeout));
    QCOMPARE(world.answerer.last().message(),
             QString("3 [Retry|Cancel] Please unlock your device with passcodes while scanning."));
    QVERIFY(first->waitFinished(kTimeout));
    // Retry: a fresh scan on the same device, the failed task released.
    QTRY_COMPARE(world.source.startCount(FakeDataSource::Scan), retry ? 2 : 1);
    QCOMPARE(first->releaseCalls(), int(retry));
    QTRY_COMPARE(world.page.isVisible(), retry);
    QCOMPARE(world.host.pluginCloses().size(), int(!retry));
    QVERIFY(world.source.lastTask()->waitFinished(kTimeout));
    QTRY_COMPARE(world.page.IsLoad(nullptr), retry);
}

void TestWorkflows::recovery_data()
{
    QTest::addColumn<int>("target"); // 0 the computer, 1 the scanned device, 2 another one
    QTest::addColumn<int>("end");
    QTest::newRow("to computer") << 0 << int(TASK_COMPLETE);
    QTest::newRow("to computer, error") << 0 << int(TASK_ERROR);
    QTest::newRow("to scanned device") << 1 << int(TASK_COMPLETE);
    QTest::newRow("to other device") << 2 << int(TASK_COMPLETE);
    QTest::newRow("to other device, error") << 2 << int(TASK_ERROR);
    QTest::newRow("to other device, stopped") << 2 << int(TASK_STOP);
}

void TestWorkflows::recovery()
{
    QFETCH(int, target);
    QFETCH(int, end);
    Log4Qt::ListAppender log(QStringLiteral("TestPage"));
    Scanned s(MD_CONTACT, 3);
    QVERIFY(s.scanned);
    FakeDevice other("Other");
    IDevice* device = target == 0 ? nullptr : target == 1 ? &s.device : &other;
    const int mode = target == 0   ? RECOVER_TO_PC
                     : target == 1 ? RECOVER_SAME_DEVICE
                                   : RECOVER_TO_OTHER_DEVICE;
    const bool ok = end == TASK_COMPLETE;
    s.page.store()->SetChecked(1, Qt::Unchecked);
    s.page.CheckSeletedItem(0, 0);
    FakeTaskScript script;
    script.report(TASK_PERCENT, 50, "x");
    script.report(end, 100, nullptr);
    s.source.setScript(FakeDataSource::Export, script);
    s.source.setScript(FakeDataSource::Import, script);
    QTemporaryDir out;
    s.host.setOutputDir(out.path());
    s.host.setDevices({device ? device : &other});
    s.page.UpdateRecoverState();
    if (target == 0)
        s.answerer.answer(recoverInto());
    if (!ok || target != 0)
        s.answerer.answer(Answer::ok());
    QTest::mouseClick(s.page.button(target == 0 ? "btnRecoverToPC" : "btnRecoverToDevice"),
                      Qt::LeftButton);

    QCOMPARE(s.page.m_recoverMode, mode);
    QCOMPARE(s.page.recoverBeforeTargets, QVector<IDevice*>{device});
    const bool imports = target == 1;
    QCOMPARE(s.source.startCount(imports ? FakeDataSource::Export : FakeDataSource::Import), 0);
    const auto call = s.source.lastStart(imports ? FakeDataSource::Import : FakeDataSource::Export);
    QCOMPARE(int(call.config.nType), imports ? -1 : int(MD_CONTACT));
    QCOMPARE(call.config.nMode, mode);
    QCOMPARE(call.config.nOption, target == 0 ? 7 : 0);
    QCOMPARE(call.config.pDevice, device);
    QCOMPARE(call.indexes(), (QVector<int>{0, 2}));
    QCOMPARE(s.items[1]->dropMark(), true);
    QCOMPARE(s.items[0]->dropMark(), false);
    const QString path = QString::fromUtf8(call.path());
    QCOMPARE(s.page.m_outputPath, path);
    QCOMPARE(s.host.events("SetOutputDir"),
             target == 0 ? QStringList{"SetOutputDir(" + out.path() + ")"} : QStringList());
    if (target == 0)
        QVERIFY2(path.startsWith(out.path()) && path.contains("Anna"), qPrintable(path));

    RecoverProgressDialog* progress = s.page.m_pProgressDialog;
    QVERIFY(progress->isVisible());
    QVERIFY(call.task->waitFinished(kTimeout));
    QTRY_VERIFY(!progress->isVisible());
    QVERIFY(
        s.answerer.waitAnswered(s.answerer.answeredCount() + s.answerer.pendingCount(), kTimeout));
    QVERIFY(s.answerer.errors().isEmpty());
    if (ok && target == 0) {
        QCOMPARE(m_urls.urls, QList<QUrl>{QUrl::fromLocalFile(path)});
    } else {
        QCOMPARE(s.answerer.last().message(),
                 ok ? QString("1 [OK|] Recovery completed!<br> Please check your iOS device for "
                              "the recovered data.")
                    : QString("3 [OK|] Recovery failed! Please try again!"));
        QVERIFY(m_urls.urls.isEmpty());
    }
    QCOMPARE(s.host.events("OnRecoverResult"),
             QStringList{QString("OnRecoverResult(%1,%2,%3)").arg(mode).arg(MD_CONTACT).arg(ok)});
    QCOMPARE(s.host.events("OnOperationFailed"),
             ok ? QStringList() : QStringList{QString("OnOperationFailed(%1)").arg(MD_CONTACT)});
    QVERIFY(log.messages().contains(ok ? "Export Contacts complete" : "Export Contacts error"));
    if (target != 0)
        return;
    // A second recovery: a new folder dialog, the same progress dialog.
    // A failed one shows its message again, which must be answered before
    // the test ends, whenever its report reaches the page.
    QPointer<SetRecoveryFolderDialog> first(s.page.m_pFolderDialog);
    s.answerer.answer(recoverInto());
    if (!ok)
        s.answerer.answer(Answer::ok());
    s.toComputer();
    QVERIFY(first.isNull() && s.page.m_pFolderDialog);
    QCOMPARE(s.page.m_pProgressDialog, progress);
    QCOMPARE(s.source.startCount(FakeDataSource::Export), 2);
    QVERIFY(s.source.lastTask()->waitFinished(kTimeout));
    QVERIFY(
        s.answerer.waitAnswered(s.answerer.answeredCount() + s.answerer.pendingCount(), kTimeout));
}

void TestWorkflows::recoveryStartsNothing_data()
{
    QTest::addColumn<int>("situation");
    QTest::addColumn<int>("dialogs");
    QTest::newRow("nothing ticked") << 0 << 1;
    QTest::newRow("folder dialog cancelled") << 1 << 1;
    QTest::newRow("refused by the page") << 2 << 0;
    QTest::newRow("to device, nothing ticked") << 3 << 0;
}

void TestWorkflows::recoveryStartsNothing()
{
    QFETCH(int, situation);
    QFETCH(int, dialogs);
    Scanned s(MD_CONTACT, 2);
    if (situation == 0 || situation == 3)
        s.page.store()->SetCheckAllState(Qt::Unchecked);
    s.page.recoverBefore = situation != 2;
    if (dialogs > 0)
        s.answerer.answer(situation == 1 ? Answer::pressButton(QStringLiteral("btnCancel"))
                                         : recoverInto());
    // The bar refuses before the page is asked; the page itself starts nothing either.
    if (situation == 3)
        s.toDevice(&s.device);
    else
        s.toComputer();
    QCOMPARE(s.answerer.answeredCount(), dialogs);
    QCOMPARE(s.page.m_pFolderDialog != nullptr, dialogs > 0);
    QCOMPARE(s.source.startCount(FakeDataSource::Export), 0);
    QCOMPARE(s.source.startCount(FakeDataSource::Import), 0);
    QCOMPARE(s.host.events("SetOutputDir").size(), situation == 0 ? 1 : 0);
    QVERIFY(s.host.recoverResults().isEmpty());
}

void TestWorkflows::recoveryToComputerWeChat_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("account");
    QTest::addColumn<bool>("marksDrops");
    QTest::newRow("contacts default account") << int(MD_WECHAT_CONTACT) << -1 << false;
    QTest::newRow("messages") << int(MD_WECHAT_MESSAGE) << 1 << true;
}

void TestWorkflows::recoveryToComputerWeChat()
{
    QFETCH(int, type);
    QFETCH(int, account);
    QFETCH(bool, marksDrops);
    Scanned s(static_cast<MDType>(type), 2);
    s.page.weChatIndex = account;
    // Nothing ticked: the account index is exported all the same.
    s.page.store()->SetCheckAllState(Qt::Unchecked);
    s.items[0]->SetDropMark(false);
    s.answerer.answer(recoverInto());
    s.toComputer();
    const FakeDataSource::StartCall call = s.source.lastStart(FakeDataSource::Export);
    QCOMPARE(s.source.startCount(FakeDataSource::Export), 1);
    QCOMPARE(call.indexes(), QVector<int>{account});
    QCOMPARE(s.items[0]->dropMark(), marksDrops);
    QVERIFY(call.task->waitFinished(kTimeout));
}

void TestWorkflows::recoveryDoesNotStart_data()
{
    QTest::addColumn<bool>("german");
    QTest::newRow("English") << false;
    QTest::newRow("German catalogues") << true;
}

void TestWorkflows::recoveryDoesNotStart()
{
    QFETCH(bool, german);
    // Translators take themselves out of the application when destroyed.
    QTranslator library;
    QTranslator kit;
    if (german) {
        QVERIFY(library.load(QStringLiteral(CP_QM_DIR "/categorypanel_de.qm")));
        QVERIFY(kit.load(QStringLiteral(CP_QM_DIR "/framekit_de.qm")));
        QCoreApplication::installTranslator(&library);
        QCoreApplication::installTranslator(&kit);
    }
    const QString english = QStringLiteral("Recovery failed! Please try again!");
    const QString translated = CategoryPanel::tr("Recovery failed! Please try again!");
    QCOMPARE(translated != english, german);
    Scanned s(MD_CONTACT, 1);
    s.source.setStartFails(FakeDataSource::Export, true);
    s.source.setStartFails(FakeDataSource::Import, true);
    // An export without a task says so, as a failed one does.
    s.answerer.answer({recoverInto(), Answer::ok(), Answer::ok()});
    s.toComputer();
    QCOMPARE(s.answerer.answeredCount(), 2);
    QCOMPARE(s.answerer.last().messageText, translated);
    // An import that does not start says so in English whatever the language.
    s.toDevice(&s.device);
    QCOMPARE(s.answerer.answeredCount(), 3);
    QCOMPARE(s.answerer.last().message(), "0 [" + MyMessageDailog::tr("OK") + "|] " + english);
    QCOMPARE(s.page.m_pProgressDialog, nullptr);
    const QString failed = QString("OnRecoverResult(%1,%2,0)");
    QCOMPARE(s.host.events("OnRecoverResult"),
             (QStringList{failed.arg(RECOVER_TO_PC).arg(MD_CONTACT),
                          failed.arg(RECOVER_SAME_DEVICE).arg(MD_CONTACT)}));
    // A derived page that starts them itself is told that nothing started.
    MMobile::ImportExportConfigure config{};
    s.answerer.answer({Answer::ok(), Answer::ok()});
    QVERIFY(!s.page.Export(&config));
    QVERIFY(!s.page.Import(&config));
}

void TestWorkflows::freeWaitsForLastReport_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("status");
    QTest::newRow("scan complete") << int(FakeDataSource::Scan) << int(TASK_COMPLETE);
    QTest::newRow("scan error") << int(FakeDataSource::Scan) << int(TASK_ERROR);
    QTest::newRow("export complete") << int(FakeDataSource::Export) << int(TASK_COMPLETE);
    QTest::newRow("export error") << int(FakeDataSource::Export) << int(TASK_ERROR);
    QTest::newRow("import complete") << int(FakeDataSource::Import) << int(TASK_COMPLETE);
    QTest::newRow("import error") << int(FakeDataSource::Import) << int(TASK_ERROR);
}

// The engine thread is held inside the page's final scan, export or import
// report; it is let go only once Free() returned or half a second passed, so
// a page that does not wait for it is freed under the engine thread (and
// AddressSanitizer, with the library instrumented, reports the use after free).
void TestWorkflows::freeWaitsForLastReport()
{
    QFETCH(int, kind);
    QFETCH(int, status);
    PageHost world(MD_CONTACT);
    // The result messages the page shows once the report reached its slot.
    ModalDialogAnswerer answerer;
    answerer.ignore(QStringLiteral("RecoverProgressDialog"));
    answerer.answer({ModalDialogAnswerer::Answer::ok(), ModalDialogAnswerer::Answer::ok()});
    auto* page = new TestPage(&world.host, MD_CONTACT);
    page->show();

    std::atomic<bool> held{false};
    std::atomic<bool> gateOpen{false};
    // Runs on the engine thread inside the page's report, after the page has
    // taken the end status.
    auto hold = [&] {
        held = true;
        while (!gateOpen)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };

    // A scan's reports carry the phase; a recovery's none.
    const bool scan = kind == FakeDataSource::Scan;
    FakeTaskScript script;
    script.report(scan ? TASK_BEGIN : TASK_PERCENT, scan ? 0 : 50, scan ? "1" : nullptr);
    script.report(status, 100, scan ? "0" : nullptr);
    world.source.setScript(FakeDataSource::Kind(kind), script);
    if (scan) {
        connect(page, &CategoryPanel::afterScanSignal, page, hold, Qt::DirectConnection);
        QVERIFY(page->Load(&world.device, nullptr));
    } else {
        world.source.setScanScript(completeScan());
        QVERIFY(page->Load(&world.device, nullptr));
        QVERIFY(world.source.lastTask()->waitFinished(kTimeout));
        connect(
            page, &CategoryPanel::exportDataSignal, page,
            [&](TASK_CTRL_STATUS reported, int, const char*) {
                if (IsTaskEndStatus(reported))
                    hold();
            },
            Qt::DirectConnection);
        ImportExportConfigure config;
        config.nType = MD_CONTACT;
        const unsigned int index = 0;
        config.SetIndexs(&index, 1);
        const bool exports = kind == FakeDataSource::Export;
        page->m_recoverMode = config.nMode =
            exports ? RECOVER_TO_OTHER_DEVICE : RECOVER_SAME_DEVICE;
        config.pDevice = &world.device;
        QVERIFY(exports ? page->Export(&config) : page->Import(&config));
    }
    FakeTask* task = world.source.lastTask();
    QVERIFY(task);
    QTRY_VERIFY_WITH_TIMEOUT(held.load(), kTimeout);

    std::atomic<bool> freeReturned{false};
    std::atomic<bool> freedWhileHeld{false};
    std::thread releaser([&] {
        for (int i = 0; i < 50 && !freeReturned; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        freedWhileHeld = freeReturned.load();
        gateOpen = true;
    });
    page->Free();
    freeReturned = true;
    releaser.join();

    QVERIFY(!freedWhileHeld.load());
    QVERIFY(task->waitFinished(kTimeout));
    QVERIFY(IsTaskEndStatus(task->GetStatus()));
}

// A new load lets the old source (and with it the engine's items) go at
// once when its task is over; a source whose scan still runs waits for the
// destructor.
void TestWorkflows::reloadReleasesFinishedSource()
{
    PageHost world(MD_CONTACT);
    PageHost second(MD_CONTACT);
    PageHost third(MD_CONTACT);
    FakeDataSource& secondSource = second.source;
    FakeDataSource& thirdSource = third.source;
    auto* page = new TestPage(&world.host, MD_CONTACT);
    page->show();

    world.source.setScanScript(completeScan());
    QVERIFY(page->Load(&world.device, nullptr));
    QVERIFY(world.source.lastTask()->waitFinished(kTimeout));
    QTRY_VERIFY_WITH_TIMEOUT(page->IsLoad(&world.device), kTimeout);

    FakeTaskScript held;
    held.report(TASK_BEGIN, 0, "1").held();
    held.report(TASK_COMPLETE, 100, "0");
    secondSource.setScanScript(held);
    QVERIFY(page->Load(&second.device, nullptr));
    QCOMPARE(world.source.releaseCalls(), 1);

    thirdSource.setScanScript(completeScan());
    QVERIFY(page->Load(&third.device, nullptr));
    QCOMPARE(secondSource.releaseCalls(), 0);
    secondSource.lastTask()->release();
    QVERIFY(secondSource.lastTask()->waitFinished(kTimeout));
    QVERIFY(thirdSource.lastTask()->waitFinished(kTimeout));

    page->Free();
    QCOMPARE(world.source.releaseCalls(), 1);
    QCOMPARE(secondSource.releaseCalls(), 1);
    QCOMPARE(thirdSource.releaseCalls(), 1);
}

// Two pages with their scans on two engine threads at once, then freed while
// idle: clean under ThreadSanitizer.
void TestWorkflows::twoPagesScanAtOnce()
{
    PageHost first(MD_CONTACT);
    PageHost second(MD_CONTACT);
    TestPage* pages[2] = {new TestPage(&first.host, MD_CONTACT),
                          new TestPage(&second.host, MD_CONTACT)};
    PageHost* worlds[2] = {&first, &second};
    for (int p = 0; p < 2; ++p) {
        FakeGetter* getter = worlds[p]->source.dataGetter();
        FakeTaskScript script;
        script.report(TASK_BEGIN, 0, "1");
        for (int batch = 0; batch < 5; ++batch)
            script.report(TASK_DATA, 10 + batch * 10, "0").prepending(getter, newItems(getter, 20));
        script.report(TASK_COMPLETE, 100, "0");
        worlds[p]->source.setScanScript(script);
        pages[p]->show();
    }
    QVERIFY(pages[0]->Load(&first.device, nullptr));
    QVERIFY(pages[1]->Load(&second.device, nullptr));
    for (int p = 0; p < 2; ++p) {
        QVERIFY(worlds[p]->source.lastTask()->waitFinished(kTimeout));
        QTRY_VERIFY_WITH_TIMEOUT(pages[p]->IsLoad(&worlds[p]->device), kTimeout);
        QCOMPARE(pages[p]->store()->GetDataCountEx(), 100u);
        pages[p]->Free();
    }
}

QTEST_MAIN(TestWorkflows)
#include "tst_workflows.moc"
