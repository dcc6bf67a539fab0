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

} // namespace

class TestImageItemList : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    // Five photos: three on 12 May 2023, two on 10 May, added out of order.
    // Entries: title 12 May, a1, a2, a3, title 10 May, b1, b2.
    std::unique_ptr<PhotoSet> m_five;
    std::unique_ptr<ImageItemList> m_store;

    QString work() const { return m_dir.path() + QStringLiteral("/work/"); }
    QString skin() const { return m_dir.path() + QStringLiteral("/skin/"); }
    QString thumbs() const { return work() + QStringLiteral("iThmb/"); }
    bool noThumbnails() const { return QDir(thumbs()).entryList(QDir::Files).isEmpty(); }
    std::unique_ptr<ImageItemList> filled(PhotoSet& set, MMobile::MDType type = MMobile::MD_PHOTO)
    {
        auto store = std::make_unique<ImageItemList>(type, work(), skin());
        store->SetDatas(set.getter());
        return store;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        setTimeZone("CET-1CEST,M3.5.0,M10.5.0/3");
    }
    void init()
    {
        QDir(thumbs()).removeRecursively();
        m_store.reset();
        m_five = std::make_unique<PhotoSet>();
        for (const char* text : {"b1 10 9", "a3 12 8", "a1 12 20", "b2 10 7", "a2 12 12"}) {
            const QStringList parts = QString::fromLatin1(text).split(QLatin1Char(' '));
            m_five->addPhoto(localSeconds(2023, 5, parts[1].toInt(), parts[2].toInt(), 0),
                             parts[0]);
        }
        m_store = filled(*m_five);
    }
    void cleanupTestCase() { qunsetenv("TZ"); }

    void groupsByDayNewestFirst()
    {
        QDir(thumbs()).removeRecursively();
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        QVERIFY(QFileInfo(thumbs()).isDir());
        QCOMPARE(store.GetDefaultPhotoPath(), skin() + QStringLiteral("default_picture.png"));
        // During a scan the entries wait for the flush; the order is the same.
        for (int i = 0; i < m_five->count(); ++i)
            store.AddData(m_five->item(i), i);
        QCOMPARE(store.GetViewCount(), 0);
        store.SetDatas(nullptr);
        for (ImageItemList* grid : {m_store.get(), &store}) {
            QCOMPARE(rows(*grid),
                     QStringList({"T:12-05-2023", "a1", "a2", "a3", "T:10-05-2023", "b1", "b2"}));
            QCOMPARE(grid->GetDataCount(true), 5u);
            QCOMPARE(grid->GetCheckedCount(), 5u);
            QVERIFY(!grid->GetViewItem(-1) && !grid->GetViewItem(7));
            grid->ChangeViewMode(IMAGE_VIEW_FLAT);
            QCOMPARE(rows(*grid), QStringList({"a1", "a2", "a3", "b1", "b2"}));
            QVERIFY(!grid->GetViewItem(5));
        }
        // A second flush has nothing pending and changes nothing.
        store.SetDatas(nullptr);
        QCOMPARE(store.GetViewCount(), 5);
        // The grid's entries are not the engine's data positions.
        QCOMPARE(store.GetDataCountEx(), 0u);
        QTest::ignoreMessage(QtWarningMsg, "Can't get image data by index");
        QVERIFY(!store.GetData(0));
    }

    void localDayBoundary_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<int>("firstHour");
        QTest::addColumn<int>("titles");
        // clang-format off
        QTest::newRow("Berlin 23:59 / 00:01") << QByteArray("CET-1CEST,M3.5.0,M10.5.0/3") << 23 << 2;
        QTest::newRow("New York 23:59 / 00:01") << QByteArray("EST5EDT,M3.2.0,M11.1.0") << 23 << 2;
        QTest::newRow("Kathmandu 23:59 / 00:01") << QByteArray("NPT-5:45") << 23 << 2;
        QTest::newRow("Kathmandu 00:00 / 00:01") << QByteArray("NPT-5:45") << 0 << 1;
        // clang-format on
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
        auto store = filled(set);
        setTimeZone("CET-1CEST,M3.5.0,M10.5.0/3");
        QCOMPARE(store->GetViewCount(), titles + 2);
        QCOMPARE(store->GetViewItem(0)->text, QStringLiteral("11-05-2023"));
        QCOMPARE(store->GetViewItem(2)->isTitle, titles == 2);
    }

    void voiceMemosGroupAndShowTheVoicePicture()
    {
        PhotoSet set;
        set.addMemo(localSeconds(2023, 1, 2, 10, 0), "older");
        set.addMemo(localSeconds(2023, 1, 3, 10, 0), "newer");
        auto store = filled(set, MMobile::MD_VOICE_MEMO);
        QCOMPARE(rows(*store), QStringList({"T:03-01-2023", "newer", "T:02-01-2023", "older"}));
        QCOMPARE(store->GetViewItem(1)->recording, set.memo(1));
        QVERIFY(!store->GetViewItem(1)->photo);
        const QByteArray voice = (skin() + QStringLiteral("default_voice.png")).toUtf8();
        for (int i = 0; i < 2; ++i)
            QCOMPARE(set.memo(i)->propertyWrites(),
                     (QVector<QPair<int, QByteArray>>{
                         {int(MMobile::VOICE_PROP_THUMBNAIL_PATH), voice}}));
        QVERIFY(noThumbnails());
        // The grid shows that picture.
        ImageListItmModel model;
        model.SetDatas(store.get());
        QCOMPARE(model.index(1, 0).data(Qt::DecorationRole).toByteArray(), voice);
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
        auto store = filled(set, type);
        QCOMPARE(store->GetViewCount(), rows);
        store->ClearData();
        store->AddData(set.item(0), 0);
        store->SetDatas(nullptr);
        QCOMPARE(store->GetViewCount(), rows);
        QCOMPARE(store->GetDataCount(false), unsigned(rows / 2));
    }

    // Steps: "<row>+" ticks, "<row>-" unticks a grid row, "a<U|P|C>" sets all,
    // "h<row>" collapses a row, "v<mode>" changes the layout (0 flat, 1 by
    // date), "x" marks the unticked photos to drop. Each tick's answer is a
    // letter U, P, C.
    void steps_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("answers");
        // The ticks of the 7 entries, collapsed rows, layout, ticked count and
        // which of the five photos SetCommonDataDrop marked.
        QTest::addColumn<QString>("result");
        // clang-format off
        QTest::newRow("a photo partly unticks its day") << "2-" << "P" << "PCUCCCC ....... 1 4 00000";
        QTest::newRow("unticking twice counts once") << "2- 2-" << "PP" << "PCUCCCC ....... 1 4 00000";
        QTest::newRow("the day follows its photos") << "2- 2+ 5- 6-" << "PCPP" << "CCCCUUU ....... 1 3 00000";
        QTest::newRow("a title unticks its day") << "2- 0-" << "PP" << "UUUUCCC ....... 1 2 00000";
        QTest::newRow("a title ticks its day") << "2- 0- 0+" << "PPC" << "CCCCCCC ....... 1 5 00000";
        QTest::newRow("last day unticked") << "4- 2- 0-" << "PPU" << "UUUUUUU ....... 1 0 00000";
        QTest::newRow("one day ticked again") << "4- 0- 0+" << "PUP" << "CCCCUUU ....... 1 3 00000";
        QTest::newRow("past the end") << "7-" << "C" << "CCCCCCC ....... 1 5 00000";
        QTest::newRow("all unticked") << "aU" << "" << "UUUUUUU ....... 1 0 00000";
        QTest::newRow("all partly ticked keeps the count") << "aP" << "" << "PPPPPPP ....... 1 5 00000";
        QTest::newRow("all ticked again") << "aU aC" << "" << "CCCCCCC ....... 1 5 00000";
        // The flat layout leaves titles alone and does not compare old ticks.
        QTest::newRow("flat") << "v0 0- v1" << "P" << "CUCCCCC ....... 1 4 00000";
        QTest::newRow("flat, twice") << "v0 0- 0-" << "PP" << "CUCCCCC ..... 0 3 00000";
        QTest::newRow("flat, ticked again") << "v0 0- 0+" << "PC" << "CCCCCCC ..... 0 5 00000";
        QTest::newRow("a title collapses its day") << "h4" << "" << "CCCCCCC ....hhh 1 5 00000";
        // A photo has no members: only itself.
        QTest::newRow("a photo collapses itself") << "h4 h2 h7 h-1" << "" << "CCCCCCC ..h.hhh 1 5 00000";
        // Titles come back expanded; their photos keep the collapsed flag.
        QTest::newRow("layouts expand titles") << "h4 h2 v0 v1" << "" << "CCCCCCC ..h..hh 1 5 00000";
        QTest::newRow("another layout keeps them") << "h4 h2 v0 v1 v7" << "" << "CCCCCCC ..h..hh 7 5 00000";
        QTest::newRow("drop marks only for unticked photos") << "2- aP 3- x" << "PP" << "UPPUPPP ....... 1 3 02000";
        // clang-format on
    }
    void steps()
    {
        QFETCH(QString, steps);
        QFETCH(QString, answers);
        QFETCH(QString, result);
        QString got;
        for (const QString& step : steps.split(QLatin1Char(' '))) {
            const int number = step.mid(1).toInt();
            if (step.startsWith('a'))
                m_store->SetAllImageDataChecked(Qt::CheckState(QString("UPC").indexOf(step[1])));
            else if (step.startsWith('v'))
                m_store->ChangeViewMode(ImageViewMode(number));
            else if (step.startsWith('h'))
                m_store->SetHide(number, true);
            else if (step == QLatin1String("x"))
                m_store->SetCommonDataDrop();
            else
                got += QLatin1Char("UPC"[m_store->SetChecked(
                    step.left(1).toUInt(), step.endsWith('+') ? Qt::Checked : Qt::Unchecked)]);
        }
        QCOMPARE(got, answers);
        QString hidden, drops;
        for (int row = 0; row < m_store->GetViewCount(); ++row)
            hidden += m_store->GetViewItem(row)->hidden ? 'h' : '.';
        for (int i = 0; i < 5; ++i)
            drops +=
                QString::number(m_five->photo(i)->dropMarkCalls() + m_five->photo(i)->dropMark());
        QCOMPARE(
            QStringList({tickLetters(*m_store, 7), hidden, QString::number(m_store->GetViewMode()),
                         QString::number(m_store->GetCheckedCount()), drops})
                .join(' '),
            result);
        QCOMPARE(m_store->GetCheckState(7), Qt::Unchecked);
    }

    void selectionForRecovery_data()
    {
        QTest::addColumn<bool>("all");
        QTest::addColumn<int>("mode");
        QTest::newRow("ticked, by date") << false << int(IMAGE_VIEW_BY_DATE);
        QTest::newRow("ticked, flat") << false << int(IMAGE_VIEW_FLAT);
        QTest::newRow("all, by date") << true << int(IMAGE_VIEW_BY_DATE);
    }
    // This store's photos in grid order, then the brother's; the vector keeps
    // what it held and the answer is its whole length.
    void selectionForRecovery()
    {
        QFETCH(bool, all);
        QFETCH(int, mode);
        PhotoSet theirs;
        for (int time : {5, 50, 7})
            theirs.addPhoto(time);
        auto brother = filled(theirs);
        brother->ChangeViewMode(IMAGE_VIEW_FLAT);
        brother->SetChecked(2, Qt::Unchecked); // the third by time (50, 7, 5)
        m_store->SetBrotherList(brother.get());
        m_store->SetChecked(2, Qt::Unchecked); // a2, data index 4
        m_store->ChangeViewMode(ImageViewMode(mode));

        std::vector<unsigned int> indexs{42};
        const std::vector<unsigned int> expected =
            all ? std::vector<unsigned int>{42, 2, 4, 1, 0, 3, 1, 2, 0}
                : std::vector<unsigned int>{42, 2, 1, 0, 3, 1, 2};
        QCOMPARE(m_store->GetCheckedDataIndexs(indexs, all), unsigned(expected.size()));
        QCOMPARE(indexs, expected);
        QCOMPARE(m_five->photo(4)->dropMark(), !all);
        QCOMPARE(theirs.photo(0)->dropMark(), !all);
        QVERIFY(!m_five->photo(2)->dropMark() && !theirs.photo(2)->dropMark());
        // The counting form marks the same way; filling unlinks the brother.
        QCOMPARE(m_store->GetCheckedDataIndexs(), 6u);
        QVERIFY(m_five->photo(4)->dropMark());
        m_store->SetDatas(m_five->getter());
        QCOMPARE(m_store->GetCheckedDataIndexs(), 5u);
    }

    void clearKeepsViewModeOnlyAndCopiesStandAlone()
    {
        ImageItemList copy(*m_store);
        m_store->AddData(m_five->item(0), 0);
        m_store->SetBrotherList(&copy);
        m_store->SetOnlyDeleteSelected(true);
        m_store->ChangeViewMode(IMAGE_VIEW_FLAT);
        m_store->ClearData();
        m_store->SetDatas(nullptr); // the pending entry went too
        QCOMPARE((QVariantList{m_store->GetDataCount(false), m_store->GetCheckedCount(),
                               m_store->GetOnlyDeleteSelected(), m_store->GetViewMode(),
                               m_store->GetViewCount(), m_store->GetCheckedDataIndexs()}),
                 (QVariantList{0u, 0u, false, IMAGE_VIEW_FLAT, 0, 0u}));
        // The copy kept every row and tick; assigning brings them over.
        copy.SetChecked(1, Qt::Unchecked);
        *m_store = copy;
        QCOMPARE(rows(*m_store).size(), 7);
        QCOMPARE(tickLetters(*m_store, 7), QStringLiteral("PUCCCCC"));
    }

    // A photo's thumbnail as a scan fills it in: made from real JPEG, PNG and
    // HEIC files, with and without a format name, into work/iThmb/; a stock
    // picture of the skin for other kinds and for pictures that cannot be read.
    void thumbnails_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>(
            "source"); // a file made here, "heic", "broken", "missing", "kept"
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QString>("expected"); // under the test folder, or absolute
        // clang-format off
        QTest::newRow("jpeg, no format") << 8 << "landscape.jpeg" << QByteArray() << "work/iThmb/landscape.jpg";
        QTest::newRow("jpeg, format jpg") << 8 << "landscape.jpeg" << QByteArray("jpg") << "work/iThmb/landscape.jpeg";
        QTest::newRow("png portrait, no format") << 8 << "tall.v2.png" << QByteArray() << "work/iThmb/tall.jpg";
        QTest::newRow("png, format png") << 8 << "tall.v2.png" << QByteArray("png") << "work/iThmb/tall.v2.png";
        QTest::newRow("heic, no format") << 8 << "heic" << QByteArray() << "work/iThmb/gradient.jpg";
        QTest::newRow("small jpeg") << 8 << "small.jpg" << QByteArray() << "work/iThmb/small.jpg";
        QTest::newRow("undecodable picture") << 8 << "broken" << QByteArray() << "skin/default_picture.png";
        QTest::newRow("missing picture") << 8 << "missing" << QByteArray() << "skin/default_picture.png";
        QTest::newRow("no path") << 8 << "" << QByteArray() << "skin/default_picture.png";
        QTest::newRow("audio") << 2 << "broken" << QByteArray() << "skin/default_voice.png";
        QTest::newRow("video") << 4 << "broken" << QByteArray() << "skin/default_movie.png";
        QTest::newRow("contact card") << 16 << "broken" << QByteArray() << "skin/VcfFlag.png";
        QTest::newRow("other kind 10") << 10 << "broken" << QByteArray() << "skin/question.png";
        QTest::newRow("a thumbnail of its own") << 8 << "kept" << QByteArray() << "/elsewhere/kept.jpg";
        // clang-format on
    }
    void thumbnails()
    {
        QFETCH(int, kind);
        QFETCH(QString, source);
        QFETCH(QByteArray, format);
        QFETCH(QString, expected);
        QString path = m_dir.path() + QStringLiteral("/") + source;
        if (source == QLatin1String("heic")) {
            path = QStringLiteral(PHOTO_DATA_DIR "/gradient.heic");
            QVERIFY2(QImageReader::supportedImageFormats().contains("heic"),
                     "no Qt image plug-in reads HEIC (plugins/heif)");
        } else if (source == QLatin1String("broken")) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write("\xff\xd8\xff\xe0 this is not really a picture");
        } else if (source.contains('.') || source == QLatin1String("kept")) {
            const QSize size = source.startsWith(QLatin1String("landscape")) ? QSize(1600, 1200)
                               : source.startsWith(QLatin1String("tall"))    ? QSize(300, 640)
                                                                             : QSize(60, 40);
            QVERIFY(samplePicture(size.width(), size.height(), 3)
                        .save(path, source.endsWith(QLatin1String("png")) ? "PNG" : "JPEG", 95));
        }
        PhotoSet set;
        FakePhoto* photo = set.addPhoto(1000, "file", kind);
        photo->setThumbnailPath(source == QLatin1String("kept") ? FakeText("/elsewhere/kept.jpg")
                                                                : FakeText());
        if (!source.isEmpty())
            photo->setFilePath(source == QLatin1String("missing")
                                   ? m_dir.path() + QStringLiteral("/nowhere/gone.jpg")
                                   : path);
        photo->setFormatName(format.isNull() ? FakeText() : FakeText(format));
        ImageItemList store(MMobile::MD_PHOTO, work(), skin());
        store.AddData(set.item(0), 0);
        QTRY_COMPARE(store.GetPendingThumbnailCount(), 0);
        const QString thumbnail =
            expected.startsWith('/') ? expected : m_dir.path() + QStringLiteral("/") + expected;
        QCOMPARE(photo->thumbnailPath().bytes(), thumbnail.toUtf8());
        if (!expected.startsWith(QLatin1String("work/"))) {
            QVERIFY(noThumbnails());
            return;
        }
        QCOMPARE(photo->thumbnailPathWrites(), QByteArrayList({thumbnail.toUtf8()}));
        QImage original;
        QVERIFY(original.load(path));
        const QImage made(thumbnail);
        const QImage reference = onQtPool([&] {
            return original.scaled(113, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        });
        QCOMPARE(made.size(), reference.size());
        // As good as a full decode scaled smoothly, give or take the JPEG
        // rounding of the saved file.
        const double difference = meanDifference(made, reference);
        QVERIFY2(difference < 6.0, qPrintable(QString::number(difference)));
    }

    // The store's own decode runs on a worker: the photo learns its thumbnail
    // only when the GUI thread's event loop takes the result back, the grid's
    // model is told then, and a store emptied meanwhile takes nothing back.
    void thumbnailsComeBackThroughTheEventLoop_data()
    {
        QTest::addColumn<QString>("meanwhile"); // "", "clear", "destroy"
        QTest::newRow("kept") << QString();
        QTest::newRow("store emptied") << QStringLiteral("clear");
        QTest::newRow("store gone") << QStringLiteral("destroy");
    }
    void thumbnailsComeBackThroughTheEventLoop()
    {
        QFETCH(QString, meanwhile);
        PhotoSet set;
        for (int i = 0; i < 3; ++i) {
            const QString path = m_dir.path() + QStringLiteral("/big%1.jpg").arg(i);
            QVERIFY(samplePicture(1600, 1200, i).save(path, "JPEG", 90));
            FakePhoto* photo = set.addPhoto(1000 + i, QStringLiteral("big%1").arg(i));
            photo->setThumbnailPath(FakeText());
            photo->setFilePath(path);
        }
        auto store = std::make_unique<ImageItemList>(MMobile::MD_PHOTO, work(), skin());
        int told = 0;
        store->SetThumbnailListener([&told] { ++told; });
        store->SetDatas(set.getter());
        QCOMPARE(store->GetPendingThumbnailCount(), 3);
        // Whatever the worker has done, nothing reached the photos yet.
        for (int i = 0; i < 3; ++i)
            QVERIFY(set.photo(i)->thumbnailPathWrites().isEmpty());
        if (meanwhile == QLatin1String("clear")) {
            store->ClearData();
            QCOMPARE(store->GetPendingThumbnailCount(), 0);
        } else if (meanwhile == QLatin1String("destroy")) {
            store.reset();
        }
        if (!meanwhile.isEmpty()) {
            // Give the worker time to finish and hand back what it made.
            QTest::qWait(300);
            for (int i = 0; i < 3; ++i)
                QVERIFY(set.photo(i)->thumbnailPathWrites().isEmpty());
            QCOMPARE(told, 0);
            return;
        }
        QTRY_COMPARE(store->GetPendingThumbnailCount(), 0);
        QVERIFY(told >= 1);
        for (int i = 0; i < 3; ++i) {
            const QByteArray expected = (thumbs() + QStringLiteral("big%1.jpg").arg(i)).toUtf8();
            QCOMPARE(set.photo(i)->thumbnailPathWrites(), QByteArrayList({expected}));
            QCOMPARE(QImage(QString::fromUtf8(expected)).size(), QSize(113, 84));
        }
    }
};

QTEST_GUILESS_MAIN(TestImageItemList)
#include "tst_imageitemlist.moc"
