#ifndef MESSAGEENTRYRECORD_H
#define MESSAGEENTRYRECORD_H

#include "contracts/imessageentry.h"
#include "contracts/imessageentryorigin.h"
#include "textpiece.h"

#include <QByteArray>

#include <cstddef>
#include <memory>
#include <vector>

// One message of a conversation or chat, with where it was found when it
// was deleted. Owned by the conversation record. Its text, sender and date
// are kept back to back in one block, each ended by a 0; Make() puts the
// block in the entry's own allocation: a scan makes an entry for every
// message, and each allocation cost more than reading the row.
class MessageEntryRecord final : public MMobile::IMessageEntry, public MMobile::IMessageEntryOrigin
{
public:
    enum Field { Text, Sender, Date, FieldCount };

    // An entry with its texts; a null piece reads back as null.
    static std::unique_ptr<MessageEntryRecord> Make(bool sent, TextPiece text, TextPiece sender,
                                                    TextPiece date);
    explicit MessageEntryRecord(bool sent);
    virtual ~MessageEntryRecord();
    MessageEntryRecord(const MessageEntryRecord&) = delete;
    MessageEntryRecord& operator=(const MessageEntryRecord&) = delete;
    // Replaces the texts, in a block of their own.
    void SetTexts(TextPiece text, TextPiece sender, TextPiece date);
    // Null for an absent field or one out of range.
    const char* Get(int field) const;
    // Where a deleted message was found (a carved source, or the phone's own
    // mark on a live row), empty for a live one: a conversation gathers
    // messages from several.
    const QByteArray& Source() const { return m_source; }
    void SetSource(const QByteArray& source, bool carved = true)
    {
        m_source = source;
        m_carved = carved && !source.isEmpty();
    }
    // The carved source the row lies in; empty for a row of the live database.
    QByteArray RowOrigin() const { return m_carved ? m_source : QByteArray(); }
    // The message's rowid in the database it was read from; -1: unknown.
    qint64 Rowid() const { return m_rowid; }
    void SetRowid(qint64 rowid) { m_rowid = rowid; }

    const char* GetText() override;
    const char* GetSender() override;
    const char* GetDate() override;
    bool IsSent() override;
    bool IsDeleted() override;
    const char* GetFoundIn() override;

    // Every entry comes from malloc, with or without its block behind it.
    static void* operator new(std::size_t size);
    static void operator delete(void* memory);

private:
    struct Trailing
    {
        std::size_t bytes;
    };
    static void* operator new(std::size_t size, Trailing trailing);
    static void operator delete(void* memory, Trailing trailing);
    // The bytes the block of `pieces` takes, the text cut if the total would not fit an int.
    static int BlockSize(TextPiece (&pieces)[FieldCount]);
    void WriteBlock(const TextPiece (&pieces)[FieldCount], char* block);

    const char* m_texts = nullptr; // the block: behind this object, or m_own's
    QByteArray m_own;
    int m_starts[FieldCount] = {};
    quint8 m_absent = (1 << FieldCount) - 1; // a bit per field never set
    bool m_carved = false;
    bool m_sent;
    QByteArray m_source;
    qint64 m_rowid = -1;
};

using MessageEntries = std::vector<std::unique_ptr<MessageEntryRecord>>;
// Moves the entries of `from` into `into`, keeping the order by date (the
// dates are sortable text) and, among equal dates, the order they had.
void MergeEntries(MessageEntries& into, MessageEntries& from);

#endif // MESSAGEENTRYRECORD_H
