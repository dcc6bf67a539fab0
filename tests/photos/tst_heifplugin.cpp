// Our HEIC image-format plug-in, as Qt loads it from the build's plug-in folder:
// pictures decode in the right colours and orientation, found by content
// whatever the file name; damaged files give a null picture.

#include "photofixture.h"
#include "picturefiles.h"

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

class TestHeifPlugin : public QObject
{
    Q_OBJECT

private slots:
    void decodes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QSize>("size");
        QTest::newRow("landscape") << "a.heic" << QByteArray() << QSize(320, 240);
        QTest::newRow("portrait, odd size") << "b.heic" << QByteArray() << QSize(151, 203);
        QTest::newRow("by content, named .jpg") << "c.jpg" << QByteArray() << QSize(64, 48);
        QTest::newRow("format given") << "d" << QByteArray("heif") << QSize(64, 48);
    }
    void decodes()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        QFETCH(QSize, size);
        QTemporaryDir folder;
        const QString path = folder.filePath(name);
        const QImage picture = samplePicture(size.width(), size.height(), 5);
        QVERIFY(PictureFiles::WriteHeic(path, picture, 0, 95));
        QImageReader reader(path, format);
        reader.setDecideFormatFromContent(format.isEmpty());
        QCOMPARE(reader.size(), size);
        const QImage decoded = reader.read();
        QVERIFY2(!decoded.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(decoded.size(), size);
        const double difference = meanDifference(decoded, picture);
        QVERIFY2(difference < 4.0, qPrintable(QString::number(difference)));
    }

    void damagedFilesGiveNoPicture_data()
    {
        QTest::addColumn<int>("keep"); // bytes of a good file kept; -1: noise after the header
        QTest::newRow("half") << 0;
        QTest::newRow("header only") << 32;
        QTest::newRow("brand only") << 12;
        QTest::newRow("noise after the header") << -1;
    }
    void damagedFilesGiveNoPicture()
    {
        QFETCH(int, keep);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("broken.heic"));
        QVERIFY(PictureFiles::WriteHeic(path, samplePicture(200, 100), 0));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        if (keep < 0)
            bytes = bytes.left(32) + QByteArray(4096, '\x5a');
        else
            bytes.truncate(keep > 0 ? keep : bytes.size() / 2);
        file.resize(0);
        file.write(bytes);
        file.close();
        QImageReader reader(path);
        QVERIFY(reader.read().isNull());
        QVERIFY(!reader.size().isValid());
    }
};

QTEST_MAIN(TestHeifPlugin)
#include "tst_heifplugin.moc"
