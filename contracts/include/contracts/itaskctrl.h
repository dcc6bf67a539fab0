#ifndef MMOBILE_ITASKCTRL_H
#define MMOBILE_ITASKCTRL_H

// A scan, import or export task of the engine. The engine owns it; the library
// starts it, polls its status and releases a failed task before a retry.

#include "contracts/mmobiletypes.h"

namespace MMobile {

class ITaskCtrl
{
public:
    virtual bool Start() = 0;
    virtual void Release() = 0;
    // Thread-safe: the library polls it from the GUI thread while the task runs.
    virtual TASK_CTRL_STATUS GetStatus() = 0;

protected:
    ~ITaskCtrl() = default;
};

} // namespace MMobile

#endif // MMOBILE_ITASKCTRL_H
