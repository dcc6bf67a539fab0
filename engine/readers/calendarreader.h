#ifndef CALENDARREADER_H
#define CALENDARREADER_H

#include "readercontext.h"

// Reads Calendar.sqlitedb: the events (CalendarItem entity type 2) by start,
// or the reminders (entity type 3) by due date, with their location and
// calendar when the database has those tables. The context is borrowed.
class CalendarReader
{
public:
    explicit CalendarReader(ReaderContext& context) : m_context(context) {}
    bool Read(ReaderContext::Items& items, bool reminders);

private:
    ReaderContext& m_context;
};

#endif // CALENDARREADER_H
