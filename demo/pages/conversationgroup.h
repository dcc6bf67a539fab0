#ifndef CONVERSATIONGROUP_H
#define CONVERSATIONGROUP_H

#include "contracts/imdcommon.h"

#include <QByteArray>

#include <memory>
#include <vector>

namespace MMobile {
class IMessageEntry;
} // namespace MMobile

// One conversation as a messages page lists it: the engine's items of one
// chat (the live chat, messages no chat row holds any more, messages carved
// from the database's free space and logs) read as one item whose thread
// holds all their messages in date order. Its record is a conversation
// (IMessage) or a WhatsApp chat, as its items are; it reports itself deleted
// when any of them is, and passes the recovery's drop mark on to each. The
// items and their records stay the engine's: the group borrows them.
class ConversationGroup : public MMobile::IMDCommon
{
public:
    explicit ConversationGroup(MMobile::IMDCommon* first);
    ConversationGroup(const ConversationGroup&) = delete;
    ConversationGroup& operator=(const ConversationGroup&) = delete;
    virtual ~ConversationGroup();

    // What the items of one chat share: a conversation's participants'
    // phones and e-mail addresses, a WhatsApp chat's name and partner. Empty
    // where nothing is known (the handle was lost): such an item joins no other.
    static QByteArray KeyOf(MMobile::IMDCommon* item);
    void Add(MMobile::IMDCommon* item);
    const std::vector<MMobile::IMDCommon*>& Members() const { return m_members; }
    unsigned int EntryCount() const { return unsigned(m_entries.size()); }
    MMobile::IMessageEntry* Entry(unsigned int index) const;

    // IMDCommon: the first item's people or chat name, the messages of all.
    MMobile::IMDRecord* GetRecord() override;
    bool IsDeleted() override;
    void SetDropMark(bool drop) override;

private:
    class Thread;
    class Chat;

    std::vector<MMobile::IMDCommon*> m_members;
    std::vector<MMobile::IMessageEntry*> m_entries;
    std::unique_ptr<Thread> m_thread;
    std::unique_ptr<Chat> m_chat;
};

#endif // CONVERSATIONGROUP_H
