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

Q_DECLARE_METATYPE(MMobile::MDType)

namespace {

void setTimeZone(const QByteArray& tz)
{
    qputenv("TZ", tz);
    tzset();
}

// The grid rows as text: "T:<day>" for titles, the photo text otherwise.
QStringList rows(ImageItemList& store)
{
    QStringList out;
    for (int row = 0; row < store.GetViewCount(); ++row) {
        const ImageListItem* entry = store.GetViewItem(row);
        out << (entry->isTitle ? QStringLiteral("T:") + entry->text : entry->text);
    }
    return out;
}

// The ticks of the entries as letters: U, P or C.
QString tickLetters(const ImageItemList& store, int entries)
{
    QString out;
    for (int pos = 0; pos < entries; ++pos)
        out += QLatin1Char("UPC"[store.GetCheckState(unsigned(pos))]);
    return out;
}

double meanDifference(const QImage& a, const QImage& b)
{
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
    bool noThumbnails() const { return QDir(thumbs()).entryList(QDir::Files).isEmpty(); }

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
        QVERIFY(!QFileInfo::exists(thumbs()));
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        QVERIFY(QFileInfo(thumbs()).isDir());
        QCOMPARE(store.GetDefaultPhotoPath(), skin() + QStringLiteral("default_picture.png"));
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
        QCOMPARE(store.GetViewItem(1)->dataIndex, 2);
        QCOMPARE(store.GetViewItem(6)->dataIndex, 3);
        QCOMPARE(store.GetDataCount(true), 5u);
        QCOMPARE(store.GetCheckedCount(), 5u);
        QVERIFY(!store.GetViewItem(-1) && !store.GetViewItem(7));
        store.ChangeViewMode(IMAGE_VIEW_FLAT);
        QCOMPARE(rows(store), QStringList({"a1", "a2", "a3", "b1", "b2"}));
        QVERIFY(!store.GetViewItem(5));
        // A second flush has nothing pending and changes nothing.
        store.SetDatas(nullptr);
        QCOMPARE(store.GetViewCount(), 5);
    }

    void localDayBoundary_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<int>("firstHour");
        QTest::addColumn<int>("titles");
        QTest::newRow("Berlin 23:59 / 00:01")
            << QByteArray("CET-1CEST,M3.5.0,M10.5.0/3") << 23 << 2;
        QTest::newRow("New York 23:59 / 00:01") << QByteArray("EST5EDT,M3.2.0,M11.1.0") << 23 << 2;
        QTest::newRow("Kathmandu 23:59 / 00:01") << QByteArray("NPT-5:45") << 23 << 2;
        QTest::newRow("Kathmandu 00:00 / 00:01") << QByteArray("NPT-5:45") << 0 << 1;
    }
    void localDayBoundary()
    {
        QFETCH(QByteArray, zone);
        QFETCH(int, firstHour);
        QFETCH(int, titles);
        setTimeZone(zone);
        PhotoSet set;
        set.addPhoto(localSeconds(2023, 5, firstHour ? 10 : 11, firstHour, firstHour ? 59 : 0));
        set.addPhoto(localSeconds(2023, 5, 11, 0, 1));
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(set.getter());
        setTimeZone("CET-1CEST,M3.5.0,M10.5.0/3");
        QCOMPARE(store.GetViewCount(), titles + 2);
        QCOMPARE(store.GetViewItem(0)->text, QStringLiteral("11-05-2023"));
        QCOMPARE(store.GetViewItem(2)->isTitle, titles == 2);
    }

    void voiceMemosGroupAndShowTheVoicePicture()
    {
        PhotoSet set;
        set.addMemo(localSeconds(2023, 1, 2, 10, 0), "older");
        set.addMemo(localSeconds(2023, 1, 3, 10, 0), "newer");
        ImageItemList store(MMobile::MD_VOICE_MEMO, work(), skin());
        store.SetDatas(set.getter());
        QCOMPARE(rows(store), QStringList({"T:03-01-2023", "newer", "T:02-01-2023", "older"}));
        QCOMPARE(store.GetViewItem(1)->recording, set.memo(1));
        QVERIFY(!store.GetViewItem(1)->photo);
        const QByteArray voice = (skin() + QStringLiteral("default_voice.png")).toUtf8();
        for (int i = 0; i < 2; ++i)
            QCOMPARE(set.memo(i)->propertyWrites(),
                     (QVector<QPair<int, QByteArray>>{
                         {int(MMobile::VOICE_PROP_THUMBNAIL_PATH), voice}}));
        QVERIFY(noThumbnails());
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

    // Steps: "<row>+" ticks, "<row>-" unticks a grid row, "f" and "d" switch
    // to the flat and by-date layouts. Each tick's answer is a letter U, P, C.
    void ticks_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QString>("entries"); // the ticks of the 7 entries after
        QTest::addColumn<unsigned int>("count");
        QTest::newRow("a photo partly unticks its day") << "2-"
                                                        << "P"
                                                        << "PCUCCCC" << 4u;
        QTest::newRow("unticking twice counts once") << "2- 2-"
                                                     << "PP"
                                                     << "PCUCCCC" << 4u;
        QTest::newRow("the day follows its photos") << "2- 2+ 5- 6-"
                                                    << "PCPP"
                                                    << "CCCCUUU" << 3u;
        QTest::newRow("a title unticks its day") << "2- 0-"
                                                 << "PP"
                                                 << "UUUUCCC" << 2u;
        QTest::newRow("a title ticks its day") << "2- 0- 0+"
                                               << "PPC"
                                               << "CCCCCCC" << 5u;
        QTest::newRow("last day unticked") << "4- 2- 0-"
                                           << "PPU"
                                           << "UUUUUUU" << 0u;
        QTest::newRow("one day ticked again") << "4- 0- 0+"
                                              << "PUP"
                                              << "CCCCUUU" << 3u;
        // The flat layout leaves titles alone and does not compare old ticks.
        QTest::newRow("flat") << "f 0- d"
                              << "P"
                              << "CUCCCCC" << 4u;
        QTest::newRow("flat, twice") << "f 0- 0-"
                                     << "PP"
                                     << "CUCCCCC" << 3u;
    }
    void ticks()
    {
        QFETCH(QString, steps);
        QFETCH(QString, answers);
        QFETCH(QString, entries);
        QFETCH(unsigned int, count);
        PhotoSet set;
        fillFive(set);
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(set.getter());
        QString got;
        for (const QString& step : steps.split(QLatin1Char(' '))) {
            if (step == QLatin1String("f") || step == QLatin1String("d")) {
                store.ChangeViewMode(step == QLatin1String("f") ? IMAGE_VIEW_FLAT
                                                                : IMAGE_VIEW_BY_DATE);
                continue;
            }
            const Qt::CheckState state =
                step.endsWith(QLatin1Char('+')) ? Qt::Checked : Qt::Unchecked;
            got += QLatin1Char("UPC"[store.SetChecked(step.left(1).toUInt(), state)]);
        }
        QCOMPARE(got, answers);
        QCOMPARE(tickLetters(store, 7), entries);
        QCOMPARE(store.GetCheckedCount(), count);
    }

    void hideAndLayouts()
    {
        PhotoSet set;
        fillFive(set);
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(set.getter());
        QCOMPARE(store.GetViewMode(), IMAGE_VIEW_BY_DATE);
        auto hidden = [&store] {
            QString out;
            for (int pos = 0; pos < 7; ++pos)
                out += store.GetViewItem(pos)->hidden ? QLatin1Char('h') : QLatin1Char('.');
            return out;
        };
        store.SetHide(4, true);
        QCOMPARE(hidden(), QStringLiteral("....hhh"));
        store.SetHide(2, true); // a photo has no members: only itself
        store.SetHide(7, true);
        store.SetHide(-1, true);
        QCOMPARE(hidden(), QStringLiteral("..h.hhh"));
        // Titles come back expanded; their photos keep the collapsed flag.
        store.ChangeViewMode(IMAGE_VIEW_FLAT);
        store.ChangeViewMode(IMAGE_VIEW_BY_DATE);
        QCOMPARE(hidden(), QStringLiteral("..h..hh"));
        store.ChangeViewMode(ImageViewMode(7));
        QCOMPARE(int(store.GetViewMode()), 7);
        QCOMPARE(hidden(), QStringLiteral("..h..hh"));
    }

    void checkAllAndOutOfRange()
    {
        PhotoSet set;
        fillFive(set);
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(set.getter());
        store.SetAllImageDataChecked(Qt::Unchecked);
        QCOMPARE(tickLetters(store, 7), QStringLiteral("UUUUUUU"));
        QCOMPARE(store.GetCheckedCount(), 0u);
        store.SetAllImageDataChecked(Qt::PartiallyChecked);
        QCOMPARE(tickLetters(store, 7), QStringLiteral("PPPPPPP"));
        QCOMPARE(store.GetCheckedCount(), 0u);
        store.SetAllImageDataChecked(Qt::Checked);
        QCOMPARE(store.GetCheckedCount(), 5u);
        QCOMPARE(store.SetChecked(7, Qt::Unchecked), Qt::Checked);
        QCOMPARE(store.GetCheckState(7), Qt::Unchecked);
        QCOMPARE(store.GetDataCountEx(), 0u);
        QTest::ignoreMessage(QtWarningMsg, "Can't get image data by index");
        QVERIFY(!store.GetData(0));
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
        for (int i = 0; i < 3; ++i)
            set.addPhoto(300 - 100 * i);
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(set.getter());
        store.SetChecked(2, Qt::Unchecked); // photo 1
        store.ChangeViewMode(ImageViewMode(mode));

        std::vector<unsigned int> indexs;
        const std::vector<unsigned int> expected{0, all ? 1u : 2u, 2};
        QCOMPARE(store.GetCheckedDataIndexs(indexs, all), all ? 3u : 2u);
        QCOMPARE(indexs,
                 std::vector<unsigned int>(expected.begin(), expected.begin() + (all ? 3 : 2)));
        QCOMPARE(set.photo(1)->dropMark(), !all);
        QVERIFY(!set.photo(0)->dropMark() && !set.photo(2)->dropMark());
        // The counting form marks the same way.
        QCOMPARE(store.GetCheckedDataIndexs(), 2u);
        QVERIFY(set.photo(1)->dropMark());
    }

    void brotherIsAppendedAfterThisStore()
    {
        PhotoSet mine;
        mine.addPhoto(20);
        mine.addPhoto(10);
        PhotoSet theirs;
        for (int time : {5, 50, 7})
            theirs.addPhoto(time);
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        ImageItemList brother(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(mine.getter());
        brother.SetDatas(theirs.getter());
        brother.ChangeViewMode(IMAGE_VIEW_FLAT);
        brother.SetChecked(2, Qt::Unchecked); // the third by time (50, 7, 5)
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
        for (int i = 0; i < 3; ++i)
            set.addPhoto(3 - i);
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(set.getter());
        store.SetChecked(2, Qt::Unchecked); // photo 1
        store.SetAllImageDataChecked(Qt::PartiallyChecked);
        store.SetChecked(3, Qt::Unchecked); // photo 2
        store.SetCommonDataDrop();
        QCOMPARE(set.photo(0)->dropMarkCalls(), 0);
        QCOMPARE(set.photo(1)->dropMarkCalls(), 0); // partly ticked now
        QCOMPARE(set.photo(2)->dropMarkCalls(), 1);
        QVERIFY(set.photo(2)->dropMark());
    }

    void clearKeepsViewModeOnlyAndCopiesStandAlone()
    {
        PhotoSet set;
        fillFive(set);
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(set.getter());
        ImageItemList copy(store);
        store.AddData(set.item(0), 0);
        store.SetBrotherList(&copy);
        store.SetOnlyDeleteSelected(true);
        store.ChangeViewMode(IMAGE_VIEW_FLAT);
        store.ClearData();
        QCOMPARE(store.GetDataCount(false), 0u);
        QCOMPARE(store.GetCheckedCount(), 0u);
        QVERIFY(!store.GetOnlyDeleteSelected());
        QCOMPARE(store.GetViewMode(), IMAGE_VIEW_FLAT);
        store.SetDatas(nullptr); // the pending entry went too
        QCOMPARE(store.GetViewCount(), 0);
        std::vector<unsigned int> indexs;
        QCOMPARE(store.GetCheckedDataIndexs(indexs, true), 0u);

        // The copy kept every row and tick; assigning brings them over.
        copy.SetChecked(1, Qt::Unchecked);
        store = copy;
        QCOMPARE(rows(store).size(), 7);
        QCOMPARE(tickLetters(store, 7), QStringLiteral("PUCCCCC"));
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
        QString path = m_dir.path() + QStringLiteral("/") + source;
        QImage original;
        if (source == QLatin1String("heic")) {
            path = QStringLiteral(PHOTO_DATA_DIR "/gradient.heic");
            QVERIFY2(QImageReader::supportedImageFormats().contains("heic"),
                     "no Qt image plug-in reads HEIC (kimageformat-plugins)");
        } else {
            const QSize size = source.startsWith(QLatin1String("landscape")) ? QSize(1600, 1200)
                               : source.startsWith(QLatin1String("tall"))    ? QSize(300, 640)
                                                                             : QSize(60, 40);
            QVERIFY(samplePicture(size.width(), size.height(), 3)
                        .save(path, source.endsWith(QLatin1String("png")) ? "PNG" : "JPEG", 95));
        }
        QVERIFY(original.load(path));

        PhotoSet set;
        FakePhoto* photo = set.addPhoto(1000);
        photo->setThumbnailPath(FakeText());
        photo->setFilePath(path);
        photo->setFormatName(format.isNull() ? FakeText() : FakeText(format));
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.SetDatas(set.getter());

        const QString expectedPath = thumbs() + expectedName;
        QCOMPARE(photo->thumbnailPathWrites(), QByteArrayList({expectedPath.toUtf8()}));
        const QImage thumbnail(expectedPath);
        const QImage reference =
            original.scaled(113, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QCOMPARE(thumbnail.size(), reference.size());
        // As good as a full decode scaled smoothly, give or take the JPEG
        // rounding of the saved file.
        const double difference = meanDifference(thumbnail, reference);
        QVERIFY2(difference < 6.0, qPrintable(QString::number(difference)));
    }

    void stockPictures_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("file"); // "broken", "missing", "kept" or none
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
        QTest::newRow("a thumbnail of its own") << 8 << "kept"
                                                << "/elsewhere/kept.jpg";
    }
    void stockPictures()
    {
        QFETCH(int, kind);
        QFETCH(QString, file);
        QFETCH(QString, expected);
        const QString broken = m_dir.path() + QStringLiteral("/broken.jpg");
        QFile out(broken);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("\xff\xd8\xff\xe0 this is not really a picture");
        out.close();
        const QString picture = m_dir.path() + QStringLiteral("/kept.jpg");
        QVERIFY(samplePicture(200, 100).save(picture));

        PhotoSet set;
        FakePhoto* photo = set.addPhoto(1, "file", kind);
        photo->setThumbnailPath(file == QLatin1String("kept") ? FakeText("/elsewhere/kept.jpg")
                                                              : FakeText());
        if (file == QLatin1String("broken"))
            photo->setFilePath(broken);
        else if (file == QLatin1String("missing"))
            photo->setFilePath(m_dir.path() + QStringLiteral("/nowhere/gone.jpg"));
        else if (file == QLatin1String("kept"))
            photo->setFilePath(picture);
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.AddData(set.item(0), 0);
        const QString path = expected.startsWith(QLatin1Char('/')) ? expected : skin() + expected;
        QCOMPARE(photo->thumbnailPath().bytes(), path.toUtf8());
        QVERIFY(noThumbnails());
    }

    void sameFileNameSharesOneThumbnail()
    {
        PhotoSet set;
        for (const char* folder : {"/a/", "/b/"}) {
            const QString path =
                m_dir.path() + QLatin1String(folder) + QStringLiteral("IMG_0001.JPG");
            QDir().mkpath(QFileInfo(path).path());
            const bool portrait = set.count() == 1;
            QVERIFY(
                samplePicture(portrait ? 300 : 400, portrait ? 400 : 300, 1).save(path, "JPEG"));
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
