#include "calendarrecord.h"

CalendarRecord::CalendarRecord() : m_text(FieldCount) {}
CalendarRecord::~CalendarRecord() = default;

const char* CalendarRecord::GetTitle()
{
    return m_text.Get(Title);
}
const char* CalendarRecord::GetLocation()
{
    return m_text.Get(Location);
}
const char* CalendarRecord::GetStartDate()
{
    return m_text.Get(StartDate);
}
const char* CalendarRecord::GetEndDate()
{
    return m_text.Get(EndDate);
}
const char* CalendarRecord::GetNote()
{
    return m_text.Get(Note);
}
