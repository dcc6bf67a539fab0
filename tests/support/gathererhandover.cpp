#include "gathererhandover.h"

#include "plugin/queuedemitscope.h"

#include <QObject>
#include <QThread>

#include <memory>
#include <vector>

#if defined(__SANITIZE_THREAD__)
#define CP_TSAN_GATHERER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define CP_TSAN_GATHERER 1
#endif
#endif

#ifdef CP_TSAN_GATHERER
// QtCore's hooks around every signal emission (exported, declared in a private
// header that Debian does not install).
struct QSignalSpyCallbackSet
{
    using BeginCallback = void (*)(QObject* caller, int signalOrMethodIndex, void** argv);
    using EndCallback = void (*)(QObject* caller, int signalOrMethodIndex);
    BeginCallback signal_begin_callback;
    BeginCallback slot_begin_callback;
    EndCallback signal_end_callback;
    EndCallback slot_end_callback;
};
void Q_DECL_IMPORT qt_register_signal_spy_callbacks(QSignalSpyCallbackSet* callbackSet);

namespace {

// The gatherer emits on its own thread, as the sender; a thread of ours that
// emits is never a QFileInfoGatherer. Emitting on itself: a pointer compared.
bool EmitsOnItself(QObject* caller)
{
    return caller == QThread::currentThread();
}

// One entry per emission of a thread on itself in progress on this thread,
// holding a scope when the thread is the gatherer.
thread_local std::vector<std::unique_ptr<QueuedEmitScope>> scopes;

void SignalBegins(QObject* caller, int, void**)
{
    if (!EmitsOnItself(caller))
        return;
    // Asked inside the scope: Qt frees the gatherer after a wait for its
    // thread that the sanitizer cannot see.
    auto scope = std::make_unique<QueuedEmitScope>();
    if (!caller->inherits("QFileInfoGatherer"))
        scope.reset();
    scopes.push_back(std::move(scope));
}

void SignalEnds(QObject* caller, int)
{
    if (EmitsOnItself(caller) && !scopes.empty())
        scopes.pop_back();
}

} // namespace

void HideFileInfoGathererHandOvers()
{
    static QSignalSpyCallbackSet hooks{SignalBegins, nullptr, SignalEnds, nullptr};
    static const bool installed = [] {
        qt_register_signal_spy_callbacks(&hooks);
        return true;
    }();
    Q_UNUSED(installed);
}
#else
void HideFileInfoGathererHandOvers() {}
#endif
