#ifndef BACKGROUNDFREE_H
#define BACKGROUNDFREE_H

#include "mmobileengine_global.h"

#include <memory>

// Frees, on a thread of its own, memory no one refers to any more: the items
// and leftovers of a released data source. Freeing the records of a large
// scan takes tens of milliseconds, and the thread that releases a source is
// the GUI's when a page closes. Memory only: files, connections and threads
// are closed before anything comes here. Process-wide and thread-safe; the
// freeing thread ends when nothing is left, and a running one is waited for
// when the library goes.
//
//     BackgroundFree::Later(std::make_shared<Items>(std::move(items)));
class MMOBILEENGINE_EXPORT BackgroundFree
{
public:
    // Lets go of `garbage` on the freeing thread; here when no thread can be had.
    static void Later(std::shared_ptr<void> garbage);
    // Returns once everything given so far is freed and the freeing thread
    // has ended (memory figures, tests, before a fork).
    static void Wait();
};

#endif // BACKGROUNDFREE_H
