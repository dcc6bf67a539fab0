#ifndef MESSAGEREADER_H
#define MESSAGEREADER_H

#include "readercontext.h"

#include <QHash>
#include <QSet>

class ConversationRecord;
class SqliteDb;

// Reads sms.db: one conversation per chat with its participants (handles,
// named from the address book), its messages oldest first and the files
// attached to them, then one per handle for the messages no chat holds (with
// their files too); or, for the attachments category, every attachment whose
// file the backup holds. The context is borrowed.
class MessageReader
{
public:
    explicit MessageReader(ReaderContext& context) : m_context(context) {}
    bool ReadConversations(ReaderContext::Items& items);
    bool ReadAttachments(ReaderContext::Items& items);

private:
    void AddParticipant(ConversationRecord& chat, const QString& id);
    // Conversations of the messages no chat holds; those of withAttachments
    // go into chatOfMessage with their conversation.
    bool ReadChatless(SqliteDb& db, const QHash<qint64, QString>& handles, bool recoverable,
                      bool bodies, const QSet<qint64>& withAttachments,
                      QHash<qint64, ConversationRecord*>& chatOfMessage,
                      ReaderContext::Items& items);
    // Adds each message's files that the backup holds to its conversation.
    void AttachFiles(SqliteDb& db, const QHash<qint64, ConversationRecord*>& chatOfMessage);

    ReaderContext& m_context;
};

#endif // MESSAGEREADER_H
