#ifndef FAKEDEVICEINFO_H
#define FAKEDEVICEINFO_H

#include "faketext.h"

#include "contracts/ideviceinfo.h"

#include <map>
#include <mutex>
#include <utility>

// The text properties of a FakeDevice, set by the test per (key, index);
// unset properties answer null. Owned by its device.
//
// A returned text stays valid until that property is set again.
class FakeDeviceInfo : public MMobile::IDeviceInfo
{
public:
    FakeDeviceInfo();
    virtual ~FakeDeviceInfo();

    const char* GetTextProperty(int key, int index) override;

    void setTextProperty(int key, int index, const FakeText& value);
    // Key DEVICE_PROP_DISPLAY_NAME, index 0.
    void setDisplayName(const FakeText& name);
    int textPropertyCalls() const;

private:
    mutable std::mutex m_mutex;
    std::map<std::pair<int, int>, FakeText> m_texts;
    int m_calls = 0;
};

#endif // FAKEDEVICEINFO_H
