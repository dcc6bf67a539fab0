#include "fakevoicememo.h"

#include "contracts/mmobiletypes.h"

FakeVoiceMemo::FakeVoiceMemo() = default;

FakeVoiceMemo::~FakeVoiceMemo() = default;

void FakeVoiceMemo::SetDropMark(bool drop)
{
    m_dropMark = drop;
}

const char* FakeVoiceMemo::GetDisplayText()
{
    return m_displayText.get();
}

std::uint64_t FakeVoiceMemo::GetTime()
{
    return m_time;
}

const char* FakeVoiceMemo::GetTextProperty(int key)
{
    auto it = m_properties.find(key);
    return it == m_properties.end() ? nullptr : it->second.get();
}

void FakeVoiceMemo::SetTextProperty(int key, const char* value)
{
    m_properties[key] = FakeText(value);
    m_writes.append(qMakePair(key, value ? QByteArray(value) : QByteArray()));
}
