#ifndef MMOBILE_ICALENDAR_H
#define MMOBILE_ICALENDAR_H

// Record of the calendar category: one event. Texts are zero-terminated UTF-8
// owned by the engine, possibly null; dates are "yyyy-MM-dd HH:mm:ss".

#include "contracts/imdrecord.h"

namespace MMobile {

class ICalendar : public IMDRecord
{
public:
    static constexpr RecordKind Kind = RECORD_CALENDAR;
    RecordKind GetRecordKind() const override { return Kind; }

    virtual const char* GetTitle() = 0;
    virtual const char* GetLocation() = 0;
    virtual const char* GetStartDate() = 0;
    virtual const char* GetEndDate() = 0;
    virtual const char* GetNote() = 0;

protected:
    ~ICalendar() = default;
};

} // namespace MMobile

#endif // MMOBILE_ICALENDAR_H
