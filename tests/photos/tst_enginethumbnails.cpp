#include "photofixture.h"
#include "picturefiles.h"

#include "embeddedthumbnail.h"
#include "thumbnailmaker.h"

#include <QTemporaryDir>
#include <QTest>

#include <cmath>

// The thumbnails that the engine makes while it scans, against the photo
// store's own: same size, and as close to a full decode.
class TestEngineThumbnails : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString file(const QString& name) const { return m_dir.filePath(name); }
    // The store's own thumbnail of the picture at path, and the path it chose.
    QString storeThumbnail(const QString& path, const QString& enginePath = QString())
    {
        PhotoSet set;
        FakePhoto* photo = set.addPhoto(0);
        photo->setFilePath(path);
        photo->setThumbnailPath(enginePath.isNull() ? FakeText() : FakeText(enginePath));
        ImageItemList store(MMobile::MD_PHOTO, file("work/"), file("skin/"));
        store.SetDatas(set.getter());
        // The store decodes on its worker and hands the result back through
        // the event loop.
        if (!QTest::qWaitFor([&store] { return store.GetPendingThumbnailCount() == 0; }, 30000))
            return QString();
        return QString::fromUtf8(photo->GetThumbnailPath());
    }

    // The path the engine's maker gives a photo of the picture at path, made as
    // a scan makes it: on the maker's threads, into `folder`; null when none.
    static QString engineThumbnail(const QString& path, const QString& folder)
    {
        PhotoSet set;
        FakePhoto* photo = set.addPhoto(0);
        photo->setThumbnailPath(FakeText());
        {
            ThumbnailMaker maker(folder, 2);
            maker.Submit(photo, path);
            maker.Finish();
        }
        return photo->thumbnailPathWrites().isEmpty()
                   ? QString()
                   : QString::fromUtf8(photo->GetThumbnailPath());
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void sameAsTheStore_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("preview");
        QTest::newRow("JPEG with EXIF thumbnail") << "jpeg" << QSize(640, 480) << true;
        QTest::newRow("JPEG without") << "jpeg" << QSize(1280, 720) << false;
        QTest::newRow("HEIC with thumbnail") << "heic" << QSize(640, 480) << true;
        QTest::newRow("HEIC without") << "heic" << QSize(640, 480) << false;
        QTest::newRow("PNG") << "png" << QSize(300, 500) << false;
    }
    void sameAsTheStore()
    {
        QFETCH(QString, format);
        QFETCH(QSize, size);
        QFETCH(bool, preview);
        const QImage picture = samplePicture(size.width(), size.height(), size.width() % 7);
        const QString path = file(QTest::currentDataTag());
        const QImage exifPreview = onQtPool([&] {
            return preview
                       ? picture.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       : QImage();
        });
        QVERIFY(onQtPool([&] {
            return format == "png"    ? picture.save(path, "PNG")
                   : format == "heic" ? PictureFiles::WriteHeic(path, picture, preview ? 320 : 0)
                                      : PictureFiles::WriteJpeg(path, picture, exifPreview);
        }));
        QCOMPARE(!EmbeddedThumbnail::Read(path).image.isNull(), preview);

        QTemporaryDir folder;
        const QString made = engineThumbnail(path, folder.path());
        QVERIFY(made.startsWith(folder.path()));
        const QImage engine(made);
        const QImage store(storeThumbnail(path));
        QVERIFY(!engine.isNull() && !store.isNull());
        QCOMPARE(engine.size(), store.size());
        const QImage full(path);
        QCOMPARE(full.size(), size);
        const QImage reference = onQtPool([&] {
            return full.scaled(engine.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        });
        const double difference = meanDifference(engine, reference);
        QVERIFY2(difference < 6.0, qPrintable(QString::number(difference)));
        // The store keeps a path the engine set and makes nothing itself.
        QCOMPARE(storeThumbnail(path, made), made);
    }

    void failedThumbnailFallsBackAsTheStoreWould_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not a picture") << QByteArray("plain text, no picture");
        QTest::newRow("truncated JPEG") << QByteArray("\xFF\xD8\xFF\xE1\x00\x10"
                                                      "Exif",
                                                      10);
        QTest::newRow("truncated HEIC") << QByteArray("\x00\x00\x00\x18"
                                                      "ftypheic",
                                                      12);
        QTest::newRow("empty") << QByteArray();
    }
    void failedThumbnailFallsBackAsTheStoreWould()
    {
        QFETCH(QByteArray, content);
        const QString path = file("broken.jpg");
        QFile broken(path);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(content);
        broken.close();
        QTemporaryDir folder;
        QVERIFY(engineThumbnail(path, folder.path()).isNull());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList());
        QCOMPARE(storeThumbnail(path), file("skin/default_picture.png"));
    }

    void stopLeavesTheRestToTheStore_data()
    {
        QTest::addColumn<bool>("whileFinishing");
        QTest::newRow("Stop") << false;
        QTest::newRow("Finish asked to stop") << true;
    }

    // Stopping drops what was not started and cuts short the picture under
    // way: once asked, at most that one picture is written. The photos it
    // dropped keep no path.
    void stopLeavesTheRestToTheStore()
    {
        QFETCH(bool, whileFinishing);
        // Enough that the maker is still at work when asked.
        constexpr int Count = 400;
        const QString path = file("many.jpg");
        QVERIFY(PictureFiles::WriteJpeg(path, samplePicture(320, 240)));
        QTemporaryDir folder;
        PhotoSet set;
        for (int i = 0; i < Count; ++i)
            set.addPhoto(0)->setThumbnailPath(FakeText());
        ThumbnailMaker maker(folder.path(), 1);
        for (int i = 0; i < Count; ++i)
            maker.Submit(set.photo(i), path);
        int madeWhenAsked = -1;
        if (whileFinishing) {
            QVERIFY(!maker.Finish([&] {
                madeWhenAsked = maker.MadeCount();
                return false;
            }));
        } else {
            madeWhenAsked = maker.MadeCount();
            maker.Stop();
        }
        int made = 0;
        for (int i = 0; i < Count; ++i)
            made += set.photo(i)->thumbnailPathWrites().size();
        QVERIFY(madeWhenAsked >= 0);
        QVERIFY2(made - madeWhenAsked <= 1,
                 qPrintable(QStringLiteral("%1 made after the stop").arg(made - madeWhenAsked)));
        QCOMPARE(maker.MadeCount(), made);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), made);
        maker.Submit(set.photo(0), path); // a stopped maker takes nothing more
        maker.Finish();
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), made);
    }

    // A finished maker takes nothing more either: the scan has the photos
    // back once Finish returns.
    void finishedMakerTakesNothingMore()
    {
        const QString path = file("finished.jpg");
        QVERIFY(PictureFiles::WriteJpeg(path, samplePicture(64, 48)));
        QTemporaryDir folder;
        PhotoSet set;
        for (int i = 0; i < 2; ++i)
            set.addPhoto(0)->setThumbnailPath(FakeText());
        ThumbnailMaker maker(folder.path(), 1);
        maker.Submit(set.photo(0), path);
        QVERIFY(maker.Finish());
        maker.Submit(set.photo(1), path);
        QVERIFY(maker.Finish());
        QCOMPARE(set.photo(0)->thumbnailPathWrites().size(), 1);
        QVERIFY(set.photo(1)->thumbnailPathWrites().isEmpty());
        QCOMPARE(maker.MadeCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TestEngineThumbnails)
#include "tst_enginethumbnails.moc"
