#ifndef MMOBILE_IDEVICE_H
#define MMOBILE_IDEVICE_H

// A connected device or an opened backup. Owned by the engine; the library
// compares devices by pointer and never releases one.

#include "contracts/mmobiletypes.h"

namespace MMobile {

class IDeviceInfo;
class ICategoryDataSource;

class IDevice
{
public:
    // Never null for a usable device; the library still checks.
    virtual IDeviceInfo* GetDeviceInfo() = 0;
    // A new data source for `type`, owned by the caller (Release()), or null.
    virtual ICategoryDataSource* GetDataSource(MDType type) = 0;

protected:
    ~IDevice() = default;
};

} // namespace MMobile

#endif // MMOBILE_IDEVICE_H
