#ifndef FAKEGETTER_H
#define FAKEGETTER_H

#include "fakeitem.h"

#include "contracts/imdgetter.h"

#include <QVector>

#include <deque>
#include <memory>
#include <mutex>
#include <vector>

// The engine's item list of one category. Like the engine, it grows at the
// front while a scan runs: item 0 is the newest. All members are thread-safe,
// so a scan script may grow it from the task's thread while the GUI reads it.
//
// Items are either borrowed (prepend) or owned (adopt, newItem, prependNew). Owned items
// live as long as the getter, even after clear(), because a page's store may
// still point at them.
class FakeGetter : public MMobile::IMDGetter
{
public:
    FakeGetter() = default;
    FakeGetter(const FakeGetter&) = delete;
    FakeGetter& operator=(const FakeGetter&) = delete;

    unsigned int GetCount() override;
    MMobile::IMDCommon* GetItem(unsigned int index) override;

    // Takes ownership of `item` without listing it yet (for a later prepend,
    // typically by a scan step). Returns the item.
    FakeItem* adopt(std::unique_ptr<FakeItem> item);
    // An owned, not yet listed item holding `record`.
    template <class Record> FakeItem* newItem(std::unique_ptr<Record> record, bool deleted = false)
    {
        return adopt(FakeItem::owning(std::move(record), deleted));
    }
    // newItem() and prepend() in one.
    template <class Record>
    FakeItem* prependNew(std::unique_ptr<Record> record, bool deleted = false)
    {
        FakeItem* item = newItem(std::move(record), deleted);
        prepend({item});
        return item;
    }

    // Inserts one item after the other, so the last of `items` ends at index 0;
    // null items are left out.
    void prepend(const QVector<MMobile::IMDCommon*>& items);
    // Unlists every item; owned items stay alive.
    void clear();

    QVector<MMobile::IMDCommon*> items() const;

private:
    mutable std::mutex m_mutex;
    std::deque<MMobile::IMDCommon*> m_items;
    std::vector<std::unique_ptr<FakeItem>> m_owned;
};

#endif // FAKEGETTER_H
