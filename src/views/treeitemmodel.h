#ifndef TREEITEMMODEL_H
#define TREEITEMMODEL_H

#include "categorypanel_global.h"
#include "contracts/mmobiletypes.h"

#include <QAbstractItemModel>
#include <QStringList>

class TreeItem;

namespace MMobile {
class IMDCommon;
} // namespace MMobile

// A checkable tree of TreeItem nodes for the pages that show their data as a
// tree. Pages derive from it and build the nodes with appendChild; the model
// paints 35-pixel rows striped by node number and highlights the node the page
// marks as current.
//
// The model owns the root and so the whole tree; the current node and every
// node's user data are borrowed. Whoever deletes the current node clears it
// first with SetCurSelTreeItem.
class CATEGORYPANEL_EXPORT TreeItemModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    // The root carries `headers` as the column titles.
    TreeItemModel(QObject* parent, QStringList& headers, MMobile::MDType type);
    ~TreeItemModel() override;

    TreeItem* GetRootItem();
    // Takes effect when the rows are next painted; views are not told.
    void SetCurSelTreeItem(TreeItem* item);
    TreeItem* GetCurSelTreeItem();
    // Ticks the current node (spreading as SetChecked does) and resets the
    // model; nothing happens without a current node.
    void SetCurSelTreeItemCheckState(Qt::CheckState state);
    // For derived models; does nothing here.
    virtual void setCurrentTypeItems(MMobile::IMDCommon* item);

    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void itemCheckedChanged(QModelIndex index);

protected:
    // Does not notify views: call it before a view shows the model or between
    // beginResetModel and endResetModel. Returns the new node.
    TreeItem* appendChild(QStringList& data, int type, void* lpData, TreeItem* parent);

private:
    TreeItem* nodeOf(const QModelIndex& index) const;

    TreeItem* m_pRootItem;
    MMobile::MDType m_type;
    TreeItem* m_pCurSelItem;
};

#endif // TREEITEMMODEL_H
