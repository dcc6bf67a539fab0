// What stored WeChat messages read as when their XML is damaged, partial or
// of a kind the reader does not know, and which texts carry a group writer.

#include "wechatmessagetext.h"

#include <QtTest>

class TestWeChatMessageText : public QObject
{
    Q_OBJECT

private slots:
    void summary_data();
    void summary();
    void groupSender_data();
    void groupSender();
};

void TestWeChatMessageText::summary_data()
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
    row("unknown type", 9999, "anything", "[Message of type 9999]");
    row("empty text", 1, "", "");
}

void TestWeChatMessageText::summary()
{
    QFETCH(int, type);
    QFETCH(QString, content);
    QFETCH(QString, expected);
    QCOMPARE(WeChatMessageText::Summary(type, content), expected);
}

void TestWeChatMessageText::groupSender_data()
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

void TestWeChatMessageText::groupSender()
{
    QFETCH(QString, content);
    QFETCH(QString, sender);
    QFETCH(QString, rest);
    QCOMPARE(WeChatMessageText::TakeGroupSender(content), sender);
    QCOMPARE(content, rest);
}

QTEST_GUILESS_MAIN(TestWeChatMessageText)
#include "tst_wechatmessagetext.moc"
