#include "reminderrecord.h"

ReminderRecord::ReminderRecord() : m_text(FieldCount) {}
ReminderRecord::~ReminderRecord() = default;

const char* ReminderRecord::GetTitle()
{
    return m_text.Get(Title);
}
const char* ReminderRecord::GetStatus()
{
    return m_text.Get(Status);
}
const char* ReminderRecord::GetDate()
{
    return m_text.Get(Date);
}
const char* ReminderRecord::GetLocation()
{
    return m_text.Get(Location);
}
const char* ReminderRecord::GetNote()
{
    return m_text.Get(Note);
}
const char* ReminderRecord::GetListName()
{
    return m_text.Get(ListName);
}
const char* ReminderRecord::GetPriority()
{
    return m_text.Get(Priority);
}
