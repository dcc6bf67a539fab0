#ifndef FAKETASK_H
#define FAKETASK_H

#include "faketaskscript.h"

#include "contracts/itaskctrl.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// An engine task that plays a FakeTaskScript on a real worker thread, calling
// the page's callback as the engine would: from a thread that is not the GUI
// thread, in script order, stopping when the callback returns false.
//
// GetStatus() is TASK_STOP ("not running") before Start() and TASK_BEGIN from
// Start() to the first report. A running status shows from just before its
// report, an end status (3, 4, 5) only once its callback has returned, so that
// a page may go away as soon as it sees one. After the script: the last step's
// status when that is an end status, else TASK_STOP; a task stopped by a false
// result or by the destructor ends with TASK_STOP.
//
// The data source that started the task owns it. The destructor aborts the
// script (gates open) and joins the thread; it cannot cut
// short a callback that is itself waiting, so finish a page's task (or close
// the page) before the data source goes.
class FakeTask : public MMobile::ITaskCtrl
{
public:
    FakeTask(MMobile::MDType type, const FakeTaskScript& script, MMobile::TaskCallBack callback,
             void* context);
    virtual ~FakeTask();

    FakeTask(const FakeTask&) = delete;
    FakeTask& operator=(const FakeTask&) = delete;

    // Launches the worker; false when already started or the script says so.
    bool Start() override;
    void Release() override { ++m_releaseCalls; }
    MMobile::TASK_CTRL_STATUS GetStatus() override { return m_status; }

    // Waits until the worker has finished, processing the GUI thread's events
    // meanwhile (a page's callback may wait for its GUI thread). False on timeout.
    bool waitFinished(int timeoutMs);
    // Waits, processing events, until the worker stands at a gate; the index of
    // that step, or -1 on timeout or when the script ended first.
    int waitHeld(int timeoutMs);
    // Opens the gate the worker waits at, or the next one it reaches.
    void release();

    bool isFinished() const { return m_finished; }
    bool stoppedByCallback() const { return m_stoppedByCallback; }
    int releaseCalls() const { return m_releaseCalls; }

private:
    void run();
    // Waits until `done` (called under the lock) holds; false on timeout.
    bool waitFor(int timeoutMs, const std::function<bool()>& done);
    bool call(int type, int status, int percent, const QByteArray* label);

    const MMobile::MDType m_type;
    const FakeTaskScript m_script;
    const MMobile::TaskCallBack m_callback;
    void* const m_context;

    std::thread m_thread;
    std::atomic<int> m_status{MMobile::TASK_STOP};
    std::atomic<bool> m_started{false};
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_stoppedByCallback{false};
    std::atomic<int> m_releaseCalls{0};

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_abort = false;
    int m_releases = 0;    // release() calls so far
    int m_gatesPassed = 0; // gates the worker has gone through
    int m_heldStep = -1;
};

#endif // FAKETASK_H
