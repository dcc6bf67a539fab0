#include "faketask.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>

FakeTask::FakeTask(MMobile::MDType type, const FakeTaskScript& script,
                   MMobile::TaskCallBack callback, void* context)
    : m_type(type), m_script(script), m_callback(callback), m_context(context)
{
}

FakeTask::~FakeTask()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_abort = true;
        m_wake.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
}

bool FakeTask::Start()
{
    if (m_started.exchange(true))
        return false;
    m_status = MMobile::TASK_BEGIN;
    m_thread = std::thread(&FakeTask::run, this);
    return true;
}

bool FakeTask::waitFinished(int timeoutMs)
{
    return m_started && waitFor(timeoutMs, [this] { return m_finished.load(); });
}

int FakeTask::waitHeld(int timeoutMs)
{
    if (!m_started)
        return -1;
    waitFor(timeoutMs, [this] { return m_heldStep >= 0 || m_finished; });
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_heldStep;
}

bool FakeTask::waitFor(int timeoutMs, const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (done())
                return true;
            if (timer.elapsed() >= timeoutMs)
                return false;
            m_wake.wait_for(lock, std::chrono::milliseconds(2), done);
        }
        // The GUI thread keeps its events moving, because a page's callback
        // may be waiting for a slot to run there.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

void FakeTask::release()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_releases;
    // Cleared here, not only by the worker, so that a waitHeld() right after
    // release() does not see the gate that was just opened.
    if (m_heldStep >= 0 && m_releases > m_gatesPassed)
        m_heldStep = -1;
    m_wake.notify_all();
}

void FakeTask::run()
{
    const std::vector<FakeTaskScript::Step>& steps = m_script.steps();
    int endStatus = MMobile::TASK_STOP;
    bool stopped = false;
    for (std::size_t i = 0; i < steps.size() && !stopped; ++i) {
        const FakeTaskScript::Step& step = steps[i];
        const int index = static_cast<int>(i);
        if (step.gate) {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_heldStep = index;
            m_wake.notify_all();
            m_wake.wait(lock, [this] { return m_abort || m_releases > m_gatesPassed; });
            m_heldStep = -1;
            ++m_gatesPassed;
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            stopped = m_abort;
        }
        if (stopped)
            break;
        if (step.action)
            step.action();

        // An end status shows only once its callback has returned: a page
        // that waits for it may be destroyed right after seeing it.
        const bool end = MMobile::IsTaskEndStatus(step.status);
        if (!end)
            m_status = step.status;
        const bool goOn = call(step.type.value_or(m_type), step.status, step.percent,
                               step.label ? &*step.label : nullptr);
        if (!goOn) {
            m_stoppedByCallback = true;
            stopped = true;
            break;
        }
        if (end)
            m_status = step.status;
        endStatus = step.status;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        stopped = stopped || m_abort;
    }
    m_status = (!stopped && MMobile::IsTaskEndStatus(endStatus)) ? endStatus : MMobile::TASK_STOP;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_finished = true;
    m_wake.notify_all();
}

bool FakeTask::call(int type, int status, int percent, const QByteArray* label)
{
    return !m_callback || m_callback(m_context, static_cast<MMobile::MDType>(type), status, percent,
                                     label ? label->constData() : nullptr);
}
