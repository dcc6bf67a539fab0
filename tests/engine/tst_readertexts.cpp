// The readers' texts: the phone's time stamps across the 2001 epoch, in both
// units; the property lists the backup keeps, read in both forms; stored
// WeChat messages whose XML is damaged, partial or of an unknown kind, and
// which texts carry a group writer; the exporter's vCard values; a message
// entry's texts, kept in one block, read back as set. Runs in UTC
// so that the local texts are known.

#include "appletime.h"
#include "localclock.h"
#include "messageentryrecord.h"
#include "plistreader.h"
#include "vcardwriter.h"
#include "wechatmessagetext.h"

#include <QtTest>

#include <ctime>
#include <limits>

class TestReaderTexts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void text_data();
    void text();
    void clockZones_data();
    void clockZones();
    void clockInTurn();
    void floatingDates_data();
    void floatingDates();
    void xmlPlist();
    void damagedPlists_data();
    void damagedPlists();
    void weChatSummary_data();
    void weChatSummary();
    void weChatGroupSender_data();
    void weChatGroupSender();
    void vCardValues_data();
    void vCardValues();
    void entryTexts_data();
    void entryTexts();
};

void TestReaderTexts::initTestCase()
{
    qputenv("TZ", "UTC");
#ifndef Q_OS_WIN
    tzset();
#endif
}

void TestReaderTexts::text_data()
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
    QTest::newRow("29 February") << 131328000.0 << "2005-03-01 00:00:00" << qint64(1109635200);
    QTest::newRow("2000-02-29") << -26524800.0 << "2000-02-29 00:00:00" << qint64(951782400);
    QTest::newRow("last second of 9999, nanoseconds")
        << 252423993599.0e9 << "9999-12-31 23:59:59" << qint64(253402300799);
    // No usable time: no text, and 0 rather than undefined behaviour.
    QTest::newRow("huge") << 1e300 << "" << qint64(0);
    QTest::newRow("huge negative") << -1e300 << "" << qint64(0);
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << "" << qint64(0);
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "" << qint64(0);
}

void TestReaderTexts::text()
{
    QFETCH(double, stored);
    QFETCH(QString, text);
    QFETCH(qint64, unix);
    QCOMPARE(AppleTime::ToText(stored), text);
    QCOMPARE(qint64(AppleTime::ToUnix(stored)), unix);
    // The scan's clock formats by hand; in UTC it must say the same.
    QCOMPARE(LocalClock(QTimeZone::utc()).Text(stored), text);
    QCOMPARE(LocalClock::DateText(stored), text.left(10));
    // The stamp records copy at once says the same, or nothing.
    const LocalClock::Stamp stamp = LocalClock(QTimeZone::utc()).Utf8Stamp(stored);
    QCOMPARE(stamp.Piece().IsNull(), text.isEmpty());
    if (!text.isEmpty())
        QCOMPARE(QByteArray(stamp.Piece().data, stamp.Piece().size), text.toUtf8());
}

void TestReaderTexts::clockZones_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<double>("stored");
    QTest::addColumn<QString>("text");
    QTest::newRow("far east") << QByteArray("Pacific/Kiritimati") << 0.0 << "2001-01-01 14:00:00";
    QTest::newRow("far west") << QByteArray("Pacific/Pago_Pago") << 0.0 << "2000-12-31 13:00:00";
    // Summer and winter of one zone, asked in turn (the clock keeps an interval).
    QTest::newRow("summer") << QByteArray("Europe/Berlin") << 738936000.0 << "2024-06-01 14:00:00";
    QTest::newRow("winter") << QByteArray("Europe/Berlin") << 725760000.0 << "2024-01-01 01:00:00";
}

void TestReaderTexts::clockZones()
{
    QFETCH(QByteArray, zone);
    QFETCH(double, stored);
    QFETCH(QString, text);
    LocalClock clock{QTimeZone(zone)};
    QCOMPARE(clock.Text(stored), text);
    QCOMPARE(
        clock.Text(stored + 86400.0 * 180),
        QDateTime::fromSecsSinceEpoch(qint64(stored) + 978307200 + 86400 * 180, QTimeZone(zone))
            .toString("yyyy-MM-dd HH:mm:ss"));
    QCOMPARE(clock.Text(stored), text);
}

// One clock asked in turn (it keeps the last day's text) says what a new
// clock says of each time: within a day, across midnight and years, after
// a time it cannot write, and before the epoch.
void TestReaderTexts::clockInTurn()
{
    const double day = 86400.0;
    const QList<double> times{0.0,
                              59.0,
                              day - 1,
                              day,
                              day + 3600,
                              -1.0,
                              -day,
                              1e12,
                              day + 7,
                              365 * day * 30,
                              365 * day * 30 + 5,
                              738936000.0e9,
                              1.0};
    LocalClock clock{QTimeZone::utc()};
    for (const double stored : times) {
        QCOMPARE(clock.Text(stored), LocalClock(QTimeZone::utc()).Text(stored));
        const LocalClock::Stamp stamp = clock.Utf8Stamp(stored);
        QCOMPARE(QByteArray(stamp.Piece().data, stamp.Piece().size),
                 LocalClock(QTimeZone::utc()).Utf8Text(stored));
    }
}

void TestReaderTexts::floatingDates_data()
{
    QTest::addColumn<double>("stored");
    QTest::addColumn<QString>("day");
    QTest::newRow("a day") << 738892800.0 << "2024-06-01";
    QTest::newRow("no year") << -12516595200.0 << "--05-14";
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "";
}

// Floating dates keep their day whatever the zone.
void TestReaderTexts::floatingDates()
{
    QFETCH(double, stored);
    QFETCH(QString, day);
    for (const char* zone : {"Pacific/Kiritimati", "Pacific/Pago_Pago"}) {
        qputenv("TZ", zone);
        tzset();
        QCOMPARE(LocalClock::DateText(stored), day);
    }
    qputenv("TZ", "UTC");
    tzset();
}

void TestReaderTexts::xmlPlist()
{
    const QVariant value = PlistReader::Parse(
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Display Name</key>"
        "<string>Zoë &amp; co</string><key>Count</key><integer>42</integer><key>On</key><true/>"
        "<key>List</key><array><real>1.5</real><data>AAEC</data></array></dict></plist>");
    QCOMPARE(value,
             QVariant(QVariantMap{{"Display Name", QStringLiteral("Zoë & co")},
                                  {"Count", qlonglong(42)},
                                  {"On", true},
                                  {"List", QVariantList{1.5, QByteArray("\x00\x01\x02", 3)}}}));
}

void TestReaderTexts::damagedPlists_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not a plist") << QByteArray("<html></html>");
    QTest::newRow("cut xml") << QByteArray("<plist><dict><key>a</key><string>b");
    QTest::newRow("binary header only") << QByteArray("bplist00");
    QTest::newRow("binary with a wild trailer") << QByteArray("bplist00") + QByteArray(32, '\xff');
    // An array that holds itself.
    // (object 0 at offset 8, its offset table at 10; one-byte offsets and references)
    QTest::newRow("binary reference cycle")
        << QByteArray("bplist00\xA1\x00\x08"
                      "\0\0\0\0\0\0\x01\x01\0\0\0\0\0\0\0\x01\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x0A",
                      43);
}

void TestReaderTexts::damagedPlists()
{
    QFETCH(QByteArray, data);
    QVERIFY(!PlistReader::Parse(data).isValid());
}

void TestReaderTexts::weChatSummary_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* name, int type, const char* content, const char* expected) {
        QTest::newRow(name) << type << QString(content) << QString(expected);
    };
    row("voice of a minute", 34, "<msg><voicemsg voicelength=\"60400\"/></msg>", "[Voice 1:00]");
    row("voice without length", 34, "<msg><voicemsg/></msg>", "[Voice]");
    // A title the XML breaks off in is not trusted.
    row("link cut short", 49, "<msg><appmsg><title>Half", "[Link]");
    row("link not XML", 49, "no markup at all", "[Link]");
    row("file with its extension", 49,
        "<msg><appmsg><title>a.PDF</title><type>6</type><appattach><fileext>pdf"
        "</fileext></appattach></appmsg></msg>",
        "[File] a.PDF");
    row("text before the XML", 48, "x:\n<msg><location poiname=\"Pier\"/></msg>",
        "[Location] Pier");
    row("recall without notice", 10002, "<sysmsg>Taken <b>back</b></sysmsg>",
        "[Recalled] Taken back");
    // The shapes the app stores a recall in: the partner's as a plain notice,
    // the account's own with its text kept for re-editing.
    row("partner's recall", 10000, "\"Ann Lee\" recalled a message",
        "[Recalled] \"Ann Lee\" recalled a message");
    row("partner's recall in Chinese", 10000,
        "\"\xe6\x9d\x8e\" \xe6\x92\xa4\xe5\x9b\x9e\xe4\xba\x86\xe4\xb8\x80\xe6\x9d\xa1"
        "\xe6\xb6\x88\xe6\x81\xaf",
        "[Recalled] \"\xe6\x9d\x8e\" \xe6\x92\xa4\xe5\x9b\x9e\xe4\xba\x86\xe4\xb8\x80"
        "\xe6\x9d\xa1\xe6\xb6\x88\xe6\x81\xaf");
    row("notice that only mentions a recall", 10000, "Ann recalled a message about lunch",
        "Ann recalled a message about lunch");
    row("own recall kept for re-editing", 10002,
        "<sysmsg type=\"editrevokecontent\"><editrevokecontent><text><![CDATA[You recalled a "
        "message]]></text><link><text>Re-edit</text><revokecontent>secret</revokecontent>"
        "</link></editrevokecontent></sysmsg>",
        "[Recalled] You recalled a message");
    row("server's recall", 10002,
        "<sysmsg type=\"revokemsg\"><revokemsg><replacemsg><![CDATA[\"Bo\" recalled a "
        "message]]></replacemsg></revokemsg></sysmsg>",
        "[Recalled] \"Bo\" recalled a message");
    row("other system message", 10002,
        "<sysmsg type=\"pat\"><pat><template>Bo patted you</template></pat></sysmsg>",
        "Bo patted you");
    row("unknown type", 9999, "anything", "[Message of type 9999]");
    row("empty text", 1, "", "");
}

void TestReaderTexts::weChatSummary()
{
    QFETCH(int, type);
    QFETCH(QString, content);
    QFETCH(QString, expected);
    QCOMPARE(WeChatMessageText::Summary(type, content), expected);
}

void TestReaderTexts::weChatGroupSender_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("sender");
    QTest::addColumn<QString>("rest");
    const auto row = [](const char* name, const char* content, const char* sender,
                        const char* rest) {
        QTest::newRow(name) << QString(content) << QString(sender) << QString(rest);
    };
    row("writer", "wxid_a1:\nhello", "wxid_a1", "hello");
    row("room member", "12345@chatroom:\n<msg/>", "12345@chatroom", "<msg/>");
    row("colon in a sentence", "Note: see\nbelow", "", "Note: see\nbelow");
    row("spaces before the colon", "dear all:\nhi", "", "dear all:\nhi");
    row("leading colon", ":\nx", "", ":\nx");
}

void TestReaderTexts::weChatGroupSender()
{
    QFETCH(QString, content);
    QFETCH(QString, sender);
    QFETCH(QString, rest);
    QCOMPARE(WeChatMessageText::TakeGroupSender(content), sender);
    QCOMPARE(content, rest);
}

void TestReaderTexts::vCardValues_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("escaped");
    QTest::newRow("separators") << "a,b;c\\d"
                                << "a\\,b\\;c\\\\d";
    // Each line break is one \n, whichever system wrote it.
    QTest::newRow("line breaks") << "1\r\n2\n3\r4\r"
                                 << "1\\n2\\n3\\n4\\n";
}

void TestReaderTexts::vCardValues()
{
    QFETCH(QString, value);
    QFETCH(QString, escaped);
    QCOMPARE(VCardWriter::Escape(value), escaped);
}

void TestReaderTexts::entryTexts_data()
{
    // A null QByteArray is a field never set; the others are texts.
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("sender");
    QTest::addColumn<QByteArray>("date");
    const QByteArray date("2024-06-01 12:00:00");
    QTest::newRow("all three") << QByteArray("Hello") << QByteArray("Me") << date;
    QTest::newRow("no text") << QByteArray() << QByteArray("+15550100") << date;
    QTest::newRow("empty text") << QByteArray("") << QByteArray("Me") << date;
    QTest::newRow("no sender") << QByteArray("Hi") << QByteArray() << date;
    QTest::newRow("no date") << QByteArray("Hi") << QByteArray("Me") << QByteArray();
    QTest::newRow("nothing") << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("all empty") << QByteArray("") << QByteArray("") << QByteArray("");
    QTest::newRow("multi-byte") << QByteArray("Grüße \xF0\x9F\x98\x80") << QByteArray("Zoë")
                                << date;
    QTest::newRow("long text") << QByteArray(70000, 'x') << QByteArray("Me") << date;
}

void TestReaderTexts::entryTexts()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, sender);
    QFETCH(QByteArray, date);
    const auto same = [](const char* got, const QByteArray& expected) {
        return expected.isNull() ? got == nullptr : got && QByteArray(got) == expected;
    };
    const auto check = [&](MessageEntryRecord& entry) {
        QVERIFY(same(entry.GetText(), text));
        QVERIFY(same(entry.GetSender(), sender));
        QVERIFY(same(entry.GetDate(), date));
        QVERIFY(!entry.Get(-1));
        QVERIFY(!entry.Get(MessageEntryRecord::FieldCount));
    };
    // The block behind the entry itself.
    const std::unique_ptr<MessageEntryRecord> made =
        MessageEntryRecord::Make(false, text, sender, date);
    check(*made);
    // Set on a plain entry, twice: the second block replaces the first whole.
    MessageEntryRecord entry(true);
    QVERIFY(!entry.GetText() && !entry.GetSender() && !entry.GetDate());
    entry.SetTexts(QByteArray("old text"), QByteArray("old sender"), QByteArray("old date"));
    entry.SetTexts(text, sender, date);
    check(entry);
    // A made entry given new texts reads them.
    made->SetTexts(QByteArray("new"), QByteArray(), QByteArray("then"));
    QCOMPARE(made->GetText(), "new");
    QVERIFY(!made->GetSender());
    QCOMPARE(made->GetDate(), "then");
}

QTEST_GUILESS_MAIN(TestReaderTexts)
#include "tst_readertexts.moc"
