#ifndef MMOBILE_IMDCOMMON_H
#define MMOBILE_IMDCOMMON_H

// One item found by a scan. Owned by the engine for as long as the category data
// source lives; the library only borrows the pointer and never releases it.

#include "contracts/imdrecord.h"

namespace MMobile {

class IMDCommon
{
public:
    // The category's typed record (IContact, IPhoto, ...), or null when the item
    // has none. Take it as a concrete interface with record_cast<>.
    virtual IMDRecord* GetRecord() = 0;
    // True when the item was deleted on the device.
    virtual bool IsDeleted() = 0;
    // true: leave the item out of the next recovery; false: recover it.
    virtual void SetDropMark(bool drop) = 0;

protected:
    ~IMDCommon() = default;
};

// The item's record as interface T, or null when the item is null, has no
// record or holds a record of another kind.
template <class T>
T* record_cast(IMDCommon* item)
{
    if (!item)
        return nullptr;
    IMDRecord* record = item->GetRecord();
    if (!record || record->GetRecordKind() != T::Kind)
        return nullptr;
    return static_cast<T*>(record);
}

} // namespace MMobile

#endif // MMOBILE_IMDCOMMON_H
