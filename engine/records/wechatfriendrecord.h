#ifndef WECHATFRIENDRECORD_H
#define WECHATFRIENDRECORD_H

#include "contracts/iwechatfriend.h"
#include "enginerecord.h"
#include "recordtext.h"

// One contact of a WeChat account: a person, a group chat or an official
// account, told apart by Kind() (the page's interface has no field for it).
// The account a scan found is described by a record of this kind as well.
// Owned by its EngineItem.
class WeChatFriendRecord : public MMobile::IWeChatFriend, public EngineRecord
{
public:
    enum Field { UserName, DisplayName, Alias, Remark, Region, Signature, FieldCount };
    enum Kind { Person, Group, OfficialAccount };

    explicit WeChatFriendRecord(Kind kind = Person);
    ~WeChatFriendRecord() override;
    MMobile::IMDRecord* Record() override { return this; }
    RecordText& Text() { return m_text; }
    Kind ContactKind() const { return m_kind; }
    // "Person", "Group" or "Official account", as exports write it.
    QString KindName() const;

    const char* GetUserName() override;
    const char* GetDisplayName() override;
    const char* GetAlias() override;
    const char* GetRemark() override;
    const char* GetRegion() override;
    const char* GetSignature() override;

private:
    RecordText m_text;
    Kind m_kind;
};

#endif // WECHATFRIENDRECORD_H
