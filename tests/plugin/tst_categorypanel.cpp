// The page object and its host interface: construction, Load, the plain host
// operations, closing, the skin and the selection summary; the category names
// and the scan progress display on their own.

#include "testpage.h"

#include "dialogs/recoverbuttonbar.h"
#include "dialogs/recoverprogressdialog.h"
#include "gifprogresswidget.h"
#include "log4qt/logger.h"
#include "mystatusbar.h"
#include "plugin/categorynames.h"
#include "plugin/scanprogresswidget.h"
#include "taskprogresswidget.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>

#include <climits>

using namespace MMobile;

namespace {

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

// Saves `widget` as <name>.png into $CP_SCREENSHOT_DIR when that is set.
void saveShot(QWidget* widget, const char* name)
{
    const QString dir = qEnvironmentVariable("CP_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        QVERIFY(widget->grab().save(QDir(dir).filePath(QLatin1String(name) + ".png")));
}

} // namespace

class TestCategoryPanel : public QObject
{
    Q_OBJECT

private slots:
    void construction();
    void loadStartsScan();
    void isLoadAndLoadAgain_data();
    void isLoadAndLoadAgain();
    void writeParam();
    void closing();
    void skinPlaceholdersAndF8();
    void selectionSummary_data();
    void selectionSummary();
    void exportSilent();
    void pageLayoutDuringAndAfterScan();
    void displayNames();
    void animationByCategory_data();
    void animationByCategory();
};

void TestCategoryPanel::construction()
{
    PageWorld world(MD_CONTACT);
    QWidget parent;
    world.host.setParentWidget(&parent);
    TestPage page(&world.host, MD_CONTACT, false);
    QCOMPARE(page.parentWidget(), &parent);
    QVERIFY(page.isModal());
    QCOMPARE(page.windowTitle(), QString("Contacts"));
    QCOMPARE(int(page.m_status), int(TASK_STOP));
    QCOMPARE(page.store(), nullptr);
    QCOMPARE(page.logger()->name(), QString("TestPage"));
    QVERIFY(!page.isExistExportData());
    QCOMPARE(page.findChild<RecoverButtonBar*>()->parentWidget(), page.getStatusBar());
    QVERIFY(page.button("btnRecoverToDevice")->isHidden());
    QVERIFY(!world.page.button("btnRecoverToDevice")->isHidden());
    // The scan lines are named after the category.
    TaskProgressWidget* tasks = page.findChild<TaskProgressWidget*>("widgetTasks");
    QCOMPARE(tasks->taskText(0), QString("Scanning Contacts ..."));
    QCOMPARE(tasks->taskText(1), QString("Analyzing Contacts ..."));
    QCOMPARE(page.qt_metacast("IUIDataPlugin"),
             static_cast<void*>(static_cast<IUIDataPlugin*>(&page)));
}

void TestCategoryPanel::loadStartsScan()
{
    PageWorld world(MD_MESSAGE);
    world.source.setStartFails(FakeDataSource::Scan, true);
    QCOMPARE(world.load(FakeTaskScript()), nullptr);
    QCOMPARE(world.page.Load(nullptr, nullptr), nullptr);
    world.device.setDataSource(MD_MESSAGE, nullptr);
    QCOMPARE(world.page.Load(&world.device, nullptr), nullptr);
    QCOMPARE(world.source.startCount(FakeDataSource::Scan), 1);
    // Nothing runs: closing returns at once, and the page can be loaded again.
    world.page.ClosePlugin();
    world.device.setDataSource(MD_MESSAGE, &world.source);
    world.source.setStartFails(FakeDataSource::Scan, false);
    QVERIFY(world.load(completeScan())->waitFinished(kTimeout));
    QTRY_VERIFY(world.page.IsLoad(nullptr));
}

void TestCategoryPanel::isLoadAndLoadAgain_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("loaded");
    const bool loaded[] = {false, false, false, true, true, false};
    for (int status = TASK_BEGIN; status <= TASK_STOP; ++status)
        QTest::addRow("status %d", status) << status << loaded[status];
}

void TestCategoryPanel::isLoadAndLoadAgain()
{
    QFETCH(int, status);
    QFETCH(bool, loaded);
    PageWorld world(MD_CALENDAR);
    world.script.report(status, 10, "0").held();
    world.script.report(status, 10, "0").held();
    QCOMPARE(world.page.IsLoad(nullptr), false);
    FakeTask* task = world.load();
    // Before the first report: the scan runs for this page, the recovery
    // buttons wait for its end.
    QCOMPARE(task->waitHeld(kTimeout), 0);
    const FakeDataSource::StartCall call = world.source.lastStart(FakeDataSource::Scan);
    QCOMPARE(call.mode, 1);
    QCOMPARE(call.context, static_cast<void*>(&world.page));
    QVERIFY(!world.page.button("btnRecoverToPC")->isEnabled());
    QVERIFY(!world.page.button("btnRecoverToDevice")->isEnabled());
    QVERIFY(world.page.button("btnClose")->isEnabled());
    QCOMPARE(world.page.getStatusBar()->leftLable(), QString("You select 0 item(s) in 0 item(s)"));
    task->release();
    // The first report has been made once the worker holds at the next step.
    QCOMPARE(task->waitHeld(kTimeout), 1);
    QCOMPARE(world.page.IsLoad(&world.device), loaded);
    task->release();
    QVERIFY(task->waitFinished(kTimeout));
    // Only a complete scan of the same device is not made again.
    world.source.setScanScript(completeScan());
    TaskItem* store = world.page.store();
    QCOMPARE(world.page.Load(&world.device, nullptr), &world.page);
    QCOMPARE(world.source.startCount(FakeDataSource::Scan), status == TASK_COMPLETE ? 1 : 2);
    QCOMPARE(world.page.store(), store);
    QVERIFY(world.source.lastTask()->waitFinished(kTimeout));
}

void TestCategoryPanel::writeParam()
{
    PageWorld world(MD_NOTE);
    int value = 42;
    void* earlier = &world;
    QVERIFY(world.page.WriteParam("FixLspParam", earlier));
    // Refused, keeping the earlier value: a null value, a null key, a prefix.
    QVERIFY(!world.page.WriteParam("FixLspParam", nullptr));
    QVERIFY(!world.page.WriteParam(nullptr, &value));
    QVERIFY(!world.page.WriteParam("FixLsp", &value));
    QCOMPARE(world.page.m_pFixLspParam, earlier);
    QVERIFY(world.page.WriteParam("FixLspParam", &value));
    QCOMPARE(world.page.m_pFixLspParam, static_cast<void*>(&value));
}

void TestCategoryPanel::closing()
{
    PageWorld world(MD_NOTE);
    QTest::mouseClick(world.page.button("btnClose"), Qt::LeftButton);
    QVERIFY(!world.page.isVisible());
    world.page.ClosePlugin();
    QCOMPARE(world.closes(), 1);

    // A Load opens a new round: the next close tells the host again, at once
    // after the scan's end.
    QVERIFY(world.load(completeScan())->waitFinished(kTimeout));
    QCOMPARE(int(world.page.m_status), int(TASK_COMPLETE));
    world.page.show();
    world.page.ClosePlugin();
    world.page.ClosePlugin();
    QVERIFY(!world.page.isVisible());
    QCOMPARE(world.host.events("OnPluginClose"),
             (QStringList{"OnPluginClose(7)", "OnPluginClose(7)"}));
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
    QCOMPARE(page.styleSheet(), QString("QWidget { background-image: url(%1/a.png); }\n"
                                        "QLabel { border-image: url(%1/b.png); }")
                                    .arg(QDir(skin.path()).absolutePath()));
    writeFile(css, "QWidget { color: red; }");
    QTest::keyClick(&page, Qt::Key_A);
    QVERIFY(page.styleSheet().contains("background-image"));
    QTest::keyClick(&page, Qt::Key_F8);
    QCOMPARE(page.styleSheet(), QString("QWidget { color: red; }"));
    // Keys still reach the frame: Escape asks to close.
    page.show();
    QTest::keyClick(&page, Qt::Key_Escape);
    QCOMPARE(world.closes(), 1);
}

void TestCategoryPanel::selectionSummary_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("text");
    // The store holds 3 contacts, 1 deleted (so 1 ticked).
    QTest::newRow("store numbers") << 0 << 0 << int(Qt::PartiallyChecked) << "1 item(s) in 3";
    QTest::newRow("all") << 5 << 5 << int(Qt::Checked) << "5 item(s) in 5";
    QTest::newRow("some") << 2 << 5 << int(Qt::PartiallyChecked) << "2 item(s) in 5";
    QTest::newRow("more than total") << 6 << 5 << int(Qt::Unchecked) << "6 item(s) in 5";
    QTest::newRow("total from store") << 3 << 0 << int(Qt::Checked) << "3 item(s) in 3";
}

void TestCategoryPanel::selectionSummary()
{
    QFETCH(int, selected);
    QFETCH(int, total);
    QFETCH(int, state);
    QFETCH(QString, text);
    PageWorld world(MD_CONTACT);
    for (bool deleted : {false, true, false})
        world.getter->prepend(newItems(world.getter, 1, deleted));
    QVERIFY(world.load(completeScan())->waitFinished(kTimeout));
    QTRY_COMPARE(world.page.store()->GetDataCountEx(), 3u);
    QCOMPARE(int(world.page.CheckSeletedItem(selected, total)), state);
    QCOMPARE(world.page.getStatusBar()->leftLable(), "You select " + text + " item(s)");
    QVERIFY(world.page.button("btnRecoverToPC")->isEnabled());
}

void TestCategoryPanel::exportSilent()
{
    PageWorld world(MD_MESSAGE);
    ImportExportConfigure config;
    config.nType = MD_MESSAGE;
    config.nMode = RECOVER_TO_PC;
    config.SetPath("/out/messages/");
    const int given[] = {4, 5};
    config.SetIndexs(given, 2);
    QCOMPARE(world.page.ExportSilent(&config, &hostCallback, nullptr), nullptr);
    QCOMPARE(world.page.GetDataCount(), 0u);

    // Loaded but empty: the given indexes stay.
    QVERIFY(world.load(completeScan())->waitFinished(kTimeout));
    QVERIFY(world.page.ExportSilent(&config, &hostCallback, nullptr));
    const QString exported = "Export type 3 mode 3 option 7 to none items %1 in /out/messages/";
    QCOMPARE(world.source.lastStart(FakeDataSource::Export).text(), exported.arg("4,5"));
    QVERIFY(world.source.lastTask()->waitFinished(kTimeout));

    // With data, everything is exported and counted, ticked, marked as
    // dropped or not (a Load without a device first, so that the next one
    // scans again).
    FakeItem* dropped = prependItem(world.getter, false);
    world.getter->prepend(newItems(world.getter, 2));
    dropped->SetDropMark(true);
    QCOMPARE(world.page.Load(nullptr, nullptr), nullptr);
    QVERIFY(world.load(completeScan())->waitFinished(kTimeout));
    QTRY_COMPARE(world.page.store()->GetDataCountEx(), 3u);
    world.page.store()->SetChecked(1, Qt::Unchecked);
    QCOMPARE(world.page.GetDataCount(), 3u);
    QVERIFY(!dropped->dropMark());
    int context = 0;
    auto* task = static_cast<FakeTask*>(world.page.ExportSilent(&config, &hostCallback, &context));
    QVERIFY(task);
    const FakeDataSource::StartCall call = world.source.lastStart(FakeDataSource::Export);
    QCOMPARE(call.text(), exported.arg("0,1,2"));
    QCOMPARE(call.context, static_cast<void*>(&context));
    QCOMPARE(config.nIndexCount, 2); // the host's own configuration is left alone
    QVERIFY(task->waitFinished(kTimeout));
}

void TestCategoryPanel::pageLayoutDuringAndAfterScan()
{
    QWidget elsewhere; // outlives the page
    PageWorld world(MD_CONTACT);
    world.host.setSkinDir(-1, QStringLiteral(CP_RESOURCES_DIR));
    world.host.setDevices({&world.device});
    FakeGetter* getter = world.getter;
    world.script.report(TASK_BEGIN, 0, "1");
    world.script.report(TASK_PERCENT, 35, "1");
    world.script.report(TASK_DATA, 60, "0").held();
    world.script.report(TASK_COMPLETE, 100, "0").running([getter] {
        for (int i = 0; i < 5; ++i)
            getter->prepend(newItems(getter, 1, i % 2 == 0));
    });
    world.source.setScanScript(world.script);
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
    // The progress display covers the client area, above the status bar.
    QVERIFY(progress->isVisible());
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

    // Moved elsewhere by a derived page, the display is no longer placed.
    progress->setParent(&elsewhere);
    progress->setGeometry(1, 2, 30, 40);
    page.resize(800, 600);
    QTest::qWait(0);
    QCOMPARE(progress->geometry(), QRect(1, 2, 30, 40));
}

void TestCategoryPanel::displayNames()
{
    QStringList names;
    for (int type = -1; type <= 23; ++type) {
        const auto value = static_cast<MDType>(type);
        names << CategoryNames::DisplayName(value);
        QCOMPARE(QString::fromLatin1(CategoryNames::SourceText(value)), names.last());
    }
    QCOMPARE(names.join('|'), QString("|Photos|Contacts|Message Attachments|Messages|Call History|"
                                      "Calendar|Notes Attachments|Notes|Voice Memos|Safari|"
                                      "WhatsApp Attachments|WhatsApp Messages|WeChat Contacts|"
                                      "WeChat Attachments|WeChat Messages||||||||Reminders|"));
    QCOMPARE(CategoryNames::SourceText(static_cast<MDType>(INT_MAX)), nullptr);
}

void TestCategoryPanel::animationByCategory_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("embedded");
    for (int type : {0, 2, 4, 6, 8, 9, 10, 13})
        QTest::addRow("embedded %d", type) << type << true;
    for (int type : {1, 3, 5, 7, 11, 12, 14, 22, 15, -1})
        QTest::addRow("separate %d", type) << type << false;
}

void TestCategoryPanel::animationByCategory()
{
    QFETCH(int, type);
    QFETCH(bool, embedded);
    ScanProgressWidget widget(nullptr, QStringLiteral("/skin/"), static_cast<MDType>(type));
    auto* inForm = widget.findChild<GifProgressWidget*>("widgetProgress");
    QCOMPARE(inForm->isHidden(), !embedded);
    QCOMPARE(inForm->moviePath(), embedded ? QString("/skin/scanMovie.gif") : QString());
    QWidget elsewhere;
    auto* separate = qobject_cast<GifProgressWidget*>(widget.SetProgressShowParent(&elsewhere));
    QCOMPARE(separate == nullptr, embedded);
    QCOMPARE(widget.findChildren<GifProgressWidget*>().size(), 1);
    // The percentage goes to the animation in use.
    widget.SetPercent(42);
    QCOMPARE(inForm->percent(), embedded ? 42u : 0u);
    // Without data the tips take the place of the lines and the animation in
    // the form; a separate animation is left alone.
    if (separate)
        separate->show();
    auto* tips = widget.findChild<QLabel*>("labelTips");
    QVERIFY(tips->isHidden());
    widget.ShowNoDataTips();
    QVERIFY(widget.isVisible());
    QCOMPARE(tips->text(), QString("No data found."));
    QVERIFY(!tips->isHidden());
    QVERIFY(widget.findChild<QWidget*>("widgetTasks")->isHidden());
    QVERIFY(inForm->isHidden());
    if (embedded)
        return;
    QVERIFY(!separate->isHidden());
    QCOMPARE(separate->parentWidget(), &elsewhere);
    QCOMPARE(separate->moviePath(), QString("/skin/scanMovie.gif"));
    QCOMPARE(separate->percent(), 42u);
    // The separate animation shows no percentage text.
    QVERIFY(separate->findChild<QLabel*>("lblPercent")->isHidden());
    // Moved into a parent that dies first: the widget must not touch it
    // afterwards.
    delete separate;
    widget.SetPercent(10);
    widget.StartMovie();
    QCOMPARE(widget.SetProgressShowParent(nullptr), nullptr);
}

QTEST_MAIN(TestCategoryPanel)
#include "tst_categorypanel.moc"
