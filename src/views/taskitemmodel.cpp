#include "views/taskitemmodel.h"

#include "contracts/imdcommon.h"
#include "store/taskitem.h"
#include "views/taskitemcells.h"

#include <QColor>

using namespace MMobile;

namespace {

struct ColumnSet
{
    const char* const* titles;
    int count;
};

// Titles are translated in the "TaskItemModel" context when they are shown.
const char* const kContactColumns[] = {
    QT_TRANSLATE_NOOP("TaskItemModel", "Name"), QT_TRANSLATE_NOOP("TaskItemModel", "Company"),
    QT_TRANSLATE_NOOP("TaskItemModel", "Phone"), QT_TRANSLATE_NOOP("TaskItemModel", "Email"),
    QT_TRANSLATE_NOOP("TaskItemModel", "Homepage")};
// The brief contacts table and the messages table share their titles.
const char* const kNamePhoneEmailColumns[] = {QT_TRANSLATE_NOOP("TaskItemModel", "Name"),
                                              QT_TRANSLATE_NOOP("TaskItemModel", "Phone"),
                                              QT_TRANSLATE_NOOP("TaskItemModel", "Email")};
const char* const kCallHistoryColumns[] = {
    QT_TRANSLATE_NOOP("TaskItemModel", "Name"), QT_TRANSLATE_NOOP("TaskItemModel", "Phone"),
    QT_TRANSLATE_NOOP("TaskItemModel", "Date"), QT_TRANSLATE_NOOP("TaskItemModel", "Type"),
    QT_TRANSLATE_NOOP("TaskItemModel", "Duration")};
const char* const kCalendarColumns[] = {QT_TRANSLATE_NOOP("TaskItemModel", "Title"),
                                        QT_TRANSLATE_NOOP("TaskItemModel", "Location"),
                                        QT_TRANSLATE_NOOP("TaskItemModel", "Starts Date"),
                                        QT_TRANSLATE_NOOP("TaskItemModel", "Ends Date")};
const char* const kNoteColumns[] = {QT_TRANSLATE_NOOP("TaskItemModel", "Title"),
                                    QT_TRANSLATE_NOOP("TaskItemModel", "Date")};
const char* const kBookmarkColumns[] = {QT_TRANSLATE_NOOP("TaskItemModel", "Title"),
                                        QT_TRANSLATE_NOOP("TaskItemModel", "URL")};
const char* const kWhatsAppColumns[] = {QT_TRANSLATE_NOOP("TaskItemModel", "Chat"),
                                        QT_TRANSLATE_NOOP("TaskItemModel", "Name"),
                                        QT_TRANSLATE_NOOP("TaskItemModel", "Phone")};
const char* const kWeChatContactColumns[] = {QT_TRANSLATE_NOOP("TaskItemModel", "Name"),
                                             QT_TRANSLATE_NOOP("TaskItemModel", "Account")};
const char* const kWeChatMessageColumns[] = {QT_TRANSLATE_NOOP("TaskItemModel", "Chat"),
                                             QT_TRANSLATE_NOOP("TaskItemModel", "Account"),
                                             QT_TRANSLATE_NOOP("TaskItemModel", "Member")};
const char* const kReminderColumns[] = {
    QT_TRANSLATE_NOOP("TaskItemModel", "Title"),    QT_TRANSLATE_NOOP("TaskItemModel", "List"),
    QT_TRANSLATE_NOOP("TaskItemModel", "Status"),   QT_TRANSLATE_NOOP("TaskItemModel", "Date"),
    QT_TRANSLATE_NOOP("TaskItemModel", "Location"), QT_TRANSLATE_NOOP("TaskItemModel", "Priority")};

template <int N> ColumnSet columns(const char* const (&titles)[N])
{
    return {titles, N};
}

ColumnSet columnsOf(MDType type, bool briefContact)
{
    switch (type) {
    case MD_CONTACT:
        return briefContact ? columns(kNamePhoneEmailColumns) : columns(kContactColumns);
    case MD_MESSAGE:
        return columns(kNamePhoneEmailColumns);
    case MD_CALL_HISTORY:
        return columns(kCallHistoryColumns);
    case MD_CALENDAR:
        return columns(kCalendarColumns);
    case MD_NOTE:
        return columns(kNoteColumns);
    case MD_SAFARI_BOOKMARK:
        return columns(kBookmarkColumns);
    case MD_WHATSAPP_MESSAGE:
        return columns(kWhatsAppColumns);
    case MD_WECHAT_CONTACT:
        return columns(kWeChatContactColumns);
    case MD_WECHAT_MESSAGE:
        return columns(kWeChatMessageColumns);
    case MD_REMINDER:
        return columns(kReminderColumns);
    default:
        return {nullptr, 0};
    }
}

} // namespace

TaskItemModel::TaskItemModel(QObject* parent, bool briefContact)
    : QAbstractTableModel(parent), m_pItems(nullptr), m_nRowCount(0), m_bBriefContact(briefContact)
{
}

TaskItemModel::~TaskItemModel() = default;

void TaskItemModel::setCurrentTypeItems(TaskItem* item)
{
    beginResetModel();
    m_pItems = item;
    m_nRowCount = item ? qint32(item->GetDataCount(false)) : 0;
    m_nColumnCount = item ? columnsOf(item->GetType(), m_bBriefContact).count : 0;
    endResetModel();
}

TaskItem* TaskItemModel::getCurrentItem()
{
    return m_pItems;
}

void TaskItemModel::CheckAll(int state)
{
    if (m_pItems) {
        if (state == Qt::Unchecked || state == Qt::PartiallyChecked || state == Qt::Checked)
            m_pItems->SetCheckAllState(Qt::CheckState(state));
    }
    beginResetModel();
    endResetModel();
}

QModelIndex TaskItemModel::CreateModelIndexByRow(int row) const
{
    return createIndex(row, 0);
}

// The base class's bounds check, without its extra call per index.
QModelIndex TaskItemModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || row >= rowCount(parent) || column >= columnCount(parent))
        return QModelIndex();
    return createIndex(row, column);
}

int TaskItemModel::rowCount(const QModelIndex& parent) const
{
    // A table: records have no children.
    return parent.isValid() ? 0 : m_nRowCount;
}

int TaskItemModel::columnCount(const QModelIndex& parent) const
{
    return m_pItems && !parent.isValid() ? m_nColumnCount : 0;
}

QVariant TaskItemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::CheckStateRole)
        return int(Qt::Checked);
    if (!m_pItems || orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    const ColumnSet set = columnsOf(m_pItems->GetType(), m_bBriefContact);
    if (section < 0 || section >= set.count)
        return QVariant();
    return tr(set.titles[section]);
}

QVariant TaskItemModel::data(const QModelIndex& index, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignHCenter | Qt::AlignVCenter);
    if (!m_pItems || !index.isValid() || index.row() < 0 || index.column() < 0)
        return QVariant();
    const unsigned int row = unsigned(index.row());
    IMDCommon* item = m_pItems->GetData(row);
    if (!item)
        return QVariant();

    switch (role) {
    case Qt::CheckStateRole:
        if (index.column() != 0)
            return QVariant();
        return int(m_pItems->GetCheckState(row) == Qt::Unchecked ? Qt::Unchecked : Qt::Checked);
    case Qt::ForegroundRole:
        return item->IsDeleted() ? QColor(243, 161, 89, 255) : QColor(138, 141, 144, 255);
    case Qt::BackgroundRole:
        return row % 2 == 0 ? QColor(242, 242, 242, 255) : QColor(255, 255, 255, 255);
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    default:
        return QVariant();
    }
}

QVariant TaskItemModel::cellText(int row, int column) const
{
    return TaskItemCells::Cell(m_pItems->GetData(unsigned(row)), m_pItems->GetType(),
                               m_bBriefContact, column);
}

bool TaskItemModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || !m_pItems || !index.isValid() || index.row() < 0)
        return false;
    m_pItems->SetChecked(unsigned(index.row()), value.toBool() ? Qt::Checked : Qt::Unchecked);
    emit itemCheckedChanged(index);
    return true;
}

Qt::ItemFlags TaskItemModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // The cells' flags as the table base class has always given them, without
    // the children hint that Qt 5 adds: no cell is editable.
    Qt::ItemFlags result = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (index.column() == 0)
        result |= Qt::ItemIsUserCheckable;
    return result;
}
