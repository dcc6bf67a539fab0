// Every category read from a generated backup gives the records the
// generator wrote, in the generator's order, through the public interfaces;
// WeChat per account of two, its exports writing the chosen account's files,
// a damaged account database costing only what it held.

#include "backupdevice.h"
#include "backupfixture.h"
#include "contracts/mmobile.h"
#include "samplebackupwriter.h"
#include "scanrunner.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <ctime>
#include <memory>

using namespace MMobile;

namespace {

using Content = SampleBackupContent;
using Sides = std::pair<QStringList, QStringList>; // what the engine read, what was written

const QDateTime kEpoch(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);

// The local date text of a stored time, worked out apart from the engine.
QString Expected(double stored, bool nanoseconds = false)
{
    return kEpoch.addSecs(qint64(std::floor(nanoseconds ? stored / 1e9 : stored)))
        .toLocalTime()
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString ExpectedUnix(double seconds)
{
    return QString::number(kEpoch.toSecsSinceEpoch() + qint64(std::floor(seconds)));
}

// The day of a floating date as stored; without a year (1604), --MM-dd.
QString ExpectedDay(double stored)
{
    const QDate day = kEpoch.addSecs(qint64(stored)).date();
    return day.toString(day.year() == 1604 ? QStringLiteral("--MM-dd")
                                           : QStringLiteral("yyyy-MM-dd"));
}

QString Number(std::uint64_t value)
{
    return QString::number(value);
}

// Dates are checked far east (UTC+14) and far west (UTC-11) of UTC, the zone
// changing between scans of one device: local times move with it, floating
// dates must not.
QList<QByteArray> Zones()
{
    return {"Pacific/Kiritimati", "Pacific/Pago_Pago"};
}

void SetZone(const QByteArray& zone)
{
    qputenv("TZ", zone);
    tzset();
}

// Record by record, the fields `sides` reads from the engine's record (and
// whether it is deleted) next to those of the generator's record.
template <class Record, class Want, class Compare>
void CheckRecords(IMDGetter* getter, const std::vector<Want>& wants, Compare sides)
{
    QVERIFY(getter);
    QCOMPARE(getter->GetCount(), unsigned(wants.size()));
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        Record* record = record_cast<Record>(getter->GetItem(i));
        QVERIFY(record);
        const Sides compared = sides(record, getter->GetItem(i)->IsDeleted(), wants[i], i);
        QCOMPARE(compared.first, compared.second);
    }
    QVERIFY(!getter->GetItem(getter->GetCount()));
}

QString Joined(IContactList* list, bool labels = false)
{
    QStringList values;
    for (unsigned int i = 0; i < list->GetCount(); ++i)
        values << Text(labels ? list->GetLabel(i) : list->GetValue(i));
    return values.join(QLatin1Char('|'));
}

// Field `n` of each row; every field with n < 0.
QString Joined(const std::vector<QStringList>& rows, int n = -1)
{
    QStringList values;
    for (const QStringList& row : rows)
        values << (n < 0 ? row.join(QLatin1Char(',')) : row[n]);
    return values.join(QLatin1Char('|'));
}

void CheckContacts(IMDGetter* getter, const Content& content)
{
    CheckRecords<IContact>(
        getter, content.contacts,
        [](IContact* contact, bool deleted, const Content::Contact& want, unsigned) {
            std::vector<QStringList> addresses;
            IContactAddressList* list = contact->GetAddressList();
            for (unsigned int a = 0; a < list->GetCount(); ++a)
                addresses.push_back({Text(list->GetStreet(a)), Text(list->GetCity(a)),
                                     Text(list->GetState(a)), Text(list->GetPostalCode(a)),
                                     Text(list->GetCountry(a))});
            QStringList dates;
            for (double date : want.dates)
                dates << ExpectedDay(date);
            // Empty lists answer index 0 with null, as the table reads it.
            return Sides{
                {Text(contact->GetName()->GetFullName()), Text(contact->GetName()->GetFirstName()),
                 Text(contact->GetOrganization()->GetCompanyName()),
                 Joined(contact->GetPhoneList()), Text(contact->GetPhoneList()->GetLabel(0)),
                 Joined(contact->GetEmailList()), Joined(contact->GetUrlList()),
                 Joined(contact->GetRelatedNameList()), Joined(contact->GetDateList()),
                 Joined(contact->GetInstantMessageList()),
                 Joined(contact->GetInstantMessageList(), true),
                 Joined(contact->GetSocialProfileList()),
                 Joined(contact->GetSocialProfileList(), true),
                 Number(contact->GetSocialProfileList()->GetValue(0) != nullptr), Joined(addresses),
                 Text(contact->GetNote()), Text(contact->GetBirthday()), Number(deleted)},
                {want.first + QLatin1Char(' ') + want.last, want.first, want.organization,
                 want.phones.join('|'), "mobile", want.emails.join('|'), want.urls.join('|'),
                 want.relatedNames.join('|'), dates.join('|'), Joined(want.messaging, 0),
                 Joined(want.messaging, 1), Joined(want.socialProfiles, 0),
                 Joined(want.socialProfiles, 1), Number(!want.socialProfiles.empty()),
                 Joined(want.addresses), want.note,
                 want.hasBirthday ? ExpectedDay(want.birthday) : QString(), "0"}};
        });
}

// The address book's name of each phone number and e-mail address: the
// first contact's that has it.
QHash<QString, QString> BookNames(const Content& content)
{
    QHash<QString, QString> names;
    for (const Content::Contact& contact : content.contacts) {
        for (const QString& address : contact.phones + contact.emails) {
            if (!names.contains(address))
                names.insert(address, (contact.first + ' ' + contact.last).simplified());
        }
    }
    return names;
}

void CheckMessages(IMDGetter* getter, const Content& content)
{
    // A partner in the address book is named by it: the conversation's
    // participant and each message received.
    const QHash<QString, QString> names = BookNames(content);
    int named = 0;
    CheckRecords<IMessage>(
        getter, content.conversations,
        [&](IMessage* message, bool deleted, const Content::Conversation& want, unsigned i) {
            const QString name = names.value(want.handle);
            named += name.isEmpty() ? 0 : 1;
            const QString email = Text(message->GetParticipantEmail(0));
            Sides sides{{Number(message->GetParticipantCount()),
                         email.isEmpty() ? Text(message->GetParticipantPhone(0)) : email,
                         Text(message->GetParticipantName(0)),
                         Number(message->GetParticipantName(1) != nullptr),
                         Number(message->GetEntry(message->GetEntryCount()) != nullptr),
                         Number(deleted)},
                        // Recently deleted (iOS 16 on): the conversation says so.
                        {"1", want.handle, name, "0", "0", Number(want.deleted)}};
            for (unsigned int m = 0; m < message->GetEntryCount(); ++m) {
                IMessageEntry* entry = message->GetEntry(m);
                sides.first << Text(entry->GetText()) + '|' + Number(entry->IsSent()) + '|' +
                                   Text(entry->GetDate()) + '|' + Text(entry->GetSender());
            }
            // Odd conversations store nanoseconds, even ones seconds.
            const bool nanoseconds = !want.chatless && i % 2 == 1;
            for (const Content::Message& m : want.messages)
                sides.second << m.text + '|' + Number(m.sent) + '|' +
                                    Expected(m.date, nanoseconds) + '|' +
                                    (m.sent           ? "Me"
                                     : name.isEmpty() ? want.handle
                                                      : name);
            return sides;
        });
    // The sample's partners are mostly contacts.
    QVERIFY(named > 0);
}

// The call type the engine shows for a call the generator wrote.
QString ExpectedCallType(const Content::Call& call, int ios)
{
    const QString direction = call.outgoing ? (call.answered    ? "Outgoing"
                                               : call.cancelled ? "Cancelled"
                                                                : "Unanswered")
                                            : (call.answered ? "Incoming" : "Missed");
    switch (call.kind) {
    case Content::Call::FaceTimeVideo:
        return direction + (ios <= 7 ? " (FaceTime)" : " (FaceTime Video)");
    case Content::Call::FaceTimeAudio:
        return direction + " (FaceTime Audio)";
    case Content::Call::OtherApp:
        return direction + " (WhatsApp)";
    default:
        return direction;
    }
}

void CheckCalls(IMDGetter* getter, const Content& content, int ios)
{
    // A call without a stored name gets the address book's.
    const QHash<QString, QString> names = BookNames(content);
    int named = 0;
    CheckRecords<ICallHistory>(
        getter, content.calls, [&](ICallHistory* call, bool, const Content::Call& want, unsigned) {
            const QString name = want.name.isEmpty() ? names.value(want.address) : want.name;
            named += want.name.isEmpty() && !name.isEmpty() ? 1 : 0;
            return Sides{
                {Text(call->GetPhoneNumber()), Text(call->GetName()), Text(call->GetDate()),
                 Text(call->GetCallType()), Text(call->GetDuration())},
                {want.address, name, Expected(want.date), ExpectedCallType(want, ios),
                 QTime(0, 0).addSecs(int(want.duration)).toString(QStringLiteral("HH:mm:ss"))}};
        });
    QVERIFY(named > 0);
}

void CheckEvents(IMDGetter* getter, const Content& content)
{
    CheckRecords<ICalendar>(
        getter, content.events, [](ICalendar* event, bool, const Content::Event& want, unsigned) {
            return Sides{{Text(event->GetTitle()), Text(event->GetLocation()),
                          Text(event->GetStartDate()), Text(event->GetEndDate()),
                          Text(event->GetNote())},
                         {want.title, want.location,
                          want.allDay ? ExpectedDay(want.start) : Expected(want.start),
                          want.allDay ? ExpectedDay(want.end) : Expected(want.end), want.note}};
        });
}

void CheckReminders(IMDGetter* getter, const Content& content)
{
    CheckRecords<IReminider>(
        getter, content.reminders,
        [](IReminider* reminder, bool deleted, const Content::Reminder& want, unsigned) {
            const char* priority = want.priority == 0   ? "None"
                                   : want.priority == 1 ? "High"
                                   : want.priority == 5 ? "Medium"
                                                        : "Low";
            return Sides{
                {Text(reminder->GetTitle()), Text(reminder->GetListName()),
                 Text(reminder->GetNote()), Text(reminder->GetDate()), Text(reminder->GetStatus()),
                 Text(reminder->GetPriority()), Number(deleted)},
                {want.title, want.list, want.note,
                 want.allDay ? ExpectedDay(want.due) : Expected(want.due),
                 want.completed ? "Completed" : "Not Completed", priority, Number(want.deleted)}};
        });
}

void CheckNotes(IMDGetter* getter, const Content& content)
{
    CheckRecords<INote>(
        getter, content.notes, [](INote* note, bool deleted, const Content::Note& want, unsigned) {
            return Sides{
                {Text(note->GetTitle()), Text(note->GetBody()), Text(note->GetDate()),
                 Text(note->GetFolder()), Number(deleted)},
                {want.title, want.body, Expected(want.date), want.folder, Number(want.deleted)}};
        });
}

// Whether the scan made the file's grid thumbnail, fitted into 113 x 96.
bool FittedThumbnail(IPhoto* file)
{
    const QSize thumbnail = QImage(Text(file->GetThumbnailPath())).size();
    return thumbnail.width() > 0 && thumbnail.width() <= 113 && thumbnail.height() <= 96 &&
           (thumbnail.width() == 113 || thumbnail.height() == 96);
}

void CheckPhotos(IMDGetter* getter, const Content& content)
{
    CheckRecords<IPhoto>(getter, content.photos,
                         [](IPhoto* photo, bool deleted, const Content::Photo& want, unsigned) {
                             const bool fits = FittedThumbnail(photo);
                             photo->SetThumbnailPath("/tmp/thumb.jpg");
                             return Sides{{Text(photo->GetDisplayText()), Number(photo->GetTime()),
                                           Number(deleted), Number(photo->GetFileKind()),
                                           Number(QFileInfo(Text(photo->GetFilePath())).size() > 0),
                                           Text(photo->GetFormatName()), Number(fits),
                                           Text(photo->GetThumbnailPath())},
                                          {want.name, ExpectedUnix(want.date), Number(want.trashed),
                                           Number(FILE_KIND_PICTURE), "1", "jpg", "1",
                                           "/tmp/thumb.jpg"}};
                         });
}

void CheckWhatsApp(IMDGetter* getter, const Content& content)
{
    CheckRecords<IWhatsAppMessenger>(
        getter, content.chats,
        [](IWhatsAppMessenger* chat, bool, const Content::Chat& want, unsigned) {
            Sides sides{{Text(chat->GetChatName()), Text(chat->GetPartnerName()),
                         Text(chat->GetPartnerPhone())},
                        {want.partner, want.partner, want.phone}};
            for (unsigned int m = 0; m < chat->GetEntryCount(); ++m) {
                IMessageEntry* entry = chat->GetEntry(m);
                sides.first << Text(entry->GetText()) + '|' + Text(entry->GetDate()) + '|' +
                                   Number(entry->IsSent()) + '|' + Text(entry->GetSender());
            }
            for (const Content::Message& m : want.messages)
                sides.second << m.text + '|' + Expected(m.date) + '|' + Number(m.sent) + '|' +
                                    m.sender;
            return sides;
        });
}

// The newer note store's attachments: one file item each, named and dated as
// written.
void CheckNoteAttachments(IMDGetter* getter, const Content& content)
{
    QVERIFY(content.noteAttachments.size() >= 5); // pictures, a drawing and other files
    CheckRecords<IPhoto>(getter, content.noteAttachments,
                         [](IPhoto* file, bool, const Content::NoteAttachment& want, unsigned) {
                             return Sides{{Text(file->GetDisplayText()), Number(file->GetTime()),
                                           Number(file->GetFileKind() == FILE_KIND_PICTURE),
                                           Number(FittedThumbnail(file)),
                                           BackupFixture::Read(Text(file->GetFilePath())).toHex()},
                                          {want.name, ExpectedUnix(want.noteDate),
                                           Number(want.picture), Number(want.picture),
                                           want.data.toHex()}};
                         });
}

void CheckBookmarks(IMDGetter* getter, const Content& content)
{
    CheckRecords<ISafariBookmark>(
        getter, content.bookmarks,
        [](ISafariBookmark* bookmark, bool, const Content::Bookmark& want, unsigned) {
            return Sides{{Text(bookmark->GetTitle()), Text(bookmark->GetUrl())},
                         {want.title, want.url}};
        });
}

// Message and WhatsApp attachments: each a file of the backup; pictures
// named with `prefix`.
void CheckAttachments(IMDGetter* getter, int count, const QString& prefix)
{
    QVERIFY(getter && count > 0);
    QCOMPARE(getter->GetCount(), unsigned(count));
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        IPhoto* photo = record_cast<IPhoto>(getter->GetItem(i));
        QVERIFY(photo && QFileInfo(Text(photo->GetFilePath())).isFile());
        QVERIFY(Text(photo->GetDisplayText()).startsWith(prefix));
        QVERIFY(prefix.isEmpty() || photo->GetFileKind() == FILE_KIND_PICTURE);
        // The scan made the thumbnails of the pictures, as it does for photos.
        QCOMPARE(FittedThumbnail(photo), photo->GetFileKind() == FILE_KIND_PICTURE);
    }
}

void CheckMemos(IMDGetter* getter, const Content& content)
{
    CheckRecords<IVoiceMemo>(
        getter, content.memos, [](IVoiceMemo* memo, bool, const Content::Memo& want, unsigned) {
            const bool thumbnail = memo->GetTextProperty(VOICE_PROP_THUMBNAIL_PATH) != nullptr;
            memo->SetTextProperty(VOICE_PROP_THUMBNAIL_PATH, "thumb.png");
            // Key 2 is the engine's file name property of a recording.
            return Sides{
                {Text(memo->GetDisplayText()), Text(memo->GetTextProperty(2)),
                 Number(memo->GetTime()), Number(thumbnail),
                 Text(memo->GetTextProperty(VOICE_PROP_THUMBNAIL_PATH))},
                {want.label.isEmpty() ? QFileInfo(want.path).completeBaseName() : want.label,
                 want.path, ExpectedUnix(want.date), "0", "thumb.png"}};
        });
}

const QString kWeChatDomain = QStringLiteral("AppDomain-com.tencent.xin");

// The named data set of account `index`, after a completed scan.
IMDGetter* ScanAccount(BackupDevice& device, MDType type, int index, SourcePtr& source)
{
    return ScanRunner::ScanInto(source, device, type)
               ? source->GetNamedGetter(QByteArray("WeChatAccount" + QByteArray::number(index)))
               : nullptr;
}

} // namespace

class TestEngineCategories : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void device();
    void scanReports_data();
    void scanReports();
    void zoned_data();
    void zoned();
    void generations_data();
    void generations();
    void falseEndsTheTask_data();
    void falseEndsTheTask();
    void rescanKeepsOldItemsValid();
    void weChatAccounts();
    void weChatAccount_data();
    void weChatAccount();
    void weChatDamagedAccountCostsOnlyItsRecords();
    void weChatAccountNames_data();
    void weChatAccountNames();
    void weChatChatsWithoutTheirLists_data();
    void weChatChatsWithoutTheirLists();

private:
    IMDGetter* Scan(MDType type, SourcePtr& source);
    QByteArray WeChatOriginal(const Content::WeChatFile& file) const;

    QTemporaryDir m_dir;
    Content m_content;
    std::unique_ptr<BackupDevice> m_device;
};

void TestEngineCategories::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SampleBackupWriter writer(SampleBackupWriter::Options{});
    QVERIFY2(writer.Write(m_dir.filePath("backup")), qPrintable(writer.ErrorText()));
    m_content = writer.Content();
    QCOMPARE(m_content.weChatAccounts.size(), std::size_t(2));
    m_device = std::make_unique<BackupDevice>(m_dir.filePath("backup"));
}

IMDGetter* TestEngineCategories::Scan(MDType type, SourcePtr& source)
{
    return ScanRunner::ScanInto(source, *m_device, type);
}

void TestEngineCategories::device()
{
    IDeviceInfo* info = m_device->GetDeviceInfo();
    QVERIFY(info);
    QCOMPARE(Text(info->GetTextProperty(DEVICE_PROP_DISPLAY_NAME, 0)), m_content.displayName);
    QCOMPARE(Text(info->GetTextProperty(BackupDevice::PROP_PRODUCT_TYPE, 0)),
             QStringLiteral("iPhone15,2"));
    QVERIFY(!info->GetTextProperty(DEVICE_PROP_DISPLAY_NAME, 1));
    QVERIFY(!info->GetTextProperty(999, 0));
    for (int type : {-1, 15, 21, 23, 1000})
        QVERIFY(!m_device->GetDataSource(static_cast<MDType>(type)));
}

void TestEngineCategories::scanReports_data()
{
    QTest::addColumn<int>("type");
    // How many different percentages the analysis reports before its data, at least:
    // 300 contacts are read with a report in between (every 256 rows).
    QTest::addColumn<int>("steps");
    QTest::newRow("contacts") << int(MD_CONTACT) << 3;
    QTest::newRow("messages") << int(MD_MESSAGE) << 3;
    QTest::newRow("photos") << int(MD_PHOTO) << 2;
}

// Backup phase first, then the analysis with growing progress and data, then the end.
void TestEngineCategories::scanReports()
{
    QFETCH(int, type);
    QFETCH(int, steps);
    SourcePtr source(m_device->GetDataSource(static_cast<MDType>(type)));
    QVERIFY(!source->GetDataGetter());
    ScanRunner runner(source.get());
    QCOMPARE(runner.Scan(), int(TASK_COMPLETE));
    const QVector<ScanRunner::Report> reports = runner.Reports();
    QVERIFY(reports.size() > 3);
    QCOMPARE(QVariantList({reports.first().label, reports.last().status, reports.last().type,
                           reports.last().label}),
             QVariantList({QByteArray("1"), int(TASK_COMPLETE), type, QByteArray("0")}));
    bool analysis = false;
    unsigned int lastCount = 0;
    int dataReports = 0;
    QSet<int> percents;
    for (const ScanRunner::Report& report : reports) {
        QVERIFY(report.percent >= 0 && report.percent <= 100);
        if (report.label == "0")
            analysis = true;
        else
            QVERIFY2(!analysis, "a backup report came after the analysis began");
        if (analysis && report.status == TASK_PERCENT && dataReports == 0)
            percents.insert(report.percent);
        if (report.status == TASK_DATA) {
            ++dataReports;
            QCOMPARE(report.type, type);
            QVERIFY(report.getterCount > lastCount);
            lastCount = report.getterCount;
        } else if (report.status != TASK_COMPLETE) {
            QCOMPARE(report.type, -1);
        }
    }
    QVERIFY(dataReports > 1);
    QVERIFY(percents.size() >= steps);
    QCOMPARE(lastCount, source->GetDataGetter()->GetCount());
}

void TestEngineCategories::zoned_data()
{
    QTest::addColumn<QByteArray>("zone");
    for (const QByteArray& zone : Zones())
        QTest::newRow(zone.constData()) << zone;
}

// The categories the generations do not vary, read in both zones: contacts'
// floating days, events' local times.
void TestEngineCategories::zoned()
{
    QFETCH(QByteArray, zone);
    SetZone(zone);
    SourcePtr source;
    CheckContacts(Scan(MD_CONTACT, source), m_content);
    CheckEvents(Scan(MD_CALENDAR, source), m_content);
    CheckNoteAttachments(Scan(MD_NOTE_ATTACHMENT, source), m_content);
    CheckBookmarks(Scan(MD_SAFARI_BOOKMARK, source), m_content);
    CheckAttachments(Scan(MD_MESSAGE_ATTACHMENT, source), m_content.AttachmentCount(), "IMG_");
    CheckAttachments(Scan(MD_WHATSAPP_ATTACHMENT, source), m_content.MediaCount(), "");
}

void TestEngineCategories::generations_data()
{
    QTest::addColumn<int>("ios");
    QTest::addColumn<bool>("business");
    for (int ios : SampleBackupWriter::Generations())
        QTest::newRow(qPrintable(QStringLiteral("iOS %1").arg(ios))) << ios << false;
    QTest::newRow("iOS 18, WhatsApp Business") << 18 << true;
}

// Each generation's schemas, as the generator writes them, read field by
// field; dated records in both zones, the zone changing between scans of one
// device.
void TestEngineCategories::generations()
{
    QFETCH(int, ios);
    QFETCH(bool, business);
    QTemporaryDir dir;
    SampleBackupWriter::Options options;
    options.ios = ios;
    options.whatsAppBusiness = business;
    SampleBackupWriter writer(options);
    QVERIFY2(writer.Write(dir.path()), qPrintable(writer.ErrorText()));
    const Content& content = writer.Content();
    BackupDevice device(dir.path());
    SourcePtr source;
    const auto scan = [&](MDType type) { return ScanRunner::ScanInto(source, device, type); };
    for (const QByteArray& zone : Zones()) {
        SetZone(zone);
        CheckCalls(scan(MD_CALL_HISTORY), content, ios);
        CheckMessages(scan(MD_MESSAGE), content);
        CheckNotes(scan(MD_NOTE), content);
        CheckWhatsApp(scan(MD_WHATSAPP_MESSAGE), content);
        CheckReminders(scan(MD_REMINDER), content);
        if (QTest::currentTestFailed()) {
            qWarning("in the zone %s", zone.constData());
            return;
        }
    }
    // The reminders' data set answers to its name too, spelt as the host spells it.
    QCOMPARE(source->GetNamedGetter("Reminider"), source->GetDataGetter());
    QVERIFY(!source->GetNamedGetter("Reminder") && !source->GetNamedGetter(nullptr));
    CheckPhotos(scan(MD_PHOTO), content);
    CheckMemos(scan(MD_VOICE_MEMO), content);

    // The message store has the columns that generation's phones add:
    // reactions and stickers, communication safety (16), generated emoji and
    // satellite messages (18); the reader must not need any of them.
    const QString sms = BackupFixture::ContentPath(dir.path(), QStringLiteral("HomeDomain"),
                                                   QStringLiteral("Library/SMS/sms.db"));
    const QStringList message = BackupFixture::Columns(sms, QStringLiteral("message"));
    const QStringList attachment = BackupFixture::Columns(sms, QStringLiteral("attachment"));
    QVERIFY(message.contains(QLatin1String("text")) &&
            attachment.contains(QLatin1String("filename")));
    QCOMPARE(message.contains(QLatin1String("associated_message_guid")), ios >= 12);
    QCOMPARE(message.contains(QLatin1String("is_stewie")), ios >= 18);
    QCOMPARE(attachment.contains(QLatin1String("is_sticker")), ios >= 12);
    QCOMPARE(attachment.contains(QLatin1String("is_commsafety_sensitive")), ios >= 16);
    QCOMPARE(attachment.contains(QLatin1String("emoji_image_content_identifier")), ios >= 18);
}

void TestEngineCategories::falseEndsTheTask_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("exports");
    for (int type : {MD_PHOTO, MD_CONTACT, MD_MESSAGE, MD_CALL_HISTORY, MD_CALENDAR, MD_NOTE,
                     MD_VOICE_MEMO, MD_SAFARI_BOOKMARK, MD_REMINDER, MD_MESSAGE_ATTACHMENT,
                     MD_WHATSAPP_MESSAGE, MD_WHATSAPP_ATTACHMENT, MD_NOTE_ATTACHMENT,
                     MD_WECHAT_CONTACT, MD_WECHAT_MESSAGE, MD_WECHAT_ATTACHMENT}) {
        const QByteArray name = QByteArray::number(type);
        QTest::newRow("scan " + name) << type << false;
        QTest::newRow("export " + name) << type << true;
    }
}

// A callback that answers false ends a scan or an export at any report:
// with status 5 and without a report after that one (the stop reached the
// reader, the carver and the exporter wherever they were, a query or a copy
// included, and none of them went on as if nothing happened).
void TestEngineCategories::falseEndsTheTask()
{
    QFETCH(int, type);
    QFETCH(bool, exports);
    QTemporaryDir out;
    const QString folder = out.filePath(QStringLiteral("out"));
    SourcePtr source;
    const auto run = [&](ScanRunner& runner) {
        return exports ? runner.ExportAll(MDType(type), folder) : runner.Scan();
    };
    if (exports)
        QVERIFY(Scan(MDType(type), source));
    else
        source.reset(m_device->GetDataSource(MDType(type)));
    ScanRunner whole(source.get());
    QCOMPARE(run(whole), int(TASK_COMPLETE));
    const int reports = whole.Reports().size();
    // Half-way is far enough from the end for a run that reports less often.
    for (int at : {1, 2, 3, reports / 2}) {
        if (at < 1 || at >= reports)
            continue;
        ScanRunner runner(source.get());
        runner.StopAtReport(at);
        const int end = run(runner);
        // Copies on several threads report a varying number of times: a run
        // may end before the report that says stop, or that report may be
        // its end.
        const QVector<ScanRunner::Report> seen = runner.Reports();
        if (seen.size() < at || IsTaskEndStatus(seen[at - 1].status))
            continue;
        QCOMPARE(end, int(TASK_STOP));
        QCOMPARE(runner.Reports().size(), at);
    }
}

void TestEngineCategories::rescanKeepsOldItemsValid()
{
    SourcePtr source, again;
    QVERIFY(Scan(MD_SAFARI_BOOKMARK, source));
    IMDCommon* old = source->GetDataGetter()->GetItem(0);
    QVERIFY(Scan(MD_SAFARI_BOOKMARK, again));
    QVERIFY(again->GetDataGetter()->GetItem(0) != old);
    // Still readable while its source lives (the source owns its scans' items).
    QCOMPARE(Text(record_cast<ISafariBookmark>(old)->GetTitle()), m_content.bookmarks[0].title);
}

void TestEngineCategories::weChatAccounts()
{
    SourcePtr source(m_device->GetDataSource(MD_WECHAT_MESSAGE));
    QVERIFY(!source->GetNamedGetter("WeChatAccounts"));
    QCOMPARE(ScanRunner(source.get()).Scan(), int(TASK_COMPLETE));
    unsigned int total = 0;
    CheckRecords<IWeChatFriend>(
        source->GetNamedGetter("WeChatAccounts"), m_content.weChatAccounts,
        [&](IWeChatFriend* account, bool, const Content::WeChatAccount& want, unsigned i) {
            total += source->GetNamedGetter(QByteArray("WeChatAccount" + QByteArray::number(i)))
                         ->GetCount();
            return Sides{{Text(account->GetUserName()), Text(account->GetDisplayName())},
                         {want.userName, want.nickName}};
        });
    QVERIFY(!source->GetNamedGetter("WeChatAccount2"));
    QCOMPARE(total, source->GetDataGetter()->GetCount());
}

void TestEngineCategories::weChatAccount_data()
{
    QTest::addColumn<int>("account");
    QTest::newRow("first account") << 0;
    QTest::newRow("second account") << 1;
}

QByteArray TestEngineCategories::WeChatOriginal(const Content::WeChatFile& file) const
{
    return BackupFixture::Read(
        BackupFixture::ContentPath(m_dir.filePath("backup"), kWeChatDomain, file.relativePath));
}

// Each account's contacts, chats and files as the generator wrote them, and
// exports of the account that write its files and no other account's.
void TestEngineCategories::weChatAccount()
{
    QFETCH(int, account);
    const Content::WeChatAccount& expected = m_content.weChatAccounts[account];
    SourcePtr source;
    QDir out;
    const auto exportTo = [&](MDType type) {
        out.setPath(m_dir.filePath(QStringLiteral("out%1-%2").arg(type).arg(account)));
        ImportExportConfigure config;
        config.nType = type;
        config.nMode = RECOVER_TO_PC;
        config.SetPath(out.path().toUtf8().constData());
        config.SetIndexs(&account, 1);
        return ScanRunner(source.get()).Export(config);
    };
    CheckRecords<IWeChatFriend>(
        ScanAccount(*m_device, MD_WECHAT_CONTACT, account, source), expected.contacts,
        [](IWeChatFriend* contact, bool, const Content::WeChatContact& want, unsigned) {
            // A group lists its members, the account and people it does not know included.
            return Sides{{Text(contact->GetUserName()), Text(contact->GetDisplayName()),
                          Text(contact->GetAlias()), Text(contact->GetRemark()),
                          want.kind == 1 ? Text(contact->GetSignature()) : QString()},
                         {want.userName, want.shown, want.alias, want.remark,
                          want.kind == 1 ? want.members.join(QStringLiteral(", ")) : QString()}};
        });
    QCOMPARE(exportTo(MD_WECHAT_CONTACT), int(TASK_COMPLETE));
    QCOMPARE(out.entryList({QStringLiteral("*.vcf")}, QDir::Files).size(),
             int(expected.contacts.size()));
    const QString csv = QString::fromUtf8(BackupFixture::Read(out.filePath("WeChat Contacts.csv")));
    for (const Content::WeChatContact& contact : expected.contacts)
        QVERIFY(csv.contains(contact.userName));
    QVERIFY(!csv.contains(m_content.weChatAccounts[1 - account].contacts[0].userName));

    // One text a chat, its messages in order; the chats in the order of the
    // account's session list, newest first, and after them the chats it no
    // longer names, as deleted conversations.
    std::vector<Content::WeChatChat> chats = expected.chats;
    QVERIFY(std::any_of(chats.begin(), chats.end(), [](const auto& c) { return !c.listed; }));
    std::stable_sort(chats.begin(), chats.end(), [](const auto& a, const auto& b) {
        return a.listed != b.listed ? a.listed : a.lastTime > b.lastTime;
    });
    IMDGetter* getter = ScanAccount(*m_device, MD_WECHAT_MESSAGE, account, source);
    QVERIFY(getter);
    QStringList read, written;
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        auto* chat = record_cast<IWeChatMessager>(getter->GetItem(i));
        QVERIFY(chat);
        read << Text(chat->GetChatName()) + '|' + Text(chat->GetAccount()) + '|' +
                    Number(getter->GetItem(i)->IsDeleted());
        for (unsigned int m = 0; m < chat->GetEntryCount(); ++m) {
            IMessageEntry* entry = chat->GetEntry(m);
            read.last() += '\n' + Text(entry->GetText()) + '|' + Text(entry->GetSender()) + '|' +
                           Text(entry->GetDate()) + '|' + Number(entry->IsSent());
        }
    }
    for (const Content::WeChatChat& want : chats) {
        written << want.name + '|' + expected.nickName + '|' + Number(!want.listed);
        for (const Content::Message& m : want.messages)
            written.last() += '\n' + m.text + '|' + m.sender + '|' +
                              QDateTime::fromSecsSinceEpoch(qint64(m.date))
                                  .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                              '|' + Number(m.sent);
    }
    QCOMPARE(read, written);
    QCOMPARE(exportTo(MD_WECHAT_MESSAGE), int(TASK_COMPLETE));
    QCOMPARE(out.entryList({QStringLiteral("*.html")}, QDir::Files).size(),
             int(expected.chats.size()));
    // A chat the session list no longer names is a deleted conversation; its
    // table runs to the last message.
    for (const Content::WeChatChat& chat : expected.chats) {
        const QString table =
            QString::fromUtf8(BackupFixture::Read(out.filePath(BackupFixture::ExportName(
                chat.name + (chat.listed ? QString() : QStringLiteral(" (deleted)")) +
                QStringLiteral(".csv")))));
        QVERIFY2(table.contains(QString(chat.messages.back().text).replace('"', "\"\"")),
                 qPrintable(chat.name));
    }

    CheckRecords<IPhoto>(
        ScanAccount(*m_device, MD_WECHAT_ATTACHMENT, account, source), expected.files,
        [this](IPhoto* file, bool, const Content::WeChatFile& want, unsigned) {
            return Sides{{Text(file->GetDisplayText()), Number(file->GetFileKind()),
                          Number(file->GetTime()), Number(FittedThumbnail(file)),
                          BackupFixture::Read(Text(file->GetFilePath())).toHex()},
                         {want.name, Number(want.kind), Number(std::uint64_t(want.time)),
                          Number(want.kind == FILE_KIND_PICTURE), WeChatOriginal(want).toHex()}};
        });
    // The original files, byte for byte.
    QCOMPARE(exportTo(MD_WECHAT_ATTACHMENT), int(TASK_COMPLETE));
    QCOMPARE(out.entryList(QDir::Files).size(), int(expected.files.size()));
    for (const Content::WeChatFile& file : expected.files)
        QCOMPARE(BackupFixture::Read(out.filePath(file.name)), WeChatOriginal(file));
}

void TestEngineCategories::weChatDamagedAccountCostsOnlyItsRecords()
{
    const QString copy = m_dir.filePath("damaged");
    QVERIFY(BackupFixture::CopyFolder(m_dir.filePath("backup"), copy));
    const Content::WeChatAccount& broken = m_content.weChatAccounts[0];
    // Every chat database of the first account is damaged (the other
    // account's and its own contact database are not).
    for (const char* name : {"MM", "message_1"}) {
        const QString file = BackupFixture::ContentPath(
            copy, kWeChatDomain,
            QStringLiteral("Documents/%1/DB/%2.sqlite").arg(broken.folder, QLatin1String(name)));
        QVERIFY(!QFile::exists(file) || BackupFixture::WriteFile(file, QByteArray(4096, 'x')));
    }
    BackupDevice device(copy);
    SourcePtr source;
    IMDGetter* first = ScanAccount(device, MD_WECHAT_MESSAGE, 0, source);
    QVERIFY(first);
    QCOMPARE(first->GetCount(), 0u);
    IMDGetter* second = source->GetNamedGetter("WeChatAccount1");
    QCOMPARE(second->GetCount(), unsigned(m_content.weChatAccounts[1].chats.size()));
    // The account's contacts lie in another database and are all there.
    SourcePtr contacts;
    IMDGetter* people = ScanAccount(device, MD_WECHAT_CONTACT, 0, contacts);
    QVERIFY(people);
    QCOMPARE(people->GetCount(), unsigned(broken.contacts.size()));
}

void TestEngineCategories::weChatAccountNames_data()
{
    QTest::addColumn<int>("account");
    QTest::addColumn<bool>("settings"); // damaged
    QTest::addColumn<bool>("logins");   // damaged
    QTest::addColumn<bool>("named");
    // Each account's settings first, then the login list, then its own
    // contact row, which only the first account has.
    for (int account : {0, 1}) {
        const bool ownRow = m_content.weChatAccounts[std::size_t(account)].ownRow;
        QTest::addRow("account %d, settings damaged", account) << account << true << false << true;
        QTest::addRow("account %d, login list damaged", account)
            << account << false << true << true;
        QTest::addRow("account %d, both damaged", account) << account << true << true << ownRow;
    }
}

void TestEngineCategories::weChatAccountNames()
{
    QFETCH(int, account);
    QFETCH(bool, settings);
    QFETCH(bool, logins);
    QFETCH(bool, named);
    const Content::WeChatAccount& want = m_content.weChatAccounts[std::size_t(account)];
    const QString copy =
        m_dir.filePath(QStringLiteral("names%1%2%3").arg(account).arg(settings).arg(logins));
    QVERIFY(BackupFixture::CopyFolder(m_dir.filePath("backup"), copy));
    const auto damage = [&](const QString& path) {
        return BackupFixture::WriteFile(BackupFixture::ContentPath(copy, kWeChatDomain, path),
                                        QByteArray(64, '\x07'));
    };
    QVERIFY(!settings || damage(want.settingsPath));
    QVERIFY(!logins || damage(QStringLiteral("Documents/LoginInfo2.dat")));
    BackupDevice device(copy);
    SourcePtr source(device.GetDataSource(MD_WECHAT_MESSAGE));
    QCOMPARE(ScanRunner(source.get()).Scan(), int(TASK_COMPLETE));
    IMDGetter* accounts = source->GetNamedGetter("WeChatAccounts");
    QVERIFY(accounts);
    auto* read = record_cast<IWeChatFriend>(accounts->GetItem(unsigned(account)));
    QVERIFY(read);
    // An account nothing names shows its folder.
    QCOMPARE(Text(read->GetUserName()), named ? want.userName : QString());
    QCOMPARE(Text(read->GetDisplayName()), named ? want.nickName : want.folder);
}

void TestEngineCategories::weChatChatsWithoutTheirLists_data()
{
    QTest::addColumn<bool>("contactGone");
    QTest::addColumn<bool>("sessionsGone");
    QTest::newRow("a partner's contact row gone") << true << false;
    QTest::newRow("the session list damaged") << false << true;
}

// A chat whose partner has no contact row takes the user name the session
// list gives it; without a readable session list no chat counts as deleted.
void TestEngineCategories::weChatChatsWithoutTheirLists()
{
    QFETCH(bool, contactGone);
    QFETCH(bool, sessionsGone);
    const Content::WeChatAccount& want = m_content.weChatAccounts[0];
    const auto partner = std::find_if(want.chats.begin(), want.chats.end(), [](const auto& c) {
        return c.listed && !c.userName.endsWith(QLatin1String("@chatroom"));
    });
    QVERIFY(partner != want.chats.end());
    const QString copy =
        m_dir.filePath(QStringLiteral("lists%1%2").arg(contactGone).arg(sessionsGone));
    QVERIFY(BackupFixture::CopyFolder(m_dir.filePath("backup"), copy));
    const QString base = QStringLiteral("Documents/%1/").arg(want.folder);
    QVERIFY(!contactGone ||
            BackupFixture::Exec(
                BackupFixture::ContentPath(copy, kWeChatDomain, base + "DB/WCDB_Contact.sqlite"),
                QStringLiteral("DELETE FROM Friend WHERE userName = '%1'").arg(partner->userName)));
    QVERIFY(!sessionsGone ||
            BackupFixture::WriteFile(
                BackupFixture::ContentPath(copy, kWeChatDomain, base + "session/session.db"),
                QByteArray(4096, 'x')));
    BackupDevice device(copy);
    SourcePtr source;
    IMDGetter* getter = ScanAccount(device, MD_WECHAT_MESSAGE, 0, source);
    QVERIFY(getter);
    QStringList read, written;
    for (unsigned int i = 0; i < getter->GetCount(); ++i)
        read << Text(record_cast<IWeChatMessager>(getter->GetItem(i))->GetChatName()) + '|' +
                    Number(getter->GetItem(i)->IsDeleted());
    for (const Content::WeChatChat& chat : want.chats)
        written << (contactGone && chat.userName == partner->userName ? chat.userName : chat.name) +
                       '|' + Number(!sessionsGone && !chat.listed);
    read.sort();
    written.sort();
    QCOMPARE(read, written);
}

QTEST_MAIN(TestEngineCategories)
#include "tst_enginecategories.moc"
