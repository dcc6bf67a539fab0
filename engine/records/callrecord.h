#ifndef CALLRECORD_H
#define CALLRECORD_H

#include "contracts/icallhistory.h"
#include "enginerecord.h"
#include "recordtext.h"

// One call of the call history. Its texts are set by the category reader; owned by
// its EngineItem.
class CallRecord : public MMobile::ICallHistory, public EngineRecord
{
public:
    enum Field { Name, Phone, Date, Type, Duration, FieldCount };

    CallRecord();
    ~CallRecord() override;
    MMobile::IMDRecord* Record() override { return this; }
    RecordText& Text() { return m_text; }

    const char* GetName() override;
    const char* GetPhoneNumber() override;
    const char* GetDate() override;
    const char* GetCallType() override;
    const char* GetDuration() override;

private:
    RecordText m_text;
};

#endif // CALLRECORD_H
