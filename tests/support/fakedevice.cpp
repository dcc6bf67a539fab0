#include "fakedevice.h"

#include "contracts/mmobiletypes.h"

MMobile::ICategoryDataSource* FakeDevice::GetDataSource(MMobile::MDType type)
{
    auto it = m_sources.find(type);
    return it == m_sources.end() ? nullptr : it->second;
}

const char* FakeDevice::GetTextProperty(int key, int index)
{
    if (index != 0)
        return nullptr;
    if (key == MMobile::DEVICE_PROP_RECOVERABLE_TYPES)
        return m_saysRecoverable ? m_recoverable.constData() : nullptr;
    return key == MMobile::DEVICE_PROP_DISPLAY_NAME ? m_displayName.get() : nullptr;
}

void FakeDevice::setDataSource(MMobile::MDType type, MMobile::ICategoryDataSource* source)
{
    if (source)
        m_sources[type] = source;
    else
        m_sources.erase(type);
}
