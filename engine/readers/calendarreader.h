#ifndef CALENDARREADER_H
#define CALENDARREADER_H

#include "readercontext.h"
#include "reminderstorereader.h"

// Reads Calendar.sqlitedb: the events (CalendarItem entity type 2) by start,
// or the reminders (entity type 3), with their location and calendar when the
// database has those tables; reminders are merged by due date with those of
// the Reminders app's stores (ReminderStoreReader). The context is borrowed.
class CalendarReader
{
public:
    explicit CalendarReader(ReaderContext& context) : m_context(context) {}
    bool Read(ReaderContext::Items& items, bool reminders);

private:
    bool ReadCalendarStore(ReaderContext::Items& items, bool reminders,
                           ReminderStoreReader::DatedItems& dated);

    ReaderContext& m_context;
};

#endif // CALENDARREADER_H
