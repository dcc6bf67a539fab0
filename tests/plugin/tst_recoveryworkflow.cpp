// Recovery of the ticked items: to a folder on the computer through the
// folder dialog, back to the scanned device, to another device; the
// configurations the engine gets, the progress dialog, the end reports and
// what the user and the host are told.

#include "testpage.h"

#include "modaldialoganswerer.h"

#include "dialogs/recoverprogressdialog.h"
#include "dialogs/setrecoveryfolderdialog.h"
#include "log4qt/listappender.h"

#include <QDesktopServices>
#include <QTest>
#include <QUrl>

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

// A page whose scan has ended with `count` items, all ticked.
struct Scanned : PageWorld
{
    Scanned(MDType type, int count) : PageWorld(type, false, "Anna's iPhone")
    {
        for (int i = 0; i < count; ++i)
            items.prepend(prependItem(source.dataGetter(), true));
        scanned = load(completeScan()) && source.lastTask()->waitFinished(kTimeout);
        QTest::qWait(0);
        answerer.ignore(QStringLiteral("RecoverProgressDialog"));
        answerer.ignore(QStringLiteral("TestPage"));
    }

    void toDevice(IDevice* target)
    {
        QMetaObject::invokeMethod(&page, "slotImportToDevice", Q_ARG(IDevice*, target));
    }

    QVector<FakeItem*> items;
    bool scanned = false;
    ModalDialogAnswerer answerer;
};

// The folder dialog's Recover button.
Answer recoverInto()
{
    return Answer::pressButton(QStringLiteral("btnSetRecover"));
}

} // namespace

class TestRecoveryWorkflow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void toComputer();
    void toComputerStartsNothing_data();
    void toComputerStartsNothing();
    void toComputerWeChat_data();
    void toComputerWeChat();
    void secondRecoveryNewFolderDialogSameProgress();
    void toScannedDevice();
    void toOtherDevice();
    void recoveryDoesNotStart();
    void completedToDevice();
    void endedWithFailure_data();
    void endedWithFailure();

private:
    UrlRecorder m_urls;
};

void TestRecoveryWorkflow::init()
{
    m_urls.urls.clear();
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_urls, "open");
}

void TestRecoveryWorkflow::cleanup()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

void TestRecoveryWorkflow::toComputer()
{
    Log4Qt::ListAppender log(QStringLiteral("TestPage"));
    Scanned s(MD_CONTACT, 3);
    QVERIFY(s.scanned);
    s.page.store()->SetChecked(1, Qt::Unchecked);
    s.page.CheckSeletedItem(0, 0);
    FakeTaskScript exportScript;
    exportScript.report(TASK_PERCENT, 50, "x");
    exportScript.report(TASK_COMPLETE, 100, nullptr).after(50);
    s.source.setExportScript(exportScript);
    QTemporaryDir out;
    s.host.setOutputDir(out.path());
    s.answerer.answer(recoverInto());
    QTest::mouseClick(s.page.button("btnRecoverToPC"), Qt::LeftButton);
    QVERIFY(s.answerer.waitAnswered(1, kTimeout));
    QVERIFY(s.answerer.errors().isEmpty());

    QCOMPARE(s.page.m_recoverMode, int(RECOVER_TO_PC));
    QCOMPARE(s.page.recoverBeforeTargets, QVector<IDevice*>{nullptr});
    QCOMPARE(s.host.outputDirsSet(), QStringList{out.path()});
    const FakeDataSource::StartCall call = s.source.lastStart(FakeDataSource::Export);
    QCOMPARE(call.config.nType, MD_CONTACT);
    QCOMPARE(call.config.nMode, int(RECOVER_TO_PC));
    QCOMPARE(call.config.nOption, 7);
    QCOMPARE(call.config.pDevice, nullptr);
    QCOMPARE(call.indexes(), (QVector<int>{0, 2}));
    const QString path = QString::fromUtf8(call.path());
    QVERIFY2(path.startsWith(out.path()) && path.contains("Anna"), qPrintable(path));
    QCOMPARE(s.page.m_outputPath, path);
    QCOMPARE(s.items[1]->dropMark(), true);
    QCOMPARE(s.items[0]->dropMark(), false);

    QVERIFY(s.page.m_pProgressDialog->isVisible());
    QVERIFY(call.task->waitFinished(kTimeout));
    QTRY_VERIFY(!s.page.m_pProgressDialog->isVisible());
    QTRY_COMPARE(m_urls.urls, QList<QUrl>{QUrl::fromLocalFile(path)});
    QCOMPARE(s.host.recoverResults().size(), 1);
    QCOMPARE(s.host.recoverResults().first().ok, 1);
    QCOMPARE(s.host.recoverResults().first().mode, int(RECOVER_TO_PC));
    QVERIFY(log.messages().contains("Export Contacts complete"));
    // No message for a recovery to the computer.
    QCOMPARE(s.answerer.answeredCount(), 1);
}

void TestRecoveryWorkflow::toComputerStartsNothing_data()
{
    QTest::addColumn<int>("situation");
    QTest::addColumn<int>("dialogs");
    QTest::newRow("nothing ticked") << 0 << 1;
    QTest::newRow("folder dialog cancelled") << 1 << 1;
    QTest::newRow("refused by the page") << 2 << 0;
}

void TestRecoveryWorkflow::toComputerStartsNothing()
{
    QFETCH(int, situation);
    QFETCH(int, dialogs);
    Scanned s(MD_CONTACT, 2);
    if (situation == 0)
        s.page.store()->SetCheckAllState(Qt::Unchecked);
    s.page.recoverBefore = situation != 2;
    if (dialogs > 0)
        s.answerer.answer(situation == 1 ? Answer::pressButton(QStringLiteral("btnCancel"))
                                         : recoverInto());
    // The bar refuses before the page is asked; the page itself starts nothing either.
    QMetaObject::invokeMethod(&s.page, "slotExportToPC");
    QCOMPARE(s.answerer.answeredCount(), dialogs);
    QCOMPARE(s.page.m_pFolderDialog != nullptr, dialogs > 0);
    QCOMPARE(s.source.startCount(FakeDataSource::Export), 0);
    QCOMPARE(s.host.outputDirsSet().size(), situation == 0 ? 1 : 0);
    QVERIFY(s.host.recoverResults().isEmpty());
}

void TestRecoveryWorkflow::toComputerWeChat_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("account");
    QTest::addColumn<bool>("marksDrops");
    QTest::newRow("contacts default account") << int(MD_WECHAT_CONTACT) << -1 << false;
    QTest::newRow("contacts chosen account") << int(MD_WECHAT_CONTACT) << 2 << false;
    QTest::newRow("messages") << int(MD_WECHAT_MESSAGE) << 1 << true;
    QTest::newRow("attachments") << int(MD_WECHAT_ATTACHMENT) << 0 << true;
}

void TestRecoveryWorkflow::toComputerWeChat()
{
    QFETCH(int, type);
    QFETCH(int, account);
    QFETCH(bool, marksDrops);
    Scanned s(static_cast<MDType>(type), 2);
    s.page.weChatIndex = account;
    // Nothing ticked: the account index is exported all the same.
    s.page.store()->SetCheckAllState(Qt::Unchecked);
    for (FakeItem* item : s.items)
        item->SetDropMark(false);
    s.answerer.answer(recoverInto());
    QMetaObject::invokeMethod(&s.page, "slotExportToPC");
    const FakeDataSource::StartCall call = s.source.lastStart(FakeDataSource::Export);
    QCOMPARE(s.source.startCount(FakeDataSource::Export), 1);
    QCOMPARE(call.indexes(), QVector<int>{account});
    QCOMPARE(s.items[0]->dropMark(), marksDrops);
    QVERIFY(call.task->waitFinished(kTimeout));
}

void TestRecoveryWorkflow::secondRecoveryNewFolderDialogSameProgress()
{
    Scanned s(MD_NOTE, 1);
    FakeTaskScript exportScript;
    exportScript.report(TASK_COMPLETE, 100, nullptr);
    s.source.setExportScript(exportScript);
    s.answerer.answer(recoverInto());
    QMetaObject::invokeMethod(&s.page, "slotExportToPC");
    QPointer<SetRecoveryFolderDialog> first(s.page.m_pFolderDialog);
    RecoverProgressDialog* progress = s.page.m_pProgressDialog;
    QVERIFY(first && progress);
    QVERIFY(s.source.lastTask()->waitFinished(kTimeout));
    // The end report hides the progress dialog before the user can press again.
    QTRY_VERIFY(!progress->isVisible());
    s.answerer.answer(recoverInto());
    QMetaObject::invokeMethod(&s.page, "slotExportToPC");
    QVERIFY(first.isNull());
    QVERIFY(s.page.m_pFolderDialog);
    QCOMPARE(s.page.m_pProgressDialog, progress);
    QCOMPARE(s.source.startCount(FakeDataSource::Export), 2);
    QVERIFY(s.source.lastTask()->waitFinished(kTimeout));
}

void TestRecoveryWorkflow::toScannedDevice()
{
    Scanned s(MD_MESSAGE, 3);
    s.page.store()->SetChecked(0, Qt::Unchecked);
    s.toDevice(&s.device);
    QCOMPARE(s.page.m_recoverMode, int(RECOVER_SAME_DEVICE));
    QCOMPARE(s.page.recoverBeforeTargets, QVector<IDevice*>{&s.device});
    QCOMPARE(s.source.startCount(FakeDataSource::Export), 0);
    const FakeDataSource::StartCall call = s.source.lastStart(FakeDataSource::Import);
    QCOMPARE(int(call.config.nType), -1);
    QCOMPARE(call.config.nMode, int(RECOVER_SAME_DEVICE));
    QCOMPARE(call.config.nOption, 0);
    QCOMPARE(call.config.pDevice, static_cast<IDevice*>(&s.device));
    QCOMPARE(call.path(), QByteArray());
    QCOMPARE(call.indexes(), (QVector<int>{1, 2}));
    QVERIFY(s.page.m_pProgressDialog->isVisible());
    QVERIFY(call.task->waitFinished(kTimeout));
}

void TestRecoveryWorkflow::toOtherDevice()
{
    Scanned s(MD_MESSAGE, 2);
    FakeDevice other("Other");
    s.host.setDevices({&other});
    s.page.UpdateRecoverState();
    QTest::mouseClick(s.page.button("btnRecoverToDevice"), Qt::LeftButton);
    QCOMPARE(s.page.m_recoverMode, int(RECOVER_TO_OTHER_DEVICE));
    const FakeDataSource::StartCall call = s.source.lastStart(FakeDataSource::Export);
    QCOMPARE(s.source.startCount(FakeDataSource::Import), 0);
    QCOMPARE(call.config.nType, MD_MESSAGE);
    QCOMPARE(call.config.nMode, int(RECOVER_TO_OTHER_DEVICE));
    QCOMPARE(call.config.pDevice, static_cast<IDevice*>(&other));
    QCOMPARE(call.indexes(), (QVector<int>{0, 1}));
    // The empty export script ends the task; its end is not an end report.
    QVERIFY(call.task->waitFinished(kTimeout));
    // Nothing ticked: nothing starts.
    s.page.store()->SetCheckAllState(Qt::Unchecked);
    s.toDevice(&other);
    QCOMPARE(s.source.startCount(FakeDataSource::Export), 1);
    QVERIFY(s.host.recoverResults().isEmpty());
}

void TestRecoveryWorkflow::recoveryDoesNotStart()
{
    Scanned s(MD_CONTACT, 1);
    s.source.setStartFails(FakeDataSource::Export, true);
    s.source.setStartFails(FakeDataSource::Import, true);
    s.answerer.answer(recoverInto());
    QMetaObject::invokeMethod(&s.page, "slotExportToPC");
    QCOMPARE(s.answerer.answeredCount(), 1);
    QCOMPARE(s.page.m_pProgressDialog, nullptr);

    s.answerer.answer(Answer::ok());
    s.toDevice(&s.device);
    QCOMPARE(s.answerer.answeredCount(), 2);
    const ModalDialogAnswerer::Seen seen = s.answerer.last();
    QCOMPARE(seen.messageType, 0);
    QCOMPARE(seen.messageText, QString("Recovery failed! Please try again!"));
    QVERIFY(seen.cancelButtonHidden);
    QCOMPARE(seen.okButtonText, QString("OK"));
    QCOMPARE(s.page.m_pProgressDialog, nullptr);
    const QVector<FakeHost::RecoverResult> results = s.host.recoverResults();
    QCOMPARE(results.size(), 2);
    QCOMPARE(results[0].mode, int(RECOVER_TO_PC));
    QCOMPARE(results[1].mode, int(RECOVER_SAME_DEVICE));
    QCOMPARE(results[0].ok + results[1].ok, 0);
}

void TestRecoveryWorkflow::completedToDevice()
{
    Scanned s(MD_NOTE, 2);
    FakeTaskScript importScript;
    importScript.report(TASK_COMPLETE, 100, nullptr);
    s.source.setImportScript(importScript);
    s.answerer.answer(Answer::ok());
    s.toDevice(&s.device);
    QVERIFY(s.source.lastTask()->waitFinished(kTimeout));
    QVERIFY(s.answerer.waitAnswered(1, kTimeout));
    const ModalDialogAnswerer::Seen seen = s.answerer.last();
    QCOMPARE(seen.messageType, 1);
    QCOMPARE(
        seen.messageText,
        QString("Recovery completed!<br> Please check your iOS device for the recovered data."));
    QVERIFY(seen.cancelButtonHidden);
    QVERIFY(!s.page.m_pProgressDialog->isVisible());
    QCOMPARE(s.host.recoverResults().first().ok, 1);
    QVERIFY(m_urls.urls.isEmpty());
}

void TestRecoveryWorkflow::endedWithFailure_data()
{
    QTest::addColumn<int>("status");
    QTest::newRow("error") << int(TASK_ERROR);
    QTest::newRow("stopped") << int(TASK_STOP);
}

void TestRecoveryWorkflow::endedWithFailure()
{
    QFETCH(int, status);
    Log4Qt::ListAppender log(QStringLiteral("TestPage"));
    Scanned s(MD_CALENDAR, 2);
    FakeDevice other("Other");
    FakeTaskScript exportScript;
    exportScript.report(TASK_PERCENT, 30, nullptr);
    exportScript.report(status, 30, nullptr);
    s.source.setExportScript(exportScript);
    s.answerer.answer(Answer::ok());
    s.toDevice(&other);
    QVERIFY(s.source.lastTask()->waitFinished(kTimeout));
    QVERIFY(s.answerer.waitAnswered(1, kTimeout));
    const ModalDialogAnswerer::Seen seen = s.answerer.last();
    QCOMPARE(seen.messageType, 3);
    QCOMPARE(seen.messageText, QString("Recovery failed! Please try again!"));
    QCOMPARE(s.host.recoverResults().size(), 1);
    QCOMPARE(s.host.recoverResults().first().mode, int(RECOVER_TO_OTHER_DEVICE));
    QCOMPARE(s.host.recoverResults().first().ok, 0);
    QCOMPARE(s.host.operationFailures(), QVector<int>{MD_CALENDAR});
    QVERIFY(log.messages().contains("Export Calendar error"));
    QVERIFY(!s.page.m_pProgressDialog->isVisible());
}

QTEST_MAIN(TestRecoveryWorkflow)
#include "tst_recoveryworkflow.moc"
