// A scan from the engine's reports to the page: progress lines, the data
// hand-over while the scan runs and at its end, the load-callback road, the
// log lines, and the backup errors with their messages and retry.

#include "testpage.h"

#include "fakeitem.h"
#include "modaldialoganswerer.h"

#include "log4qt/listappender.h"
#include "mystatusbar.h"
#include "plugin/scanprogresswidget.h"
#include "taskprogresswidget.h"

#include <QRandomGenerator>
#include <QThread>

#include <QPushButton>
#include <QTest>

using namespace MMobile;

namespace {

const int kTimeout = 10000;

struct Scan
{
    explicit Scan(MDType type, bool withCallback = false)
        : world(type), page(&world.host, type), callback(withCallback ? &world.host : nullptr)
    {
        page.show();
    }

    FakeTask* load(const FakeTaskScript& script)
    {
        world.source.setScanScript(script);
        if (!page.Load(&world.device, callback))
            return nullptr;
        return world.source.lastTask();
    }

    FakeGetter* getter() { return world.source.dataGetter(); }
    TaskProgressWidget* lines() { return page.findChild<TaskProgressWidget*>("widgetTasks"); }
    ScanProgressWidget* progress() { return page.findChild<ScanProgressWidget*>(); }

    PageWorld world;
    TestPage page;
    ILoadCallback* callback;
};

QVector<MMobile::IMDCommon*> newItems(FakeGetter* getter, int count, bool deleted = false)
{
    QVector<MMobile::IMDCommon*> items;
    for (int i = 0; i < count; ++i)
        items << getter->adopt(std::make_unique<FakeItem>(nullptr, deleted));
    return items;
}

QVector<MMobile::IMDCommon*> storeItems(TaskItem* store)
{
    QVector<MMobile::IMDCommon*> items;
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
    void dataReportWithoutCategoryHandsNothingOver();
    void dataReportWithoutNewItemsHandsNothingOver();
    void completeReloadsAndLogs();
    void completeWithoutGetter();
    void reminderGetterByName();
    void scanErrorKeepsDataAndTellsHost();
    void stoppedScan();
    void loadCallbackRoad();
    void loadCallbackStopRequest();
    void reportAfterClosingAnswersFalse();
    void closingReleasesPendingHandOver();
    void closingAtRandomMoments();
    void backupErrorMessages_data();
    void backupErrorMessages();
    void unknownBackupCodesEndScan_data();
    void unknownBackupCodesEndScan();
    void lockedDeviceRetry();
    void lockedDeviceCancel();
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
    Scan scan(MD_CONTACT);
    FakeTaskScript script;
    script.report(TASK_DATA, 30, code.constData());
    script.report(TASK_PERCENT, 40, code.constData()).held();
    FakeTask* task = scan.load(script);
    QVERIFY(task);
    QVERIFY(task->waitHeld(kTimeout) == 1);
    QTRY_COMPARE(int(scan.lines()->taskState(line)), int(TASK_DATA));
    QVERIFY(int(scan.lines()->taskState(1 - line)) != int(TASK_DATA));
    task->release();
    QVERIFY(task->waitFinished(kTimeout));
}

void TestScanWorkflow::storeFollowsGetterDuringScan()
{
    Scan scan(MD_MESSAGE);
    FakeGetter* getter = scan.getter();
    const auto first = newItems(getter, 2);
    const auto second = newItems(getter, 3);
    FakeTaskScript script;
    script.report(TASK_BEGIN, 0, "1");
    script.report(TASK_DATA, 30, "0").prepending(getter, first);
    script.report(TASK_PERCENT, 40, "0").held();
    script.report(TASK_DATA, 60, "0").prepending(getter, second);
    script.report(TASK_PERCENT, 70, "0").held();
    script.report(TASK_COMPLETE, 100, "0");
    FakeTask* task = scan.load(script);

    QCOMPARE(task->waitHeld(kTimeout), 2);
    // The hand-over finished before the report returned.
    QCOMPARE(storeItems(scan.page.store()), getter->items());
    QCOMPARE(scan.page.store()->GetDataCountEx(), 2u);
    task->release();
    QCOMPARE(task->waitHeld(kTimeout), 4);
    QCOMPARE(storeItems(scan.page.store()), getter->items());
    QCOMPARE(scan.page.store()->GetDataCountEx(), 5u);
    // A tick made during the scan stays with its item until the end reload.
    scan.page.store()->SetChecked(4, Qt::Unchecked);
    task->release();
    QVERIFY(task->waitFinished(kTimeout));
    QTRY_VERIFY(scan.progress()->isHidden());
    QCOMPARE(storeItems(scan.page.store()), getter->items());
    QCOMPARE(scan.page.store()->GetCheckState(4), Qt::Checked);
    QVERIFY(scan.page.findChild<QPushButton*>("btnRecoverToPC")->isEnabled());
}

void TestScanWorkflow::dataReportWithoutCategoryHandsNothingOver()
{
    Scan scan(MD_MESSAGE);
    FakeGetter* getter = scan.getter();
    FakeTaskScript script;
    script.report(TASK_DATA, 30, "0").withType(-1).prepending(getter, newItems(getter, 2));
    script.report(TASK_PERCENT, 40, "0").held();
    FakeTask* task = scan.load(script);
    QCOMPARE(task->waitHeld(kTimeout), 1);
    QCOMPARE(scan.page.store()->GetDataCountEx(), 0u);
    QCOMPARE(scan.world.source.dataGetterRequests(), 0);
    QTRY_COMPARE(int(scan.lines()->taskState(1)), int(TASK_DATA));
    task->release();
    QVERIFY(task->waitFinished(kTimeout));
}

void TestScanWorkflow::dataReportWithoutNewItemsHandsNothingOver()
{
    Scan scan(MD_MESSAGE);
    FakeGetter* getter = scan.getter();
    FakeTaskScript script;
    script.report(TASK_DATA, 30, "0").prepending(getter, newItems(getter, 2));
    // Same count again: nothing is handed over (a hand-over would reload the
    // whole store, dropping the tick made below).
    script.report(TASK_DATA, 40, "0").held();
    script.report(TASK_PERCENT, 50, "0").held();
    FakeTask* task = scan.load(script);
    QCOMPARE(task->waitHeld(kTimeout), 1);
    scan.page.store()->SetChecked(0, Qt::Unchecked);
    task->release();
    QCOMPARE(task->waitHeld(kTimeout), 2);
    QCOMPARE(scan.page.store()->GetDataCountEx(), 2u);
    QCOMPARE(scan.page.store()->GetCheckState(0), Qt::Unchecked);
    QCOMPARE(scan.world.source.dataGetterRequests(), 2);
    task->release();
    QVERIFY(task->waitFinished(kTimeout));
}

void TestScanWorkflow::completeReloadsAndLogs()
{
    Log4Qt::ListAppender log(QStringLiteral("TestPage"));
    Scan scan(MD_CONTACT);
    FakeGetter* getter = scan.getter();
    getter->prepend(newItems(getter, 4, true));
    FakeTaskScript script;
    script.report(TASK_BEGIN, 0, "1");
    script.report(TASK_COMPLETE, 100, "0");
    FakeTask* task = scan.load(script);
    QVERIFY(task->waitFinished(kTimeout));
    QTRY_VERIFY(scan.progress()->isHidden());
    QCOMPARE(scan.page.store()->GetDataCountEx(), 4u);
    QCOMPARE(scan.page.store()->GetCheckedCount(), 4u);
    QCOMPARE(log.messages(), QStringList{"Scan Contacts complete, data count: 4"});
    QCOMPARE(log.lines().first().level, QString("INFO"));
    QCOMPARE(scan.page.getStatusBar()->leftLable(), QString("You select 4 item(s) in 4 item(s)"));
    QVERIFY(scan.page.IsLoad(nullptr));
}

void TestScanWorkflow::completeWithoutGetter()
{
    Log4Qt::ListAppender log(QStringLiteral("TestPage"));
    Scan scan(MD_CALENDAR);
    FakeGetter* getter = scan.getter();
    FakeTaskScript script;
    script.report(TASK_DATA, 50, "0").prepending(getter, newItems(getter, 2));
    script.report(TASK_COMPLETE, 100, "0").running([&] {
        scan.world.source.setDataGetterHidden(true);
    });
    FakeTask* task = scan.load(script);
    QVERIFY(task->waitFinished(kTimeout));
    QTRY_VERIFY(scan.progress()->isHidden());
    QCOMPARE(log.messages(), QStringList{"Scan Calendar complete, data count: 0"});
    QCOMPARE(scan.page.store()->GetDataCountEx(), 2u);
}

void TestScanWorkflow::reminderGetterByName()
{
    Scan scan(MD_REMINDER);
    FakeGetter* reminders = scan.world.source.namedGetter("Reminider");
    reminders->prepend(newItems(reminders, 3));
    FakeTaskScript script;
    script.report(TASK_COMPLETE, 100, "0");
    FakeTask* task = scan.load(script);
    QVERIFY(task->waitFinished(kTimeout));
    QTRY_COMPARE(scan.page.store()->GetDataCountEx(), 3u);
    QCOMPARE(scan.world.source.namedGetterRequests(), QByteArrayList{"Reminider"});
    QCOMPARE(scan.world.source.dataGetterRequests(), 0);
}

void TestScanWorkflow::scanErrorKeepsDataAndTellsHost()
{
    Log4Qt::ListAppender log(QStringLiteral("TestPage"));
    Scan scan(MD_NOTE);
    FakeGetter* getter = scan.getter();
    FakeTaskScript script;
    script.report(TASK_DATA, 20, "0").prepending(getter, newItems(getter, 2));
    script.report(TASK_ERROR, 20, "0");
    FakeTask* task = scan.load(script);
    QVERIFY(task->waitFinished(kTimeout));
    QTRY_VERIFY(scan.progress()->isHidden());
    QCOMPARE(scan.page.store()->GetDataCountEx(), 2u);
    QCOMPARE(int(scan.lines()->taskState(1)), int(TASK_ERROR));
    QCOMPARE(scan.world.host.operationFailures(), QVector<int>{MD_NOTE});
    QCOMPARE(log.messages(), QStringList{"Scan Notes error"});
    QCOMPARE(log.lines().first().level, QString("INFO"));
    QVERIFY(scan.page.IsLoad(nullptr));
}

void TestScanWorkflow::stoppedScan()
{
    Scan scan(MD_NOTE);
    FakeTaskScript script;
    script.report(TASK_BEGIN, 0, "9");
    script.report(TASK_STOP, 0, "9");
    FakeTask* task = scan.load(script);
    QVERIFY(task->waitFinished(kTimeout));
    QTRY_VERIFY(scan.progress()->isHidden());
    QTRY_COMPARE(int(scan.lines()->taskState(0)), int(TASK_STOP));
    QVERIFY(!scan.page.IsLoad(nullptr));
}

void TestScanWorkflow::loadCallbackRoad()
{
    Scan scan(MD_MESSAGE, true);
    FakeGetter* getter = scan.getter();
    FakeTaskScript script;
    script.report(TASK_BEGIN, 5, "1");
    script.report(TASK_PERCENT, 15, "1");
    script.report(TASK_DATA, 40, "0").prepending(getter, newItems(getter, 2));
    script.report(TASK_STOP, 40, "0");
    FakeTask* task = scan.load(script);
    QVERIFY(task->waitFinished(kTimeout));
    QCOMPARE(scan.world.host.scanPercents(), (QVector<int>{5, 15, 40}));
    QCOMPARE(scan.world.host.scanStatuses(), (QVector<int>{TASK_DATA, TASK_STOP}));
    QCOMPARE(scan.world.host.stopRequestedCount(), 4);
    QCOMPARE(scan.page.store()->GetDataCountEx(), 2u);
    QTRY_VERIFY(scan.progress()->isHidden());
    // Only the stop status reaches the page's own lines.
    QCOMPARE(int(scan.lines()->taskState(1)), int(TASK_STOP));
    QVERIFY(int(scan.lines()->taskState(0)) != int(TASK_DATA));
    QCOMPARE(scan.world.host.eventsOffGuiThread().size(), scan.world.host.events().size());
}

void TestScanWorkflow::loadCallbackStopRequest()
{
    Scan scan(MD_MESSAGE, true);
    scan.world.host.setStopRequested(true);
    FakeTaskScript script;
    script.report(TASK_BEGIN, 5, "1");
    script.report(TASK_PERCENT, 15, "1");
    FakeTask* task = scan.load(script);
    QVERIFY(task->waitFinished(kTimeout));
    QVERIFY(task->stoppedByCallback());
    QCOMPARE(task->reportCount(), 1);
}

void TestScanWorkflow::reportAfterClosingAnswersFalse()
{
    Scan scan(MD_MESSAGE);
    FakeGetter* getter = scan.getter();
    FakeTaskScript script;
    script.report(TASK_BEGIN, 0, "1").held();
    script.report(TASK_DATA, 50, "0").prepending(getter, newItems(getter, 2));
    FakeTask* task = scan.load(script);
    QCOMPARE(task->waitHeld(kTimeout), 0);
    scan.page.m_bClosing = true;
    task->release();
    QVERIFY(task->waitFinished(kTimeout));
    QCOMPARE(task->reports().size(), 1);
    QCOMPARE(task->reports().first().result, false);
    QCOMPARE(scan.page.store()->GetDataCountEx(), 0u);
    QCOMPARE(int(scan.page.m_status), int(TASK_BEGIN));
}

void TestScanWorkflow::closingReleasesPendingHandOver()
{
    // The GUI thread closes the page without ever taking the getter: the
    // engine's wait must end, or the close would wait forever.
    Scan scan(MD_MESSAGE);
    FakeGetter* getter = scan.getter();
    FakeTaskScript script;
    script.report(TASK_DATA, 50, "0").prepending(getter, newItems(getter, 2));
    script.report(TASK_PERCENT, 60, "0");
    scan.world.source.setScanScript(script);
    QVERIFY(scan.page.Load(&scan.world.device, nullptr));
    FakeTask* task = scan.world.source.lastTask();
    // Wait without processing events, so the queued hand-over stays pending.
    while (task->GetStatus() != TASK_DATA)
        QThread::msleep(1);
    scan.page.ClosePlugin();
    QVERIFY(task->waitFinished(kTimeout));
    QVERIFY(task->stoppedByCallback());
}

void TestScanWorkflow::closingAtRandomMoments()
{
    // Close while reports, hand-overs and waits are in every possible phase;
    // a deadlock would hang here (and fail on the test's timeout).
    QRandomGenerator random(20261206);
    for (int round = 0; round < 300; ++round) {
        Scan scan(random.bounded(2) ? MD_MESSAGE : MD_CONTACT, random.bounded(4) == 0);
        FakeGetter* getter = scan.getter();
        FakeTaskScript script;
        script.report(TASK_BEGIN, 0, "1");
        for (int i = 0; i < 6; ++i) {
            script.report(TASK_DATA, 10 + i * 10, "0")
                .prepending(getter, newItems(getter, 1 + int(random.bounded(3))))
                .after(int(random.bounded(2)));
            script.report(TASK_PERCENT, 15 + i * 10, "0");
        }
        script.report(TASK_COMPLETE, 100, "0");
        FakeTask* task = scan.load(script);
        QVERIFY(task);
        const int wait = int(random.bounded(12));
        if (random.bounded(2))
            QTest::qWait(wait);
        else
            QThread::msleep(static_cast<unsigned long>(wait));
        scan.page.ClosePlugin();
        QVERIFY(IsTaskEndStatus(task->GetStatus()) || task->isFinished());
        QVERIFY2(task->waitFinished(kTimeout), qPrintable(QString("round %1").arg(round)));
        QCOMPARE(scan.world.host.pluginCloses().size(), 1);
        QVERIFY(!scan.page.isVisible());
        QCoreApplication::processEvents();
    }
}

void TestScanWorkflow::backupErrorMessages_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("pieces");
    const QStringList support{
        "Please send us all files in log folder (Help > Open Log)<br> together "
        "with the upper error code to <br><a href='mailto:support@example.com'>"
        "support@example.com</a> for help."};
    QTest::newRow("2") << 2
                       << (QStringList{"<strong>Backup error(error code:2)</strong><br>"} +
                           support);
    QTest::newRow("3") << 3
                       << (QStringList{"<strong>Backup error(error code:3)</strong><br>"} +
                           support);
    QTest::newRow("255") << 255
                         << (QStringList{"<strong>Backup error(error code:255)</strong><br>"} +
                             support);
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
    Scan scan(MD_CONTACT);
    ModalDialogAnswerer answerer;
    answerer.answer(ModalDialogAnswerer::Answer::ok());
    FakeTaskScript script;
    script.report(TASK_PERCENT, 10, "1");
    script.report(TASK_DATA, 20, QByteArray::number(code).constData());
    FakeTask* task = scan.load(script);
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
    QCOMPARE(int(scan.page.m_status), int(TASK_PERCENT));
    // Without a load callback the page closes.
    QTRY_VERIFY(!scan.page.isVisible());
    QCOMPARE(scan.world.host.pluginCloses(), QVector<int>{MD_CONTACT});
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
    Scan scan(MD_CONTACT, withCallback);
    ModalDialogAnswerer answerer;
    FakeTaskScript script;
    script.report(TASK_PERCENT, 10, code.constData());
    FakeTask* task = scan.load(script);
    QVERIFY(task->waitFinished(kTimeout));
    if (withCallback) {
        QTRY_COMPARE(scan.world.host.scanAbortedCount(), 1);
        QVERIFY(scan.page.isVisible());
        QVERIFY(scan.world.host.pluginCloses().isEmpty());
    } else {
        QTRY_VERIFY(!scan.page.isVisible());
        QCOMPARE(scan.world.host.scanAbortedCount(), 0);
    }
    QCoreApplication::processEvents();
    QCOMPARE(answerer.answeredCount(), 0);
}

void TestScanWorkflow::lockedDeviceRetry()
{
    Scan scan(MD_CONTACT);
    ModalDialogAnswerer answerer;
    answerer.answer(ModalDialogAnswerer::Answer::ok());
    FakeTaskScript script;
    script.report(TASK_PERCENT, 10, "4");
    FakeTask* first = scan.load(script);
    FakeTaskScript again;
    again.report(TASK_COMPLETE, 100, "0");
    scan.world.source.setScanScript(again);
    QVERIFY(answerer.waitAnswered(1, kTimeout));
    const ModalDialogAnswerer::Seen seen = answerer.last();
    QCOMPARE(seen.messageText, QString("Please unlock your device with passcodes while scanning."));
    QCOMPARE(seen.okButtonText, QString("Retry"));
    QCOMPARE(seen.cancelButtonText, QString("Cancel"));
    QVERIFY(!seen.cancelButtonHidden);

    // A fresh scan on the same device; the failed task was released.
    QTRY_COMPARE(scan.world.source.startCount(FakeDataSource::Scan), 2);
    QCOMPARE(first->releaseCalls(), 1);
    QVERIFY(scan.page.isVisible());
    QVERIFY(scan.world.host.pluginCloses().isEmpty());
    QVERIFY(scan.world.source.lastTask()->waitFinished(kTimeout));
    QTRY_VERIFY(scan.page.IsLoad(nullptr));
    scan.page.ClosePlugin();
}

void TestScanWorkflow::lockedDeviceCancel()
{
    Scan scan(MD_CONTACT);
    ModalDialogAnswerer answerer;
    answerer.answer(ModalDialogAnswerer::Answer::cancel());
    FakeTaskScript script;
    script.report(TASK_PERCENT, 10, "4");
    FakeTask* task = scan.load(script);
    QVERIFY(task->waitFinished(kTimeout));
    QVERIFY(answerer.waitAnswered(1, kTimeout));
    QTRY_VERIFY(!scan.page.isVisible());
    QCOMPARE(scan.world.source.startCount(FakeDataSource::Scan), 1);
    QCOMPARE(scan.page.m_pMessageDialog, nullptr);
}

QTEST_MAIN(TestScanWorkflow)
#include "tst_scanworkflow.moc"
