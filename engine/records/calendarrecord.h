#ifndef CALENDARRECORD_H
#define CALENDARRECORD_H

#include "contracts/icalendar.h"
#include "enginerecord.h"
#include "recordtext.h"

// One event of the calendar store. Its texts are set by the category reader; owned by
// its EngineItem.
class CalendarRecord : public MMobile::ICalendar, public EngineRecord
{
public:
    enum Field { Title, Location, StartDate, EndDate, Note, FieldCount };

    CalendarRecord();
    ~CalendarRecord() override;
    MMobile::IMDRecord* Record() override { return this; }
    RecordText& Text() { return m_text; }
    // Who the item is in its store, whatever the computer's clock: its UUID
    // or unique identifier, else its store and row ("Calendar.sqlitedb#12").
    // Empty when the store tells none.
    const QString& Identity() const { return m_identity; }
    void SetIdentity(const QString& identity) { m_identity = identity; }

    const char* GetTitle() override;
    const char* GetLocation() override;
    const char* GetStartDate() override;
    const char* GetEndDate() override;
    const char* GetNote() override;

private:
    RecordText m_text;
    QString m_identity;
};

#endif // CALENDARRECORD_H
