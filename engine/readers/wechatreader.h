#ifndef WECHATREADER_H
#define WECHATREADER_H

#include "readercontext.h"
#include "wechataccount.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

class SqliteDb;

// Reads the WeChat app's data (AppDomain-com.tencent.xin). Every account
// that logged in on the phone has a folder Documents/<MD5 of its user name>/
// with DB/WCDB_Contact.sqlite (Friend: user name, type and the remark
// field, a protocol buffer of nickname 1, alias 2 and remark 3; groups hold
// their members' user names, ';'-separated, in field 1 of the chat-room
// field), and DB/MM.sqlite plus, in newer versions, DB/message_<n>.sqlite,
// with one table Chat_<MD5 of the chat's user name> per chat. Media lie
// under the account folder by chat hash and message local id (Img/ .pic,
// Audio/ .aud, Video/ .mp4, OpenData/ files).
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
        QByteArray Shown() const;
    };
    struct Folder
    {
        QString hash;
        QStringList messageDatabases; // MM.sqlite first, then message_<n> by n
        bool contacts = false;
    };

    std::vector<Folder> Folders();
    // Opens a database of an account; a failure is logged and counted, not fatal.
    bool Open(const QString& path, SqliteDb& db);
    void LoadContacts(const Folder& folder, WeChatAccount& account);
    void ReadContacts(const QString& accountHash, ReaderContext::Items& items);
    // The name a user is shown by: remark, nickname or the user name itself.
    QByteArray ShownUser(const QString& userName) const;
    void ReadMessages(const Folder& folder, const WeChatAccount& account, What what,
                      ReaderContext::Items& items);

    ReaderContext& m_context;
    std::vector<WeChatAccount> m_accounts;
    std::vector<Contact> m_contacts; // of the account being read, in row order
    QHash<QString, int> m_byUser;    // user name -> m_contacts index
    QHash<QString, int> m_byHash;    // MD5 of user name -> m_contacts index
    int m_listed = 0;                // databases listed
    int m_failed = 0;                // of them, not readable
};

#endif // WECHATREADER_H
