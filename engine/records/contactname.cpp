#include "contactname.h"

ContactName::ContactName() : m_text(FieldCount) {}
ContactName::~ContactName() = default;

const char* ContactName::GetFirstName()
{
    return m_text.Get(First);
}
const char* ContactName::GetMiddleName()
{
    return m_text.Get(Middle);
}
const char* ContactName::GetLastName()
{
    return m_text.Get(Last);
}
const char* ContactName::GetPrefix()
{
    return m_text.Get(Prefix);
}
const char* ContactName::GetSuffix()
{
    return m_text.Get(Suffix);
}
const char* ContactName::GetNickname()
{
    return m_text.Get(Nickname);
}
const char* ContactName::GetFirstNamePhonetic()
{
    return m_text.Get(FirstPhonetic);
}
const char* ContactName::GetMiddleNamePhonetic()
{
    return m_text.Get(MiddlePhonetic);
}
const char* ContactName::GetLastNamePhonetic()
{
    return m_text.Get(LastPhonetic);
}
const char* ContactName::GetFullName()
{
    return m_text.Get(Full);
}
