#include "carvedmessages.h"

#include "attributedbody.h"
#include "conversationrecord.h"
#include "deletedrecords.h"
#include "deletedrows.h"
#include "engineitem.h"
#include "laidouttable.h"
#include "messagereader.h"
#include "rowidlist.h"

#include <QSet>

#include <algorithm>
#include <map>

namespace {

using Row = LaidOutTable::Row;
const char* const SmsStore = "Library/SMS/sms.db";
// Rows between two looks for a stop.
constexpr int StopEvery = 1024;

const StoredValue& Cell(const Row& row, int column)
{
    static const StoredValue null;
    return column >= 0 ? row.cells[std::size_t(column)] : null;
}

bool IsInteger(const StoredValue& value)
{
    return value.kind() == StoredValue::Kind::Integer;
}

QByteArray KeyOf(const StoredValue& value)
{
    QByteArray key;
    value.AppendKey(key);
    return key;
}

// The integers of `column` of `table`, for NOT IN; false when the column
// holds a NULL, as NOT IN of such a list holds for nothing.
bool NotInList(const LaidOutTable& table, int column, RowidList& integers)
{
    for (const Row& row : table.Rows()) {
        const StoredValue& value = Cell(row, column);
        if (value.IsNull())
            return false;
        if (IsInteger(value))
            integers.insert(value.Int());
    }
    integers.seal();
    return true;
}

// The rows of `table` in the ORDER BY of columns `first`, `second`.
std::vector<std::size_t> Ordered(const LaidOutTable& table, int first, int second)
{
    std::vector<std::size_t> order(table.Rows().size());
    for (std::size_t r = 0; r < order.size(); ++r)
        order[r] = r;
    const std::vector<Row>& rows = table.Rows();
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int by = StoredValue::Compare(Cell(rows[a], first), Cell(rows[b], first));
        return by != 0 ? by < 0
                       : StoredValue::Compare(Cell(rows[a], second), Cell(rows[b], second)) < 0;
    });
    return order;
}

} // namespace

// The tables of the laid-out database, as far as the reader reads them.
struct CarvedMessages::State
{
    LaidOutTable messages, handles, chats, chatHandles, chatMessages, recoverable, fileJoins, files;
    // The kept messages by source: indexes into messages.
    QHash<int, std::vector<int>> bySource;
    QHash<qint64, QString> handleIds;
    // Columns of the messages and of the joins.
    int text = -1, handle = -1, date = -1, sent = -1, body = -1;
    int handleChat = -1, handleOfChat = -1, messageChat = -1, messageOfChat = -1;
    int recoverableChat = -1, recoverableMessage = -1;
};

CarvedMessages::CarvedMessages(ReaderContext& context, const DeletedRows& rows)
    : m_context(context), m_rows(rows)
{
}

CarvedMessages::~CarvedMessages() = default;

QStringList CarvedMessages::MessageColumns()
{
    return {QStringLiteral("text"), QStringLiteral("handle_id"), QStringLiteral("date"),
            QStringLiteral("is_from_me"), QStringLiteral("attributedBody")};
}

void CarvedMessages::SettleAhead(const std::atomic<bool>& stop)
{
    // What a stop left half built is freed with this object, not here: the
    // stop waits for this thread.
    m_failed = !Settle([&stop] { return !stop; });
}

bool CarvedMessages::Settle(const std::function<bool()>& goOn)
{
    m_state = std::make_unique<State>();
    State& s = *m_state;
    SqliteDb* live = m_rows.Live();
    if (!live)
        return false;
    // As DeletedRecords::StoresOf() lists them: which live rows each keeps.
    enum Keep { None, All, Referenced };
    struct Wanted
    {
        LaidOutTable* table;
        const char* name;
        QStringList columns;
        Keep keep;
    };
    const std::vector<DeletedRows::Table>& tables = m_rows.Tables();
    const auto indexOf = [&tables](const char* name) {
        for (std::size_t t = 0; t < tables.size(); ++t) {
            if (tables[t].name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                return int(t);
        }
        return -1;
    };
    const int messageTable = indexOf("message");
    const QString identity =
        messageTable >= 0 ? tables[std::size_t(messageTable)].identity : QString();
    const Wanted wanted[] = {
        {&s.messages, "message", MessageColumns() << identity, None},
        {&s.handles, "handle", {"id"}, All},
        {&s.chats, "chat", {"chat_identifier", "guid"}, All},
        {&s.chatHandles, "chat_handle_join", {"chat_id", "handle_id"}, All},
        {&s.chatMessages, "chat_message_join", {"chat_id", "message_id"}, None},
        {&s.recoverable, "chat_recoverable_message_join", {"chat_id", "message_id"}, None},
        {&s.fileJoins, "message_attachment_join", {"message_id", "attachment_id"}, None},
        {&s.files, "attachment", {"filename", "transfer_name"}, Referenced}};
    std::vector<std::vector<const DeletedRows::Row*>> carved(tables.size());
    for (const DeletedRows::Row& row : m_rows.Rows())
        carved[std::size_t(row.table)].push_back(&row);
    for (const Wanted& table : wanted) {
        const int t = indexOf(table.name);
        if (!table.table->Describe(*live, QLatin1String(table.name), table.columns,
                                   t >= 0 ? m_rows.Columns(std::size_t(t)) : QStringList()))
            return false;
        QSet<qint64> referenced;
        if (table.keep == Referenced) {
            const int attachment = s.fileJoins.Column("attachment_id");
            for (const Row& join : s.fileJoins.Rows()) {
                if (IsInteger(Cell(join, attachment)))
                    referenced.insert(Cell(join, attachment).Int());
            }
        }
        if (table.keep != None &&
            !table.table->AddLive(*live, table.keep == Referenced ? &referenced : nullptr))
            return false;
        int done = 0;
        for (const DeletedRows::Row* row :
             t >= 0 ? carved[std::size_t(t)] : std::vector<const DeletedRows::Row*>()) {
            table.table->AddCarved(*row);
            if (++done % StopEvery == 0 && !goOn())
                return false;
        }
        if (!goOn())
            return false;
    }
    // The statements that tie chats need these; without them the laid-out
    // database could not be read either.
    if (s.chats.Column("chat_identifier") < 0 || s.chats.Column("guid") < 0 ||
        s.handles.Column("id") < 0)
        return false;
    s.text = s.messages.Column("text");
    s.handle = s.messages.Column("handle_id");
    s.date = s.messages.Column("date");
    s.sent = s.messages.Column("is_from_me");
    s.body = s.messages.Column("attributedBody");
    s.handleChat = s.chatHandles.Column("chat_id");
    s.handleOfChat = s.chatHandles.Column("handle_id");
    s.messageChat = s.chatMessages.Column("chat_id");
    s.messageOfChat = s.chatMessages.Column("message_id");
    s.recoverableChat = s.recoverable.Column("chat_id");
    s.recoverableMessage = s.recoverable.Column("message_id");

    // A carved message a live row has, by rowid or by identity, is an older
    // version of it.
    const std::vector<Row>& messages = s.messages.Rows();
    std::vector<qint64> liveRowids;
    if (!s.messages.LiveRowids(*live, liveRowids))
        return false;
    const auto isLive = [&liveRowids](qint64 rowid) {
        return std::binary_search(liveRowids.cbegin(), liveRowids.cend(), rowid);
    };
    // Only those no live row has by rowid are looked up by identity.
    const int guid = identity.isEmpty() ? -1 : s.messages.Column(identity.toLatin1().constData());
    std::vector<QByteArray> identities;
    for (const Row& message : messages) {
        if (!isLive(message.rowid) && Cell(message, guid).kind() == StoredValue::Kind::Text)
            identities.push_back(Cell(message, guid).Text());
    }
    QSet<QByteArray> liveIdentities;
    if (guid >= 0 && !s.messages.LiveMatches(*live, identity, std::move(identities),
                                             [&liveIdentities](const SqliteDb::Row& row) {
                                                 liveIdentities.insert(row.Text(0));
                                                 return true;
                                             }))
        return false;
    for (std::size_t m = 0; m < messages.size(); ++m) {
        const StoredValue& id = Cell(messages[m], guid);
        if (isLive(messages[m].rowid) ||
            (id.kind() == StoredValue::Kind::Text && liveIdentities.contains(id.Text())))
            continue;
        s.bySource[messages[m].source].push_back(int(m));
    }
    const int id = s.handles.Column("id");
    for (const Row& handle : s.handles.Rows())
        s.handleIds.insert(handle.rowid, QString::fromUtf8(Cell(handle, id).Text()));
    return goOn();
}

bool CarvedMessages::Read(const QByteArray& source, ReaderContext::Items& items)
{
    if (!m_state && !Settle([this] { return m_context.KeepAlive(); })) {
        m_state.reset(new State);
        m_failed = true;
    }
    if (m_failed || m_context.Stopped())
        return false;
    const auto found = m_state->bySource.constFind(m_rows.SourceIndex(source));
    const std::vector<int> none;
    const std::vector<int>& messages = found == m_state->bySource.constEnd() ? none : *found;
    QHash<qint64, int> byRowid;
    for (const int m : messages)
        byRowid.insert(m_state->messages.Rows()[std::size_t(m)].rowid, m);
    Reidentify();
    AddLostChats();
    TieChatsToHandles(byRowid);
    TieMessagesToChats(messages);
    return MakeConversations(messages, byRowid, items);
}

void CarvedMessages::Reidentify()
{
    State& s = *m_state;
    const int identifier = s.chats.Column("chat_identifier");
    const int id = s.handles.Column("id");
    // The joins of each handle's address, in the order SQLite reads them
    // for the chat it looks for (by rowid): the first whose chat is not
    // there yet is the one.
    QHash<qint64, QByteArray> addressOf;
    for (const Row& handle : s.handles.Rows()) {
        if (!Cell(handle, id).IsNull())
            addressOf.insert(handle.rowid, KeyOf(Cell(handle, id)));
    }
    std::vector<std::size_t> order(s.chatHandles.Rows().size());
    for (std::size_t j = 0; j < order.size(); ++j)
        order[j] = j;
    std::sort(order.begin(), order.end(), [&s](std::size_t a, std::size_t b) {
        return s.chatHandles.Rows()[a].rowid < s.chatHandles.Rows()[b].rowid;
    });
    QHash<QByteArray, std::vector<const StoredValue*>> joins; // by address
    for (const std::size_t j : order) {
        const Row& join = s.chatHandles.Rows()[j];
        const StoredValue& handle = Cell(join, s.handleOfChat);
        const auto address =
            IsInteger(handle) ? addressOf.constFind(handle.Int()) : addressOf.constEnd();
        if (address != addressOf.constEnd() && IsInteger(Cell(join, s.handleChat)))
            joins[*address].push_back(&Cell(join, s.handleChat));
    }
    const auto joinedChat = [&](const StoredValue& address) -> const StoredValue* {
        const auto found = address.IsNull() ? joins.constEnd() : joins.constFind(KeyOf(address));
        if (found == joins.constEnd())
            return nullptr;
        for (const StoredValue* chat : *found) {
            if (!s.chats.Rowids().contains(chat->Int()))
                return chat;
        }
        return nullptr;
    };
    // The chats are chosen first, then each takes the join left for it.
    std::vector<std::size_t> lost;
    for (std::size_t c = 0; c < s.chats.Rows().size(); ++c) {
        const Row& chat = s.chats.Rows()[c];
        if (chat.rowid >= DeletedRows::LostRowids && joinedChat(Cell(chat, identifier)))
            lost.push_back(c);
    }
    std::sort(lost.begin(), lost.end(), [&s](std::size_t a, std::size_t b) {
        return s.chats.Rows()[a].rowid < s.chats.Rows()[b].rowid;
    });
    for (const std::size_t c : lost) {
        if (const StoredValue* chat = joinedChat(Cell(s.chats.Rows()[c], identifier)))
            s.chats.SetRowid(c, chat->Int());
    }
}

void CarvedMessages::AddLostChats()
{
    State& s = *m_state;
    const int guid = s.chats.Column("guid");
    const std::pair<const LaidOutTable*, int> joins[] = {{&s.chatHandles, s.handleChat},
                                                         {&s.chatMessages, s.messageChat}};
    for (const auto& join : joins) {
        for (const Row& row : join.first->Rows()) {
            const StoredValue& chat = Cell(row, join.second);
            if (!IsInteger(chat) || s.chats.Rowids().contains(chat.Int()))
                continue;
            Row made{chat.Int(), -1, std::vector<StoredValue>(std::size_t(s.chats.ColumnCount()))};
            made.cells[std::size_t(guid)] =
                StoredValue::Of("deleted;" + QByteArray::number(chat.Int()));
            s.chats.Insert(std::move(made));
        }
    }
}

void CarvedMessages::TieChatsToHandles(const QHash<qint64, int>& messages)
{
    State& s = *m_state;
    RowidList tied;
    if (!NotInList(s.chatHandles, s.handleChat, tied))
        return;
    QSet<QByteArray> pairs;
    std::vector<Row> made;
    for (const Row& join : s.chatMessages.Rows()) {
        const StoredValue& chat = Cell(join, s.messageChat);
        const StoredValue& message = Cell(join, s.messageOfChat);
        if (!IsInteger(chat) || tied.contains(chat.Int()) || !IsInteger(message))
            continue;
        const auto m = messages.constFind(message.Int());
        if (m == messages.constEnd())
            continue;
        const StoredValue& handle = Cell(s.messages.Rows()[std::size_t(*m)], s.handle);
        const QByteArray pair = KeyOf(chat) + KeyOf(handle);
        if (!handle.Positive() || pairs.contains(pair))
            continue;
        pairs.insert(pair);
        Row row{0, -1, std::vector<StoredValue>(std::size_t(s.chatHandles.ColumnCount()))};
        row.cells[std::size_t(s.handleChat)] = chat;
        row.cells[std::size_t(s.handleOfChat)] = handle;
        made.push_back(std::move(row));
    }
    for (Row& row : made) {
        row.rowid = s.chatHandles.NextRowid();
        s.chatHandles.Insert(std::move(row));
    }
}

void CarvedMessages::TieMessagesToChats(const std::vector<int>& messages)
{
    State& s = *m_state;
    RowidList joined;
    if (!NotInList(s.chatMessages, s.messageOfChat, joined))
        return;
    // The least chat of each handle's joins (NULL when they name none).
    struct Least
    {
        bool any = false;
        StoredValue chat;
    };
    QHash<QByteArray, Least> chatOfHandle;
    for (const Row& join : s.chatHandles.Rows()) {
        const StoredValue& handle = Cell(join, s.handleOfChat);
        if (handle.IsNull())
            continue;
        Least& least = chatOfHandle[KeyOf(handle)];
        const StoredValue& chat = Cell(join, s.handleChat);
        if (!least.any ||
            (!chat.IsNull() && (least.chat.IsNull() || StoredValue::Compare(chat, least.chat) < 0)))
            least.chat = chat;
        least.any = true;
    }
    for (const int m : messages) {
        const Row& message = s.messages.Rows()[std::size_t(m)];
        const StoredValue& handle = Cell(message, s.handle);
        if (joined.contains(message.rowid) || handle.IsNull())
            continue;
        const auto least = chatOfHandle.constFind(KeyOf(handle));
        if (least == chatOfHandle.constEnd())
            continue;
        Row row{s.chatMessages.NextRowid(), -1,
                std::vector<StoredValue>(std::size_t(s.chatMessages.ColumnCount()))};
        row.cells[std::size_t(s.messageChat)] = least->chat;
        row.cells[std::size_t(s.messageOfChat)] = StoredValue::Of(message.rowid);
        s.chatMessages.Insert(std::move(row));
    }
}

bool CarvedMessages::MakeConversations(const std::vector<int>& messages,
                                       const QHash<qint64, int>& byRowid,
                                       ReaderContext::Items& items)
{
    State& s = *m_state;
    MessageReader reader(m_context);
    const QByteArray me("Me");
    const std::vector<Row>& rows = s.messages.Rows();
    const auto addEntry = [&](ConversationRecord& chat, const Row& message,
                              const QByteArray* sender) -> MessageEntryRecord& {
        const bool sent = Cell(message, s.sent).Int() != 0;
        QByteArray text = Cell(message, s.text).Text();
        if (text.isEmpty() && !Cell(message, s.body).IsNull())
            text = AttributedBody::Text(Cell(message, s.body).Text());
        const StoredValue& date = Cell(message, s.date);
        return MessageReader::AddEntry(
            chat, sent, message.rowid, text,
            sent ? me
                 : (sender ? *sender : reader.SenderOf(Cell(message, s.handle).Int(), s.handleIds)),
            date.IsNull() ? QByteArray() : m_context.Clock().Utf8Text(date.Real()));
    };
    const int fileMessage = s.fileJoins.Column("message_id");
    const bool attachments = s.fileJoins.Present() && s.files.Present();
    RowidList withAttachments;
    for (const Row& join : attachments ? s.fileJoins.Rows() : std::vector<Row>())
        withAttachments.insert(Cell(join, fileMessage).Int());
    withAttachments.seal();
    QHash<qint64, ConversationRecord*> chatOfMessage;

    // The messages of each chat, by date; a message of the phone's recently
    // deleted joins says so.
    struct Hit
    {
        const StoredValue* chat;
        int message;
        bool recovered;
    };
    std::vector<Hit> hits;
    const std::tuple<const LaidOutTable*, int, int, bool> joins[] = {
        {&s.chatMessages, s.messageChat, s.messageOfChat, false},
        {&s.recoverable, s.recoverableChat, s.recoverableMessage, true}};
    for (const auto& [table, chat, message, recovered] : joins) {
        for (const Row& join : table->Rows()) {
            const StoredValue& id = Cell(join, message);
            const auto m = IsInteger(id) ? byRowid.constFind(id.Int()) : byRowid.constEnd();
            if (m != byRowid.constEnd())
                hits.push_back({&Cell(join, chat), *m, recovered});
        }
    }
    std::stable_sort(hits.begin(), hits.end(), [&](const Hit& a, const Hit& b) {
        const Row& x = rows[std::size_t(a.message)];
        const Row& y = rows[std::size_t(b.message)];
        int by = StoredValue::Compare(*a.chat, *b.chat);
        if (by == 0)
            by = StoredValue::Compare(Cell(x, s.date), Cell(y, s.date));
        return by != 0 ? by < 0 : x.rowid < y.rowid;
    });
    struct Chat
    {
        std::unique_ptr<ConversationRecord> record;
        int recovered = 0;
    };
    std::map<qint64, Chat> chats;
    int done = 0;
    for (const Hit& hit : hits) {
        if (++done % StopEvery == 0 && !m_context.KeepAlive())
            return false;
        const qint64 id = hit.chat->Int();
        if (!s.chats.Rowids().contains(id))
            continue;
        Chat& chat = chats[id];
        if (!chat.record) {
            chat.record = std::make_unique<ConversationRecord>();
            chat.record->SetRow(SmsStore, id);
        }
        const Row& message = rows[std::size_t(hit.message)];
        MessageEntryRecord& entry = addEntry(*chat.record, message, nullptr);
        if (hit.recovered) {
            ++chat.recovered;
            entry.SetSource(DeletedRecords::MarkSource(MMobile::MD_MESSAGE), false);
        }
        if (withAttachments.contains(message.rowid))
            chatOfMessage.insert(message.rowid, chat.record.get());
    }
    // Their participants, in the order of the joins; chats without a
    // message make no record.
    for (const std::size_t j : Ordered(s.chatHandles, s.handleChat, s.handleOfChat)) {
        const Row& join = s.chatHandles.Rows()[j];
        const auto chat = chats.find(Cell(join, s.handleChat).Int());
        if (chat != chats.end())
            reader.AddParticipant(*chat->second.record,
                                  s.handleIds.value(Cell(join, s.handleOfChat).Int()));
    }
    for (auto& chat : chats)
        items.push_back(
            ReaderContext::MakeItem(std::move(chat.second.record), chat.second.recovered > 0));

    // The messages no chat holds, one conversation per handle.
    RowidList inChats;
    for (const auto& [table, chat, message, recovered] : joins) {
        Q_UNUSED(recovered)
        for (const Row& join : table->Rows()) {
            const StoredValue& id = Cell(join, chat);
            if (IsInteger(id) && s.chats.Rowids().contains(id.Int()) &&
                IsInteger(Cell(join, message)))
                inChats.insert(Cell(join, message).Int());
        }
    }
    inChats.seal();
    std::vector<int> chatless;
    for (const int m : messages) {
        if (!inChats.contains(rows[std::size_t(m)].rowid))
            chatless.push_back(m);
    }
    std::sort(chatless.begin(), chatless.end(), [&](int a, int b) {
        const Row& x = rows[std::size_t(a)];
        const Row& y = rows[std::size_t(b)];
        int by = StoredValue::Compare(Cell(x, s.handle), Cell(y, s.handle));
        if (by == 0)
            by = StoredValue::Compare(Cell(x, s.date), Cell(y, s.date));
        return by != 0 ? by < 0 : x.rowid < y.rowid;
    });
    std::unique_ptr<ConversationRecord> chat;
    qint64 chatHandle = -1;
    QByteArray sender;
    for (const int m : chatless) {
        if (++done % StopEvery == 0 && !m_context.KeepAlive())
            return false;
        const Row& message = rows[std::size_t(m)];
        const qint64 handle = Cell(message, s.handle).Int();
        if (!chat || handle != chatHandle) {
            if (chat)
                items.push_back(ReaderContext::MakeItem(std::move(chat)));
            chat = reader.HandleConversation(s.handleIds.value(handle), sender);
            chatHandle = handle;
        }
        addEntry(*chat, message, &sender);
        if (withAttachments.contains(message.rowid))
            chatOfMessage.insert(message.rowid, chat.get());
    }
    if (chat)
        items.push_back(ReaderContext::MakeItem(std::move(chat)));

    // Their files, by message.
    const int fileName = s.files.Column("filename");
    const int transferName = s.files.Column("transfer_name");
    if (!attachments || fileName < 0 || transferName < 0 || chatOfMessage.isEmpty())
        return true;
    QHash<qint64, std::size_t> fileRows;
    for (std::size_t f = 0; f < s.files.Rows().size(); ++f)
        fileRows.insert(s.files.Rows()[f].rowid, f);
    const int fileOfMessage = s.fileJoins.Column("attachment_id");
    std::vector<std::pair<const Row*, std::size_t>> files;
    for (const Row& join : s.fileJoins.Rows()) {
        const StoredValue& file = Cell(join, fileOfMessage);
        const auto row = IsInteger(file) ? fileRows.constFind(file.Int()) : fileRows.constEnd();
        if (row != fileRows.constEnd())
            files.emplace_back(&join, *row);
    }
    std::stable_sort(files.begin(), files.end(), [&](const auto& a, const auto& b) {
        const int by =
            StoredValue::Compare(Cell(*a.first, fileMessage), Cell(*b.first, fileMessage));
        return by != 0 ? by < 0 : s.files.Rows()[a.second].rowid < s.files.Rows()[b.second].rowid;
    });
    for (const auto& file : files) {
        ConversationRecord* owner = chatOfMessage.value(Cell(*file.first, fileMessage).Int());
        const Row& row = s.files.Rows()[file.second];
        if (owner)
            reader.AttachFile(*owner, QString::fromUtf8(Cell(row, fileName).Text()),
                              QString::fromUtf8(Cell(row, transferName).Text()));
    }
    return true;
}
