#ifndef MESSAGEENTRYRECORD_H
#define MESSAGEENTRYRECORD_H

#include "contracts/imessageentry.h"
#include "recordtext.h"

#include <memory>
#include <vector>

// One message of a conversation or chat. Owned by the conversation record.
class MessageEntryRecord : public MMobile::IMessageEntry
{
public:
    enum Field { Text, Sender, Date, FieldCount };

    explicit MessageEntryRecord(bool sent);
    virtual ~MessageEntryRecord();
    RecordText& Texts() { return m_text; }

    const char* GetText() override;
    const char* GetSender() override;
    const char* GetDate() override;
    bool IsSent() override;

private:
    RecordText m_text;
    bool m_sent;
};

using MessageEntries = std::vector<std::unique_ptr<MessageEntryRecord>>;
// Moves the entries of `from` into `into`, keeping the order by date (the
// dates are sortable text) and, among equal dates, the order they had.
void MergeEntries(MessageEntries& into, MessageEntries& from);

#endif // MESSAGEENTRYRECORD_H
