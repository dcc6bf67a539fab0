#include "enginetask.h"

EngineTask::EngineTask(MMobile::TaskCallBack callback, void* context, Body body)
    : m_callback(callback), m_context(context), m_body(std::move(body))
{
}

EngineTask::~EngineTask()
{
    RequestStop();
    Wait();
}

bool EngineTask::Start()
{
    std::lock_guard<std::mutex> lock(m_threadMutex);
    if (m_started || m_released.load())
        return false;
    m_started = true;
    m_status.store(MMobile::TASK_BEGIN);
    m_thread = std::thread(&EngineTask::Run, this);
    return true;
}

void EngineTask::Release()
{
    m_released.store(true);
    RequestStop();
}

TASK_CTRL_STATUS EngineTask::GetStatus()
{
    return m_status.load();
}

bool EngineTask::Report(MMobile::MDType type, int status, int percent, const char* label)
{
    if (m_stop.load())
        return false;
    if (!MMobile::IsTaskEndStatus(status))
        m_status.store(status);
    else
        m_ending.store(true);
    if (m_callback && !m_callback(m_context, type, status, percent, label))
        m_stop.store(true);
    return !m_stop.load();
}

void EngineTask::Wait()
{
    std::lock_guard<std::mutex> lock(m_threadMutex);
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void EngineTask::Run()
{
    TASK_CTRL_STATUS end = MMobile::TASK_ERROR;
    if (m_body)
        end = m_body(*this);
    if (!MMobile::IsTaskEndStatus(end))
        end = MMobile::TASK_ERROR;
    m_status.store(end);
}
