#include "messagemerger.h"

#include "mergedatabase.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {
const QString Src = QStringLiteral("src");
const QString Message = QStringLiteral("message");
const QString Handle = QStringLiteral("handle");
const QString Chat = QStringLiteral("chat");
const QString MessageJoin = QStringLiteral("chat_message_join");
const QString HandleJoin = QStringLiteral("chat_handle_join");
const QString Recoverable = QStringLiteral("chat_recoverable_message_join");

bool IsSet(const QVariant& key)
{
    return !key.isNull() && key.toLongLong() != 0;
}
} // namespace

QVariant MessageMerger::MapHandle(MergeDatabase& db, const QVariant& handle)
{
    // 0 is the phone's "no handle" (a message of the user's own, a group's).
    if (!IsSet(handle))
        return handle;
    const auto known = m_handles.find(handle.toLongLong());
    if (known != m_handles.end())
        return known->second;
    QVariant mapped(qint64(0));
    const QVariant address = db.Value(Src, Handle, QStringLiteral("id"), handle.toLongLong());
    if (!address.isNull()) {
        MergeDatabase::Values same{{QStringLiteral("id"), address}};
        const QVariant service =
            db.Value(Src, Handle, QStringLiteral("service"), handle.toLongLong());
        if (!service.isNull())
            same[QStringLiteral("service")] = service;
        qint64 row = db.FindRow(Handle, same);
        if (row < 0)
            row = db.Copy(Handle, handle.toLongLong());
        if (row < 0)
            return QVariant(); // an error, kept in LastError()
        mapped = row;
    }
    m_handles[handle.toLongLong()] = mapped;
    return mapped;
}

QVariant MessageMerger::ChatOfHandle(MergeDatabase& db, const QVariant& handle)
{
    if (!IsSet(handle))
        return QVariant(qint64(0));
    const QVariant address = db.Value(Src, Handle, QStringLiteral("id"), handle.toLongLong());
    if (address.isNull())
        return QVariant(qint64(0));
    const qint64 found = db.FindRow(Chat, {{QStringLiteral("chat_identifier"), address}});
    if (found >= 0)
        return found;
    // A one-to-one chat, as the app names it after its service and address.
    QVariant service = db.Value(Src, Handle, QStringLiteral("service"), handle.toLongLong());
    if (service.isNull())
        service = QStringLiteral("SMS");
    const qint64 chat = db.Insert(
        Chat,
        {{QStringLiteral("guid"), service.toString() + QStringLiteral(";-;") + address.toString()},
         {QStringLiteral("chat_identifier"), address},
         {QStringLiteral("service_name"), service},
         {QStringLiteral("style"), 45},
         {QStringLiteral("state"), 3}});
    const QVariant member = MapHandle(db, handle);
    if (chat < 0 || member.isNull() ||
        db.Insert(HandleJoin,
                  {{QStringLiteral("chat_id"), chat}, {QStringLiteral("handle_id"), member}}) < 0)
        return QVariant();
    return chat;
}

QVariant MessageMerger::MapChat(MergeDatabase& db, const QVariant& chat, const QVariant& handle)
{
    if (chat.isNull())
        return ChatOfHandle(db, handle);
    const auto known = m_chats.find(chat.toLongLong());
    if (known != m_chats.end())
        return known->second;
    const qint64 rowid = chat.toLongLong();
    const QVariant guid = db.Value(Src, Chat, QStringLiteral("guid"), rowid);
    const QVariant identifier = db.Value(Src, Chat, QStringLiteral("chat_identifier"), rowid);
    QVariant mapped;
    qint64 found = -1;
    if (!guid.isNull())
        found = db.FindRow(Chat, {{QStringLiteral("guid"), guid}});
    if (found < 0 && !identifier.isNull())
        found = db.FindRow(Chat, {{QStringLiteral("chat_identifier"), identifier}});
    if (found >= 0) {
        mapped = found;
    } else if (identifier.isNull()) {
        // Known only by its join rows (carved): the chat of the sender.
        mapped = ChatOfHandle(db, handle);
    } else {
        const qint64 added = db.Copy(Chat, rowid);
        if (added < 0)
            return QVariant();
        for (const qint64 join : db.SourceRowids(HandleJoin, QStringLiteral("chat_id"), chat)) {
            const QVariant member =
                MapHandle(db, db.Value(Src, HandleJoin, QStringLiteral("handle_id"), join));
            if (member.isNull() || db.Copy(HandleJoin, join,
                                           {{QStringLiteral("chat_id"), added},
                                            {QStringLiteral("handle_id"), member}}) < 0)
                return QVariant();
        }
        mapped = added;
    }
    m_chats[rowid] = mapped;
    return mapped;
}

bool MessageMerger::AddMessage(MergeDatabase& db, qint64 message)
{
    if (db.FindSame(Message, message, QStringLiteral("guid")) >= 0) {
        ++m_skipped;
        return true;
    }
    const QVariant handle = db.Value(Src, Message, QStringLiteral("handle_id"), message);
    MergeDatabase::Values keys;
    for (const QString& column : {QStringLiteral("handle_id"), QStringLiteral("other_handle")}) {
        if (!db.HasColumn(Src, Message, column))
            continue;
        const QVariant key = db.Value(Src, Message, column, message);
        const QVariant mapped = MapHandle(db, key);
        if (IsSet(key) && mapped.isNull())
            return false;
        keys[column] = mapped;
    }
    const qint64 added = db.Copy(Message, message, keys);
    if (added < 0)
        return false;
    ++m_added;
    // Its chat: the join row, else (recently deleted) the chat it was taken from.
    const std::vector<qint64> joins =
        db.SourceRowids(MessageJoin, QStringLiteral("message_id"), QVariant(message));
    for (const qint64 join : joins) {
        const QVariant chat =
            MapChat(db, db.Value(Src, MessageJoin, QStringLiteral("chat_id"), join), handle);
        if (chat.isNull())
            return false;
        if (IsSet(chat) &&
            db.Copy(MessageJoin, join,
                    {{QStringLiteral("chat_id"), chat}, {QStringLiteral("message_id"), added}}) < 0)
            return false;
    }
    if (!joins.empty() || !db.HasTable(Src, Recoverable))
        return true;
    for (const qint64 kept :
         db.SourceRowids(Recoverable, QStringLiteral("message_id"), QVariant(message))) {
        const QVariant chat =
            MapChat(db, db.Value(Src, Recoverable, QStringLiteral("chat_id"), kept), handle);
        if (chat.isNull())
            return false;
        if (IsSet(chat) &&
            db.Insert(MessageJoin, {{QStringLiteral("chat_id"), chat},
                                    {QStringLiteral("message_id"), added},
                                    {QStringLiteral("message_date"),
                                     db.Value(Src, Message, QStringLiteral("date"), message)}}) < 0)
            return false;
    }
    return true;
}

qint64 MessageMerger::TargetMessage(MergeDatabase& db, qint64 message)
{
    const qint64 found = db.FindSame(Message, message, QStringLiteral("guid"));
    if (found >= 0)
        return found;
    const QVariant guid = db.Value(Src, Message, QStringLiteral("guid"), message);
    if (guid.isNull()) {
        db.Refuse(QStringLiteral("message %1 has no guid").arg(message));
        return -1;
    }
    return AddMessage(db, message) ? db.FindRow(Message, {{QStringLiteral("guid"), guid}}) : -1;
}

bool MessageMerger::Merge(MergeDatabase& db, Selection selection)
{
    if (!db.HasTable(Src, Message))
        return true;
    m_handles.clear();
    m_chats.clear();
    std::vector<qint64> messages;
    if (selection == ALL_ROWS) {
        messages = db.SourceRowids(Message);
    } else if (db.HasTable(Src, Recoverable)) {
        for (const qint64 kept : db.SourceRowids(Recoverable))
            messages.push_back(
                db.Value(Src, Recoverable, QStringLiteral("message_id"), kept).toLongLong());
    }
    // Oldest first, as the app adds them.
    std::vector<std::pair<double, qint64>> dated;
    for (const qint64 message : messages)
        dated.emplace_back(db.Value(Src, Message, QStringLiteral("date"), message).toDouble(),
                           message);
    std::stable_sort(dated.begin(), dated.end());
    dated.erase(std::unique(dated.begin(), dated.end()), dated.end());
    for (const auto& message : dated) {
        if (!AddMessage(db, message.second))
            return false;
    }
    return true;
}
