#ifndef TASKITEMCELLS_H
#define TASKITEMCELLS_H

#include "contracts/mmobiletypes.h"

#include <QVariant>

namespace MMobile {
class IMDCommon;
}

// The display cells of the table model, computed from a record alone: the
// model shows them, and the table proxy's sort reads them on a worker thread
// from records the store holds. Reads the record and nothing else, so it may
// run on any thread while the record lives.
class TaskItemCells
{
public:
    // The cell in column of item, shown in a table of category type; an empty
    // value for a null item, a record of another kind or a column past the table.
    static QVariant Cell(MMobile::IMDCommon* item, MMobile::MDType type, bool briefContact,
                         int column);
};

#endif // TASKITEMCELLS_H
