// A scan from the engine's reports to the page: progress lines, the data
// hand-over while the scan runs and at its end, the load-callback road, the
// log lines, and the backup errors with their messages and retry.

#include "testpage.h"

#include "modaldialoganswerer.h"

#include "log4qt/listappender.h"
#include "mystatusbar.h"
#include "plugin/scanprogresswidget.h"
#include "taskprogresswidget.h"

#include <QRandomGenerator>
#include <QTest>
#include <QThread>

using namespace MMobile;

namespace {

TaskProgressWidget* linesOf(PageWorld& world)
{
    return world.page.findChild<TaskProgressWidget*>("widgetTasks");
}

bool progressHidden(PageWorld& world)
{
    return world.page.findChild<ScanProgressWidget*>()->isHidden();
}

QVector<IMDCommon*> storeItems(TaskItem* store)
{
    QVector<IMDCommon*> items;
    for (unsigned int i = 0; i < store->GetDataCountEx(); ++i)
        items << store->GetData(i);
    return items;
}

} // namespace

class TestScanWorkflow : public QObject
{
    Q_OBJECT

private slots:
    void phaseCodeChoosesLine_data();
    void phaseCodeChoosesLine();
    void storeFollowsGetterDuringScan();
    void dataReportsThatHandNothingOver_data();
    void dataReportsThatHandNothingOver();
    void scanEnds_data();
    void scanEnds();
    void loadCallbackRoad();
    void loadCallbackStopRequest();
    void reportAfterClosingAnswersFalse();
    void closingReleasesPendingHandOver();
    void closingAtRandomMoments();
    void backupErrorMessages_data();
    void backupErrorMessages();
    void unknownBackupCodesEndScan_data();
    void unknownBackupCodesEndScan();
    void lockedDevice_data();
    void lockedDevice();
};

void TestScanWorkflow::phaseCodeChoosesLine_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<int>("line");
    QTest::newRow("backup 1") << QByteArray("1") << 0;
    QTest::newRow("backup 9") << QByteArray("9") << 0;
    QTest::newRow("analysis 0") << QByteArray("0") << 1;
}

void TestScanWorkflow::phaseCodeChoosesLine()
{
    QFETCH(QByteArray, code);
    QFETCH(int, line);
    PageWorld world(MD_CONTACT);
    FakeTaskScript script;
    script.report(TASK_DATA, 30, code.constData());
    script.report(TASK_PERCENT, 40, code.constData()).held();
    FakeTask* task = world.load(script);
    QCOMPARE(task->waitHeld(kTimeout), 1);
    QTRY_COMPARE(int(linesOf(world)->taskState(line)), int(TASK_DATA));
    QVERIFY(int(linesOf(world)->taskState(1 - line)) != int(TASK_DATA));
    task->release();
    QVERIFY(task->waitFinished(kTimeout));
}

void TestScanWorkflow::storeFollowsGetterDuringScan()
{
    PageWorld world(MD_MESSAGE);
    FakeGetter* getter = world.source.dataGetter();
    FakeTaskScript script;
    script.report(TASK_BEGIN, 0, "1");
    script.report(TASK_DATA, 30, "0").prepending(getter, newItems(getter, 2));
    script.report(TASK_PERCENT, 40, "0").held();
    script.report(TASK_DATA, 60, "0").prepending(getter, newItems(getter, 3));
    script.report(TASK_PERCENT, 70, "0").held();
    script.report(TASK_COMPLETE, 100, "0");
    FakeTask* task = world.load(script);
    TaskItem* store = world.page.store();
    QCOMPARE(task->waitHeld(kTimeout), 2);
    // The hand-over finished before the report returned.
    QCOMPARE(storeItems(store), getter->items());
    QCOMPARE(store->GetDataCountEx(), 2u);
    task->release();
    QCOMPARE(task->waitHeld(kTimeout), 4);
    QCOMPARE(storeItems(store), getter->items());
    QCOMPARE(store->GetDataCountEx(), 5u);
    // A tick made during the scan stays with its item until the end reload.
    store->SetChecked(4, Qt::Unchecked);
    task->release();
    QVERIFY(task->waitFinished(kTimeout));
    QTRY_VERIFY(progressHidden(world));
    QCOMPARE(storeItems(store), getter->items());
    QCOMPARE(store->GetCheckState(4), Qt::Checked);
    QVERIFY(world.page.button("btnRecoverToPC")->isEnabled());
}

void TestScanWorkflow::dataReportsThatHandNothingOver_data()
{
    QTest::addColumn<bool>("withoutCategory");
    QTest::newRow("without category") << true;
    QTest::newRow("without new items") << false;
}

void TestScanWorkflow::dataReportsThatHandNothingOver()
{
    QFETCH(bool, withoutCategory);
    PageWorld world(MD_MESSAGE);
    FakeGetter* getter = world.source.dataGetter();
    FakeTaskScript script;
    script.report(TASK_DATA, 30, "0")
        .withType(withoutCategory ? -1 : MD_MESSAGE)
        .prepending(getter, newItems(getter, 2));
    // Same count again: nothing is handed over (a hand-over would reload the
    // whole store, dropping the tick made below).
    script.report(TASK_DATA, 40, "0").withType(withoutCategory ? -1 : MD_MESSAGE).held();
    script.report(TASK_PERCENT, 50, "0").held();
    FakeTask* task = world.load(script);
    QCOMPARE(task->waitHeld(kTimeout), 1);
    if (world.page.store()->GetDataCountEx() > 0)
        world.page.store()->SetChecked(0, Qt::Unchecked);
    task->release();
    QCOMPARE(task->waitHeld(kTimeout), 2);
    QCOMPARE(world.page.store()->GetDataCountEx(), withoutCategory ? 0u : 2u);
    QCOMPARE(world.source.dataGetterRequests(), withoutCategory ? 0 : 2);
    if (!withoutCategory)
        QCOMPARE(world.page.store()->GetCheckState(0), Qt::Unchecked);
    QTRY_COMPARE(int(linesOf(world)->taskState(1)), int(TASK_DATA));
    task->release();
    QVERIFY(task->waitFinished(kTimeout));
}

void TestScanWorkflow::scanEnds_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("end");
    QTest::addColumn<bool>("getterGone");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<int>("line1"); // the state of the analysis line
    QTest::newRow("complete") << int(MD_CONTACT) << int(TASK_COMPLETE) << false
                              << QStringList{"Scan Contacts complete, data count: 2"}
                              << int(TASK_DATA);
    QTest::newRow("reminders") << int(MD_REMINDER) << int(TASK_COMPLETE) << false
                               << QStringList{"Scan Reminders complete, data count: 2"}
                               << int(TASK_DATA);
    QTest::newRow("complete without getter")
        << int(MD_CALENDAR) << int(TASK_COMPLETE) << true
        << QStringList{"Scan Calendar complete, data count: 0"} << int(TASK_DATA);
    QTest::newRow("error keeps data") << int(MD_NOTE) << int(TASK_ERROR) << false
                                      << QStringList{"Scan Notes error"} << int(TASK_ERROR);
    QTest::newRow("stopped") << int(MD_NOTE) << int(TASK_STOP) << false << QStringList()
                             << int(TASK_STOP);
}

void TestScanWorkflow::scanEnds()
{
    QFETCH(int, type);
    QFETCH(int, end);
    QFETCH(bool, getterGone);
    QFETCH(QStringList, log);
    QFETCH(int, line1);
    Log4Qt::ListAppender capture(QStringLiteral("TestPage"));
    PageWorld world(static_cast<MDType>(type));
    const bool reminders = type == MD_REMINDER;
    FakeGetter* getter =
        reminders ? world.source.namedGetter("Reminider") : world.source.dataGetter();
    FakeTaskScript script;
    script.report(TASK_DATA, 20, "0").prepending(getter, newItems(getter, 2, true));
    script.report(end, 100, "0").running([&world, getterGone] {
        world.source.setDataGetterHidden(getterGone);
    });
    QVERIFY(world.load(script)->waitFinished(kTimeout));
    QTRY_VERIFY(progressHidden(world));
    QCOMPARE(world.page.store()->GetDataCountEx(), 2u);
    QCOMPARE(world.page.getStatusBar()->leftLable(), QString("You select 2 item(s) in 2 item(s)"));
    QCOMPARE(capture.messages(), log);
    if (!log.isEmpty())
        QCOMPARE(capture.lines().first().level, QString("INFO"));
    QCOMPARE(int(linesOf(world)->taskState(1)), line1);
    QCOMPARE(world.page.IsLoad(nullptr), end != TASK_STOP);
    QCOMPARE(world.host.operationFailures().size(), end == TASK_ERROR ? 1 : 0);
    QCOMPARE(world.source.dataGetterRequests() == 0, reminders);
    if (reminders)
        QCOMPARE(world.source.namedGetterRequests().first(), QByteArray("Reminider"));
}

void TestScanWorkflow::loadCallbackRoad()
{
    PageWorld world(MD_MESSAGE, true);
    FakeGetter* getter = world.source.dataGetter();
    FakeTaskScript script;
    script.report(TASK_BEGIN, 5, "1");
    script.report(TASK_PERCENT, 15, "1");
    script.report(TASK_DATA, 40, "0").prepending(getter, newItems(getter, 2));
    script.report(TASK_STOP, 40, "0");
    QVERIFY(world.load(script)->waitFinished(kTimeout));
    QCOMPARE(world.host.scanPercents(), (QVector<int>{5, 15, 40}));
    QCOMPARE(world.host.scanStatuses(), (QVector<int>{TASK_DATA, TASK_STOP}));
    QCOMPARE(world.host.stopRequestedCount(), 4);
    QCOMPARE(world.page.store()->GetDataCountEx(), 2u);
    QTRY_VERIFY(progressHidden(world));
    // Only the stop status reaches the page's own lines.
    QCOMPARE(int(linesOf(world)->taskState(1)), int(TASK_STOP));
    QVERIFY(int(linesOf(world)->taskState(0)) != int(TASK_DATA));
    QCOMPARE(world.host.eventsOffGuiThread().size(), world.host.events().size());
}

void TestScanWorkflow::loadCallbackStopRequest()
{
    PageWorld world(MD_MESSAGE, true);
    world.host.setStopRequested(true);
    FakeTaskScript script;
    script.report(TASK_BEGIN, 5, "1");
    script.report(TASK_PERCENT, 15, "1");
    FakeTask* task = world.load(script);
    QVERIFY(task->waitFinished(kTimeout));
    QVERIFY(task->stoppedByCallback());
    QCOMPARE(task->reportCount(), 1);
}

void TestScanWorkflow::reportAfterClosingAnswersFalse()
{
    PageWorld world(MD_MESSAGE);
    FakeGetter* getter = world.source.dataGetter();
    FakeTaskScript script;
    script.report(TASK_BEGIN, 0, "1").held();
    script.report(TASK_DATA, 50, "0").prepending(getter, newItems(getter, 2));
    FakeTask* task = world.load(script);
    QCOMPARE(task->waitHeld(kTimeout), 0);
    world.page.m_bClosing = true;
    task->release();
    QVERIFY(task->waitFinished(kTimeout));
    QCOMPARE(task->reports().size(), 1);
    QCOMPARE(task->reports().first().result, false);
    QCOMPARE(world.page.store()->GetDataCountEx(), 0u);
    QCOMPARE(int(world.page.m_status), int(TASK_BEGIN));
}

void TestScanWorkflow::closingReleasesPendingHandOver()
{
    // The GUI thread closes the page without ever taking the getter: the
    // engine's wait must end, or the close would wait forever.
    PageWorld world(MD_MESSAGE);
    FakeGetter* getter = world.source.dataGetter();
    FakeTaskScript script;
    script.report(TASK_DATA, 50, "0").prepending(getter, newItems(getter, 2));
    script.report(TASK_PERCENT, 60, "0");
    FakeTask* task = world.load(script);
    // Wait without processing events, so the queued hand-over stays pending.
    while (task->GetStatus() != TASK_DATA)
        QThread::msleep(1);
    world.page.ClosePlugin();
    QVERIFY(task->waitFinished(kTimeout));
    QVERIFY(task->stoppedByCallback());
}

void TestScanWorkflow::closingAtRandomMoments()
{
    // Close while reports, hand-overs and waits are in every possible phase;
    // a deadlock would hang here (and fail on the test's timeout).
    QRandomGenerator random(20261206);
    for (int round = 0; round < 300; ++round) {
        PageWorld world(random.bounded(2) ? MD_MESSAGE : MD_CONTACT, random.bounded(4) == 0);
        FakeGetter* getter = world.source.dataGetter();
        FakeTaskScript script;
        script.report(TASK_BEGIN, 0, "1");
        for (int i = 0; i < 6; ++i) {
            script.report(TASK_DATA, 10 + i * 10, "0")
                .prepending(getter, newItems(getter, 1 + int(random.bounded(3))))
                .after(int(random.bounded(2)));
            script.report(TASK_PERCENT, 15 + i * 10, "0");
        }
        script.report(TASK_COMPLETE, 100, "0");
        FakeTask* task = world.load(script);
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

void TestScanWorkflow::backupErrorMessages_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("pieces");
    const QString support =
        "Please send us all files in log folder (Help > Open Log)<br> together with the upper "
        "error code to <br><a href='mailto:support@example.com'>support@example.com</a> for help.";
    for (int code : {2, 3, 255})
        QTest::addRow("%d", code) << code
                                  << QStringList{QString("<strong>Backup error(error code:%1)"
                                                         "</strong><br>%2")
                                                     .arg(code)
                                                     .arg(support)};
    QTest::newRow("5") << 5
                       << QStringList{"<strong>Fail to backup. Please try possible solutions below "
                                      "to fix it:</strong><br><br>1. Please change to another USB "
                                      "port.<br>2. Please restart the Mobile device.<br>3. Please "
                                      "contact support@example.com with all files in log "
                                      "folder<br> (Help > Open Log) for help."};
    QTest::newRow("6") << 6
                       << QStringList{"There is not enough storage space on your device or the "
                                      "largest<br>hard disk on your computer"};
    QTest::newRow("7") << 7
                       << QStringList{
                              "Opps, it seems that you are doing some settings on your "
                              "device.<br>Please close the Settings page and try again.<br>"};
    QTest::newRow("10") << 10
                        << QStringList{
                               "<strong>Scan error(error code:10)</strong><br>We detect",
                               "error code, <a href=\"https://www.example.com/support/"
                               "contact.html\"><span style=\" text-decoration: underline; "
                               "color:#0000ff;\">contact customer service</span></a>.</br>"};
}

void TestScanWorkflow::backupErrorMessages()
{
    QFETCH(int, code);
    QFETCH(QStringList, pieces);
    Log4Qt::ListAppender log(QStringLiteral("TestPage"));
    PageWorld world(MD_CONTACT);
    ModalDialogAnswerer answerer;
    answerer.ignore(QStringLiteral("TestPage"));
    answerer.answer(ModalDialogAnswerer::Answer::ok());
    FakeTaskScript script;
    script.report(TASK_PERCENT, 10, "1");
    script.report(TASK_DATA, 20, QByteArray::number(code).constData());
    FakeTask* task = world.load(script);
    QVERIFY(task->waitFinished(kTimeout));
    QVERIFY(task->stoppedByCallback());
    QVERIFY(answerer.waitAnswered(1, kTimeout));
    const ModalDialogAnswerer::Seen seen = answerer.last();
    QVERIFY(seen.isMessageDialog);
    QCOMPARE(seen.messageType, 3);
    for (const QString& piece : pieces)
        QVERIFY2(seen.messageText.contains(piece), qPrintable(seen.messageText));
    QVERIFY(seen.cancelButtonHidden);
    QCOMPARE(seen.okButtonText, QString("OK"));
    QVERIFY(answerer.errors().isEmpty());
    QCOMPARE(log.messages(), QStringList{"Backup Contacts error"});
    QCOMPARE(log.lines().first().level, QString("ERROR"));
    // The status of the failing report is not taken.
    QCOMPARE(int(world.page.m_status), int(TASK_PERCENT));
    // Without a load callback the page closes.
    QTRY_VERIFY(!world.page.isVisible());
    QCOMPARE(world.host.pluginCloses(), QVector<int>{MD_CONTACT});
}

void TestScanWorkflow::unknownBackupCodesEndScan_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<bool>("withCallback");
    for (const char* code : {"8", "11", "300", "-3"}) {
        QTest::addRow("%s closes", code) << QByteArray(code) << false;
        QTest::addRow("%s aborts", code) << QByteArray(code) << true;
    }
}

void TestScanWorkflow::unknownBackupCodesEndScan()
{
    QFETCH(QByteArray, code);
    QFETCH(bool, withCallback);
    PageWorld world(MD_CONTACT, withCallback);
    ModalDialogAnswerer answerer;
    answerer.ignore(QStringLiteral("TestPage"));
    FakeTaskScript script;
    script.report(TASK_PERCENT, 10, code.constData());
    QVERIFY(world.load(script)->waitFinished(kTimeout));
    QTRY_COMPARE(world.host.scanAbortedCount() + world.host.pluginCloses().size(), 1);
    QCOMPARE(world.host.scanAbortedCount(), withCallback ? 1 : 0);
    QCOMPARE(world.page.isVisible(), withCallback);
    QCoreApplication::processEvents();
    QCOMPARE(answerer.answeredCount(), 0);
}

void TestScanWorkflow::lockedDevice_data()
{
    QTest::addColumn<bool>("retry");
    QTest::newRow("retry") << true;
    QTest::newRow("cancel") << false;
}

void TestScanWorkflow::lockedDevice()
{
    QFETCH(bool, retry);
    PageWorld world(MD_CONTACT);
    ModalDialogAnswerer answerer;
    answerer.ignore(QStringLiteral("TestPage"));
    answerer.answer(retry ? ModalDialogAnswerer::Answer::ok()
                          : ModalDialogAnswerer::Answer::cancel());
    FakeTaskScript script;
    script.report(TASK_PERCENT, 10, "4");
    FakeTask* first = world.load(script);
    FakeTaskScript again;
    again.report(TASK_COMPLETE, 100, "0");
    world.source.setScanScript(again);
    QVERIFY(answerer.waitAnswered(1, kTimeout));
    const ModalDialogAnswerer::Seen seen = answerer.last();
    QCOMPARE(seen.messageText, QString("Please unlock your device with passcodes while scanning."));
    QCOMPARE(seen.okButtonText, QString("Retry"));
    QCOMPARE(seen.cancelButtonText, QString("Cancel"));
    QVERIFY(!seen.cancelButtonHidden);
    QVERIFY(first->waitFinished(kTimeout));
    if (!retry) {
        QTRY_VERIFY(!world.page.isVisible());
        QCOMPARE(world.source.startCount(FakeDataSource::Scan), 1);
        QCOMPARE(world.page.m_pMessageDialog, nullptr);
        return;
    }
    // A fresh scan on the same device; the failed task was released.
    QTRY_COMPARE(world.source.startCount(FakeDataSource::Scan), 2);
    QCOMPARE(first->releaseCalls(), 1);
    QVERIFY(world.page.isVisible());
    QVERIFY(world.host.pluginCloses().isEmpty());
    QVERIFY(world.source.lastTask()->waitFinished(kTimeout));
    QTRY_VERIFY(world.page.IsLoad(nullptr));
    world.page.ClosePlugin();
}

QTEST_MAIN(TestScanWorkflow)
#include "tst_scanworkflow.moc"
