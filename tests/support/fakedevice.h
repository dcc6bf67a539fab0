#ifndef FAKEDEVICE_H
#define FAKEDEVICE_H

#include "fakedeviceinfo.h"

#include "contracts/idevice.h"

#include <QVector>

#include <map>
#include <mutex>

// A connected device for tests: owns its FakeDeviceInfo and hands out the data
// source set for each category, which stays the test's (the page's Release()
// is only counted by FakeDataSource). Categories without one answer null.
class FakeDevice : public MMobile::IDevice
{
public:
    explicit FakeDevice(const FakeText& displayName = FakeText());
    virtual ~FakeDevice();

    FakeDevice(const FakeDevice&) = delete;
    FakeDevice& operator=(const FakeDevice&) = delete;

    MMobile::IDeviceInfo* GetDeviceInfo() override;
    MMobile::ICategoryDataSource* GetDataSource(MMobile::MDType type) override;

    FakeDeviceInfo& info() { return m_info; }
    void setDisplayName(const FakeText& name) { m_info.setDisplayName(name); }
    // Null removes the category's source.
    void setDataSource(MMobile::MDType type, MMobile::ICategoryDataSource* source);
    // GetDeviceInfo() answers null while hidden.
    void setDeviceInfoHidden(bool hidden);

    int deviceInfoCalls() const;
    // The categories asked for, in order.
    QVector<int> dataSourceRequests() const;

private:
    FakeDeviceInfo m_info;
    mutable std::mutex m_mutex;
    std::map<int, MMobile::ICategoryDataSource*> m_sources;
    bool m_infoHidden = false;
    int m_infoCalls = 0;
    QVector<int> m_requests;
};

#endif // FAKEDEVICE_H
