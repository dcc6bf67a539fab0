#ifndef TREEITEM_H
#define TREEITEM_H

#include "categorypanel_global.h"

#include <QList>
#include <QStringList>
#include <QVariant>

// One node of a TreeItemModel: a row of texts, a page-defined type, an opaque
// pointer to what the node stands for, and a tri-state tick that spreads down
// to the whole subtree and one level up to the parent.
//
// A node owns its children and deletes them with itself; the user data and the
// parent are borrowed. Type 0 (the root's) makes a parent simply follow the
// child that was set last instead of summing up its children. Every node made
// from texts takes the next value of the process-wide counter m_nItemNo, which
// the model uses to stripe the rows in creation order.
class CATEGORYPANEL_EXPORT TreeItem
{
public:
    // Does not add itself to `parent`'s children; the model's appendChild does.
    TreeItem(QStringList& data, int type, void* lpData, TreeItem* parent);
    ~TreeItem();

    void appendChild(TreeItem* child);
    // Null when `row` is out of range.
    TreeItem* child(int row);
    int childCount() const;
    int columnCount() const;
    // The text of `column`, an empty string out of range.
    QVariant data(int column) const;
    // The position among the parent's children; 0 without a parent, -1 when
    // the parent does not list this node.
    int row() const;
    TreeItem* parent();
    Qt::CheckState GetCheckState();
    void* GetlpData() const;
    int GetItemType() const;
    int GetItemNo() const;
    void SetChecked(Qt::CheckState state);
    void ClearChild();

    static int m_nItemNo;

private:
    void UpdateFromChild(Qt::CheckState state, const TreeItem* changed);

    QList<TreeItem*> m_childItems;
    void* m_lpData;
    QStringList m_itemData;
    int m_nType;
    Qt::CheckState m_checkState;
    TreeItem* m_parentItem;
    int m_nNo;
};

#endif // TREEITEM_H
