// Renders the photo grid offscreen into a PNG: camera-sized JPEG pictures taken
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
#include <QTemporaryDir>

#include <cstdio>

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
            samplePicture(portrait ? 3024 : 4032, portrait ? 4032 : 3024, n).save(path, "JPEG", 90);
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
