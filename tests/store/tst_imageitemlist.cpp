#include "../photos/photofixture.h"

#include "store/imageitemlist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <ctime>
#include <vector>

Q_DECLARE_METATYPE(Qt::CheckState)
Q_DECLARE_METATYPE(MMobile::MDType)

namespace {

void setTimeZone(const QByteArray& tz)
{
    qputenv("TZ", tz);
    tzset();
}

// The grid rows of a by-date store as text: "T:<day>" for titles, the photo
// text otherwise.
QStringList rows(ImageItemList& store)
{
    QStringList out;
    for (int row = 0; row < store.GetViewCount(); ++row) {
        const ImageListItem* entry = store.GetViewItem(row);
        out << (entry->isTitle ? QStringLiteral("T:") + entry->text : entry->text);
    }
    return out;
}

double meanDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 255.0;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int j = 0; j < x.height(); ++j) {
        for (int i = 0; i < x.width(); ++i) {
            const QRgb p = x.pixel(i, j);
            const QRgb q = y.pixel(i, j);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * x.width() * x.height());
}

} // namespace

class TestImageItemList : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString work() const { return m_dir.path() + QStringLiteral("/work/"); }
    QString skin() const { return m_dir.path() + QStringLiteral("/skin/"); }
    QString thumbs() const { return work() + QStringLiteral("iThmb/"); }

    // Five photos: three on 12 May 2023, two on 10 May, added out of order.
    void fillFive(PhotoSet& set)
    {
        set.addPhoto(localSeconds(2023, 5, 10, 9, 0), QStringLiteral("b1"));
        set.addPhoto(localSeconds(2023, 5, 12, 8, 0), QStringLiteral("a3"));
        set.addPhoto(localSeconds(2023, 5, 12, 20, 0), QStringLiteral("a1"));
        set.addPhoto(localSeconds(2023, 5, 10, 7, 0), QStringLiteral("b2"));
        set.addPhoto(localSeconds(2023, 5, 12, 12, 0), QStringLiteral("a2"));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        setTimeZone("CET-1CEST,M3.5.0,M10.5.0/3");
    }
    void init() { QDir(thumbs()).removeRecursively(); }
    void cleanupTestCase() { qunsetenv("TZ"); }

    void constructorMakesThumbnailFolder()
    {
        QVERIFY(!QFileInfo::exists(thumbs()));
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        QVERIFY(QFileInfo(thumbs()).isDir());
        QCOMPARE(store.GetViewMode(), IMAGE_VIEW_BY_DATE);
        QCOMPARE(store.GetDefaultPhotoPath(), skin() + QStringLiteral("default_picture.png"));
        QCOMPARE(store.GetViewCount(), 0);
        QCOMPARE(store.GetName(), QStringLiteral("Photo"));
    }

    void groupsByDayNewestFirst_data()
    {
        QTest::addColumn<bool>("duringScan");
        QTest::newRow("fill at once") << false;
        QTest::newRow("scan then flush") << true;
    }
    void groupsByDayNewestFirst()
    {
        QFETCH(bool, duringScan);
        PhotoSet set;
        fillFive(set);
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        if (duringScan) {
            for (int i = 0; i < set.count(); ++i)
                store.AddData(set.item(i), i);
            QCOMPARE(store.GetViewCount(), 0);
            store.SetDatas(nullptr);
        } else {
            store.SetDatas(set.getter());
        }

        QCOMPARE(rows(store),
                 QStringList({"T:12-05-2023", "a1", "a2", "a3", "T:10-05-2023", "b1", "b2"}));
        QCOMPARE(store.GetViewItem(0)->memberRows, QVector<int>({1, 2, 3}));
        QCOMPARE(store.GetViewItem(4)->memberRows, QVector<int>({5, 6}));
        QVERIFY(store.GetViewItem(1)->memberRows.isEmpty());
        QCOMPARE(store.GetViewItem(1)->dataIndex, 2);
        QCOMPARE(store.GetViewItem(6)->dataIndex, 3);
        QCOMPARE(store.GetViewItem(0)->dataIndex, -1);
        QCOMPARE(store.GetDataCount(false), 5u);
        QCOMPARE(store.GetDataCount(true), 5u);
        QCOMPARE(store.GetCheckedCount(), 5u);
        QCOMPARE(store.GetViewCount(), 7);
        store.ChangeViewMode(IMAGE_VIEW_FLAT);
        QCOMPARE(store.GetViewCount(), 5);
        QCOMPARE(rows(store), QStringList({"a1", "a2", "a3", "b1", "b2"}));
        QVERIFY(store.GetViewItem(5) == nullptr);

        // A second flush has nothing pending and changes nothing.
        store.SetDatas(nullptr);
        QCOMPARE(store.GetViewCount(), 5);
    }

    void localDayBoundary_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<int>("firstHour");
        QTest::addColumn<int>("firstMinute");
        QTest::addColumn<int>("titles");
        QTest::newRow("Berlin 23:59 / 00:01")
            << QByteArray("CET-1CEST,M3.5.0,M10.5.0/3") << 23 << 59 << 2;
        QTest::newRow("New York 23:59 / 00:01")
            << QByteArray("EST5EDT,M3.2.0,M11.1.0") << 23 << 59 << 2;
        QTest::newRow("Kathmandu 23:59 / 00:01") << QByteArray("NPT-5:45") << 23 << 59 << 2;
        QTest::newRow("Kathmandu 00:00 / 00:01") << QByteArray("NPT-5:45") << 0 << 0 << 1;
    }
    void localDayBoundary()
    {
        QFETCH(QByteArray, zone);
        QFETCH(int, firstHour);
        QFETCH(int, firstMinute);
        QFETCH(int, titles);
        setTimeZone(zone);
        const int firstDay = firstHour == 0 ? 11 : 10;
        PhotoSet set;
        set.addPhoto(localSeconds(2023, 5, firstDay, firstHour, firstMinute), "late");
        set.addPhoto(localSeconds(2023, 5, 11, 0, 1), "early");
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(set.getter());
        setTimeZone("CET-1CEST,M3.5.0,M10.5.0/3");

        QCOMPARE(store.GetViewCount(), titles + 2);
        QCOMPARE(store.GetViewItem(0)->text, QStringLiteral("11-05-2023"));
        if (titles == 2)
            QCOMPARE(store.GetViewItem(2)->text, QStringLiteral("10-05-2023"));
    }

    void voiceMemosGroupAndShowTheVoicePicture()
    {
        PhotoSet set;
        set.addMemo(localSeconds(2023, 1, 2, 10, 0), "older");
        set.addMemo(localSeconds(2023, 1, 3, 10, 0), "newer");
        ImageItemList store(MMobile::MD_VOICE_MEMO, work(), skin());
        store.SetDatas(set.getter());

        QCOMPARE(rows(store), QStringList({"T:03-01-2023", "newer", "T:02-01-2023", "older"}));
        QVERIFY(store.GetViewItem(1)->photo == nullptr);
        QCOMPARE(store.GetViewItem(1)->recording, set.memo(1));
        const QByteArray voice = (skin() + QStringLiteral("default_voice.png")).toUtf8();
        for (int i = 0; i < 2; ++i) {
            const auto writes = set.memo(i)->propertyWrites();
            QCOMPARE(writes.size(), 1);
            QCOMPARE(writes.first().first, int(MMobile::VOICE_PROP_THUMBNAIL_PATH));
            QCOMPARE(writes.first().second, voice);
        }
        QVERIFY(QDir(thumbs()).entryList(QDir::Files).isEmpty());
    }

    void otherCategoriesStayEmpty_data()
    {
        QTest::addColumn<MMobile::MDType>("type");
        QTest::addColumn<int>("rows");
        QTest::newRow("contacts") << MMobile::MD_CONTACT << 0;
        QTest::newRow("messages") << MMobile::MD_MESSAGE << 0;
        QTest::newRow("message attachments") << MMobile::MD_MESSAGE_ATTACHMENT << 2;
        QTest::newRow("notes attachments") << MMobile::MD_NOTE_ATTACHMENT << 2;
        QTest::newRow("WhatsApp attachments") << MMobile::MD_WHATSAPP_ATTACHMENT << 2;
        QTest::newRow("WeChat attachments") << MMobile::MD_WECHAT_ATTACHMENT << 2;
        // Voice memos take only recordings; photo records are not theirs.
        QTest::newRow("voice memos") << MMobile::MD_VOICE_MEMO << 0;
    }
    void otherCategoriesStayEmpty()
    {
        QFETCH(MMobile::MDType, type);
        QFETCH(int, rows);
        PhotoSet set;
        set.addPhoto(100, "one");
        ImageItemList store(type, work(), skin());
        store.SetDatas(set.getter());
        QCOMPARE(store.GetViewCount(), rows);
        store.ClearData();
        store.AddData(set.item(0), 0);
        store.SetDatas(nullptr);
        QCOMPARE(store.GetViewCount(), rows);
        QCOMPARE(store.GetDataCount(false), unsigned(rows / 2));
    }

    void tickingAPhotoUpdatesItsTitle()
    {
        PhotoSet set;
        fillFive(set);
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(set.getter());

        QCOMPARE(store.SetChecked(2, Qt::Unchecked), Qt::PartiallyChecked);
        QCOMPARE(store.GetCheckState(0), Qt::PartiallyChecked);
        QCOMPARE(store.GetCheckState(4), Qt::Checked);
        QCOMPARE(store.GetCheckedCount(), 4u);
        // Unticking an unticked photo again does not count twice.
        store.SetChecked(2, Qt::Unchecked);
        QCOMPARE(store.GetCheckedCount(), 4u);

        QCOMPARE(store.SetChecked(2, Qt::Checked), Qt::Checked);
        QCOMPARE(store.GetCheckState(0), Qt::Checked);

        QCOMPARE(store.SetChecked(5, Qt::Unchecked), Qt::PartiallyChecked);
        QCOMPARE(store.SetChecked(6, Qt::Unchecked), Qt::PartiallyChecked);
        QCOMPARE(store.GetCheckState(4), Qt::Unchecked);
        QCOMPARE(store.GetCheckedCount(), 3u);
    }

    void tickingATitleTicksItsDay_data()
    {
        QTest::addColumn<bool>("otherDayTicked");
        QTest::addColumn<Qt::CheckState>("expected");
        QTest::newRow("other day ticked") << true << Qt::PartiallyChecked;
        QTest::newRow("other day unticked") << false << Qt::Unchecked;
    }
    void tickingATitleTicksItsDay()
    {
        QFETCH(bool, otherDayTicked);
        QFETCH(Qt::CheckState, expected);
        PhotoSet set;
        fillFive(set);
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(set.getter());
        if (!otherDayTicked)
            store.SetChecked(4, Qt::Unchecked);
        store.SetChecked(2, Qt::Unchecked); // the day is partly ticked now

        QCOMPARE(store.SetChecked(0, Qt::Unchecked), expected);
        for (unsigned int pos : {0u, 1u, 2u, 3u})
            QCOMPARE(store.GetCheckState(pos), Qt::Unchecked);
        QCOMPARE(store.GetCheckedCount(), otherDayTicked ? 2u : 0u);

        QCOMPARE(store.SetChecked(0, Qt::Checked),
                 otherDayTicked ? Qt::Checked : Qt::PartiallyChecked);
        QCOMPARE(store.GetCheckedCount(), otherDayTicked ? 5u : 3u);
        for (unsigned int pos : {0u, 1u, 2u, 3u})
            QCOMPARE(store.GetCheckState(pos), Qt::Checked);
    }

    void flatModeLeavesTitlesAlone()
    {
        PhotoSet set;
        fillFive(set);
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(set.getter());
        store.ChangeViewMode(IMAGE_VIEW_FLAT);
        QVERIFY(store.GetCheckState(0) == Qt::Checked);

        QCOMPARE(store.SetChecked(0, Qt::Unchecked), Qt::PartiallyChecked);
        QCOMPARE(store.GetCheckState(1), Qt::Unchecked); // photo a1 at entry 1
        QCOMPARE(store.GetCheckState(0), Qt::Checked);   // its title as it was
        QCOMPARE(store.GetCheckedCount(), 4u);

        store.ChangeViewMode(IMAGE_VIEW_BY_DATE);
        QCOMPARE(store.GetViewItem(0)->checkState, Qt::Checked);
        QCOMPARE(store.GetViewItem(1)->checkState, Qt::Unchecked);
    }

    void viewModeHidesTitles()
    {
        PhotoSet set;
        fillFive(set);
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(set.getter());
        store.SetHide(4, true);
        QVERIFY(store.GetViewItem(4)->hidden);
        QVERIFY(store.GetViewItem(5)->hidden);
        QVERIFY(store.GetViewItem(6)->hidden);
        QVERIFY(!store.GetViewItem(0)->hidden);
        QVERIFY(!store.GetViewItem(3)->hidden);

        store.ChangeViewMode(IMAGE_VIEW_FLAT);
        store.ChangeViewMode(IMAGE_VIEW_BY_DATE);
        // Titles come back expanded; their photos keep the collapsed flag.
        QVERIFY(!store.GetViewItem(0)->hidden);
        QVERIFY(!store.GetViewItem(4)->hidden);
        QVERIFY(store.GetViewItem(5)->hidden);

        store.ChangeViewMode(IMAGE_VIEW_FLAT);
        QVERIFY(store.GetViewItem(0)->text == QStringLiteral("a1"));
        store.ChangeViewMode(ImageViewMode(7));
        QCOMPARE(int(store.GetViewMode()), 7);

        store.ChangeViewMode(IMAGE_VIEW_BY_DATE);
        store.SetHide(2, true); // a photo has no members: only itself
        QVERIFY(store.GetViewItem(2)->hidden);
        QVERIFY(!store.GetViewItem(1)->hidden);
        QVERIFY(!store.GetViewItem(3)->hidden);
    }

    void checkAllAndInheritedOperations()
    {
        PhotoSet set;
        fillFive(set);
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(set.getter());

        store.SetAllImageDataChecked(Qt::Unchecked);
        QCOMPARE(store.GetCheckedCount(), 0u);
        for (unsigned int pos = 0; pos < 7; ++pos)
            QCOMPARE(store.GetCheckState(pos), Qt::Unchecked);
        store.SetAllImageDataChecked(Qt::PartiallyChecked);
        QCOMPARE(store.GetCheckedCount(), 0u);
        QCOMPARE(store.GetCheckState(3), Qt::PartiallyChecked);
        store.SetAllImageDataChecked(Qt::Checked);
        QCOMPARE(store.GetCheckedCount(), 5u);

        store.SetCheckAllState(Qt::Unchecked);
        QCOMPARE(store.GetCheckedCount(), 0u);
        QCOMPARE(store.GetCheckState(1), Qt::Checked);
        store.SetCheckAllState(Qt::Checked);
        QCOMPARE(store.GetCheckedCount(), 5u);
        store.UpdateCheckedCountBySearch();
        QCOMPARE(store.GetCheckedCount(), 0u);

        QCOMPARE(store.GetDataCountEx(), 0u);
        QVERIFY(store.GetSearchMark(0));
        QVERIFY(store.CheckIdxHide(0));
        QCOMPARE(store.GetDefaultIdx(), 0xFFFFFFFFu);
        unsigned int shown[4] = {};
        QCOMPARE(store.GetShowItemIdx(shown, 4), 0u);
        QTest::ignoreMessage(QtWarningMsg, "Can't get image data by index");
        QVERIFY(store.GetData(0) == nullptr);
        QCOMPARE(store.GetCheckState(99), Qt::Unchecked);
    }

    void selectionForRecovery_data()
    {
        QTest::addColumn<bool>("all");
        QTest::addColumn<int>("mode");
        QTest::newRow("ticked, by date") << false << int(IMAGE_VIEW_BY_DATE);
        QTest::newRow("ticked, flat") << false << int(IMAGE_VIEW_FLAT);
        QTest::newRow("all, by date") << true << int(IMAGE_VIEW_BY_DATE);
    }
    void selectionForRecovery()
    {
        QFETCH(bool, all);
        QFETCH(int, mode);
        PhotoSet set;
        set.addPhoto(300, "p0");
        set.addPhoto(200, "p1");
        set.addPhoto(100, "p2");
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(set.getter());
        store.SetChecked(2, Qt::Unchecked); // p1
        store.ChangeViewMode(ImageViewMode(mode));

        std::vector<unsigned int> indexs;
        const unsigned int count = store.GetCheckedDataIndexs(indexs, all);
        const std::vector<unsigned int> expected =
            all ? std::vector<unsigned int>{0, 1, 2} : std::vector<unsigned int>{0, 2};
        QCOMPARE(indexs, expected);
        QCOMPARE(count, unsigned(expected.size()));
        QCOMPARE(set.photo(1)->dropMark(), !all);
        QVERIFY(!set.photo(0)->dropMark());
        QVERIFY(!set.photo(2)->dropMark());

        // The counting form marks the same way.
        QCOMPARE(store.GetCheckedDataIndexs(), 2u);
        QVERIFY(set.photo(1)->dropMark());
    }

    void brotherIsAppendedAfterThisStore()
    {
        PhotoSet mine;
        mine.addPhoto(20, "m0");
        mine.addPhoto(10, "m1");
        PhotoSet theirs;
        theirs.addPhoto(5, "t0");
        theirs.addPhoto(50, "t1");
        theirs.addPhoto(7, "t2");
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        ImageItemList brother(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(mine.getter());
        brother.SetDatas(theirs.getter());
        brother.ChangeViewMode(IMAGE_VIEW_FLAT);
        brother.SetChecked(2, Qt::Unchecked); // t2, third by time (50, 7, 5)
        store.SetBrotherList(&brother);

        std::vector<unsigned int> indexs{42};
        // The length of the whole vector, the entry it already held included.
        QCOMPARE(store.GetCheckedDataIndexs(indexs, false), 5u);
        QCOMPARE(indexs, std::vector<unsigned int>({42, 0, 1, 1, 2}));
        QVERIFY(theirs.photo(0)->dropMark());
        QVERIFY(!theirs.photo(2)->dropMark());

        // Filling unlinks the brother.
        store.SetDatas(mine.getter());
        indexs.clear();
        QCOMPARE(store.GetCheckedDataIndexs(indexs, true), 2u);
    }

    void commonDataDropMarksOnlyUnticked()
    {
        PhotoSet set;
        set.addPhoto(3, "p0");
        set.addPhoto(2, "p1");
        set.addPhoto(1, "p2");
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(set.getter());
        store.SetChecked(2, Qt::Unchecked); // p1
        store.SetAllImageDataChecked(Qt::PartiallyChecked);
        store.SetChecked(3, Qt::Unchecked); // p2
        store.SetCommonDataDrop();
        QCOMPARE(set.photo(0)->dropMarkCalls(), 0);
        QCOMPARE(set.photo(1)->dropMarkCalls(), 0); // partly ticked now
        QCOMPARE(set.photo(2)->dropMarkCalls(), 1);
        QVERIFY(set.photo(2)->dropMark());
    }

    void clearKeepsViewModeOnly()
    {
        PhotoSet set;
        fillFive(set);
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        ImageItemList other(MMobile::MD_PHOTO, work(), skin());
        other.SetDatas(set.getter());
        store.SetDatas(set.getter());
        store.AddData(set.item(0), 0);
        store.SetBrotherList(&other);
        store.SetOnlyDeleteSelected(true);
        store.ChangeViewMode(IMAGE_VIEW_FLAT);
        store.ClearData();
        QCOMPARE(store.GetViewCount(), 0);
        QCOMPARE(store.GetDataCount(false), 0u);
        QCOMPARE(store.GetCheckedCount(), 0u);
        QVERIFY(!store.GetOnlyDeleteSelected());
        QCOMPARE(store.GetViewMode(), IMAGE_VIEW_FLAT);
        store.SetDatas(nullptr); // the pending entry went too
        QCOMPARE(store.GetViewCount(), 0);
        std::vector<unsigned int> indexs;
        QCOMPARE(store.GetCheckedDataIndexs(indexs, true), 0u);
    }

    void copiesAreIndependent()
    {
        PhotoSet set;
        fillFive(set);
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(set.getter());
        ImageItemList copy(store);
        copy.SetChecked(1, Qt::Unchecked);
        QCOMPARE(store.GetCheckState(1), Qt::Checked);
        QCOMPARE(copy.GetCheckState(1), Qt::Unchecked);
        copy.ChangeViewMode(IMAGE_VIEW_FLAT);
        QCOMPARE(copy.GetViewItem(0)->text, QStringLiteral("a1"));
        ImageItemList assigned(MMobile::MD_VOICE_MEMO, work(), skin());
        assigned = copy;
        QCOMPARE(assigned.GetViewCount(), 5);
        QCOMPARE(assigned.GetType(), MMobile::MD_PHOTO);
    }

    // Real picture files: JPEG, PNG and HEIC, with and without a format name.
    void thumbnailsOfRealPictures_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QString>("expectedName");
        QTest::newRow("jpeg, no format") << "landscape.jpeg" << QByteArray() << "landscape.jpg";
        QTest::newRow("jpeg, format jpg")
            << "landscape.jpeg" << QByteArray("jpg") << "landscape.jpeg";
        QTest::newRow("png portrait, no format") << "tall.v2.png" << QByteArray() << "tall.jpg";
        QTest::newRow("png, format png") << "tall.v2.png" << QByteArray("png") << "tall.v2.png";
        QTest::newRow("heic, no format") << "heic" << QByteArray() << "gradient.jpg";
        QTest::newRow("small jpeg") << "small.jpg" << QByteArray() << "small.jpg";
    }
    void thumbnailsOfRealPictures()
    {
        QFETCH(QString, source);
        QFETCH(QByteArray, format);
        QFETCH(QString, expectedName);

        const QString pictures = m_dir.path() + QStringLiteral("/pictures/");
        QDir().mkpath(pictures);
        QString path = pictures + source;
        QImage original;
        if (source == QLatin1String("heic")) {
            path = QFINDTESTDATA("../photos/data/gradient.heic");
            QVERIFY2(!path.isEmpty(), "gradient.heic is missing");
            QVERIFY2(QImageReader::supportedImageFormats().contains("heic"),
                     "no Qt image plug-in reads HEIC (kimageformat-plugins)");
            QVERIFY(original.load(path));
        } else {
            const QSize size = source.startsWith(QLatin1String("landscape")) ? QSize(1600, 1200)
                               : source.startsWith(QLatin1String("tall"))    ? QSize(300, 640)
                                                                             : QSize(60, 40);
            original = samplePicture(size.width(), size.height(), 3);
            QVERIFY(
                original.save(path, source.endsWith(QLatin1String("png")) ? "PNG" : "JPEG", 95));
            QVERIFY(original.load(path));
        }

        PhotoSet set;
        FakePhoto* photo = set.addPhoto(1000, "pic");
        photo->setThumbnailPath(FakeText());
        photo->setFilePath(path);
        photo->setFormatName(format.isNull() ? FakeText() : FakeText(format));
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(set.getter());

        const QString expectedPath = thumbs() + expectedName;
        QCOMPARE(photo->thumbnailPathWrites(), QByteArrayList({expectedPath.toUtf8()}));
        QImage thumbnail(expectedPath);
        QVERIFY(!thumbnail.isNull());
        QVERIFY(thumbnail.width() <= 113 && thumbnail.height() <= 96);
        const QImage reference =
            original.scaled(113, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QCOMPARE(thumbnail.size(), reference.size());
        // As good as a full decode scaled smoothly, give or take the JPEG
        // rounding of the saved file.
        QVERIFY2(meanDifference(thumbnail, reference) < 6.0,
                 qPrintable(QString::number(meanDifference(thumbnail, reference))));
    }

    void existingThumbnailIsKept()
    {
        const QString picture = m_dir.path() + QStringLiteral("/kept.jpg");
        QVERIFY(samplePicture(200, 100).save(picture));
        PhotoSet set;
        FakePhoto* photo = set.addPhoto(1, "kept");
        photo->setFilePath(picture);
        photo->setThumbnailPath("/elsewhere/kept-thumb.jpg");
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(set.getter());
        QCOMPARE(photo->thumbnailPath().bytes(), QByteArray("/elsewhere/kept-thumb.jpg"));
        QVERIFY(QDir(thumbs()).entryList(QDir::Files).isEmpty());
    }

    void stockPictures_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("content"); // "missing", "broken" or "" for none
        QTest::addColumn<QString>("expected");
        QTest::newRow("undecodable picture") << 8 << "broken"
                                             << "default_picture.png";
        QTest::newRow("missing picture") << 8 << "missing"
                                         << "default_picture.png";
        QTest::newRow("no path") << 8 << ""
                                 << "default_picture.png";
        QTest::newRow("audio") << 2 << "broken"
                               << "default_voice.png";
        QTest::newRow("video") << 4 << "broken"
                               << "default_movie.png";
        QTest::newRow("contact card") << 16 << "broken"
                                      << "VcfFlag.png";
        QTest::newRow("other kind 0") << 0 << "broken"
                                      << "question.png";
        QTest::newRow("other kind 32") << 32 << "broken"
                                       << "question.png";
        QTest::newRow("other kind 10") << 10 << "broken"
                                       << "question.png";
    }
    void stockPictures()
    {
        QFETCH(int, kind);
        QFETCH(QString, content);
        QFETCH(QString, expected);
        const QString path = m_dir.path() + QStringLiteral("/broken.jpg");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\xff\xd8\xff\xe0 this is not really a picture");
        file.close();

        PhotoSet set;
        FakePhoto* photo = set.addPhoto(1, "file", kind);
        photo->setThumbnailPath(FakeText());
        if (content == QLatin1String("broken"))
            photo->setFilePath(path);
        else if (content == QLatin1String("missing"))
            photo->setFilePath(m_dir.path() + QStringLiteral("/nowhere/gone.jpg"));
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.AddData(set.item(0), 0);
        QCOMPARE(photo->thumbnailPath().bytes(), (skin() + expected).toUtf8());
        QVERIFY(QDir(thumbs()).entryList(QDir::Files).isEmpty());
    }

    void sameFileNameSharesOneThumbnail()
    {
        const QString first = m_dir.path() + QStringLiteral("/a/IMG_0001.JPG");
        const QString second = m_dir.path() + QStringLiteral("/b/IMG_0001.JPG");
        QDir().mkpath(QFileInfo(first).path());
        QDir().mkpath(QFileInfo(second).path());
        QVERIFY(samplePicture(400, 300, 1).save(first, "JPEG"));
        QVERIFY(samplePicture(300, 400, 2).save(second, "JPEG"));
        PhotoSet set;
        for (const QString& path : {first, second}) {
            FakePhoto* photo = set.addPhoto(set.count() + 1);
            photo->setThumbnailPath(FakeText());
            photo->setFilePath(path);
        }
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(set.getter());
        const QByteArray shared = (thumbs() + QStringLiteral("IMG_0001.jpg")).toUtf8();
        QCOMPARE(set.photo(0)->thumbnailPath().bytes(), shared);
        QCOMPARE(set.photo(1)->thumbnailPath().bytes(), shared);
        // The later one (the portrait) wrote the file last.
        const QImage thumbnail{QString::fromUtf8(shared)};
        QVERIFY(thumbnail.height() > thumbnail.width());
    }
};

QTEST_GUILESS_MAIN(TestImageItemList)
#include "tst_imageitemlist.moc"
