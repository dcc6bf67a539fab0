#include "samplewechatwriter.h"

#include "samplepictures.h"
#include "samplerandom.h"
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

// A length-delimited protocol buffer field.
QByteArray Field(int number, const QString& value)
{
    const QByteArray bytes = value.toUtf8();
    QByteArray field(1, char(number << 3 | 2));
    quint64 length = quint64(bytes.size());
    do {
        char byte = char(length & 0x7f);
        length >>= 7;
        if (length)
            byte = char(byte | 0x80);
        field.append(byte);
    } while (length);
    return field + bytes;
}

// Nickname 1, alias 2, remark 3; the pinyin fields the app adds are left out.
QByteArray RemarkField(const QString& nick, const QString& alias, const QString& remark)
{
    QByteArray data = Field(1, nick);
    if (!alias.isEmpty())
        data += Field(2, alias);
    if (!remark.isEmpty())
        data += Field(3, remark);
    return data;
}

struct Member
{
    QString userName, shown;
};

} // namespace

SampleWeChatWriter::SampleWeChatWriter(SampleRandom& random, int scale, bool media, qint64 now,
                                       AddFile addFile, WriteFile writeFile)
    : m_random(random), m_scale(scale), m_media(media), m_now(now), m_addFile(std::move(addFile)),
      m_writeFile(std::move(writeFile))
{
}

bool SampleWeChatWriter::Fail(const QString& error)
{
    m_error = error;
    return false;
}

bool SampleWeChatWriter::Write(std::vector<SampleBackupContent::WeChatAccount>& accounts)
{
    for (int number = 0; number < 2; ++number) {
        SampleBackupContent::WeChatAccount account;
        if (!WriteAccount(number, account))
            return false;
        accounts.push_back(account);
    }
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
    account.folder = Md5(account.userName);
    const QString base = QStringLiteral("Documents/%1/").arg(account.folder);

    // Contacts: the account itself, people (some with a remark or an
    // alias), people met only in the group, an official account, a group.
    SqliteWriter contacts;
    if (!contacts.Open(m_addFile(Domain, base + QStringLiteral("DB/WCDB_Contact.sqlite"))) ||
        !contacts.Exec(QStringLiteral(
            "CREATE TABLE Friend (userName TEXT PRIMARY KEY, type INTEGER DEFAULT 0, "
            "certificationFlag INTEGER DEFAULT 0, imgStatus INTEGER DEFAULT 0, encodeUserName "
            "TEXT, dbContactLocal BLOB, dbContactOther BLOB, dbContactRemark BLOB, "
            "dbContactHeadImage BLOB, dbContactProfile BLOB, dbContactSocial BLOB, "
            "dbContactChatRoom BLOB, dbContactBrand BLOB)")))
        return Fail(contacts.LastError());
    const auto addRow = [&contacts](const QString& user, int type, const QByteArray& remark,
                                    const QByteArray& room) {
        return contacts.Insert(QStringLiteral("INSERT INTO Friend (userName, type, "
                                              "dbContactRemark, dbContactChatRoom) VALUES (?, ?, "
                                              "?, ?)"),
                               {user, type, remark, room.isEmpty() ? QVariant() : room}) >= 0;
    };
    if (!addRow(account.userName, 1, RemarkField(account.nickName, QString(), QString()), {}))
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
        people.push_back({contact.userName, contact.shown});
        account.contacts.push_back(contact);
    }
    for (int i = 0; i < 2; ++i) {
        const QString user = QStringLiteral("wxid_%1s%2").arg(number).arg(900 + i);
        const QString nick = m_random.Pick(SampleWords::FirstNames);
        if (!addRow(user, 4, RemarkField(nick, QString(), QString()), {}))
            return Fail(contacts.LastError());
        strangers.push_back({user, nick});
    }
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
    const std::vector<Member> members = {
        {account.userName, account.nickName}, people[0], people[1], strangers[0], strangers[1]};
    QStringList memberNames;
    for (const Member& member : members) {
        memberNames.append(member.userName);
        group.members.append(member.shown);
    }
    if (!addRow(official.userName, 3, RemarkField(official.nickName, QString(), QString()), {}) ||
        !addRow(group.userName, 2, RemarkField(group.nickName, QString(), QString()),
                Field(1, memberNames.join(QLatin1Char(';')))))
        return Fail(contacts.LastError());
    account.contacts.push_back(official);
    account.contacts.push_back(group);
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
                                   {people[0].userName, people[0].shown, false},
                                   {people[1].userName, people[1].shown, false},
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
        struct Planned
        {
            int type;
            QString stored, summary;
            bool sent;
            QByteArray media;
            QString folder, extension, name;
        };
        std::vector<Planned> plan;
        const QString partner = chatPlan.shown;
        for (int i = 0; i < 3 * m_scale; ++i)
            plan.push_back({1, m_random.Sentence(), QString(), i % 2 == 1, {}, {}, {}, {}});
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
             {}});
        if (chatPlan.userName == official.userName) {
            // An official account only sends articles.
        } else {
            ++picture;
            plan.push_back({3,
                            QStringLiteral("<msg><img length=\"20480\" hdlength=\"0\"/></msg>"),
                            QStringLiteral("[Picture]"),
                            c % 2 == 0,
                            SamplePictures::Picture(900 + number * 10 + picture, "JPEG"),
                            QStringLiteral("Img"),
                            QStringLiteral("pic"),
                            {}});
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
                 {}});
            plan.push_back(
                {47,
                 QStringLiteral("<msg><emoji md5=\"%1\" type=\"2\"/></msg>").arg(Md5(title)),
                 QStringLiteral("[Emoji]"),
                 true,
                 {},
                 {},
                 {},
                 {}});
            // A message taken back: the app keeps a notice in its place.
            const bool mine = c % 2 == 0 || chatPlan.group;
            const QString notice = mine ? QStringLiteral("You recalled a message")
                                        : QStringLiteral("\"%1\" recalled a message").arg(partner);
            plan.push_back({10002,
                            QStringLiteral("<sysmsg type=\"revokemsg\"><revokemsg><session>%1"
                                           "</session><msgid>1</msgid><newmsgid>%2</newmsgid>"
                                           "<replacemsg><![CDATA[%3]]></replacemsg></revokemsg>"
                                           "</sysmsg>")
                                .arg(chatPlan.userName)
                                .arg(700000 + c)
                                .arg(notice),
                            QStringLiteral("[Recalled] ") + notice,
                            mine,
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
            plan.push_back({43,
                            QStringLiteral("<msg><videomsg length=\"%1\" playlength=\"12\"/></msg>")
                                .arg(video.size()),
                            QStringLiteral("[Video 0:12]"),
                            false,
                            video,
                            QStringLiteral("Video"),
                            QStringLiteral("mp4"),
                            {}});
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
                            QStringLiteral("[File] ") + file, true, pdf, QStringLiteral("OpenData"),
                            QStringLiteral("pdf"), file});
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
                const QString relative =
                    QStringLiteral("%1/%2/%3.%4").arg(p.folder, hash).arg(id).arg(p.extension);
                if (!m_writeFile(Domain, base + relative, p.media))
                    return false;
                SampleBackupContent::WeChatFile file;
                file.relativePath = base + relative;
                file.time = time;
                file.kind = p.type == 3 ? 8 : p.type == 34 ? 2 : p.type == 43 ? 4 : 0;
                const QString stem = hash.left(8) + QStringLiteral("_%1").arg(id);
                file.name = !p.name.isEmpty() ? p.name
                            : p.type == 3     ? stem + QStringLiteral(".jpg")
                                              : stem + QLatin1Char('.') + p.extension;
                account.files.push_back(file);
            }
            chat.messages.push_back(message);
            chat.types.push_back(p.type);
        }
        account.chats.push_back(chat);
    }
    if (!main.Close() || (number == 1 && !more.Close()))
        return Fail(QStringLiteral("cannot finish the chat databases"));
    std::stable_sort(account.files.begin(), account.files.end(),
                     [](const auto& a, const auto& b) { return a.time < b.time; });
    return true;
}
