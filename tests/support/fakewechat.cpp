#include "fakewechat.h"

MessageEntryRecord& FakeWeChatMessager::AddEntry(bool sent)
{
    m_entries.push_back(std::make_unique<MessageEntryRecord>(sent));
    return *m_entries.back();
}

unsigned int FakeWeChatMessager::GetEntryCount()
{
    return static_cast<unsigned int>(m_entries.size());
}

MMobile::IMessageEntry* FakeWeChatMessager::GetEntry(unsigned int index)
{
    return index < m_entries.size() ? m_entries[index].get() : nullptr;
}
