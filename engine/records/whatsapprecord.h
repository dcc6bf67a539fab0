#ifndef WHATSAPPRECORD_H
#define WHATSAPPRECORD_H

#include "contracts/iwhatsappmessenger.h"
#include "enginerecord.h"
#include "messageentryrecord.h"
#include "recordtext.h"

#include <memory>
#include <vector>

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
    // An entry with its texts (see MessageEntryRecord::Make).
    MessageEntryRecord& AddEntry(bool sent, TextPiece text, TextPiece sender, TextPiece date);
    void AddAttachment(const SourceFile& file);
    // Takes over the entries and files of the same chat read from elsewhere.
    void Absorb(WhatsAppRecord& other);

    const char* GetChatName() override;
    const char* GetPartnerName() override;
    const char* GetPartnerPhone() override;
    unsigned int GetEntryCount() override;
    MMobile::IMessageEntry* GetEntry(unsigned int index) override;

private:
    RecordText m_text;
    MessageEntries m_entries;
    std::vector<SourceFile> m_attachments;
};

#endif // WHATSAPPRECORD_H
