#ifndef WECHATREADER_H
#define WECHATREADER_H

#include "readercontext.h"
#include "wechataccount.h"
#include "wechatidentity.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

class SchemaProbe;
class SqliteDb;

// Reads the WeChat app's data (AppDomain-com.tencent.xin). Every account
// that logged in on the phone has a folder Documents/<MD5 of its user name>/
// with DB/WCDB_Contact.sqlite (Friend, and OpenIMContact for WeCom
// contacts: user name, type and the remark field, a protocol buffer of
// nickname 1, alias 2 and remark 3; groups keep their members in the
// chat-room field, see WeChatRoomData), and DB/MM.sqlite plus, in newer
// versions, DB/message_<n>.sqlite, with one table Chat_<MD5 of the chat's
// user name> per chat. The account is named by its settings or
// Documents/LoginInfo2.dat (WeChatIdentity), else by its own Friend row.
// The chat list is session/session.db's SessionAbstract (UsrName,
// CreateTime, unreadcount), newest first; a chat table the list no longer
// names is a conversation the user deleted, read as deleted. Media lie
// under the account folder by chat hash and message local id, the best
// copy taken: Img/ .pic_hd, .pic, .pic_thum; Video/ .mp4, _raw.mp4, else
// the .video_thum thumbnail as a picture; Audio/ .aud; OpenData/ files.
//
// Records come per account, accounts in folder order; Accounts() tells
// which run of the items belongs to which. An account whose databases are
// missing or damaged gives what the others hold (the reason is logged); the
// read fails only when no listed database could be read at all. The context
// is borrowed.
class WeChatReader
{
public:
    enum What { CONTACTS, CHATS, ATTACHMENTS };

    explicit WeChatReader(ReaderContext& context) : m_context(context) {}
    bool Read(What what, ReaderContext::Items& items);
    const std::vector<WeChatAccount>& Accounts() const { return m_accounts; }

    static const char* const Domain;

private:
    struct Contact
    {
        QByteArray userName, nickName, alias, remark;
        int type = 0;
        QStringList members;
        QHash<QString, QString> displayNames; // a group's members' names within it
        QByteArray Shown() const;
    };
    struct Folder
    {
        QString hash;
        QStringList messageDatabases; // MM.sqlite first, then message_<n> by n
        bool contacts = false;
        bool sessions = false;
        QString archive, mmkv; // the settings, where the backup has them
    };
    struct Session
    {
        QString userName;
        qint64 time = 0;
    };

    std::vector<Folder> Folders();
    // Opens a database of an account; a failure is logged and counted, not fatal.
    bool Open(const QString& path, SqliteDb& db);
    // A small file of the backup (settings, login list); empty when missing or too large.
    QByteArray ReadFile(const QString& path);
    void LoadContacts(const Folder& folder, WeChatAccount& account);
    void LoadContactTable(SqliteDb& db, SchemaProbe& schema, const QString& table,
                          const Folder& folder, WeChatAccount& account);
    // Names the account from the app's settings or login list where they have it.
    void NameAccount(const Folder& folder, WeChatAccount& account);
    // The session list, newest first; false when the account has none readable.
    bool LoadSessions(const Folder& folder, std::vector<Session>& sessions);
    void ReadContacts(const QString& accountHash, ReaderContext::Items& items);
    // The name a user is shown by: remark, nickname, the account's own name
    // or the user name itself.
    QByteArray ShownUser(const QString& userName) const;
    // A member of `group` as the group shows them: the remark the account
    // gave them, else their name within the group, else as ShownUser().
    QByteArray MemberShown(const Contact& group, const QString& userName) const;
    void ReadMessages(const Folder& folder, const WeChatAccount& account, What what,
                      ReaderContext::Items& items);

    ReaderContext& m_context;
    std::vector<WeChatAccount> m_accounts;
    std::vector<Contact> m_contacts; // of the account being read, in row order
    QHash<QString, int> m_byUser;    // user name -> m_contacts index
    QHash<QString, int> m_byHash;    // MD5 of user name -> m_contacts index
    QString m_selfUser;              // the account being read, and its shown name
    QByteArray m_selfShown;
    std::vector<WeChatIdentity> m_logins; // of LoginInfo2.dat, read once
    bool m_loginsRead = false;
    int m_listed = 0; // databases listed
    int m_failed = 0; // of them, not readable
};

#endif // WECHATREADER_H
