#include "views/taskitemmodel.h"

#include "contracts/icalendar.h"
#include "contracts/icallhistory.h"
#include "contracts/icontact.h"
#include "contracts/icontactlist.h"
#include "contracts/icontactname.h"
#include "contracts/icontactorganization.h"
#include "contracts/imdcommon.h"
#include "contracts/imessage.h"
#include "contracts/inote.h"
#include "contracts/ireminider.h"
#include "contracts/isafaribookmark.h"
#include "contracts/iwechatfriend.h"
#include "contracts/iwechatmessager.h"
#include "contracts/iwhatsappmessenger.h"
#include "store/taskitem.h"

#include <QColor>
#include <QDateTime>

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

QString text(const char* utf8)
{
    return utf8 ? QString::fromUtf8(utf8) : QString();
}

QString simplified(const char* utf8)
{
    return text(utf8).simplified();
}

// Text that does not fit the engine's format gives an invalid date-time, which
// the default delegate shows as an empty cell.
QVariant dateTime(const char* utf8)
{
    return QDateTime::fromString(text(utf8), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString listEntry0(IContactList* list)
{
    return list ? text(list->GetValue(0)) : QString();
}

enum class Participant { Name, Phone, Email };

const char* participantText(IMessage* message, Participant part, unsigned int i)
{
    switch (part) {
    case Participant::Name:
        return message->GetParticipantName(i);
    case Participant::Phone:
        return message->GetParticipantPhone(i);
    case Participant::Email:
        return message->GetParticipantEmail(i);
    }
    return nullptr;
}

// Names skip empty participants entirely; phones and e-mails keep a place for
// every participant. The separator follows every entry but the last
// participant's, so a skipped last name leaves a trailing ",".
QString joinParticipants(IMessage* message, Participant part)
{
    const unsigned int count = message->GetParticipantCount();
    if (count == 0)
        return QString();
    if (count == 1)
        return text(participantText(message, part, 0));
    QString joined;
    for (unsigned int i = 0; i < count; ++i) {
        const QString value = text(participantText(message, part, i));
        if (part == Participant::Name && value.isEmpty())
            continue;
        joined += value;
        if (i != count - 1)
            joined += QLatin1Char(',');
    }
    return joined;
}

QVariant contactCell(IContact* contact, int column, bool brief)
{
    // The brief table drops Company and Homepage; its columns map onto the full ones.
    static const int kBriefToFull[] = {0, 2, 3};
    if (brief) {
        if (column < 0 || column > 2)
            return QVariant();
        column = kBriefToFull[column];
    }
    switch (column) {
    case 0: {
        IContactName* name = contact->GetName();
        return name ? text(name->GetFullName()) : QString();
    }
    case 1: {
        IContactOrganization* organization = contact->GetOrganization();
        return organization ? simplified(organization->GetCompanyName()) : QString();
    }
    case 2:
        return listEntry0(contact->GetPhoneList());
    case 3:
        return listEntry0(contact->GetEmailList());
    case 4:
        return listEntry0(contact->GetUrlList());
    }
    return QVariant();
}

QVariant messageCell(IMessage* message, int column)
{
    switch (column) {
    case 0:
        return joinParticipants(message, Participant::Name);
    case 1:
        return joinParticipants(message, Participant::Phone);
    case 2:
        return joinParticipants(message, Participant::Email);
    }
    return QVariant();
}

QVariant callHistoryCell(ICallHistory* call, int column)
{
    switch (column) {
    case 0:
        return text(call->GetName());
    case 1:
        return text(call->GetPhoneNumber());
    case 2:
        return text(call->GetDate());
    case 3:
        return text(call->GetCallType());
    case 4:
        return text(call->GetDuration());
    }
    return QVariant();
}

QVariant calendarCell(ICalendar* event, int column)
{
    switch (column) {
    case 0:
        return text(event->GetTitle());
    case 1:
        return text(event->GetLocation());
    case 2:
        return dateTime(event->GetStartDate());
    case 3:
        return dateTime(event->GetEndDate());
    }
    return QVariant();
}

QVariant noteCell(INote* note, int column)
{
    switch (column) {
    case 0:
        return simplified(note->GetTitle());
    case 1:
        return dateTime(note->GetDate());
    }
    return QVariant();
}

QVariant bookmarkCell(ISafariBookmark* bookmark, int column)
{
    switch (column) {
    case 0:
        return text(bookmark->GetTitle());
    case 1:
        return text(bookmark->GetUrl());
    }
    return QVariant();
}

QVariant whatsAppCell(IWhatsAppMessenger* chat, int column)
{
    switch (column) {
    case 0:
        return text(chat->GetChatName());
    case 1:
        return text(chat->GetPartnerName());
    case 2:
        return text(chat->GetPartnerPhone());
    }
    return QVariant();
}

QVariant weChatFriendCell(IWeChatFriend* person, int column)
{
    switch (column) {
    case 0:
        return text(person->GetDisplayName());
    case 1: {
        const QString alias = text(person->GetAlias());
        return alias.isEmpty() ? text(person->GetUserName()) : alias;
    }
    }
    return QVariant();
}

QVariant weChatMessageCell(IWeChatMessager* chat, int column)
{
    switch (column) {
    case 0:
        return text(chat->GetChatName());
    case 1:
        return text(chat->GetAccount());
    case 2:
        return text(chat->GetMember());
    }
    return QVariant();
}

QVariant reminderCell(IReminider* reminder, int column)
{
    switch (column) {
    case 0:
        return text(reminder->GetTitle());
    case 1:
        return text(reminder->GetListName());
    case 2:
        return text(reminder->GetStatus());
    case 3:
        return dateTime(reminder->GetDate());
    case 4:
        return simplified(reminder->GetLocation());
    case 5:
        return simplified(reminder->GetPriority());
    }
    return QVariant();
}

// A record of another kind than the category's counts as no record at all.
template <class Record, class Cell> QVariant cellOf(IMDCommon* item, Cell cell, int column)
{
    Record* record = record_cast<Record>(item);
    return record ? cell(record, column) : QVariant();
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
    IMDCommon* item = m_pItems->GetData(unsigned(row));
    switch (m_pItems->GetType()) {
    case MD_CONTACT: {
        IContact* contact = record_cast<IContact>(item);
        return contact ? contactCell(contact, column, m_bBriefContact) : QVariant();
    }
    case MD_MESSAGE:
        return cellOf<IMessage>(item, messageCell, column);
    case MD_CALL_HISTORY:
        return cellOf<ICallHistory>(item, callHistoryCell, column);
    case MD_CALENDAR:
        return cellOf<ICalendar>(item, calendarCell, column);
    case MD_NOTE:
        return cellOf<INote>(item, noteCell, column);
    case MD_SAFARI_BOOKMARK:
        return cellOf<ISafariBookmark>(item, bookmarkCell, column);
    case MD_WHATSAPP_MESSAGE:
        return cellOf<IWhatsAppMessenger>(item, whatsAppCell, column);
    case MD_WECHAT_CONTACT:
        return cellOf<IWeChatFriend>(item, weChatFriendCell, column);
    case MD_WECHAT_MESSAGE:
        return cellOf<IWeChatMessager>(item, weChatMessageCell, column);
    case MD_REMINDER:
        return cellOf<IReminider>(item, reminderCell, column);
    default:
        return QVariant();
    }
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
