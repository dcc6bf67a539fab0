#ifndef MMOBILE_ICALLHISTORY_H
#define MMOBILE_ICALLHISTORY_H

// Record of the call history category. Texts are zero-terminated UTF-8 owned by
// the engine, possibly null; the table shows them as delivered.

#include "contracts/imdrecord.h"

namespace MMobile {

class ICallHistory : public IMDRecord
{
public:
    static constexpr RecordKind Kind = RECORD_CALL_HISTORY;
    RecordKind GetRecordKind() const override { return Kind; }

    virtual const char* GetName() = 0;
    virtual const char* GetPhoneNumber() = 0;
    virtual const char* GetDate() = 0;
    virtual const char* GetCallType() = 0;
    virtual const char* GetDuration() = 0;

protected:
    ~ICallHistory() = default;
};

} // namespace MMobile

#endif // MMOBILE_ICALLHISTORY_H
