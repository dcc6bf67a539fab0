#include "enginetasklist.h"

#include "enginetask.h"

EngineTaskList::~EngineTaskList()
{
    StopAll();
}

EngineTask* EngineTaskList::Add(std::unique_ptr<EngineTask> task)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_tasks.push_back(std::move(task));
    return m_tasks.back().get();
}

bool EngineTaskList::IsBusy()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& task : m_tasks) {
        if (!MMobile::IsTaskEndStatus(task->GetStatus()) && !task->IsEnding())
            return true;
    }
    return false;
}

void EngineTaskList::StopAll()
{
    std::vector<std::unique_ptr<EngineTask>> tasks;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        tasks.swap(m_tasks);
    }
    for (auto& task : tasks)
        task->RequestStop();
    // Each task joins its thread as it goes; not under the lock, so that a
    // task finishing meanwhile may still ask whether the list is busy.
    tasks.clear();
}
