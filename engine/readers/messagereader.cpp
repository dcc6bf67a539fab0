#include "messagereader.h"

#include "appletime.h"
#include "attributedbody.h"
#include "backupmanifest.h"
#include "conversationrecord.h"
#include "deletedrecords.h"
#include "engineitem.h"
#include "filerecord.h"
#include "messageentryrecord.h"
#include "messageorder.h"
#include "rowidlist.h"
#include "schemaprobe.h"
#include "sqlitedb.h"

#include <QFileInfo>

#include <QSet>
#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace {

using Row = SqliteDb::Row;

const char* const SmsStore = "Library/SMS/sms.db";
const QString SmsPath = QString::fromLatin1(SmsStore);

// Attachment paths are stored as seen on the phone ("~/Library/SMS/...").
QString MediaRelativePath(QString path)
{
    if (path.startsWith(QLatin1String("~/")))
        path.remove(0, 2);
    else if (path.startsWith(QLatin1String("/var/mobile/")))
        path.remove(0, 12);
    return path;
}

// The text of a message with an attachment holds U+FFFC where the file stood.
bool HasObjectMark(TextPiece text)
{
    // Its first byte is looked for with memchr, the fastest search there
    // is: most texts have none, and every message is asked.
    const char* at = text.data;
    const char* const end = text.data + text.size;
    while (at && end - at >= 3) {
        at = static_cast<const char*>(std::memchr(at, 0xEF, size_t(end - at - 2)));
        if (at && at[1] == '\xBF' && at[2] == '\xBC')
            return true;
        if (at)
            ++at;
    }
    return false;
}

} // namespace

bool MessageReader::ReadConversations(ReaderContext::Items& items)
{
    SqliteDb db;
    const ReaderContext::OpenResult open =
        m_context.OpenDatabase(QString::fromLatin1(ReaderContext::HomeDomain), SmsPath, db);
    if (open != ReaderContext::OPEN_OK)
        return open == ReaderContext::OPEN_ABSENT;
    SchemaProbe schema(db, QStringLiteral("sms.db"));
    const QString missing = schema.MissingTable(
        {QStringLiteral("message"), QStringLiteral("handle"), QStringLiteral("chat"),
         QStringLiteral("chat_message_join"), QStringLiteral("chat_handle_join")});
    if (!missing.isEmpty())
        return m_context.Fail(QStringLiteral("sms.db lacks the table %1").arg(missing));

    QHash<qint64, QString> handles;
    bool ok = db.Query(QStringLiteral("SELECT ROWID, id FROM handle"), [&handles](const Row& row) {
        handles.insert(row.Int(0), row.String(1));
        return true;
    });
    // Messages name only their handles' people.
    m_context.NameOnly(handles.values());
    // Items are made at the end: a conversation with recently deleted
    // messages reports itself deleted, so the only-deleted switch shows it.
    struct Chat
    {
        std::unique_ptr<ConversationRecord> record;
        int live = 0;
        int recovered = 0;
    };
    std::vector<Chat> read;
    QHash<qint64, std::size_t> chatIndex;
    ok = ok &&
         db.Query(QStringLiteral("SELECT ROWID FROM chat ORDER BY ROWID"), [&](const Row& row) {
             chatIndex.insert(row.Int(0), read.size());
             read.emplace_back();
             read.back().record = std::make_unique<ConversationRecord>();
             read.back().record->SetRow(SmsStore, row.Int(0));
             return true;
         });
    const auto chatOf = [&](qint64 id) -> Chat* {
        const auto it = chatIndex.constFind(id);
        return it == chatIndex.constEnd() ? nullptr : &read[it.value()];
    };
    ok = ok && db.Query(QStringLiteral("SELECT chat_id, handle_id FROM chat_handle_join "
                                       "ORDER BY chat_id, handle_id"),
                        [&](const Row& row) {
                            Chat* found = chatOf(row.Int(0));
                            if (!found)
                                return true;
                            AddParticipant(*found->record, handles.value(row.Int(1)));
                            return true;
                        });
    // iOS 16 keeps recently deleted messages apart, still tied to their chat.
    const bool recoverable = schema.HasTable(QStringLiteral("chat_recoverable_message_join"));
    const QString joins =
        recoverable ? QStringLiteral("(SELECT chat_id, message_id, 0 AS recovered FROM "
                                     "chat_message_join UNION ALL SELECT chat_id, message_id, 1 "
                                     "FROM chat_recoverable_message_join)")
                    : QStringLiteral("(SELECT chat_id, message_id, 0 AS recovered FROM "
                                     "chat_message_join)");
    // From iOS 16 on many messages have their text only in attributedBody.
    const bool bodies =
        schema.HasColumn(QStringLiteral("message"), QStringLiteral("attributedBody"));
    qint64 total = 0;
    ok = ok &&
         db.Query(QStringLiteral("SELECT count(*) FROM %1").arg(joins), [&total](const Row& row) {
             total = row.Int(0);
             return false;
         });
    if (!ok)
        return m_context.Fail(db.LastError());

    // The chat of each message that has attachments, for their query below;
    // only those are kept, not a map entry per message.
    const bool attachments =
        schema.Optional(QStringLiteral("attachment"), QStringLiteral("attachments")) &&
        schema.Optional(QStringLiteral("message_attachment_join"), QStringLiteral("attachments"));
    QSet<qint64> withAttachments;
    if (attachments)
        db.Query(QStringLiteral("SELECT DISTINCT message_id FROM message_attachment_join"),
                 [&withAttachments](const Row& row) {
                     withAttachments.insert(row.Int(0));
                     return true;
                 });
    QHash<qint64, ConversationRecord*> chatOfMessage;
    RowidList inChats; // the messages of the chats' joins
    inChats.reserve(std::size_t(qMax<qint64>(0, total)));
    const QByteArray me("Me");
    qint64 done = 0;
    MessageOrder order(read.size());
    order.Reserve(std::size_t(qMax<qint64>(0, total)));
    // Unsorted: SQLite would sort every row with its texts, which costs as
    // much as the query; each conversation's entries are put in order below.
    ok = db.Query(
        QStringLiteral("SELECT j.chat_id, m.ROWID, m.text, m.handle_id, m.date, m.is_from_me, %1, "
                       "j.recovered FROM %2 j JOIN message m ON m.ROWID = j.message_id")
            .arg(bodies ? QStringLiteral("m.attributedBody") : QStringLiteral("NULL"), joins),
        [&](const Row& row) {
            Chat* found = chatOf(row.Int(0));
            if (found) {
                ConversationRecord* chat = found->record.get();
                // Only a join that names its chat holds the message for it.
                if (row.Type(0) == SQLITE_INTEGER)
                    inChats.insert(row.Int(1));
                ++(row.Int(7) != 0 ? found->recovered : found->live);
                const bool sent = row.Int(5) != 0;
                TextPiece text = row.Piece(2);
                if (text.IsEmpty() && !row.IsNull(6))
                    text = AttributedBody::Text(row.Piece(6));
                order.Add(std::size_t(found - read.data()), row, 4, row.Int(1));
                MessageEntryRecord& entry = AddEntry(*chat, sent, row.Int(1), text,
                                                     sent ? me : SenderOf(row.Int(3), handles),
                                                     m_context.DateStamp(row, 4).Piece());
                // The phone's own mark: kept apart, still in its chat.
                if (row.Int(7) != 0)
                    entry.SetSource(DeletedRecords::MarkSource(MMobile::MD_MESSAGE), false);
                if (withAttachments.contains(row.Int(1)))
                    chatOfMessage.insert(row.Int(1), chat);
            }
            return m_context.Tick(++done, total);
        });
    // A stop, or a query it interrupted, leaves what was read.
    m_context.Leave(read);
    if (!ok)
        return m_context.Fail(db.LastError());
    if (m_context.Stopped())
        return true;
    for (const auto& [chat, entries] : order.Disorder())
        read[chat].record->ReorderEntries(entries);
    for (Chat& chat : read)
        items.push_back(ReaderContext::MakeItem(std::move(chat.record), chat.recovered > 0));
    if (!ReadChatless(db, handles, bodies, inChats, withAttachments, chatOfMessage, items))
        return false;
    if (attachments)
        AttachFiles(db, chatOfMessage);
    return true;
}

// The records stay where the items hold them: the pointers in chatOfMessage
// are still good.
void MessageReader::AttachFiles(SqliteDb& db,
                                const QHash<qint64, ConversationRecord*>& chatOfMessage)
{
    db.Query(QStringLiteral("SELECT maj.message_id, a.filename, a.transfer_name FROM "
                            "message_attachment_join maj JOIN attachment a ON a.ROWID = "
                            "maj.attachment_id ORDER BY maj.message_id, a.ROWID"),
             [&](const Row& row) {
                 if (ConversationRecord* chat = chatOfMessage.value(row.Int(0)))
                     AttachFile(*chat, row.String(1), row.String(2));
                 return true;
             });
}

void MessageReader::AttachFile(ConversationRecord& chat, const QString& filename,
                               const QString& transferName)
{
    const QString relative = MediaRelativePath(filename);
    const QString path =
        m_context.Manifest().FindFile(QString::fromLatin1(ReaderContext::MediaDomain), relative);
    if (path.isEmpty()) {
        m_context.Skip();
        return;
    }
    chat.AddAttachment(
        {path, transferName.isEmpty() ? QFileInfo(relative).fileName() : transferName});
}

const QByteArray& MessageReader::SenderOf(qint64 handle, const QHash<qint64, QString>& handles)
{
    auto sender = m_senders.find(handle);
    if (sender == m_senders.end()) {
        const QString id = handles.value(handle);
        const QString name = m_context.ContactNameOf(id);
        sender = m_senders.insert(handle, (name.isEmpty() ? id : name).toUtf8());
    }
    return sender.value();
}

MessageEntryRecord& MessageReader::AddEntry(ConversationRecord& chat, bool sent, qint64 rowid,
                                            TextPiece text, TextPiece sender, TextPiece date)
{
    QByteArray clean;
    if (HasObjectMark(text)) {
        clean = QByteArray(text.data, text.size).replace("\xEF\xBF\xBC", "").trimmed();
        text = clean;
    }
    MessageEntryRecord& entry = chat.AddEntry(sent, text, sender, date);
    entry.SetRowid(rowid);
    return entry;
}

std::unique_ptr<ConversationRecord> MessageReader::HandleConversation(const QString& id,
                                                                      QByteArray& sender)
{
    auto chat = std::make_unique<ConversationRecord>();
    chat->SetRow(SmsStore, -1);
    AddParticipant(*chat, id);
    const QString name = m_context.ContactNameOf(id);
    sender = (name.isEmpty() ? id : name).toUtf8();
    return chat;
}

void MessageReader::AddParticipant(ConversationRecord& chat, const QString& id)
{
    RecordText& participant = chat.AddParticipant();
    participant.Set(ConversationRecord::Name, m_context.ContactNameOf(id));
    const bool email = id.contains(QLatin1Char('@'));
    participant.Set(ConversationRecord::Phone, email ? QString("") : id);
    participant.Set(ConversationRecord::Email, email ? id : QString(""));
}

bool MessageReader::ReadChatless(SqliteDb& db, const QHash<qint64, QString>& handles, bool bodies,
                                 RowidList& inChats, const QSet<qint64>& withAttachments,
                                 QHash<qint64, ConversationRecord*>& chatOfMessage,
                                 ReaderContext::Items& items)
{
    // Messages that no chat holds (their chat deleted on the phone, a join
    // row lost) are still the user's: one conversation per handle, after the
    // chats. They are those the chats' query did not give: the message
    // table's smallest index lists every rowid, and only the others' rows are
    // read (a second join of every message costs as much as the first).
    inChats.seal();
    QStringList lost;
    qint64 done = 0;
    bool ok = db.Query(QStringLiteral("SELECT ROWID FROM message"), [&](const Row& row) {
        if (!inChats.contains(row.Int(0)))
            lost << QString::number(row.Int(0));
        return ++done % 1024 != 0 || m_context.KeepAlive();
    });
    if (!ok || lost.isEmpty())
        return ok || m_context.Fail(db.LastError());
    std::unique_ptr<ConversationRecord> chat;
    qint64 chatHandle = -1;
    QByteArray sender;
    // The rowids are numbers this reader writes, never text of the backup.
    ok = db.Query(
        QStringLiteral("SELECT m.handle_id, m.text, %1, m.date, m.is_from_me, m.ROWID FROM message "
                       "m WHERE m.ROWID IN (%2) ORDER BY m.handle_id, m.date, m.ROWID")
            .arg(bodies ? QStringLiteral("m.attributedBody") : QStringLiteral("NULL"),
                 lost.join(QLatin1Char(','))),
        [&](const Row& row) {
            const qint64 handle = row.Int(0);
            if (!chat || handle != chatHandle) {
                if (chat)
                    items.push_back(ReaderContext::MakeItem(std::move(chat)));
                chat = HandleConversation(handles.value(handle), sender);
                chatHandle = handle;
            }
            const bool sent = row.Int(4) != 0;
            TextPiece text = row.Piece(1);
            if (text.IsEmpty() && !row.IsNull(2))
                text = AttributedBody::Text(row.Piece(2));
            AddEntry(*chat, sent, row.Int(5), text, sent ? TextPiece("Me", 2) : sender,
                     m_context.DateStamp(row, 3).Piece());
            if (withAttachments.contains(row.Int(5)))
                chatOfMessage.insert(row.Int(5), chat.get());
            return !m_context.Stopped();
        });
    if (chat)
        items.push_back(ReaderContext::MakeItem(std::move(chat)));
    return ok || m_context.Fail(db.LastError());
}

bool MessageReader::ReadAttachments(ReaderContext::Items& items)
{
    SqliteDb db;
    const ReaderContext::OpenResult open =
        m_context.OpenDatabase(QString::fromLatin1(ReaderContext::HomeDomain), SmsPath, db);
    if (open != ReaderContext::OPEN_OK)
        return open == ReaderContext::OPEN_ABSENT;
    SchemaProbe schema(db, QStringLiteral("sms.db"));
    if (!schema.HasTable(QStringLiteral("attachment")))
        return m_context.Fail(QStringLiteral("sms.db lacks the table attachment"));
    BackupManifest& manifest = m_context.Manifest();
    const QString media = QString::fromLatin1(ReaderContext::MediaDomain);
    const bool ok = db.Query(
        QStringLiteral(
            "SELECT filename, transfer_name, %1, ROWID FROM attachment ORDER BY %1, ROWID")
            .arg(schema.Column(QStringLiteral("attachment"), QString(),
                               QStringLiteral("created_date"))),
        [&](const Row& row) {
            const QString relative = MediaRelativePath(row.String(0));
            const QString path = manifest.FindFile(media, relative);
            if (path.isEmpty()) {
                m_context.Skip();
                return true;
            }
            QString name = row.String(1);
            if (name.isEmpty())
                name = QFileInfo(relative).fileName();
            auto record = std::make_unique<FileRecord>(
                FileRecord::KindOfName(name),
                static_cast<std::uint64_t>(qMax<qint64>(0, AppleTime::ToUnix(row.Real(2)))));
            record->Text().Set(FileRecord::FilePath, path);
            record->Text().Set(FileRecord::DisplayText, name);
            record->SetRow(SmsStore, row.Int(3));
            items.push_back(ReaderContext::MakeItem(std::move(record)));
            return m_context.Tick(static_cast<qint64>(items.size()), 0);
        });
    return ok || m_context.Fail(db.LastError());
}
