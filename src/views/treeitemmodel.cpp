#include "views/treeitemmodel.h"

#include "views/treeitem.h"

#include <QColor>
#include <QSize>

TreeItemModel::TreeItemModel(QObject* parent, QStringList& headers, MMobile::MDType type)
    : QAbstractItemModel(parent), m_pRootItem(new TreeItem(headers, 0, nullptr, nullptr)),
      m_type(type), m_pCurSelItem(nullptr)
{
}

TreeItemModel::~TreeItemModel()
{
    delete m_pRootItem;
}

TreeItem* TreeItemModel::appendChild(QStringList& data, int type, void* lpData, TreeItem* parent)
{
    TreeItem* item = new TreeItem(data, type, lpData, parent);
    if (parent)
        parent->appendChild(item);
    return item;
}

TreeItem* TreeItemModel::GetRootItem()
{
    return m_pRootItem;
}

void TreeItemModel::SetCurSelTreeItem(TreeItem* item)
{
    m_pCurSelItem = item;
}

TreeItem* TreeItemModel::GetCurSelTreeItem()
{
    return m_pCurSelItem;
}

void TreeItemModel::SetCurSelTreeItemCheckState(Qt::CheckState state)
{
    if (!m_pCurSelItem)
        return;
    m_pCurSelItem->SetChecked(state);
    beginResetModel();
    endResetModel();
}

void TreeItemModel::setCurrentTypeItems(MMobile::IMDCommon*) {}

TreeItem* TreeItemModel::nodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<TreeItem*>(index.internalPointer()) : m_pRootItem;
}

QModelIndex TreeItemModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    TreeItem* child = nodeOf(parent)->child(row);
    return child ? createIndex(row, column, child) : QModelIndex();
}

QModelIndex TreeItemModel::parent(const QModelIndex& index) const
{
    if (!index.isValid())
        return QModelIndex();
    TreeItem* parentItem = nodeOf(index)->parent();
    if (!parentItem || parentItem == m_pRootItem)
        return QModelIndex();
    return createIndex(parentItem->row(), 0, parentItem);
}

int TreeItemModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    return nodeOf(parent)->childCount();
}

int TreeItemModel::columnCount(const QModelIndex& parent) const
{
    return nodeOf(parent)->columnCount();
}

QVariant TreeItemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::CheckStateRole)
        return int(Qt::Checked);
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_pRootItem->data(section);
    return QVariant();
}

QVariant TreeItemModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    TreeItem* item = nodeOf(index);
    switch (role) {
    case Qt::DisplayRole:
        return item->data(index.column());
    case Qt::CheckStateRole:
        return index.column() == 0 ? QVariant(int(item->GetCheckState())) : QVariant();
    case Qt::BackgroundRole:
        if (item == m_pCurSelItem)
            return QColor(112, 146, 190, 255);
        return item->GetItemNo() % 2 == 0 ? QColor(242, 242, 242, 255) : QColor(255, 255, 255, 255);
    case Qt::SizeHintRole:
        return QSize(10, 35);
    default:
        return QVariant();
    }
}

bool TreeItemModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid())
        return false;
    nodeOf(index)->SetChecked(value.toBool() ? Qt::Checked : Qt::Unchecked);
    // Parent and child states may have changed as well as this node's.
    beginResetModel();
    endResetModel();
    emit itemCheckedChanged(index);
    return true;
}

Qt::ItemFlags TreeItemModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.column() == 0)
        return Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}
