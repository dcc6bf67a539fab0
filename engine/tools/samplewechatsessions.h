#ifndef SAMPLEWECHATSESSIONS_H
#define SAMPLEWECHATSESSIONS_H

#include "samplewechatwriter.h"

#include <QString>

#include <vector>

// Writes the session list of one WeChat account as the app keeps it:
// Documents/<hash>/session/session.db, whose SessionAbstract table has one
// row per chat the list shows (UsrName, CreateTime: the time of the last
// message, unreadcount, ConStrRes1: the chat's data file), and per chat the
// data file session/data/<2 hex digits>/<30 hex digits> of the MD5 of its
// user name: a protocol buffer with the contact (field 1.1: user name 1,
// nickname 4) and the counts (field 2: messages 2, last time 7). A chat the
// user removed from the list has no row; its table stays. Borrows the
// sample writer's file functions.
class SampleWeChatSessions
{
public:
    struct Session
    {
        QString userName, nickName;
        qint64 lastTime = 0; // seconds since 1970
        int unread = 0;
        int count = 0;
    };

    SampleWeChatSessions(SampleWeChatWriter::AddFile addFile,
                         SampleWeChatWriter::WriteFile writeFile)
        : m_addFile(std::move(addFile)), m_writeFile(std::move(writeFile))
    {
    }
    // `base` is the account's folder, "Documents/<hash>/".
    bool Write(const QString& base, const std::vector<Session>& sessions);
    QString ErrorText() const { return m_error; }

private:
    SampleWeChatWriter::AddFile m_addFile;
    SampleWeChatWriter::WriteFile m_writeFile;
    QString m_error;
};

#endif // SAMPLEWECHATSESSIONS_H
