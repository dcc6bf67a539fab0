#ifndef BACKGROUNDCALL_H
#define BACKGROUNDCALL_H

#include <QPointer>
#include <QtContainerFwd>

#include <functional>
#include <memory>
#include <thread>

class QObject;
class QString;

// Runs one job at a time on a thread of its own and hands its follow-up to the
// thread of a context object (the host's GUI thread). The host's short jobs
// (listing backups, checking one, checking a password) use it instead of a
// pool: the thread's start, its end and the hand-over of the result are plain
// thread and mutex operations that ThreadSanitizer follows, where a future's
// hand-over through Qt's own event code is not.
//
// The follow-up runs only while the call lives; the destructor waits for a
// running job (a job must answer its own stop flag to end quickly) and drops
// its follow-up. Owned by value by the object whose job it runs.
//
//     m_call.Run<Summary>([folder] { return Summary::Read(folder); },
//                         [this](const Summary& s) { emit checked(s); });
class BackgroundCall
{
public:
    explicit BackgroundCall(QObject* context);
    ~BackgroundCall();
    BackgroundCall(const BackgroundCall&) = delete;
    BackgroundCall& operator=(const BackgroundCall&) = delete;

    // False (and nothing starts) while a job runs. `done` runs on the
    // context's thread after `work` has returned on the worker.
    bool Start(std::function<void()> work, std::function<void()> done);

    // The same with a result handed from the worker to the follow-up.
    template <typename Result>
    bool Run(std::function<Result()> work, std::function<void(const Result&)> done)
    {
        auto result = std::make_shared<Result>();
        return Start([work = std::move(work), result]() { *result = work(); },
                     [done = std::move(done), result]() { done(*result); });
    }

    // Text for a job that shares no data with the caller's. A shared copy is
    // let go by whichever thread ends last, after a count that Qt's compiled
    // code keeps out of ThreadSanitizer's sight.
    static QString OwnCopy(const QString& text);
    static QStringList OwnCopy(const QStringList& texts);

    // True from Start() until just before the follow-up runs.
    bool IsRunning() const;
    // Blocks until the running job's work has returned; its follow-up still
    // comes through the context's event queue.
    void Wait();

private:
    struct State;

    QPointer<QObject> m_context;
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

#endif // BACKGROUNDCALL_H
