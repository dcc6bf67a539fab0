// Repainting a screen of photo cells (6 rows of 7) whose thumbnails are the
// JPEG files a store writes (at most 113 x 96): the grid's delegate, which
// keeps the fitted thumbnails and only checks each file's time stamp, against
// the way a paint worked before, loading and scaling every file again, timed
// in the same run. Prints the milliseconds of one repaint and the ratio.

#include "guistallprobe.h"
#include "offscreenbenchmarks.h"
#include "photos/imagelistdelegate.h"
#include "photos/imagelistitmmodel.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>

namespace {

const int kColumns = 7;
const int kRows = 6;
const QSize kCell(133, 145);

// The cells of one screen, each with a thumbnail file of its own.
struct Screen
{
    QTemporaryDir dir;
    QStandardItemModel model;
    QImage canvas{kCell.width() * kColumns, kCell.height() * kRows, QImage::Format_RGB32};

    Screen()
    {
        for (int i = 0; i < kColumns * kRows; ++i) {
            QImage picture(i % 3 == 0 ? QSize(72, 96) : QSize(113, 85), QImage::Format_RGB32);
            QPainter painter(&picture);
            painter.fillRect(picture.rect(), QColor::fromHsv(i * 37 % 360, 160, 220));
            painter.setBrush(QColor::fromHsv(i * 91 % 360, 220, 120));
            painter.drawEllipse(picture.rect().adjusted(10, 10, -10, -10));
            painter.end();
            const QString path = dir.filePath(QString::number(i) + ".jpg");
            picture.save(path, "JPG", 90);
            auto* item = new QStandardItem(QStringLiteral("IMG_%1.HEIC").arg(i));
            item->setData(path, Qt::DecorationRole);
            item->setData(false, ImageListItmModel::TitleRole);
            item->setData(false, ImageListItmModel::HiddenRole);
            item->setData(int(Qt::Unchecked), Qt::CheckStateRole);
            model.appendRow(item);
        }
    }

    QStyleOptionViewItem option(int row) const
    {
        QStyleOptionViewItem opt;
        opt.rect =
            QRect(QPoint(row % kColumns * kCell.width(), row / kColumns * kCell.height()), kCell);
        return opt;
    }
};

// One repaint as it was: every thumbnail loaded and scaled again.
void paintReloading(Screen& screen)
{
    QPainter painter(&screen.canvas);
    for (int row = 0; row < screen.model.rowCount(); ++row) {
        const QRect cell = screen.option(row).rect;
        QImage image(screen.model.index(row, 0).data(Qt::DecorationRole).toString());
        image = image.scaled(113, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        painter.drawImage(cell.topLeft() + QPoint(4, 9), image);
        painter.drawText(cell.adjusted(0, 125, 0, 0), screen.model.index(row, 0).data().toString());
    }
}

void BM_RepaintScreenOfCells(benchmark::State& state)
{
    Screen screen;
    ImageListDelegate delegate(nullptr, screen.dir.path() + QStringLiteral("/"));
    auto repaint = [&] {
        QPainter painter(&screen.canvas);
        for (int row = 0; row < screen.model.rowCount(); ++row)
            delegate.paint(&painter, screen.option(row), screen.model.index(row, 0));
    };
    repaint(); // the first paint decodes
    double best = 1e300;
    for (auto _ : state) {
        const double start = GuiStallProbe::ThreadCpuMs();
        repaint();
        best = std::min(best, GuiStallProbe::ThreadCpuMs() - start);
    }
    double reloading = 1e300;
    for (int i = 0; i < 5; ++i) {
        const double start = GuiStallProbe::ThreadCpuMs();
        paintReloading(screen);
        reloading = std::min(reloading, GuiStallProbe::ThreadCpuMs() - start);
    }
    state.counters["repaint_ms"] = best;
    state.counters["reloading_ms"] = reloading;
    state.counters["ratio"] = best / reloading;
}
BENCHMARK(BM_RepaintScreenOfCells)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

int main(int argc, char** argv)
{
    return RunOffscreenBenchmarks<QApplication>(argc, argv);
}
