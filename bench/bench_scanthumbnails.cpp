// Photo thumbnails during a scan, 12-megapixel JPEG (with an EXIF thumbnail)
// and HEIC (with a thumbnail item) as a phone writes them, each figure a ratio
// to the way it worked before, timed in the same run:
// - BM_ScanToThumbnails: from the scan's photos to every thumbnail written,
//   before by the photo store decoding each picture (now on its own worker
//   thread, one picture at a time), now by
//   the engine's thumbnail makers on all cores plus the store's fill (which no
//   longer decodes). Prints ms per photo both ways and the speed-up.
// - BM_GuiGapDuringScan: 1,000 photos (two thirds JPEG) made into thumbnails
//   on the makers' threads while the GUI thread runs its event loop, then
//   handed to the store there; prints the GUI-stall probe's longest stall,
//   and the same stall when the store makes them on its own worker (a
//   smaller set).
//
// The photos are hard links to one JPEG and one HEIC, so a thousand of them
// take no disk space; each is decoded as its own file.

#include "fakegetter.h"
#include "fakephoto.h"
#include "guistallprobe.h"
#include "offscreenbenchmarks.h"
#include "picturefiles.h"
#include "thumbnailmaker.h"

#include "store/imageitemlist.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <unistd.h>

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

namespace {

QImage cameraPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, QColor(120, 170, 230));
    sky.setColorAt(1, QColor(40, 70, 30));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    QRandomGenerator random(7);
    for (int i = 0; i < 40; ++i) {
        painter.setBrush(QColor::fromHsv(random.bounded(360), 160 + random.bounded(90),
                                         120 + random.bounded(130)));
        const double r = width * (0.02 + random.bounded(0.08));
        painter.drawEllipse(QPointF(random.bounded(width), random.bounded(height)), r, r);
    }
    return image;
}

// One 12 MP picture of each format and as many links to them as asked.
struct Photos
{
    QTemporaryDir dir;
    QString jpeg;
    QString heic;
    int links = 0;

    Photos()
    {
        const QImage picture = cameraPicture(4032, 3024);
        jpeg = dir.filePath("source.jpg");
        heic = dir.filePath("source.heic");
        PictureFiles::WriteJpeg(
            jpeg, picture,
            picture.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        PictureFiles::WriteHeic(heic, picture, 320, 50);
    }
    // `count` new names for the picture of one format.
    QStringList linksTo(const QString& source, int count)
    {
        QStringList paths;
        const QString suffix = source.endsWith(".heic") ? ".HEIC" : ".JPG";
        for (int i = 0; i < count; ++i) {
            const QString path = dir.filePath(QStringLiteral("IMG_%1").arg(++links) + suffix);
            if (::link(QFile::encodeName(source).constData(),
                       QFile::encodeName(path).constData()) != 0)
                QFile::copy(source, path);
            paths << path;
        }
        return paths;
    }
};

Photos& photos()
{
    static Photos instance;
    return instance;
}

// The scan's photos, as the engine hands them over: no thumbnail yet.
struct ScanItems
{
    FakeGetter getter;
    std::vector<FakePhoto*> photos;

    explicit ScanItems(const QStringList& paths)
    {
        for (const QString& path : paths) {
            auto photo = std::make_unique<FakePhoto>();
            photo->setFilePath(path);
            photos.push_back(photo.get());
            getter.prependNew(std::move(photo));
        }
    }
};

double storeFillMs(const QStringList& paths, const QString& work)
{
    ScanItems items(paths);
    ImageItemList store(MMobile::MD_PHOTO, work, QStringLiteral("/skin/"));
    QElapsedTimer timer;
    timer.start();
    store.SetDatas(&items.getter);
    // The store's own thumbnails are made on its worker and come back here.
    while (store.GetPendingThumbnailCount() > 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return timer.nsecsElapsed() / 1e6;
}

double engineMs(const QStringList& paths, const QString& work)
{
    ScanItems items(paths);
    QTemporaryDir folder;
    QElapsedTimer timer;
    timer.start();
    {
        ThumbnailMaker maker(folder.path());
        for (size_t i = 0; i < items.photos.size(); ++i)
            maker.Submit(items.photos[i], paths.at(int(i)));
        maker.Finish();
    }
    ImageItemList store(MMobile::MD_PHOTO, work, QStringLiteral("/skin/"));
    store.SetDatas(&items.getter);
    return timer.nsecsElapsed() / 1e6;
}

// Arg: 0 JPEG, 1 HEIC.
void BM_ScanToThumbnails(benchmark::State& state)
{
    const bool heic = state.range(0) == 1;
    const int count = heic ? 6 : 16;
    const QStringList paths = photos().linksTo(heic ? photos().heic : photos().jpeg, count);
    const QString work = photos().dir.filePath("work/");
    double today = 1e300;
    double engine = 1e300;
    for (auto _ : state) {
        today = std::min(today, storeFillMs(paths, work) / count);
        engine = std::min(engine, engineMs(paths, work) / count);
    }
    state.counters["today_ms_per_photo"] = today;
    state.counters["engine_ms_per_photo"] = engine;
    state.counters["speedup"] = today / engine;
    state.SetLabel(heic ? "HEIC 4032x3024" : "JPEG 4032x3024");
}

void BM_GuiGapDuringScan(benchmark::State& state)
{
    const int count = int(state.range(0));
    const QStringList paths = photos().linksTo(photos().jpeg, count * 2 / 3) +
                              photos().linksTo(photos().heic, count - count * 2 / 3);
    const QString work = photos().dir.filePath("work/");
    double gap = 0;
    double total = 0;
    for (auto _ : state) {
        ScanItems items(paths);
        QTemporaryDir folder;
        ImageItemList store(MMobile::MD_PHOTO, work, QStringLiteral("/skin/"));
        QElapsedTimer timer;
        timer.start();
        const GuiStall stall = GuiStallProbe::Measure([&] {
            // The scan thread: reads the rows and queues the pictures.
            bool done = false;
            std::thread scan([&] {
                ThumbnailMaker maker(folder.path());
                for (size_t i = 0; i < items.photos.size(); ++i)
                    maker.Submit(items.photos[i], paths.at(int(i)));
                maker.Finish();
                QMetaObject::invokeMethod(
                    qApp, [&] { done = true; }, Qt::QueuedConnection);
            });
            while (!done)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            scan.join();
            // The host hands the photos to the store on the GUI thread.
            store.SetDatas(&items.getter);
            QCoreApplication::processEvents();
        });
        gap = stall.stallMs;
        total = timer.nsecsElapsed() / 1e6;
    }
    // Without the engine's thumbnails the store makes them on its own worker
    // (before, its fill decoded them all on the GUI thread). A few show the
    // stall that is left.
    const QStringList few = photos().linksTo(photos().jpeg, 4) + photos().linksTo(photos().heic, 2);
    const GuiStall own = GuiStallProbe::Measure([&] {
        ScanItems items(few);
        ImageItemList store(MMobile::MD_PHOTO, work, QStringLiteral("/skin/"));
        store.SetDatas(&items.getter);
        while (store.GetPendingThumbnailCount() > 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    });
    state.counters["longest_gap_ms"] = gap;
    state.counters["scan_to_thumbnails_ms"] = total;
    state.counters["store_own_gap_6_photos_ms"] = own.stallMs;
}

BENCHMARK(BM_ScanToThumbnails)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_GuiGapDuringScan)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication::setAttribute(Qt::AA_Use96Dpi);
    return RunOffscreenBenchmarks<QGuiApplication>(argc, argv);
}
