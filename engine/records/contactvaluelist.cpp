#include "contactvaluelist.h"

ContactValueList::ContactValueList() = default;
ContactValueList::~ContactValueList() = default;

void ContactValueList::Append(const QByteArray& value, const QByteArray& label)
{
    m_entries.push_back({value, label});
}

unsigned int ContactValueList::GetCount()
{
    return static_cast<unsigned int>(m_entries.size());
}

const char* ContactValueList::GetValue(unsigned int index)
{
    if (index >= m_entries.size() || m_entries[index].value.isNull())
        return nullptr;
    return m_entries[index].value.constData();
}

const char* ContactValueList::GetLabel(unsigned int index)
{
    if (index >= m_entries.size() || m_entries[index].label.isNull())
        return nullptr;
    return m_entries[index].label.constData();
}
