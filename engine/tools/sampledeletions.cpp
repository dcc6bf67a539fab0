#include "sampledeletions.h"

#include "samplebackupcontent.h"
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

// The rows of a query of the page statistics; none where this build of
// SQLite has no such table.
QList<QVariantList> PageStatistics(SqliteWriter& db, const QString& sql)
{
    return db.Select(QStringLiteral("SELECT 1 FROM pragma_module_list WHERE name = 'dbstat'"))
                   .isEmpty()
               ? QList<QVariantList>()
               : db.Select(sql);
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
        // values: their own rows were overwritten.
        const QString all = QStringLiteral("ROWID % 20 = 7 OR ROWID % 40 IN (13, 33)");
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
                               .arg(who, which)))
                m_truth[QStringLiteral("contact values")]
                    << Entry{row.value(0).toString() + QLatin1Char('|') + row.value(1).toString(),
                             row.value(1).toString()};
        };
        values(name, QStringLiteral("p.ROWID % 40 IN (13, 27)"));
        values(QStringLiteral("'#' || p.ROWID"), QStringLiteral("p.ROWID % 40 = 33"));
        const QString person = QLatin1String(PersonKey);
        const QString entries = QStringLiteral("DELETE FROM ABMultiValueEntry WHERE parent_id IN "
                                               "(SELECT UID FROM ABMultiValue WHERE record_id IN "
                                               "(%1))");
        const QString multi = QStringLiteral("DELETE FROM ABMultiValue WHERE record_id IN (%1)");
        const QString index =
            QStringLiteral("DELETE FROM ABPersonFullTextSearch WHERE docid IN (%1)");
        const QString people = QStringLiteral("DELETE FROM ABPerson WHERE ROWID IN (%1)");
        return Take(db, QStringLiteral("contacts"), person + QStringLiteral("ROWID % 40 = 7"),
                    {entries, multi, index, people}) &&
               Take(db, QStringLiteral("contacts"), person + QStringLiteral("ROWID % 40 = 27"),
                    {people}) &&
               db.Exec(QStringLiteral("PRAGMA secure_delete=ON")) &&
               Take(db, QStringLiteral("contacts"), person + QStringLiteral("ROWID % 40 = 13"),
                    {entries, multi, people}) &&
               Take(db, QString(),
                    QStringLiteral("SELECT ROWID FROM ABPerson WHERE ROWID % 40 = 33"),
                    {index, people}) &&
               db.Exec(QStringLiteral("PRAGMA secure_delete=OFF"));
    }
    case EarlyPeople:
        // Before the table gained its newer columns, each with his values and
        // his row of the search index; off the table's last leaf, which the
        // people added since fill.
        return Take(db, QStringLiteral("contacts"),
                    QLatin1String(PersonKey) + QStringLiteral("ROWID % 20 = 11") +
                        Inside("ABPerson", "ROWID"),
                    {QStringLiteral("DELETE FROM ABMultiValueEntry WHERE parent_id IN (SELECT UID "
                                    "FROM ABMultiValue WHERE record_id IN (%1))"),
                     QStringLiteral("DELETE FROM ABMultiValue WHERE record_id IN (%1)"),
                     QStringLiteral("DELETE FROM ABPersonFullTextSearch WHERE docid IN (%1)"),
                     QStringLiteral("DELETE FROM ABPerson WHERE ROWID IN (%1)")},
                    "added column");
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
    case OlderCalls: {
        const bool old =
            !db.Select(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'call'")).isEmpty();
        const QString table = old ? QStringLiteral("call") : QStringLiteral("ZCALLRECORD");
        const QString id = old ? QStringLiteral("ROWID") : QStringLiteral("Z_PK");
        const QString key = old ? CallKey(QStringLiteral("address"), QStringLiteral("duration"))
                                : CallKey(QStringLiteral("ZADDRESS"), QStringLiteral("ZDURATION"));
        const QString remove = QStringLiteral("DELETE FROM %1 WHERE %2 IN (%3)").arg(table, id);
        // Calls deleted once the table has outgrown its root page, whose
        // leaf overwrote them: the root, an interior page now, still holds
        // its old cells (the page end aside, where its child pointers go).
        if (store == EarlyCalls)
            return db.Exec(QStringLiteral("PRAGMA secure_delete=ON")) &&
                   Take(db, QStringLiteral("calls"),
                        QStringLiteral("SELECT %1, %2 FROM %3 WHERE %1 IN (9, 14, 20)")
                            .arg(id, key, table),
                        {remove}, "interior page") &&
                   db.Exec(QStringLiteral("PRAGMA secure_delete=OFF"));
        const QString inside = Inside(old ? "call" : "ZCALLRECORD", old ? "ROWID" : "Z_PK");
        if (store == OlderCalls)
            return Take(
                db, QStringLiteral("calls"),
                QStringLiteral("SELECT %1, %2 FROM %3 WHERE %1 % 4 = 3").arg(id, key, table) +
                    inside,
                {remove}, "added column");
        const QString select = QStringLiteral("SELECT %1, %2 FROM %3 ").arg(id, key, table);
        const QStringList freed = FreedPages(db, table, id);
        return Take(db, QStringLiteral("calls"), select + freed[0], {}) &&
               Take(db, QStringLiteral("calls"), select + freed[1], {}, "freelist") &&
               db.Exec(QStringLiteral("DELETE FROM %1 WHERE %2 IN (SELECT %2 FROM %1 %3)")
                           .arg(table, id, freed[2])) &&
               Take(db, QStringLiteral("calls"),
                    select + QStringLiteral("WHERE %1 % 12 = 5").arg(id) + inside, {remove});
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

QStringList SampleDeletions::FreedPages(SqliteWriter& db, const QString& table, const QString& key)
{
    // The leaves in key order, each with its number of cells.
    const QList<QVariantList> leaves = PageStatistics(
        db, QStringLiteral("SELECT ncell FROM dbstat WHERE name = '%1' AND pagetype = 'leaf' "
                           "ORDER BY path")
                .arg(table));
    if (leaves.size() < 6)
        return {QStringLiteral("LIMIT 0"), QStringLiteral("LIMIT 0"), QStringLiteral("LIMIT 0")};
    const int first = int(leaves.size()) / 2;
    qint64 before = 0;
    for (int i = 0; i < first; ++i)
        before += leaves[i].value(0).toLongLong();
    const qint64 cells = leaves[first].value(0).toLongLong();
    const qint64 next = leaves[first + 1].value(0).toLongLong();
    const auto rows = [&key](qint64 offset, qint64 count) {
        return QStringLiteral("ORDER BY %1 LIMIT %2 OFFSET %3").arg(key).arg(count).arg(offset);
    };
    return {rows(before, cells), rows(before + cells, next), rows(before, cells + next)};
}

bool SampleDeletions::LastLeafFull(SqliteWriter& db, const QString& table)
{
    return !PageStatistics(db, QStringLiteral("SELECT 1 FROM (SELECT ncell, unused, pgsize FROM "
                                              "dbstat WHERE name = '%1' AND pagetype = 'leaf' "
                                              "ORDER BY path DESC LIMIT 1) WHERE ncell >= 8 AND "
                                              "unused * 10 < pgsize")
                                   .arg(table))
                .isEmpty();
}

std::vector<SampleDeletions::LeafCell>
SampleDeletions::LastLeaf(SqliteWriter& db, const QString& table, QByteArray& page)
{
    page.clear();
    const QList<QVariantList> leaf = PageStatistics(
        db, QStringLiteral("SELECT pageno, pgsize FROM dbstat WHERE name = '%1' AND pagetype = "
                           "'leaf' ORDER BY path DESC LIMIT 1")
                .arg(table));
    // The file holds what was committed; the writer goes on in a new transaction.
    QFile file(db.Path());
    if (leaf.isEmpty() || !db.Exec(QStringLiteral("COMMIT; BEGIN")) ||
        !file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = leaf[0].value(1).toLongLong();
    if (!file.seek((leaf[0].value(0).toLongLong() - 1) * size))
        return {};
    page = file.read(size);
    const auto* bytes = reinterpret_cast<const unsigned char*>(page.constData());
    const auto varint = [&](qint64& at, quint64& value) {
        value = 0;
        for (int k = 0; k < 9 && at < page.size(); ++k) {
            const unsigned char b = bytes[at++];
            value = k == 8 ? (value << 8) | b : (value << 7) | (b & 0x7F);
            if (k == 8 || b < 0x80)
                return true;
        }
        return false;
    };
    std::vector<LeafCell> cells;
    if (page.size() != size || bytes[0] != 13)
        return cells;
    const int count = bytes[3] << 8 | bytes[4];
    for (int i = 0; i < count && 10 + 2 * i <= page.size(); ++i) {
        qint64 at = bytes[8 + 2 * i] << 8 | bytes[9 + 2 * i];
        const qint64 start = at;
        quint64 payload = 0, rowid = 0;
        // A record spilling to an overflow page is no cell to place.
        if (!varint(at, payload) || !varint(at, rowid) || payload > quint64(size - 35))
            return {};
        cells.push_back({quint32(start), quint32(at - start + qint64(payload)), qint64(rowid)});
    }
    std::sort(cells.begin(), cells.end(),
              [](const LeafCell& a, const LeafCell& b) { return a.offset < b.offset; });
    return cells;
}

bool SampleDeletions::MessagePlaces(SqliteWriter& db, const SampleBackupContent& content)
{
    // On the message table's last leaf, by where the cells lie: the two at
    // the top of the content area go into the gap, each its head
    // overwritten by a freeblock header; three neighbours below go into one
    // freeblock, whose far end a new message takes (and that message goes
    // too). Needs the page statistics to find the leaf; without them, or
    // on a leaf these deletions would leave underfull (SQLite would then
    // rebuild it), nothing is left there.
    QByteArray page;
    const std::vector<LeafCell> cells = LastLeaf(db, QStringLiteral("message"), page);
    if (cells.size() < 8)
        return true;
    const auto joined = [&cells](std::size_t i, std::size_t count) {
        for (std::size_t k = i; k + 1 < i + count; ++k) {
            if (cells[k].offset + cells[k].size != cells[k + 1].offset)
                return false;
        }
        return true;
    };
    // Three neighbours a live cell follows, below the gap's two.
    std::size_t block = 2;
    while (block + 3 < cells.size() && !joined(block, 4))
        ++block;
    qint64 used = 0, taken = 0;
    for (std::size_t k = 0; k < cells.size(); ++k) {
        used += cells[k].size;
        taken += k < 2 || (k >= block && k < block + 3) ? cells[k].size : 0;
    }
    if (!joined(0, 2) || block + 3 >= cells.size() || 3 * (used - taken) < page.size() + 192)
        return true;
    const auto ids = [&cells](std::initializer_list<std::size_t> which) {
        QStringList list;
        for (const std::size_t k : which)
            list << QString::number(cells[k].rowid);
        return list.join(QLatin1Char(','));
    };
    // What each stores of its own, which must lie whole on the page for the
    // record to be whole; the last column the chat of the newest.
    const QList<QVariantList> rows = db.Select(
        QStringLiteral("SELECT m.ROWID, m.guid, m.handle_id, j.chat_id, m.date, "
                       "ifnull(m.text, '') FROM message m JOIN chat_message_join j ON "
                       "j.message_id = m.ROWID WHERE m.ROWID IN (%1) ORDER BY m.ROWID DESC")
            .arg(ids({0, 1, block, block + 1, block + 2})));
    if (rows.size() != 5)
        return true;
    QHash<qint64, QVariantList> byRow;
    for (const QVariantList& row : rows)
        byRow.insert(row.value(0).toLongLong(), row);
    const auto remove = [&db](const QString& list) {
        return db.Exec(QStringLiteral("DELETE FROM chat_message_join WHERE message_id IN (%1); "
                                      "DELETE FROM message WHERE ROWID IN (%1)")
                           .arg(list));
    };
    const QVariantList& newest = rows.first();
    const QString text = QStringLiteral("Ok");
    const QString guid =
        QUuid::createUuidV5(QUuid(), QStringLiteral("cut-%1").arg(newest.value(1).toString()))
            .toString(QUuid::WithoutBraces)
            .toUpper();
    if (!remove(ids({block, block + 1, block + 2})))
        return false;
    const qint64 cutter =
        db.Insert(QStringLiteral("INSERT INTO message (guid, text, handle_id, service, date, "
                                 "is_from_me) VALUES (?, ?, ?, 'iMessage', ?, 1)"),
                  {guid, text, newest.value(2), newest.value(4).toLongLong() + 60});
    if (cutter < 0 ||
        db.Insert(QStringLiteral("INSERT INTO chat_message_join (chat_id, message_id) VALUES "
                                 "(?, ?)"),
                  {newest.value(3), cutter}) < 0 ||
        !remove(QString::number(cutter)) || !remove(ids({0})) || !remove(ids({1})))
        return false;
    // Each record is told by what the page still holds of it.
    LastLeaf(db, QStringLiteral("message"), page);
    const auto whole = [&page](const QString& own, const QString& text) {
        return page.contains(own.toUtf8()) && page.contains(text.toUtf8());
    };
    // Until the newest conversation, a message's rowid tells its place in the content.
    const qint64 each =
        content.conversations.empty() ? 0 : qint64(content.conversations.front().messages.size());
    for (const std::size_t k : {std::size_t(0), std::size_t(1), block, block + 1, block + 2}) {
        const QVariantList& row = byRow.value(cells[k].rowid);
        const qint64 index = cells[k].rowid - 1;
        if (each == 0 || index / each >= qint64(content.conversations.size()))
            continue;
        const auto& conversation = content.conversations[std::size_t(index / each)];
        const Entry found{conversation.messages[std::size_t(index % each)].text,
                          row.value(1).toString()};
        if (!whole(found.probe, row.value(5).toString())) {
            m_truth[QStringLiteral("messages")] << found;
            continue;
        }
        Place(QStringLiteral("messages"), k < 2 ? "gap" : "cut freeblock", found);
        m_truth[QStringLiteral("message chats")]
            << Entry{conversation.handle + QLatin1Char('|') + found.key, found.probe};
    }
    if (!whole(guid, text))
        return true;
    Place(QStringLiteral("messages"), "cut freeblock", Entry{text, guid});
    const QString chat =
        db.Select(QStringLiteral("SELECT chat_identifier FROM chat WHERE ROWID = %1")
                      .arg(newest.value(3).toLongLong()))
            .value(0)
            .value(0)
            .toString();
    m_truth[QStringLiteral("message chats")] << Entry{chat + QLatin1Char('|') + text, guid};
    return true;
}

void SampleDeletions::ConfineToFreeList(const QString& category, const QString& path)
{
    QFile file(path);
    const QByteArray data = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const auto number = [&data](qint64 at) -> qint64 {
        if (at < 0 || at + 4 > data.size())
            return 0;
        const auto* b = reinterpret_cast<const unsigned char*>(data.constData() + at);
        return qint64(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3];
    };
    // The trunk pages and the leaves they list, from the header's first trunk.
    QByteArray free;
    if (data.startsWith("SQLite format 3")) {
        const qint64 size = number(14) & 0xFFFF;
        const qint64 pageSize = size == 1 ? 65536 : size;
        const qint64 pages = pageSize >= 512 ? data.size() / pageSize : 0;
        const auto page = [&](qint64 n) {
            return n >= 1 && n <= pages ? data.mid((n - 1) * pageSize, pageSize) : QByteArray();
        };
        for (qint64 trunk = number(32), seen = 0; trunk != 0 && seen < pages; ++seen) {
            free += page(trunk);
            const qint64 at = (trunk - 1) * pageSize;
            for (qint64 i = 0, leaves = qMin(number(at + 4), pages); i < leaves; ++i)
                free += page(number(at + 8 + 4 * i));
            trunk = trunk <= pages ? number(at) : 0;
        }
    }
    const QString prefix = category + QStringLiteral("|freelist|");
    QList<Entry>& places = m_truth[QStringLiteral("places")];
    places.erase(std::remove_if(places.begin(), places.end(),
                                [&](const Entry& entry) {
                                    return entry.key.startsWith(prefix) &&
                                           !free.contains(entry.probe.toUtf8());
                                }),
                 places.end());
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
