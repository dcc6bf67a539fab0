#include "contactaddresslist.h"

ContactAddressList::ContactAddressList() = default;
ContactAddressList::~ContactAddressList() = default;

RecordText& ContactAddressList::Append()
{
    m_entries.emplace_back(FieldCount);
    return m_entries.back();
}

unsigned int ContactAddressList::GetCount()
{
    return static_cast<unsigned int>(m_entries.size());
}

const char* ContactAddressList::Get(unsigned int index, Field field) const
{
    return index < m_entries.size() ? m_entries[index].Get(field) : nullptr;
}

const char* ContactAddressList::GetStreet(unsigned int index)
{
    return Get(index, Street);
}
const char* ContactAddressList::GetCity(unsigned int index)
{
    return Get(index, City);
}
const char* ContactAddressList::GetState(unsigned int index)
{
    return Get(index, State);
}
const char* ContactAddressList::GetPostalCode(unsigned int index)
{
    return Get(index, PostalCode);
}
const char* ContactAddressList::GetCountry(unsigned int index)
{
    return Get(index, Country);
}
const char* ContactAddressList::GetLabel(unsigned int index)
{
    return Get(index, Label);
}
