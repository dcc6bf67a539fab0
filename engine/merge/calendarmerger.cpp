#include "calendarmerger.h"

#include "mergedatabase.h"

namespace {
const QString Src = QStringLiteral("src");
const QString Main = QStringLiteral("main");
const QString Item = QStringLiteral("CalendarItem");
const QString Reminder = QStringLiteral("ZREMCDREMINDER");
const QString Marked = QStringLiteral("ZMARKEDFORDELETION");
// CalendarItem.entity_type of an event and of a reminder.
const int EventEntity = 2;
const int ReminderEntity = 3;
} // namespace

QVariant CalendarMerger::MapByName(MergeDatabase& db, const QString& table, const QString& name,
                                   const QVariant& rowid, const MergeDatabase::Values& overrides)
{
    if (rowid.isNull() || !db.HasTable(Src, table) || !db.HasTable(Main, table))
        return QVariant(QString());
    const QString key = table + QLatin1Char('#') + rowid.toString();
    const auto known = m_mapped.find(key);
    if (known != m_mapped.end())
        return known->second;
    const QVariant title = db.Value(Src, table, name, rowid.toLongLong());
    if (title.isNull())
        return QVariant(QString());
    MergeDatabase::Values same{{name, title}};
    if (db.HasColumn(Main, table, Marked))
        same[Marked] = 0;
    qint64 row = db.FindRow(table, same);
    if (row < 0 && db.HasColumn(Main, table, Marked))
        row = db.FindRow(table, {{name, title}});
    if (row < 0)
        row = db.Copy(table, rowid.toLongLong(), overrides);
    if (row < 0)
        return QVariant();
    m_mapped[key] = row;
    return row;
}

bool CalendarMerger::MergeCalendarStore(MergeDatabase& db)
{
    const QString location = QStringLiteral("Location");
    const bool locations = db.HasTable(Src, location) && db.HasTable(Main, location) &&
                           db.HasColumn(Src, Item, QStringLiteral("location_id"));
    const QString start = m_reminders ? QStringLiteral("due_date") : QStringLiteral("start_date");
    for (const qint64 item : db.SourceRowids(Item, QStringLiteral("entity_type"),
                                             m_reminders ? ReminderEntity : EventEntity,
                                             db.HasColumn(Src, Item, start) ? start : QString())) {
        MergeDatabase::Values keys;
        if (db.HasColumn(Src, Item, QStringLiteral("calendar_id"))) {
            const QVariant calendar =
                MapByName(db, QStringLiteral("Calendar"), QStringLiteral("title"),
                          db.Value(Src, Item, QStringLiteral("calendar_id"), item), {});
            if (!calendar.isValid())
                return false;
            if (!calendar.toString().isEmpty())
                keys[QStringLiteral("calendar_id")] = calendar;
        }
        if (db.FindSame(Item, item, QStringLiteral("UUID"), keys,
                        {QStringLiteral("location_id")}) >= 0) {
            ++m_skipped;
            continue;
        }
        const QVariant place =
            locations ? db.Value(Src, Item, QStringLiteral("location_id"), item) : QVariant();
        if (!place.isNull())
            keys[QStringLiteral("location_id")] = QVariant();
        const qint64 added = db.Copy(Item, item, keys);
        if (added < 0)
            return false;
        // The location is the item's own row, pointing back at it.
        if (!place.isNull() && !db.SourceRowids(location, QStringLiteral("ROWID"), place).empty()) {
            MergeDatabase::Values owner;
            if (db.HasColumn(Main, location, QStringLiteral("item_owner_id")))
                owner[QStringLiteral("item_owner_id")] = added;
            const qint64 copied = db.Copy(location, place.toLongLong(), owner);
            if (copied < 0 || !db.Exec(QStringLiteral("UPDATE main.CalendarItem SET location_id = "
                                                      "? WHERE ROWID = ?"),
                                       {copied, added}))
                return false;
        }
        ++m_added;
    }
    return true;
}

bool CalendarMerger::MergeReminderStore(MergeDatabase& db, Selection selection)
{
    // Lists moved between tables over the generations, their name too.
    QString lists, name;
    for (const QString& table : {QStringLiteral("ZREMCDBASELIST"), QStringLiteral("ZREMCDLIST"),
                                 QStringLiteral("ZREMCDOBJECT")}) {
        if (!db.HasTable(Src, table) || !db.HasTable(Main, table))
            continue;
        for (const QString& column : {QStringLiteral("ZNAME"), QStringLiteral("ZNAME1")}) {
            if (name.isEmpty() && db.HasColumn(Src, table, column) &&
                db.HasColumn(Main, table, column))
                name = column;
        }
        if (!name.isEmpty()) {
            lists = table;
            break;
        }
    }
    const bool marked = db.HasColumn(Src, Reminder, Marked);
    if (selection == PHONE_MARKED && !marked)
        return true;
    const std::vector<qint64> reminders =
        selection == PHONE_MARKED
            ? db.SourceRowids(Reminder, Marked, 1)
            : db.SourceRowids(Reminder, QString(), QVariant(),
                              db.HasColumn(Src, Reminder, QStringLiteral("ZDUEDATE"))
                                  ? QStringLiteral("ZDUEDATE")
                                  : QString());
    for (const qint64 reminder : reminders) {
        MergeDatabase::Values keys;
        if (db.HasColumn(Main, Reminder, Marked))
            keys[Marked] = 0;
        if (!lists.isEmpty() && db.HasColumn(Src, Reminder, QStringLiteral("ZLIST"))) {
            MergeDatabase::Values live;
            if (db.HasColumn(Main, lists, Marked))
                live[Marked] = 0;
            const QVariant list = MapByName(
                db, lists, name, db.Value(Src, Reminder, QStringLiteral("ZLIST"), reminder), live);
            if (!list.isValid())
                return false;
            if (!list.toString().isEmpty())
                keys[QStringLiteral("ZLIST")] = list;
        }
        if (db.FindSame(Reminder, reminder, QStringLiteral("ZDACALENDARITEMUNIQUEIDENTIFIER"),
                        keys) >= 0) {
            ++m_skipped;
            continue;
        }
        if (db.Copy(Reminder, reminder, keys) < 0)
            return false;
        ++m_added;
    }
    return true;
}

bool CalendarMerger::Merge(MergeDatabase& db, Selection selection)
{
    m_mapped.clear();
    if (db.HasTable(Src, Item) && db.HasTable(Main, Item)) {
        // The calendar store keeps no mark of its own for deleted items.
        return selection == PHONE_MARKED || MergeCalendarStore(db);
    }
    if (m_reminders && db.HasTable(Src, Reminder) && db.HasTable(Main, Reminder))
        return MergeReminderStore(db, selection);
    return true;
}
