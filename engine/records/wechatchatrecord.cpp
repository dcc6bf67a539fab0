#include "wechatchatrecord.h"

#include "messageentryrecord.h"

WeChatChatRecord::WeChatChatRecord() : m_text(FieldCount) {}
WeChatChatRecord::~WeChatChatRecord() = default;

std::vector<EngineRecord::SourceFile> WeChatChatRecord::SourceFiles() const
{
    return m_attachments;
}

MessageEntryRecord& WeChatChatRecord::AddEntry(bool sent)
{
    m_entries.push_back(std::make_unique<MessageEntryRecord>(sent));
    return *m_entries.back();
}

MessageEntryRecord& WeChatChatRecord::AddEntry(bool sent, TextPiece text, TextPiece sender,
                                               TextPiece date)
{
    m_entries.push_back(MessageEntryRecord::Make(sent, text, sender, date));
    return *m_entries.back();
}

void WeChatChatRecord::AddAttachment(const SourceFile& file)
{
    m_attachments.push_back(file);
}

const char* WeChatChatRecord::GetChatName()
{
    return m_text.Get(ChatName);
}
const char* WeChatChatRecord::GetAccount()
{
    return m_text.Get(Account);
}
const char* WeChatChatRecord::GetMember()
{
    return m_text.Get(Member);
}

unsigned int WeChatChatRecord::GetEntryCount()
{
    return static_cast<unsigned int>(m_entries.size());
}

MMobile::IMessageEntry* WeChatChatRecord::GetEntry(unsigned int index)
{
    return index < m_entries.size() ? m_entries[index].get() : nullptr;
}
