#ifndef ITEMREADERS_H
#define ITEMREADERS_H

#include <atomic>
#include <memory>

class TaskItem;

// Worker threads that read the engine's records through a store's item
// pointers while the GUI thread goes on. The records live as long as the
// category's data source, which the page releases only after the store let go
// of its items; a store therefore stops its readers (StopReaders) before it
// empties or dies, and a reader checks its lease before each record.
//
//   auto lease = ItemReaders::Lease(store);          // GUI thread
//   // worker:
//   if (lease->Enter()) { for (...) { if (lease->Cancelled()) break; read(item); } }
//   lease->Leave();
class ItemReaders
{
public:
    class Reader
    {
    public:
        explicit Reader(const TaskItem* store);
        // Whether the reader may start: false once its store stopped it.
        bool Enter();
        bool Cancelled() const { return m_cancelled.load(std::memory_order_acquire); }
        // The reader reads no record any more; its store may go on.
        void Leave();

    private:
        friend class ItemReaders;
        const TaskItem* m_store;
        std::atomic<bool> m_cancelled{false};
        bool m_running = false;
        bool m_left = false;
    };

    // A lease on the items of store, taken on the thread that owns the store.
    static std::shared_ptr<Reader> Lease(const TaskItem* store);
    // Cancels every reader of store and waits for those already reading.
    static void StopReaders(const TaskItem* store);
};

#endif // ITEMREADERS_H
