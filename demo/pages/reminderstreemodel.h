#ifndef REMINDERSTREEMODEL_H
#define REMINDERSTREEMODEL_H

#include "views/treeitemmodel.h"

#include <QHash>
#include <QVector>

class TaskItem;

// The reminders as a tree: one node per reminder list, the list's reminders
// below it in store order. Leaves remember their store position so that a
// page can carry the tree's ticks over to the store and hide the leaves the
// store has out of view. The store is borrowed; the nodes are the model's.
class RemindersTreeModel : public TreeItemModel
{
    Q_OBJECT

public:
    explicit RemindersTreeModel(QObject* parent);
    ~RemindersTreeModel() override;

    // Rebuilds the tree from `store` (null empties it), ticks taken from the store.
    void Build(TaskItem* store);
    // The leaves, in store order of their reminders.
    const QVector<TreeItem*>& Leaves() const;
    // The store position of `leaf`, or -1 for a list node or an unknown node.
    int StoreRow(const TreeItem* leaf) const;
    QModelIndex IndexOf(TreeItem* node) const;

private:
    QVector<TreeItem*> m_leaves;
    QHash<const TreeItem*, int> m_rows;
};

#endif // REMINDERSTREEMODEL_H
