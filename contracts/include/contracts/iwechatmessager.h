#ifndef MMOBILE_IWECHATMESSAGER_H
#define MMOBILE_IWECHATMESSAGER_H

// Record of the WeChat messages category: one chat of one account. Texts are
// zero-terminated UTF-8 owned by the engine, possibly null; an entry index not
// below the count answers null. The search reads the first three texts only.

#include "contracts/imdrecord.h"

namespace MMobile {

class IMessageEntry;

class IWeChatMessager : public IMDRecord
{
public:
    static constexpr RecordKind Kind = RECORD_WECHAT_MESSAGER;
    RecordKind GetRecordKind() const override { return Kind; }

    virtual const char* GetChatName() = 0;
    virtual const char* GetAccount() = 0;
    virtual const char* GetMember() = 0;
    virtual unsigned int GetEntryCount() = 0;
    virtual IMessageEntry* GetEntry(unsigned int index) = 0;

protected:
    ~IWeChatMessager() = default;
};

} // namespace MMobile

#endif // MMOBILE_IWECHATMESSAGER_H
