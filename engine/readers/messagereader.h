#ifndef MESSAGEREADER_H
#define MESSAGEREADER_H

#include "readercontext.h"

#include <QHash>

class ConversationRecord;
class SqliteDb;

// Reads sms.db: one conversation per chat with its participants (handles,
// named from the address book), its messages oldest first and the files
// attached to them, then one per handle for the messages no chat holds; or, for the attachments
// category, every attachment whose file the backup holds. The context is borrowed.
class MessageReader
{
public:
    explicit MessageReader(ReaderContext& context) : m_context(context) {}
    bool ReadConversations(ReaderContext::Items& items);
    bool ReadAttachments(ReaderContext::Items& items);

private:
    void AddParticipant(ConversationRecord& chat, const QString& id);
    // `inChats`: the messages the chats showed.
    bool ReadChatless(SqliteDb& db, const QHash<qint64, QString>& handles, bool recoverable,
                      bool bodies, qint64 inChats, ReaderContext::Items& items);

    ReaderContext& m_context;
};

#endif // MESSAGEREADER_H
