#include "deletedrecords.h"

#include "backupmanifest.h"
#include "carvedmessages.h"
#include "contactsearchindex.h"
#include "conversationrecord.h"
#include "deletedrows.h"
#include "engineitem.h"
#include "messageentryrecord.h"
#include "whatsapprecord.h"

#include <map>

namespace {

using Table = DeletedRows::Table;
using Store = DeletedRecords::Store;

Table Records(const char* name, const char* identity = "", const char* keepLive = "0",
              const char* logged = "")
{
    return {QString::fromLatin1(name), Table::Records, QString::fromLatin1(keepLive),
            QString::fromLatin1(identity), QString::fromLatin1(logged)};
}

Table Support(const char* name, const char* keepLive = "1")
{
    return {QString::fromLatin1(name), Table::Support, QString::fromLatin1(keepLive), QString(),
            QString()};
}

} // namespace

// Which tables of which database hold the category's records, and what of
// the live rows their reader needs beside them.
std::vector<Store> DeletedRecords::StoresOf(MMobile::MDType type)
{
    const char* home = ReaderContext::HomeDomain;
    switch (type) {
    case MMobile::MD_CONTACT: {
        // A person whose row is gone may live on in the search index and in
        // the values he owned: people of their own where carving found no row
        // of theirs, those the index names completed from what it knows, and
        // values no index row names one nameless person per record id.
        Table people = Records("ABPerson", "GUID", "0",
                               "SELECT record FROM ABPersonChanges WHERE record NOT IN (SELECT "
                               "ROWID FROM ABPerson)");
        const QString lost = QLatin1String(ContactSearchIndex::LostTable);
        people.remnants = {
            {QByteArrayLiteral("full-text index"),
             {lost},
             QStringLiteral("INSERT OR IGNORE INTO main.ABPerson (ROWID) SELECT docid FROM "
                            "main.%1 WHERE docid < %2")
                 .arg(lost)
                 .arg(DeletedRows::LostRowids)},
            {QByteArrayLiteral("leftover values"),
             {lost, QStringLiteral("ABMultiValue")},
             QStringLiteral("INSERT OR IGNORE INTO main.ABPerson (ROWID) SELECT DISTINCT record_id "
                            "FROM main.ABMultiValue WHERE property IN (3, 4) AND record_id < %2 "
                            "AND record_id NOT IN (SELECT docid FROM main.%1)")
                 .arg(lost)
                 .arg(DeletedRows::LostRowids)}};
        // A carved person whose rowid was overwritten is the one the index
        // row of his name holds (the first two columns, in every generation).
        people.identify =
            QStringLiteral("SELECT p.ROWID, min(f.docid) FROM main.ABPerson p JOIN main.%1 f "
                           "ON f.c0First IS p.First AND f.c1Last IS p.Last WHERE p.ROWID >= "
                           "%2 AND f.docid < %2 AND coalesce(p.First, p.Last) IS NOT NULL AND "
                           "f.docid NOT IN (SELECT ROWID FROM main.ABPerson) GROUP BY p.ROWID")
                .arg(lost, QStringLiteral("%1"));
        people.complete = &ContactSearchIndex::Complete;
        Table index =
            Support(ContactSearchIndex::Table, "docid NOT IN (SELECT ROWID FROM live.ABPerson)");
        index.layout = lost;
        return {{home,
                 "Library/AddressBook/AddressBook.sqlitedb",
                 {people, index,
                  Support("ABMultiValue", "record_id NOT IN (SELECT ROWID FROM live.ABPerson)"),
                  Support("ABMultiValueEntry", "parent_id IN (SELECT UID FROM main.ABMultiValue)"),
                  Support("ABMultiValueLabel"), Support("ABMultiValueEntryKey")},
                 {}}};
    }
    case MMobile::MD_MESSAGE:
        // A message whose join row is lost joins the chat of its handle.
        return {
            {home,
             "Library/SMS/sms.db",
             {Records("message", "guid"), Support("handle"), Support("chat"),
              Support("chat_handle_join"), Support("chat_message_join", "0"),
              Support("chat_recoverable_message_join", "0"),
              Support("message_attachment_join", "0"),
              Support("attachment",
                      "ROWID IN (SELECT attachment_id FROM main.message_attachment_join)")},
             {// A carved chat whose rowid was overwritten is the chat its
              // handle's surviving join row names.
              QStringLiteral("UPDATE OR IGNORE main.chat SET ROWID = (SELECT j.chat_id FROM "
                             "main.chat_handle_join j JOIN main.handle h ON h.ROWID = "
                             "j.handle_id WHERE h.id = chat.chat_identifier AND j.chat_id NOT "
                             "IN (SELECT ROWID FROM main.chat)) WHERE ROWID >= 281474976710656 "
                             "AND EXISTS (SELECT 1 FROM main.chat_handle_join j JOIN "
                             "main.handle h ON h.ROWID = j.handle_id WHERE h.id = "
                             "chat.chat_identifier AND j.chat_id NOT IN (SELECT ROWID FROM "
                             "main.chat))"),
              // A chat known only by its join rows is a chat still, with the
              // people its messages came from where no handle join is left.
              QStringLiteral("INSERT OR IGNORE INTO main.chat (ROWID, guid) SELECT DISTINCT "
                             "chat_id, 'deleted;' || chat_id FROM main.chat_handle_join WHERE "
                             "chat_id NOT IN (SELECT ROWID FROM main.chat)"),
              QStringLiteral("INSERT OR IGNORE INTO main.chat (ROWID, guid) SELECT DISTINCT "
                             "chat_id, 'deleted;' || chat_id FROM main.chat_message_join WHERE "
                             "chat_id IS NOT NULL AND chat_id NOT IN (SELECT ROWID FROM "
                             "main.chat)"),
              QStringLiteral("INSERT INTO main.chat_handle_join (chat_id, handle_id) SELECT "
                             "DISTINCT j.chat_id, m.handle_id FROM main.chat_message_join j JOIN "
                             "main.message m ON m.ROWID = j.message_id WHERE m.handle_id > 0 AND "
                             "j.chat_id NOT IN (SELECT chat_id FROM main.chat_handle_join)"),
              QStringLiteral("INSERT OR IGNORE INTO main.chat_message_join (chat_id, message_id) "
                             "SELECT min(j.chat_id), m.ROWID FROM main.message m JOIN "
                             "main.chat_handle_join j ON j.handle_id = m.handle_id WHERE "
                             "m.ROWID NOT IN (SELECT message_id FROM main.chat_message_join) "
                             "GROUP BY m.ROWID")}}};
    case MMobile::MD_CALL_HISTORY:
        return {{home,
                 "Library/CallHistoryDB/CallHistory.storedata",
                 // The entities' names, for a merge into another generation.
                 {Records("ZCALLRECORD", "ZUNIQUE_ID"), Support("Z_PRIMARYKEY")},
                 {}},
                {ReaderContext::WirelessDomain,
                 "Library/CallHistory/call_history.db",
                 {Records("call")},
                 {}}};
    case MMobile::MD_CALENDAR:
    case MMobile::MD_REMINDER:
        return {{home,
                 "Library/Calendar/Calendar.sqlitedb",
                 {Records("CalendarItem", "UUID"),
                  Support("Location", "ROWID IN (SELECT location_id FROM main.CalendarItem)"),
                  Support("Calendar")},
                 {}}};
    case MMobile::MD_NOTE: {
        // Folders share the newer store's table with the notes. A copy of a
        // note whose rowid was overwritten is an older copy of the carved
        // note with the same text row (a title its last save cleared).
        Table objects = Records("ZICCLOUDSYNCINGOBJECT", "ZIDENTIFIER",
                                "ZNOTEDATA IS NULL AND ZTITLE1 IS NULL");
        objects.copyOf = QStringLiteral(
            "SELECT l.ROWID, k.ROWID FROM main.ZICCLOUDSYNCINGOBJECT l JOIN "
            "main.ZICCLOUDSYNCINGOBJECT k ON k.ZNOTEDATA = l.ZNOTEDATA WHERE l.ROWID >= %1 AND "
            "k.ROWID < %1");
        return {{home,
                 "Library/Notes/notes.sqlite",
                 {Records("ZNOTE"), Support("ZNOTEBODY", "ZOWNER IN (SELECT Z_PK FROM main.ZNOTE)"),
                  Support("ZFOLDER")},
                 {}},
                {ReaderContext::NotesDomain,
                 "NoteStore.sqlite",
                 {objects, Support("ZICNOTEDATA",
                                   "Z_PK IN (SELECT ZNOTEDATA FROM main.ZICCLOUDSYNCINGOBJECT)")},
                 {}}};
    }
    case MMobile::MD_SAFARI_BOOKMARK:
        return {{home, "Library/Safari/Bookmarks.db", {Records("bookmarks", "", "type = 1")}, {}}};
    case MMobile::MD_WHATSAPP_MESSAGE:
        return {{ReaderContext::WhatsAppDomain,
                 "ChatStorage.sqlite",
                 {Records("ZWAMESSAGE", "ZSTANZAID"), Support("ZWACHATSESSION"),
                  Support("ZWAGROUPMEMBER"), Support("ZWAPROFILEPUSHNAME"),
                  Support("ZWAMEDIAITEM", "ZMESSAGE IN (SELECT Z_PK FROM main.ZWAMESSAGE)")},
                 {}}};
    default:
        return {};
    }
}

namespace {

// A conversation or chat that got no recovered message is no record of one.
bool HasContent(EngineItem& item)
{
    EngineRecord* record = item.Engine();
    if (auto* conversation = dynamic_cast<ConversationRecord*>(record))
        return conversation->GetEntryCount() > 0;
    if (auto* chat = dynamic_cast<WhatsAppRecord*>(record))
        return chat->GetEntryCount() > 0;
    return record != nullptr;
}

// Who a conversation or chat is with, so that its deleted messages from
// several carved sources make one deleted item; empty for other records.
QByteArray ChatKey(EngineRecord* record)
{
    QByteArray key;
    if (auto* conversation = dynamic_cast<ConversationRecord*>(record)) {
        // Participants nobody knows (their handle lost) tell no two
        // conversations apart: such a conversation joins no other.
        bool known = false;
        for (unsigned int i = 0; i < conversation->GetParticipantCount(); ++i) {
            const QByteArray phone = conversation->GetParticipantPhone(i);
            const QByteArray email = conversation->GetParticipantEmail(i);
            known = known || !phone.isEmpty() || !email.isEmpty();
            key += phone + '\x1f' + email + '\x1e';
        }
        return known ? "c" + key : QByteArray();
    }
    if (auto* chat = dynamic_cast<WhatsAppRecord*>(record))
        return QByteArray("w") + chat->GetChatName() + '\x1f' + chat->GetPartnerPhone();
    return key;
}

// Tells each message of a conversation or chat where it was found, so
// that it keeps saying so once chats of several sources are joined.
void TagEntries(EngineRecord* record, const QByteArray& source)
{
    auto tag = [&source](auto* chat) {
        for (unsigned int i = 0; i < chat->GetEntryCount(); ++i) {
            if (auto* entry = dynamic_cast<MessageEntryRecord*>(chat->GetEntry(i)))
                entry->SetSource(source);
        }
    };
    if (auto* conversation = dynamic_cast<ConversationRecord*>(record))
        tag(conversation);
    else if (auto* chat = dynamic_cast<WhatsAppRecord*>(record))
        tag(chat);
}

// Moves the messages of `item` into the item of the same chat already found
// (adding `source` to its sources); false when there is none yet.
bool JoinChat(std::map<QByteArray, EngineItem*>& chats, EngineItem& item, const QByteArray& source)
{
    const QByteArray key = ChatKey(item.Engine());
    if (key.isEmpty())
        return false;
    const auto found = chats.emplace(key, &item);
    if (found.second)
        return false;
    EngineItem& into = *found.first->second;
    if (auto* conversation = dynamic_cast<ConversationRecord*>(into.Engine()))
        conversation->Absorb(*static_cast<ConversationRecord*>(item.Engine()));
    else
        static_cast<WhatsAppRecord*>(into.Engine())
            ->Absorb(*static_cast<WhatsAppRecord*>(item.Engine()));
    if (!(", " + into.Source() + ", ").contains(", " + source + ", "))
        into.SetDeleted(into.Source() + ", " + source);
    return true;
}

} // namespace

DeletedRecords::DeletedRecords(ReaderContext& context, MMobile::MDType type)
    : m_context(context), m_type(type), m_stores(StoresOf(type))
{
}

DeletedRecords::~DeletedRecords()
{
    // The carving threads settle the carved messages: they end first. A
    // stopped scan leaves what the messages built unfreed.
    m_rows.clear();
    m_context.Leave(m_messages);
}

void DeletedRecords::Begin()
{
    m_begun = true;
    const QString error = m_context.ErrorText();
    // The scan reads carved messages as they are (CarvedMessages), never
    // laid out: of a message's many columns it keeps only those it reads.
    // (A merge lays them out, whole.)
    if (m_type == MMobile::MD_MESSAGE) {
        for (Store& store : m_stores) {
            for (Table& table : store.tables) {
                if (table.name == QLatin1String("message"))
                    table.read = CarvedMessages::MessageColumns();
            }
        }
    }
    for (const Store& store : m_stores) {
        const QString domain = QString::fromLatin1(store.domain);
        const QString path = QString::fromLatin1(store.path);
        auto rows = std::make_unique<DeletedRows>(m_context);
        std::unique_ptr<CarvedMessages> messages;
        DeletedRows::AfterCarving after;
        if (m_type == MMobile::MD_MESSAGE) {
            messages = std::make_unique<CarvedMessages>(m_context, *rows);
            after = [settle = messages.get()](const std::atomic<bool>& stop) {
                settle->SettleAhead(stop);
            };
        }
        if (m_context.Stopped() || !m_context.Manifest().Lists(domain, path) ||
            !rows->StartCarving(domain, path, store.tables, store.fixups, std::move(after))) {
            rows.reset();
            messages.reset();
        }
        m_rows.push_back(std::move(rows));
        m_messages.push_back(std::move(messages));
    }
    // What the carving lacked is no failure of the category.
    m_context.Fail(error);
}

bool DeletedRecords::Carves(MMobile::MDType type)
{
    return !StoresOf(type).empty();
}

QByteArray DeletedRecords::MarkSource(MMobile::MDType type)
{
    switch (type) {
    case MMobile::MD_MESSAGE:
        return QByteArrayLiteral("recently deleted");
    case MMobile::MD_NOTE:
        return QByteArrayLiteral("Recently Deleted folder");
    case MMobile::MD_PHOTO:
        return QByteArrayLiteral("recently deleted album");
    case MMobile::MD_REMINDER:
        return QByteArrayLiteral("marked for deletion");
    default:
        return QByteArrayLiteral("marked deleted");
    }
}

void DeletedRecords::Read(const ReadFunction& read, ReaderContext::Items& items)
{
    if (!m_begun)
        Begin();
    const std::vector<Store>& stores = m_stores;
    const QString error = m_context.ErrorText();
    // The carving takes the last fifth of the read, shared by the databases.
    const int count = int(stores.size());
    std::map<QByteArray, EngineItem*> chats;
    for (int s = 0; s < count; ++s) {
        const Store& store = stores[std::size_t(s)];
        const int end = 80 + 20 * (s + 1) / count;
        m_context.SetProgressPart(80 + 20 * s / count, end);
        // Where the carving begins, so that its share of the scan shows.
        if (!m_context.Report(0))
            break;
        const QString domain = QString::fromLatin1(store.domain);
        const QString path = QString::fromLatin1(store.path);
        DeletedRows* carved = m_rows[std::size_t(s)].get();
        if (!carved || !carved->FinishCarving())
            continue;
        DeletedRows& rows = *carved;
        // Messages are made straight from their carved rows; the other
        // categories' readers read theirs from a scratch database.
        std::unique_ptr<CarvedMessages> messages = std::move(m_messages[std::size_t(s)]);
        for (const QByteArray& source : rows.Sources()) {
            ReaderContext::Items found;
            const QString file = messages ? QString() : rows.Build(source);
            const bool laidOut = messages ? messages->Read(source, found) : !file.isEmpty();
            if (m_context.Stopped())
                break;
            if (!laidOut) {
                // The deleted rows were found but cannot be read: counted,
                // never silent.
                m_context.Skip();
                break;
            }
            m_context.SetProgressPart(end, end);
            bool ok = true;
            if (!messages) {
                m_context.Redirect(domain, path, file);
                ok = read(found);
                m_context.EndRedirect();
            }
            if (!ok) {
                qCInfo(lcReaders).noquote()
                    << "the deleted rows of" << path << "cannot be read:" << m_context.ErrorText();
                continue;
            }
            int recovered = 0;
            for (auto& item : found) {
                if (!HasContent(*item))
                    continue;
                ++recovered;
                item->Engine()->SetOrigin(source);
                TagEntries(item->Engine(), source);
                if (JoinChat(chats, *item, source))
                    continue;
                item->SetDeleted(source);
                items.push_back(std::move(item));
            }
            qCDebug(lcReaders).noquote()
                << path << ":" << recovered << "deleted records from" << source;
        }
        // A stop is answered without freeing what the carved messages built.
        m_context.Leave(messages);
    }
    // What the deleted rows lacked is no failure of the category.
    m_context.Fail(error);
}
