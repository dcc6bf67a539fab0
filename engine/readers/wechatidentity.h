#ifndef WECHATIDENTITY_H
#define WECHATIDENTITY_H

#include <QByteArray>
#include <QString>

#include <vector>

// What the WeChat app's own files say about its accounts, for accounts
// whose contact row of their own is gone:
// - Documents/LoginInfo2.dat, the accounts that logged in: a protocol
//   buffer whose field 1 holds the accounts one after the other, each a
//   varint length and a record, user name in field 1, nickname in field 3;
// - the settings, a keyed archive (Documents/<hash>/mmsetting.archive)
//   whose root object names UsrName, NickName and AliasName;
// - or an MMKV file (Documents/MMappedKV/mmsetting.archive.<user name>):
//   a little-endian length of the content, then keys and values, each a
//   varint length and bytes, later values of a key replacing earlier ones;
//   "86" user name, "87" alias, "88" nickname, each a varint-prefixed string.
// All input is hostile: lengths are checked, damage gives an empty result.
// Stateless.
class WeChatIdentity
{
public:
    QString userName, nickName, alias;

    bool IsEmpty() const { return userName.isEmpty(); }

    // Files larger than this are not settings or login lists.
    static constexpr qint64 MaximumSize = 4 * 1024 * 1024;

    static std::vector<WeChatIdentity> FromLoginInfo(const QByteArray& data);
    static WeChatIdentity FromSettingsArchive(const QByteArray& data);
    static WeChatIdentity FromSettingsMmkv(const QByteArray& data);
};

#endif // WECHATIDENTITY_H
