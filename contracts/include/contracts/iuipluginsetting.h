#ifndef IUIPLUGINSETTING_H
#define IUIPLUGINSETTING_H

// The host's settings and notification object, handed to every page and kept
// for the page's life (not owned). Texts are zero-terminated UTF-8 owned by the
// host. The notifications may be called from the engine's threads.

#include "contracts/mmobiletypes.h"

class QWidget;
struct DeviceEntry;

class IUIPluginSetting
{
public:
    // Parent of the page windows; may be null.
    virtual QWidget* GetParentWidget() = 0;
    // The stored output folder, possibly empty, never null.
    virtual const char* GetOutputDir() = 0;
    // The host copies `dir`.
    virtual void SetOutputDir(const char* dir) = 0;
    // A directory ending in a separator: -1 the common resources, else the category's skin.
    virtual const char* GetSkinDir(int type) = 0;
    // The connected devices; writes their number into `count`. The array is the
    // host's and stays valid until the next call.
    virtual DeviceEntry* GetDeviceList(unsigned int* count) = 0;
    virtual void OnPluginClose(MMobile::MDType type) = 0;
    virtual void OnOperationFailed(MMobile::MDType type) = 0;
    // `mode` is a RecoverMode, `ok` 1 for success and 0 for failure.
    virtual void OnRecoverResult(int mode, MMobile::MDType type, int ok) = 0;

protected:
    ~IUIPluginSetting() = default;
};

#endif // IUIPLUGINSETTING_H
