#include "reminderstreemodel.h"

#include "store/taskitem.h"
#include "views/treeitem.h"

#include "contracts/imdcommon.h"
#include "contracts/ireminider.h"

#include <QColor>
#include <QMap>

namespace {
enum NodeType { kListNode = 1, kReminderNode = 2 };

QStringList Headers()
{
    return {RemindersTreeModel::tr("Title"), RemindersTreeModel::tr("Due date"),
            RemindersTreeModel::tr("Status"), RemindersTreeModel::tr("Priority")};
}

QString Utf8(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

// The base takes the titles by reference; they must outlive its constructor.
QStringList& HeaderList()
{
    static QStringList headers = Headers();
    return headers;
}
} // namespace

RemindersTreeModel::RemindersTreeModel(QObject* parent)
    : TreeItemModel(parent, HeaderList(), MMobile::MD_REMINDER)
{
}

RemindersTreeModel::~RemindersTreeModel() = default;

void RemindersTreeModel::Build(TaskItem* store)
{
    beginResetModel();
    SetCurSelTreeItem(nullptr);
    GetRootItem()->ClearChild();
    m_leaves.clear();
    m_rows.clear();
    m_shown.clear();
    if (store) {
        // Lists by name; reminders keep the store's order inside their list.
        QMap<QString, QVector<int>> lists;
        const unsigned int count = store->GetDataCountEx();
        for (unsigned int row = 0; row < count; ++row) {
            auto* record = MMobile::record_cast<MMobile::IReminider>(store->GetData(row));
            lists[record ? Utf8(record->GetListName()) : QString()].append(int(row));
        }
        for (auto list = lists.cbegin(); list != lists.cend(); ++list) {
            QStringList title{list.key().isEmpty() ? tr("(no list)") : list.key(),
                              tr("%n reminder(s)", nullptr, list.value().size()), QString(),
                              QString()};
            TreeItem* node = appendChild(title, kListNode, nullptr, GetRootItem());
            for (int row : list.value()) {
                MMobile::IMDCommon* item = store->GetData(unsigned(row));
                auto* record = MMobile::record_cast<MMobile::IReminider>(item);
                QStringList texts{record ? Utf8(record->GetTitle()) : QString(),
                                  record ? Utf8(record->GetDate()) : QString(),
                                  record ? Utf8(record->GetStatus()) : QString(),
                                  record ? Utf8(record->GetPriority()) : QString()};
                TreeItem* leaf = appendChild(texts, kReminderNode, item, node);
                leaf->SetChecked(store->GetCheckState(unsigned(row)));
                m_leaves.append(leaf);
                m_rows.insert(leaf, row);
            }
        }
    }
    endResetModel();
}

const QVector<TreeItem*>& RemindersTreeModel::Leaves() const
{
    return m_leaves;
}

int RemindersTreeModel::StoreRow(const TreeItem* leaf) const
{
    return m_rows.value(leaf, -1);
}

QModelIndex RemindersTreeModel::IndexOf(TreeItem* node) const
{
    if (!node || node == const_cast<RemindersTreeModel*>(this)->GetRootItem())
        return QModelIndex();
    return createIndex(node->row(), 0, node);
}

QVariant RemindersTreeModel::data(const QModelIndex& index, int role) const
{
    auto* node = index.isValid() ? static_cast<TreeItem*>(index.internalPointer()) : nullptr;
    if (node && role == Qt::ForegroundRole && m_rows.contains(node)) {
        auto* item = static_cast<MMobile::IMDCommon*>(node->GetlpData());
        if (item && item->IsDeleted())
            return QColor(243, 161, 89);
    }
    if (node && role == Qt::DisplayRole && index.column() == 1 && !m_rows.contains(node) &&
        m_shown.contains(node))
        return tr("%n reminder(s)", nullptr, m_shown.value(node));
    return TreeItemModel::data(index, role);
}

void RemindersTreeModel::SetShownCounts(const QHash<TreeItem*, int>& shown)
{
    m_shown = shown;
    const int lists = rowCount(QModelIndex());
    if (lists > 0)
        emit dataChanged(index(0, 1), index(lists - 1, 1), {Qt::DisplayRole});
}
