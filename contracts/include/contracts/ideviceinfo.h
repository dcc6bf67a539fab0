#ifndef MMOBILE_IDEVICEINFO_H
#define MMOBILE_IDEVICEINFO_H

// Text properties of a device, owned by the device.

namespace MMobile {

class IDeviceInfo
{
public:
    // Zero-terminated UTF-8 or null. Key DEVICE_PROP_DISPLAY_NAME (37) with
    // index 0 is the name the user gave the device; other keys are the engine's.
    virtual const char* GetTextProperty(int key, int index) = 0;

protected:
    ~IDeviceInfo() = default;
};

} // namespace MMobile

#endif // MMOBILE_IDEVICEINFO_H
