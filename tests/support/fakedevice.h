#ifndef FAKEDEVICE_H
#define FAKEDEVICE_H

#include "faketext.h"

#include "contracts/idevice.h"
#include "contracts/ideviceinfo.h"

#include <QByteArray>

#include <map>

// A connected device for tests, which is also its own device information (a
// display name, or null). It hands out the data source set for each category,
// which stays the test's (the page's Release() is only counted by
// FakeDataSource). Categories without one answer null. GUI thread only, where
// pages load.
class FakeDevice : public MMobile::IDevice, public MMobile::IDeviceInfo
{
public:
    explicit FakeDevice(const FakeText& displayName = FakeText()) : m_displayName(displayName) {}

    FakeDevice(const FakeDevice&) = delete;
    FakeDevice& operator=(const FakeDevice&) = delete;

    MMobile::IDeviceInfo* GetDeviceInfo() override { return this; }
    MMobile::ICategoryDataSource* GetDataSource(MMobile::MDType type) override;
    const char* GetTextProperty(int key, int index) override;

    // What the device says it takes back (DEVICE_PROP_RECOVERABLE_TYPES);
    // unset, it says nothing.
    void setRecoverableTypes(const QByteArray& types)
    {
        m_recoverable = types;
        m_saysRecoverable = true;
    }

    // Null removes the category's source.
    void setDataSource(MMobile::MDType type, MMobile::ICategoryDataSource* source);

private:
    const FakeText m_displayName;
    QByteArray m_recoverable;
    bool m_saysRecoverable = false;
    std::map<int, MMobile::ICategoryDataSource*> m_sources;
};

#endif // FAKEDEVICE_H
