#ifndef IUIDATAPLUGIN_H
#define IUIDATAPLUGIN_H

// What the host calls on a category page. An interface without data whose
// operation table the host calls directly, in this order. The host frees a
// page with Free(), never with delete through this interface.

#include "contracts/mmobiletypes.h"

class QWidget;
class ILoadCallback;

namespace MMobile {
class IDevice;
class ITaskCtrl;
struct ImportExportConfigure;
} // namespace MMobile

class IUIDataPlugin
{
public:
    // Starts (or reuses) the scan of the page's category; the page's widget, or null.
    virtual QWidget* Load(MMobile::IDevice* device, ILoadCallback* callback) = 0;
    virtual void Free() = 0;
    // Exports every item without any dialog; the reports go to `callback`.
    virtual MMobile::ITaskCtrl* ExportSilent(MMobile::ImportExportConfigure* config,
                                             MMobile::TaskCallBack callback,
                                             void* context) = 0;
    virtual bool WriteParam(const char* key, void* value) = 0;
    virtual bool IsLoad(MMobile::IDevice* device) = 0;
    virtual void UpdateRecoverState() = 0;
    virtual void ClosePlugin() = 0;
    virtual unsigned int GetDataCount() = 0;

protected:
    ~IUIDataPlugin() = default;
};

#endif // IUIDATAPLUGIN_H
