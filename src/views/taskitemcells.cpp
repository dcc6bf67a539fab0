#include "views/taskitemcells.h"

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

#include <QDateTime>

using namespace MMobile;

namespace {

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

QVariant TaskItemCells::Cell(IMDCommon* item, MDType type, bool briefContact, int column)
{
    switch (type) {
    case MD_CONTACT: {
        IContact* contact = record_cast<IContact>(item);
        return contact ? contactCell(contact, column, briefContact) : QVariant();
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
