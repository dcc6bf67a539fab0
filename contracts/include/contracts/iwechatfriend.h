#ifndef MMOBILE_IWECHATFRIEND_H
#define MMOBILE_IWECHATFRIEND_H

// Record of the WeChat contacts category. Texts are zero-terminated UTF-8 owned
// by the engine, possibly null.

#include "contracts/imdrecord.h"

namespace MMobile {

class IWeChatFriend : public IMDRecord
{
public:
    static constexpr RecordKind Kind = RECORD_WECHAT_FRIEND;
    RecordKind GetRecordKind() const override { return Kind; }

    virtual const char* GetUserName() = 0;
    virtual const char* GetDisplayName() = 0;
    // May be empty; the table then shows the user name as the account.
    virtual const char* GetAlias() = 0;
    virtual const char* GetRemark() = 0;
    virtual const char* GetRegion() = 0;
    virtual const char* GetSignature() = 0;

protected:
    ~IWeChatFriend() = default;
};

} // namespace MMobile

#endif // MMOBILE_IWECHATFRIEND_H
