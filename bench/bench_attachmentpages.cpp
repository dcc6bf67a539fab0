// The GUI thread of an attachment page whose items are 12-megapixel pictures:
// the engine scans the message attachments of a sample backup (each picture
// replaced by a 4032 x 3024 JPEG) while the GUI thread runs its event loop,
// then the page's store takes the items there, as the page does when the scan
// ends. A GUI-stall probe, a 5 ms heartbeat timer on the GUI thread, gives the
// longest time between two beats, in wall time and in CPU time of the GUI
// thread (the wall time less what the thread spent waiting for a core).
//
// The baseline, in the same run: the same items without the engine's
// thumbnails, so that the store decodes each picture on the GUI thread, as it
// did for every attachment category before the engine made their thumbnails.

#include "backupdevice.h"
#include "contracts/mmobile.h"
#include "enginetasks.h"
#include "samplebackupwriter.h"

#include "store/imageitemlist.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <memory>

namespace {

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The longest gaps between two beats of a 5 ms timer while `work` runs the
// event loop, in wall and in GUI-thread CPU milliseconds.
struct Stall
{
    double wallMs = 0;
    double cpuMs = 0;
};

template <class Work> Stall probe(Work work)
{
    QElapsedTimer clock;
    clock.start();
    double lastWall = clock.nsecsElapsed() / 1e6;
    double lastCpu = threadCpuMs();
    Stall stall;
    auto beat = [&] {
        const double wall = clock.nsecsElapsed() / 1e6;
        const double cpu = threadCpuMs();
        stall.wallMs = std::max(stall.wallMs, wall - lastWall);
        stall.cpuMs = std::max(stall.cpuMs, cpu - lastCpu);
        lastWall = wall;
        lastCpu = cpu;
    };
    QTimer heartbeat;
    heartbeat.setInterval(5);
    QObject::connect(&heartbeat, &QTimer::timeout, beat);
    heartbeat.start();
    work();
    beat();
    return stall;
}

// A sample backup whose message attachment pictures are 12 MP JPEGs.
struct Backup
{
    QTemporaryDir dir;
    QString folder;
    int pictures = 0;

    Backup()
    {
        SampleBackupWriter::Options options;
        SampleBackupWriter writer(options);
        folder = dir.filePath(QStringLiteral("backup"));
        if (!writer.Write(folder)) {
            folder.clear();
            return;
        }
        QImage picture(4032, 3024, QImage::Format_RGB32);
        QPainter painter(&picture);
        QLinearGradient sky(0, 0, picture.width(), picture.height());
        sky.setColorAt(0, QColor(120, 170, 230));
        sky.setColorAt(1, QColor(40, 70, 30));
        painter.fillRect(picture.rect(), sky);
        painter.end();
        const QString source = dir.filePath(QStringLiteral("camera.jpg"));
        picture.save(source, "JPG", 90);
        // The content files of the pictures, found by a scan.
        BackupDevice device(folder);
        MMobile::ICategoryDataSource* data = device.GetDataSource(MMobile::MD_MESSAGE_ATTACHMENT);
        if (enginetasks::Run(data->StartScan(1, &enginetasks::Quiet, nullptr)) ==
            MMobile::TASK_COMPLETE) {
            MMobile::IMDGetter* getter = data->GetDataGetter();
            for (unsigned int i = 0; i < getter->GetCount(); ++i) {
                auto* file = MMobile::record_cast<MMobile::IPhoto>(getter->GetItem(i));
                if (!file || file->GetFileKind() != MMobile::FILE_KIND_PICTURE)
                    continue;
                const QString path = QString::fromUtf8(file->GetFilePath());
                QFile::remove(path);
                if (::link(QFile::encodeName(source).constData(),
                           QFile::encodeName(path).constData()) != 0)
                    QFile::copy(source, path);
                ++pictures;
            }
        }
        data->Release();
    }
};

Backup& backup()
{
    static Backup instance;
    return instance;
}

void BM_AttachmentPageStall(benchmark::State& state)
{
    Backup& sample = backup();
    if (sample.folder.isEmpty() || sample.pictures == 0) {
        state.SkipWithError("cannot write the sample backup");
        return;
    }
    const QString work = sample.dir.filePath(QStringLiteral("work/"));
    BackupDevice device(sample.folder);
    Stall engine{1e300, 1e300};
    Stall store{1e300, 1e300};
    for (auto _ : state) {
        MMobile::ICategoryDataSource* data = device.GetDataSource(MMobile::MD_MESSAGE_ATTACHMENT);
        // The stores borrow the scan's items: they go before the source.
        auto page = std::make_unique<ImageItemList>(MMobile::MD_MESSAGE_ATTACHMENT, work,
                                                    QStringLiteral("/skin/"));
        const Stall now = probe([&] {
            MMobile::ITaskCtrl* task = data->StartScan(1, &enginetasks::Quiet, nullptr);
            if (!task || !task->Start()) {
                state.SkipWithError("scan failed");
                return;
            }
            while (!MMobile::IsTaskEndStatus(task->GetStatus()))
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            page->SetDatas(data->GetDataGetter());
            QCoreApplication::processEvents();
        });
        engine.wallMs = std::min(engine.wallMs, now.wallMs);
        engine.cpuMs = std::min(engine.cpuMs, now.cpuMs);

        // The baseline: the same items as the engine handed them over before.
        state.PauseTiming();
        MMobile::IMDGetter* getter = data->GetDataGetter();
        for (unsigned int i = 0; i < getter->GetCount(); ++i) {
            if (auto* file = MMobile::record_cast<MMobile::IPhoto>(getter->GetItem(i)))
                file->SetThumbnailPath("");
        }
        auto before = std::make_unique<ImageItemList>(MMobile::MD_MESSAGE_ATTACHMENT, work,
                                                      QStringLiteral("/skin/"));
        const Stall old = probe([&] {
            before->SetDatas(getter);
            QCoreApplication::processEvents();
        });
        store.wallMs = std::min(store.wallMs, old.wallMs);
        store.cpuMs = std::min(store.cpuMs, old.cpuMs);
        before.reset();
        page.reset();
        data->Release();
        state.ResumeTiming();
    }
    state.counters["pictures"] = sample.pictures;
    state.counters["gui_burst_ms"] = engine.cpuMs;
    state.counters["gui_gap_wall_ms"] = engine.wallMs;
    state.counters["store_decodes_burst_ms"] = store.cpuMs;
    state.counters["store_decodes_gap_wall_ms"] = store.wallMs;
    state.counters["ratio"] = engine.cpuMs / store.cpuMs;
}
BENCHMARK(BM_AttachmentPageStall)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
