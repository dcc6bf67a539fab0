// The photo grid: its model over a photo store, and the delegate that paints
// and clicks its rows, on one five-photo grid.

#include "photofixture.h"

#include "photos/imagelistdelegate.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyleOptionButton>
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
const QSize kTitle(930, 32);
const QSize kCell(133, 145);

// The bounding rectangle of the pixels of `colour`, or with a null colour of
// the dark grey (text) pixels; the skin colours are not grey.
QRect areaOf(const QImage& image, const QColor& colour = QColor())
{
    QRect area;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const bool hit =
                colour.isValid()
                    ? std::abs(qRed(p) - colour.red()) < 8 &&
                          std::abs(qGreen(p) - colour.green()) < 8 &&
                          std::abs(qBlue(p) - colour.blue()) < 8
                    : qGray(p) < 140 && std::max({qRed(p), qGreen(p), qBlue(p)}) -
                                                std::min({qRed(p), qGreen(p), qBlue(p)}) <
                                            24;
            if (hit)
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

bool saveFlat(const QString& path, const QSize& size, const QColor& colour,
              const char* format = nullptr)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path, format);
}

QSize indicator()
{
    QStyleOptionButton button;
    return QApplication::style()
        ->subElementRect(QStyle::SE_CheckBoxIndicator, &button, nullptr)
        .size();
}

} // namespace

class TestPhotoGrid : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    PhotoSet m_set;
    std::unique_ptr<PhotoGrid> m_grid;
    std::unique_ptr<ImageListDelegate> m_delegate;

    QString skin() const { return m_dir.path() + QStringLiteral("/skin/"); }
    QVariant value(int row, int role) const { return m_grid->value(row, role); }
    QString picture(const QString& name) const
    {
        return m_dir.path() + QStringLiteral("/pictures/") + name;
    }
    QStyleOptionViewItem option(int row) const
    {
        QStyleOptionViewItem opt;
        opt.rect =
            QRect(kOrigin, value(row, ImageListItmModel::TitleRole).toBool() ? kTitle : kCell);
        return opt;
    }
    QImage render(ImageListDelegate& delegate, int row) const
    {
        QImage image(1200, 300, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        delegate.paint(&painter, option(row), m_grid->model.index(row, 0));
        return image;
    }
    QString ticks() const
    {
        QString out;
        for (int row = 0; row < 7; ++row)
            out += QLatin1Char("UPC"[value(row, Qt::CheckStateRole).toInt()]);
        return out;
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
        // The file name says nothing about the content: the content decides.
        QVERIFY(saveFlat(picture("photo.png.bin"), QSize(113, 96), kPhoto, "JPG"));
        qputenv("TZ", "UTC0");
        tzset();
        // Rows: title 2 June, three photos, title 1 June, two photos.
        m_set.addPhoto(localSeconds(2024, 6, 2, 12, 0), QStringLiteral("14 characters"));
        m_set.addPhoto(localSeconds(2024, 6, 2, 11, 0), QStringLiteral("15 characters!!"));
        m_set.addPhoto(localSeconds(2024, 6, 2, 10, 0), QStringLiteral("Cd"));
        m_set.addPhoto(localSeconds(2024, 6, 1, 12, 0), QStringLiteral("Dd"));
        m_set.addPhoto(localSeconds(2024, 6, 1, 11, 0), QStringLiteral("Ee"));
    }
    void init()
    {
        m_grid = std::make_unique<PhotoGrid>(m_set, m_dir.path());
        m_delegate = std::make_unique<ImageListDelegate>(nullptr, skin());
    }
    void cleanup()
    {
        m_delegate.reset();
        m_grid.reset();
    }

    void withoutRows()
    {
        ImageListItmModel model(nullptr);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
        QVERIFY(!model.data(model.index(0, 0), Qt::DisplayRole).isValid());
        QVERIFY(!model.setData(model.index(0, 0), false, Qt::CheckStateRole));
        model.CheckAll(Qt::Checked);
        model.ChangeViewMode(IMAGE_VIEW_FLAT);
        ImageItemList empty(MMobile::MD_PHOTO, m_dir.path() + QStringLiteral("/work/"), skin());
        model.SetDatas(&empty);
        QCOMPARE(model.rowCount(), 0);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.CheckAll(Qt::Checked);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(m_grid->model.rowCount(m_grid->model.index(0, 0)), 0);
        // An index of another model reads as nothing here.
        QStandardItemModel other(1, 1);
        QVERIFY(!m_grid->model.data(other.index(0, 0), Qt::DisplayRole).isValid());
    }

    void roleTable_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("roles"); // display, title, members, decoration, size hint
        const int byDate = IMAGE_VIEW_BY_DATE;
        const int flat = IMAGE_VIEW_FLAT;
        QTest::newRow("by date, title") << byDate << 0 << "02-06-2024 true 3 none 930x32";
        QTest::newRow("by date, photo") << byDate << 1 << "14 characters false 0 /thumbs/0.jpg 0x0";
        QTest::newRow("by date, second title") << byDate << 4 << "01-06-2024 true 2 none 930x32";
        QTest::newRow("by date, last photo") << byDate << 6 << "Ee false 0 /thumbs/4.jpg 0x0";
        QTest::newRow("flat, first photo")
            << flat << 0 << "14 characters false 0 /thumbs/0.jpg 133x145";
        QTest::newRow("flat, last photo") << flat << 4 << "Ee false 0 /thumbs/4.jpg 133x145";
    }
    void roleTable()
    {
        QFETCH(int, mode);
        QFETCH(int, row);
        QFETCH(QString, roles);
        // Collapse every day first: the hidden role shows it in by-date only.
        m_grid->store.SetHide(0, true);
        m_grid->store.SetHide(4, true);
        m_grid->model.ChangeViewMode(ImageViewMode(mode));
        QCOMPARE(m_grid->model.rowCount(), mode == IMAGE_VIEW_FLAT ? 5 : 7);
        const QVariant decoration = value(row, Qt::DecorationRole);
        const QSize hint = m_delegate->sizeHint(option(row), m_grid->model.index(row, 0));
        QCOMPARE((QStringList{value(row, Qt::DisplayRole).toString(),
                              value(row, ImageListItmModel::TitleRole).toString(),
                              value(row, ImageListItmModel::MemberCountRole).toString(),
                              decoration.isValid() ? decoration.toString() : "none",
                              QString("%1x%2").arg(hint.width()).arg(hint.height())}
                      .join(' ')),
                 roles);
        QCOMPARE(value(row, Qt::CheckStateRole), QVariant(int(Qt::Checked)));
        QCOMPARE(value(row, ImageListItmModel::HiddenRole).toBool(), mode == IMAGE_VIEW_BY_DATE);
        QCOMPARE(value(row, ImageListItmModel::DefaultPhotoRole).toString(),
                 skin() + QStringLiteral("default_picture.png"));
        QVERIFY(!value(row, Qt::UserRole + 4).isValid());
        // A collapsed photo draws nothing.
        if (hint.isEmpty())
            QCOMPARE(areaOf(render(*m_delegate, row), Qt::white), QRect(0, 0, 1200, 300));
        QCOMPARE(m_grid->model.flags(m_grid->model.index(row, 0)),
                 Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    }

    // Photo row 1 starts unticked; role -1 stands for CheckAll of the input.
    void tickChanges_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<int>("input");
        // The answer, the ticks, row 1 collapsed, itemCheckedChanged, the rows
        // dataChanged names, resets and the store's ticked count.
        QTest::addColumn<QString>("result");
        const int check = Qt::CheckStateRole;
        const int hidden = ImageListItmModel::HiddenRole;
        // clang-format off
        QTest::newRow("unchecked") << check << int(Qt::Unchecked) << "y PUCCCCC - 1 1-1 1 4";
        QTest::newRow("partly checked ticks") << check << 1 << "y CCCCCCC - 1 1-1 1 5";
        QTest::newRow("hidden collapses") << hidden << 1 << "n PUCCCCC h 0  1 4";
        QTest::newRow("display") << int(Qt::DisplayRole) << 1 << "n PUCCCCC - 0  0 4";
        QTest::newRow("all unchecked") << -1 << int(Qt::Unchecked) << "- UUUUUUU - 0 0-6 0 0";
        QTest::newRow("all checked") << -1 << int(Qt::Checked) << "- CCCCCCC - 0 0-6 0 5";
        // clang-format on
    }
    void tickChanges()
    {
        QFETCH(int, role);
        QFETCH(int, input);
        QFETCH(QString, result);
        m_grid->store.SetChecked(1, Qt::Unchecked);
        QSignalSpy checked(&m_grid->model, &ImageListItmModel::itemCheckedChanged);
        QSignalSpy changed(&m_grid->model, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&m_grid->model, &QAbstractItemModel::modelReset);
        QString answer = "-";
        if (role < 0)
            m_grid->model.CheckAll(Qt::CheckState(input));
        else
            answer = m_grid->model.setData(m_grid->model.index(1, 0), input, role) ? "y" : "n";
        QStringList rows;
        for (const QList<QVariant>& call : changed)
            rows << QString::number(call.at(0).toModelIndex().row()) + '-' +
                        QString::number(call.at(1).toModelIndex().row());
        QCOMPARE((QStringList{answer, ticks(),
                              value(1, ImageListItmModel::HiddenRole).toBool() ? "h" : "-",
                              QString::number(checked.count()), rows.join(','),
                              QString::number(reset.count()),
                              QString::number(m_grid->store.GetCheckedCount())}
                      .join(' ')),
                 result);
    }

    void thumbnailPlacement_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QRect>("expected"); // relative to the row's corner
        QTest::newRow("wide 226 x 96") << picture("wide.png") << kPhoto << QRect(4, 33, 113, 48);
        QTest::newRow("narrow 48 x 96") << picture("narrow.png") << kPhoto << QRect(36, 9, 48, 96);
        QTest::newRow("small 40 x 30 grows")
            << picture("small.png") << kPhoto << QRect(4, 15, 113, 84);
        QTest::newRow("JPEG under another name")
            << picture("photo.png.bin") << kPhoto << QRect(4, 9, 113, 96);
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
        QCOMPARE(areaOf(render(*m_delegate, 1), colour), expected.translated(kOrigin));
        m_set.photo(0)->setThumbnailPath("/thumbs/0.jpg");
    }

    // Painting keeps decoded thumbnails, yet a file written again after it was
    // drawn shows its new content, also when it keeps its size; a file that
    // appears where there was none replaces the default photo.
    void rewrittenThumbnailIsDrawnAnew()
    {
        // BMP: every write of the same size has the same length.
        const QString file = picture("rewritten.bmp");
        m_set.photo(0)->setThumbnailPath(file);
        QCOMPARE(areaOf(render(*m_delegate, 1), kDefaultPhoto),
                 QRect(4, 9, 113, 96).translated(kOrigin));
        const QDateTime first = QDateTime::currentDateTime().addSecs(-60);
        for (const QColor& colour : {kPhoto, kLine, kPhoto}) {
            QVERIFY(saveFlat(file, QSize(113, 96), colour));
            // Two writes within the clock's resolution still differ in time.
            QFile stamp(file);
            QVERIFY(stamp.open(QIODevice::ReadWrite));
            QVERIFY(stamp.setFileTime(first.addSecs(colour == kLine ? 1 : 2),
                                      QFileDevice::FileModificationTime));
            stamp.close();
            QCOMPARE(areaOf(render(*m_delegate, 1), colour),
                     QRect(4, 9, 113, 96).translated(kOrigin));
        }
        m_set.photo(0)->setThumbnailPath("/thumbs/0.jpg");
    }

    // Row 0 is a title: its box, the collapse triangle, the label and the line;
    // the others are photos: the box and the text beside it.
    void painting_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("hide");
        QTest::addColumn<QColor>("box");
        QTest::addColumn<QColor>("triangle");
        QTest::addColumn<int>("textTop"); // first row a photo's text may reach, from the box
        // clang-format off
        QTest::newRow("title ticked, expanded") << 0 << 2 << false << kCheck << kTriangleDown << 0;
        QTest::newRow("title partly, collapsed") << 0 << 1 << true << kPartCheck << kTriangleUp << 0;
        QTest::newRow("title unticked, expanded") << 0 << 0 << false << kNoCheck << kTriangleDown << 0;
        QTest::newRow("14 characters, ticked") << 1 << 2 << false << kCheck << QColor() << 0;
        QTest::newRow("15 characters, unticked") << 2 << 0 << false << kNoCheck << QColor() << -6;
        QTest::newRow("partly ticked shows ticked") << 3 << 1 << false << kCheck << QColor() << 0;
        // clang-format on
    }
    void painting()
    {
        QFETCH(int, row);
        QFETCH(int, state);
        QFETCH(bool, hide);
        QFETCH(QColor, box);
        QFETCH(QColor, triangle);
        QFETCH(int, textTop);
        m_grid->store.GetViewItem(row)->checkState = Qt::CheckState(state);
        m_grid->store.SetHide(row, hide);
        const QImage image = render(*m_delegate, row);
        const QPoint boxCorner = kOrigin + (row == 0 ? QPoint(16, 18) : QPoint(8, 120));
        QCOMPARE(areaOf(image, box), QRect(boxCorner, QSize(13, 13)));
        const int right = boxCorner.x() + indicator().width() - 1 + 8;
        const QRect ink = areaOf(image);
        if (row > 0) {
            QVERIFY2(ink.left() >= right && ink.left() < right + 4,
                     qPrintable(QString::number(ink.left())));
            // A short text starts in its rectangle's top row, a long one 6 higher.
            const int top = boxCorner.y() + textTop;
            QVERIFY2(ink.top() >= top && ink.top() < top + 6,
                     qPrintable(QString::number(ink.top())));
            return;
        }
        const QRect triangleRect(right, boxCorner.y(), 14, 14);
        QCOMPARE(areaOf(image, triangle), triangleRect);
        const QRect labelRect(triangleRect.right() + 8, triangleRect.top(), 100, 14);
        QCOMPARE(areaOf(image, kLine), QRect(labelRect.right() + 8, labelRect.top() + 6, 730, 2));
        // The label ("02-06-2024   (3)") sits in its 100 x 14 rectangle.
        QVERIFY(labelRect.adjusted(-1, -1, 1, 1).contains(ink));
        QVERIFY(ink.width() > 50);
    }

    void missingSkinDrawsNoPictures()
    {
        ImageListDelegate bare(nullptr, m_dir.path() + QStringLiteral("/noskin/"));
        const QImage image = render(bare, 0);
        QVERIFY(areaOf(image, kCheck).isNull());
        QVERIFY(areaOf(image, kTriangleDown).isNull());
        QVERIFY(!areaOf(image).isNull()); // the label still shows
    }

    // Mouse events at an offset from a row's corner: "up" (left release),
    // "dbl" (left double click), "right" (right release), "press", "move"; "pre"
    // first unticks row 1. Rows: title, 3 photos, title, 2 photos.
    void clicks_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QPoint>("offset");
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("result"); // ticks, answers, first day collapsed
        // clang-format off
        QTest::newRow("title box") << 0 << QPoint(20, 22) << "up" << "UUUUCCC y -";
        QTest::newRow("title box corner") << 0 << QPoint(16, 18) << "up" << "UUUUCCC y -";
        QTest::newRow("title box, twice") << 0 << QPoint(20, 22) << "up up" << "CCCCCCC yy -";
        QTest::newRow("title box, double click") << 0 << QPoint(22, 24) << "dbl" << "UUUUCCC y -";
        QTest::newRow("partly ticked day unticks") << 0 << QPoint(20, 22) << "pre up" << "UUUUCCC y -";
        QTest::newRow("collapse zone") << 0 << QPoint(40, 24) << "up" << "CCCCCCC n collapsed";
        QTest::newRow("last pixel of the zone") << 0 << QPoint(129, 31) << "up" << "CCCCCCC n collapsed";
        QTest::newRow("collapse zone, twice") << 0 << QPoint(40, 24) << "up up" << "CCCCCCC nn -";
        QTest::newRow("past the zone") << 0 << QPoint(130, 24) << "up" << "CCCCCCC n -";
        QTest::newRow("below the zone") << 0 << QPoint(60, 32) << "up" << "CCCCCCC n -";
        QTest::newRow("left of the box") << 0 << QPoint(10, 22) << "up" << "CCCCCCC n -";
        QTest::newRow("photo box") << 3 << QPoint(10, 122) << "up" << "PCCUCCC y -";
        QTest::newRow("photo box corner") << 3 << QPoint(8, 120) << "up" << "PCCUCCC y -";
        QTest::newRow("photo box, twice") << 3 << QPoint(12, 124) << "up up" << "CCCCCCC yy -";
        QTest::newRow("photo at the title's box") << 3 << QPoint(20, 22) << "up" << "CCCCCCC n -";
        QTest::newRow("photo outside the box") << 1 << QPoint(60, 40) << "up" << "CCCCCCC n -";
        QTest::newRow("right click") << 0 << QPoint(20, 22) << "right" << "CCCCCCC n -";
        QTest::newRow("press on a title box") << 0 << QPoint(20, 22) << "press" << "CCCCCCC n -";
        QTest::newRow("move over a photo box") << 1 << QPoint(10, 122) << "move" << "CCCCCCC n -";
        // clang-format on
    }
    void clicks()
    {
        QFETCH(int, row);
        QFETCH(QPoint, offset);
        QFETCH(QString, events);
        QFETCH(QString, result);
        const QMap<QString, QPair<QEvent::Type, Qt::MouseButton>> kinds{
            {"up", {QEvent::MouseButtonRelease, Qt::LeftButton}},
            {"dbl", {QEvent::MouseButtonDblClick, Qt::LeftButton}},
            {"right", {QEvent::MouseButtonRelease, Qt::RightButton}},
            {"press", {QEvent::MouseButtonPress, Qt::LeftButton}},
            {"move", {QEvent::MouseMove, Qt::LeftButton}}};
        QSignalSpy checked(&m_grid->model, &ImageListItmModel::itemCheckedChanged);
        const QPoint pos = kOrigin + offset;
        QString answers;
        for (const QString& name : events.split(' ')) {
            const auto kind = kinds.value(name);
            QMouseEvent event(kind.first, pos, pos, kind.second, kind.second, Qt::NoModifier);
            if (name == "pre")
                m_grid->store.SetChecked(1, Qt::Unchecked); // tells the model nothing
            else if (m_delegate->editorEvent(&event, &m_grid->model, option(row),
                                             m_grid->model.index(row, 0)))
                answers += 'y';
            else
                answers += 'n';
        }
        const bool collapsed = value(0, ImageListItmModel::HiddenRole).toBool();
        QCOMPARE(value(1, ImageListItmModel::HiddenRole).toBool(), collapsed);
        QCOMPARE(ticks() + ' ' + answers + ' ' + (collapsed ? "collapsed" : "-"), result);
        QCOMPARE(checked.count(), answers.count('y'));
        QVERIFY(!m_delegate->editorEvent(nullptr, &m_grid->model, option(0),
                                         m_grid->model.index(0, 0)));
    }
};

QTEST_MAIN(TestPhotoGrid)
#include "tst_photogrid.moc"
