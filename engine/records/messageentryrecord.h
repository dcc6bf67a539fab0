#ifndef MESSAGEENTRYRECORD_H
#define MESSAGEENTRYRECORD_H

#include "contracts/imessageentry.h"
#include "contracts/imessageentryorigin.h"
#include "textpiece.h"

#include <QByteArray>

#include <memory>
#include <vector>

// One message of a conversation or chat, with where it was found when it
// was deleted. Owned by the conversation record.
class MessageEntryRecord : public MMobile::IMessageEntry, public MMobile::IMessageEntryOrigin
{
public:
    enum Field { Text, Sender, Date, FieldCount };

    explicit MessageEntryRecord(bool sent);
    virtual ~MessageEntryRecord();
    // The text, who sent it and when, copied into one block: a scan makes
    // an entry for every message, and an allocation per text cost more than
    // reading the row. A null piece reads back as null.
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

private:
    QByteArray m_texts; // the fields back to back, each ended by a 0
    int m_starts[FieldCount] = {};
    quint8 m_absent = (1 << FieldCount) - 1; // a bit per field never set
    QByteArray m_source;
    bool m_carved = false;
    qint64 m_rowid = -1;
    bool m_sent;
};

using MessageEntries = std::vector<std::unique_ptr<MessageEntryRecord>>;
// Moves the entries of `from` into `into`, keeping the order by date (the
// dates are sortable text) and, among equal dates, the order they had.
void MergeEntries(MessageEntries& into, MessageEntries& from);

#endif // MESSAGEENTRYRECORD_H
