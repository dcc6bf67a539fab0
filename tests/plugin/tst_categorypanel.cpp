// The page object and its host interface: construction, Load, the plain host
// operations, closing, the skin and the selection summary.

#include "testpage.h"

#include "fakeitem.h"

#include "dialogs/recoverbuttonbar.h"
#include "dialogs/recoverprogressdialog.h"
#include "gifprogresswidget.h"
#include "log4qt/logger.h"
#include "mystatusbar.h"
#include "plugin/scanprogresswidget.h"

#include <QDir>

#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace MMobile;

namespace {

const int kTimeout = 10000;

FakeTaskScript completeScan()
{
    FakeTaskScript script;
    script.report(TASK_BEGIN, 0, "1");
    script.report(TASK_COMPLETE, 100, "0");
    return script;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The host's own callback of a silent export.
bool hostCallback(void*, MDType, int, int, const char*)
{
    return true;
}

QPushButton* button(QWidget* page, const char* name)
{
    return page->findChild<QPushButton*>(QLatin1String(name));
}

} // namespace

class TestCategoryPanel : public QObject
{
    Q_OBJECT

private slots:
    void construction();
    void castByClassName();
    void loadWithoutDataSource();
    void loadWhenScanDoesNotStart();
    void loadStartsScan();
    void loadAgainAfterCompleteScan();
    void loadAgainAfterFailedScan();
    void isLoad_data();
    void isLoad();
    void writeParam_data();
    void writeParam();
    void hostIsToldOnceOfClosing();
    void closingWaitsForRunningTask();
    void closingAfterEndClosesAtOnce();
    void skinPlaceholdersAndF8();
    void selectionSummary_data();
    void selectionSummary();
    void getDataCountSelectsAll();
    void exportSilentExportsEverything();
    void exportSilentWithoutStore();
    void updateRecoverStateRefreshesTarget();
    void pageLayoutDuringAndAfterScan();
};

void TestCategoryPanel::construction()
{
    PageWorld world(MD_CONTACT);
    QWidget parent;
    world.host.setParentWidget(&parent);
    TestPage page(&world.host, MD_CONTACT);

    QCOMPARE(page.parentWidget(), &parent);
    QVERIFY(page.isModal());
    QCOMPARE(page.windowTitle(), QString("Contacts"));
    QCOMPARE(int(page.m_status), int(TASK_STOP));
    QCOMPARE(page.store(), nullptr);
    QCOMPARE(page.logger()->name(), QString("TestPage"));
    QVERIFY(page.findChild<ScanProgressWidget*>());
    auto* bar = page.findChild<RecoverButtonBar*>();
    QVERIFY(bar);
    QCOMPARE(bar->parentWidget(), page.getStatusBar());
    QVERIFY(QMetaType::type("TASK_CTRL_STATUS") != QMetaType::UnknownType);
    QVERIFY(QMetaType::type("IMDGetter*") != QMetaType::UnknownType);

    TestPage withoutDeviceButton(&world.host, MD_CONTACT, false);
    QVERIFY(button(&withoutDeviceButton, "btnRecoverToDevice")->isHidden());
    QVERIFY(!button(&page, "btnRecoverToDevice")->isHidden());
}

void TestCategoryPanel::castByClassName()
{
    PageWorld world(MD_NOTE);
    TestPage page(&world.host, MD_NOTE);
    QCOMPARE(page.qt_metacast("CategoryPanel"), static_cast<void*>(&page));
    QCOMPARE(page.qt_metacast("IUIDataPlugin"),
             static_cast<void*>(static_cast<IUIDataPlugin*>(&page)));
    QCOMPARE(page.qt_metacast("MyWidget"), static_cast<void*>(static_cast<MyWidget*>(&page)));
    QCOMPARE(page.qt_metacast("NoSuchClass"), nullptr);
}

void TestCategoryPanel::loadWithoutDataSource()
{
    PageWorld world(MD_CONTACT);
    world.device.setDataSource(MD_CONTACT, nullptr);
    TestPage page(&world.host, MD_CONTACT);
    QCOMPARE(page.Load(&world.device, nullptr), nullptr);
    QVERIFY(page.store());
    QCOMPARE(page.store()->GetDataCountEx(), 0u);
    QCOMPARE(world.source.startCount(FakeDataSource::Scan), 0);
    QCOMPARE(page.Load(nullptr, nullptr), nullptr);
}

void TestCategoryPanel::loadWhenScanDoesNotStart()
{
    PageWorld world(MD_CONTACT);
    world.source.setStartFails(FakeDataSource::Scan, true);
    TestPage page(&world.host, MD_CONTACT);
    QCOMPARE(page.Load(&world.device, nullptr), nullptr);
    QCOMPARE(world.source.startCount(FakeDataSource::Scan), 1);
    // It can be loaded again.
    world.source.setStartFails(FakeDataSource::Scan, false);
    world.source.setScanScript(completeScan());
    QCOMPARE(page.Load(&world.device, nullptr), &page);
    QVERIFY(world.source.lastTask()->waitFinished(kTimeout));
}

void TestCategoryPanel::loadStartsScan()
{
    PageWorld world(MD_MESSAGE);
    FakeTaskScript script;
    script.report(TASK_BEGIN, 0, "1").held();
    world.source.setScanScript(script);
    TestPage page(&world.host, MD_MESSAGE);
    page.show();

    QCOMPARE(page.Load(&world.device, nullptr), &page);
    const FakeDataSource::StartCall call = world.source.lastStart(FakeDataSource::Scan);
    QCOMPARE(call.mode, 1);
    QCOMPARE(call.context, static_cast<void*>(&page));
    QVERIFY(call.task->isStarted());
    QCOMPARE(world.device.dataSourceRequests(), QVector<int>{MD_MESSAGE});
    QVERIFY(!button(&page, "btnRecoverToPC")->isEnabled());
    QVERIFY(!button(&page, "btnRecoverToDevice")->isEnabled());
    QVERIFY(button(&page, "btnClose")->isEnabled());
    QCOMPARE(page.getStatusBar()->leftLable(), QString("You select 0 item(s) in 0 item(s)"));

    QVERIFY(call.task->waitHeld(kTimeout) >= 0);
    call.task->release();
    QVERIFY(call.task->waitFinished(kTimeout));
}

void TestCategoryPanel::loadAgainAfterCompleteScan()
{
    PageWorld world(MD_CONTACT);
    // Outlives the page, which releases it.
    FakeDevice other("Other");
    FakeDataSource otherSource(MD_CONTACT);
    prependItem(world.source.dataGetter(), true);
    world.source.setScanScript(completeScan());
    TestPage page(&world.host, MD_CONTACT);
    QCOMPARE(page.Load(&world.device, &world.host), &page);
    QVERIFY(world.source.lastTask()->waitFinished(kTimeout));
    QTRY_COMPARE(page.store()->GetDataCountEx(), 1u);
    TaskItem* store = page.store();

    QCOMPARE(page.Load(&world.device, &world.host), &page);
    QCOMPARE(world.source.startCount(FakeDataSource::Scan), 1);
    QCOMPARE(page.store(), store);
    QCOMPARE(page.store()->GetDataCountEx(), 1u);

    // Another device rescans.
    otherSource.setScanScript(completeScan());
    other.setDataSource(MD_CONTACT, &otherSource);
    QCOMPARE(page.Load(&other, &world.host), &page);
    QCOMPARE(page.store()->GetDataCountEx(), 0u);
    QCOMPARE(otherSource.startCount(FakeDataSource::Scan), 1);
    QVERIFY(otherSource.lastTask()->waitFinished(kTimeout));
    page.close();
}

void TestCategoryPanel::loadAgainAfterFailedScan()
{
    PageWorld world(MD_CONTACT);
    FakeTaskScript script;
    script.report(TASK_ERROR, 50, "0");
    world.source.setScanScript(script);
    TestPage page(&world.host, MD_CONTACT);
    QVERIFY(page.Load(&world.device, &world.host));
    QVERIFY(world.source.lastTask()->waitFinished(kTimeout));
    QVERIFY(page.IsLoad(&world.device));
    QVERIFY(page.Load(&world.device, &world.host));
    QCOMPARE(world.source.startCount(FakeDataSource::Scan), 2);
    QVERIFY(world.source.lastTask()->waitFinished(kTimeout));
}

void TestCategoryPanel::isLoad_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("loaded");
    QTest::newRow("begun") << 0 << false;
    QTest::newRow("data") << 1 << false;
    QTest::newRow("running") << 2 << false;
    QTest::newRow("complete") << 3 << true;
    QTest::newRow("error") << 4 << true;
    QTest::newRow("stopped") << 5 << false;
}

void TestCategoryPanel::isLoad()
{
    QFETCH(int, status);
    QFETCH(bool, loaded);
    PageWorld world(MD_CALENDAR);
    FakeTaskScript script;
    script.report(status, 10, "0");
    script.report(TASK_STOP, 10, "0").held();
    world.source.setScanScript(script);
    TestPage page(&world.host, MD_CALENDAR);
    QCOMPARE(page.IsLoad(nullptr), false);
    QVERIFY(page.Load(&world.device, &world.host));
    FakeTask* task = world.source.lastTask();
    // The report of `status` has been made once the worker holds at the next step.
    QCOMPARE(task->waitHeld(kTimeout), 1);
    QCOMPARE(page.IsLoad(&world.device), loaded);
    task->release();
    QVERIFY(task->waitFinished(kTimeout));
}

void TestCategoryPanel::writeParam_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<bool>("keyNull");
    QTest::addColumn<bool>("valueNull");
    QTest::addColumn<bool>("stored");
    QTest::newRow("key and value") << QByteArray("FixLspParam") << false << false << true;
    QTest::newRow("null value") << QByteArray("FixLspParam") << false << true << false;
    QTest::newRow("null key") << QByteArray() << true << false << false;
    QTest::newRow("other case") << QByteArray("fixlspparam") << false << false << false;
    QTest::newRow("prefix") << QByteArray("FixLsp") << false << false << false;
    QTest::newRow("other key") << QByteArray("Skin") << false << false << false;
}

void TestCategoryPanel::writeParam()
{
    QFETCH(QByteArray, key);
    QFETCH(bool, keyNull);
    QFETCH(bool, valueNull);
    QFETCH(bool, stored);
    PageWorld world(MD_NOTE);
    TestPage page(&world.host, MD_NOTE);
    int value = 42;
    void* earlier = &world;
    QVERIFY(page.WriteParam("FixLspParam", earlier));
    QCOMPARE(page.WriteParam(keyNull ? nullptr : key.constData(), valueNull ? nullptr : &value),
             stored);
    QCOMPARE(page.m_pFixLspParam, stored ? static_cast<void*>(&value) : earlier);
}

void TestCategoryPanel::hostIsToldOnceOfClosing()
{
    PageWorld world(MD_NOTE);
    world.source.setScanScript(completeScan());
    TestPage page(&world.host, MD_NOTE);
    page.show();
    QTest::mouseClick(button(&page, "btnClose"), Qt::LeftButton);
    QVERIFY(!page.isVisible());
    page.ClosePlugin();
    QCOMPARE(world.host.pluginCloses(), QVector<int>{MD_NOTE});

    // A Load opens a new round: the next close tells the host again.
    QVERIFY(page.Load(&world.device, nullptr));
    QVERIFY(world.source.lastTask()->waitFinished(kTimeout));
    page.ClosePlugin();
    page.ClosePlugin();
    QCOMPARE(world.host.pluginCloses(), (QVector<int>{MD_NOTE, MD_NOTE}));
}

void TestCategoryPanel::closingWaitsForRunningTask()
{
    PageWorld world(MD_CONTACT);
    FakeTaskScript script;
    script.report(TASK_BEGIN, 0, "1");
    script.report(TASK_PERCENT, 10, "1").after(150);
    script.report(TASK_PERCENT, 20, "1").after(150);
    world.source.setScanScript(script);
    TestPage page(&world.host, MD_CONTACT);
    page.show();
    QVERIFY(page.Load(&world.device, nullptr));
    FakeTask* task = world.source.lastTask();
    QTRY_VERIFY(task->reportCount() >= 1);

    page.ClosePlugin();
    // Returned only once the task had ended: the next report answered false.
    QVERIFY(task->isFinished() || IsTaskEndStatus(task->GetStatus()));
    QVERIFY(task->stoppedByCallback());
    QVERIFY(!page.isVisible());
    QVERIFY(task->waitFinished(kTimeout));
}

void TestCategoryPanel::closingAfterEndClosesAtOnce()
{
    PageWorld world(MD_CONTACT);
    world.source.setScanScript(completeScan());
    TestPage page(&world.host, MD_CONTACT);
    page.show();
    // No task at all.
    page.ClosePlugin();
    QVERIFY(!page.isVisible());

    QVERIFY(page.Load(&world.device, nullptr));
    QVERIFY(world.source.lastTask()->waitFinished(kTimeout));
    QCOMPARE(int(page.m_status), int(TASK_COMPLETE));
    page.show();
    page.ClosePlugin();
    QVERIFY(!page.isVisible());
}

void TestCategoryPanel::skinPlaceholdersAndF8()
{
    PageWorld world(MD_CONTACT);
    QTemporaryDir skin;
    world.host.setSkinDir(MD_CONTACT, skin.path() + QLatin1Char('/'));
    const QString css = skin.filePath("skin.css");
    writeFile(css, "QWidget { background-image: url(%skinpath%/a.png); }\n"
                   "QLabel { border-image: url(%SkinPath%/b.png); }");
    TestPage page(&world.host, MD_CONTACT);
    const QString dir = QDir(skin.path()).absolutePath();
    QCOMPARE(page.styleSheet(), QString("QWidget { background-image: url(%1/a.png); }\n"
                                        "QLabel { border-image: url(%1/b.png); }")
                                    .arg(dir));

    writeFile(css, "QWidget { color: red; }");
    QTest::keyClick(&page, Qt::Key_A);
    QVERIFY(page.styleSheet().contains("background-image"));
    QTest::keyClick(&page, Qt::Key_F8);
    QCOMPARE(page.styleSheet(), QString("QWidget { color: red; }"));

    // Gone file: the sheet stays.
    QFile::remove(css);
    QTest::keyClick(&page, Qt::Key_F8);
    QCOMPARE(page.styleSheet(), QString("QWidget { color: red; }"));

    // Keys still reach the frame: Escape asks to close.
    page.show();
    QTest::keyClick(&page, Qt::Key_Escape);
    QCOMPARE(world.host.pluginCloses(), QVector<int>{MD_CONTACT});
}

void TestCategoryPanel::selectionSummary_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enabled");
    // The store holds 3 contacts, 1 deleted (so 1 ticked).
    QTest::newRow("store numbers")
        << 0 << 0 << int(Qt::PartiallyChecked) << "You select 1 item(s) in 3 item(s)" << true;
    QTest::newRow("all") << 5 << 5 << int(Qt::Checked) << "You select 5 item(s) in 5 item(s)"
                         << true;
    QTest::newRow("some") << 2 << 5 << int(Qt::PartiallyChecked)
                          << "You select 2 item(s) in 5 item(s)" << true;
    QTest::newRow("more than total")
        << 6 << 5 << int(Qt::Unchecked) << "You select 6 item(s) in 5 item(s)" << true;
    QTest::newRow("selected given, total from store")
        << 3 << 0 << int(Qt::Checked) << "You select 3 item(s) in 3 item(s)" << true;
}

void TestCategoryPanel::selectionSummary()
{
    QFETCH(int, selected);
    QFETCH(int, total);
    QFETCH(int, state);
    QFETCH(QString, text);
    QFETCH(bool, enabled);

    PageWorld world(MD_CONTACT);
    FakeGetter* getter = world.source.dataGetter();
    prependItem(getter, false);
    prependItem(getter, true);
    prependItem(getter, false);
    world.source.setScanScript(completeScan());
    TestPage page(&world.host, MD_CONTACT);
    QVERIFY(page.Load(&world.device, &world.host));
    QVERIFY(world.source.lastTask()->waitFinished(kTimeout));
    QTRY_COMPARE(page.store()->GetDataCountEx(), 3u);

    QCOMPARE(int(page.CheckSeletedItem(selected, total)), state);
    QCOMPARE(page.getStatusBar()->leftLable(), text);
    QCOMPARE(button(&page, "btnRecoverToPC")->isEnabled(), enabled);
}

void TestCategoryPanel::getDataCountSelectsAll()
{
    PageWorld world(MD_CONTACT);
    TestPage page(&world.host, MD_CONTACT);
    QCOMPARE(page.GetDataCount(), 0u);
    QCOMPARE(int(page.CheckSeletedItem(0, 0)), int(Qt::Unchecked));
    QCOMPARE(page.getStatusBar()->leftLable(), QString("You select 0 item(s) in 0 item(s)"));
    QVERIFY(!button(&page, "btnRecoverToPC")->isEnabled());

    FakeGetter* getter = world.source.dataGetter();
    FakeItem* a = prependItem(getter, false);
    FakeItem* b = prependItem(getter, false);
    a->SetDropMark(true);
    b->SetDropMark(true);
    world.source.setScanScript(completeScan());
    QVERIFY(page.Load(&world.device, &world.host));
    QVERIFY(world.source.lastTask()->waitFinished(kTimeout));
    QTRY_COMPARE(page.store()->GetDataCountEx(), 2u);
    page.store()->SetSearchMark(0, false);
    QCOMPARE(page.GetDataCount(), 2u);
    QVERIFY(!a->dropMark() && !b->dropMark());
}

void TestCategoryPanel::exportSilentExportsEverything()
{
    PageWorld world(MD_MESSAGE);
    FakeGetter* getter = world.source.dataGetter();
    for (int i = 0; i < 3; ++i)
        prependItem(getter, false);
    world.source.setScanScript(completeScan());
    TestPage page(&world.host, MD_MESSAGE);
    QVERIFY(page.Load(&world.device, &world.host));
    QVERIFY(world.source.lastTask()->waitFinished(kTimeout));
    QTRY_COMPARE(page.store()->GetDataCountEx(), 3u);
    page.store()->SetChecked(1, Qt::Unchecked);

    ImportExportConfigure config;
    config.nType = MD_MESSAGE;
    config.nMode = RECOVER_TO_PC;
    config.SetPath("/out/messages/");
    const int given[] = {9};
    config.SetIndexs(given, 1);
    int context = 0;
    ITaskCtrl* task = page.ExportSilent(&config, &hostCallback, &context);
    QVERIFY(task);
    const FakeDataSource::StartCall call = world.source.lastStart(FakeDataSource::Export);
    QCOMPARE(call.config.nOption, 7);
    QCOMPARE(call.config.nMode, int(RECOVER_TO_PC));
    QCOMPARE(call.path(), QByteArray("/out/messages/"));
    QCOMPARE(call.indexes(), (QVector<int>{0, 1, 2}));
    QCOMPARE(call.context, static_cast<void*>(&context));
    QCOMPARE(config.nIndexCount, 1); // the host's own configuration is left alone
    QVERIFY(static_cast<FakeTask*>(task)->waitFinished(kTimeout));
}

void TestCategoryPanel::exportSilentWithoutStore()
{
    PageWorld world(MD_MESSAGE);
    TestPage page(&world.host, MD_MESSAGE);
    ImportExportConfigure config;
    QCOMPARE(page.ExportSilent(&config, &hostCallback, nullptr), nullptr);

    // Loaded but empty: the given indexes stay.
    world.source.setScanScript(completeScan());
    QVERIFY(page.Load(&world.device, &world.host));
    QVERIFY(world.source.lastTask()->waitFinished(kTimeout));
    const int given[] = {4, 5};
    config.SetIndexs(given, 2);
    ITaskCtrl* task = page.ExportSilent(&config, &hostCallback, nullptr);
    QVERIFY(task);
    QCOMPARE(world.source.lastStart(FakeDataSource::Export).indexes(), (QVector<int>{4, 5}));
    QVERIFY(static_cast<FakeTask*>(task)->waitFinished(kTimeout));
}

void TestCategoryPanel::updateRecoverStateRefreshesTarget()
{
    PageWorld world(MD_NOTE);
    TestPage page(&world.host, MD_NOTE);
    const int before = world.host.deviceListCalls();
    FakeDevice phone("Anna's phone");
    world.host.setDevices({&phone});
    page.UpdateRecoverState();
    QCOMPARE(world.host.deviceListCalls(), before + 1);
    QCOMPARE(button(&page, "btnRecoverToDevice")->toolTip(), QString("Recover to Anna's phone"));
}

// Saves `widget` as <name>.png into $CP_SCREENSHOT_DIR when that is set.
static void saveShot(QWidget* widget, const char* name)
{
    const QString dir = qEnvironmentVariable("CP_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        QVERIFY(widget->grab().save(QDir(dir).filePath(QLatin1String(name) + ".png")));
}

void TestCategoryPanel::pageLayoutDuringAndAfterScan()
{
    PageWorld world(MD_CONTACT, "Anna's iPhone");
    world.host.setSkinDir(-1, QStringLiteral(CP_RESOURCES_DIR));
    FakeDevice phone("Anna's iPhone");
    world.host.setDevices({&phone});
    FakeGetter* getter = world.source.dataGetter();
    FakeTaskScript script;
    script.report(TASK_BEGIN, 0, "1");
    script.report(TASK_PERCENT, 35, "1");
    script.report(TASK_DATA, 60, "0").held();
    script.report(TASK_COMPLETE, 100, "0").running([getter] {
        for (int i = 0; i < 5; ++i)
            getter->prepend(getter->adopt(std::make_unique<FakeItem>(nullptr, i % 2 == 0)));
    });
    world.source.setScanScript(script);

    TestPage page(&world.host, MD_CONTACT);
    page.resize(960, 640);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QVERIFY(page.Load(&world.device, nullptr));
    FakeTask* task = world.source.lastTask();
    QCOMPARE(task->waitHeld(kTimeout), 2);
    QTest::qWait(50);

    auto* progress = page.findChild<ScanProgressWidget*>();
    QWidget* client = page.getClientWidget();
    MyStatusBar* status = page.getStatusBar();
    QVERIFY(progress->isVisible());
    // The progress display covers the client area, above the status bar.
    QCOMPARE(progress->geometry(), QRect(client->mapTo(&page, QPoint()), client->size()));
    QVERIFY(client->height() > 200);
    QVERIFY(status->mapTo(&page, QPoint()).y() >= progress->geometry().bottom());
    auto* bar = page.findChild<RecoverButtonBar*>();
    QVERIFY(bar->isVisible());
    QVERIFY(status->rect().contains(QRect(bar->mapTo(status, QPoint()), bar->size())));
    QVERIFY(page.findChild<GifProgressWidget*>("separateProgress"));
    saveShot(&page, "page-during-scan");

    task->release();
    QVERIFY(task->waitFinished(kTimeout));
    QTRY_VERIFY(progress->isHidden());
    QCOMPARE(status->leftLable(), QString("You select 3 item(s) in 5 item(s)"));
    saveShot(&page, "page-after-scan");

    // The progress dialog of a recovery, over the page.
    page.ShowProgress();
    QVERIFY(page.m_pProgressDialog->isVisible());
    QTest::qWait(50);
    saveShot(page.m_pProgressDialog, "recover-progress-dialog");
    page.m_pProgressDialog->hide();
}

QTEST_MAIN(TestCategoryPanel)
#include "tst_categorypanel.moc"
