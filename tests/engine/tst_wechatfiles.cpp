// The WeChat app's account files and group room data as the engine reads
// them: what the sample generator writes comes back whole, and every cut
// or damaged copy gives an empty or partial answer, never a crash.

#include "protofields.h"
#include "sampleproto.h"
#include "samplewechataccountfiles.h"
#include "wechatidentity.h"
#include "wechatroomdata.h"

#include <QtTest>

#include <functional>

using Identity = SampleWeChatAccountFiles::Identity;
using Parser = std::function<std::vector<WeChatIdentity>(const QByteArray&)>;
Q_DECLARE_METATYPE(Parser)

namespace {

const Identity First{QStringLiteral("wxid_ann4100"), QStringLiteral("Ann"),
                     QStringLiteral("ann_1988"), QStringLiteral("https://h.example/a/132")};
const Identity Second{QStringLiteral("wxid_bo4137"), QStringLiteral("B\u00f8 2"),
                      QStringLiteral("bo_1993"), QStringLiteral("https://h.example/b/132")};

std::vector<WeChatIdentity> One(const WeChatIdentity& identity)
{
    return identity.IsEmpty() ? std::vector<WeChatIdentity>()
                              : std::vector<WeChatIdentity>{identity};
}

const Parser LoginParser = [](const QByteArray& data) {
    return WeChatIdentity::FromLoginInfo(data);
};
const Parser ArchiveParser = [](const QByteArray& data) {
    return One(WeChatIdentity::FromSettingsArchive(data));
};
const Parser MmkvParser = [](const QByteArray& data) {
    return One(WeChatIdentity::FromSettingsMmkv(data));
};

QStringList Names(const std::vector<WeChatIdentity>& identities)
{
    QStringList names;
    for (const WeChatIdentity& identity : identities)
        names << identity.userName + '|' + identity.nickName + '|' + identity.alias;
    return names;
}

} // namespace

class TestWeChatFiles : public QObject
{
    Q_OBJECT

private slots:
    void identities_data();
    void identities();
    void loginListLayout();
    void damagedIdentities_data();
    void damagedIdentities();
    void roomData_data();
    void roomData();
    void damagedRoomData();
};

void TestWeChatFiles::identities_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Parser>("parser");
    QTest::addColumn<QStringList>("expected");
    // The login list has no alias.
    QTest::newRow("login list") << SampleWeChatAccountFiles::LoginInfo({First, Second})
                                << LoginParser
                                << QStringList{First.userName + '|' + First.nickName + '|',
                                               Second.userName + '|' + Second.nickName + '|'};
    for (const Identity& account : {First, Second}) {
        const QString all = account.userName + '|' + account.nickName + '|' + account.alias;
        QTest::addRow("archive of %s", qPrintable(account.userName))
            << SampleWeChatAccountFiles::SettingsArchive(account) << ArchiveParser
            << QStringList{all};
        QTest::addRow("MMKV of %s", qPrintable(account.userName))
            << SampleWeChatAccountFiles::SettingsMmkv(account) << MmkvParser << QStringList{all};
    }
    // Other readers walk the list as a message whose field 1 holds the
    // accounts, each after its own length: a list laid out that way by hand
    // is read as well.
    const QByteArray record =
        SampleProto().Text(1, Second.userName).Text(3, Second.nickName).Data();
    const QByteArray list = SampleProto::VarintBytes(quint64(record.size())) + record;
    QTest::newRow("login list laid out by hand")
        << SampleProto().Bytes(1, list).Data() << LoginParser
        << QStringList{Second.userName + '|' + Second.nickName + '|'};
}

void TestWeChatFiles::identities()
{
    QFETCH(QByteArray, file);
    QFETCH(Parser, parser);
    QFETCH(QStringList, expected);
    QCOMPARE(Names(parser(file)), expected);
}

// What the generator writes is what the other readers take apart: one field
// 1 whose bytes are the accounts, each a varint length and a record with the
// user name in its field 1.
void TestWeChatFiles::loginListLayout()
{
    std::vector<ProtoFields::Field> top;
    QVERIFY(ProtoFields::Parse(SampleWeChatAccountFiles::LoginInfo({First, Second}), top));
    QCOMPARE(top.size(), std::size_t(1));
    QCOMPARE(top[0].number, 1);
    QCOMPARE(top[0].wireType, 2);
    QStringList users;
    int at = 0;
    quint64 length = 0;
    while (at < top[0].bytes.size() && ProtoFields::ReadVarint(top[0].bytes, at, length)) {
        std::vector<ProtoFields::Field> fields;
        QVERIFY(ProtoFields::Parse(top[0].bytes.mid(at, int(length)), fields));
        QVERIFY(!fields.empty());
        QCOMPARE(fields[0].number, 1);
        users << QString::fromUtf8(fields[0].bytes);
        at += int(length);
    }
    QCOMPARE(at, top[0].bytes.size());
    QCOMPARE(users, (QStringList{First.userName, Second.userName}));
}

void TestWeChatFiles::damagedIdentities_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Parser>("parser");
    QTest::newRow("login list") << SampleWeChatAccountFiles::LoginInfo({First, Second})
                                << LoginParser;
    QTest::newRow("archive") << SampleWeChatAccountFiles::SettingsArchive(First) << ArchiveParser;
    QTest::newRow("MMKV") << SampleWeChatAccountFiles::SettingsMmkv(Second) << MmkvParser;
}

// Every cut of the file, and every byte turned to 0xff in turn: the answer
// names a real user or no one.
void TestWeChatFiles::damagedIdentities()
{
    QFETCH(QByteArray, file);
    QFETCH(Parser, parser);
    const QStringList whole = Names(parser(file));
    QVERIFY(!whole.isEmpty());
    const auto check = [&](const QByteArray& damaged) {
        for (const QString& name : Names(parser(damaged)))
            if (!whole.contains(name) && !name.startsWith(First.userName) &&
                !name.startsWith(Second.userName))
                return false;
        return true;
    };
    for (int size = 0; size < file.size(); ++size)
        QVERIFY2(check(file.left(size)), qPrintable(QStringLiteral("cut at %1").arg(size)));
    for (int at = 0; at < file.size(); ++at) {
        QByteArray damaged = file;
        damaged[at] = char(0xff);
        QVERIFY(parser(damaged).size() <= std::size_t(whole.size()));
    }
    QVERIFY(parser(QByteArray()).empty());
    QVERIFY(parser(QByteArray(100, '\xff')).empty());
}

void TestWeChatFiles::roomData_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QStringList>("members");
    QTest::addColumn<QStringList>("names");
    const QString xml = QStringLiteral(
        "<RoomData><Member UserName=\"wxid_a\"><DisplayName>Auntie A</DisplayName></Member>"
        "<Member UserName=\"wxid_b\"/><Member UserName=\"9@openim\"><DisplayName> Zed "
        "</DisplayName></Member><MaxCount>500</MaxCount></RoomData>");
    QTest::newRow("list and room data")
        << SampleProto().Text(1, "wxid_a;wxid_b;9@openim").Text(2, "wxid_a").Text(6, xml).Data()
        << QStringList{"wxid_a", "wxid_b", "9@openim"} << QStringList{"Auntie A", "", "Zed"};
    QTest::newRow("room data alone")
        << SampleProto().Text(6, xml).Data() << QStringList{"wxid_a", "wxid_b", "9@openim"}
        << QStringList{"Auntie A", "", "Zed"};
    QTest::newRow("list alone") << SampleProto().Text(1, "wxid_a;;wxid_b;").Data()
                                << QStringList{"wxid_a", "wxid_b"} << QStringList{"", ""};
    QTest::newRow("room data not XML")
        << SampleProto().Text(1, "wxid_a").Text(6, "<RoomData><Member UserName=").Data()
        << QStringList{"wxid_a"} << QStringList{""};
}

void TestWeChatFiles::roomData()
{
    QFETCH(QByteArray, field);
    QFETCH(QStringList, members);
    QFETCH(QStringList, names);
    const WeChatRoomData room(field);
    QCOMPARE(room.Members(), members);
    QStringList read;
    for (const QString& member : members)
        read << room.DisplayName(member);
    QCOMPARE(read, names);
}

void TestWeChatFiles::damagedRoomData()
{
    const QByteArray field =
        SampleProto()
            .Text(1, "wxid_a;wxid_b")
            .Text(6, "<RoomData><Member UserName=\"wxid_a\"><DisplayName>A</DisplayName>"
                     "</Member></RoomData>")
            .Data();
    for (int size = 0; size < field.size(); ++size) {
        const WeChatRoomData room(field.left(size));
        QVERIFY(room.Members().size() <= 2);
    }
    // A length past the end is refused, not followed; there is no field 0.
    for (const QByteArray& bad : {QByteArray("\x0a\x7f"
                                             "abc",
                                             5),
                                  QByteArray(12, '\xff'), QByteArray("\x02\x01x", 3)}) {
        std::vector<ProtoFields::Field> fields;
        QVERIFY(!ProtoFields::Parse(bad, fields) && fields.empty());
    }
}

QTEST_GUILESS_MAIN(TestWeChatFiles)
#include "tst_wechatfiles.moc"
