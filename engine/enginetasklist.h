#ifndef ENGINETASKLIST_H
#define ENGINETASKLIST_H

#include <memory>
#include <mutex>
#include <vector>

class EngineTask;

// The tasks one data source made: kept until the source goes, since a page
// may ask a finished task for its status. StopAll() (the source's
// destructor) stops them and waits for their threads. Thread-safe.
class EngineTaskList
{
public:
    EngineTaskList() = default;
    ~EngineTaskList();
    EngineTaskList(const EngineTaskList&) = delete;
    EngineTaskList& operator=(const EngineTaskList&) = delete;

    EngineTask* Add(std::unique_ptr<EngineTask> task);
    // Whether a task still works. One in its end report has finished: a page
    // may start the next task as soon as that report reaches it.
    bool IsBusy();
    void StopAll();

private:
    std::mutex m_mutex;
    std::vector<std::unique_ptr<EngineTask>> m_tasks;
};

#endif // ENGINETASKLIST_H
