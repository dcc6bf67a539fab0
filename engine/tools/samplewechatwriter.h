#ifndef SAMPLEWECHATWRITER_H
#define SAMPLEWECHATWRITER_H

#include "samplebackupcontent.h"

#include <QString>

#include <functional>
#include <vector>

class SampleRandom;
class SqliteWriter;

// Writes the WeChat app's data of a sample backup: Documents/LoginInfo2.dat
// naming the two accounts, and for each its settings (SampleWeChatAccountFiles)
// and its Documents/<MD5 of the user name>/ folder holding
// DB/WCDB_Contact.sqlite (people, people met only in a group, an official
// account, a group with members and their names within it, a WeCom
// colleague in OpenIMContact), its chats in DB/MM.sqlite and, for the
// second account, in DB/message_1.sqlite too, with messages of every type
// the app stores and their media files in the variants the app keeps
// (.pic, .pic_hd, .pic_thum; .mp4, _raw.mp4, .video_thum), and its session
// list (SampleWeChatSessions). All names and texts are invented. Used by
// SampleBackupWriter, which lends its file functions and random source.
class SampleWeChatWriter
{
public:
    // Adds a file to the backup's manifest and answers where its content goes.
    using AddFile = std::function<QString(const QString& domain, const QString& path)>;
    using WriteFile =
        std::function<bool(const QString& domain, const QString& path, const QByteArray& data)>;

    SampleWeChatWriter(SampleRandom& random, int scale, bool media, qint64 now, AddFile addFile,
                       WriteFile writeFile);
    // Fills `accounts` with what was written, in folder order.
    bool Write(std::vector<SampleBackupContent::WeChatAccount>& accounts);
    QString ErrorText() const { return m_error; }

private:
    bool WriteAccount(int number, SampleBackupContent::WeChatAccount& account);
    // The account's settings (name, nickname, avatar) and its last avatar.
    bool WriteSettings(int number, SampleBackupContent::WeChatAccount& account);
    static QString HeadUrl(const QString& userName);
    bool Fail(const QString& error);

    SampleRandom& m_random;
    int m_scale;
    bool m_media;
    qint64 m_now; // seconds since 1970
    AddFile m_addFile;
    WriteFile m_writeFile;
    QString m_error;
};

#endif // SAMPLEWECHATWRITER_H
