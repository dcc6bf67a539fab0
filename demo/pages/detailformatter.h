#ifndef DETAILFORMATTER_H
#define DETAILFORMATTER_H

#include <QString>

namespace MMobile {
class IMessage;
class IMessageEntry;
class INote;
class IWeChatMessager;
class IWhatsAppMessenger;
} // namespace MMobile

// Turns a record into the rich text of a page's detail pane. Stateless; the
// records are only read while a call runs. A null record gives an empty text.
class DetailFormatter
{
public:
    static QString Conversation(MMobile::IMessage* record);
    static QString Conversation(MMobile::IWhatsAppMessenger* record);
    static QString Conversation(MMobile::IWeChatMessager* record);
    static QString Note(MMobile::INote* record);
    // A null or missing text reads as empty.
    static QString Text(const char* utf8);
    // The engine names the places a deleted record was found in English,
    // joined by ", " ("freeblock, change log"): each known one in the
    // user's language, any other as it came.
    static QString Places(const QString& foundIn);
    // The engine's "Me" of a sent entry in the user's language; any other
    // sender as it came.
    static QString Sender(bool sent, const QString& sender);

private:
    template <class Record> static QString Entries(Record* record);
    static QString Entry(MMobile::IMessageEntry* entry);
};

#endif // DETAILFORMATTER_H
