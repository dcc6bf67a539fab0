// The phone's time stamps across the 2001 epoch, in both units, and the
// property lists the backup keeps, read in both forms. Runs in UTC so that
// the local texts are known.

#include "appletime.h"
#include "plistreader.h"

#include <QtTest>

#include <ctime>

class TestAppleTime : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void text_data();
    void text();
    void xmlPlist();
    void damagedPlists_data();
    void damagedPlists();
};

void TestAppleTime::initTestCase()
{
    qputenv("TZ", "UTC");
#ifndef Q_OS_WIN
    tzset();
#endif
}

void TestAppleTime::text_data()
{
    QTest::addColumn<double>("stored");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("unix");
    QTest::newRow("epoch") << 0.0 << "2001-01-01 00:00:00" << qint64(978307200);
    QTest::newRow("fraction rounds down") << 0.999 << "2001-01-01 00:00:00" << qint64(978307200);
    QTest::newRow("before the epoch") << -0.5 << "2000-12-31 23:59:59" << qint64(978307199);
    QTest::newRow("1970") << -978307200.0 << "1970-01-01 00:00:00" << qint64(0);
    QTest::newRow("seconds") << 738936000.0 << "2024-06-01 12:00:00" << qint64(1717243200);
    QTest::newRow("nanoseconds") << 738936000.0e9 << "2024-06-01 12:00:00" << qint64(1717243200);
    QTest::newRow("nanoseconds, day two")
        << 86400.0e9 << "2001-01-02 00:00:00" << qint64(978393600);
    QTest::newRow("leap day") << 131241600.0 << "2005-02-28 00:00:00" << qint64(1109548800);
}

void TestAppleTime::text()
{
    QFETCH(double, stored);
    QFETCH(QString, text);
    QFETCH(qint64, unix);
    QCOMPARE(AppleTime::ToText(stored), text);
    QCOMPARE(qint64(AppleTime::ToUnix(stored)), unix);
}

void TestAppleTime::xmlPlist()
{
    const QVariant value = PlistReader::Parse(
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Display Name</key>"
        "<string>Zoë &amp; co</string><key>Count</key><integer>42</integer><key>On</key><true/>"
        "<key>List</key><array><real>1.5</real><data>AAEC</data></array></dict></plist>");
    const QVariantMap map = value.toMap();
    QCOMPARE(map.value("Display Name").toString(), QStringLiteral("Zoë & co"));
    QCOMPARE(map.value("Count").toLongLong(), 42);
    QCOMPARE(map.value("On").toBool(), true);
    QCOMPARE(map.value("List").toList().value(0).toDouble(), 1.5);
    QCOMPARE(map.value("List").toList().value(1).toByteArray(), QByteArray("\x00\x01\x02", 3));
}

void TestAppleTime::damagedPlists_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not a plist") << QByteArray("<html></html>");
    QTest::newRow("cut xml") << QByteArray("<plist><dict><key>a</key><string>b");
    QTest::newRow("binary header only") << QByteArray("bplist00");
    QByteArray trailerOnly("bplist00");
    trailerOnly.append(QByteArray(32, '\xff'));
    QTest::newRow("binary with a wild trailer") << trailerOnly;
    // An array that holds itself.
    QByteArray cycle("bplist00");
    cycle.append(char(0xA1)).append(char(0));
    cycle.append(char(8));
    QByteArray trailer(32, '\0');
    trailer[6] = 1;
    trailer[7] = 1;
    trailer[15] = 1;
    trailer[31] = 10;
    cycle.append(trailer);
    QTest::newRow("binary reference cycle") << cycle;
}

void TestAppleTime::damagedPlists()
{
    QFETCH(QByteArray, data);
    QVERIFY(!PlistReader::Parse(data).isValid());
}

QTEST_GUILESS_MAIN(TestAppleTime)
#include "tst_appletime.moc"
