#include "wechatfriendrecord.h"

WeChatFriendRecord::WeChatFriendRecord(Kind kind) : m_text(FieldCount), m_kind(kind) {}
WeChatFriendRecord::~WeChatFriendRecord() = default;

QString WeChatFriendRecord::KindName() const
{
    switch (m_kind) {
    case Group:
        return QStringLiteral("Group");
    case OfficialAccount:
        return QStringLiteral("Official account");
    default:
        return QStringLiteral("Person");
    }
}

const char* WeChatFriendRecord::GetUserName()
{
    return m_text.Get(UserName);
}
const char* WeChatFriendRecord::GetDisplayName()
{
    return m_text.Get(DisplayName);
}
const char* WeChatFriendRecord::GetAlias()
{
    return m_text.Get(Alias);
}
const char* WeChatFriendRecord::GetRemark()
{
    return m_text.Get(Remark);
}
const char* WeChatFriendRecord::GetRegion()
{
    return m_text.Get(Region);
}
const char* WeChatFriendRecord::GetSignature()
{
    return m_text.Get(Signature);
}
