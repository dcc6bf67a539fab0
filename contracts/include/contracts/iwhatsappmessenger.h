#ifndef MMOBILE_IWHATSAPPMESSENGER_H
#define MMOBILE_IWHATSAPPMESSENGER_H

// Record of the WhatsApp messages category: one chat. Texts are zero-terminated
// UTF-8 owned by the engine, possibly null; an entry index not below the count
// answers null. The chat name comes first and is not searched.

#include "contracts/imdrecord.h"

namespace MMobile {

class IMessageEntry;

class IWhatsAppMessenger : public IMDRecord
{
public:
    static constexpr RecordKind Kind = RECORD_WHATSAPP_MESSENGER;
    RecordKind GetRecordKind() const override { return Kind; }

    virtual const char* GetChatName() = 0;
    virtual const char* GetPartnerName() = 0;
    virtual const char* GetPartnerPhone() = 0;
    virtual unsigned int GetEntryCount() = 0;
    virtual IMessageEntry* GetEntry(unsigned int index) = 0;

protected:
    ~IWhatsAppMessenger() = default;
};

} // namespace MMobile

#endif // MMOBILE_IWHATSAPPMESSENGER_H
