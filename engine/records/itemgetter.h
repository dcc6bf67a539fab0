#ifndef ITEMGETTER_H
#define ITEMGETTER_H

#include "contracts/imdgetter.h"

#include <deque>
#include <memory>
#include <mutex>
#include <vector>

class EngineItem;

// The items of one scan. A scan publishes its items in batches, each batch in
// front of the ones before (the page takes the new items from the front), and
// publishes the batches from the last records to the first, so that the
// finished list is in the reader's order. Owns its items; read and grown
// under a lock, because the page reads from the GUI thread.
class ItemGetter : public MMobile::IMDGetter
{
public:
    ItemGetter();
    virtual ~ItemGetter();

    unsigned int GetCount() override;
    MMobile::IMDCommon* GetItem(unsigned int index) override;

    // Puts `batch` (in its own order) in front of the items held so far.
    void Prepend(std::vector<std::unique_ptr<EngineItem>> batch);
    // The items in order, for an export.
    std::vector<EngineItem*> Snapshot();

private:
    std::mutex m_mutex;
    std::deque<std::unique_ptr<EngineItem>> m_items;
};

#endif // ITEMGETTER_H
