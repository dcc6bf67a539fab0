// Recovery of the ticked items: to a folder on the computer through the
// folder dialog, back to the scanned device, to another device; the
// configurations the engine gets, the progress dialog, the end reports and
// what the user and the host are told.

#include "testpage.h"

#include "fakeitem.h"
#include "modaldialoganswerer.h"

#include "dialogs/recoverprogressdialog.h"
#include "dialogs/setrecoveryfolderdialog.h"
#include "log4qt/listappender.h"

#include <QDesktopServices>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QUrl>

using namespace MMobile;
using Answer = ModalDialogAnswerer::Answer;

namespace {

const int kTimeout = 10000;

// Stands in for the desktop's file browser.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

// A page whose scan has ended with `count` items, all ticked unless `ticked` says otherwise.
struct Scanned
{
    Scanned(MDType type, int count, const char* deviceName = "Anna's iPhone")
        : world(type, deviceName), page(&world.host, type)
    {
        FakeGetter* getter = world.source.dataGetter();
        for (int i = 0; i < count; ++i)
            items.prepend(prependItem(getter, true));
        FakeTaskScript script;
        script.report(TASK_COMPLETE, 100, "0");
        world.source.setScanScript(script);
        page.show();
        scanned = page.Load(&world.device, nullptr) != nullptr &&
                  world.source.lastTask()->waitFinished(kTimeout);
        QTest::qWait(0);
    }

    void pressButton(const char* name)
    {
        auto* button = page.findChild<QPushButton*>(QLatin1String(name));
        QVERIFY(button);
        QVERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
    }

    PageWorld world;
    TestPage page;
    QVector<FakeItem*> items;
    bool scanned = false;
};

// The folder dialog's Recover button, after typing `folder` into its field.
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
    void toComputerNothingTicked();
    void toComputerFolderCancelled();
    void toComputerRefusedByPage();
    void toComputerWeChat_data();
    void toComputerWeChat();
    void secondRecoveryNewFolderDialogSameProgress();
    void toScannedDevice();
    void toOtherDevice();
    void exportDoesNotStart();
    void importDoesNotStart();
    void completedToDevice();
    void endedWithFailure_data();
    void endedWithFailure();
    void exportWithoutLoad();

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
    s.world.source.setExportScript(exportScript);

    QTemporaryDir out;
    s.world.host.setOutputDir(out.path());
    ModalDialogAnswerer answerer;
    answerer.ignore(QStringLiteral("RecoverProgressDialog"));
    answerer.answer(recoverInto());
    s.pressButton("btnRecoverToPC");
    QVERIFY(answerer.waitAnswered(1, kTimeout));
    QVERIFY(answerer.errors().isEmpty());

    QCOMPARE(s.page.m_recoverMode, int(RECOVER_TO_PC));
    QCOMPARE(s.page.recoverBeforeTargets, QVector<IDevice*>{nullptr});
    QCOMPARE(s.world.host.outputDirsSet(), QStringList{out.path()});
    const FakeDataSource::StartCall call = s.world.source.lastStart(FakeDataSource::Export);
    QCOMPARE(call.config.nType, MD_CONTACT);
    QCOMPARE(call.config.nMode, int(RECOVER_TO_PC));
    QCOMPARE(call.config.nOption, 7);
    QCOMPARE(call.config.pDevice, nullptr);
    QCOMPARE(call.indexes(), (QVector<int>{0, 2}));
    const QString path = QString::fromUtf8(call.path());
    QVERIFY2(path.startsWith(out.path()), qPrintable(path));
    QVERIFY2(path.contains("Anna"), qPrintable(path));
    QCOMPARE(s.page.m_outputPath, path);
    QCOMPARE(s.items[1]->dropMark(), true);
    QCOMPARE(s.items[0]->dropMark(), false);

    QVERIFY(s.page.m_pProgressDialog);
    QVERIFY(s.page.m_pProgressDialog->isVisible());
    QVERIFY(call.task->waitFinished(kTimeout));
    QTRY_VERIFY(!s.page.m_pProgressDialog->isVisible());
    QTRY_COMPARE(m_urls.urls.size(), 1);
    QCOMPARE(m_urls.urls.first(), QUrl::fromLocalFile(path));
    QCOMPARE(s.world.host.recoverResults().size(), 1);
    QCOMPARE(s.world.host.recoverResults().first().ok, 1);
    QCOMPARE(s.world.host.recoverResults().first().mode, int(RECOVER_TO_PC));
    QVERIFY(log.messages().contains("Export Contacts complete"));
    // No message for a recovery to the computer.
    QCOMPARE(answerer.answeredCount(), 1);
}

void TestRecoveryWorkflow::toComputerNothingTicked()
{
    Scanned s(MD_CONTACT, 2);
    s.page.store()->SetCheckAllState(Qt::Unchecked);
    // The bar refuses before the page is asked; the page itself starts nothing either.
    ModalDialogAnswerer answerer;
    answerer.ignore(QStringLiteral("RecoverProgressDialog"));
    answerer.answer(recoverInto());
    QMetaObject::invokeMethod(&s.page, "slotExportToPC");
    QCOMPARE(answerer.answeredCount(), 1);
    QCOMPARE(s.world.source.startCount(FakeDataSource::Export), 0);
    QVERIFY(s.world.host.recoverResults().isEmpty());
}

void TestRecoveryWorkflow::toComputerFolderCancelled()
{
    Scanned s(MD_CONTACT, 2);
    ModalDialogAnswerer answerer;
    answerer.ignore(QStringLiteral("RecoverProgressDialog"));
    answerer.answer(Answer::pressButton(QStringLiteral("btnCancel")));
    s.pressButton("btnRecoverToPC");
    QVERIFY(answerer.waitAnswered(1, kTimeout));
    QCOMPARE(s.world.source.startCount(FakeDataSource::Export), 0);
    QVERIFY(s.world.host.outputDirsSet().isEmpty());
    QVERIFY(s.world.host.recoverResults().isEmpty());
}

void TestRecoveryWorkflow::toComputerRefusedByPage()
{
    Scanned s(MD_CONTACT, 2);
    s.page.recoverBefore = false;
    ModalDialogAnswerer answerer;
    answerer.ignore(QStringLiteral("RecoverProgressDialog"));
    s.pressButton("btnRecoverToPC");
    QCoreApplication::processEvents();
    QCOMPARE(answerer.answeredCount(), 0);
    QCOMPARE(s.page.m_pFolderDialog, nullptr);
    QCOMPARE(s.world.source.startCount(FakeDataSource::Export), 0);
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
    ModalDialogAnswerer answerer;
    answerer.ignore(QStringLiteral("RecoverProgressDialog"));
    answerer.answer(recoverInto());
    QMetaObject::invokeMethod(&s.page, "slotExportToPC");
    const FakeDataSource::StartCall call = s.world.source.lastStart(FakeDataSource::Export);
    QCOMPARE(s.world.source.startCount(FakeDataSource::Export), 1);
    QCOMPARE(call.indexes(), QVector<int>{account});
    QCOMPARE(s.items[0]->dropMark(), marksDrops);
    QVERIFY(call.task->waitFinished(kTimeout));
}

void TestRecoveryWorkflow::secondRecoveryNewFolderDialogSameProgress()
{
    Scanned s(MD_NOTE, 1);
    FakeTaskScript exportScript;
    exportScript.report(TASK_COMPLETE, 100, nullptr);
    s.world.source.setExportScript(exportScript);
    ModalDialogAnswerer answerer;
    answerer.ignore(QStringLiteral("RecoverProgressDialog"));
    answerer.answer(recoverInto());
    QMetaObject::invokeMethod(&s.page, "slotExportToPC");
    QPointer<SetRecoveryFolderDialog> first(s.page.m_pFolderDialog);
    RecoverProgressDialog* progress = s.page.m_pProgressDialog;
    QVERIFY(first && progress);
    QVERIFY(s.world.source.lastTask()->waitFinished(kTimeout));
    // The end report hides the progress dialog before the user can press again.
    QTRY_VERIFY(!progress->isVisible());
    answerer.answer(recoverInto());
    QMetaObject::invokeMethod(&s.page, "slotExportToPC");
    QVERIFY(first.isNull());
    QVERIFY(s.page.m_pFolderDialog);
    QCOMPARE(s.page.m_pProgressDialog, progress);
    QCOMPARE(s.world.source.startCount(FakeDataSource::Export), 2);
    QVERIFY(s.world.source.lastTask()->waitFinished(kTimeout));
}

void TestRecoveryWorkflow::toScannedDevice()
{
    Scanned s(MD_MESSAGE, 3);
    s.page.store()->SetChecked(0, Qt::Unchecked);
    QMetaObject::invokeMethod(&s.page, "slotImportToDevice", Q_ARG(IDevice*, &s.world.device));
    QCOMPARE(s.page.m_recoverMode, int(RECOVER_SAME_DEVICE));
    QCOMPARE(s.page.recoverBeforeTargets, QVector<IDevice*>{&s.world.device});
    QCOMPARE(s.world.source.startCount(FakeDataSource::Export), 0);
    const FakeDataSource::StartCall call = s.world.source.lastStart(FakeDataSource::Import);
    QCOMPARE(int(call.config.nType), -1);
    QCOMPARE(call.config.nMode, int(RECOVER_SAME_DEVICE));
    QCOMPARE(call.config.nOption, 0);
    QCOMPARE(call.config.pDevice, static_cast<IDevice*>(&s.world.device));
    QCOMPARE(call.path(), QByteArray());
    QCOMPARE(call.indexes(), (QVector<int>{1, 2}));
    QVERIFY(s.page.m_pProgressDialog && s.page.m_pProgressDialog->isVisible());
    QVERIFY(call.task->waitFinished(kTimeout));
}

void TestRecoveryWorkflow::toOtherDevice()
{
    Scanned s(MD_MESSAGE, 2);
    FakeDevice other("Other");
    s.world.host.setDevices({&other});
    s.page.UpdateRecoverState();
    ModalDialogAnswerer answerer;
    answerer.ignore(QStringLiteral("RecoverProgressDialog"));
    answerer.answer(Answer::ok());
    s.pressButton("btnRecoverToDevice");
    QCOMPARE(s.page.m_recoverMode, int(RECOVER_TO_OTHER_DEVICE));
    const FakeDataSource::StartCall call = s.world.source.lastStart(FakeDataSource::Export);
    QCOMPARE(s.world.source.startCount(FakeDataSource::Import), 0);
    QCOMPARE(call.config.nType, MD_MESSAGE);
    QCOMPARE(call.config.nMode, int(RECOVER_TO_OTHER_DEVICE));
    QCOMPARE(call.config.pDevice, static_cast<IDevice*>(&other));
    QCOMPARE(call.indexes(), (QVector<int>{0, 1}));
    // The empty export script ends the task; its end is not an end report.
    QVERIFY(call.task->waitFinished(kTimeout));

    // Nothing ticked: nothing starts.
    s.page.store()->SetCheckAllState(Qt::Unchecked);
    QMetaObject::invokeMethod(&s.page, "slotImportToDevice", Q_ARG(IDevice*, &other));
    QCOMPARE(s.world.source.startCount(FakeDataSource::Export), 1);
}

void TestRecoveryWorkflow::exportDoesNotStart()
{
    Scanned s(MD_CONTACT, 1);
    s.world.source.setStartFails(FakeDataSource::Export, true);
    ModalDialogAnswerer answerer;
    answerer.ignore(QStringLiteral("RecoverProgressDialog"));
    answerer.answer(recoverInto());
    QMetaObject::invokeMethod(&s.page, "slotExportToPC");
    QCOMPARE(answerer.answeredCount(), 1);
    QCOMPARE(s.world.host.recoverResults().size(), 1);
    QCOMPARE(s.world.host.recoverResults().first().ok, 0);
    QCOMPARE(s.world.host.recoverResults().first().mode, int(RECOVER_TO_PC));
    QCOMPARE(s.page.m_pProgressDialog, nullptr);
}

void TestRecoveryWorkflow::importDoesNotStart()
{
    Scanned s(MD_CONTACT, 1);
    s.world.source.setStartFails(FakeDataSource::Import, true);
    ModalDialogAnswerer answerer;
    answerer.ignore(QStringLiteral("RecoverProgressDialog"));
    answerer.answer(Answer::ok());
    QMetaObject::invokeMethod(&s.page, "slotImportToDevice", Q_ARG(IDevice*, &s.world.device));
    QCOMPARE(answerer.answeredCount(), 1);
    const ModalDialogAnswerer::Seen seen = answerer.last();
    QCOMPARE(seen.messageType, 0);
    QCOMPARE(seen.messageText, QString("Recovery failed! Please try again!"));
    QVERIFY(seen.cancelButtonHidden);
    QCOMPARE(seen.okButtonText, QString("OK"));
    QCOMPARE(s.world.host.recoverResults().first().mode, int(RECOVER_SAME_DEVICE));
    QCOMPARE(s.world.host.recoverResults().first().ok, 0);
}

void TestRecoveryWorkflow::completedToDevice()
{
    Scanned s(MD_NOTE, 2);
    FakeTaskScript importScript;
    importScript.report(TASK_COMPLETE, 100, nullptr);
    s.world.source.setImportScript(importScript);
    ModalDialogAnswerer answerer;
    answerer.ignore(QStringLiteral("RecoverProgressDialog"));
    answerer.answer(Answer::ok());
    QMetaObject::invokeMethod(&s.page, "slotImportToDevice", Q_ARG(IDevice*, &s.world.device));
    QVERIFY(s.world.source.lastTask()->waitFinished(kTimeout));
    QVERIFY(answerer.waitAnswered(1, kTimeout));
    const ModalDialogAnswerer::Seen seen = answerer.last();
    QCOMPARE(seen.messageType, 1);
    QCOMPARE(
        seen.messageText,
        QString("Recovery completed!<br> Please check your iOS device for the recovered data."));
    QVERIFY(seen.cancelButtonHidden);
    QVERIFY(!s.page.m_pProgressDialog->isVisible());
    QCOMPARE(s.world.host.recoverResults().first().ok, 1);
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
    s.world.source.setExportScript(exportScript);
    ModalDialogAnswerer answerer;
    answerer.ignore(QStringLiteral("RecoverProgressDialog"));
    answerer.answer(Answer::ok());
    QMetaObject::invokeMethod(&s.page, "slotImportToDevice", Q_ARG(IDevice*, &other));
    QVERIFY(s.world.source.lastTask()->waitFinished(kTimeout));
    QVERIFY(answerer.waitAnswered(1, kTimeout));
    const ModalDialogAnswerer::Seen seen = answerer.last();
    QCOMPARE(seen.messageType, 3);
    QCOMPARE(seen.messageText, QString("Recovery failed! Please try again!"));
    QCOMPARE(s.world.host.recoverResults().size(), 1);
    QCOMPARE(s.world.host.recoverResults().first().mode, int(RECOVER_TO_OTHER_DEVICE));
    QCOMPARE(s.world.host.recoverResults().first().ok, 0);
    QCOMPARE(s.world.host.operationFailures(), QVector<int>{MD_CALENDAR});
    QVERIFY(log.messages().contains("Export Calendar error"));
    QVERIFY(!s.page.m_pProgressDialog->isVisible());
}

void TestRecoveryWorkflow::exportWithoutLoad()
{
    PageWorld world(MD_CONTACT);
    TestPage page(&world.host, MD_CONTACT);
    FakeDevice other("Other");
    QMetaObject::invokeMethod(&page, "slotImportToDevice", Q_ARG(IDevice*, &other));
    // No store, nothing selected: nothing is started or told.
    QVERIFY(world.host.recoverResults().isEmpty());
}

QTEST_MAIN(TestRecoveryWorkflow)
#include "tst_recoveryworkflow.moc"
