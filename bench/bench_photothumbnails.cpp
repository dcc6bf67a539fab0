// Thumbnails per second for generated camera-sized JPEGs: the naive path (full
// decode, smooth scale into 113 x 96, save) against a fill of the photo store,
// which decodes at reduced size where the decoder allows it. Both save the
// thumbnail as JPEG, so the figures compare like with like.
//
// Set CP_BENCH_SIDE_BY_SIDE=<file.png> to also write the two thumbnails of one
// 4032 x 3024 photo side by side (left naive, right the store's), each shown
// at 1x and enlarged 3x, and print their mean pixel difference.

#include "fakegetter.h"
#include "fakeitem.h"
#include "fakephoto.h"

#include "store/imageitemlist.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

const int kPhotosPerSet = 4;

// A photo-like picture: gradients, shapes and fine grain, so the JPEG carries
// as much detail as a camera image does and decoding costs what it costs there.
QImage cameraPicture(int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, QColor::fromHsv((seed * 53) % 360, 150, 235));
    sky.setColorAt(1, QColor::fromHsv((seed * 53 + 140) % 360, 190, 110));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    QRandomGenerator random(quint32(seed + 1));
    for (int i = 0; i < 40; ++i) {
        painter.setBrush(QColor::fromHsv(random.bounded(360), 160 + random.bounded(90),
                                         120 + random.bounded(130)));
        const double r = width * (0.02 + random.bounded(0.08));
        painter.drawEllipse(QPointF(random.bounded(width), random.bounded(height)), r, r);
    }
    painter.end();
    for (int y = 0; y < height; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int grain = int(random.bounded(25)) - 12;
            const QRgb p = line[x];
            line[x] = qRgb(qBound(0, qRed(p) + grain, 255), qBound(0, qGreen(p) + grain, 255),
                           qBound(0, qBlue(p) + grain, 255));
        }
    }
    return image;
}

struct PhotoFiles
{
    QTemporaryDir dir;
    QStringList large; // 4032 x 3024
    QStringList hd;    // 1920 x 1080

    PhotoFiles()
    {
        for (int i = 0; i < kPhotosPerSet; ++i) {
            large << dir.filePath(QStringLiteral("IMG_%1.JPG").arg(1000 + i));
            cameraPicture(4032, 3024, i).save(large.last(), "JPEG", 92);
            hd << dir.filePath(QStringLiteral("HD_%1.JPG").arg(2000 + i));
            cameraPicture(1920, 1080, 10 + i).save(hd.last(), "JPEG", 92);
        }
    }
    const QStringList& set(int which) const { return which == 0 ? large : hd; }
};

PhotoFiles& files()
{
    static PhotoFiles photos;
    return photos;
}

QImage naiveThumbnail(const QString& path)
{
    return QImage(path).scaled(113, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

void BM_NaiveThumbnails(benchmark::State& state)
{
    const QStringList& paths = files().set(int(state.range(0)));
    const QString out = files().dir.filePath(QStringLiteral("naive.jpg"));
    for (auto _ : state) {
        for (const QString& path : paths) {
            const QImage thumbnail = naiveThumbnail(path);
            benchmark::DoNotOptimize(thumbnail.save(out, "JPG"));
        }
    }
    state.SetItemsProcessed(state.iterations() * paths.size());
    state.SetLabel(state.range(0) == 0 ? "4032x3024" : "1920x1080");
}

void BM_StoreThumbnails(benchmark::State& state)
{
    const QStringList& paths = files().set(int(state.range(0)));
    FakeGetter getter;
    std::vector<FakePhoto*> photos;
    for (const QString& path : paths) {
        auto photo = std::make_unique<FakePhoto>();
        photo->setFilePath(path);
        photos.push_back(photo.get());
        getter.prependNew(std::move(photo));
    }
    ImageItemList store(MMobile::MD_PHOTO, files().dir.path() + QStringLiteral("/store/"),
                        QStringLiteral("/skin/"));
    for (auto _ : state) {
        // A stored thumbnail path would make the store skip the picture.
        for (FakePhoto* photo : photos)
            photo->setThumbnailPath(FakeText());
        store.SetDatas(&getter);
    }
    state.SetItemsProcessed(state.iterations() * paths.size());
    state.SetLabel(state.range(0) == 0 ? "4032x3024" : "1920x1080");
}

BENCHMARK(BM_NaiveThumbnails)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreThumbnails)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

double meanDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

void writeSideBySide(const QString& target)
{
    const QString path = files().large.first();
    const QImage naive = naiveThumbnail(path);
    FakeGetter getter;
    auto photo = std::make_unique<FakePhoto>();
    photo->setFilePath(path);
    FakePhoto* raw = photo.get();
    getter.prependNew(std::move(photo));
    ImageItemList store(MMobile::MD_PHOTO, files().dir.path() + QStringLiteral("/side/"),
                        QStringLiteral("/skin/"));
    store.SetDatas(&getter);
    const QImage ours(QString::fromUtf8(raw->thumbnailPath().bytes()));
    // The store saves JPEG; compare with the naive image through the same save.
    const QString naiveFile = files().dir.filePath(QStringLiteral("naive_side.jpg"));
    naive.save(naiveFile, "JPG");
    const QImage naiveSaved(naiveFile);

    const int w = naive.width();
    const int h = naive.height();
    QImage sheet(2 * (w + 3 * w) + 60, 3 * h + 20, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    painter.drawImage(10, 10, naiveSaved);
    painter.drawImage(QRect(20 + w, 10, 3 * w, 3 * h), naiveSaved);
    const int right = 40 + 4 * w;
    painter.drawImage(right, 10, ours);
    painter.drawImage(QRect(right + 10 + w, 10, 3 * w, 3 * h), ours);
    painter.end();
    sheet.save(target);
    std::printf("side by side: %s (naive %dx%d, store %dx%d), mean difference %.2f of 255\n",
                qPrintable(target), naiveSaved.width(), naiveSaved.height(), ours.width(),
                ours.height(),
                ours.size() == naiveSaved.size() ? meanDifference(naiveSaved, ours) : -1.0);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    files();
    const QByteArray side = qgetenv("CP_BENCH_SIDE_BY_SIDE");
    if (!side.isEmpty())
        writeSideBySide(QString::fromLocal8Bit(side));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
