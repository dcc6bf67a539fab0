#include "fakedeviceinfo.h"

#include "contracts/mmobiletypes.h"

FakeDeviceInfo::FakeDeviceInfo() = default;

FakeDeviceInfo::~FakeDeviceInfo() = default;

const char* FakeDeviceInfo::GetTextProperty(int key, int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_calls;
    auto it = m_texts.find({key, index});
    return it == m_texts.end() ? nullptr : it->second.get();
}

void FakeDeviceInfo::setTextProperty(int key, int index, const FakeText& value)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_texts[{key, index}] = value;
}

void FakeDeviceInfo::setDisplayName(const FakeText& name)
{
    setTextProperty(MMobile::DEVICE_PROP_DISPLAY_NAME, 0, name);
}

int FakeDeviceInfo::textPropertyCalls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}
