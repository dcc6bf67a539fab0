#include "samplecalendarstore.h"

#include "sampledeletions.h"
#include "samplerandom.h"
#include "samplereminderstore.h"
#include "samplestorecontext.h"
#include "samplewords.h"
#include "sqlitewriter.h"

#include <QUuid>

#include <cmath>

namespace {

// A calendar item's UUID, upper case as the phone writes it; the same for
// the same item in every sample.
// Another phone (another seed) names its items anew; the default seed keeps
// the names the samples always had.
QString CalendarItemId(const QString& kind, int i, std::uint32_t seed)
{
    QString name = QStringLiteral("%1-%2").arg(kind).arg(i);
    if (seed != SampleBackupWriter::Options().seed)
        name += QStringLiteral("-%1").arg(seed);
    return QUuid::createUuidV5(QUuid(), name).toString(QUuid::WithoutBraces).toUpper();
}

} // namespace

bool SampleCalendarStore::Write(SampleStoreContext& context)
{
    SqliteWriter db;
    if (!db.Open(context.AddFile(SampleStoreContext::Home, "Library/Calendar/Calendar.sqlitedb")) ||
        !db.Exec(
            "CREATE TABLE Calendar (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, title TEXT, "
            "color TEXT);"
            "CREATE TABLE Location (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, title TEXT, "
            "address TEXT, item_owner_id INTEGER);"
            "CREATE TABLE CalendarItem (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, summary TEXT, "
            "location_id INTEGER, description TEXT, start_date REAL, start_tz TEXT, end_date "
            "REAL, all_day INTEGER, calendar_id INTEGER, entity_type INTEGER, priority "
            "INTEGER, due_date REAL, due_all_day INTEGER, completion_date REAL, hidden INTEGER "
            "DEFAULT 0, unique_identifier TEXT, UUID TEXT)"))
        return context.Fail(db.LastError());
    const qint64 home = db.Insert("INSERT INTO Calendar (title) VALUES ('Home')", {});
    const qint64 errands = db.Insert("INSERT INTO Calendar (title) VALUES ('Errands')", {});
    const qint64 groceries = db.Insert("INSERT INTO Calendar (title) VALUES ('Groceries')", {});
    double start = context.now - 86400.0 * 90;
    for (int i = 0; i < 60 * context.options.scale; ++i) {
        SampleBackupContent::Event event;
        start += context.random.Range(3600, 200000);
        event.allDay = i % 5 == 2;
        if (event.allDay) {
            // The next midnight, so that the events stay in order of start.
            start = std::ceil(start / 86400.0) * 86400.0;
            event.start = start;
            event.end = event.start + 86400.0 * context.random.Range(1, 3) - 1;
        } else {
            event.start = start;
            event.end = start + 1800 * context.random.Range(1, 6);
        }
        event.title = QStringLiteral("%1 with %2")
                          .arg(context.random.Pick(SampleWords::Words))
                          .arg(context.random.Pick(SampleWords::FirstNames));
        event.title[0] = event.title[0].toUpper();
        event.location =
            context.random.Range(0, 2) ? context.random.Pick(SampleWords::Places) : QString();
        event.note = context.random.Range(0, 2) == 0 ? context.random.Sentence() : QString();
        QVariant location;
        if (!event.location.isEmpty())
            location = db.Insert("INSERT INTO Location (title) VALUES (?)", {event.location});
        const QString id = CalendarItemId(QStringLiteral("event"), i, context.options.seed);
        db.Insert("INSERT INTO CalendarItem (summary, location_id, description, start_date, "
                  "start_tz, end_date, all_day, calendar_id, entity_type, unique_identifier, "
                  "UUID) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 2, ?, ?)",
                  {event.title, location, event.note.isEmpty() ? QVariant() : QVariant(event.note),
                   event.start,
                   event.allDay ? QStringLiteral("_float") : QStringLiteral("Europe/London"),
                   event.end, event.allDay ? 1 : 0, home, id, id});
        context.content.events.push_back(event);
    }
    double due = context.now - 86400.0 * 30;
    std::vector<SampleReminderStore::Moved> moved;
    for (int i = 0; i < 40 * context.options.scale; ++i) {
        SampleBackupContent::Reminder reminder;
        due += context.random.Range(3600, 150000);
        // Some are due on a day, not at a time.
        reminder.allDay = i % 6 == 4;
        if (reminder.allDay)
            due = std::ceil(due / 86400.0) * 86400.0; // the next midnight UTC, in order
        reminder.due = due;
        reminder.title = QStringLiteral("Buy %1").arg(context.random.Pick(SampleWords::Words));
        reminder.list = i % 2 ? QStringLiteral("Errands") : QStringLiteral("Groceries");
        reminder.completed = due < context.now && context.random.Range(0, 1) == 0;
        const int priorities[] = {0, 1, 5, 9};
        reminder.priority = priorities[context.random.Range(0, 3)];
        reminder.note = context.random.Range(0, 3) == 0 ? context.random.Sentence() : QString();
        const QString id = CalendarItemId(QStringLiteral("reminder"), i, context.options.seed);
        const qint64 row = db.Insert(
            "INSERT INTO CalendarItem (summary, description, calendar_id, entity_type, priority, "
            "due_date, completion_date, due_all_day, unique_identifier, UUID) VALUES (?, ?, ?, "
            "3, ?, ?, ?, ?, ?, ?)",
            {reminder.title, reminder.note.isEmpty() ? QVariant() : QVariant(reminder.note),
             i % 2 ? errands : groceries, reminder.priority, reminder.due,
             reminder.completed ? QVariant(reminder.due + 600) : QVariant(),
             reminder.allDay ? 1 : 0, id, id});
        context.content.reminders.push_back(reminder);
        // The Reminders app moves reminders into its own store and may leave
        // them in the calendar store too (not those deleted below, nor those
        // due on a day, whose time the app's store keeps otherwise).
        if (i % 5 == 1 && !reminder.allDay && row % 9 != 6)
            moved.push_back({id, reminder});
    }
    if (!context.Forget(db, SampleDeletions::Calendar) || !db.Close())
        return context.Fail(db.LastError());
    // Newer phones keep reminders in the Reminders app's own store too.
    if (context.options.ios < 14)
        return true;
    SqliteWriter store;
    return (store.Open(context.AddFile(SampleReminderStore::Domain, SampleReminderStore::Path())) &&
            SampleReminderStore::Write(store, context.random, due, context.options.scale, moved,
                                       context.content,
                                       context.options.seed == SampleBackupWriter::Options().seed
                                           ? QString()
                                           : QStringLiteral("-%1").arg(context.options.seed)) &&
            store.Close()) ||
           context.Fail(store.LastError());
}
