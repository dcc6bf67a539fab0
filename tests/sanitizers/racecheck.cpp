// A deliberate data race between the main thread and code of ours that Qt runs
// on another thread (a functor queued to a QThread's event loop, or a task of
// QThreadPool). CTest expects ThreadSanitizer to report it: if a suppression
// ever covers the Qt frames below our code, the check fails.
//
//   tsan_racecheck queued|pool
#include <QByteArray>
#include <QCoreApplication>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <functional>

// Written by both threads with nothing ordering the two writes.
int racedCounter = 0;

namespace {

std::atomic<bool> workerStarted{false};

void writeOnWorker()
{
    workerStarted.store(true);
    racedCounter = racedCounter + 1;
}

// The flag orders only what the worker did before setting it, not its write.
void waitForWorker()
{
    while (!workerStarted.load())
        QThread::yieldCurrentThread();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray("queued");
    if (mode == "queued") {
        QThread thread;
        QObject receiver;
        receiver.moveToThread(&thread);
        thread.start();
        QMetaObject::invokeMethod(&receiver, writeOnWorker, Qt::QueuedConnection);
        waitForWorker();
        racedCounter = racedCounter + 1;
        thread.quit();
        thread.wait();
        return 0;
    }
    QThreadPool pool;
    pool.start(std::function<void()>(writeOnWorker));
    waitForWorker();
    racedCounter = racedCounter + 1;
    pool.waitForDone();
    return 0;
}
