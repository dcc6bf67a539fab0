#ifndef WHATSAPPRECORD_H
#define WHATSAPPRECORD_H

#include "contracts/iwhatsappmessenger.h"
#include "enginerecord.h"
#include "recordtext.h"

#include <memory>
#include <vector>

class MessageEntryRecord;

// One WhatsApp chat: its partner, its messages (oldest first) and its media
// files. Owns its entries.
class WhatsAppRecord : public MMobile::IWhatsAppMessenger, public EngineRecord
{
public:
    enum Field { ChatName, PartnerName, PartnerPhone, FieldCount };

    WhatsAppRecord();
    ~WhatsAppRecord() override;
    MMobile::IMDRecord* Record() override { return this; }
    std::vector<SourceFile> SourceFiles() const override;

    RecordText& Text() { return m_text; }
    MessageEntryRecord& AddEntry(bool sent);
    void AddAttachment(const SourceFile& file);

    const char* GetChatName() override;
    const char* GetPartnerName() override;
    const char* GetPartnerPhone() override;
    unsigned int GetEntryCount() override;
    MMobile::IMessageEntry* GetEntry(unsigned int index) override;

private:
    RecordText m_text;
    std::vector<std::unique_ptr<MessageEntryRecord>> m_entries;
    std::vector<SourceFile> m_attachments;
};

#endif // WHATSAPPRECORD_H
