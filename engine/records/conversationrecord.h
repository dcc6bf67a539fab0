#ifndef CONVERSATIONRECORD_H
#define CONVERSATIONRECORD_H

#include "contracts/imessage.h"
#include "enginerecord.h"
#include "messageentryrecord.h"
#include "recordtext.h"

#include <memory>
#include <vector>

// One conversation of the message store: its participants, its messages
// (oldest first) and the attachment files an export copies beside it. Owns
// its entries.
class ConversationRecord : public MMobile::IMessage, public EngineRecord
{
public:
    enum ParticipantField { Name, Phone, Email, ParticipantFieldCount };

    ConversationRecord();
    ~ConversationRecord() override;
    MMobile::IMDRecord* Record() override { return this; }
    std::vector<SourceFile> SourceFiles() const override;
    void AppendRows(std::vector<RowKey>& rows) const override;

    RecordText& AddParticipant();
    MessageEntryRecord& AddEntry(bool sent);
    // An entry with its texts (see MessageEntryRecord::Make).
    MessageEntryRecord& AddEntry(bool sent, TextPiece text, TextPiece sender, TextPiece date);
    // Puts the entries in `order`: entry i becomes the one at order[i], a
    // permutation of the entries' positions.
    void ReorderEntries(const std::vector<std::size_t>& order);
    void AddAttachment(const SourceFile& file);
    // Takes over the entries and files of the same chat read from elsewhere.
    void Absorb(ConversationRecord& other);

    unsigned int GetParticipantCount() override;
    const char* GetParticipantName(unsigned int index) override;
    const char* GetParticipantPhone(unsigned int index) override;
    const char* GetParticipantEmail(unsigned int index) override;
    unsigned int GetEntryCount() override;
    MMobile::IMessageEntry* GetEntry(unsigned int index) override;

private:
    const char* Participant(unsigned int index, ParticipantField field) const;

    std::vector<RecordText> m_participants;
    MessageEntries m_entries;
    std::vector<SourceFile> m_attachments;
};

#endif // CONVERSATIONRECORD_H
