#include "whatsapprecord.h"

#include "messageentryrecord.h"

WhatsAppRecord::WhatsAppRecord() : m_text(FieldCount) {}
WhatsAppRecord::~WhatsAppRecord() = default;

std::vector<EngineRecord::SourceFile> WhatsAppRecord::SourceFiles() const
{
    return m_attachments;
}

MessageEntryRecord& WhatsAppRecord::AddEntry(bool sent)
{
    m_entries.push_back(std::make_unique<MessageEntryRecord>(sent));
    return *m_entries.back();
}

MessageEntryRecord& WhatsAppRecord::AddEntry(bool sent, TextPiece text, TextPiece sender,
                                             TextPiece date)
{
    m_entries.push_back(MessageEntryRecord::Make(sent, text, sender, date));
    return *m_entries.back();
}

void WhatsAppRecord::AddAttachment(const SourceFile& file)
{
    m_attachments.push_back(file);
}

const char* WhatsAppRecord::GetChatName()
{
    return m_text.Get(ChatName);
}
const char* WhatsAppRecord::GetPartnerName()
{
    return m_text.Get(PartnerName);
}
const char* WhatsAppRecord::GetPartnerPhone()
{
    return m_text.Get(PartnerPhone);
}

unsigned int WhatsAppRecord::GetEntryCount()
{
    return static_cast<unsigned int>(m_entries.size());
}

MMobile::IMessageEntry* WhatsAppRecord::GetEntry(unsigned int index)
{
    return index < m_entries.size() ? m_entries[index].get() : nullptr;
}

void WhatsAppRecord::Absorb(WhatsAppRecord& other)
{
    MergeEntries(m_entries, other.m_entries);
    m_attachments.insert(m_attachments.end(), other.m_attachments.begin(),
                         other.m_attachments.end());
    other.m_attachments.clear();
}
