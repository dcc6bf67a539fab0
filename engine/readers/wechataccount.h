#ifndef WECHATACCOUNT_H
#define WECHATACCOUNT_H

#include <QString>

#include <cstddef>

// One WeChat account found in a backup, and where its records stand in the
// list a WeChat scan read: each account's records are one run, accounts in
// the order of their folders. Plain data.
struct WeChatAccount
{
    QString folder;   // Documents/<folder>: the MD5 of the user name, 32 hex digits
    QString userName; // empty when the account's own contact row is not readable
    QString nickName;
    QString alias;
    std::size_t first = 0;
    std::size_t count = 0;

    // What the account chooser shows: nickname, else user name, else the folder.
    QString ShownName() const
    {
        return !nickName.isEmpty() ? nickName : !userName.isEmpty() ? userName : folder;
    }
};

#endif // WECHATACCOUNT_H
