#include "views/columnsnapshot.h"

#include "store/taskitem.h"
#include "views/taskitemcells.h"
#include "views/taskitemmodel.h"

bool ColumnSnapshot::Take(const QAbstractItemModel* model, int column, ColumnSnapshot& out)
{
    const auto* table = qobject_cast<const TaskItemModel*>(model);
    if (!table || table->metaObject() != &TaskItemModel::staticMetaObject || !table->m_pItems ||
        column < 0 || column >= table->columnCount())
        return false;
    const TaskItem* store = table->m_pItems;
    const int rows = table->rowCount();
    out.m_items.resize(size_t(rows));
    for (int row = 0; row < rows; ++row)
        out.m_items[size_t(row)] = store->GetData(unsigned(row));
    out.m_type = store->GetType();
    out.m_briefContact = table->m_bBriefContact;
    out.m_column = column;
    out.m_reader = ItemReaders::Lease(store);
    return true;
}

QVariant ColumnSnapshot::Cell(int row) const
{
    return TaskItemCells::Cell(m_items[size_t(row)], m_type, m_briefContact, m_column);
}
