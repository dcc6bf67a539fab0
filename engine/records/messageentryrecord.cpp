#include "messageentryrecord.h"

MessageEntryRecord::MessageEntryRecord(bool sent) : m_text(FieldCount), m_sent(sent) {}
MessageEntryRecord::~MessageEntryRecord() = default;

const char* MessageEntryRecord::GetText()
{
    return m_text.Get(Text);
}
const char* MessageEntryRecord::GetSender()
{
    return m_text.Get(Sender);
}
const char* MessageEntryRecord::GetDate()
{
    return m_text.Get(Date);
}
bool MessageEntryRecord::IsSent()
{
    return m_sent;
}
