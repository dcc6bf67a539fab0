#include "photofixture.h"

#include "photos/imagelistdelegate.h"
#include "photos/imagelistitmmodel.h"
#include "store/imageitemlist.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

// Each skin picture is one flat colour, so a rendering shows which was drawn where.
const QColor kCheck(0, 200, 0);
const QColor kPartCheck(250, 200, 0);
const QColor kNoCheck(90, 40, 160);
const QColor kTriangleUp(200, 0, 200);
const QColor kTriangleDown(0, 200, 200);
const QColor kLine(0, 0, 250);
const QColor kDefaultPhoto(250, 120, 0);
const QColor kPhoto(250, 0, 0);

const QPoint kOrigin(20, 30);

bool sameColour(QRgb pixel, const QColor& colour)
{
    return std::abs(qRed(pixel) - colour.red()) < 8 &&
           std::abs(qGreen(pixel) - colour.green()) < 8 &&
           std::abs(qBlue(pixel) - colour.blue()) < 8;
}

// The bounding rectangle of the pixels of `colour`.
QRect areaOf(const QImage& image, const QColor& colour)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (sameColour(image.pixel(x, y), colour))
                area |= QRect(x, y, 1, 1);
    return area;
}

// The bounding rectangle of dark grey (text) pixels; the skin colours are not grey.
QRect inkOf(const QImage& image)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const int spread =
                std::max({qRed(p), qGreen(p), qBlue(p)}) - std::min({qRed(p), qGreen(p), qBlue(p)});
            if (qGray(p) < 140 && spread < 24)
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

bool saveFlat(const QString& path, const QSize& size, const QColor& colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path);
}

QSize indicator()
{
    QStyleOptionButton button;
    return QApplication::style()
        ->subElementRect(QStyle::SE_CheckBoxIndicator, &button, nullptr)
        .size();
}

} // namespace

class TestImageListDelegate : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    PhotoSet m_set;
    std::unique_ptr<ImageItemList> m_store;
    std::unique_ptr<ImageListItmModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    std::unique_ptr<ImageListDelegate> m_delegate;

    QString skin() const { return m_dir.path() + QStringLiteral("/skin/"); }
    QString picture(const QString& name) const
    {
        return m_dir.path() + QStringLiteral("/pictures/") + name;
    }

    QStyleOptionViewItem option(const QSize& size) const
    {
        QStyleOptionViewItem opt;
        opt.rect = QRect(kOrigin, size);
        return opt;
    }

    QImage render(int row, const QSize& size = QSize(133, 145)) const
    {
        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        m_delegate->paint(&painter, option(size), m_model->index(row, 0));
        painter.end();
        return image;
    }

    // Sends one mouse event at `offset` from the row's top-left corner.
    bool click(int row, const QPoint& offset, QEvent::Type type = QEvent::MouseButtonRelease,
               Qt::MouseButton button = Qt::LeftButton)
    {
        const QPoint pos = kOrigin + offset;
        QMouseEvent event(type, pos, pos, button, button, Qt::NoModifier);
        const bool title = m_model->index(row, 0).data(ImageListItmModel::TitleRole).toBool();
        return m_delegate->editorEvent(&event, m_model.get(),
                                       option(title ? QSize(930, 32) : QSize(133, 145)),
                                       m_model->index(row, 0));
    }

    int tick(int row) const { return m_model->index(row, 0).data(Qt::CheckStateRole).toInt(); }
    bool collapsed(int row) const
    {
        return m_model->index(row, 0).data(ImageListItmModel::HiddenRole).toBool();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QDir().mkpath(skin());
        QDir().mkpath(picture(QString()));
        QVERIFY(saveFlat(skin() + "check.png", QSize(13, 13), kCheck));
        QVERIFY(saveFlat(skin() + "bcheck.png", QSize(13, 13), kPartCheck));
        QVERIFY(saveFlat(skin() + "nocheck.png", QSize(13, 13), kNoCheck));
        QVERIFY(saveFlat(skin() + "triangle_up.png", QSize(14, 14), kTriangleUp));
        QVERIFY(saveFlat(skin() + "triangle_down.png", QSize(14, 14), kTriangleDown));
        QVERIFY(saveFlat(skin() + "line.png", QSize(730, 2), kLine));
        QVERIFY(saveFlat(skin() + "default_picture.png", QSize(113, 96), kDefaultPhoto));
        QVERIFY(saveFlat(picture("wide.png"), QSize(226, 96), kPhoto));
        QVERIFY(saveFlat(picture("narrow.png"), QSize(48, 96), kPhoto));
        QVERIFY(saveFlat(picture("small.png"), QSize(40, 30), kPhoto));

        qputenv("TZ", "UTC0");
        tzset();
        // Day 2: three photos; day 1: two photos.
        m_set.addPhoto(localSeconds(2024, 6, 2, 12, 0), QStringLiteral("14 characters"));
        m_set.addPhoto(localSeconds(2024, 6, 2, 11, 0), QStringLiteral("15 characters!!"));
        m_set.addPhoto(localSeconds(2024, 6, 2, 10, 0), QStringLiteral("Cd"));
        m_set.addPhoto(localSeconds(2024, 6, 1, 12, 0), QStringLiteral("Dd"));
        m_set.addPhoto(localSeconds(2024, 6, 1, 11, 0), QStringLiteral("Ee"));
    }

    void init()
    {
        m_store = std::make_unique<ImageItemList>(MMobile::MD_PHOTO,
                                                  m_dir.path() + QStringLiteral("/work/"), skin());
        m_store->SetDatas(m_set.getter());
        m_model = std::make_unique<ImageListItmModel>(nullptr);
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        m_model->SetDatas(m_store.get());
        m_delegate = std::make_unique<ImageListDelegate>(nullptr, skin());
    }

    void cleanup()
    {
        m_delegate.reset();
        m_tester.reset();
        m_model.reset();
        m_store.reset();
    }

    void sizeHints()
    {
        const QStyleOptionViewItem opt = option(QSize(5, 5));
        QCOMPARE(m_delegate->sizeHint(opt, m_model->index(0, 0)), QSize(930, 32));
        QCOMPARE(m_delegate->sizeHint(opt, m_model->index(1, 0)), QSize(133, 145));
        m_model->setData(m_model->index(0, 0), true, ImageListItmModel::HiddenRole);
        QCOMPARE(m_delegate->sizeHint(opt, m_model->index(0, 0)), QSize(930, 32));
        QCOMPARE(m_delegate->sizeHint(opt, m_model->index(1, 0)), QSize(0, 0));
        QCOMPARE(m_delegate->sizeHint(opt, m_model->index(5, 0)), QSize(133, 145));
        // A collapsed photo shows again in the flat layout.
        m_model->ChangeViewMode(IMAGE_VIEW_FLAT);
        QCOMPARE(m_delegate->sizeHint(opt, m_model->index(0, 0)), QSize(133, 145));
    }

    void thumbnailPlacement_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QRect>("expected"); // relative to the row's corner
        QTest::newRow("wide 226 x 96") << picture("wide.png") << kPhoto << QRect(4, 33, 113, 48);
        QTest::newRow("narrow 48 x 96") << picture("narrow.png") << kPhoto << QRect(36, 9, 48, 96);
        QTest::newRow("small 40 x 30 grows to 113 x 84")
            << picture("small.png") << kPhoto << QRect(4, 15, 113, 84);
        QTest::newRow("missing file")
            << picture("gone.png") << kDefaultPhoto << QRect(4, 9, 113, 96);
        QTest::newRow("empty path") << QString("") << kDefaultPhoto << QRect(4, 9, 113, 96);
        QTest::newRow("not a picture") << skin() << kDefaultPhoto << QRect(4, 9, 113, 96);
    }
    void thumbnailPlacement()
    {
        QFETCH(QString, file);
        QFETCH(QColor, colour);
        QFETCH(QRect, expected);
        m_set.photo(0)->setThumbnailPath(file);
        const QImage image = render(1);
        QCOMPARE(areaOf(image, colour), expected.translated(kOrigin));
    }

    void jpegWithAnotherNameStillLoads()
    {
        // The file name says nothing about the content: the content decides.
        const QString path = picture("photo.png.bin");
        QImage jpeg(113, 96, QImage::Format_RGB32);
        jpeg.fill(kPhoto);
        QVERIFY(jpeg.save(path, "JPG"));
        m_set.photo(0)->setThumbnailPath(path);
        QCOMPARE(areaOf(render(1), kPhoto), QRect(4, 9, 113, 96).translated(kOrigin));
        m_set.photo(0)->setThumbnailPath("/thumbs/0.jpg");
    }

    void photoTickAndText_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("state");
        QTest::addColumn<QColor>("box");
        QTest::addColumn<int>("textTop"); // first row the text may reach, from the corner
        QTest::newRow("14 characters, ticked") << 1 << 2 << kCheck << 0;
        QTest::newRow("15 characters, unticked") << 2 << 0 << kNoCheck << -6;
        QTest::newRow("partly ticked shows ticked") << 3 << 1 << kCheck << 0;
    }
    void photoTickAndText()
    {
        QFETCH(int, row);
        QFETCH(int, state);
        QFETCH(QColor, box);
        QFETCH(int, textTop);
        m_store->GetViewItem(row)->checkState = Qt::CheckState(state);
        const QImage image = render(row);
        const QSize iw = indicator();
        const QPoint boxCorner = kOrigin + QPoint(8, 120);
        QCOMPARE(areaOf(image, box), QRect(boxCorner, QSize(13, 13)));

        const QRect ink = inkOf(image);
        QVERIFY(!ink.isNull());
        const int left = boxCorner.x() + iw.width() - 1 + 8;
        QVERIFY2(ink.left() >= left && ink.left() < left + 4,
                 qPrintable(QString::number(ink.left())));
        const int top = boxCorner.y() + textTop;
        QVERIFY2(ink.top() >= top, qPrintable(QString::number(ink.top())));
        // A short text starts in its rectangle's top row, a long one 6 higher.
        QVERIFY2(ink.top() < top + 6, qPrintable(QString::number(ink.top())));
    }

    void hiddenPhotoPaintsNothing()
    {
        m_model->setData(m_model->index(0, 0), true, ImageListItmModel::HiddenRole);
        const QImage image = render(1);
        QCOMPARE(image.pixel(0, 0), qRgb(255, 255, 255));
        QVERIFY(areaOf(image, qRgb(255, 255, 255)) == image.rect());
    }

    void titlePainting_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("hide");
        QTest::addColumn<QColor>("box");
        QTest::addColumn<QColor>("triangle");
        QTest::newRow("ticked, expanded") << 2 << false << kCheck << kTriangleDown;
        QTest::newRow("partly, collapsed") << 1 << true << kPartCheck << kTriangleUp;
        QTest::newRow("unticked, expanded") << 0 << false << kNoCheck << kTriangleDown;
    }
    void titlePainting()
    {
        QFETCH(int, state);
        QFETCH(bool, hide);
        QFETCH(QColor, box);
        QFETCH(QColor, triangle);
        m_store->GetViewItem(0)->checkState = Qt::CheckState(state);
        m_store->SetHide(0, hide);
        QImage image(1200, 80, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        m_delegate->paint(&painter, option(QSize(930, 32)), m_model->index(0, 0));
        painter.end();

        const QSize iw = indicator();
        const QPoint boxCorner = kOrigin + QPoint(16, 18);
        QCOMPARE(areaOf(image, box), QRect(boxCorner, QSize(13, 13)));
        const QRect triangleRect(boxCorner.x() + iw.width() - 1 + 8, boxCorner.y(), 14, 14);
        QCOMPARE(areaOf(image, triangle), triangleRect);
        const QRect labelRect(triangleRect.right() + 8, triangleRect.top(), 100, 14);
        QCOMPARE(areaOf(image, kLine), QRect(labelRect.right() + 8, labelRect.top() + 6, 730, 2));

        // The label ("02-06-2024   (3)") sits in its 100 x 14 rectangle.
        const QRect ink = inkOf(image);
        QVERIFY(labelRect.adjusted(-1, -1, 1, 1).contains(ink));
        QVERIFY(ink.width() > 50);
    }

    void titleClicks()
    {
        QSignalSpy changed(m_model.get(), &ImageListItmModel::itemCheckedChanged);
        m_store->SetChecked(1, Qt::Unchecked);
        QCOMPARE(tick(0), int(Qt::PartiallyChecked));

        // Tick box: a partly ticked day becomes unticked, then ticked again.
        QVERIFY(click(0, QPoint(20, 22)));
        QCOMPARE(tick(0), int(Qt::Unchecked));
        for (int row : {1, 2, 3})
            QCOMPARE(tick(row), int(Qt::Unchecked));
        QCOMPARE(tick(5), int(Qt::Checked));
        QVERIFY(click(0, QPoint(16, 18))); // the box's corner counts
        QCOMPARE(tick(2), int(Qt::Checked));
        QCOMPARE(changed.count(), 2);

        // The collapse zone past the box: the triangle and the start of the label.
        QVERIFY(!click(0, QPoint(40, 24)));
        QVERIFY(collapsed(0));
        QVERIFY(collapsed(1));
        QCOMPARE(tick(0), int(Qt::Checked));
        QVERIFY(!click(0, QPoint(129, 31))); // last pixel of the zone
        QVERIFY(!collapsed(0));
        QCOMPARE(changed.count(), 2);

        // Outside every zone.
        QVERIFY(!click(0, QPoint(130, 24)));
        QVERIFY(!click(0, QPoint(60, 32)));
        QVERIFY(!click(0, QPoint(10, 22)));
        QVERIFY(!collapsed(0));
        QCOMPARE(tick(0), int(Qt::Checked));
    }

    void photoClicks()
    {
        QSignalSpy changed(m_model.get(), &ImageListItmModel::itemCheckedChanged);
        QVERIFY(click(3, QPoint(10, 122)));
        QCOMPARE(tick(3), int(Qt::Unchecked));
        QCOMPARE(tick(0), int(Qt::PartiallyChecked));
        QVERIFY(click(3, QPoint(8, 120))); // the box's corner counts
        QCOMPARE(tick(3), int(Qt::Checked));
        QCOMPARE(tick(0), int(Qt::Checked));
        QCOMPARE(changed.count(), 2);
        // The photo box sits below the thumbnail, not where a title's box is.
        QVERIFY(!click(3, QPoint(20, 22)));
        QCOMPARE(tick(3), int(Qt::Checked));
    }

    void ignoredEvents_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QPoint>("offset");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("button");
        const int release = QEvent::MouseButtonRelease;
        const int press = QEvent::MouseButtonPress;
        QTest::newRow("right click on a title box")
            << 0 << QPoint(20, 22) << release << int(Qt::RightButton);
        QTest::newRow("middle click on a photo box")
            << 1 << QPoint(10, 122) << release << int(Qt::MiddleButton);
        QTest::newRow("press on a title box")
            << 0 << QPoint(20, 22) << press << int(Qt::LeftButton);
        QTest::newRow("press on a photo box")
            << 1 << QPoint(10, 122) << press << int(Qt::LeftButton);
        QTest::newRow("move over a photo box")
            << 1 << QPoint(10, 122) << int(QEvent::MouseMove) << int(Qt::LeftButton);
        QTest::newRow("photo outside the box")
            << 1 << QPoint(60, 40) << release << int(Qt::LeftButton);
        QTest::newRow("photo collapse zone means nothing")
            << 1 << QPoint(40, 22) << release << int(Qt::LeftButton);
    }
    void ignoredEvents()
    {
        QFETCH(int, row);
        QFETCH(QPoint, offset);
        QFETCH(int, type);
        QFETCH(int, button);
        QSignalSpy changed(m_model.get(), &ImageListItmModel::itemCheckedChanged);
        QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
        QVERIFY(!click(row, offset, QEvent::Type(type), Qt::MouseButton(button)));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(reset.count(), 0);
        QCOMPARE(tick(row), int(Qt::Checked));
        QVERIFY(!collapsed(0));
    }

    void doubleClickTogglesThreeTimes_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QPoint>("offset");
        QTest::newRow("photo box") << 1 << QPoint(12, 124);
        QTest::newRow("title box") << 0 << QPoint(22, 24);
    }
    void doubleClickTogglesThreeTimes()
    {
        QFETCH(int, row);
        QFETCH(QPoint, offset);
        QSignalSpy changed(m_model.get(), &ImageListItmModel::itemCheckedChanged);
        QVERIFY(!click(row, offset, QEvent::MouseButtonPress));
        QVERIFY(click(row, offset, QEvent::MouseButtonRelease));
        QCOMPARE(tick(row), int(Qt::Unchecked));
        QVERIFY(click(row, offset, QEvent::MouseButtonDblClick));
        QCOMPARE(tick(row), int(Qt::Checked));
        QVERIFY(click(row, offset, QEvent::MouseButtonRelease));
        QCOMPARE(tick(row), int(Qt::Unchecked));
        QCOMPARE(changed.count(), 3);
    }

    void collapseByDoubleClickToggles()
    {
        QVERIFY(!click(0, QPoint(45, 25)));
        QVERIFY(!click(0, QPoint(45, 25), QEvent::MouseButtonDblClick));
        QVERIFY(!click(0, QPoint(45, 25)));
        QVERIFY(collapsed(0));
        QVERIFY(collapsed(3));
    }

    void missingSkinDrawsNoPictures()
    {
        ImageListDelegate bare(nullptr, m_dir.path() + QStringLiteral("/noskin/"));
        QImage image(1200, 80, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        bare.paint(&painter, option(QSize(930, 32)), m_model->index(0, 0));
        painter.end();
        QVERIFY(areaOf(image, kCheck).isNull());
        QVERIFY(areaOf(image, kTriangleDown).isNull());
        QVERIFY(!inkOf(image).isNull()); // the label still shows
    }
};

QTEST_MAIN(TestImageListDelegate)
#include "tst_imagelistdelegate.moc"
