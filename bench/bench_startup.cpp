// Start-up of the host to its first painted page: the window made, shown and
// started with a backup folder to open, until the category overview of that
// backup is painted. The baseline, in the same rounds, is an empty main
// window from construction to its first paint. Beside the backup opened, a
// standard backup folder holds a backup of many files, as a phone's is, so
// that whatever start-up waits for in the backup list shows. Each round
// starts with fresh settings, as a first start does.

#include "demohostwindow.h"
#include "guistallprobe.h"
#include "offscreenbenchmarks.h"
#include "samplebackupwriter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>

namespace {

// Notes the first paint of `window` or a widget inside it once armed.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(QWidget* window) : m_window(window) { qApp->installEventFilter(this); }
    ~FirstPaint() override { qApp->removeEventFilter(this); }
    void Arm() { m_armed = true; }
    bool Painted() const { return m_painted; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (m_armed && event->type() == QEvent::Paint && watched->isWidgetType() &&
            (watched == m_window || m_window->isAncestorOf(static_cast<QWidget*>(watched))))
            m_painted = true;
        return false;
    }

private:
    QWidget* m_window;
    bool m_armed = false;
    bool m_painted = false;
};

// Runs the event loop until `done`; false after 30 s.
template <class Done> bool Until(Done done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 30000)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// A folder that looks like a backup, with `files` small files in 256
// sub-folders, as a backup's content is stored.
bool WriteManyFiles(const QString& folder, int files)
{
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral(".")))
        return false;
    QFile info(dir.filePath(QStringLiteral("Info.plist")));
    if (!info.open(QIODevice::WriteOnly))
        return false;
    info.close();
    for (int i = 0; i < files; ++i) {
        const QString sub = QStringLiteral("%1").arg(i % 256, 2, 16, QLatin1Char('0'));
        if (i < 256 && !dir.mkpath(sub))
            return false;
        QFile file(dir.filePath(sub + QStringLiteral("/%1").arg(i)));
        if (!file.open(QIODevice::WriteOnly) || file.write("x", 1) != 1)
            return false;
    }
    return true;
}

void BM_StartUp(benchmark::State& state)
{
    QTemporaryDir root;
    const QString sample = QDir(root.path()).filePath(QStringLiteral("sample"));
    const QString standard = QDir(root.path()).filePath(QStringLiteral("Backup"));
    SampleBackupWriter::Options sampleOptions;
    sampleOptions.media = false;
    if (!SampleBackupWriter(sampleOptions).Write(sample) ||
        !WriteManyFiles(QDir(standard).filePath(QStringLiteral("00008030-big")),
                        int(state.range(0)))) {
        state.SkipWithError("cannot write the backups");
        return;
    }
    double best = 1e300, bestBase = 1e300;
    GuiStall stall = GuiStall::Worst();
    int round = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        // The baseline: an empty main window to its first paint.
        {
            timer.start();
            QMainWindow window;
            FirstPaint paint(&window);
            paint.Arm();
            window.show();
            if (!Until([&paint] { return paint.Painted(); }))
                state.SkipWithError("the empty window was never painted");
            bestBase = std::min(bestBase, timer.nsecsElapsed() / 1e6);
        }
        const QString work = QDir(root.path()).filePath(QStringLiteral("round%1").arg(++round));
        DemoHostWindow::Options options;
        options.backupFolder = sample;
        options.standardFolders = QStringList{standard};
        options.skinFolder = QStringLiteral(BENCH_DEMO_SKIN_DIR);
        options.resourceFolder = QStringLiteral(BENCH_DEMO_RESOURCE_DIR "common/");
        options.pictureFolder = QStringLiteral(BENCH_DEMO_RESOURCE_DIR);
        options.workFolder = work + QStringLiteral("/work/");
        options.settingsFile = work + QStringLiteral("/settings.ini");
        options.logFolder = work + QStringLiteral("/log");
        double ms = 0;
        std::unique_ptr<DemoHostWindow> made;
        const GuiStall round = GuiStallProbe::Measure([&] {
            timer.start();
            made = std::make_unique<DemoHostWindow>(options);
            DemoHostWindow& host = *made;
            FirstPaint paint(&host);
            bool opened = false;
            QObject::connect(&host, &DemoHostWindow::backupOpened, &host, [&] {
                opened = true;
                paint.Arm();
                host.update();
            });
            host.show();
            host.Start(false);
            if (!Until([&] { return opened && paint.Painted(); }))
                state.SkipWithError("the backup's page was never painted");
            ms = timer.nsecsElapsed() / 1e6;
        });
        // The sizes still on their way are no part of the start-up.
        Until([&made] { return !made->IsListing(); });
        made.reset();
        best = std::min(best, ms);
        stall.KeepLeast(round);
    }
    state.counters["startup_ms"] = best;
    state.counters["empty_window_ms"] = bestBase;
    state.counters["ratio"] = best / bestBase;
    state.counters["gui_stall_ms"] = stall.stallMs;
    state.counters["gui_wall_gap_ms"] = stall.wallMs;
}
BENCHMARK(BM_StartUp)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    return RunOffscreenBenchmarks<QApplication>(argc, argv);
}
