#include "views/treeitem.h"

int TreeItem::m_nItemNo = 0;

TreeItem::TreeItem(QStringList& data, int type, void* lpData, TreeItem* parent)
    : m_lpData(lpData), m_itemData(data), m_nType(type), m_checkState(Qt::Checked),
      m_parentItem(parent), m_nNo(m_nItemNo++)
{
}

TreeItem::~TreeItem()
{
    qDeleteAll(m_childItems);
}

void TreeItem::appendChild(TreeItem* child)
{
    m_childItems.append(child);
}

TreeItem* TreeItem::child(int row)
{
    if (row < 0 || row >= m_childItems.size())
        return nullptr;
    return m_childItems.at(row);
}

int TreeItem::childCount() const
{
    return m_childItems.size();
}

int TreeItem::columnCount() const
{
    return m_itemData.size();
}

QVariant TreeItem::data(int column) const
{
    if (column < 0 || column >= m_itemData.size())
        return QString();
    return m_itemData.at(column);
}

int TreeItem::row() const
{
    if (!m_parentItem)
        return 0;
    return m_parentItem->m_childItems.indexOf(const_cast<TreeItem*>(this));
}

TreeItem* TreeItem::parent()
{
    return m_parentItem;
}

Qt::CheckState TreeItem::GetCheckState()
{
    return m_checkState;
}

void* TreeItem::GetlpData() const
{
    return m_lpData;
}

int TreeItem::GetItemType() const
{
    return m_nType;
}

int TreeItem::GetItemNo() const
{
    return m_nNo;
}

void TreeItem::SetChecked(Qt::CheckState state)
{
    m_checkState = state;
    for (TreeItem* child : qAsConst(m_childItems))
        child->SetChecked(state);
    if (m_parentItem)
        m_parentItem->UpdateFromChild(state, this);
}

// Only this level changes: a grandparent keeps its state until one of its own
// children is set.
void TreeItem::UpdateFromChild(Qt::CheckState state, const TreeItem* changed)
{
    if (m_nType == 0) {
        m_checkState = state;
        return;
    }
    for (const TreeItem* sibling : qAsConst(m_childItems)) {
        if (sibling != changed && sibling->m_checkState != state) {
            m_checkState = Qt::PartiallyChecked;
            return;
        }
    }
    m_checkState = state;
}

void TreeItem::ClearChild()
{
    qDeleteAll(m_childItems);
    m_childItems.clear();
}
