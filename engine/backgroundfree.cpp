#include "backgroundfree.h"

#include <QtGlobal>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#ifdef Q_OS_UNIX
#include <pthread.h>
#endif

namespace {

// The queue and its thread; a static, so that the library's unloading joins
// a thread still freeing before the code it runs goes.
struct Freer
{
    std::mutex mutex;
    std::condition_variable idle;
    std::deque<std::shared_ptr<void>> queue;
    std::thread thread;
    bool running = false;

    ~Freer()
    {
        std::thread last;
        {
            std::lock_guard<std::mutex> lock(mutex);
            last = std::move(thread);
        }
        if (last.joinable())
            last.join();
    }

#ifdef Q_OS_UNIX
    // A forked child has none of the parent's threads: its copy of the
    // freeing thread is forgotten (never joined), and the queue is its own.
    static void Prepare();
    static void InParent();
    static void InChild();
#endif

    void Run()
    {
        std::unique_lock<std::mutex> lock(mutex);
        while (!queue.empty()) {
            std::shared_ptr<void> garbage = std::move(queue.front());
            queue.pop_front();
            lock.unlock();
            garbage.reset();
            lock.lock();
        }
        running = false;
        idle.notify_all();
    }
};

Freer& Make()
{
    static Freer freer;
#ifdef Q_OS_UNIX
    pthread_atfork(&Freer::Prepare, &Freer::InParent, &Freer::InChild);
#endif
    return freer;
}

Freer& Instance()
{
    static Freer& freer = Make();
    return freer;
}

#ifdef Q_OS_UNIX
void Freer::Prepare()
{
    Instance().mutex.lock();
}

void Freer::InParent()
{
    Instance().mutex.unlock();
}

void Freer::InChild()
{
    Freer& freer = Instance();
    new (&freer.thread) std::thread();
    freer.running = false;
    freer.mutex.unlock();
}
#endif

} // namespace

void BackgroundFree::Later(std::shared_ptr<void> garbage)
{
    if (!garbage)
        return;
    Freer& freer = Instance();
    std::thread ended;
    {
        std::lock_guard<std::mutex> lock(freer.mutex);
        freer.queue.push_back(std::move(garbage));
        if (freer.running)
            return;
        // The thread that ran out last time has left its loop; it is joined
        // below, outside the lock, and a new one takes the queue.
        ended = std::move(freer.thread);
        try {
            freer.thread = std::thread(&Freer::Run, &freer);
            freer.running = true;
        } catch (const std::system_error&) {
            garbage = std::move(freer.queue.back());
            freer.queue.pop_back();
        }
    }
    if (ended.joinable())
        ended.join();
    // No thread: freed here, as before.
    garbage.reset();
}

void BackgroundFree::Wait()
{
    Freer& freer = Instance();
    std::thread ended;
    {
        std::unique_lock<std::mutex> lock(freer.mutex);
        freer.idle.wait(lock, [&freer] { return !freer.running; });
        ended = std::move(freer.thread);
    }
    // Joined, so that no thread of it is left, not even one on its way out.
    if (ended.joinable())
        ended.join();
}
