#ifndef COLUMNSNAPSHOT_H
#define COLUMNSNAPSHOT_H

#include "contracts/mmobiletypes.h"
#include "store/itemreaders.h"

#include <QVariant>

#include <memory>
#include <vector>

class QAbstractItemModel;

namespace MMobile {
class IMDCommon;
}

// One column of a table model, taken on the GUI thread so that a worker can
// read its cells from the records themselves: the store's item at each row of
// the model, the category, the contacts layout, and a lease on the store's
// items, which the store cancels before it lets go of them. Only a
// TaskItemModel itself gives one; a subclass may show other cells.
//
//   ColumnSnapshot column;
//   if (ColumnSnapshot::Take(model, 0, column))       // GUI thread
//       run([column] { if (column.Reader().Enter()) { ... column.Cell(row) ... } });
class ColumnSnapshot
{
public:
    // False, leaving out as it was, when model is not a plain TaskItemModel
    // showing a store.
    static bool Take(const QAbstractItemModel* model, int column, ColumnSnapshot& out);

    int Rows() const { return int(m_items.size()); }
    // The display cell of row, as the model gives it; only while the reader
    // has entered and is not cancelled.
    QVariant Cell(int row) const;
    ItemReaders::Reader& Reader() const { return *m_reader; }

private:
    std::vector<MMobile::IMDCommon*> m_items;
    MMobile::MDType m_type = MMobile::MD_PHOTO;
    bool m_briefContact = false;
    int m_column = -1;
    std::shared_ptr<ItemReaders::Reader> m_reader;
};

#endif // COLUMNSNAPSHOT_H
