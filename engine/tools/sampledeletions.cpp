#include "sampledeletions.h"

#include "samplebackupcontent.h"
#include "sampleleafplaces.h"
#include "sqlitewriter.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUuid>

#include <algorithm>

namespace {

// Rows off the table's last leaf: deleting there leaves it underfull, and
// SQLite then moves cells of its neighbours into the freed space.
QString Inside(const char* table, const char* key)
{
    const QString column = QString::fromLatin1(key);
    return QStringLiteral(" AND %2 < (SELECT max(%3) - 64 FROM %1)")
        .arg(QLatin1String(table), column, column.section(QLatin1Char('.'), -1));
}

// The conversation deleted whole, chat and all: its chat's rowid is its index + 1.
constexpr int DeletedConversation = 5;

// A call as the page shows it, its address and its whole seconds as
// HH:mm:ss, then the address again (the probe), as three SQL columns.
QString CallKey(const QString& address, const QString& duration)
{
    const QString seconds = QStringLiteral("CAST(") + duration + QStringLiteral(" AS INTEGER)");
    return address + QStringLiteral(" || '|' || printf('%02d:%02d:%02d', ") + seconds +
           QStringLiteral(" / 3600, ") + seconds + QStringLiteral(" / 60 % 60, ") + seconds +
           QStringLiteral(" % 60), ") + address;
}

// Messages with a text, of a chat the deletions leave, without attachments,
// off the table's last leaf, whose rowid leaves `residue` modulo 15: rowid,
// "<chat identifier>|<text>", GUID.
QString MessageChats(int residue)
{
    return QStringLiteral("SELECT m.ROWID, c.chat_identifier || '|' || m.text, m.guid FROM "
                          "message m JOIN chat_message_join j ON j.message_id = m.ROWID JOIN chat "
                          "c ON c.ROWID = j.chat_id WHERE m.text IS NOT NULL AND m.ROWID % 15 = "
                          "%1 AND j.chat_id <> %2 AND m.ROWID NOT IN (SELECT message_id FROM "
                          "message_attachment_join)")
               .arg(residue)
               .arg(DeletedConversation + 1) +
           Inside("message", "m.ROWID");
}

// The statements that delete people "a,b,..." with their values and their
// rows of the search index; the people's own last.
QStringList PersonDeletes()
{
    return {QStringLiteral("DELETE FROM ABMultiValueEntry WHERE parent_id IN (SELECT UID FROM "
                           "ABMultiValue WHERE record_id IN (%1))"),
            QStringLiteral("DELETE FROM ABMultiValue WHERE record_id IN (%1)"),
            QStringLiteral("DELETE FROM ABPersonFullTextSearch WHERE docid IN (%1)"),
            QStringLiteral("DELETE FROM ABPerson WHERE ROWID IN (%1)")};
}

const char* const PersonKey =
    "SELECT ROWID, trim(ifnull(First, '') || ' ' || ifnull(Last, '')), ifnull(First, '') || "
    "ifnull(Last, '') FROM ABPerson WHERE ";

} // namespace

void SampleDeletions::Place(const QString& category, const char* place, const Entry& entry)
{
    m_truth[category] << entry;
    m_truth[QStringLiteral("places")]
        << Entry{category + QLatin1Char('|') + QLatin1String(place) + QLatin1Char('|') + entry.key,
                 entry.probe};
}

bool SampleDeletions::Take(SqliteWriter& db, const QString& category, const QString& select,
                           const QStringList& deletes, const char* place)
{
    QStringList ids;
    for (const QVariantList& row : db.Select(select)) {
        ids << row.value(0).toString();
        const QString key = row.value(1).toString();
        if (key.isEmpty())
            continue;
        const Entry entry{key, row.value(2).toString()};
        if (place)
            Place(category, place, entry);
        else
            m_truth[category] << entry;
    }
    if (ids.isEmpty())
        return true;
    for (const QString& statement : deletes) {
        if (!db.Exec(statement.arg(ids.join(QLatin1Char(',')))))
            return false;
    }
    return true;
}

bool SampleDeletions::Delete(SqliteWriter& db, Store store, const SampleBackupContent& content)
{
    // The phone's settings; this build of SQLite may default to overwriting.
    if (!db.Exec(QStringLiteral("PRAGMA secure_delete=OFF")))
        return false;
    switch (store) {
    case Contacts: {
        // The address book logs each removal. Most people go with their
        // values and their row of the search index; some leave both behind;
        // of some only the search index keeps a trace, of others only their
        // values: their own rows were overwritten. None off the table's last
        // leaf, where PeoplePlaces() leaves its own.
        const QString inside = Inside("ABPerson", "ROWID");
        const QString all = QStringLiteral("(ROWID % 20 = 7 OR ROWID % 40 IN (13, 33))") + inside;
        if (!db.Exec(QStringLiteral("CREATE TABLE IF NOT EXISTS ABPersonChanges (record INTEGER, "
                                    "type INTEGER, Image INTEGER, ExternalIdentifier TEXT, "
                                    "StoreID INTEGER)")) ||
            !db.Exec(QStringLiteral("INSERT INTO ABPersonChanges (record, type) SELECT ROWID, 2 "
                                    "FROM ABPerson WHERE ") +
                     all))
            return false;
        const QString name =
            QStringLiteral("trim(ifnull(p.First, '') || ' ' || ifnull(p.Last, ''))");
        // "<name>|<value>" of each value a reader can still find, the name
        // "#<record id>" where nothing keeps it.
        const auto values = [&](const QString& who, const QString& which) {
            for (const QVariantList& row :
                 db.Select(QStringLiteral("SELECT %1, v.value FROM ABPerson p JOIN ABMultiValue v "
                                          "ON v.record_id = p.ROWID WHERE v.property IN (3, 4) "
                                          "AND (%2)")
                               .arg(who, which) +
                           Inside("ABPerson", "p.ROWID")))
                m_truth[QStringLiteral("contact values")]
                    << Entry{row.value(0).toString() + QLatin1Char('|') + row.value(1).toString(),
                             row.value(1).toString()};
        };
        values(name, QStringLiteral("p.ROWID % 40 IN (13, 27)"));
        values(QStringLiteral("'#' || p.ROWID"), QStringLiteral("p.ROWID % 40 = 33"));
        const QString person = QLatin1String(PersonKey);
        const QStringList gone = PersonDeletes();
        const QString& people = gone.last();
        return Take(db, QStringLiteral("contacts"),
                    person + QStringLiteral("ROWID % 40 = 7") + inside, gone) &&
               Take(db, QStringLiteral("contacts"),
                    person + QStringLiteral("ROWID % 40 = 27") + inside, {people}) &&
               db.Exec(QStringLiteral("PRAGMA secure_delete=ON")) &&
               Take(db, QStringLiteral("contacts"),
                    person + QStringLiteral("ROWID % 40 = 13") + inside,
                    {gone[0], gone[1], people}) &&
               Take(db, QString(),
                    QStringLiteral("SELECT ROWID FROM ABPerson WHERE ROWID % 40 = 33") + inside,
                    {gone[2], people}) &&
               db.Exec(QStringLiteral("PRAGMA secure_delete=OFF")) && PeoplePlaces(db);
    }
    case EarlyPeople:
        // Before the table gained its newer columns, each with his values and
        // his row of the search index; off the table's last leaf, which the
        // people added since fill.
        return Take(db, QStringLiteral("contacts"),
                    QLatin1String(PersonKey) + QStringLiteral("ROWID % 20 = 11") +
                        Inside("ABPerson", "ROWID"),
                    PersonDeletes(), "added column");
    case RootPeople: {
        // As the table outgrows its root page, with all that hangs on them,
        // overwritten where they lay: only the root, an interior page now,
        // keeps them (but where its child pointers went).
        if (!db.Exec(QStringLiteral("PRAGMA secure_delete=ON")) ||
            !Take(db, QStringLiteral("contacts"),
                  QLatin1String(PersonKey) + QStringLiteral("ROWID IN (4, 10, 17)"),
                  PersonDeletes(), "interior page") ||
            !db.Exec(QStringLiteral("PRAGMA secure_delete=OFF")))
            return false;
        ConfinePlace(QStringLiteral("contacts"), "interior page",
                     SampleLeafPlaces::RootPage(db, QStringLiteral("ABPerson")));
        return true;
    }
    case LoggedPeople:
        // After the last checkpoint: the file holds them live, the log without them.
        return Take(db, QStringLiteral("contacts"),
                    QLatin1String(PersonKey) +
                        QStringLiteral("ROWID % 20 = 3 AND ROWID <= %1")
                            .arg(m_committed.value(QStringLiteral("ABPerson"))),
                    PersonDeletes(), "WAL");
    case OlderMessages: {
        // Before the message table gained its newer columns, each with its
        // row joining it to its chat.
        QStringList ids;
        for (const QVariantList& row : db.Select(MessageChats(9))) {
            ids << row.value(0).toString();
            m_truth[QStringLiteral("message chats")]
                << Entry{row.value(1).toString(), row.value(2).toString()};
        }
        return Take(db, QStringLiteral("messages"),
                    QStringLiteral("SELECT ROWID, text, guid FROM message WHERE ROWID IN (%1)")
                        .arg(ids.join(QLatin1Char(','))),
                    {QStringLiteral("DELETE FROM chat_message_join WHERE message_id IN (%1)"),
                     QStringLiteral("DELETE FROM message WHERE ROWID IN (%1)")},
                    "added column");
    }
    case Messages: {
        // Each message goes with its row joining it to its chat, which
        // carving finds again; of some that row was overwritten, and only the
        // message's handle still tells its chat.
        QStringList ids, handleOnly;
        for (const QVariantList& row : db.Select(MessageChats(4))) {
            ids << row.value(0).toString();
            if (row.value(0).toLongLong() % 30 == 19)
                handleOnly << ids.last();
            m_truth[QStringLiteral("message chats")]
                << Entry{row.value(1).toString(), row.value(2).toString()};
        }
        return (handleOnly.isEmpty() ||
                db.Exec(QStringLiteral("PRAGMA secure_delete=ON; DELETE FROM chat_message_join "
                                       "WHERE message_id IN (%1); PRAGMA secure_delete=OFF")
                            .arg(handleOnly.join(QLatin1Char(','))))) &&
               Take(db, QStringLiteral("messages"),
                    QStringLiteral("SELECT ROWID, text, guid FROM message WHERE ROWID IN (%1)")
                        .arg(ids.join(QLatin1Char(','))),
                    {QStringLiteral("DELETE FROM chat_message_join WHERE message_id IN (%1)"),
                     QStringLiteral("DELETE FROM message WHERE ROWID IN (%1)")}) &&
               MessagePlaces(db, content);
    }
    case Conversation: {
        if (int(content.conversations.size()) <= DeletedConversation)
            return true;
        // Its messages are rows (index * 75 + 1) on; many keep their text only
        // in attributedBody, so the keys come from what was written.
        const auto& messages = content.conversations[DeletedConversation].messages;
        for (const QVariantList& row :
             db.Select(QStringLiteral("SELECT message_id, m.guid FROM chat_message_join j JOIN "
                                      "message m ON m.ROWID = j.message_id WHERE j.chat_id = %1")
                           .arg(DeletedConversation + 1))) {
            const qint64 index = row.value(0).toLongLong() - 1 -
                                 qint64(DeletedConversation) * qint64(messages.size());
            if (index < 0 || index >= qint64(messages.size()))
                continue;
            const QString& text = messages[std::size_t(index)].text;
            Place(QStringLiteral("messages"), "WAL", Entry{text, row.value(1).toString()});
            m_truth[QStringLiteral("message chats")] << Entry{
                content.conversations[DeletedConversation].handle + QLatin1Char('|') + text,
                row.value(1).toString()};
        }
        const QString chat = QString::number(DeletedConversation + 1);
        return db.Exec(QStringLiteral("DELETE FROM message_attachment_join WHERE message_id IN "
                                      "(SELECT message_id FROM chat_message_join WHERE chat_id = "
                                      "%1); DELETE FROM message WHERE ROWID IN (SELECT message_id "
                                      "FROM chat_message_join WHERE chat_id = %1); DELETE FROM "
                                      "chat_message_join WHERE chat_id = %1; DELETE FROM "
                                      "chat_handle_join WHERE chat_id = %1; DELETE FROM chat "
                                      "WHERE ROWID = %1")
                           .arg(chat));
    }
    case Calls:
    case EarlyCalls:
    case OlderCalls:
    case LoggedCalls: {
        const bool old =
            !db.Select(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'call'")).isEmpty();
        const QString table = old ? QStringLiteral("call") : QStringLiteral("ZCALLRECORD");
        const QString id = old ? QStringLiteral("ROWID") : QStringLiteral("Z_PK");
        const QString key = old ? CallKey(QStringLiteral("address"), QStringLiteral("duration"))
                                : CallKey(QStringLiteral("ZADDRESS"), QStringLiteral("ZDURATION"));
        const QString remove = QStringLiteral("DELETE FROM %1 WHERE %2 IN (%3)").arg(table, id);
        const QString select = QStringLiteral("SELECT %1, %2 FROM %3 ").arg(id, key, table);
        // Calls deleted once the table has outgrown its root page, whose
        // leaf overwrote them: the root, an interior page now, still holds
        // its old cells (the page end aside, where its child pointers go).
        if (store == EarlyCalls) {
            if (!db.Exec(QStringLiteral("PRAGMA secure_delete=ON")) ||
                !Take(db, QStringLiteral("calls"),
                      select + QStringLiteral("WHERE %1 IN (9, 14, 20)").arg(id), {remove},
                      "interior page") ||
                !db.Exec(QStringLiteral("PRAGMA secure_delete=OFF")))
                return false;
            ConfinePlace(QStringLiteral("calls"), "interior page",
                         SampleLeafPlaces::RootPage(db, table));
            return true;
        }
        // In the log, after the calls since: no later call takes the pages
        // they free. Those of the file only.
        if (store == LoggedCalls) {
            const QStringList freed = SampleLeafPlaces::FreedPages(db, table, id);
            return Take(db, QStringLiteral("calls"), select + freed[0], {}) &&
                   Take(db, QStringLiteral("calls"), select + freed[1], {}, "freelist") &&
                   db.Exec(QStringLiteral("DELETE FROM %1 WHERE %2 IN (SELECT %2 FROM %1 %3)")
                               .arg(table, id, freed[2])) &&
                   Take(db, QStringLiteral("calls"),
                        select + QStringLiteral("WHERE %1 % 25 = 12 AND %1 <= %2")
                                     .arg(id)
                                     .arg(m_committed.value(table)),
                        {remove}, "WAL");
        }
        const QString inside = Inside(old ? "call" : "ZCALLRECORD", old ? "ROWID" : "Z_PK");
        if (store == OlderCalls)
            return Take(db, QStringLiteral("calls"),
                        select + QStringLiteral("WHERE %1 % 4 = 3").arg(id) + inside, {remove},
                        "added column");
        return Take(db, QStringLiteral("calls"),
                    select + QStringLiteral("WHERE %1 % 12 = 5").arg(id) + inside, {remove}) &&
               CallPlaces(db, old);
    }
    case Calendar:
        return Take(db, QStringLiteral("events"),
                    QStringLiteral(
                        "SELECT ROWID, summary, summary FROM CalendarItem WHERE entity_type = 2 "
                        "AND ROWID % 9 = 4"),
                    {QStringLiteral("DELETE FROM CalendarItem WHERE ROWID IN (%1)")}) &&
               Take(db, QStringLiteral("reminders"),
                    QStringLiteral(
                        "SELECT ROWID, summary, summary FROM CalendarItem WHERE entity_type = 3 "
                        "AND ROWID % 9 = 6"),
                    {QStringLiteral("DELETE FROM CalendarItem WHERE ROWID IN (%1)")});
    case LegacyNotes:
        return Take(db, QStringLiteral("notes"),
                    QStringLiteral("SELECT Z_PK, ZTITLE, ZTITLE FROM ZNOTE WHERE Z_PK % 8 = 3"),
                    {QStringLiteral("DELETE FROM ZNOTEBODY WHERE ZOWNER IN (%1)"),
                     QStringLiteral("DELETE FROM ZNOTE WHERE Z_PK IN (%1)")});
    case NoteStore: {
        // A locked note is saved once more without its title (an hour later)
        // before it goes, both after the last checkpoint: the file's own page
        // keeps the row as it was, title and all, the log the untitled copy.
        QStringList locked;
        for (const QVariantList& row : db.Select(QStringLiteral(
                 "SELECT Z_PK, ZTITLE1, ZMODIFICATIONDATE1 + 3600 FROM ZICCLOUDSYNCINGOBJECT "
                 "WHERE ZNOTEDATA IS NOT NULL AND ZTITLE1 IS NOT NULL AND ZMARKEDFORDELETION = 0 "
                 "AND ZISPASSWORDPROTECTED = 1 AND Z_PK % 4 = 1"))) {
            locked << row.value(0).toString();
            const QString title = row.value(1).toString();
            m_truth[QStringLiteral("notes")] << Entry{title, title};
            m_truth[QStringLiteral("locked notes")] << Entry{
                title + QLatin1Char('|') + QString::number(row.value(2).toDouble(), 'f', 3), title};
        }
        const QString ids = locked.join(QLatin1Char(','));
        return Take(db, QStringLiteral("notes"),
                    QStringLiteral("SELECT Z_PK, ZTITLE1, ZTITLE1 FROM ZICCLOUDSYNCINGOBJECT "
                                   "WHERE ZNOTEDATA IS NOT NULL AND ZTITLE1 IS NOT NULL AND "
                                   "ZMARKEDFORDELETION = 0 AND ZISPASSWORDPROTECTED = 0 AND "
                                   "Z_PK % 4 = 1"),
                    {QStringLiteral("DELETE FROM ZICNOTEDATA WHERE Z_PK IN (SELECT ZNOTEDATA FROM "
                                    "ZICCLOUDSYNCINGOBJECT WHERE Z_PK IN (%1))"),
                     QStringLiteral("DELETE FROM ZICCLOUDSYNCINGOBJECT WHERE Z_PK IN (%1)")}) &&
               (locked.isEmpty() ||
                (db.StartLog() &&
                 db.Exec(QStringLiteral("UPDATE ZICCLOUDSYNCINGOBJECT SET ZTITLE1 = NULL, "
                                        "ZMODIFICATIONDATE1 = ZMODIFICATIONDATE1 + 3600 WHERE "
                                        "Z_PK IN (%1); COMMIT; BEGIN; DELETE FROM ZICNOTEDATA "
                                        "WHERE Z_PK IN (SELECT ZNOTEDATA FROM "
                                        "ZICCLOUDSYNCINGOBJECT WHERE Z_PK IN (%1)); DELETE FROM "
                                        "ZICCLOUDSYNCINGOBJECT WHERE Z_PK IN (%1)")
                             .arg(ids))));
    }
    case Bookmarks:
        return Take(
            db, QStringLiteral("bookmarks"),
            QStringLiteral("SELECT id, url, url FROM bookmarks WHERE type = 0 AND id % 7 = 3"),
            {QStringLiteral("DELETE FROM bookmarks WHERE id IN (%1)")});
    case WhatsApp:
        return Take(
            db, QStringLiteral("whatsapp"),
            QStringLiteral("SELECT Z_PK, ZTEXT, ZTEXT FROM ZWAMESSAGE WHERE ZTEXT IS NOT NULL AND "
                           "Z_PK % 15 = 6"),
            {QStringLiteral("DELETE FROM ZWAMEDIAITEM WHERE ZMESSAGE IN (%1)"),
             QStringLiteral("DELETE FROM ZWAMESSAGE WHERE Z_PK IN (%1)")});
    }
    return true;
}

bool SampleDeletions::MessagePlaces(SqliteWriter& db, const SampleBackupContent& content)
{
    // The message's own texts must lie whole for the record to be whole.
    // The cutter is a short reply in the newest's chat.
    const QString select =
        QStringLiteral("SELECT m.ROWID, j.chat_id, m.guid, ifnull(m.text, ''), m.handle_id, "
                       "m.date FROM message m JOIN chat_message_join j ON j.message_id = m.ROWID "
                       "WHERE m.ROWID IN (%1)");
    const auto remove = [&db](const QString& list) {
        return db.Exec(QStringLiteral("DELETE FROM chat_message_join WHERE message_id IN (%1); "
                                      "DELETE FROM message WHERE ROWID IN (%1)")
                           .arg(list));
    };
    const auto cut = [&db](const QVariantList& newest) -> qint64 {
        const QString guid =
            QUuid::createUuidV5(QUuid(), QStringLiteral("cut-%1").arg(newest.value(2).toString()))
                .toString(QUuid::WithoutBraces)
                .toUpper();
        const qint64 row =
            db.Insert(QStringLiteral("INSERT INTO message (guid, text, handle_id, service, date, "
                                     "is_from_me) VALUES (?, 'Ok', ?, 'iMessage', ?, 1)"),
                      {guid, newest.value(4), newest.value(5).toLongLong() + 60});
        return row < 0 || db.Insert(QStringLiteral("INSERT INTO chat_message_join (chat_id, "
                                                   "message_id) VALUES (?, ?)"),
                                    {newest.value(1), row}) < 0
                   ? -1
                   : row;
    };
    std::vector<SampleLeafPlaces::Left> left;
    if (!SampleLeafPlaces::Leave(db, QStringLiteral("message"), select, remove, cut, left))
        return false;
    // Until the newest conversation, a message's rowid tells its place in the content.
    const qint64 each =
        content.conversations.empty() ? 0 : qint64(content.conversations.front().messages.size());
    for (const SampleLeafPlaces::Left& message : left) {
        const qint64 index = message.row.value(0).toLongLong() - 1;
        const bool known = each > 0 && index / each < qint64(content.conversations.size());
        if (!message.cutter && !known)
            continue;
        const QString chat =
            message.cutter
                ? db.Select(QStringLiteral("SELECT chat_identifier FROM chat WHERE ROWID = %1")
                                .arg(message.row.value(1).toLongLong()))
                      .value(0)
                      .value(0)
                      .toString()
                : content.conversations[std::size_t(index / each)].handle;
        const Entry found{message.cutter ? message.row.value(3).toString()
                                         : content.conversations[std::size_t(index / each)]
                                               .messages[std::size_t(index % each)]
                                               .text,
                          message.row.value(2).toString()};
        if (!message.place) {
            if (!message.cutter)
                m_truth[QStringLiteral("messages")] << found;
            continue;
        }
        Place(QStringLiteral("messages"), message.place, found);
        m_truth[QStringLiteral("message chats")]
            << Entry{chat + QLatin1Char('|') + found.key, found.probe};
    }
    return true;
}

void SampleDeletions::LeftInPlaces(const QString& category,
                                   const std::vector<SampleLeafPlaces::Left>& left)
{
    for (const SampleLeafPlaces::Left& record : left) {
        const Entry entry{record.row.value(1).toString(), record.row.value(2).toString()};
        if (record.place)
            Place(category, record.place, entry);
        else
            m_truth[category] << entry;
    }
}

bool SampleDeletions::PeoplePlaces(SqliteWriter& db)
{
    // A person is told by his name's two parts, which lie side by side, and
    // by his record id where the table has one. The cutter is a contact
    // made and removed again on the phone.
    const bool guids =
        !db.Select(QStringLiteral("SELECT 1 FROM pragma_table_info('ABPerson') WHERE name = "
                                  "'guid'"))
             .isEmpty();
    const QString select = QStringLiteral("SELECT ROWID, trim(ifnull(First, '') || ' ' || "
                                          "ifnull(Last, '')), ifnull(First, '') || ifnull(Last, "
                                          "'')") +
                           (guids ? QStringLiteral(", guid") : QString()) +
                           QStringLiteral(" FROM ABPerson WHERE ROWID IN (%1)");
    const QStringList gone = PersonDeletes();
    const auto remove = [&db, &gone](const QString& ids) {
        for (const QString& statement : gone) {
            if (!db.Exec(statement.arg(ids)))
                return false;
        }
        return true;
    };
    const auto cut = [&db, guids](const QVariantList& newest) -> qint64 {
        if (!guids)
            return db.Insert(QStringLiteral("INSERT INTO ABPerson (First, Last, Kind) VALUES "
                                            "('Kit', 'Marlow', 0)"),
                             {});
        return db.Insert(
            QStringLiteral("INSERT INTO ABPerson (First, Last, Kind, guid) VALUES ('Kit', "
                           "'Marlow', 0, ?)"),
            {QUuid::createUuidV5(QUuid(), QStringLiteral("cut-%1").arg(newest.value(3).toString()))
                 .toString(QUuid::WithoutBraces)
                 .toUpper() +
             QStringLiteral(":ABPerson")});
    };
    std::vector<SampleLeafPlaces::Left> left;
    if (!SampleLeafPlaces::Leave(db, QStringLiteral("ABPerson"), select, remove, cut, left))
        return false;
    LeftInPlaces(QStringLiteral("contacts"), left);
    m_committed[QStringLiteral("ABPerson")] =
        db.Select(QStringLiteral("SELECT max(ROWID) FROM ABPerson")).value(0).value(0).toLongLong();
    return true;
}

bool SampleDeletions::CallPlaces(SqliteWriter& db, bool old)
{
    const QString table = old ? QStringLiteral("call") : QStringLiteral("ZCALLRECORD");
    const QString id = old ? QStringLiteral("ROWID") : QStringLiteral("Z_PK");
    const QString select = QStringLiteral("SELECT ") + id + QStringLiteral(", ") +
                           (old ? CallKey(QStringLiteral("address"), QStringLiteral("duration"))
                                : CallKey(QStringLiteral("ZADDRESS"), QStringLiteral("ZDURATION")) +
                                      QStringLiteral(", ZUNIQUE_ID")) +
                           QStringLiteral(" FROM ") + table + QStringLiteral(" WHERE ") + id +
                           QStringLiteral(" IN (%1)");
    const auto remove = [&](const QString& ids) {
        return db.Exec(QStringLiteral("DELETE FROM %1 WHERE %2 IN (%3)").arg(table, id, ids));
    };
    // The cutter: a redial a minute after the newest, which did not connect;
    // the newer store takes its key from Core Data's counter, as every call's.
    const auto cut = [&db, old](const QVariantList& newest) -> qint64 {
        if (old)
            return db.Insert(QStringLiteral("INSERT INTO call (address, date, duration, flags, id, "
                                            "name) SELECT address, date + 60, 0, (flags & 16) | "
                                            "5, -1, name FROM call WHERE ROWID = ?"),
                             {newest.value(0)});
        const qint64 row = db.Insert(
            QStringLiteral(
                "INSERT INTO ZCALLRECORD (Z_PK, Z_ENT, Z_OPT, ZANSWERED, ZCALL_CATEGORY, "
                "ZCALLTYPE, ZDISCONNECTED_CAUSE, ZHANDLE_TYPE, ZNUMBER_AVAILABILITY, ZORIGINATED, "
                "ZREAD, ZDATE, ZDURATION, ZADDRESS, ZISO_COUNTRY_CODE, ZNAME, ZSERVICE_PROVIDER, "
                "ZUNIQUE_ID) SELECT (SELECT Z_MAX + 1 FROM Z_PRIMARYKEY WHERE Z_ENT = 2), 2, 1, "
                "0, ZCALL_CATEGORY, ZCALLTYPE, 6, ZHANDLE_TYPE, 0, 1, 1, ZDATE + 60, 0, ZADDRESS, "
                "ZISO_COUNTRY_CODE, ZNAME, ZSERVICE_PROVIDER, ? FROM ZCALLRECORD WHERE Z_PK = ?"),
            {QUuid::createUuidV5(QUuid(), QStringLiteral("cut-%1").arg(newest.value(3).toString()))
                 .toString(QUuid::WithoutBraces)
                 .toUpper(),
             newest.value(0)});
        return row < 0 || !db.Exec(QStringLiteral("UPDATE Z_PRIMARYKEY SET Z_MAX = Z_MAX + 1 "
                                                  "WHERE Z_ENT = 2"))
                   ? -1
                   : row;
    };
    std::vector<SampleLeafPlaces::Left> left;
    if (!SampleLeafPlaces::Leave(db, table, select, remove, cut, left))
        return false;
    LeftInPlaces(QStringLiteral("calls"), left);
    m_committed[table] = db.Select(QStringLiteral("SELECT max(%1) FROM %2").arg(id, table))
                             .value(0)
                             .value(0)
                             .toLongLong();
    return true;
}

void SampleDeletions::ConfinePlace(const QString& category, const char* place,
                                   const QByteArray& bytes)
{
    const QString prefix = category + QLatin1Char('|') + QLatin1String(place) + QLatin1Char('|');
    QList<Entry>& places = m_truth[QStringLiteral("places")];
    places.erase(std::remove_if(places.begin(), places.end(),
                                [&](const Entry& entry) {
                                    return entry.key.startsWith(prefix) &&
                                           !bytes.contains(entry.probe.toUtf8());
                                }),
                 places.end());
}

void SampleDeletions::ConfineToFile(const QString& category, const char* place, const QString& path)
{
    QFile file(path);
    ConfinePlace(category, place, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
}

void SampleDeletions::ConfineToFreeList(const QString& category, const QString& path,
                                        const QString& logPath)
{
    ConfinePlace(category, "freelist", SampleLeafPlaces::FreePages(path, logPath));
}

QString SampleDeletions::TruthPath(const QString& backupFolder)
{
    return QDir::cleanPath(QDir(backupFolder).absolutePath()) + QStringLiteral(".deleted.json");
}

bool SampleDeletions::WriteTruth(const QString& backupFolder) const
{
    QJsonObject truth;
    for (auto it = m_truth.constBegin(); it != m_truth.constEnd(); ++it) {
        QJsonArray entries;
        for (const Entry& entry : it.value())
            entries.append(QJsonObject{{QStringLiteral("key"), entry.key},
                                       {QStringLiteral("probe"), entry.probe}});
        truth.insert(it.key(), entries);
    }
    QFile file(TruthPath(backupFolder));
    const QByteArray json = QJsonDocument(truth).toJson();
    return file.open(QIODevice::WriteOnly) && file.write(json) == json.size();
}
