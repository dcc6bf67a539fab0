#include "recordtexts.h"

#include "backupdevice.h"
#include "backupfixture.h"
#include "contracts/mmobile.h"
#include "scanrunner.h"

#include <QCryptographicHash>
#include <QRegularExpression>

#include <algorithm>

using namespace MMobile;

namespace {

QString Values(IContactList* list)
{
    QStringList values;
    for (unsigned int i = 0; list && i < list->GetCount(); ++i)
        values << Text(list->GetLabel(i)) + QLatin1Char('=') + Text(list->GetValue(i));
    return values.join(QLatin1Char(','));
}

// The SHA-1 of a record's file, read in place.
QString Digest(const char* path)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(BackupFixture::Read(Text(path)), QCryptographicHash::Sha1)
            .toHex());
}

} // namespace

QStringList RecordTexts::Of(MDType type, IMDCommon* item)
{
    switch (type) {
    case MD_CONTACT: {
        IContact* contact = record_cast<IContact>(item);
        IContactAddressList* addresses = contact->GetAddressList();
        QStringList places;
        for (unsigned int i = 0; addresses && i < addresses->GetCount(); ++i)
            places << Text(addresses->GetLabel(i)) + QLatin1Char('=') +
                          Text(addresses->GetStreet(i)) + QLatin1Char('/') +
                          Text(addresses->GetCity(i));
        return {QStringList{
            Text(contact->GetName()->GetFullName()), Values(contact->GetPhoneList()),
            Values(contact->GetEmailList()), Values(contact->GetUrlList()),
            Values(contact->GetDateList()), Values(contact->GetInstantMessageList()),
            Values(contact->GetRelatedNameList()), Values(contact->GetSocialProfileList()),
            places.join(QLatin1Char(',')), Text(contact->GetBirthday()), Text(contact->GetNote())}
                    .join(QLatin1Char('|'))};
    }
    case MD_MESSAGE: {
        IMessage* chat = record_cast<IMessage>(item);
        const QString with =
            Text(chat->GetParticipantPhone(0)) + Text(chat->GetParticipantEmail(0));
        QStringList messages;
        for (unsigned int e = 0; e < chat->GetEntryCount(); ++e) {
            IMessageEntry* entry = chat->GetEntry(e);
            messages << QStringList{with, Text(entry->GetDate()), Text(entry->GetText()),
                                    entry->IsSent() ? QStringLiteral("sent")
                                                    : QStringLiteral("received")}
                            .join(QLatin1Char('|'));
        }
        return messages;
    }
    case MD_CALL_HISTORY: {
        ICallHistory* call = record_cast<ICallHistory>(item);
        return {QStringList{Text(call->GetPhoneNumber()), Text(call->GetDate()),
                            Text(call->GetCallType()), Text(call->GetDuration())}
                    .join(QLatin1Char('|'))};
    }
    case MD_CALENDAR: {
        ICalendar* event = record_cast<ICalendar>(item);
        return {QStringList{Text(event->GetTitle()), Text(event->GetLocation()),
                            Text(event->GetStartDate()), Text(event->GetEndDate()),
                            Text(event->GetNote())}
                    .join(QLatin1Char('|'))};
    }
    case MD_REMINDER: {
        IReminider* reminder = record_cast<IReminider>(item);
        return {QStringList{Text(reminder->GetTitle()), Text(reminder->GetStatus()),
                            Text(reminder->GetDate()), Text(reminder->GetLocation()),
                            Text(reminder->GetNote()), Text(reminder->GetListName()),
                            Text(reminder->GetPriority())}
                    .join(QLatin1Char('|'))};
    }
    case MD_NOTE: {
        INote* note = record_cast<INote>(item);
        return {QStringList{Text(note->GetTitle()), Text(note->GetDate()), Text(note->GetBody()),
                            Text(note->GetSnippet()), Text(note->GetFolder())}
                    .join(QLatin1Char('|'))};
    }
    case MD_SAFARI_BOOKMARK: {
        ISafariBookmark* bookmark = record_cast<ISafariBookmark>(item);
        return {QStringList{Text(bookmark->GetTitle()), Text(bookmark->GetUrl())}.join(
            QLatin1Char('|'))};
    }
    case MD_PHOTO:
    case MD_MESSAGE_ATTACHMENT:
        return {OfFile(record_cast<IPhoto>(item))};
    case MD_VOICE_MEMO:
        return {OfRecording(record_cast<IVoiceMemo>(item))};
    default:
        return {};
    }
}

QString RecordTexts::OfFile(IPhoto* file)
{
    // The content path is the backup's own: the bytes stand for it.
    return QStringList{Text(file->GetDisplayText()), QString::number(file->GetTime()),
                       QString::number(file->GetFileKind()), Digest(file->GetFilePath())}
        .join(QLatin1Char('|'));
}

QString RecordTexts::OfRecording(IVoiceMemo* memo)
{
    // Properties 2 to 4: the file's name on the phone, duration and date.
    return QStringList{Text(memo->GetDisplayText()),   QString::number(memo->GetTime()),
                       Text(memo->GetTextProperty(2)), Text(memo->GetTextProperty(3)),
                       Text(memo->GetTextProperty(4)), Digest(memo->GetTextProperty(1))}
        .join(QLatin1Char('|'));
}

QStringList RecordTexts::Scan(const QString& folder, MDType type, bool deleted,
                              const QString& password)
{
    BackupDevice device(folder);
    if (device.IsEncrypted() && device.Unlock(password) != BackupDevice::UNLOCK_OK)
        return {QStringLiteral("locked")};
    SourcePtr source;
    IMDGetter* getter = ScanRunner::ScanInto(source, device, type);
    if (!getter)
        return {QStringLiteral("scan failed")};
    QStringList records;
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        if (getter->GetItem(i)->IsDeleted() == deleted)
            records << Of(type, getter->GetItem(i));
    }
    records.sort();
    return records;
}

QStringList RecordTexts::PutBack(const QStringList& recovered)
{
    QStringList back;
    for (QString record : recovered) {
        const QString rest = record.mid(record.indexOf(QLatin1Char('|')));
        const bool titledTwin =
            record.startsWith(QLatin1Char('|')) &&
            std::any_of(recovered.begin(), recovered.end(), [&rest](const QString& other) {
                return !other.startsWith(QLatin1Char('|')) && other.endsWith(rest);
            });
        if (!titledTwin)
            back << record.replace(QRegularExpression(QStringLiteral("\\|Recently Deleted$")),
                                   QStringLiteral("|Notes"));
    }
    return back;
}
