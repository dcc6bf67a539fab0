#ifndef ENGINETASK_H
#define ENGINETASK_H

#include "contracts/itaskctrl.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

// A scan or export task: runs its body on a worker thread of its own and
// passes the body's reports to the caller's callback. Owned by the data
// source that made it, which joins the thread before it goes; Release() only
// asks the task to stop. Status: 5 until Start(), then the last status
// reported, then the body's end status (3, 4 or 5).
class EngineTask : public MMobile::ITaskCtrl
{
public:
    // Runs on the worker thread; answers the end status.
    using Body = std::function<TASK_CTRL_STATUS(EngineTask& task)>;

    EngineTask(MMobile::TaskCallBack callback, void* context, Body body);
    virtual ~EngineTask();
    EngineTask(const EngineTask&) = delete;
    EngineTask& operator=(const EngineTask&) = delete;

    bool Start() override;
    void Release() override;
    TASK_CTRL_STATUS GetStatus() override;

    // For the body: passes one report on; false once the caller asked to stop
    // (now or earlier) or the task was released.
    bool Report(MMobile::MDType type, int status, int percent, const char* label);
    bool StopRequested() const { return m_stop.load(); }
    void RequestStop() { m_stop.store(true); }
    // Blocks until the body has returned (at once when never started).
    void Wait();
    bool IsReleased() const { return m_released.load(); }
    // The body has sent its end report (it may still be inside the
    // callback): the task no longer holds the data source.
    bool IsEnding() const { return m_ending.load(); }

private:
    void Run();

    MMobile::TaskCallBack m_callback;
    void* m_context;
    Body m_body;
    std::atomic<int> m_status{MMobile::TASK_STOP};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_released{false};
    std::atomic<bool> m_ending{false};
    std::mutex m_threadMutex;
    std::thread m_thread;
    bool m_started = false;
};

#endif // ENGINETASK_H
