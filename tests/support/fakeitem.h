#ifndef FAKEITEM_H
#define FAKEITEM_H

#include "contracts/imdcommon.h"

#include <atomic>
#include <memory>

// One scanned item: a record pointer, a deleted flag and the drop mark the page
// sets before a recovery. The record is borrowed, or owned when the item is
// made with owning(); a getter (FakeGetter) usually owns the items.
//
// The deleted flag and the drop mark are atomics, so a test may read them from
// any thread; the record pointer is fixed once the item is in a getter.
class FakeItem : public MMobile::IMDCommon
{
public:
    explicit FakeItem(MMobile::IMDRecord* record = nullptr, bool deleted = false)
        : m_record(record), m_deleted(deleted)
    {
    }

    FakeItem(const FakeItem&) = delete;
    FakeItem& operator=(const FakeItem&) = delete;

    // An item that owns `record` (any fake record class).
    template <class Record>
    static std::unique_ptr<FakeItem> owning(std::unique_ptr<Record> record, bool deleted = false)
    {
        auto item = std::make_unique<FakeItem>(record.get(), deleted);
        item->m_ownedRecord = std::shared_ptr<Record>(std::move(record));
        return item;
    }

    MMobile::IMDRecord* GetRecord() override { return m_record; }
    bool IsDeleted() override { return m_deleted; }
    void SetDropMark(bool drop) override { m_dropMark = drop; }

    void setDeleted(bool deleted) { m_deleted = deleted; }
    bool dropMark() const { return m_dropMark; }

private:
    MMobile::IMDRecord* m_record;
    std::shared_ptr<void> m_ownedRecord;
    std::atomic<bool> m_deleted;
    std::atomic<bool> m_dropMark{false};
};

#endif // FAKEITEM_H
