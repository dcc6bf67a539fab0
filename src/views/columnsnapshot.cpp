#include "views/columnsnapshot.h"

#include "store/taskitem.h"
#include "views/taskitemcells.h"
#include "views/taskitemmodel.h"

#include "contracts/imdcommon.h"

#include <cstdint>
#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#include <xmmintrin.h>
#endif

namespace {

// Asks for the memory line at address ahead of its use; a hint only, so an
// address outside any object does no harm.
inline void Prefetch(std::uintptr_t address)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(reinterpret_cast<const void*>(address));
#elif defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
    _mm_prefetch(reinterpret_cast<const char*>(address), _MM_HINT_T0);
#else
    (void)address;
#endif
}

// How far ahead of the cell being read its item, and then its record, are fetched.
const std::size_t kItemsAhead = 16;
const std::size_t kRecordsAhead = 8;

} // namespace

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

// A cell is a few pointer hops from the list of items, each a miss in memory
// the worker has not touched yet: the items some rows ahead and the records of
// nearer ones are fetched meanwhile, so that the misses of many rows overlap.
QVariant ColumnSnapshot::Cell(int row) const
{
    const std::size_t at = std::size_t(row);
    if (at + kItemsAhead < m_items.size())
        Prefetch(reinterpret_cast<std::uintptr_t>(m_items[at + kItemsAhead]));
    if (at + kRecordsAhead < m_items.size() && m_items[at + kRecordsAhead]) {
        const auto record =
            reinterpret_cast<std::uintptr_t>(m_items[at + kRecordsAhead]->GetRecord());
        if (record) {
            Prefetch(record);
            Prefetch(record + 64);
        }
    }
    return TaskItemCells::Cell(m_items[size_t(row)], m_type, m_briefContact, m_column);
}
