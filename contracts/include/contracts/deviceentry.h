#ifndef DEVICEENTRY_H
#define DEVICEENTRY_H

// One entry of the host's list of connected devices (IUIPluginSetting::GetDeviceList).
// The library reads only pDevice; the other members are the host's.

namespace MMobile {
class IDevice;
}

struct DeviceEntry
{
    MMobile::IDevice* pDevice; // may be null: a slot without a usable device
    int nState;
    int nReserved[2];
};

#endif // DEVICEENTRY_H
