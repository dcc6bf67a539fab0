#include "fakedevice.h"

FakeDevice::FakeDevice(const FakeText& displayName)
{
    if (!displayName.isNull())
        m_info.setDisplayName(displayName);
}

FakeDevice::~FakeDevice() = default;

MMobile::IDeviceInfo* FakeDevice::GetDeviceInfo()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_infoCalls;
    return m_infoHidden ? nullptr : &m_info;
}

MMobile::ICategoryDataSource* FakeDevice::GetDataSource(MMobile::MDType type)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.append(type);
    auto it = m_sources.find(type);
    return it == m_sources.end() ? nullptr : it->second;
}

void FakeDevice::setDataSource(MMobile::MDType type, MMobile::ICategoryDataSource* source)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (source)
        m_sources[type] = source;
    else
        m_sources.erase(type);
}

void FakeDevice::setDeviceInfoHidden(bool hidden)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_infoHidden = hidden;
}

int FakeDevice::deviceInfoCalls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_infoCalls;
}

QVector<int> FakeDevice::dataSourceRequests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}
