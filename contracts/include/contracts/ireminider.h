#ifndef MMOBILE_IREMINIDER_H
#define MMOBILE_IREMINIDER_H

// Record of the reminders category. Texts are zero-terminated UTF-8 owned by
// the engine, possibly null; the date is "yyyy-MM-dd HH:mm:ss".

#include "contracts/imdrecord.h"

namespace MMobile {

class IReminider : public IMDRecord
{
public:
    static constexpr RecordKind Kind = RECORD_REMINDER;
    RecordKind GetRecordKind() const override { return Kind; }

    virtual const char* GetTitle() = 0;
    virtual const char* GetStatus() = 0;
    virtual const char* GetDate() = 0;
    virtual const char* GetLocation() = 0;
    virtual const char* GetNote() = 0;
    virtual const char* GetListName() = 0;
    virtual const char* GetPriority() = 0;

protected:
    ~IReminider() = default;
};

} // namespace MMobile

#endif // MMOBILE_IREMINIDER_H
