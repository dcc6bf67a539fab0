#ifndef MESSAGEREADER_H
#define MESSAGEREADER_H

#include "readercontext.h"

#include <QHash>
#include <QSet>

#include <memory>
#include <vector>

class ConversationRecord;
class MessageEntryRecord;
class RowidList;
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

    // What the reader of the deleted rows (CarvedMessages) makes its records
    // with, as the live read does: a participant named from the address book;
    void AddParticipant(ConversationRecord& chat, const QString& id);
    // what a received message from `handle` shows as its sender, looked up
    // once per handle (good until the next handle is asked for);
    const QByteArray& SenderOf(qint64 handle, const QHash<qint64, QString>& handles);
    // a message's entry, added to `chat` (`text` as stored: attachment marks
    // are taken out);
    static MessageEntryRecord& AddEntry(ConversationRecord& chat, bool sent, qint64 rowid,
                                        TextPiece text, TextPiece sender, TextPiece date);
    // the conversation of the messages from `id` that no chat holds, and its sender;
    std::unique_ptr<ConversationRecord> HandleConversation(const QString& id, QByteArray& sender);
    // a file of a message of `chat`, when the backup holds it (else counted as skipped).
    void AttachFile(ConversationRecord& chat, const QString& filename, const QString& transferName);

private:
    // Conversations of the messages no chat holds, of all but `inChats`
    // (sealed here); those of withAttachments go into chatOfMessage with
    // their conversation.
    bool ReadChatless(SqliteDb& db, const QHash<qint64, QString>& handles, bool bodies,
                      RowidList& inChats, const QSet<qint64>& withAttachments,
                      QHash<qint64, ConversationRecord*>& chatOfMessage,
                      ReaderContext::Items& items);
    // Adds each message's files that the backup holds to its conversation.
    void AttachFiles(SqliteDb& db, const QHash<qint64, ConversationRecord*>& chatOfMessage);

    ReaderContext& m_context;
    QHash<qint64, QByteArray> m_senders; // by handle
};

#endif // MESSAGEREADER_H
