// The engine's freeing thread: what it is given is freed there, not on the
// thread that gave it, all of it, and Wait() returns only after that.

#include "backgroundfree.h"

#include <QtTest>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// The test's own threads say who they are; the freeing thread says nothing.
// (Thread ids would not do: a joined thread's id comes back for a new one.)
thread_local bool t_testThread = false;

// Counts its destruction, and those on one of the test's threads.
struct Tracked
{
    Tracked(std::atomic<int>& freed, std::atomic<int>& onTestThreads)
        : freed(freed), onTestThreads(onTestThreads)
    {
    }
    Tracked(const Tracked&) = delete;
    Tracked& operator=(const Tracked&) = delete;
    ~Tracked()
    {
        if (t_testThread)
            onTestThreads.fetch_add(1);
        freed.fetch_add(1);
    }
    std::atomic<int>& freed;
    std::atomic<int>& onTestThreads;
};

} // namespace

class TestBackgroundFree : public QObject
{
    Q_OBJECT

private slots:
    void freedElsewhere_data();
    void freedElsewhere();
    void nothingGiven();
};

void TestBackgroundFree::freedElsewhere_data()
{
    QTest::addColumn<int>("givers");
    QTest::addColumn<int>("each");
    QTest::addColumn<int>("rounds"); // Wait() between rounds lets the thread run out
    QTest::newRow("one") << 1 << 1 << 1;
    QTest::newRow("many from one thread") << 1 << 500 << 1;
    QTest::newRow("from four threads at once") << 4 << 200 << 1;
    QTest::newRow("again after running out") << 2 << 50 << 5;
}

void TestBackgroundFree::freedElsewhere()
{
    QFETCH(int, givers);
    QFETCH(int, each);
    QFETCH(int, rounds);
    t_testThread = true;
    std::atomic<int> freed{0};
    std::atomic<int> onTestThreads{0};
    for (int round = 0; round < rounds; ++round) {
        std::vector<std::thread> workers;
        for (int g = 0; g < givers; ++g) {
            workers.emplace_back([&] {
                t_testThread = true;
                for (int i = 0; i < each; ++i)
                    BackgroundFree::Later(std::make_shared<Tracked>(freed, onTestThreads));
            });
        }
        for (std::thread& worker : workers)
            worker.join();
        BackgroundFree::Wait();
        QCOMPARE(freed.load(), (round + 1) * givers * each);
    }
    QCOMPARE(onTestThreads.load(), 0);
}

void TestBackgroundFree::nothingGiven()
{
    BackgroundFree::Later(nullptr);
    BackgroundFree::Wait();
}

QTEST_GUILESS_MAIN(TestBackgroundFree)
#include "tst_backgroundfree.moc"
