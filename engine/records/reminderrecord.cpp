#include "reminderrecord.h"

ReminderRecord::ReminderRecord() : m_text(FieldCount) {}
ReminderRecord::~ReminderRecord() = default;

QString ReminderRecord::PriorityText(qint64 priority)
{
    return priority <= 0   ? QStringLiteral("None")
           : priority < 5  ? QStringLiteral("High")
           : priority == 5 ? QStringLiteral("Medium")
                           : QStringLiteral("Low");
}

QString ReminderRecord::StatusText(bool completed)
{
    return completed ? QStringLiteral("Completed") : QStringLiteral("Not Completed");
}

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
