// Closing a messages page while its scan runs: the time from the close to
// its return, when the engine is in the middle of the live read, of the
// deleted records' pass or of handing the items over. The page waits for the
// engine to stop, so this is the engine's time to stop plus the page's own.
// A GUI-stall probe, a 5 ms heartbeat timer on the GUI thread, gives the
// longest time between two beats over the scan and the close, in wall time
// and in CPU time of the GUI thread (the wall time less what the thread spent
// waiting for a core).
//
// The baseline, in the same run: the same scan left to its end (what a close
// that waits for the scan, as one did before the engine stopped early, can
// cost at most). ratio = close / scan.
//
// BM_EngineStopAnswer times the engine's side alone: the longest time
// between two reports of a scan, and the time from a callback's false answer
// to the task's end.

#include "backgroundfree.h"
#include "backupdevice.h"
#include "contracts/mmobile.h"
#include "fakehost.h"
#include "offscreenbenchmarks.h"
#include "samplebackupwriter.h"

#include "plugin/categorypanel.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <ctime>

namespace {

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The longest gaps between two beats of a 5 ms timer on the GUI thread.
class Heartbeat
{
public:
    Heartbeat()
    {
        m_clock.start();
        m_lastWall = 0;
        m_lastCpu = threadCpuMs();
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Beat(); });
        m_timer.start(5);
    }
    void Beat()
    {
        const double wall = m_clock.nsecsElapsed() / 1e6;
        const double cpu = threadCpuMs();
        wallMs = std::max(wallMs, wall - m_lastWall);
        cpuMs = std::max(cpuMs, cpu - m_lastCpu);
        m_lastWall = wall;
        m_lastCpu = cpu;
    }
    double wallMs = 0;
    double cpuMs = 0;

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_lastWall;
    double m_lastCpu;
};

class MessagesPage : public CategoryPanel
{
public:
    explicit MessagesPage(IUIPluginSetting* host) : CategoryPanel(host, MMobile::MD_MESSAGE, false)
    {
    }
    bool Scanned() { return IsLoad(nullptr); }

protected:
    int GetExportOption() override { return 0; }
};

// The message scan with deleted records of `--scale 64 --no-media`.
struct Backup
{
    QTemporaryDir dir;
    QString folder;

    Backup()
    {
        SampleBackupWriter::Options options;
        options.scale = 64;
        options.media = false;
        options.deletions = true;
        SampleBackupWriter writer(options);
        folder = dir.filePath(QStringLiteral("backup"));
        if (!writer.Write(folder))
            folder.clear();
    }
};

Backup& backup()
{
    static Backup instance;
    return instance;
}

// Runs the event loop for `ms` or until `done`.
template <class Done> void spin(double ms, Done done)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.nsecsElapsed() / 1e6 < ms && !done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

// A whole scan of the backup on a page, in ms.
double fullScanMs(FakeHost& host, BackupDevice& device)
{
    MessagesPage page(&host);
    QElapsedTimer clock;
    clock.start();
    if (!page.Load(&device, nullptr))
        return -1;
    spin(600000, [&] { return page.Scanned(); });
    return clock.nsecsElapsed() / 1e6;
}

// The page is closed after `state.range(0)` percent of a whole scan's time.
void BM_PageCloseDuringScan(benchmark::State& state)
{
    if (backup().folder.isEmpty()) {
        state.SkipWithError("sample backup not written");
        return;
    }
    FakeHost host;
    BackupDevice device(backup().folder);
    const double first = fullScanMs(host, device);
    BackgroundFree::Wait();
    const double scanMs = std::min(first, fullScanMs(host, device));
    BackgroundFree::Wait();
    double closeMs = 0;
    double stallWall = 0;
    double stallCpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Heartbeat heartbeat;
        auto* page = new MessagesPage(&host);
        page->Load(&device, nullptr);
        spin(scanMs * double(state.range(0)) / 100, [&] { return page->Scanned(); });
        QElapsedTimer clock;
        clock.start();
        state.ResumeTiming();
        page->ClosePlugin();
        state.PauseTiming();
        closeMs = std::max(closeMs, clock.nsecsElapsed() / 1e6);
        page->Free();
        heartbeat.Beat();
        stallWall = std::max(stallWall, heartbeat.wallMs);
        stallCpu = std::max(stallCpu, heartbeat.cpuMs);
        // The page's items go back on the engine's freeing thread; the next
        // round starts once they have, as it did when the page freed them.
        BackgroundFree::Wait();
        state.ResumeTiming();
    }
    state.counters["scan_ms"] = scanMs;
    state.counters["close_ms"] = closeMs;
    state.counters["stall_wall_ms"] = stallWall;
    state.counters["stall_cpu_ms"] = stallCpu;
    state.counters["ratio"] = closeMs / scanMs;
}
BENCHMARK(BM_PageCloseDuringScan)
    ->Arg(20)
    ->Arg(50)
    ->Arg(80)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The engine alone, no page: a message scan of the same backup whose
// callback notes the longest time between two reports (a stop can wait that
// long), and, with arg 0-100, answers false at the first report at or past
// that percentage of the analysis (40: where the deleted records' pass
// begins) and notes the time from that answer to the task's end.
struct StopWatch
{
    QElapsedTimer clock;
    int stopAt = 101;
    double last = 0;
    double gapMs = 0;
    int gapAt = 0; // the percentage reported after the longest gap
    int lastPercent = 0;
    double stoppedAt = -1;

    static bool Report(void* context, MMobile::MDType, int status, int percent, const char* label)
    {
        auto* self = static_cast<StopWatch*>(context);
        const double now = self->clock.nsecsElapsed() / 1e6;
        if (now - self->last > self->gapMs) {
            self->gapMs = now - self->last;
            self->gapAt = status == MMobile::TASK_PERCENT ? percent : self->lastPercent;
        }
        self->last = now;
        if (status == MMobile::TASK_PERCENT)
            self->lastPercent = percent;
        if (self->stoppedAt >= 0)
            return false;
        // The analysis (label "0"): reading to 50 %, handing over after.
        if (status == MMobile::TASK_PERCENT && label && label[0] == '0' &&
            percent >= self->stopAt) {
            self->stoppedAt = now;
            return false;
        }
        return true;
    }
};

void BM_EngineStopAnswer(benchmark::State& state)
{
    if (backup().folder.isEmpty()) {
        state.SkipWithError("sample backup not written");
        return;
    }
    BackupDevice device(backup().folder);
    double gapMs = 0;
    int gapAt = 0;
    double stopMs = 0;
    for (auto _ : state) {
        StopWatch watch;
        watch.stopAt = int(state.range(0));
        MMobile::ICategoryDataSource* source = device.GetDataSource(MMobile::MD_MESSAGE);
        MMobile::ITaskCtrl* task = source->StartScan(1, &StopWatch::Report, &watch);
        watch.clock.start();
        task->Start();
        while (!MMobile::IsTaskEndStatus(task->GetStatus()))
            QThread::usleep(200);
        const double end = watch.clock.nsecsElapsed() / 1e6;
        source->Release();
        BackgroundFree::Wait();
        if (watch.gapMs > gapMs) {
            gapMs = watch.gapMs;
            gapAt = watch.gapAt;
        }
        if (watch.stoppedAt >= 0)
            stopMs = std::max(stopMs, end - watch.stoppedAt);
    }
    state.counters["longest_gap_ms"] = gapMs;
    state.counters["gap_at_percent"] = gapAt;
    state.counters["stop_ms"] = stopMs;
}
BENCHMARK(BM_EngineStopAnswer)
    ->Arg(101)
    ->Arg(20)
    ->Arg(40)
    ->Arg(45)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return RunOffscreenBenchmarks<QApplication>(argc, argv);
}
