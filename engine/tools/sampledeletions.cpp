#include "sampledeletions.h"

#include "samplebackupcontent.h"
#include "sqlitewriter.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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

} // namespace

bool SampleDeletions::Take(SqliteWriter& db, const QString& category, const QString& select,
                           const QStringList& deletes)
{
    QStringList ids;
    for (const QVariantList& row : db.Select(select)) {
        ids << row.value(0).toString();
        const QString key = row.value(1).toString();
        if (!key.isEmpty())
            m_truth[category] << Entry{key, row.value(2).toString()};
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
        // empty where nothing keeps it.
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
        values(QStringLiteral("''"), QStringLiteral("p.ROWID % 40 = 33"));
        const QString person = QStringLiteral(
            "SELECT ROWID, trim(ifnull(First, '') || ' ' || ifnull(Last, '')), ifnull(First, '') "
            "|| ifnull(Last, '') FROM ABPerson WHERE ");
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
    case Messages: {
        // Each message goes with its row joining it to its chat, which
        // carving finds again; of some that row was overwritten, and only the
        // message's handle still tells its chat.
        QStringList ids, handleOnly;
        for (const QVariantList& row : db.Select(
                 QStringLiteral("SELECT m.ROWID, c.chat_identifier || '|' || m.text, m.guid FROM "
                                "message m JOIN chat_message_join j ON j.message_id = m.ROWID "
                                "JOIN chat c ON c.ROWID = j.chat_id WHERE m.text IS NOT NULL AND "
                                "m.ROWID % 15 = 4 AND j.chat_id <> %1 AND m.ROWID NOT IN (SELECT "
                                "message_id FROM message_attachment_join)")
                     .arg(DeletedConversation + 1) +
                 Inside("message", "m.ROWID"))) {
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
                     QStringLiteral("DELETE FROM message WHERE ROWID IN (%1)")});
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
            m_truth[QStringLiteral("messages")] << Entry{text, row.value(1).toString()};
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
    case Calls: {
        // As the page shows a call: its address and its whole seconds as HH:mm:ss.
        const bool old =
            !db.Select(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'call'")).isEmpty();
        const auto key = [](const QString& address, const QString& duration) {
            const QString seconds =
                QStringLiteral("CAST(") + duration + QStringLiteral(" AS INTEGER)");
            return address + QStringLiteral(" || '|' || printf('%02d:%02d:%02d', ") + seconds +
                   QStringLiteral(" / 3600, ") + seconds + QStringLiteral(" / 60 % 60, ") +
                   seconds + QStringLiteral(" % 60), ") + address;
        };
        return old ? Take(db, QStringLiteral("calls"),
                          QStringLiteral("SELECT ROWID, %1 FROM call WHERE ROWID % 12 = 5")
                                  .arg(key(QStringLiteral("address"), QStringLiteral("duration"))) +
                              Inside("call", "ROWID"),
                          {QStringLiteral("DELETE FROM call WHERE ROWID IN (%1)")})
                   : Take(db, QStringLiteral("calls"),
                          QStringLiteral("SELECT Z_PK, %1 FROM ZCALLRECORD WHERE Z_PK % 12 = 5")
                                  .arg(key(QStringLiteral("ZADDRESS"),
                                           QStringLiteral("ZDURATION"))) +
                              Inside("ZCALLRECORD", "Z_PK"),
                          {QStringLiteral("DELETE FROM ZCALLRECORD WHERE Z_PK IN (%1)")});
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
        // A locked note is saved once more without its title before it goes,
        // both after the last checkpoint: the file's own page keeps the row
        // as it was, title and all, and the log only the untitled copy.
        QStringList locked;
        for (const QVariantList& row :
             db.Select(QStringLiteral("SELECT Z_PK, ZTITLE1 FROM ZICCLOUDSYNCINGOBJECT WHERE "
                                      "ZNOTEDATA IS NOT NULL AND ZTITLE1 IS NOT NULL AND "
                                      "ZMARKEDFORDELETION = 0 AND ZISPASSWORDPROTECTED = 1 AND "
                                      "Z_PK % 4 = 1"))) {
            locked << row.value(0).toString();
            for (const char* category : {"notes", "locked notes"})
                m_truth[QLatin1String(category)]
                    << Entry{row.value(1).toString(), row.value(1).toString()};
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
                 db.Exec(QStringLiteral("UPDATE ZICCLOUDSYNCINGOBJECT SET ZTITLE1 = NULL WHERE "
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
