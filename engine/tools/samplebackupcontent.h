#ifndef SAMPLEBACKUPCONTENT_H
#define SAMPLEBACKUPCONTENT_H

#include <QString>
#include <QStringList>

#include <vector>

// What SampleBackupWriter wrote into a backup folder, as stored (dates in the
// phone's own units), so that a reader of the folder can be checked against
// it. Plain data.
struct SampleBackupContent
{
    struct Contact
    {
        QString first, last, organization, note;
        QStringList phones, emails, urls, relatedNames;
        double birthday = 0; // seconds since 2001 (floating), when hasBirthday
        bool hasBirthday = false;
        std::vector<double> dates;               // anniversaries, seconds since 2001
        std::vector<QStringList> addresses;      // street, city, state, ZIP, country
        std::vector<QStringList> messaging;      // user name, service
        std::vector<QStringList> socialProfiles; // user name, service
    };
    struct Message
    {
        QString text;
        QString sender;  // who wrote a received WhatsApp message, as shown
        double date = 0; // seconds or nanoseconds since 2001
        bool sent = false;
    };
    struct Conversation
    {
        QString handle;                // phone number or e-mail address
        std::vector<Message> messages; // in date order
        QStringList attachments;       // original names
        bool deleted = false;          // all its messages recently deleted (iOS 16 on)
        bool chatless = false;         // messages of no chat (its chat deleted), seconds
    };
    struct Call
    {
        enum Kind { Phone, FaceTimeVideo, FaceTimeAudio, OtherApp };
        QString address, name;
        double date = 0, duration = 0; // seconds since 2001 whatever the store keeps
        bool outgoing = false, answered = false;
        bool cancelled = false; // outgoing, hung up by its caller before an answer
        Kind kind = Phone;
    };
    struct Event
    {
        QString title, location, note;
        double start = 0, end = 0;
        // Floating: start at midnight UTC of its first day, end at 23:59:59 of its last.
        bool allDay = false;
    };
    struct Reminder
    {
        QString title, list, note;
        double due = 0;
        bool completed = false;
        int priority = 0;
        bool deleted = false; // marked for deletion (the Reminders app's store)
        bool allDay = false;  // due on a floating day: `due` is its midnight UTC
    };
    struct Note
    {
        QString title, body, folder;
        double date = 0;
        bool newStore = false, deleted = false;
    };
    struct Bookmark
    {
        QString title, url;
        QString folder; // path of folder titles below the root
    };
    struct Photo
    {
        QString directory, name;
        double date = 0;
        bool trashed = false, video = false;
    };
    struct Memo
    {
        QString path, label;
        double date = 0, duration = 0;
    };
    struct Chat
    {
        QString jid, partner; // a group's subject as partner
        QString phone;        // "+<digits>" of a person's chat; empty for groups and @lid
        std::vector<Message> messages;
        QStringList media;
    };

    // One account of the WeChat app; times are seconds since 1970.
    struct WeChatContact
    {
        QString userName, nickName, alias, remark;
        QString shown;       // remark, else nickname
        int kind = 0;        // 0 person, 1 group, 2 official account
        QStringList members; // a group's members as shown
    };
    struct WeChatFile
    {
        QString name; // as the engine names it
        QString relativePath;
        qint64 time = 0;
        int kind = 0; // 8 picture, 2 audio, 4 video, 0 other
    };
    struct WeChatChat
    {
        QString name;                  // the partner or group as shown
        QString userName;              // the partner's or group's
        bool listed = true;            // named by the session list (else removed from it)
        int unread = 0;                // as the session list counts them
        qint64 lastTime = 0;           // of the last message
        std::vector<Message> messages; // text is the readable summary; date is seconds since 1970
        std::vector<int> types;        // the stored type of each message
    };
    struct WeChatAccount
    {
        QString folder, userName, nickName, alias;
        QString settingsPath;                // the settings archive or MMKV file naming the account
        bool ownRow = true;                  // the account has a Friend row of its own
        std::vector<WeChatContact> contacts; // as the contacts category lists them
        std::vector<WeChatChat> chats;       // in table order
        std::vector<WeChatFile> files;       // by time
    };
    struct NoteAttachment
    {
        QString name, relativePath;
        double noteDate = 0; // seconds since 2001
        QByteArray data;
        bool picture = false;
    };

    QString displayName;
    std::vector<Contact> contacts;
    std::vector<Conversation> conversations;
    std::vector<Call> calls;
    std::vector<Event> events;
    std::vector<Reminder> reminders;
    std::vector<Note> notes;
    std::vector<Bookmark> bookmarks;
    std::vector<Photo> photos;
    std::vector<Memo> memos;
    std::vector<Chat> chats;
    std::vector<WeChatAccount> weChatAccounts; // in folder order
    std::vector<NoteAttachment> noteAttachments;

    int MessageCount() const;
    int AttachmentCount() const;
    int MediaCount() const;
};

#endif // SAMPLEBACKUPCONTENT_H
