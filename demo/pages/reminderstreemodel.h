#ifndef REMINDERSTREEMODEL_H
#define REMINDERSTREEMODEL_H

#include "views/treeitemmodel.h"

#include <QHash>
#include <QVector>

class TaskItem;

// The reminders as a tree: one node per reminder list, the list's reminders
// below it in store order. Leaves remember their store position so that a
// page can carry the tree's ticks over to the store and hide the leaves the
// store has out of view. Deleted reminders are orange; a list's count is of
// the reminders in view. The store is borrowed; the nodes are the model's.
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
    // Deleted reminders are drawn orange, as the tables draw deleted rows.
    QVariant data(const QModelIndex& index, int role) const override;
    // How many reminders of each list are in view: the lists' counts follow
    // the search and the only-deleted switch.
    void SetShownCounts(const QHash<TreeItem*, int>& shown);

private:
    QVector<TreeItem*> m_leaves;
    QHash<const TreeItem*, int> m_rows;
    QHash<TreeItem*, int> m_shown;
};

#endif // REMINDERSTREEMODEL_H
