// MakeOutputPath at the edge of its buffer: a path that does not fit is
// never written cut short (a cut path names another folder, possibly outside
// the chosen one); the buffer stays empty and the result is false.

#include "fakedevice.h"
#include "makeoutputpath.h"

#include <QTest>

#include <vector>

class TestOutputPathLimits : public QObject
{
    Q_OBJECT

private slots:
    void longFolderNeverCut_data();
    void longFolderNeverCut();
};

void TestOutputPathLimits::longFolderNeverCut_data()
{
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<QByteArray>("deviceName");
    // "/" + 1,000 bytes and a 30-byte device name: the category folder needs
    // more than 1,024 bytes.
    QTest::newRow("1,000-byte folder")
        << ("/" + QByteArray(1000, 'f')) << QByteArray("The iPhone of a long-named one");
    // 333 three-byte characters and the path ends inside one at 1,024.
    QByteArray cjk("/");
    for (int i = 0; i < 333; ++i)
        cjk += "\xE8\xB7\xAF";
    QTest::newRow("CJK folder") << cjk << QByteArray("\xE6\x89\x8B\xE6\x9C\xBA");
    QTest::newRow("short folder, long name")
        << QByteArray("/home/u") << QByteArray(600, 'n') + QByteArray(600, 'm');
}

void TestOutputPathLimits::longFolderNeverCut()
{
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, deviceName);
    FakeDevice device(deviceName);

    // The whole path, from a buffer large enough.
    std::vector<char> large(8192, 'x');
    QVERIFY(MakeOutputPath(folder.constData(), &device, MMobile::MD_NOTE, large.data(),
                           int(large.size())));
    const QByteArray full(large.data());
    QVERIFY(full.startsWith(folder + '/'));

    for (const int size : {1024, int(full.size()), int(full.size()) + 1}) {
        std::vector<char> buffer(std::size_t(size) + 8, 'x');
        const bool fits = size > full.size();
        QCOMPARE(MakeOutputPath(folder.constData(), &device, MMobile::MD_NOTE, buffer.data(), size),
                 fits);
        QCOMPARE(QByteArray(buffer.data()), fits ? full : QByteArray());
        // Nothing beyond the buffer is touched.
        QCOMPARE(buffer[std::size_t(size)], 'x');
    }
}

QTEST_MAIN(TestOutputPathLimits)
#include "tst_outputpathlimits.moc"
