#include "samplewechatwriter.h"

#include "samplepictures.h"
#include "sampleproto.h"
#include "samplerandom.h"
#include "samplewechataccountfiles.h"
#include "samplewechatmedia.h"
#include "samplewechatsessions.h"
#include "samplewords.h"
#include "sqlitewriter.h"

#include <QCryptographicHash>
#include <QRegularExpression>

#include <algorithm>

namespace {

const QString Domain = QStringLiteral("AppDomain-com.tencent.xin");

QString Md5(const QString& text)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex());
}

// Nickname 1, alias 2, remark 3; the pinyin fields the app adds are left out.
QByteArray RemarkField(const QString& nick, const QString& alias, const QString& remark)
{
    SampleProto data;
    data.Text(1, nick);
    if (!alias.isEmpty())
        data.Text(2, alias);
    if (!remark.isEmpty())
        data.Text(3, remark);
    return data.Data();
}

// A group member: `display` is the name the member gave themselves in the
// group; `shown` the name the chat shows (a remark, else that name, else
// the nickname).
struct Member
{
    QString userName, shown, display;
};

// The group's chat-room field: the members' user names ';'-separated (1),
// the owner (2) and the room data (6), an XML list of the members with
// their names within the group.
QByteArray ChatRoomField(const std::vector<Member>& members, const QString& owner)
{
    QStringList names;
    QString xml = QStringLiteral("<RoomData>");
    for (const Member& member : members) {
        names.append(member.userName);
        xml += QStringLiteral("<Member UserName=\"%1\">").arg(member.userName.toHtmlEscaped());
        if (!member.display.isEmpty())
            xml +=
                QStringLiteral("<DisplayName>%1</DisplayName>").arg(member.display.toHtmlEscaped());
        xml += QStringLiteral("<Flag>0</Flag></Member>");
    }
    xml += QStringLiteral("<MaxCount>500</MaxCount></RoomData>");
    return SampleProto()
        .Text(1, names.join(QLatin1Char(';')))
        .Text(2, owner)
        .Varint(3, 0)
        .Text(6, xml)
        .Data();
}

using Planned = SampleWeChatMedia::Message;

const char* const FriendColumns =
    "(userName TEXT PRIMARY KEY, type INTEGER DEFAULT 0, certificationFlag INTEGER DEFAULT 0, "
    "imgStatus INTEGER DEFAULT 0, encodeUserName TEXT, dbContactLocal BLOB, dbContactOther "
    "BLOB, dbContactRemark BLOB, dbContactHeadImage BLOB, dbContactProfile BLOB, "
    "dbContactSocial BLOB, dbContactChatRoom BLOB, dbContactBrand BLOB)";

} // namespace

SampleWeChatWriter::SampleWeChatWriter(SampleRandom& random, int scale, bool media, qint64 now,
                                       AddFile addFile, WriteFile writeFile)
    : m_random(random), m_scale(scale), m_media(media), m_now(now), m_addFile(std::move(addFile)),
      m_writeFile(std::move(writeFile))
{
}

QString SampleWeChatWriter::HeadUrl(const QString& userName)
{
    return QStringLiteral("https://wx.qlogo.cn/mmhead/ver_1/%1/132")
        .arg(Md5(userName + QStringLiteral("/head")));
}

bool SampleWeChatWriter::WriteSettings(int number, SampleBackupContent::WeChatAccount& account)
{
    const SampleWeChatAccountFiles::Identity identity{account.userName, account.nickName,
                                                      account.alias, HeadUrl(account.userName)};
    const QString base = QStringLiteral("Documents/%1/").arg(account.folder);
    bool written = false;
    if (number == 0) {
        // Older versions: a keyed archive in the account's folder.
        account.settingsPath = base + QStringLiteral("mmsetting.archive");
        written = m_writeFile(Domain, account.settingsPath,
                              SampleWeChatAccountFiles::SettingsArchive(identity));
    } else {
        // Newer ones: an MMKV file named after the user.
        account.settingsPath =
            QStringLiteral("Documents/MMappedKV/mmsetting.archive.") + account.userName;
        const QByteArray mmkv = SampleWeChatAccountFiles::SettingsMmkv(identity);
        written = m_writeFile(Domain, account.settingsPath, mmkv) &&
                  m_writeFile(Domain, account.settingsPath + QStringLiteral(".crc"),
                              SampleWeChatAccountFiles::MmkvCrc(mmkv));
    }
    // The avatar as the app last showed it.
    if (written && m_media)
        written = m_writeFile(Domain, base + QStringLiteral("lastHeadImage"),
                              SamplePictures::Picture(880 + number, "JPEG"));
    return written || Fail(QStringLiteral("cannot write the settings of %1").arg(account.userName));
}

bool SampleWeChatWriter::Fail(const QString& error)
{
    m_error = error;
    return false;
}

bool SampleWeChatWriter::Write(std::vector<SampleBackupContent::WeChatAccount>& accounts)
{
    // Every account that logged in on the phone, in the order it did.
    std::vector<SampleWeChatAccountFiles::Identity> logins;
    for (int number = 0; number < 2; ++number) {
        SampleBackupContent::WeChatAccount account;
        if (!WriteAccount(number, account))
            return false;
        accounts.push_back(account);
        logins.push_back(
            {account.userName, account.nickName, account.alias, HeadUrl(account.userName)});
    }
    if (!m_writeFile(Domain, QStringLiteral("Documents/LoginInfo2.dat"),
                     SampleWeChatAccountFiles::LoginInfo(logins)))
        return Fail(QStringLiteral("cannot write LoginInfo2.dat"));
    // The app's folders are named by hash; readers list them in that order.
    std::sort(accounts.begin(), accounts.end(),
              [](const auto& a, const auto& b) { return a.folder < b.folder; });
    return true;
}

bool SampleWeChatWriter::WriteAccount(int number, SampleBackupContent::WeChatAccount& account)
{
    const QString first = m_random.Pick(SampleWords::FirstNames);
    account.userName = QStringLiteral("wxid_%1%2").arg(first.toLower()).arg(4100 + number * 37);
    // Keep user names to the characters the app allows.
    account.userName.remove(QRegularExpression(QStringLiteral("[^a-z0-9_]")));
    // Short, as a chooser shows it; the second account's differs even for the same name.
    account.nickName = number == 0 ? first : first + QStringLiteral(" %1").arg(number + 1);
    account.alias = first.toLower() + QStringLiteral("_%1").arg(1988 + number * 5);
    account.alias.remove(QRegularExpression(QStringLiteral("[^a-z0-9_]")));
    account.folder = Md5(account.userName);
    const QString base = QStringLiteral("Documents/%1/").arg(account.folder);
    if (!WriteSettings(number, account))
        return false;

    // Contacts: the account itself, people (some with a remark or an
    // alias), people met only in the group, an official account, a group.
    // WeCom (enterprise) contacts lie in OpenIMContact, beside Friend.
    SqliteWriter contacts;
    if (!contacts.Open(m_addFile(Domain, base + QStringLiteral("DB/WCDB_Contact.sqlite"))) ||
        !contacts.Exec(QStringLiteral("CREATE TABLE Friend ") + QLatin1String(FriendColumns)) ||
        !contacts.Exec(QStringLiteral("CREATE TABLE OpenIMContact ") +
                       QLatin1String(FriendColumns)))
        return Fail(contacts.LastError());
    const auto addRow = [&contacts](const QString& user, int type, const QByteArray& remark,
                                    const QByteArray& room) {
        const QString table = user.endsWith(QLatin1String("@openim"))
                                  ? QStringLiteral("OpenIMContact")
                                  : QStringLiteral("Friend");
        return contacts.Insert(QStringLiteral("INSERT INTO %1 (userName, type, "
                                              "dbContactRemark, dbContactChatRoom) VALUES (?, ?, "
                                              "?, ?)")
                                   .arg(table),
                               {user, type, remark, room.isEmpty() ? QVariant() : room}) >= 0;
    };
    // The second account's own row is gone (newer versions keep the account
    // in its settings only): its name must come from there.
    account.ownRow = number == 0;
    if (account.ownRow &&
        !addRow(account.userName, 1, RemarkField(account.nickName, account.alias, QString()), {}))
        return Fail(contacts.LastError());
    std::vector<Member> people;
    std::vector<Member> strangers;
    for (int i = 0; i < 4 + 2 * m_scale + number; ++i) {
        SampleBackupContent::WeChatContact contact;
        contact.userName = QStringLiteral("wxid_%1p%2").arg(number).arg(700 + i * 13);
        contact.nickName = m_random.Pick(SampleWords::FirstNames) + QLatin1Char(' ') +
                           m_random.Pick(SampleWords::LastNames);
        if (i % 2 == 0)
            // WeChat IDs are plain letters, digits and '_'.
            contact.alias = QStringLiteral("%1_%2")
                                .arg(contact.nickName.section(' ', 0, 0)
                                         .normalized(QString::NormalizationForm_D)
                                         .toLower()
                                         .remove(QRegularExpression(QStringLiteral("[^a-z]"))))
                                .arg(i);
        if (i % 3 == 1)
            contact.remark =
                QStringLiteral("%1 from %2")
                    .arg(contact.nickName.section(' ', 0, 0), m_random.Pick(SampleWords::Places));
        contact.shown = contact.remark.isEmpty() ? contact.nickName : contact.remark;
        if (!addRow(contact.userName, 3,
                    RemarkField(contact.nickName, contact.alias, contact.remark), {}))
            return Fail(contacts.LastError());
        // The first person calls themselves otherwise in the group (a
        // remark would still win, as in the app).
        const QString display =
            i == 0 || i == 1 ? contact.nickName.section(' ', 0, 0) + QStringLiteral(" (family)")
                             : QString();
        people.push_back({contact.userName,
                          contact.remark.isEmpty() && !display.isEmpty() ? display : contact.shown,
                          display});
        account.contacts.push_back(contact);
    }
    for (int i = 0; i < 2; ++i) {
        const QString user = QStringLiteral("wxid_%1s%2").arg(number).arg(900 + i);
        const QString nick = m_random.Pick(SampleWords::FirstNames);
        if (!addRow(user, 4, RemarkField(nick, QString(), QString()), {}))
            return Fail(contacts.LastError());
        const QString display = i == 0 ? QStringLiteral("Coach ") + nick : QString();
        strangers.push_back({user, display.isEmpty() ? nick : display, display});
    }
    // A colleague from WeCom, a contact of the account.
    SampleBackupContent::WeChatContact colleague;
    colleague.userName = QStringLiteral("16888%1%2@openim").arg(number).arg(50321);
    colleague.nickName = people[2].shown.section(' ', 0, 0) + QStringLiteral(" (Works)");
    colleague.shown = colleague.nickName;
    if (!addRow(colleague.userName, 1, RemarkField(colleague.nickName, QString(), QString()), {}))
        return Fail(contacts.LastError());
    SampleBackupContent::WeChatContact official;
    official.userName = QStringLiteral("gh_%1news%2").arg(number).arg(51);
    official.nickName = m_random.Pick(SampleWords::Places) + QStringLiteral(" Daily");
    official.shown = official.nickName;
    official.kind = 2;
    SampleBackupContent::WeChatContact group;
    group.userName = QStringLiteral("2%1%2@chatroom").arg(number).arg(4471093);
    group.nickName = m_random.Pick(SampleWords::Words) + QStringLiteral(" group");
    group.shown = group.nickName;
    group.kind = 1;
    // A member the account has no row of: only the group names them.
    const Member guest = {QStringLiteral("wxid_%1g%2").arg(number).arg(903),
                          QStringLiteral("Neighbour %1").arg(number + 3),
                          QStringLiteral("Neighbour %1").arg(number + 3)};
    const std::vector<Member> members = {{account.userName, account.nickName, QString()},
                                         people[0],
                                         people[1],
                                         strangers[0],
                                         strangers[1],
                                         guest,
                                         {colleague.userName, colleague.shown, QString()}};
    for (const Member& member : members)
        group.members.append(member.shown);
    if (!addRow(official.userName, 3, RemarkField(official.nickName, QString(), QString()), {}) ||
        !addRow(group.userName, 2, RemarkField(group.nickName, QString(), QString()),
                ChatRoomField(members, account.userName)))
        return Fail(contacts.LastError());
    account.contacts.push_back(official);
    account.contacts.push_back(group);
    account.contacts.push_back(colleague);
    if (!contacts.Close())
        return Fail(contacts.LastError());

    // Chats: the first account keeps them all in MM.sqlite; the second has
    // moved the later ones into message_1.sqlite, as newer versions do.
    SqliteWriter main;
    SqliteWriter more;
    if (!main.Open(m_addFile(Domain, base + QStringLiteral("DB/MM.sqlite"))) ||
        (number == 1 &&
         !more.Open(m_addFile(Domain, base + QStringLiteral("DB/message_1.sqlite")))))
        return Fail(QStringLiteral("cannot open the chat databases"));
    qint64 time = m_now - 86400 * (40 + number * 9);
    int picture = 0;
    struct ChatPlan
    {
        QString userName, shown;
        bool group;
    };
    // The group's chat comes last and so is the newest.
    std::vector<ChatPlan> chats = {{official.userName, official.shown, false},
                                   {people[0].userName, account.contacts[0].shown, false},
                                   {people[1].userName, account.contacts[1].shown, false},
                                   {group.userName, group.shown, true}};
    for (std::size_t c = 0; c < chats.size(); ++c) {
        const ChatPlan& chatPlan = chats[c];
        const QString hash = Md5(chatPlan.userName);
        const QString table = QStringLiteral("Chat_") + hash;
        SqliteWriter& db = number == 1 && c >= 2 ? more : main;
        if (!db.Exec(QStringLiteral("CREATE TABLE %1 (TableVer INTEGER DEFAULT 1, MesLocalID "
                                    "INTEGER PRIMARY KEY AUTOINCREMENT, MesSvrID INTEGER DEFAULT "
                                    "0, CreateTime INTEGER DEFAULT 0, Message TEXT, Status INTEGER "
                                    "DEFAULT 0, ImgStatus INTEGER DEFAULT 1, Type INTEGER, Des "
                                    "INTEGER)")
                         .arg(table)))
            return Fail(db.LastError());
        SampleBackupContent::WeChatChat chat;
        chat.name = chatPlan.shown;
        chat.userName = chatPlan.userName;
        std::vector<Planned> plan;
        const QString partner = chatPlan.shown;
        for (int i = 0; i < 3 * m_scale; ++i)
            plan.push_back({1, m_random.Sentence(), QString(), i % 2 == 1, {}, {}, {}, {}, {}});
        const QString title = QStringLiteral("%1 %2").arg(m_random.Pick(SampleWords::Words),
                                                          m_random.Pick(SampleWords::Words));
        plan.push_back(
            {49,
             QStringLiteral("<msg><appmsg appid=\"\" sdkver=\"0\"><title>%1</title>"
                            "<des>%2</des><type>5</type><url>https://example.org/%3</url>"
                            "</appmsg></msg>")
                 .arg(title.toHtmlEscaped(), m_random.Sentence().toHtmlEscaped())
                 .arg(c),
             QStringLiteral("[Link] ") + title,
             false,
             {},
             {},
             {},
             {},
             {}});
        if (chatPlan.userName == official.userName) {
            // An official account only sends articles.
        } else {
            ++picture;
            plan.push_back(SampleWeChatMedia::Picture(number * 10 + picture, c % 2 == 0));
            const int ms = 3000 + int(c) * 2000 + number * 1000;
            QByteArray silk("\x02#!SILK_V3", 10);
            for (int k = 0; k < 64 + int(c); ++k)
                silk.append(char(m_random.Range(0, 255)));
            plan.push_back(
                {34,
                 QStringLiteral("<msg><voicemsg endflag=\"1\" length=\"%1\" "
                                "voicelength=\"%2\" /></msg>")
                     .arg(silk.size())
                     .arg(ms),
                 QStringLiteral("[Voice 0:%1").arg((ms + 500) / 1000, 2, 10, QLatin1Char('0')) +
                     QLatin1Char(']'),
                 false,
                 silk,
                 QStringLiteral("Audio"),
                 QStringLiteral("aud"),
                 {},
                 {}});
            plan.push_back(
                {47,
                 QStringLiteral("<msg><emoji md5=\"%1\" type=\"2\"/></msg>").arg(Md5(title)),
                 QStringLiteral("[Emoji]"),
                 true,
                 {},
                 {},
                 {},
                 {},
                 {}});
            // A message taken back: the app puts a notice in its place; the
            // account's own keeps the text for re-editing.
            const bool mine = c % 2 == 0 || chatPlan.group;
            const QString notice = mine ? QStringLiteral("You recalled a message")
                                        : QStringLiteral("\"%1\" recalled a message").arg(partner);
            const QString stored =
                mine ? QStringLiteral("<sysmsg type=\"editrevokecontent\"><editrevokecontent>"
                                      "<text><![CDATA[%1]]></text><link><scene>editrevokecontent"
                                      "</scene><text><![CDATA[Re-edit]]></text><revokecontent>"
                                      "<![CDATA[%2]]></revokecontent></link></editrevokecontent>"
                                      "</sysmsg>")
                           .arg(notice, m_random.Sentence())
                     : notice;
            plan.push_back({mine ? 10002 : 10000,
                            stored,
                            QStringLiteral("[Recalled] ") + notice,
                            mine,
                            {},
                            {},
                            {},
                            {},
                            {}});
        }
        // Accounts differ in size: the second has media in two chats.
        if (c == 1 || (number == 1 && c == 2)) {
            QByteArray video("\0\0\0\x18"
                             "ftypmp42\0\0\0\0mp42isom",
                             24);
            for (int k = 0; k < 200; ++k)
                video.append(char(m_random.Range(0, 255)));
            plan.push_back(SampleWeChatMedia::Video(video, number * 10 + int(c),
                                                    number == 1 && c == 1, number == 1 && c == 2));
            const QString file =
                QStringLiteral("Report %1 %2.pdf").arg(m_random.Pick(SampleWords::Words)).arg(c);
            const QByteArray pdf = QByteArray("%PDF-1.4\n% sample\n") +
                                   m_random.Sentence().toUtf8() + QByteArray("\n%%EOF\n");
            plan.push_back({49,
                            QStringLiteral("<msg><appmsg><title>%1</title><type>6</type><appattach>"
                                           "<totallen>%2</totallen><fileext>pdf</fileext>"
                                           "</appattach></appmsg></msg>")
                                .arg(file.toHtmlEscaped())
                                .arg(pdf.size()),
                            QStringLiteral("[File] ") + file,
                            true,
                            pdf,
                            QStringLiteral("OpenData"),
                            QStringLiteral("pdf"),
                            file,
                            {}});
            const QString place = m_random.Pick(SampleWords::Places);
            plan.push_back({48,
                            QStringLiteral("<msg><location x=\"31.2\" y=\"121.4\" scale=\"16\" "
                                           "label=\"%1 Road 8\" poiname=\"%1\"/></msg>")
                                .arg(place.toHtmlEscaped()),
                            QStringLiteral("[Location] ") + place,
                            false,
                            {},
                            {},
                            {},
                            {},
                            {}});
        }
        if (chatPlan.group) {
            const QString joined = strangers[1].shown;
            plan.push_back({10000,
                            QStringLiteral("\"%1\" joined the group chat").arg(joined),
                            QStringLiteral("\"%1\" joined the group chat").arg(joined),
                            false,
                            {},
                            {},
                            {},
                            {},
                            {}});
        }
        for (std::size_t i = 0; i < plan.size(); ++i) {
            Planned& p = plan[i];
            time += m_random.Range(60, 20000);
            SampleBackupContent::Message message;
            message.sent = p.sent;
            message.date = double(time);
            message.text = p.summary.isEmpty() ? p.stored : p.summary;
            QString stored = p.stored;
            if (p.sent) {
                message.sender = QStringLiteral("Me");
            } else if (chatPlan.group && p.type != 10000) {
                // In a group the writer stands before the content.
                const Member& writer = members[1 + i % (members.size() - 1)];
                stored = writer.userName + QStringLiteral(":\n") + stored;
                message.sender = writer.shown;
            } else {
                message.sender = chatPlan.shown;
            }
            const qint64 id = db.Insert(
                QStringLiteral("INSERT INTO %1 (MesSvrID, CreateTime, Message, Status, Type, Des) "
                               "VALUES (?, ?, ?, ?, ?, ?)")
                    .arg(table),
                {qint64(6000000000LL + time), time, stored, p.sent ? 2 : 4, p.type,
                 p.sent ? 0 : 1});
            if (id < 0)
                return Fail(db.LastError());
            if (!p.folder.isEmpty() && m_media) {
                const QString stem = QStringLiteral("%1/%2/%3").arg(p.folder, hash).arg(id);
                const QString relative = stem + QLatin1Char('.') + p.extension;
                if (!m_writeFile(Domain, base + relative, p.media))
                    return false;
                for (const auto& other : p.others)
                    if (!m_writeFile(Domain, base + stem + other.first, other.second))
                        return false;
                SampleBackupContent::WeChatFile file;
                file.relativePath = base + relative;
                file.time = time;
                // A video seen only as its thumbnail is a picture.
                const bool still = p.type == 3 || p.extension == QLatin1String("video_thum");
                file.kind = still ? 8 : p.type == 34 ? 2 : p.type == 43 ? 4 : 0;
                const QString name = hash.left(8) + QStringLiteral("_%1").arg(id);
                // The engine names a copy other than the plain one by what it is.
                const QString copy =
                    p.extension == QLatin1String("video_thum")
                        ? QStringLiteral(" (video thumbnail)")
                    : p.extension == QLatin1String("pic_thum") ? QStringLiteral(" (thumbnail)")
                    : p.extension == QLatin1String("pic_hd")   ? QStringLiteral(" (HD)")
                                                               : QString();
                file.name = !p.name.isEmpty() ? p.name
                            : still           ? name + copy + QStringLiteral(".jpg")
                                              : name + QLatin1Char('.') + p.extension;
                account.files.push_back(file);
            }
            chat.messages.push_back(message);
            chat.types.push_back(p.type);
        }
        chat.lastTime = time;
        // The official account's chat was removed from the list; its table stays.
        chat.listed = chatPlan.userName != official.userName;
        chat.unread = c == 3 ? 2 : c == 1 ? 1 : 0;
        account.chats.push_back(chat);
    }
    if (!main.Close() || (number == 1 && !more.Close()))
        return Fail(QStringLiteral("cannot finish the chat databases"));
    std::vector<SampleWeChatSessions::Session> sessions;
    for (const SampleBackupContent::WeChatChat& chat : account.chats)
        if (chat.listed)
            sessions.push_back(
                {chat.userName, chat.name, chat.lastTime, chat.unread, int(chat.messages.size())});
    SampleWeChatSessions sessionList(m_addFile, m_writeFile);
    if (!sessionList.Write(base, sessions))
        return Fail(sessionList.ErrorText());
    std::stable_sort(account.files.begin(), account.files.end(),
                     [](const auto& a, const auto& b) { return a.time < b.time; });
    return true;
}
