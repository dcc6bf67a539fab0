#include "wechatreader.h"

#include "backupmanifest.h"
#include "engineitem.h"
#include "filerecord.h"
#include "messageentryrecord.h"
#include "notebody.h"
#include "schemaprobe.h"
#include "sqlitedb.h"
#include "wechatchatrecord.h"
#include "wechatfriendrecord.h"
#include "wechatmessagetext.h"
#include "wechatroomdata.h"

#include "contracts/mmobiletypes.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <map>

const char* const WeChatReader::Domain = "AppDomain-com.tencent.xin";

namespace {

using Row = SqliteDb::Row;

QString Md5(const QByteArray& text)
{
    return QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex());
}

QString AccountPath(const QString& hash, const QString& rest)
{
    return QStringLiteral("Documents/%1/%2").arg(hash, rest);
}

bool IsGroup(const QByteArray& userName)
{
    return userName.endsWith("@chatroom");
}

bool IsOfficial(const QByteArray& userName)
{
    return userName.startsWith("gh_");
}

} // namespace

QByteArray WeChatReader::Contact::Shown() const
{
    if (!remark.isEmpty())
        return remark;
    return nickName.isEmpty() ? userName : nickName;
}

std::vector<WeChatReader::Folder> WeChatReader::Folders()
{
    static const QRegularExpression database(QStringLiteral(
        "^Documents/([0-9a-f]{32})/DB/(MM|WCDB_Contact|message_([0-9]+))\\.sqlite$"));
    static const QRegularExpression other(
        QStringLiteral("^Documents/([0-9a-f]{32})/(mmsetting\\.archive|session/session\\.db)$"));
    static const QRegularExpression mmkv(
        QStringLiteral("^Documents/MMappedKV/mmsetting\\.archive\\.([A-Za-z0-9_@.\\-]+)$"));
    std::map<QString, Folder> folders;
    std::map<QString, std::map<int, QString>> numbered;
    QHash<QString, QString> archives, sessions, mmkvs; // by folder
    for (const BackupManifest::Entry& entry : m_context.Manifest().ListFiles(
             QString::fromLatin1(Domain), QStringLiteral("Documents/"))) {
        const QRegularExpressionMatch match = database.match(entry.relativePath);
        if (!match.hasMatch()) {
            const QRegularExpressionMatch file = other.match(entry.relativePath);
            const QRegularExpressionMatch settings = mmkv.match(entry.relativePath);
            if (file.hasMatch())
                (file.captured(2).startsWith(QLatin1String("session")) ? sessions : archives)
                    .insert(file.captured(1), entry.relativePath);
            else if (settings.hasMatch() && !entry.relativePath.endsWith(QLatin1String(".crc")))
                // The file is named after the user; the folder after its MD5.
                mmkvs.insert(Md5(settings.captured(1).toUtf8()), entry.relativePath);
            continue;
        }
        Folder& folder = folders[match.captured(1)];
        folder.hash = match.captured(1);
        if (match.captured(2) == QLatin1String("WCDB_Contact"))
            folder.contacts = true;
        else if (match.captured(2) == QLatin1String("MM"))
            numbered[folder.hash][-1] = entry.relativePath;
        else
            numbered[folder.hash][match.captured(3).toInt()] = entry.relativePath;
    }
    std::vector<Folder> result;
    for (auto& pair : folders) {
        for (const auto& path : numbered[pair.first])
            pair.second.messageDatabases.append(path.second);
        pair.second.archive = archives.value(pair.first);
        pair.second.mmkv = mmkvs.value(pair.first);
        pair.second.sessions = sessions.contains(pair.first);
        result.push_back(pair.second);
    }
    return result;
}

bool WeChatReader::Open(const QString& path, SqliteDb& db)
{
    ++m_listed;
    const QString error = m_context.ErrorText();
    const ReaderContext::OpenResult open =
        m_context.OpenDatabase(QString::fromLatin1(Domain), path, db);
    if (open == ReaderContext::OPEN_OK)
        return true;
    if (open == ReaderContext::OPEN_FAILED) {
        ++m_failed;
        qCWarning(lcReaders).noquote() << "WeChat:" << m_context.ErrorText();
        // One account's damage is not the category's: the read goes on.
        m_context.Fail(error);
    }
    return false;
}

QByteArray WeChatReader::ReadFile(const QString& path)
{
    const QString file = m_context.Manifest().FetchFile(QString::fromLatin1(Domain), path);
    QFile content(file);
    if (file.isEmpty() || content.size() > WeChatIdentity::MaximumSize ||
        !content.open(QIODevice::ReadOnly))
        return QByteArray();
    return content.read(WeChatIdentity::MaximumSize);
}

void WeChatReader::NameAccount(const Folder& folder, WeChatAccount& account)
{
    WeChatIdentity identity;
    if (!folder.archive.isEmpty())
        identity = WeChatIdentity::FromSettingsArchive(ReadFile(folder.archive));
    if (identity.IsEmpty() && !folder.mmkv.isEmpty())
        identity = WeChatIdentity::FromSettingsMmkv(ReadFile(folder.mmkv));
    if (identity.IsEmpty()) {
        if (!m_loginsRead)
            m_logins =
                WeChatIdentity::FromLoginInfo(ReadFile(QStringLiteral("Documents/LoginInfo2.dat")));
        m_loginsRead = true;
        for (const WeChatIdentity& login : m_logins)
            if (Md5(login.userName.toUtf8()) == folder.hash)
                identity = login;
    }
    // A file that names another user is not this account's.
    if (identity.IsEmpty() || Md5(identity.userName.toUtf8()) != folder.hash)
        return;
    account.userName = identity.userName;
    if (!identity.nickName.isEmpty())
        account.nickName = identity.nickName;
    if (!identity.alias.isEmpty())
        account.alias = identity.alias;
}

bool WeChatReader::LoadSessions(const Folder& folder, std::vector<Session>& sessions)
{
    SqliteDb db;
    if (!folder.sessions ||
        !Open(AccountPath(folder.hash, QStringLiteral("session/session.db")), db))
        return false;
    SchemaProbe schema(db, QStringLiteral("session.db"));
    const QString table = QStringLiteral("SessionAbstract");
    if (!schema.Optional(table, QStringLiteral("the account's chat list")))
        return false;
    return db.Query(QStringLiteral("SELECT %1, %2 FROM SessionAbstract ORDER BY %2 DESC, rowid")
                        .arg(schema.Column(table, QString(), QStringLiteral("UsrName")),
                             schema.Column(table, QString(), QStringLiteral("CreateTime"))),
                    [&sessions](const Row& row) {
                        Session session;
                        session.userName = row.String(0);
                        session.time = row.Int(1);
                        if (!session.userName.isEmpty())
                            sessions.push_back(session);
                        return true;
                    });
}

bool WeChatReader::Read(What what, ReaderContext::Items& items)
{
    for (const Folder& folder : Folders()) {
        WeChatAccount account;
        account.folder = folder.hash;
        account.first = items.size();
        LoadContacts(folder, account);
        NameAccount(folder, account);
        m_selfUser = account.userName;
        m_selfShown = account.ShownName().toUtf8();
        if (what == CONTACTS)
            ReadContacts(folder.hash, items);
        else
            ReadMessages(folder, account, what, items);
        account.count = items.size() - account.first;
        m_accounts.push_back(account);
        if (m_context.Stopped())
            return true;
    }
    if (m_listed > 0 && m_failed == m_listed)
        return m_context.Fail(QStringLiteral("no WeChat database of the backup can be read"));
    return true;
}

void WeChatReader::LoadContacts(const Folder& folder, WeChatAccount& account)
{
    m_contacts.clear();
    m_byUser.clear();
    m_byHash.clear();
    SqliteDb db;
    if (!folder.contacts ||
        !Open(AccountPath(folder.hash, QStringLiteral("DB/WCDB_Contact.sqlite")), db))
        return;
    SchemaProbe schema(db, QStringLiteral("WCDB_Contact.sqlite"));
    if (schema.Optional(QStringLiteral("Friend"), QStringLiteral("the account's contacts")))
        LoadContactTable(db, schema, QStringLiteral("Friend"), folder, account);
    // WeCom contacts; older versions have no such table.
    if (schema.Optional(QStringLiteral("OpenIMContact"), QStringLiteral("the WeCom contacts")))
        LoadContactTable(db, schema, QStringLiteral("OpenIMContact"), folder, account);
}

void WeChatReader::LoadContactTable(SqliteDb& db, SchemaProbe& schema, const QString& table,
                                    const Folder& folder, WeChatAccount& account)
{
    db.Query(QStringLiteral("SELECT %1, %2, %3, %4 FROM %5 ORDER BY rowid")
                 .arg(schema.Column(table, QString(), QStringLiteral("userName")),
                      schema.Column(table, QString(), QStringLiteral("type")),
                      schema.Column(table, QString(), QStringLiteral("dbContactRemark")),
                      schema.Column(table, QString(), QStringLiteral("dbContactChatRoom")), table),
             [this, &folder, &account](const Row& row) {
                 Contact contact;
                 contact.userName = row.Text(0);
                 if (contact.userName.isEmpty())
                     return true;
                 contact.type = static_cast<int>(row.Int(1));
                 const QByteArray remark = row.Text(2);
                 contact.nickName = NoteBody::Field(remark, 1);
                 contact.alias = NoteBody::Field(remark, 2);
                 contact.remark = NoteBody::Field(remark, 3);
                 if (!row.IsNull(3)) {
                     const WeChatRoomData room(row.Text(3));
                     contact.members = room.Members();
                     for (const QString& member : contact.members) {
                         const QString name = room.DisplayName(member);
                         if (!name.isEmpty())
                             contact.displayNames.insert(member, name);
                     }
                 }
                 const QString hash = Md5(contact.userName);
                 if (hash == folder.hash) {
                     // The account's own row names the account.
                     account.userName = QString::fromUtf8(contact.userName);
                     account.nickName = QString::fromUtf8(contact.nickName);
                     account.alias = QString::fromUtf8(contact.alias);
                 }
                 // A user named twice (Friend and OpenIMContact) keeps the first row.
                 if (m_byUser.contains(QString::fromUtf8(contact.userName)))
                     return true;
                 m_byUser.insert(QString::fromUtf8(contact.userName), int(m_contacts.size()));
                 m_byHash.insert(hash, int(m_contacts.size()));
                 m_contacts.push_back(contact);
                 return true;
             });
}

void WeChatReader::ReadContacts(const QString& accountHash, ReaderContext::Items& items)
{
    for (const Contact& contact : m_contacts) {
        const bool group = IsGroup(contact.userName);
        const bool official = IsOfficial(contact.userName);
        // Bit 0 of the type marks a contact of the address list; people met
        // only in a group are not the account's contacts, nor is the account.
        if ((!group && !official && !(contact.type & 1)) || Md5(contact.userName) == accountHash)
            continue;
        auto record =
            std::make_unique<WeChatFriendRecord>(group      ? WeChatFriendRecord::Group
                                                 : official ? WeChatFriendRecord::OfficialAccount
                                                            : WeChatFriendRecord::Person);
        RecordText& text = record->Text();
        text.Set(WeChatFriendRecord::UserName, contact.userName);
        text.Set(WeChatFriendRecord::DisplayName, contact.Shown());
        text.Set(WeChatFriendRecord::Alias, contact.alias);
        text.Set(WeChatFriendRecord::Remark, contact.remark);
        if (group) {
            // A group lists its members where a person has a signature.
            QStringList names;
            for (const QString& member : contact.members)
                names.append(QString::fromUtf8(MemberShown(contact, member)));
            text.Set(WeChatFriendRecord::Signature, names.join(QStringLiteral(", ")));
        }
        items.push_back(ReaderContext::MakeItem(std::move(record)));
    }
}

QByteArray WeChatReader::ShownUser(const QString& userName) const
{
    const int index = m_byUser.value(userName, -1);
    if (index >= 0)
        return m_contacts[std::size_t(index)].Shown();
    return userName == m_selfUser && !m_selfUser.isEmpty() ? m_selfShown : userName.toUtf8();
}

QByteArray WeChatReader::MemberShown(const Contact& group, const QString& userName) const
{
    const int index = m_byUser.value(userName, -1);
    if (index >= 0 && !m_contacts[std::size_t(index)].remark.isEmpty())
        return m_contacts[std::size_t(index)].remark;
    const QString name = group.displayNames.value(userName);
    return name.isEmpty() ? ShownUser(userName) : name.toUtf8();
}

void WeChatReader::ReadMessages(const Folder& folder, const WeChatAccount& account, What what,
                                ReaderContext::Items& items)
{
    static const QRegularExpression chatTable(QStringLiteral("^Chat_([0-9a-f]{32})$"));
    BackupManifest& manifest = m_context.Manifest();
    const QString domain = QString::fromLatin1(Domain);
    const QByteArray accountName = account.ShownName().toUtf8();
    const QByteArray me("Me");
    struct Chat
    {
        std::unique_ptr<WeChatChatRecord> record;
        qint64 last = 0;
        int listed = -1; // place in the session list; -1: not in it
    };
    std::vector<Chat> chats;
    std::vector<Session> sessions;
    const bool hasList = LoadSessions(folder, sessions);
    QHash<QString, int> sessionByHash;
    for (std::size_t i = 0; i < sessions.size(); ++i)
        if (!sessionByHash.contains(Md5(sessions[i].userName.toUtf8())))
            sessionByHash.insert(Md5(sessions[i].userName.toUtf8()), int(i));
    std::vector<std::pair<qint64, std::unique_ptr<FileRecord>>> files;
    qint64 done = 0;
    for (const QString& path : folder.messageDatabases) {
        SqliteDb db;
        if (!Open(path, db))
            continue;
        QStringList tables;
        db.Query(
            QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
            [&tables](const Row& row) {
                tables.append(row.String(0));
                return true;
            });
        SchemaProbe schema(db, path.section(QLatin1Char('/'), -1));
        for (const QString& table : tables) {
            const QRegularExpressionMatch match = chatTable.match(table);
            if (!match.hasMatch())
                continue;
            const QString hash = match.captured(1);
            const int index = m_byHash.value(hash, -1);
            const Contact* partner = index < 0 ? nullptr : &m_contacts[std::size_t(index)];
            const bool group = partner && IsGroup(partner->userName);
            Chat chat;
            chat.listed = sessionByHash.value(hash, -1);
            // A chat whose partner the contacts do not name shows the session
            // list's user name, else its hash.
            const QByteArray chatName = partner ? partner->Shown()
                                        : chat.listed >= 0
                                            ? sessions[std::size_t(chat.listed)].userName.toUtf8()
                                            : hash.toUtf8();
            chat.record = std::make_unique<WeChatChatRecord>();
            RecordText& text = chat.record->Text();
            text.Set(WeChatChatRecord::ChatName, chatName);
            text.Set(WeChatChatRecord::Account, accountName);
            if (group) {
                QStringList names;
                for (const QString& member : partner->members)
                    names.append(QString::fromUtf8(MemberShown(*partner, member)));
                text.Set(WeChatChatRecord::Member, names.join(QStringLiteral(", ")));
            } else {
                text.Set(WeChatChatRecord::Member, partner ? partner->userName : chatName);
            }
            const bool ok = db.Query(
                QStringLiteral("SELECT %1, %2, %3, %4, %5 FROM %6 ORDER BY %2, %1")
                    .arg(schema.Column(table, QString(), QStringLiteral("MesLocalID")),
                         schema.Column(table, QString(), QStringLiteral("CreateTime")),
                         schema.Column(table, QString(), QStringLiteral("Message")),
                         schema.Column(table, QString(), QStringLiteral("Des")),
                         schema.Column(table, QString(), QStringLiteral("Type")), table),
                [&](const Row& row) {
                    const qint64 localId = row.Int(0);
                    const qint64 time = row.Int(1);
                    // Des 0: sent from this phone.
                    const bool sent = row.Int(3) == 0;
                    const int type = row.IsNull(4) ? WeChatMessageText::TEXT : int(row.Int(4));
                    QString content = row.String(2);
                    QByteArray sender = sent ? me : chatName;
                    if (!sent && group) {
                        const QString writer = WeChatMessageText::TakeGroupSender(content);
                        if (!writer.isEmpty())
                            sender = MemberShown(*partner, writer);
                    }
                    chat.last = qMax(chat.last, time);
                    chat.record->AddEntry(sent, WeChatMessageText::Summary(type, content).toUtf8(),
                                          sender, m_context.Clock().UnixText(time).toUtf8());
                    // The message's media file, where the backup has one.
                    QString rest;
                    QString name;
                    int kind = 0;
                    const QString id = QString::number(localId);
                    // Local ids count per chat: the chat's hash keeps names apart.
                    const QString stem = hash.left(8) + QLatin1Char('_') + id;
                    // Copies of a picture or video, best first: the first the backup has is taken.
                    QStringList copies;
                    if (type == WeChatMessageText::PICTURE) {
                        for (const char* suffix : {".pic_hd", ".pic", ".pic_thum"})
                            copies.append(QStringLiteral("Img/%1/%2").arg(hash, id) +
                                          QLatin1String(suffix));
                        name = stem + QStringLiteral(".jpg");
                        kind = MMobile::FILE_KIND_PICTURE;
                    } else if (type == WeChatMessageText::VOICE) {
                        rest = QStringLiteral("Audio/%1/%2.aud").arg(hash, id);
                        name = stem + QStringLiteral(".aud");
                        kind = MMobile::FILE_KIND_AUDIO;
                    } else if (type == WeChatMessageText::VIDEO) {
                        for (const char* suffix : {".mp4", "_raw.mp4", ".video_thum"})
                            copies.append(QStringLiteral("Video/%1/%2").arg(hash, id) +
                                          QLatin1String(suffix));
                        name = stem + QStringLiteral(".mp4");
                        kind = MMobile::FILE_KIND_VIDEO;
                    } else if (type == WeChatMessageText::APP &&
                               WeChatMessageText::AppMessageType(content) ==
                                   WeChatMessageText::APP_FILE) {
                        name = WeChatMessageText::AppFileName(content);
                        const QString extension = name.section(QLatin1Char('.'), -1);
                        rest = QStringLiteral("OpenData/%1/%2.%3").arg(hash, id, extension);
                        kind = FileRecord::KindOfName(name);
                    }
                    QString file;
                    for (const QString& copy : copies) {
                        file = manifest.FindFile(domain, AccountPath(folder.hash, copy));
                        if (file.isEmpty())
                            continue;
                        rest = copy;
                        // The name says which copy it is where that is not the
                        // plain one, so that a thumbnail is not taken for the
                        // picture. A video known only by its thumbnail is a picture.
                        if (copy.endsWith(QLatin1String(".video_thum"))) {
                            name = stem + QStringLiteral(" (video thumbnail).jpg");
                            kind = MMobile::FILE_KIND_PICTURE;
                        } else if (copy.endsWith(QLatin1String(".pic_thum"))) {
                            name = stem + QStringLiteral(" (thumbnail).jpg");
                        } else if (copy.endsWith(QLatin1String(".pic_hd"))) {
                            name = stem + QStringLiteral(" (HD).jpg");
                        }
                        break;
                    }
                    if (!copies.isEmpty() && rest.isEmpty())
                        rest = copies.first();
                    if (!rest.isEmpty()) {
                        if (copies.isEmpty())
                            file = manifest.FindFile(domain, AccountPath(folder.hash, rest));
                        if (file.isEmpty()) {
                            m_context.Skip();
                        } else if (what == CHATS) {
                            chat.record->AddAttachment({file, name});
                        } else {
                            auto record = std::make_unique<FileRecord>(
                                kind, static_cast<std::uint64_t>(qMax<qint64>(0, time)));
                            record->Text().Set(FileRecord::FilePath, file);
                            record->Text().Set(FileRecord::DisplayText, name);
                            files.emplace_back(time, std::move(record));
                        }
                    }
                    return m_context.Tick(++done, 0);
                });
            if (!ok)
                qCWarning(lcReaders).noquote() << "WeChat:" << path << table << db.LastError();
            if (chat.record->GetEntryCount() > 0)
                chats.push_back(std::move(chat));
            if (m_context.Stopped()) {
                m_context.Leave(chats);
                return;
            }
        }
    }
    if (what == CHATS) {
        // Newest chat first, as the app lists them: in the session list's
        // order where there is one, the chats it no longer names after it.
        std::stable_sort(chats.begin(), chats.end(), [hasList](const Chat& a, const Chat& b) {
            if (hasList && (a.listed < 0) != (b.listed < 0))
                return a.listed >= 0;
            if (hasList && a.listed >= 0)
                return a.listed < b.listed;
            return a.last > b.last;
        });
        for (Chat& chat : chats)
            items.push_back(
                ReaderContext::MakeItem(std::move(chat.record), hasList && chat.listed < 0));
    } else {
        std::stable_sort(files.begin(), files.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& file : files)
            items.push_back(ReaderContext::MakeItem(std::move(file.second)));
    }
}
