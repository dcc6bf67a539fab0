// Renders the photo grid offscreen into a PNG: camera-sized JPEG scenes taken
// on three days go through the store's thumbnail fill, the model and the
// delegate with the stock skin; one day is collapsed and one partly ticked.
//
//   photogrid_screenshot <skin folder> <output.png>

#include "photofixture.h"

#include "photos/imagelistdelegate.h"
#include "photos/imagelistitmmodel.h"
#include "store/imageitemlist.h"

#include <QApplication>
#include <QListView>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// A small landscape: sky, sun, hills and a lake, varied by `seed`.
QImage scene(int width, int height, int seed)
{
    QRandomGenerator random(quint32(seed * 7919 + 3));
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const int hue = (190 + seed * 23) % 360;
    QLinearGradient sky(0, 0, 0, height * 0.6);
    sky.setColorAt(0, QColor::fromHsv(hue, 120, 250));
    sky.setColorAt(1, QColor::fromHsv((hue + 30) % 360, 60, 255));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 220 - seed % 5 * 20, 90));
    painter.drawEllipse(QPointF(width * (0.2 + random.bounded(0.6)), height * 0.2), width * 0.07,
                        width * 0.07);
    for (int layer = 0; layer < 3; ++layer) {
        QPainterPath hills;
        hills.moveTo(0, height);
        const double base = height * (0.45 + 0.1 * layer);
        for (int x = 0; x <= width; x += width / 8)
            hills.lineTo(x, base - random.bounded(height * 0.15));
        hills.lineTo(width, height);
        painter.setBrush(QColor::fromHsv((100 + seed * 11 + layer * 15) % 360, 140 + layer * 30,
                                         170 - layer * 40));
        painter.drawPath(hills);
    }
    QLinearGradient lake(0, height * 0.78, 0, height);
    lake.setColorAt(0, QColor::fromHsv(hue, 160, 200));
    lake.setColorAt(1, QColor::fromHsv(hue, 200, 120));
    painter.fillRect(QRectF(0, height * 0.8, width, height * 0.2), lake);
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // A desktop-sized font; offscreen platforms start with a large one.
    QFont font = QApplication::font();
    font.setPixelSize(12);
    QApplication::setFont(font);
    if (argc < 3) {
        std::fprintf(stderr, "usage: photogrid_screenshot <skin folder> <output.png>\n");
        return 2;
    }
    QString skin = QString::fromLocal8Bit(argv[1]);
    if (!skin.endsWith(QLatin1Char('/')))
        skin += QLatin1Char('/');
    QTemporaryDir dir;

    // Day 3: six photos (one is a video), day 2: three (collapsed), day 1: five.
    const int perDay[] = {5, 3, 6};
    PhotoSet set;
    int n = 0;
    for (int day = 0; day < 3; ++day) {
        for (int i = 0; i < perDay[day]; ++i, ++n) {
            const QString name = QStringLiteral("IMG_%1.JPG").arg(4100 + n);
            const bool portrait = n % 4 == 1;
            const bool video = day == 2 && i == 4;
            FakePhoto* photo =
                set.addPhoto(localSeconds(2024, 7, 12 + day, 9 + i, 15), name,
                             video ? MMobile::FILE_KIND_VIDEO : MMobile::FILE_KIND_PICTURE);
            photo->setThumbnailPath(FakeText());
            const QString path = dir.filePath(name);
            scene(portrait ? 3024 : 4032, portrait ? 4032 : 3024, n).save(path, "JPEG", 90);
            photo->setFilePath(path);
        }
    }

    ImageItemList store(MMobile::MD_PHOTO, dir.path() + QStringLiteral("/"), skin);
    store.SetDatas(set.getter());
    ImageListItmModel model(nullptr);
    model.SetDatas(&store);
    ImageListDelegate delegate(nullptr, skin);

    // Rows: [title 14th, 6 photos, title 13th, 3 photos, title 12th, 5 photos].
    model.setData(model.index(7, 0), true, ImageListItmModel::HiddenRole);
    model.setData(model.index(2, 0), false, Qt::CheckStateRole);
    model.setData(model.index(5, 0), false, Qt::CheckStateRole);

    QListView view;
    view.setViewMode(QListView::IconMode);
    view.setFlow(QListView::LeftToRight);
    view.setWrapping(true);
    view.setResizeMode(QListView::Adjust);
    view.setMovement(QListView::Static);
    view.setSpacing(0);
    view.setItemDelegate(&delegate);
    view.setModel(&model);
    view.resize(960, 640);
    view.show();
    app.processEvents();
    const QImage shot = view.grab().toImage();
    if (!shot.save(QString::fromLocal8Bit(argv[2])))
        return 1;
    std::printf("%s: %dx%d, %d rows\n", argv[2], shot.width(), shot.height(), model.rowCount());
    return 0;
}
