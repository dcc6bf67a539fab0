#ifndef ENGINETASKS_H
#define ENGINETASKS_H

// Runs the engine's tasks to their end for the benchmarks, reporting nowhere.

#include "contracts/mmobile.h"

#include <QThread>

namespace enginetasks {

inline bool Quiet(void*, MMobile::MDType, int, int, const char*)
{
    return true;
}

// A scan waits for Start(); an export runs from StartExport() on. The end
// status, or -1 when there is no task or it does not start.
inline int Run(MMobile::ITaskCtrl* task, bool start = true)
{
    if (!task || (start && !task->Start()))
        return -1;
    while (!MMobile::IsTaskEndStatus(task->GetStatus()))
        QThread::usleep(200);
    return task->GetStatus();
}

} // namespace enginetasks

#endif // ENGINETASKS_H
