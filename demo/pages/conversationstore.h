#ifndef CONVERSATIONSTORE_H
#define CONVERSATIONSTORE_H

#include "store/taskitem.h"

#include <QByteArray>
#include <QHash>
#include <QSet>

#include <memory>
#include <vector>

class ConversationGroup;

// The store of the Messages and WhatsApp pages: one item per conversation.
// The engine hands out a chat, the messages no chat holds any more and the
// messages carved from the database's free space as items of their own; the
// store joins those of one chat (the same participants, or the same chat
// name and partner) into a ConversationGroup, so that a chat is one row
// whose thread marks its deleted messages, and the only-deleted switch and
// the counts see conversations. A conversation the phone no longer has stays
// a row of its own, named by its participants. Owns the groups; the engine's
// items stay borrowed.
class ConversationStore : public TaskItem
{
public:
    explicit ConversationStore(MMobile::MDType type);
    ~ConversationStore() override;

    void SetDatas(MMobile::IMDGetter* getter) override;
    // Joins `item` to its conversation, or puts a new one at position 0; an
    // item the store holds already (the page hands some over twice) is left.
    void AddData(MMobile::IMDCommon* item, int index) override;
    void ClearData() override;

private:
    using Groups = std::vector<std::unique_ptr<ConversationGroup>>;
    // The group `item` joins, or null after making a new one in `groups`.
    ConversationGroup* Join(MMobile::IMDCommon* item, Groups& groups,
                            QHash<QByteArray, ConversationGroup*>& byKey);

    Groups m_groups;
    QHash<QByteArray, ConversationGroup*> m_byKey;
    QSet<MMobile::IMDCommon*> m_members;
};

#endif // CONVERSATIONSTORE_H
