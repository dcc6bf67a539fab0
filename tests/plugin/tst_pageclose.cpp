// Freeing a page while the engine thread is still inside its last report, and
// a recovery whose task cannot start. The engine thread is held inside the
// page's final scan, export or import report; it is let go only once Free()
// returned or half a second passed, so a page that does not wait for it is
// freed under the engine thread (and AddressSanitizer, with the library
// instrumented, reports the use after free).

#include "fakedatasource.h"
#include "fakedevice.h"
#include "fakegetter.h"
#include "fakehost.h"
#include "fakeitem.h"
#include "faketask.h"
#include "modaldialoganswerer.h"

#include "contracts/importexportconfigure.h"
#include "plugin/categorypanel.h"
#include "store/taskitem.h"

#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

using namespace MMobile;

namespace {

const int kTimeout = 10000;

// A page with its recovery starts opened for the tests.
class ClosePage : public CategoryPanel
{
public:
    explicit ClosePage(IUIPluginSetting* setting) : CategoryPanel(setting, MD_CONTACT, true) {}
    using CategoryPanel::Export;
    using CategoryPanel::Import;
    using CategoryPanel::m_pTaskItem;
    void setRecoverMode(int mode) { m_recoverMode = mode; }

protected:
    int GetExportOption() override { return 0; }
};

struct World
{
    World() : source(MD_CONTACT)
    {
        device.setDataSource(MD_CONTACT, &source);
        host.setSkinDir(-1, skins.path() + QLatin1Char('/'));
        host.setSkinDir(MD_CONTACT, skins.path() + QLatin1Char('/'));
        host.setOutputDir(skins.path());
    }
    QTemporaryDir skins;
    FakeHost host;
    FakeDevice device;
    FakeDataSource source;
};

FakeTaskScript endingWith(int status)
{
    FakeTaskScript script;
    script.report(TASK_BEGIN, 0, "1");
    script.report(status, 100, "0");
    return script;
}

FakeTaskScript recoveryEndingWith(int status)
{
    FakeTaskScript script;
    script.report(TASK_PERCENT, 50);
    script.report(status, 100);
    return script;
}

} // namespace

class TestPageClose : public QObject
{
    Q_OBJECT

private slots:
    void freeWaitsForLastReport_data();
    void freeWaitsForLastReport();
    void exportWithoutTaskSaysSo();
    void reloadReleasesFinishedSource();
    void twoPagesScanAtOnce();
};

void TestPageClose::freeWaitsForLastReport_data()
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

void TestPageClose::freeWaitsForLastReport()
{
    QFETCH(int, kind);
    QFETCH(int, status);
    World world;
    // The result messages the page shows once the report reached its slot.
    ModalDialogAnswerer answerer;
    answerer.ignore(QStringLiteral("RecoverProgressDialog"));
    answerer.answer({ModalDialogAnswerer::Answer::ok(), ModalDialogAnswerer::Answer::ok()});
    auto* page = new ClosePage(&world.host);
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

    if (kind == FakeDataSource::Scan) {
        world.source.setScanScript(endingWith(status));
        connect(page, &CategoryPanel::afterScanSignal, page, hold, Qt::DirectConnection);
        QVERIFY(page->Load(&world.device, nullptr));
    } else {
        world.source.setScanScript(endingWith(TASK_COMPLETE));
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
        if (kind == FakeDataSource::Export) {
            world.source.setExportScript(recoveryEndingWith(status));
            page->setRecoverMode(RECOVER_TO_OTHER_DEVICE);
            config.nMode = RECOVER_TO_OTHER_DEVICE;
            config.pDevice = &world.device;
            QVERIFY(page->Export(&config));
        } else {
            world.source.setImportScript(recoveryEndingWith(status));
            page->setRecoverMode(RECOVER_SAME_DEVICE);
            config.nMode = RECOVER_SAME_DEVICE;
            config.pDevice = &world.device;
            QVERIFY(page->Import(&config));
        }
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

void TestPageClose::exportWithoutTaskSaysSo()
{
    World world;
    ClosePage page(&world.host);
    page.show();
    world.source.setScanScript(endingWith(TASK_COMPLETE));
    QVERIFY(page.Load(&world.device, nullptr));
    QVERIFY(world.source.lastTask()->waitFinished(kTimeout));
    world.source.setStartFails(FakeDataSource::Export, true);

    ModalDialogAnswerer answerer;
    answerer.answer(ModalDialogAnswerer::Answer::ok());
    ImportExportConfigure config;
    config.nType = MD_CONTACT;
    config.nMode = RECOVER_TO_PC;
    config.SetPath(world.skins.path().toUtf8().constData());
    QVERIFY(!page.Export(&config));

    QCOMPARE(answerer.answeredCount(), 1);
    QCOMPARE(answerer.last().messageText, QStringLiteral("Recovery failed! Please try again!"));
    QCOMPARE(world.host.recoverResults().size(), 1);
    QCOMPARE(world.host.recoverResults().first().ok, 0);
}

// A new load lets the old source (and with it the engine's items) go at
// once when its task is over; a source whose scan still runs waits for the
// destructor.
void TestPageClose::reloadReleasesFinishedSource()
{
    World world;
    FakeDevice second;
    FakeDataSource secondSource(MD_CONTACT);
    second.setDataSource(MD_CONTACT, &secondSource);
    FakeDevice third;
    FakeDataSource thirdSource(MD_CONTACT);
    third.setDataSource(MD_CONTACT, &thirdSource);
    auto* page = new ClosePage(&world.host);
    page->show();

    world.source.setScanScript(endingWith(TASK_COMPLETE));
    QVERIFY(page->Load(&world.device, nullptr));
    QVERIFY(world.source.lastTask()->waitFinished(kTimeout));
    QTRY_VERIFY_WITH_TIMEOUT(page->IsLoad(&world.device), kTimeout);

    FakeTaskScript held;
    held.report(TASK_BEGIN, 0, "1").held();
    held.report(TASK_COMPLETE, 100, "0");
    secondSource.setScanScript(held);
    QVERIFY(page->Load(&second, nullptr));
    QCOMPARE(world.source.releaseCalls(), 1);

    thirdSource.setScanScript(endingWith(TASK_COMPLETE));
    QVERIFY(page->Load(&third, nullptr));
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
void TestPageClose::twoPagesScanAtOnce()
{
    World first;
    World second;
    ClosePage* pages[2] = {new ClosePage(&first.host), new ClosePage(&second.host)};
    World* worlds[2] = {&first, &second};
    for (int p = 0; p < 2; ++p) {
        FakeGetter* getter = worlds[p]->source.dataGetter();
        FakeTaskScript script;
        script.report(TASK_BEGIN, 0, "1");
        for (int batch = 0; batch < 5; ++batch) {
            QVector<IMDCommon*> items;
            for (int i = 0; i < 20; ++i)
                items << getter->adopt(std::make_unique<FakeItem>(nullptr, false));
            script.report(TASK_DATA, 10 + batch * 10, "0").prepending(getter, items);
        }
        script.report(TASK_COMPLETE, 100, "0");
        worlds[p]->source.setScanScript(script);
        pages[p]->show();
    }
    QVERIFY(pages[0]->Load(&first.device, nullptr));
    QVERIFY(pages[1]->Load(&second.device, nullptr));
    for (int p = 0; p < 2; ++p) {
        QVERIFY(worlds[p]->source.lastTask()->waitFinished(kTimeout));
        QTRY_VERIFY_WITH_TIMEOUT(pages[p]->IsLoad(&worlds[p]->device), kTimeout);
        QCOMPARE(pages[p]->m_pTaskItem->GetDataCountEx(), 100u);
        pages[p]->Free();
    }
}

QTEST_MAIN(TestPageClose)
#include "tst_pageclose.moc"
