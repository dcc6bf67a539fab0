#ifndef MMOBILE_IMESSAGE_H
#define MMOBILE_IMESSAGE_H

// Record of the messages category: one conversation with its participants and
// messages. Texts are zero-terminated UTF-8 owned by the engine, possibly null;
// an index not below its count answers null (entries: a null entry).

#include "contracts/imdrecord.h"

namespace MMobile {

class IMessageEntry;

class IMessage : public IMDRecord
{
public:
    static constexpr RecordKind Kind = RECORD_MESSAGE;
    RecordKind GetRecordKind() const override { return Kind; }

    virtual unsigned int GetParticipantCount() = 0;
    virtual const char* GetParticipantName(unsigned int index) = 0;
    virtual const char* GetParticipantPhone(unsigned int index) = 0;
    virtual const char* GetParticipantEmail(unsigned int index) = 0;
    virtual unsigned int GetEntryCount() = 0;
    virtual IMessageEntry* GetEntry(unsigned int index) = 0;

protected:
    ~IMessage() = default;
};

} // namespace MMobile

#endif // MMOBILE_IMESSAGE_H
