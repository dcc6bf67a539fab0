#ifndef WECHATMESSAGETEXT_H
#define WECHATMESSAGETEXT_H

#include <QString>

// What a WeChat message reads as in a chat: the text of a text message, a
// readable summary of the others ("[Picture]", "[Voice 0:07]", "[Link]
// title", ...), worked out of the XML the app stores for them. Also splits
// the writer off a message received in a group ("<user name>:\n<content>").
// Stateless.
class WeChatMessageText
{
public:
    // The stored message types.
    enum Type {
        TEXT = 1,
        PICTURE = 3,
        VOICE = 34,
        CONTACT_CARD = 42,
        VIDEO = 43,
        EMOJI = 47,
        LOCATION = 48,
        APP = 49,
        CALL = 50,
        SYSTEM = 10000,
        REVOKED = 10002
    };
    // The kinds of app messages (type 49) told apart by their <type>.
    enum AppType { APP_LINK = 5, APP_FILE = 6, APP_MINI_PROGRAM = 33, APP_TRANSFER = 2000 };

    static QString Summary(int type, const QString& content);
    // The user name of a group message's writer, cut off `content`; empty
    // (content untouched) when there is none.
    static QString TakeGroupSender(QString& content);
    // The <type> of an app message; 0 when it has none.
    static int AppMessageType(const QString& content);
    // The file name an app message of type 6 carries (<title>, with
    // <fileext> added when the title lacks it).
    static QString AppFileName(const QString& content);
    // The first <name> element's text (or attribute `attribute` of it, when given).
    static QString XmlValue(const QString& xml, const QString& name,
                            const QString& attribute = QString());
};

#endif // WECHATMESSAGETEXT_H
