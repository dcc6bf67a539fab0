// The GUI thread of an attachment page whose items are 12-megapixel pictures:
// the engine scans the message attachments of a sample backup (each picture
// replaced by a 4032 x 3024 JPEG) while the GUI thread runs its event loop,
// then the page's store takes the items there, as the page does when the scan
// ends. The GUI-stall probe gives the longest time between two beats of its
// heartbeat, less what the GUI thread spent waiting for a core.
//
// The same items without the engine's thumbnails, so that the store makes
// them itself (on its worker), are measured the same way until the last
// thumbnail is back. The baseline of both, in the same run: the same pictures
// decoded and written on the GUI thread one after the other, as the store's
// fill did before.

#include "backgroundfree.h"
#include "backupdevice.h"
#include "contracts/mmobile.h"
#include "enginetasks.h"
#include "offscreenbenchmarks.h"
#include "samplebackupwriter.h"

#include "guistallprobe.h"
#include "store/imageitemlist.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>

#include <unistd.h>

#include <memory>

namespace {

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

// Each picture fitted into 113 x 96 (the decoder scaling down as far as it
// can) and written as a JPEG into `work`, one after the other.
void decodeOnThisThread(const QStringList& pictures, const QString& work)
{
    QDir().mkpath(work);
    int n = 0;
    for (const QString& picture : pictures) {
        QImageReader reader(picture);
        reader.setScaledSize(reader.size().scaled(226, 192, Qt::KeepAspectRatio));
        const QImage fitted =
            reader.read().scaled(113, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        fitted.save(work + QString::number(n++) + QStringLiteral(".jpg"), "JPG");
    }
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
    GuiStall engine = GuiStall::Worst();
    GuiStall store = GuiStall::Worst();
    GuiStall storeOwn = GuiStall::Worst();
    for (auto _ : state) {
        MMobile::ICategoryDataSource* data = device.GetDataSource(MMobile::MD_MESSAGE_ATTACHMENT);
        // The stores borrow the scan's items: they go before the source.
        auto page = std::make_unique<ImageItemList>(MMobile::MD_MESSAGE_ATTACHMENT, work,
                                                    QStringLiteral("/skin/"));
        const GuiStall now = GuiStallProbe::Measure([&] {
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
        engine.KeepLeast(now);

        // The same items as the engine handed them over before: the store
        // makes the thumbnails itself, on its worker, until all are back.
        state.PauseTiming();
        MMobile::IMDGetter* getter = data->GetDataGetter();
        QStringList pictures;
        for (unsigned int i = 0; i < getter->GetCount(); ++i) {
            auto* file = MMobile::record_cast<MMobile::IPhoto>(getter->GetItem(i));
            if (file && file->GetFileKind() == MMobile::FILE_KIND_PICTURE) {
                file->SetThumbnailPath("");
                pictures << QString::fromUtf8(file->GetFilePath());
            }
        }
        auto fallback = std::make_unique<ImageItemList>(MMobile::MD_MESSAGE_ATTACHMENT, work,
                                                        QStringLiteral("/skin/"));
        const GuiStall own = GuiStallProbe::Measure([&] {
            fallback->SetDatas(getter);
            while (fallback->GetPendingThumbnailCount() > 0)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        });
        storeOwn.KeepLeast(own);
        fallback.reset();

        // The baseline: the same decodes on the GUI thread, as the store's
        // fill did them before.
        const GuiStall old = GuiStallProbe::Measure([&] { decodeOnThisThread(pictures, work); });
        store.KeepLeast(old);
        page.reset();
        data->Release();
        BackgroundFree::Wait();
        state.ResumeTiming();
    }
    state.counters["pictures"] = sample.pictures;
    state.counters["gui_burst_ms"] = engine.stallMs;
    state.counters["gui_burst_cpu_ms"] = engine.cpuMs;
    state.counters["gui_gap_wall_ms"] = engine.wallMs;
    state.counters["store_decodes_burst_ms"] = store.stallMs;
    state.counters["store_decodes_gap_wall_ms"] = store.wallMs;
    state.counters["ratio"] = engine.stallMs / store.stallMs;
    state.counters["store_own_burst_ms"] = storeOwn.stallMs;
    state.counters["store_own_gap_wall_ms"] = storeOwn.wallMs;
    state.counters["store_own_ratio"] = storeOwn.stallMs / store.stallMs;
}
BENCHMARK(BM_AttachmentPageStall)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    return RunOffscreenBenchmarks<QGuiApplication>(argc, argv);
}
