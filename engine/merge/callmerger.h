#ifndef CALLMERGER_H
#define CALLMERGER_H

#include "categorymerger.h"

// Call history: the rows of the newer store (ZCALLRECORD, Core Data keys) or
// of the older one (call), in date order.
class CallMerger : public CategoryMerger
{
public:
    bool Merge(MergeDatabase& db, Selection selection) override;
};

#endif // CALLMERGER_H
