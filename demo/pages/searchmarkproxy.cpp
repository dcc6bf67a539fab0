#include "searchmarkproxy.h"

#include "store/taskitem.h"

SearchMarkProxy::SearchMarkProxy(QObject* parent) : MySortFilterProxyModel(parent) {}

void SearchMarkProxy::setStore(TaskItem* store)
{
    m_pStore = store;
    invalidate();
}

// One rebuild of the mapping: each row is tested once and views hear of it
// as a single layout change.
void SearchMarkProxy::marksChanged()
{
    invalidate();
}

bool SearchMarkProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (m_pStore && m_pStore->CheckIdxHide(unsigned(sourceRow)))
        return false;
    return MySortFilterProxyModel::filterAcceptsRow(sourceRow, sourceParent);
}
