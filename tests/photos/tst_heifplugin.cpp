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
        // Bytes of the good file kept; -1: all, -2: noise after the header.
        QTest::addColumn<int>("keep");
        // clang-format off
        QTest::newRow("landscape") << "a.heic" << QByteArray() << QSize(320, 240) << -1;
        QTest::newRow("portrait, odd size") << "b.heic" << QByteArray() << QSize(151, 203) << -1;
        QTest::newRow("by content, named .jpg") << "c.jpg" << QByteArray() << QSize(64, 48) << -1;
        QTest::newRow("format given") << "d" << QByteArray("heif") << QSize(64, 48) << -1;
        QTest::newRow("half") << "e.heic" << QByteArray() << QSize(200, 100) << 0;
        QTest::newRow("header only") << "e.heic" << QByteArray() << QSize(200, 100) << 32;
        QTest::newRow("brand only") << "e.heic" << QByteArray() << QSize(200, 100) << 12;
        QTest::newRow("noise after the header") << "e.heic" << QByteArray() << QSize(200, 100) << -2;
        // clang-format on
    }
    void decodes()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        QFETCH(QSize, size);
        QFETCH(int, keep);
        QTemporaryDir folder;
        const QString path = folder.filePath(name);
        const QImage picture = samplePicture(size.width(), size.height(), 5);
        QVERIFY(onQtPool([&] { return PictureFiles::WriteHeic(path, picture, 0, 95); }));
        if (keep != -1) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QByteArray bytes = file.readAll();
            if (keep == -2)
                bytes = bytes.left(32) + QByteArray(4096, '\x5a');
            else
                bytes.truncate(keep > 0 ? keep : bytes.size() / 2);
            file.resize(0);
            file.write(bytes);
        }
        QImageReader reader(path, format);
        // A damaged file goes to the plug-in by its name and gives a null picture.
        reader.setDecideFormatFromContent(format.isEmpty() && keep == -1);
        if (keep != -1) {
            QVERIFY(reader.read().isNull());
            QVERIFY(!reader.size().isValid());
            return;
        }
        QCOMPARE(reader.size(), size);
        const QImage decoded = reader.read();
        QVERIFY2(!decoded.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(decoded.size(), size);
        const double difference = meanDifference(decoded, picture);
        QVERIFY2(difference < 4.0, qPrintable(QString::number(difference)));
    }
};

QTEST_MAIN(TestHeifPlugin)
#include "tst_heifplugin.moc"
