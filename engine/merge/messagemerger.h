#ifndef MESSAGEMERGER_H
#define MESSAGEMERGER_H

#include "categorymerger.h"

#include <QVariant>

#include <map>

// Messages: the message row, its sender's handle, its chat with the chat's
// handles, and the join rows that put it in that chat, oldest message first,
// so that the thread shows in its conversation in date order. A handle or
// chat the target already has (same address and service; same chat GUID or
// identifier) is used as it is. Attachments are not carried over.
class MessageMerger : public CategoryMerger
{
public:
    bool Merge(MergeDatabase& db, Selection selection) override;
    // The target's row of src message `message`, added with its handle and
    // chat when the target lacks it (a message an attachment hangs on); -1
    // on failure.
    qint64 TargetMessage(MergeDatabase& db, qint64 message);

private:
    QVariant MapHandle(MergeDatabase& db, const QVariant& handle);
    // The target's chat for src chat `chat` (null: the chat of `handle`).
    QVariant MapChat(MergeDatabase& db, const QVariant& chat, const QVariant& handle);
    QVariant ChatOfHandle(MergeDatabase& db, const QVariant& handle);
    bool AddMessage(MergeDatabase& db, qint64 message);

    std::map<qint64, QVariant> m_handles; // src rowid -> target rowid
    std::map<qint64, QVariant> m_chats;
};

#endif // MESSAGEMERGER_H
