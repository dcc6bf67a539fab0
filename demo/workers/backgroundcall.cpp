#include "workers/backgroundcall.h"

#include "plugin/queuedemitscope.h"

#include <QMetaObject>
#include <QObject>
#include <QStringList>

#include <mutex>

struct BackgroundCall::State
{
    // The worker's writes (the result among them) happen before it releases
    // this lock; the follow-up takes it first, so it sees all of them.
    std::mutex lock;
    bool alive = true;    // false once the call goes: a late follow-up is dropped
    bool running = false; // GUI thread only
};

BackgroundCall::BackgroundCall(QObject* context)
    : m_context(context), m_state(std::make_shared<State>())
{
}

BackgroundCall::~BackgroundCall()
{
    {
        const std::lock_guard<std::mutex> guard(m_state->lock);
        m_state->alive = false;
    }
    Wait();
}

bool BackgroundCall::Start(std::function<void()> work, std::function<void()> done)
{
    if (m_state->running || !m_context)
        return false;
    Wait(); // the last job's thread has returned its work; let it end
    m_state->running = true;
    const std::shared_ptr<State> state = m_state;
    QObject* context = m_context;
    m_thread =
        std::thread([state, context, work = std::move(work), done = std::move(done)]() mutable {
            work();
            // What the job captured goes here, before the hand-over, so that no
            // copy of it outlives the hand-over on this thread.
            work = nullptr;
            {
                // Releasing the lock publishes the job's writes to the follow-up.
                const std::lock_guard<std::mutex> guard(state->lock);
                if (!state->alive)
                    return;
            }
            // The context lives as long as the call (its owner), and the call
            // waits for this thread: the pointer is good here.
            const QueuedEmitScope queued;
            QMetaObject::invokeMethod(
                context,
                [state, done = std::move(done)]() {
                    {
                        const std::lock_guard<std::mutex> guard(state->lock);
                        if (!state->alive)
                            return;
                    }
                    state->running = false;
                    done();
                },
                Qt::QueuedConnection);
        });
    return true;
}

bool BackgroundCall::IsRunning() const
{
    return m_state->running;
}

void BackgroundCall::Wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

QString BackgroundCall::OwnCopy(const QString& text)
{
    return QString(text.constData(), text.size());
}

QStringList BackgroundCall::OwnCopy(const QStringList& texts)
{
    QStringList copy;
    copy.reserve(texts.size());
    for (const QString& text : texts)
        copy << OwnCopy(text);
    return copy;
}
