#ifndef MMOBILE_ICATEGORYDATASOURCE_H
#define MMOBILE_ICATEGORYDATASOURCE_H

// The per-category object a device hands out (IDevice::GetDataSource). It starts
// the category's scan, import and export tasks and hands out data getters.
// The page owns it and calls Release() once, in its destructor.

#include "contracts/mmobiletypes.h"

namespace MMobile {

class IMDGetter;
class ITaskCtrl;
struct ImportExportConfigure;

class ICategoryDataSource
{
public:
    // A data set by name (the reminders page asks for "Reminider"); null when unknown.
    virtual IMDGetter* GetNamedGetter(const char* name) = 0;
    // A scan task that waits for ITaskCtrl::Start(); null when the scan cannot
    // start. `mode` is the engine's; the page passes 1.
    virtual ITaskCtrl* StartScan(int mode, TaskCallBack callback, void* context) = 0;
    // The category's items; null when there are none yet.
    virtual IMDGetter* GetDataGetter() = 0;
    // Recovery tasks run from the call on (the library never calls Start() on
    // them); null when they cannot start. Both copy `config` during the call:
    // the caller destroys it when they return.
    virtual ITaskCtrl* StartImport(const ImportExportConfigure* config, TaskCallBack callback,
                                   void* context) = 0;
    virtual ITaskCtrl* StartExport(const ImportExportConfigure* config, TaskCallBack callback,
                                   void* context) = 0;
    virtual void Release() = 0;

protected:
    ~ICategoryDataSource() = default;
};

} // namespace MMobile

#endif // MMOBILE_ICATEGORYDATASOURCE_H
