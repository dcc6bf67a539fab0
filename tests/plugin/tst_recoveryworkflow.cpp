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
    void recovery_data();
    void recovery();
    void startsNothing_data();
    void startsNothing();
    void toComputerWeChat_data();
    void toComputerWeChat();
    void secondRecoveryNewFolderDialogSameProgress();
    void recoveryDoesNotStart();

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

void TestRecoveryWorkflow::recovery_data()
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

void TestRecoveryWorkflow::recovery()
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
    s.source.setExportScript(script);
    s.source.setImportScript(script);
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
    QCOMPARE(s.host.outputDirsSet(), target == 0 ? QStringList{out.path()} : QStringList());
    if (target == 0)
        QVERIFY2(path.startsWith(out.path()) && path.contains("Anna"), qPrintable(path));

    QVERIFY(s.page.m_pProgressDialog->isVisible());
    QVERIFY(call.task->waitFinished(kTimeout));
    QTRY_VERIFY(!s.page.m_pProgressDialog->isVisible());
    QVERIFY(
        s.answerer.waitAnswered(s.answerer.answeredCount() + s.answerer.pendingCount(), kTimeout));
    QVERIFY(s.answerer.errors().isEmpty());
    if (ok && target == 0) {
        QCOMPARE(m_urls.urls, QList<QUrl>{QUrl::fromLocalFile(path)});
    } else {
        const ModalDialogAnswerer::Seen seen = s.answerer.last();
        QCOMPARE(seen.messageType, ok ? 1 : 3);
        QCOMPARE(seen.messageText, ok ? QString("Recovery completed!<br> Please check your iOS "
                                                "device for the recovered data.")
                                      : QString("Recovery failed! Please try again!"));
        QVERIFY(seen.cancelButtonHidden);
        QVERIFY(m_urls.urls.isEmpty());
    }
    QCOMPARE(s.host.recoverResults().size(), 1);
    QCOMPARE(s.host.recoverResults().first().mode, mode);
    QCOMPARE(s.host.recoverResults().first().ok, int(ok));
    QCOMPARE(s.host.operationFailures(), ok ? QVector<int>() : QVector<int>{MD_CONTACT});
    QVERIFY(log.messages().contains(ok ? "Export Contacts complete" : "Export Contacts error"));
}

void TestRecoveryWorkflow::startsNothing_data()
{
    QTest::addColumn<int>("situation");
    QTest::addColumn<int>("dialogs");
    QTest::newRow("nothing ticked") << 0 << 1;
    QTest::newRow("folder dialog cancelled") << 1 << 1;
    QTest::newRow("refused by the page") << 2 << 0;
    QTest::newRow("to device, nothing ticked") << 3 << 0;
}

void TestRecoveryWorkflow::startsNothing()
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
        QMetaObject::invokeMethod(&s.page, "slotExportToPC");
    QCOMPARE(s.answerer.answeredCount(), dialogs);
    QCOMPARE(s.page.m_pFolderDialog != nullptr, dialogs > 0);
    QCOMPARE(s.source.startCount(FakeDataSource::Export), 0);
    QCOMPARE(s.source.startCount(FakeDataSource::Import), 0);
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

QTEST_MAIN(TestRecoveryWorkflow)
#include "tst_recoveryworkflow.moc"
