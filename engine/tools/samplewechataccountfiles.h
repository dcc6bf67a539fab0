#ifndef SAMPLEWECHATACCOUNTFILES_H
#define SAMPLEWECHATACCOUNTFILES_H

#include <QByteArray>
#include <QString>

#include <vector>

// The files in which the WeChat app keeps who is logged in, byte for byte
// as the app writes them:
// - Documents/LoginInfo2.dat: a protocol buffer whose field 1 holds the
//   accounts that logged in on the phone, one after the other, each a
//   varint length and a record with the user name in field 1 and the
//   nickname in field 3;
// - the account's settings: a keyed archive (Documents/<hash>/
//   mmsetting.archive, older versions) whose root object holds UsrName,
//   NickName, AliasName and a new_dicsetting dictionary with the avatar
//   URLs, or an MMKV file (Documents/MMappedKV/mmsetting.archive.<user name>
//   with a .crc file beside it, newer versions) keyed "86" user name,
//   "87" alias, "88" nickname, "headimgurl" and "headhdimgurl".
// Stateless.
class SampleWeChatAccountFiles
{
public:
    struct Identity
    {
        QString userName, nickName, alias, headUrl;
    };

    static QByteArray LoginInfo(const std::vector<Identity>& accounts);
    static QByteArray SettingsArchive(const Identity& account);
    // An MMKV file: a little-endian 32-bit length of the content, the
    // content (a varint place holder, then keys and values, each a varint
    // length and its bytes), zeros to the page's end.
    static QByteArray SettingsMmkv(const Identity& account);
    // The MMKV file's .crc companion: the CRC-32 of the content, the
    // version, the sequence, the IV and the content's length.
    static QByteArray MmkvCrc(const QByteArray& mmkv);
};

#endif // SAMPLEWECHATACCOUNTFILES_H
