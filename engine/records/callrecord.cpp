#include "callrecord.h"

CallRecord::CallRecord() : m_text(FieldCount) {}
CallRecord::~CallRecord() = default;

const char* CallRecord::GetName()
{
    return m_text.Get(Name);
}
const char* CallRecord::GetPhoneNumber()
{
    return m_text.Get(Phone);
}
const char* CallRecord::GetDate()
{
    return m_text.Get(Date);
}
const char* CallRecord::GetCallType()
{
    return m_text.Get(Type);
}
const char* CallRecord::GetDuration()
{
    return m_text.Get(Duration);
}
