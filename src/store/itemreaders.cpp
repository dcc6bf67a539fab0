#include "store/itemreaders.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

struct Registry
{
    std::mutex lock;
    std::condition_variable left;
    std::vector<ItemReaders::Reader*> readers;
};

Registry& Readers()
{
    static Registry registry;
    return registry;
}

} // namespace

ItemReaders::Reader::Reader(const TaskItem* store) : m_store(store) {}

bool ItemReaders::Reader::Enter()
{
    Registry& registry = Readers();
    std::lock_guard<std::mutex> guard(registry.lock);
    m_running = !m_cancelled.load(std::memory_order_relaxed) && !m_left;
    return m_running;
}

void ItemReaders::Reader::Leave()
{
    Registry& registry = Readers();
    {
        std::lock_guard<std::mutex> guard(registry.lock);
        if (m_left)
            return;
        m_left = true;
        m_running = false;
        auto& readers = registry.readers;
        readers.erase(std::remove(readers.begin(), readers.end(), this), readers.end());
    }
    registry.left.notify_all();
}

std::shared_ptr<ItemReaders::Reader> ItemReaders::Lease(const TaskItem* store)
{
    // A lease that is dropped unread leaves the registry with it.
    std::shared_ptr<Reader> reader(new Reader(store), [](Reader* r) {
        r->Leave();
        delete r;
    });
    Registry& registry = Readers();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.readers.push_back(reader.get());
    return reader;
}

// A reader that has not entered yet never will; one that has is at most one
// record away from seeing the cancellation.
void ItemReaders::StopReaders(const TaskItem* store)
{
    Registry& registry = Readers();
    std::unique_lock<std::mutex> guard(registry.lock);
    auto reading = [&] {
        bool any = false;
        for (Reader* reader : registry.readers) {
            if (reader->m_store != store)
                continue;
            reader->m_cancelled.store(true, std::memory_order_release);
            any = any || reader->m_running;
        }
        return any;
    };
    registry.left.wait(guard, [&] { return !reading(); });
}
