// Proof that the ThreadSanitizer suppressions (support/tsan.supp) hide Qt's own
// hand-overs only. Each row runs this program again as a child, under the same
// TSAN_OPTIONS and with glib's or Qt's own event dispatcher, and plays one
// shape in which Qt's frames surround code of ours: with a deliberate race of
// ours the child must be reported (the report naming our frame and the Qt
// frame around it); without one it must stay quiet. A suppression that grows
// over our code fails the first kind, a missing one the second.
//
//   tst_tsanproof                       the rows
//   tst_tsanproof --child SHAPE RACE    one shape; RACE is "race" or "quiet"
#include "gathererhandover.h"
#include "plugin/queuedemitscope.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

// Written by two threads with nothing ordering the two writes.
int racedCounter = 0;
// Pixels that our own thread writes while Qt copies them.
unsigned char racedPixels[16 * 16 * 4];

namespace {

bool racing = true;
std::atomic<bool> workerStarted{false};

// The flag orders what the worker did before setting it, not what follows.
void startedOnWorker()
{
    workerStarted.store(true);
}

void waitForWorker()
{
    while (!workerStarted.load())
        QThread::yieldCurrentThread();
}

void writeOnWorker()
{
    startedOnWorker();
    if (racing)
        racedCounter = racedCounter + 1;
}

// The main thread's side of every race.
void writeOnMain()
{
    waitForWorker();
    if (racing)
        racedCounter = racedCounter + 1;
}

// An object of ours whose destructor runs on the thread that deletes it.
class RacingObject : public QObject
{
public:
    ~RacingObject() override { writeOnWorker(); }
};

// An event of ours that the receiving thread deletes after delivering it.
class RacingEvent : public QEvent
{
public:
    RacingEvent() : QEvent(QEvent::User) {}
    ~RacingEvent() override { writeOnWorker(); }
};

// A functor's capture whose last copy is destroyed with Qt's call event.
struct RacingCapture
{
    bool owner = true;
    RacingCapture() = default;
    RacingCapture(RacingCapture&& other) noexcept { other.owner = false; }
    RacingCapture(const RacingCapture& other) = delete;
    ~RacingCapture()
    {
        if (owner)
            writeOnWorker();
    }
};

// A thread of Qt's with an event loop, holding a receiver of ours.
struct Worker
{
    QThread thread;
    QObject receiver;
    Worker()
    {
        // Qt makes a receiver's connection data at its first queued call, on
        // the worker, and frees it here after the worker ended: a hand-over
        // through QThread::wait whose only Qt frames also run our code. Made
        // here, before the receiver moves, it stays on this thread.
        QObject::connect(&receiver, &QObject::objectNameChanged, &receiver, [] {});
        receiver.moveToThread(&thread);
        thread.start();
    }
    ~Worker()
    {
        thread.quit();
        thread.wait();
    }
};

// An object of the main thread whose signal another thread emits, as a page
// reports from the engine's thread.
class Reporter : public QObject
{
    Q_OBJECT
signals:
    void report();
};

// A thread of ours that emits on itself from its own thread, as Qt's file info
// gatherer does: the hook hiding the gatherer's emissions must not hide it.
class EmittingThread : public QThread
{
    Q_OBJECT
signals:
    void progressed();

protected:
    void run() override { emit progressed(); }
};

// Keeps a low-priority event queued on the main thread, as a widget's update
// request does, so that Qt inserts each report in front of it and shifts the
// queue on both threads.
class Ticker : public QObject
{
public:
    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        QCoreApplication::postEvent(this, new QEvent(QEvent::User), Qt::LowEventPriority);
        return true;
    }
};

// A thread of ours emits reports into the main thread's queue, each inside
// QueuedEmitScope, and writes after the last; a slot writes on the main
// thread. Nothing but Qt's queue orders the two threads.
void playQueuedEmit()
{
    constexpr int reports = 20;
    Reporter reporter;
    Ticker ticker;
    int delivered = 0;
    QObject::connect(&reporter, &Reporter::report, &reporter, [&delivered] {
        if (++delivered == reports)
            writeOnMain();
    });
    QCoreApplication::postEvent(&ticker, new QEvent(QEvent::User), Qt::LowEventPriority);
    std::thread engine([&reporter] {
        for (int i = 0; i < reports; ++i) {
            {
                const QueuedEmitScope queued;
                emit reporter.report();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        writeOnWorker();
    });
    while (delivered < reports)
        QCoreApplication::processEvents();
    engine.join();
    QCoreApplication::removePostedEvents(&ticker);
}

// One round of a shape; false for an unknown one.
bool playShape(const QByteArray& shape)
{
    workerStarted.store(false);
    if (shape == "queuedemit") {
        playQueuedEmit();
        return true;
    }
    if (shape == "imagecopy") {
        // Our own thread fills the pixels while QImage::copy reads them.
        std::thread painter([] {
            startedOnWorker();
            if (racing)
                for (unsigned char& byte : racedPixels)
                    byte = 0x7f;
        });
        waitForWorker();
        const QImage image(racedPixels, 16, 16, QImage::Format_ARGB32);
        const QImage copy = image.copy();
        painter.join();
        return !copy.isNull();
    }
    if (shape == "selfemit") {
        EmittingThread thread;
        QObject::connect(&thread, &EmittingThread::progressed, &thread, writeOnWorker,
                         Qt::DirectConnection);
        thread.start();
        writeOnMain();
        thread.wait();
        return true;
    }
    if (shape == "pool") {
        QThreadPool pool;
        pool.start(std::function<void()>(writeOnWorker));
        writeOnMain();
        pool.waitForDone();
        return true;
    }
    Worker worker;
    if (shape == "queued") {
        QMetaObject::invokeMethod(&worker.receiver, writeOnWorker, Qt::QueuedConnection);
    } else if (shape == "deletelater") {
        // Made on the worker, so that only its deletion is left to the posted event.
        QMetaObject::invokeMethod(
            &worker.receiver, [] { (new RacingObject)->deleteLater(); }, Qt::QueuedConnection);
    } else if (shape == "eventdestructor") {
        QCoreApplication::postEvent(&worker.receiver, new RacingEvent);
    } else if (shape == "functordestructor") {
        // The call's functor has two owners, the event and invokeMethod's
        // own hold until it returns; whichever lets go last destroys it. A
        // worker that delivered the event before this thread got the core
        // back would leave the capture to this thread, with no race to
        // see, so the worker is held until invokeMethod has returned.
        std::atomic<bool> posted{false};
        QMetaObject::invokeMethod(
            &worker.receiver,
            [&posted] {
                while (!posted.load())
                    QThread::yieldCurrentThread();
            },
            Qt::QueuedConnection);
        QMetaObject::invokeMethod(
            &worker.receiver, [capture = RacingCapture()] { Q_UNUSED(capture); },
            Qt::QueuedConnection);
        posted.store(true);
    } else {
        return false;
    }
    writeOnMain();
    return true;
}

int runChild(const QByteArray& shape)
{
    // Says which dispatcher Qt chose (for every thread alike), for the parent to check.
    // As the tests that answer file dialogs run.
    HideFileInfoGathererHandOvers();
    printf("dispatcher %s\n", QAbstractEventDispatcher::instance()->metaObject()->className());
    fflush(stdout);
    // Now and then Qt's own locking happens to order the two sides of a round
    // in a way the sanitizer sees; a few rounds make a miss unlikely.
    for (int round = 0; round < 4; ++round) {
        if (!playShape(shape))
            return 2;
    }
    return 0;
}

} // namespace

class TsanProof : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // CTest gives every test the suppressions; without them this proves nothing.
        const QByteArray options = qgetenv("TSAN_OPTIONS");
        QVERIFY2(options.contains("suppressions="), options.constData());
    }

    void shapes_data()
    {
        QTest::addColumn<QByteArray>("shape");
        QTest::addColumn<bool>("glib");
        QTest::addColumn<bool>("race");
        // The frame of ours the report must name, and the Qt frame around it.
        QTest::addColumn<QByteArray>("ours");
        QTest::addColumn<QByteArray>("through");

        struct Shape
        {
            const char* name;
            const char* ours;
            const char* through;
            bool loop; // run by a thread's event loop, under either dispatcher
            // Also played without a race, to stay quiet. Not for an event of
            // ours: the receiving thread frees it, and Qt's only frame there
            // is the one that must stay reported.
            bool quiet;
        };
        const Shape shapes[] = {
            {"imagecopy", "racedPixels", "QImage::copy", false, true},
            {"pool", "writeOnWorker", "(libQt5Core.so.5+", false, true},
            {"selfemit", "writeOnWorker", "(libQt5Core.so.5+", false, true},
            {"queued", "writeOnWorker", "QObject::event", true, true},
            {"deletelater", "~RacingObject", "QObject::event", true, true},
            {"eventdestructor", "~RacingEvent", "QCoreApplicationPrivate::sendPostedEvents", true,
             false},
            {"functordestructor", "~RacingCapture", "QMetaCallEvent::~QMetaCallEvent", true, true},
            {"queuedemit", "writeOnWorker", "QObject::event", true, true},
        };
        for (const Shape& shape : shapes) {
            for (bool glib : {true, false}) {
                if (!glib && !shape.loop)
                    continue;
                for (bool race : {true, false}) {
                    if (!race && !shape.quiet)
                        continue;
                    QTest::addRow("%s %s %s", shape.name, glib ? "glib" : "unix",
                                  race ? "race" : "quiet")
                        << QByteArray(shape.name) << glib << race << QByteArray(shape.ours)
                        << QByteArray(shape.through);
                }
            }
        }
    }

    void shapes()
    {
        QFETCH(QByteArray, shape);
        QFETCH(bool, glib);
        QFETCH(bool, race);
        QFETCH(QByteArray, ours);
        QFETCH(QByteArray, through);

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (glib)
            environment.remove(QStringLiteral("QT_NO_GLIB"));
        else
            environment.insert(QStringLiteral("QT_NO_GLIB"), QStringLiteral("1"));
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), QString::fromLatin1(shape),
                     race ? QStringLiteral("race") : QStringLiteral("quiet")});
        QVERIFY(child.waitForFinished(60000));
        const QByteArray out = child.readAllStandardOutput();
        const QByteArray report = child.readAllStandardError();
        const bool reported = report.contains("WARNING: ThreadSanitizer");

        QVERIFY2(out.startsWith("dispatcher "), out.constData());
        QCOMPARE(out.contains("Glib"), glib);
        if (!race) {
            QVERIFY2(!reported && child.exitCode() == 0, report.constData());
            return;
        }
        // The sanitizer's exit status for a run with reports.
        QCOMPARE(child.exitCode(), 66);
        QVERIFY2(reported && report.contains(ours) && report.contains(through), report.constData());
    }
};

int main(int argc, char** argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--child") == 0) {
        // A GUI application, as the tests and the host have: its platform picks the dispatcher.
        QGuiApplication app(argc, argv);
        racing = qstrcmp(argv[3], "race") == 0;
        return runChild(argv[2]);
    }
    QCoreApplication app(argc, argv);
    TsanProof proof;
    return QTest::qExec(&proof, argc, argv);
}

#include "tst_tsanproof.moc"
