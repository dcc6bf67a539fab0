#include "conversationrecord.h"

#include "messageentryrecord.h"

ConversationRecord::ConversationRecord() = default;
ConversationRecord::~ConversationRecord() = default;

std::vector<EngineRecord::SourceFile> ConversationRecord::SourceFiles() const
{
    return m_attachments;
}

void ConversationRecord::AppendRows(std::vector<RowKey>& rows) const
{
    // A conversation is recovered as its messages, each from where it was found.
    if (!Store())
        return;
    for (const auto& entry : m_entries) {
        if (entry->Rowid() >= 0)
            rows.push_back({QByteArray(Store()), entry->RowOrigin(), entry->Rowid()});
    }
}

RecordText& ConversationRecord::AddParticipant()
{
    m_participants.emplace_back(ParticipantFieldCount);
    return m_participants.back();
}

MessageEntryRecord& ConversationRecord::AddEntry(bool sent)
{
    m_entries.push_back(std::make_unique<MessageEntryRecord>(sent));
    return *m_entries.back();
}

MessageEntryRecord& ConversationRecord::AddEntry(bool sent, TextPiece text, TextPiece sender,
                                                 TextPiece date)
{
    m_entries.push_back(MessageEntryRecord::Make(sent, text, sender, date));
    return *m_entries.back();
}

void ConversationRecord::ReorderEntries(const std::vector<std::size_t>& order)
{
    MessageEntries entries;
    entries.reserve(order.size());
    for (const std::size_t from : order)
        entries.push_back(std::move(m_entries[from]));
    m_entries = std::move(entries);
}

void ConversationRecord::AddAttachment(const SourceFile& file)
{
    m_attachments.push_back(file);
}

const char* ConversationRecord::Participant(unsigned int index, ParticipantField field) const
{
    return index < m_participants.size() ? m_participants[index].Get(field) : nullptr;
}

unsigned int ConversationRecord::GetParticipantCount()
{
    return static_cast<unsigned int>(m_participants.size());
}

const char* ConversationRecord::GetParticipantName(unsigned int index)
{
    return Participant(index, Name);
}

const char* ConversationRecord::GetParticipantPhone(unsigned int index)
{
    return Participant(index, Phone);
}

const char* ConversationRecord::GetParticipantEmail(unsigned int index)
{
    return Participant(index, Email);
}

unsigned int ConversationRecord::GetEntryCount()
{
    return static_cast<unsigned int>(m_entries.size());
}

MMobile::IMessageEntry* ConversationRecord::GetEntry(unsigned int index)
{
    return index < m_entries.size() ? m_entries[index].get() : nullptr;
}

void ConversationRecord::Absorb(ConversationRecord& other)
{
    MergeEntries(m_entries, other.m_entries);
    m_attachments.insert(m_attachments.end(), other.m_attachments.begin(),
                         other.m_attachments.end());
    other.m_attachments.clear();
}
