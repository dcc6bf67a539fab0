#ifndef FAKEWECHAT_H
#define FAKEWECHAT_H

// WeChat records for the tests, built like the engine's records (texts by
// field in getter order, entries owned by the chat), because the reference
// engine does not read WeChat yet. Each is owned by the EngineItem or test
// that made it.

#include "enginerecord.h"
#include "messageentryrecord.h"
#include "recordtext.h"

#include "contracts/iwechatfriend.h"
#include "contracts/iwechatmessager.h"

#include <memory>
#include <vector>

class FakeWeChatFriend : public MMobile::IWeChatFriend, public EngineRecord
{
public:
    enum Field { UserName, DisplayName, Alias, Remark, Region, Signature, FieldCount };

    MMobile::IMDRecord* Record() override { return this; }
    RecordText& Text() { return m_text; }

    const char* GetUserName() override { return m_text.Get(UserName); }
    const char* GetDisplayName() override { return m_text.Get(DisplayName); }
    const char* GetAlias() override { return m_text.Get(Alias); }
    const char* GetRemark() override { return m_text.Get(Remark); }
    const char* GetRegion() override { return m_text.Get(Region); }
    const char* GetSignature() override { return m_text.Get(Signature); }

private:
    RecordText m_text{FieldCount};
};

class FakeWeChatMessager : public MMobile::IWeChatMessager, public EngineRecord
{
public:
    enum Field { ChatName, Account, Member, FieldCount };

    MMobile::IMDRecord* Record() override { return this; }
    RecordText& Text() { return m_text; }
    MessageEntryRecord& AddEntry(bool sent);

    const char* GetChatName() override { return m_text.Get(ChatName); }
    const char* GetAccount() override { return m_text.Get(Account); }
    const char* GetMember() override { return m_text.Get(Member); }
    unsigned int GetEntryCount() override;
    MMobile::IMessageEntry* GetEntry(unsigned int index) override;

private:
    RecordText m_text{FieldCount};
    std::vector<std::unique_ptr<MessageEntryRecord>> m_entries;
};

#endif // FAKEWECHAT_H
