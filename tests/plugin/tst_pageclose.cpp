// Freeing a page while the engine thread is still inside its last report, and
// the sources a page lets go. The engine thread is held inside the page's
// final scan, export or import report; it is let go only once Free()
// returned or half a second passed, so a page that does not wait for it is
// freed under the engine thread (and AddressSanitizer, with the library
// instrumented, reports the use after free).

#include "testpage.h"

#include "modaldialoganswerer.h"

#include "contracts/importexportconfigure.h"

#include <QTest>

#include <atomic>
#include <thread>

using namespace MMobile;

class TestPageClose : public QObject
{
    Q_OBJECT

private slots:
    void freeWaitsForLastReport_data();
    void freeWaitsForLastReport();
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
void TestPageClose::reloadReleasesFinishedSource()
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
void TestPageClose::twoPagesScanAtOnce()
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

QTEST_MAIN(TestPageClose)
#include "tst_pageclose.moc"
