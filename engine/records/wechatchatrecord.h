#ifndef WECHATCHATRECORD_H
#define WECHATCHATRECORD_H

#include "contracts/iwechatmessager.h"
#include "enginerecord.h"
#include "recordtext.h"
#include "textpiece.h"

#include <memory>
#include <vector>

class MessageEntryRecord;

// One chat of one WeChat account: its name, the account's name, the members
// (a person's chat: the partner), its messages oldest first and the media
// files the backup holds for them. Owns its entries.
class WeChatChatRecord : public MMobile::IWeChatMessager, public EngineRecord
{
public:
    enum Field { ChatName, Account, Member, FieldCount };

    WeChatChatRecord();
    ~WeChatChatRecord() override;
    MMobile::IMDRecord* Record() override { return this; }
    std::vector<SourceFile> SourceFiles() const override;

    RecordText& Text() { return m_text; }
    MessageEntryRecord& AddEntry(bool sent);
    // An entry with its texts (see MessageEntryRecord::Make).
    MessageEntryRecord& AddEntry(bool sent, TextPiece text, TextPiece sender, TextPiece date);
    void AddAttachment(const SourceFile& file);

    const char* GetChatName() override;
    const char* GetAccount() override;
    const char* GetMember() override;
    unsigned int GetEntryCount() override;
    MMobile::IMessageEntry* GetEntry(unsigned int index) override;

private:
    RecordText m_text;
    std::vector<std::unique_ptr<MessageEntryRecord>> m_entries;
    std::vector<SourceFile> m_attachments;
};

#endif // WECHATCHATRECORD_H
