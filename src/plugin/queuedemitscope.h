#pragma once

// Marks a signal emitted (or a call queued) on an engine thread towards the GUI
// thread's queue.
// Qt queues the call under its own lock (a futex in Qt 5) that ThreadSanitizer
// cannot see: the call event allocated here and the posted-event list that
// this thread and the GUI thread both shift look shared without order. In a
// ThreadSanitizer build the scope hides this thread's accesses while Qt queues
// the call; the GUI thread's side, the slots and all other code stay checked.
// Elsewhere it does nothing. Hold it around the emit only: a slot connected
// directly (not queued) to the signal would run inside the scope unchecked.
class QueuedEmitScope
{
public:
    QueuedEmitScope();
    ~QueuedEmitScope();
    QueuedEmitScope(const QueuedEmitScope&) = delete;
    QueuedEmitScope& operator=(const QueuedEmitScope&) = delete;
};
