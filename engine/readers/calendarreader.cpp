#include "calendarreader.h"

#include "calendarrecord.h"
#include "engineitem.h"
#include "localclock.h"
#include "reminderrecord.h"
#include "schemaprobe.h"
#include "sqlitedb.h"

#include <QSet>

#include <algorithm>
#include <limits>

namespace {

using Row = SqliteDb::Row;

const char* const Store = "Library/Calendar/Calendar.sqlitedb";

// CalendarItem.entity_type
constexpr int EntityEvent = 2;
constexpr int EntityReminder = 3;

} // namespace

bool CalendarReader::Read(ReaderContext::Items& items, bool reminders)
{
    ReminderStoreReader::DatedItems dated;
    if (!ReadCalendarStore(items, reminders, dated))
        return false;
    if (!reminders || m_context.Stopped())
        return true;
    // Since iOS 13 the Reminders app keeps its own stores; older reminders
    // may still stand in the calendar store. Both are shown, by due date,
    // except a calendar-store reminder the app moved into its store, which
    // would show twice: the store's copy is the one the app shows now.
    const size_t calendarStore = dated.size();
    if (!ReminderStoreReader(m_context).Read(dated))
        return false;
    QSet<QString> moved;
    for (size_t i = calendarStore; i < dated.size(); ++i) {
        for (const QString& id : qAsConst(dated[i].ids))
            moved.insert(id);
    }
    auto wasMoved = [&moved](const ReminderStoreReader::Dated& reminder) {
        return std::any_of(reminder.ids.begin(), reminder.ids.end(),
                           [&moved](const QString& id) { return moved.contains(id); });
    };
    dated.erase(
        std::remove_if(dated.begin(), dated.begin() + std::ptrdiff_t(calendarStore), wasMoved),
        dated.begin() + std::ptrdiff_t(calendarStore));
    std::stable_sort(dated.begin(), dated.end(),
                     [](const ReminderStoreReader::Dated& a, const ReminderStoreReader::Dated& b) {
                         return a.due < b.due;
                     });
    for (ReminderStoreReader::Dated& reminder : dated)
        items.push_back(std::move(reminder.item));
    return true;
}

bool CalendarReader::ReadCalendarStore(ReaderContext::Items& items, bool reminders,
                                       ReminderStoreReader::DatedItems& dated)
{
    SqliteDb db;
    const ReaderContext::OpenResult open = m_context.OpenDatabase(
        QString::fromLatin1(ReaderContext::HomeDomain), QString::fromLatin1(Store), db);
    if (open != ReaderContext::OPEN_OK)
        return open == ReaderContext::OPEN_ABSENT;
    SchemaProbe schema(db, QStringLiteral("Calendar.sqlitedb"));
    if (!schema.HasTable(QStringLiteral("CalendarItem")))
        return m_context.Fail(QStringLiteral("Calendar.sqlitedb lacks the table CalendarItem"));
    const QString item = QStringLiteral("CalendarItem");
    const bool locations = schema.Optional(QStringLiteral("Location"), QStringLiteral("locations"));
    const bool calendars =
        schema.Optional(QStringLiteral("Calendar"), QStringLiteral("reminder lists"));
    const QString order =
        reminders ? schema.Column(item, QStringLiteral("ci"), QStringLiteral("due_date"))
                  : schema.Column(item, QStringLiteral("ci"), QStringLiteral("start_date"));
    const QString sql =
        QStringLiteral("SELECT %1, %2, %3, %4, %5, %6, %7, %8, %9, ")
            .arg(schema.Column(item, QStringLiteral("ci"), QStringLiteral("summary")),
                 locations ? QStringLiteral("l.title") : QStringLiteral("NULL"),
                 schema.Column(item, QStringLiteral("ci"), QStringLiteral("start_date")),
                 schema.Column(item, QStringLiteral("ci"), QStringLiteral("end_date")),
                 schema.Column(item, QStringLiteral("ci"), QStringLiteral("description")),
                 schema.Column(item, QStringLiteral("ci"), QStringLiteral("due_date")),
                 schema.Column(item, QStringLiteral("ci"), QStringLiteral("completion_date")),
                 schema.Column(item, QStringLiteral("ci"), QStringLiteral("priority")),
                 calendars ? QStringLiteral("c.title") : QStringLiteral("NULL")) +
        // A reminder's due day has its own flag where the table has one.
        schema.Column(item, QStringLiteral("ci"),
                      reminders && schema.HasColumn(item, QStringLiteral("due_all_day"))
                          ? QStringLiteral("due_all_day")
                          : QStringLiteral("all_day")) +
        QStringLiteral(", %1, %2, ci.ROWID")
            .arg(schema.LinkColumn(item, QStringLiteral("ci"), QStringLiteral("UUID")),
                 schema.LinkColumn(item, QStringLiteral("ci"),
                                   QStringLiteral("unique_identifier"))) +
        QStringLiteral(" FROM CalendarItem ci") +
        (locations ? QStringLiteral(" LEFT JOIN Location l ON l.ROWID = ci.location_id")
                   : QString()) +
        (calendars ? QStringLiteral(" LEFT JOIN Calendar c ON c.ROWID = ci.calendar_id")
                   : QString()) +
        QStringLiteral(" WHERE ci.entity_type = ? ORDER BY %1, ci.ROWID").arg(order);
    // The item's own identity, for exports that stay the same in any zone.
    auto identity = [](const Row& row) {
        for (int column : {10, 11}) {
            if (!row.IsNull(column) && !row.String(column).isEmpty())
                return row.String(column);
        }
        return QStringLiteral("Calendar.sqlitedb#%1").arg(row.Int(12));
    };
    const bool ok = db.Query(sql, {reminders ? EntityReminder : EntityEvent}, [&](const Row& row) {
        if (reminders) {
            auto record = std::make_unique<ReminderRecord>();
            RecordText& text = record->Text();
            text.Set(ReminderRecord::Title, row.Text(0));
            text.Set(ReminderRecord::Location, row.Text(1));
            text.Set(ReminderRecord::Note, row.Text(4));
            // A reminder due on a day is a floating date, like an all-day event.
            if (row.Int(9) != 0 && !row.IsNull(5))
                text.Set(ReminderRecord::Date, LocalClock::DateText(row.Real(5)));
            else
                text.Set(ReminderRecord::Date, m_context.DateText(row, 5));
            text.Set(ReminderRecord::Status, ReminderRecord::StatusText(!row.IsNull(6)));
            text.Set(ReminderRecord::Priority, ReminderRecord::PriorityText(row.Int(7)));
            text.Set(ReminderRecord::ListName, row.Text(8));
            record->SetIdentity(identity(row));
            record->SetRow(Store, row.Int(12));
            QStringList ids;
            for (int column : {10, 11}) {
                if (!row.IsNull(column))
                    ids << QString::fromUtf8(row.Text(column));
            }
            dated.push_back({row.IsNull(5) ? std::numeric_limits<double>::lowest() : row.Real(5),
                             ReaderContext::MakeItem(std::move(record)), ids});
        } else {
            auto record = std::make_unique<CalendarRecord>();
            RecordText& text = record->Text();
            text.Set(CalendarRecord::Title, row.Text(0));
            text.Set(CalendarRecord::Location, row.Text(1));
            if (row.Int(9) != 0) {
                // All-day events are floating days; the end is their last day.
                const double start = row.Real(2);
                const double end = row.IsNull(3) ? start : qMax(start, row.Real(3) - 1);
                text.Set(CalendarRecord::StartDate, LocalClock::DateText(start));
                text.Set(CalendarRecord::EndDate, LocalClock::DateText(end));
            } else {
                text.Set(CalendarRecord::StartDate, m_context.DateText(row, 2));
                text.Set(CalendarRecord::EndDate, m_context.DateText(row, 3));
            }
            text.Set(CalendarRecord::Note, row.Text(4));
            record->SetIdentity(identity(row));
            record->SetRow(Store, row.Int(12));
            items.push_back(ReaderContext::MakeItem(std::move(record)));
        }
        return m_context.Tick(static_cast<qint64>(items.size() + dated.size()), 0);
    });
    return ok || m_context.Fail(db.LastError());
}
