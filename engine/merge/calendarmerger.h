#ifndef CALENDARMERGER_H
#define CALENDARMERGER_H

#include "categorymerger.h"

#include <QVariant>

#include <map>

// Calendar events or reminders. In the calendar store (Calendar.sqlitedb)
// both are CalendarItem rows told apart by their entity type: the item with
// its location (a Location row it owns) in the target's calendar or list of
// the same title. Newer phones keep reminders in the Reminders app's own
// store (ZREMCDREMINDER, Core Data): the reminder in the target's list of the
// same name, no longer marked for deletion.
class CalendarMerger : public CategoryMerger
{
public:
    explicit CalendarMerger(bool reminders) : m_reminders(reminders) {}
    bool Merge(MergeDatabase& db, Selection selection) override;

private:
    bool MergeCalendarStore(MergeDatabase& db);
    bool MergeReminderStore(MergeDatabase& db, Selection selection);
    // The target's row of the calendar or list that the src row `rowid` of
    // `table` is (same value in `name`), copied when it has none; null on
    // an error, an empty key when there is no such src row.
    QVariant MapByName(MergeDatabase& db, const QString& table, const QString& name,
                       const QVariant& rowid, const std::map<QString, QVariant>& overrides);

    bool m_reminders;
    std::map<QString, QVariant> m_mapped; // "table#src rowid" -> target rowid
};

#endif // CALENDARMERGER_H
