// A page's two workflows from the engine's reports and the user's presses:
// the scan (progress lines, the data hand-over while the scan runs and at its
// end, the load-callback road, closing at any moment, the backup errors with
// their messages and retry) and the recovery of the ticked items to the
// computer or a device (the configurations the engine gets, the dialogs, the
// end reports and what the user and the host are told); freeing a page while
// the engine thread is still inside its last report, and the sources a page
// lets go.

#include "testpage.h"

#include "dialogs/recoverprogressdialog.h"
#include "dialogs/setrecoveryfolderdialog.h"
#include "listappender.h"
#include "mymessagedailog.h"
#include "mystatusbar.h"
#include "plugin/scanprogresswidget.h"
#include "taskprogresswidget.h"

#include <QDesktopServices>
#include <QPointer>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTest>
#include <QThread>
#include <QTranslator>
#include <QUrl>

#include <atomic>
#include <chrono>
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

// A page with its scan display and recovery slots at hand.
struct World : PageWorld
{
    using PageWorld::PageWorld;

    TaskProgressWidget* lines() { return page.findChild<TaskProgressWidget*>("widgetTasks"); }
    bool progressHidden() { return page.findChild<ScanProgressWidget*>()->isHidden(); }
    void toDevice(IDevice* target)
    {
        QMetaObject::invokeMethod(&page, "slotImportToDevice", Q_ARG(IDevice*, target));
    }
    void toComputer() { QMetaObject::invokeMethod(&page, "slotExportToPC"); }
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

QString nameOf(IDevice* device)
{
    return device ? QString::fromUtf8(
                        device->GetDeviceInfo()->GetTextProperty(DEVICE_PROP_DISPLAY_NAME, 0))
                  : QString("none");
}

} // namespace

class TestWorkflows : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void handOvers_data();
    void handOvers();
    void scanEnds_data();
    void scanEnds();
    void loadCallbackRoad();
    void closingReleasesPendingHandOver();
    void closingAtRandomMoments();
    void backupErrors_data();
    void backupErrors();
    void recovery_data();
    void recovery();
    void recoveryDoesNotStartInGerman();
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

void TestWorkflows::handOvers_data()
{
    QTest::addColumn<int>("type"); // of the data reports
    QTest::addColumn<bool>("getterGone");
    QTest::addColumn<int>("added"); // by the second data report
    // At each held moment the store's size, then where the item unticked at
    // the first one sits at the second.
    QTest::addColumn<QString>("held");
    QTest::newRow("new items") << int(MD_MESSAGE) << false << 3 << "2 5 4";
    QTest::newRow("without new items") << int(MD_MESSAGE) << false << 0 << "2 2 1";
    QTest::newRow("without category") << -1 << false << 0 << "0 0 -1";
    QTest::newRow("without getter") << int(MD_MESSAGE) << true << 0 << "0 0 -1";
}

void TestWorkflows::handOvers()
{
    QFETCH(int, type);
    QFETCH(bool, getterGone);
    QFETCH(int, added);
    QFETCH(QString, held);
    World world(MD_MESSAGE);
    world.source.setDataGetterHidden(getterGone);
    world.script.report(TASK_BEGIN, 0, "1");
    world.data(30, 2).withType(type);
    world.script.report(TASK_PERCENT, 40, "0").held();
    world.data(60, added).withType(type);
    world.script.report(TASK_PERCENT, 70, "0").held();
    world.script.report(TASK_COMPLETE, 100, "0");
    FakeTask* task = world.load();
    TaskItem* store = world.page.store();
    // The hand-over finished before the report returned.
    QCOMPARE(task->waitHeld(kTimeout), 2);
    QStringList seen{QString::number(store->GetDataCountEx())};
    // A tick made during the scan stays with its item, moved behind the new
    // ones, until the end reload.
    store->SetChecked(1, Qt::Unchecked);
    task->release();
    QCOMPARE(task->waitHeld(kTimeout), 4);
    seen << QString::number(store->GetDataCountEx()) << "-1";
    for (unsigned int i = 0; i < store->GetDataCountEx(); ++i) {
        if (store->GetCheckState(i) == Qt::Unchecked)
            seen.last() = QString::number(i);
    }
    QCOMPARE(seen.join(' '), held);
    if (!getterGone && type != -1)
        QCOMPARE(storeItems(store), world.getter->items());
    QCOMPARE(world.source.dataGetterRequests(), type == -1 ? 0 : 2);
    // The analysis line shows the data phase, handed over or not.
    QTRY_COMPARE(int(world.lines()->taskState(1)), int(TASK_DATA));
    task->release();
    QVERIFY(task->waitFinished(kTimeout));
    QTRY_VERIFY(world.progressHidden());
    QCOMPARE(storeItems(store), getterGone ? QVector<IMDCommon*>() : world.getter->items());
    QCOMPARE(store->GetCheckedCount(), store->GetDataCountEx());
    QVERIFY(world.page.button("btnRecoverToPC")->isEnabled());
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
    FakeGetter* getter = world.getter;
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
    // The report waiting for the hand-over answers false.
    QVERIFY(task->stoppedByCallback());
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
            world.data(10 + i * 10, 1 + int(random.bounded(3)));
            const std::chrono::milliseconds pause(random.bounded(2));
            world.script.report(TASK_PERCENT, 15 + i * 10, "0").running([pause] {
                std::this_thread::sleep_for(pause);
            });
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
        QCOMPARE(world.closes(), 1);
        QVERIFY(!world.page.isVisible());
        QCoreApplication::processEvents();
    }
}

void TestWorkflows::backupErrors_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<bool>("withCallback");
    QTest::addColumn<bool>("contact");   // a support contact is set
    QTest::addColumn<QString>("button"); // pressed in the message; none without one
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("outcome");
    // The status of the failing report is not taken; without a load callback
    // the page closes.
    const QString closed = "OnPluginClose(1) scans 1 released 0 visible 0 status 2";
    const QString mail = "support@example.com";
    const QString backup = "<strong>Backup error(error code:%1)</strong><br>Please send us all "
                           "files in log folder (Help > Open Log)<br> together with the upper "
                           "error code to <br><a href='mailto:%2'>%2</a> for help.";
    const std::pair<int, QString> messages[] = {
        {2, backup.arg(2).arg(mail)},
        {3, backup.arg(3).arg(mail)},
        {255, backup.arg(255).arg(mail)},
        {5, "<strong>Fail to backup. Please try possible solutions below to fix it:</strong><br>"
            "<br>1. Please change to another USB port.<br>2. Please restart the Mobile device.<br>"
            "3. Please contact " +
                mail + " with all files in log folder<br> (Help > Open Log) for help."},
        {6, "There is not enough storage space on your device or the largest<br>hard disk on "
            "your computer to finish the scanning. Please free some<br>storage space and try "
            "again.<br>"},
        {7, "Opps, it seems that you are doing some settings on your device.<br>Please close the "
            "Settings page and try again.<br>"},
        {10, "<strong>Scan error(error code:10)</strong><br>We detect the presence of a small "
             "problem in your<br>environment, in order to recover the data in a timely</br><br>"
             "manner, it is recommended that you according to the</br><br>error code, <a href=\""
             "https://www.example.com/support/contact.html\"><span style=\" text-decoration: "
             "underline; color:#0000ff;\">contact customer service</span></a>.</br>"}};
    for (const auto& [code, text] : messages)
        QTest::addRow("%d", code) << QByteArray::number(code) << false << true << "btnOk"
                                  << "3 [OK|] " + text << closed;
    // Without a contact no address is made up: the log and the README help.
    const QString selfHelp = "The files in the log folder (Help > Open Log) say what went wrong;"
                             "<br>the Troubleshooting section of the README says what to try "
                             "next.";
    const std::pair<int, QString> uncontacted[] = {
        {255, "<strong>Backup error(error code:255)</strong><br>" + selfHelp},
        {5, "<strong>Fail to backup. Please try possible solutions below to fix it:</strong><br>"
            "<br>1. Please change to another USB port.<br>2. Please restart the Mobile device.<br>"
            "3. " +
                selfHelp},
        {10, "<strong>Scan error(error code:10)</strong><br>" + selfHelp}};
    for (const auto& [code, text] : uncontacted)
        QTest::addRow("%d without contact", code)
            << QByteArray::number(code) << false << false << "btnOk"
            << "3 [OK|] " + text << closed;
    // Retry: a fresh scan on the same device, the failed task released.
    const QString locked = "3 [Retry|Cancel] Please unlock your device with passcodes while "
                           "scanning.";
    QTest::newRow("4 retry") << QByteArray("4") << false << true << "btnOk" << locked
                             << "scans 2 released 1 visible 1 status 3";
    QTest::newRow("4 cancel") << QByteArray("4") << false << true << "btnCancel" << locked
                              << closed;
    for (const char* code : {"8", "11", "300", "-3"}) {
        QTest::addRow("%s closes", code)
            << QByteArray(code) << false << true << QString() << QString() << closed;
        QTest::addRow("%s aborts", code)
            << QByteArray(code) << true << true << QString() << QString()
            << "OnScanAborted() scans 1 released 0 visible 1 status 2";
    }
}

void TestWorkflows::backupErrors()
{
    QFETCH(QByteArray, code);
    QFETCH(bool, withCallback);
    QFETCH(bool, contact);
    QFETCH(QString, button);
    QFETCH(QString, message);
    QFETCH(QString, outcome);
    CategoryPanel::SetSupportContact(contact ? "support@example.com" : nullptr,
                                     contact ? "https://www.example.com/support/contact.html" : "");
    const auto noContact = qScopeGuard([] { CategoryPanel::SetSupportContact(nullptr, nullptr); });
    Log4Qt::ListAppender log(QStringLiteral("TestPage"));
    World world(MD_CONTACT, withCallback);
    if (!button.isEmpty())
        world.answerer.answer(Answer::pressButton(button));
    world.script.report(TASK_PERCENT, 10, "1");
    world.script.report(TASK_DATA, 20, code.constData());
    FakeTask* task = world.load();
    world.source.setScanScript(completeScan()); // what a retry scans
    QVERIFY(task->waitFinished(kTimeout));
    QVERIFY(task->stoppedByCallback());
    QVERIFY(world.answerer.waitAnswered(button.isEmpty() ? 0 : 1, kTimeout));
    QCOMPARE(world.answerer.last().message, message);
    QCOMPARE(log.messages().first(), QString("Backup Contacts error"));
    QCOMPARE(log.lines().first().level, QString("ERROR"));
    const auto now = [&] {
        QStringList facts = world.host.events("OnPluginClose") + world.host.events("OnScanAborted");
        facts << QString("scans %1 released %2 visible %3 status %4")
                     .arg(world.source.startCount(FakeDataSource::Scan))
                     .arg(task->releaseCalls())
                     .arg(world.page.isVisible())
                     .arg(world.page.m_status);
        return facts.join(' ');
    };
    QTRY_COMPARE(now(), outcome);
    QVERIFY(world.source.lastTask()->waitFinished(kTimeout));
}

void TestWorkflows::recovery_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("target");      // 0 the computer, 1 the scanned device, 2 another one
    QTest::addColumn<QString>("ticked");  // per item
    QTest::addColumn<bool>("refused");    // by the page before it starts
    QTest::addColumn<QString>("buttons"); // pressed in the dialogs, in order
    QTest::addColumn<int>("end");         // of the recovery task; -1: it does not start
    QTest::addColumn<QString>("trace");
    const QString pc = "mode 3 asked none\nExport type %1 mode 3 option 7 to none items %2 in "
                       "<out>/Anna's iPhone/%3/\ndrops %4\nSetOutputDir(<out>)\n"
                       "OnRecoverResult(3,%1,%5)\n";
    const QString folder = "1 dialogs: SetRecoveryFolderDialog\n";
    const QString opened = "output <out>/Anna's iPhone/%1/\nopened <out>/Anna's iPhone/%1/";
    const QString done = "1 dialogs: 1 [OK|] Recovery completed!<br> Please check your iOS "
                         "device for the recovered data.\nExport Contacts complete\noutput ";
    const QString failed = "OnOperationFailed(1)\n%1 dialogs: 3 [OK|] Recovery failed! Please "
                           "try again!\nExport Contacts error\noutput ";
    QTest::newRow("to computer") << int(MD_CONTACT) << 0 << "101" << false << "btnSetRecover"
                                 << int(TASK_COMPLETE)
                                 << pc.arg(1).arg("0,2", "Contacts", "010").arg(1) + folder +
                                        "Export Contacts complete\n" + opened.arg("Contacts");
    QTest::newRow("to computer, error")
        << int(MD_CONTACT) << 0 << "101" << false << "btnSetRecover btnOk" << int(TASK_ERROR)
        << pc.arg(1).arg("0,2", "Contacts", "010").arg(0) + failed.arg(2) +
               "<out>/Anna's iPhone/Contacts/";
    QTest::newRow("to scanned device")
        << int(MD_CONTACT) << 1 << "101" << false << "btnOk" << int(TASK_COMPLETE)
        << "mode 1 asked Anna's iPhone\nImport type -1 mode 1 option 0 to Anna's iPhone items "
           "0,2 in \ndrops 010\nOnRecoverResult(1,1,1)\n" +
               done;
    QTest::newRow("to other device")
        << int(MD_CONTACT) << 2 << "101" << false << "btnOk" << int(TASK_COMPLETE)
        << "mode 4 asked Other\nExport type 1 mode 4 option 0 to Other items 0,2 in \ndrops "
           "010\nOnRecoverResult(4,1,1)\n" +
               done;
    for (int end : {int(TASK_ERROR), int(TASK_STOP)})
        QTest::addRow("to other device, end %d", end)
            << int(MD_CONTACT) << 2 << "101" << false << "btnOk" << end
            << "mode 4 asked Other\nExport type 1 mode 4 option 0 to Other items 0,2 in \ndrops "
               "010\nOnRecoverResult(4,1,0)\n" +
                   failed.arg(1);
    // Nothing starts; the bar refuses before the page is asked, so the page
    // is asked directly when nothing is ticked.
    QTest::newRow("nothing ticked")
        << int(MD_CONTACT) << 0 << "000" << false << "btnSetRecover" << 0
        << "mode 3 asked none\ndrops 111\nSetOutputDir(<out>)\n" + folder +
               "output <out>/Anna's iPhone/Contacts/";
    QTest::newRow("folder dialog cancelled")
        << int(MD_CONTACT) << 0 << "101" << false << "btnCancel" << 0
        << "mode 3 asked none\ndrops 000\n" + folder + "output ";
    QTest::newRow("refused by the page") << int(MD_CONTACT) << 0 << "101" << true << "" << 0
                                         << "mode 3 asked none\ndrops 000\noutput ";
    QTest::newRow("to device, nothing ticked") << int(MD_CONTACT) << 1 << "000" << false << "" << 0
                                               << "mode 1 asked Anna's iPhone\ndrops 111\noutput ";
    // An export that does not start is only reported to the host; an import
    // that does not start also says so.
    QTest::newRow("to computer, no task")
        << int(MD_CONTACT) << 0 << "101" << false << "btnSetRecover" << -1
        << "mode 3 asked none\ndrops 010\nSetOutputDir(<out>)\nOnRecoverResult(3,1,0)\n" + folder +
               "output <out>/Anna's iPhone/Contacts/";
    QTest::newRow("to other device, no task")
        << int(MD_CONTACT) << 2 << "101" << false << "" << -1
        << "mode 4 asked Other\ndrops 010\nOnRecoverResult(4,1,0)\noutput ";
    QTest::newRow("to scanned device, no task")
        << int(MD_CONTACT) << 1 << "101" << false << "btnOk" << -1
        << "mode 1 asked Anna's iPhone\ndrops 010\nOnRecoverResult(1,1,0)\n1 dialogs: 0 [OK|] "
           "Recovery failed! Please try again!\noutput ";
    // WeChat exports the account's index (1 here), ticked or not; only
    // messages and attachments mark the unticked items as dropped.
    QTest::newRow("WeChat contacts")
        << int(MD_WECHAT_CONTACT) << 0 << "000" << false << "btnSetRecover" << int(TASK_COMPLETE)
        << pc.arg(12).arg("1", "WeChat Contacts", "000").arg(1) + folder +
               "Export WeChat Contacts complete\n" + opened.arg("WeChat Contacts");
    QTest::newRow("WeChat messages")
        << int(MD_WECHAT_MESSAGE) << 0 << "000" << false << "btnSetRecover" << int(TASK_COMPLETE)
        << pc.arg(14).arg("1", "WeChat Messages", "111").arg(1) + folder +
               "Export WeChat Messages complete\n" + opened.arg("WeChat Messages");
}

void TestWorkflows::recovery()
{
    QFETCH(int, type);
    QFETCH(int, target);
    QFETCH(QString, ticked);
    QFETCH(bool, refused);
    QFETCH(QString, buttons);
    QFETCH(int, end);
    QFETCH(QString, trace);
    Log4Qt::ListAppender log(QStringLiteral("TestPage"));
    Scanned s(static_cast<MDType>(type), 3);
    QVERIFY(s.scanned);
    FakeDevice other("Other");
    IDevice* device = target == 0 ? nullptr : target == 1 ? &s.device : &other;
    for (int i = 0; i < 3; ++i)
        s.page.store()->SetChecked(i, ticked[i] == '1' ? Qt::Checked : Qt::Unchecked);
    s.page.CheckSeletedItem(0, 0);
    s.page.recoverBefore = !refused;
    s.page.weChatIndex = 1;
    FakeTaskScript script;
    script.report(TASK_PERCENT, 50, "x");
    script.report(end, 100, nullptr);
    s.source.setScript(FakeDataSource::Export, script);
    s.source.setScript(FakeDataSource::Import, script);
    s.source.setStartFails(FakeDataSource::Export, end < 0);
    s.source.setStartFails(FakeDataSource::Import, end < 0);
    QTemporaryDir out;
    s.host.setOutputDir(out.path());
    s.host.setDevices({device ? device : &other});
    s.page.UpdateRecoverState();
    for (const QString& button : buttons.split(' ', Qt::SkipEmptyParts))
        s.answerer.answer(Answer::pressButton(button));
    // The bar refuses an empty selection itself; the page is asked directly.
    if (!ticked.contains('1'))
        target == 0 ? s.toComputer() : s.toDevice(device);
    else
        QTest::mouseClick(s.page.button(target == 0 ? "btnRecoverToPC" : "btnRecoverToDevice"),
                          Qt::LeftButton);

    RecoverProgressDialog* progress = s.page.m_pProgressDialog;
    QCOMPARE(progress != nullptr, s.source.lastStart(FakeDataSource::Export).task ||
                                      s.source.lastStart(FakeDataSource::Import).task);
    if (progress) {
        QVERIFY(progress->isVisible());
        QVERIFY(s.source.lastTask()->waitFinished(kTimeout));
        QTRY_VERIFY(!progress->isVisible());
    }
    QVERIFY(s.answerer.waitAllAnswered(kTimeout));
    QVERIFY(s.answerer.errors().isEmpty());
    QStringList lines{QString("mode %1 asked ").arg(s.page.m_recoverMode)};
    for (IDevice* asked : s.page.recoverBeforeTargets)
        lines.last() += nameOf(asked);
    for (auto kind : {FakeDataSource::Export, FakeDataSource::Import}) {
        if (s.source.lastStart(kind).task)
            lines << s.source.lastStart(kind).text();
    }
    lines << "drops ";
    for (FakeItem* item : s.items)
        lines.last() += item->dropMark() ? '1' : '0';
    lines << s.host.events();
    if (s.answerer.answeredCount())
        lines << QString("%1 dialogs: ").arg(s.answerer.answeredCount()) +
                     (s.answerer.last().isMessageDialog ? s.answerer.last().message
                                                        : s.answerer.last().className);
    lines << log.messages().filter("Export") << "output " + s.page.m_outputPath;
    for (const QUrl& url : m_urls.urls)
        lines << "opened " + url.toLocalFile();
    QCOMPARE(lines.join('\n').replace(out.path(), "<out>"), trace);
    if (target != 0 || !progress)
        return;
    // A second recovery: a new folder dialog, the same progress dialog.
    // A failed one shows its message again, which must be answered before
    // the test ends, whenever its report reaches the page.
    QPointer<SetRecoveryFolderDialog> first(s.page.m_pFolderDialog);
    s.answerer.answer(Answer::pressButton("btnSetRecover"));
    if (end != TASK_COMPLETE)
        s.answerer.answer(Answer::ok());
    s.toComputer();
    QVERIFY(first.isNull() && s.page.m_pFolderDialog);
    QCOMPARE(s.page.m_pProgressDialog, progress);
    QCOMPARE(s.source.startCount(FakeDataSource::Export), 2);
    QVERIFY(s.source.lastTask()->waitFinished(kTimeout));
    QVERIFY(s.answerer.waitAllAnswered(kTimeout));
}

// An export that does not start shows nothing, on a scanned page and on a
// page that was never loaded; an import that does not start shows its
// message, untranslated.
void TestWorkflows::recoveryDoesNotStartInGerman()
{
    // Translators take themselves out of the application when destroyed.
    QTranslator library;
    QTranslator kit;
    QVERIFY(library.load(QStringLiteral(CP_QM_DIR "/categorypanel_de.qm")));
    QVERIFY(kit.load(QStringLiteral(CP_QM_DIR "/framekit_de.qm")));
    QCoreApplication::installTranslator(&library);
    QCoreApplication::installTranslator(&kit);
    const QString english = QStringLiteral("Recovery failed! Please try again!");
    Scanned s(MD_CONTACT, 1);
    s.source.setStartFails(FakeDataSource::Export, true);
    s.source.setStartFails(FakeDataSource::Import, true);
    s.answerer.answer({Answer::pressButton("btnSetRecover"), Answer::ok()});
    s.toComputer();
    QCOMPARE(s.answerer.last().className, QStringLiteral("SetRecoveryFolderDialog"));
    s.toDevice(&s.device);
    QCOMPARE(s.answerer.last().message, "0 [" + MyMessageDailog::tr("OK") + "|] " + english);
    QCOMPARE(s.host.events("OnRecoverResult"),
             QStringList({"OnRecoverResult(3,1,0)", "OnRecoverResult(1,1,0)"}));
    // A derived page that starts them itself is told that nothing started.
    MMobile::ImportExportConfigure config{};
    s.answerer.answer(Answer::ok());
    QVERIFY(!s.page.Export(&config));
    QCOMPARE(s.answerer.answeredCount(), 2);
    QVERIFY(!s.page.Import(&config));
    QVERIFY(s.answerer.waitAllAnswered(kTimeout));
    QCOMPARE(s.answerer.answeredCount(), 3);
    // A page that was never loaded has no data source: the host is told, nothing shows.
    FakeHost host;
    TestPage never(&host, MD_CONTACT);
    QVERIFY(!never.Export(&config));
    QCOMPARE(host.events("OnRecoverResult"), QStringList({"OnRecoverResult(0,1,0)"}));
    QCOMPARE(s.answerer.answeredCount(), 3);
}

// How a page goes: the host's Free(), a deferred deletion, or its parent
// window (the host's) deleted.
enum class Ending { Free, DeleteLater, ParentDeleted };
Q_DECLARE_METATYPE(Ending)

void TestWorkflows::freeWaitsForLastReport_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("status");
    QTest::addColumn<Ending>("ending");
    const int scan = FakeDataSource::Scan;
    const int exportTask = FakeDataSource::Export;
    const int import = FakeDataSource::Import;
    QTest::newRow("scan complete") << scan << int(TASK_COMPLETE) << Ending::Free;
    QTest::newRow("scan error") << scan << int(TASK_ERROR) << Ending::Free;
    QTest::newRow("export complete") << exportTask << int(TASK_COMPLETE) << Ending::Free;
    QTest::newRow("export error") << exportTask << int(TASK_ERROR) << Ending::Free;
    QTest::newRow("import complete") << import << int(TASK_COMPLETE) << Ending::Free;
    QTest::newRow("import error") << import << int(TASK_ERROR) << Ending::Free;
    QTest::newRow("scan, deleteLater") << scan << int(TASK_COMPLETE) << Ending::DeleteLater;
    QTest::newRow("export, deleteLater") << exportTask << int(TASK_ERROR) << Ending::DeleteLater;
    QTest::newRow("scan, parent deleted") << scan << int(TASK_COMPLETE) << Ending::ParentDeleted;
    QTest::newRow("import, parent deleted")
        << import << int(TASK_COMPLETE) << Ending::ParentDeleted;
}

// The engine thread is held inside the page's final scan, export or import
// report; it goes on only once the page's destruction returned or half a
// second passed, and then looks at the page's class as the page's logger does
// on its first line. A page that does not wait for it is destroyed under the
// engine thread: its derived part is gone (the class seen is the base's), and
// ThreadSanitizer reports the race on the page's virtual table
// (AddressSanitizer, with the library instrumented, the use after free).
void TestWorkflows::freeWaitsForLastReport()
{
    QFETCH(int, kind);
    QFETCH(int, status);
    QFETCH(Ending, ending);
    PageHost world(MD_CONTACT);
    // The result messages the page shows once the report reached its slot.
    ModalDialogAnswerer answerer;
    answerer.ignore(QStringLiteral("RecoverProgressDialog"));
    answerer.answer({Answer::ok(), Answer::ok()});
    auto* window = new QWidget;
    world.host.setParentWidget(window);
    auto* page = new TestPage(&world.host, MD_CONTACT);
    page->show();

    std::atomic<bool> held{false};
    std::atomic<bool> destroyed{false};
    std::atomic<bool> destroyedWhileHeld{false};
    QByteArray classSeen;
    // Runs on the engine thread inside the page's report, after the page has
    // taken the end status.
    auto hold = [&] {
        held = true;
        for (int i = 0; i < 50 && !destroyed; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        destroyedWhileHeld = destroyed.load();
        if (!destroyedWhileHeld)
            classSeen = page->metaObject()->className();
    };

    // A scan's reports carry the phase; a recovery's none.
    const bool scan = kind == FakeDataSource::Scan;
    FakeTaskScript script;
    script.report(scan ? TASK_BEGIN : TASK_PERCENT, scan ? 0 : 50, scan ? "1" : nullptr);
    script.report(status, 100, scan ? "0" : nullptr);
    world.source.setScript(FakeDataSource::Kind(kind), script);
    if (!scan) {
        world.source.setScanScript(completeScan());
        QVERIFY(page->Load(&world.device, nullptr));
        QVERIFY(world.source.lastTask()->waitFinished(kTimeout));
    }
    const auto atEnd = [&](TASK_CTRL_STATUS reported, int, const char*) {
        if (IsTaskEndStatus(reported))
            hold();
    };
    connect(page, &CategoryPanel::afterScanSignal, page, hold, Qt::DirectConnection);
    connect(page, &CategoryPanel::exportDataSignal, page, atEnd, Qt::DirectConnection);
    ImportExportConfigure config;
    config.pDevice = &world.device;
    page->m_recoverMode = config.nMode = RECOVER_TO_OTHER_DEVICE;
    QVERIFY(scan                             ? page->Load(&world.device, nullptr) != nullptr
            : kind == FakeDataSource::Export ? page->Export(&config)
                                             : page->Import(&config));
    FakeTask* task = world.source.lastTask();
    QTRY_VERIFY_WITH_TIMEOUT(held.load(), kTimeout);
    switch (ending) {
    case Ending::Free:
        page->Free();
        break;
    case Ending::DeleteLater: {
        QPointer<TestPage> alive(page);
        page->deleteLater();
        QTRY_VERIFY_WITH_TIMEOUT(!alive, kTimeout);
        break;
    }
    case Ending::ParentDeleted:
        break;
    }
    delete window;
    destroyed = true;
    QVERIFY(task->waitFinished(kTimeout));
    QVERIFY(!destroyedWhileHeld.load());
    QCOMPARE(classSeen, QByteArray("TestPage"));
    QVERIFY(IsTaskEndStatus(task->GetStatus()));
}

// A new load lets the old source (and with it the engine's items) go at
// once when its task is over; a source whose scan still runs waits for the
// destructor.
void TestWorkflows::reloadReleasesFinishedSource()
{
    PageHost worlds[3]{PageHost(MD_CONTACT), PageHost(MD_CONTACT), PageHost(MD_CONTACT)};
    FakeTaskScript held;
    held.report(TASK_BEGIN, 0, "1").held();
    held.report(TASK_COMPLETE, 100, "0");
    for (int i = 0; i < 3; ++i)
        worlds[i].source.setScanScript(i == 1 ? held : completeScan());
    auto* page = new TestPage(&worlds[0].host, MD_CONTACT);
    page->show();
    QVERIFY(page->Load(&worlds[0].device, nullptr));
    QVERIFY(worlds[0].source.lastTask()->waitFinished(kTimeout));
    QTRY_VERIFY_WITH_TIMEOUT(page->IsLoad(nullptr), kTimeout);
    QVERIFY(page->Load(&worlds[1].device, nullptr));
    QCOMPARE(worlds[0].source.releaseCalls(), 1);
    QVERIFY(page->Load(&worlds[2].device, nullptr));
    QCOMPARE(worlds[1].source.releaseCalls(), 0);
    worlds[1].source.lastTask()->release();
    for (PageHost& world : worlds)
        QVERIFY(world.source.lastTask()->waitFinished(kTimeout));
    page->Free();
    for (PageHost& world : worlds)
        QCOMPARE(world.source.releaseCalls(), 1);
}

// Two pages with their scans on two engine threads at once, then freed while
// idle: clean under ThreadSanitizer.
void TestWorkflows::twoPagesScanAtOnce()
{
    PageWorld first(MD_CONTACT);
    PageWorld second(MD_CONTACT);
    for (PageWorld* world : {&first, &second}) {
        world->script.report(TASK_BEGIN, 0, "1");
        for (int batch = 0; batch < 5; ++batch)
            world->data(10 + batch * 10, 20);
        world->script.report(TASK_COMPLETE, 100, "0");
    }
    QVERIFY(first.load() && second.load());
    for (PageWorld* world : {&first, &second}) {
        QVERIFY(world->source.lastTask()->waitFinished(kTimeout));
        QTRY_VERIFY_WITH_TIMEOUT(world->page.IsLoad(nullptr), kTimeout);
        QCOMPARE(world->page.store()->GetDataCountEx(), 100u);
    }
}

QTEST_MAIN(TestWorkflows)
#include "tst_workflows.moc"
