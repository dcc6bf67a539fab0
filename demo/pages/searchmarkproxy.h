#ifndef SEARCHMARKPROXY_H
#define SEARCHMARKPROXY_H

#include "views/mysortfilterproxymodel.h"

class TaskItem;

// The table proxy of a demo page: besides the library's text filter it shows
// only the records that the store keeps in view, that is, those found by the
// last content search and, while the only-deleted switch is on, deleted. The
// page tells it when the store's marks change; the rows are then filtered again
// in one pass instead of being hidden in the view one by one. The store is the
// page's.
class SearchMarkProxy : public MySortFilterProxyModel
{
    Q_OBJECT

public:
    explicit SearchMarkProxy(QObject* parent = nullptr);

    void setStore(TaskItem* store);
    // Filters every row again after the store's search marks or deleted-only
    // switch changed.
    void marksChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    TaskItem* m_pStore = nullptr;
};

#endif // SEARCHMARKPROXY_H
