#ifndef LEFTOVERS_H
#define LEFTOVERS_H

#include <memory>
#include <mutex>
#include <vector>

// What a stopped task had built in memory (records read so far, carved rows,
// lookup tables), kept unfreed until the owner goes. Freeing half a million
// records takes a stopped scan longer than all the rest of its stop, and the
// page that asked for the stop waits for the task's end; the data source
// owns its scans' items anyway and frees these with them. Holds memory only:
// files, connections and threads are closed by the task before it ends.
// Thread-safe.
//
//     leftovers.Keep(std::move(items)); // freed with `leftovers`
class Leftovers
{
public:
    Leftovers() = default;
    Leftovers(const Leftovers&) = delete;
    Leftovers& operator=(const Leftovers&) = delete;

    template <class T> void Keep(T&& value)
    {
        auto kept = std::make_shared<std::decay_t<T>>(std::forward<T>(value));
        std::lock_guard<std::mutex> lock(m_mutex);
        m_kept.push_back(std::move(kept));
    }

    // Everything kept so far, for the owner to free elsewhere.
    std::vector<std::shared_ptr<void>> Take()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::move(m_kept);
    }

private:
    std::mutex m_mutex;
    std::vector<std::shared_ptr<void>> m_kept;
};

#endif // LEFTOVERS_H
