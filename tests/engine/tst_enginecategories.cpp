// Every category read from a generated backup gives the records the
// generator wrote, in the generator's order, through the public interfaces.

#include "backupdevice.h"
#include "backupfixture.h"
#include "contracts/mmobile.h"
#include "samplebackupwriter.h"
#include "scanrunner.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <memory>

using namespace MMobile;

namespace {

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// The local date text of a stored time, worked out apart from the engine.
QString Expected(double stored, bool nanoseconds = false)
{
    const double seconds = nanoseconds ? stored / 1e9 : stored;
    return QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC)
        .addSecs(static_cast<qint64>(std::floor(seconds)))
        .toLocalTime()
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

std::uint64_t ExpectedUnix(double seconds)
{
    return static_cast<std::uint64_t>(
        QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch() +
        static_cast<qint64>(std::floor(seconds)));
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

void AddZones()
{
    QTest::addColumn<QByteArray>("zone");
    for (const QByteArray& zone : Zones())
        QTest::newRow(zone.constData()) << zone;
}

void UseZone()
{
    QFETCH(QByteArray, zone);
    SetZone(zone);
}

} // namespace

class TestEngineCategories : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void deviceInfo();
    void unknownCategoryHasNoSource();
    void scanReports_data();
    void scanReports();
    void contacts_data() { AddZones(); }
    void contacts();
    void messageAttachments();
    void calendar_data() { AddZones(); }
    void calendar();
    void reminders();
    void bookmarks();
    void generations_data();
    void generations();
    void voiceMemos();
    void whatsAppAttachments();
    void stopsWhenTheCallbackSaysSo();
    void rescanKeepsOldItemsValid();

private:
    IMDGetter* Scan(MDType type, SourcePtr& source);

    QTemporaryDir m_dir;
    SampleBackupContent m_content;
    std::unique_ptr<BackupDevice> m_device;
};

void TestEngineCategories::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SampleBackupWriter writer(SampleBackupWriter::Options{});
    QVERIFY2(writer.Write(m_dir.path()), qPrintable(writer.ErrorText()));
    m_content = writer.Content();
    m_device = std::make_unique<BackupDevice>(m_dir.path());
}

IMDGetter* TestEngineCategories::Scan(MDType type, SourcePtr& source)
{
    return ScanRunner::ScanInto(source, *m_device, type);
}

void TestEngineCategories::deviceInfo()
{
    IDeviceInfo* info = m_device->GetDeviceInfo();
    QVERIFY(info);
    QCOMPARE(Text(info->GetTextProperty(DEVICE_PROP_DISPLAY_NAME, 0)), m_content.displayName);
    QCOMPARE(Text(info->GetTextProperty(BackupDevice::PROP_PRODUCT_TYPE, 0)),
             QStringLiteral("iPhone15,2"));
    QVERIFY(!info->GetTextProperty(DEVICE_PROP_DISPLAY_NAME, 1));
    QVERIFY(!info->GetTextProperty(999, 0));
}

void TestEngineCategories::unknownCategoryHasNoSource()
{
    for (int type : {-1, 15, 21, 23, 1000})
        QVERIFY(!m_device->GetDataSource(static_cast<MDType>(type)));
}

void TestEngineCategories::scanReports_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("contacts") << int(MD_CONTACT);
    QTest::newRow("messages") << int(MD_MESSAGE);
    QTest::newRow("photos") << int(MD_PHOTO);
}

// Backup phase first, then the analysis with growing data, then the end.
void TestEngineCategories::scanReports()
{
    QFETCH(int, type);
    SourcePtr source(m_device->GetDataSource(static_cast<MDType>(type)));
    QVERIFY(!source->GetDataGetter());
    ScanRunner runner(source.get());
    QCOMPARE(runner.Scan(), int(TASK_COMPLETE));
    const QVector<ScanRunner::Report> reports = runner.Reports();
    QVERIFY(reports.size() > 3);
    QCOMPARE(reports.first().label, QByteArray("1"));
    QCOMPARE(reports.last().status, int(TASK_COMPLETE));
    QCOMPARE(reports.last().type, type);
    QCOMPARE(reports.last().label, QByteArray("0"));
    bool analysis = false;
    unsigned int lastCount = 0;
    int dataReports = 0;
    for (const ScanRunner::Report& report : reports) {
        QVERIFY(report.percent >= 0 && report.percent <= 100);
        if (report.label == "0")
            analysis = true;
        else
            QVERIFY2(!analysis, "a backup report came after the analysis began");
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
    QCOMPARE(lastCount, source->GetDataGetter()->GetCount());
}

// The day of a floating date as stored, worked out apart from the engine.
QString ExpectedDay(double stored)
{
    const QDate day =
        QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC).addSecs(qint64(stored)).date();
    return day.year() == 1604 ? day.toString(QStringLiteral("--MM-dd"))
                              : day.toString(QStringLiteral("yyyy-MM-dd"));
}

QStringList Values(IContactList* list, bool labels = false)
{
    QStringList values;
    for (unsigned int i = 0; i < list->GetCount(); ++i)
        values << Text(labels ? list->GetLabel(i) : list->GetValue(i));
    return values;
}

void TestEngineCategories::contacts()
{
    UseZone();
    SourcePtr source;
    IMDGetter* getter = Scan(MD_CONTACT, source);
    QVERIFY(getter);
    QCOMPARE(getter->GetCount(), unsigned(m_content.contacts.size()));
    QSet<int> addressCounts;
    int noYear = 0;
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        const SampleBackupContent::Contact& expected = m_content.contacts[i];
        IContact* contact = record_cast<IContact>(getter->GetItem(i));
        QVERIFY(contact);
        QVERIFY(!getter->GetItem(i)->IsDeleted());
        QCOMPARE(Text(contact->GetName()->GetFullName()),
                 expected.first + QLatin1Char(' ') + expected.last);
        QCOMPARE(Text(contact->GetName()->GetFirstName()), expected.first);
        QCOMPARE(Text(contact->GetOrganization()->GetCompanyName()), expected.organization);
        QCOMPARE(Values(contact->GetPhoneList()), expected.phones);
        QCOMPARE(Text(contact->GetPhoneList()->GetLabel(0)), QStringLiteral("mobile"));
        QCOMPARE(Values(contact->GetEmailList()), expected.emails);
        QCOMPARE(Values(contact->GetUrlList()), expected.urls);
        QCOMPARE(Values(contact->GetRelatedNameList()), expected.relatedNames);
        QStringList dates;
        for (double date : expected.dates)
            dates << ExpectedDay(date);
        QCOMPARE(Values(contact->GetDateList()), dates);
        QStringList users, services;
        for (const QStringList& account : expected.messaging)
            users << account[0], services << account[1];
        QCOMPARE(Values(contact->GetInstantMessageList()), users);
        QCOMPARE(Values(contact->GetInstantMessageList(), true), services);
        users.clear();
        services.clear();
        for (const QStringList& profile : expected.socialProfiles)
            users << profile[0], services << profile[1];
        QCOMPARE(Values(contact->GetSocialProfileList()), users);
        QCOMPARE(Values(contact->GetSocialProfileList(), true), services);
        IContactAddressList* addresses = contact->GetAddressList();
        QCOMPARE(addresses->GetCount(), unsigned(expected.addresses.size()));
        for (unsigned int a = 0; a < addresses->GetCount(); ++a) {
            QCOMPARE(QStringList({Text(addresses->GetStreet(a)), Text(addresses->GetCity(a)),
                                  Text(addresses->GetState(a)), Text(addresses->GetPostalCode(a)),
                                  Text(addresses->GetCountry(a))}),
                     expected.addresses[a]);
        }
        addressCounts.insert(int(expected.addresses.size()));
        QCOMPARE(Text(contact->GetNote()), expected.note);
        QCOMPARE(Text(contact->GetBirthday()),
                 expected.hasBirthday ? ExpectedDay(expected.birthday) : QString());
        noYear += Text(contact->GetBirthday()).startsWith(QLatin1String("--")) ? 1 : 0;
        // Empty lists answer index 0 with null, as the table reads it.
        if (expected.socialProfiles.empty())
            QVERIFY(!contact->GetSocialProfileList()->GetValue(0));
    }
    QVERIFY(!getter->GetItem(getter->GetCount()));
    QVERIFY2(addressCounts.contains(2) && addressCounts.contains(3),
             "the sample should hold contacts with two and three addresses");
    QVERIFY(noYear > 0);
}

void CheckMessages(IMDGetter* getter, const SampleBackupContent& content, const QString& folder,
                   int ios)
{
    QVERIFY(getter);
    QCOMPARE(getter->GetCount(), unsigned(content.conversations.size()));
    int named = 0;
    int deleted = 0;
    qint64 chats = 0;
    for (unsigned int c = 0; c < getter->GetCount(); ++c) {
        const SampleBackupContent::Conversation& expected = content.conversations[c];
        IMessage* message = record_cast<IMessage>(getter->GetItem(c));
        QVERIFY(message);
        QCOMPARE(message->GetParticipantCount(), 1u);
        // Recently deleted (iOS 16 on): the conversation says so.
        QCOMPARE(getter->GetItem(c)->IsDeleted(), expected.deleted);
        deleted += expected.deleted ? 1 : 0;
        const bool email = expected.handle.contains(QLatin1Char('@'));
        QCOMPARE(Text(email ? message->GetParticipantEmail(0) : message->GetParticipantPhone(0)),
                 expected.handle);
        if (!Text(message->GetParticipantName(0)).isEmpty())
            ++named;
        QCOMPARE(message->GetEntryCount(), unsigned(expected.messages.size()));
        // Odd conversations store nanoseconds, even ones seconds.
        const bool nanoseconds = !expected.chatless && c % 2 == 1;
        chats += expected.chatless ? 0 : 1;
        for (unsigned int m = 0; m < message->GetEntryCount(); ++m) {
            IMessageEntry* entry = message->GetEntry(m);
            QVERIFY(entry);
            QCOMPARE(Text(entry->GetText()), expected.messages[m].text);
            QCOMPARE(entry->IsSent(), expected.messages[m].sent);
            QCOMPARE(Text(entry->GetDate()), Expected(expected.messages[m].date, nanoseconds));
            if (entry->IsSent())
                QCOMPARE(Text(entry->GetSender()), QStringLiteral("Me"));
        }
        QVERIFY(!message->GetEntry(message->GetEntryCount()));
        QVERIFY(!message->GetParticipantName(1));
    }
    // Partners found in the address book carry their names.
    QVERIFY(named > 0);
    QCOMPARE(deleted, ios >= 16 ? 1 : 0);
    // The newest chat was read from the log alone; messages of no chat are shown too.
    const QString database = BackupFixture::ContentPath(folder, "HomeDomain", "Library/SMS/sms.db");
    QCOMPARE(BackupFixture::QueryInt(database, "SELECT count(*) FROM chat"), chats - 1);
    QVERIFY(chats < qint64(getter->GetCount()));
}

void TestEngineCategories::messageAttachments()
{
    SourcePtr source;
    IMDGetter* getter = Scan(MD_MESSAGE_ATTACHMENT, source);
    QVERIFY(getter);
    QVERIFY(m_content.AttachmentCount() > 0);
    QCOMPARE(getter->GetCount(), unsigned(m_content.AttachmentCount()));
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        IPhoto* photo = record_cast<IPhoto>(getter->GetItem(i));
        QVERIFY(photo);
        QVERIFY(QFileInfo(Text(photo->GetFilePath())).isFile());
        QVERIFY(Text(photo->GetDisplayText()).startsWith(QLatin1String("IMG_")));
        QCOMPARE(photo->GetFileKind(), int(FILE_KIND_PICTURE));
    }
}

// The call type the engine shows for a call the generator wrote.
QString ExpectedCallType(const SampleBackupContent::Call& call, int ios)
{
    const QString direction = call.outgoing ? (call.answered    ? "Outgoing"
                                               : call.cancelled ? "Cancelled"
                                                                : "Unanswered")
                                            : (call.answered ? "Incoming" : "Missed");
    switch (call.kind) {
    case SampleBackupContent::Call::FaceTimeVideo:
        return direction + (ios <= 7 ? " (FaceTime)" : " (FaceTime Video)");
    case SampleBackupContent::Call::FaceTimeAudio:
        return direction + " (FaceTime Audio)";
    case SampleBackupContent::Call::OtherApp:
        return direction + " (WhatsApp)";
    default:
        return direction;
    }
}

void CheckCalls(IMDGetter* getter, const SampleBackupContent& content, int ios)
{
    QVERIFY(getter);
    QCOMPARE(getter->GetCount(), unsigned(content.calls.size()));
    QSet<QString> types;
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        const SampleBackupContent::Call& expected = content.calls[i];
        ICallHistory* call = record_cast<ICallHistory>(getter->GetItem(i));
        QVERIFY(call);
        QCOMPARE(Text(call->GetPhoneNumber()), expected.address);
        if (!expected.name.isEmpty())
            QCOMPARE(Text(call->GetName()), expected.name);
        QCOMPARE(Text(call->GetDate()), Expected(expected.date));
        QCOMPARE(Text(call->GetCallType()), ExpectedCallType(expected, ios));
        types.insert(Text(call->GetCallType()));
        const qint64 seconds = static_cast<qint64>(expected.duration);
        QCOMPARE(
            Text(call->GetDuration()),
            QTime(0, 0).addSecs(static_cast<int>(seconds)).toString(QStringLiteral("HH:mm:ss")));
    }
    // Every direction, and FaceTime, were in the sample; cancelled calls
    // where the store keeps why a call ended.
    QStringList expected = {"Outgoing", "Unanswered", "Incoming", "Missed", "Missed (FaceTime"};
    if (ios > 7)
        expected << "Cancelled";
    for (const QString& type : expected)
        QVERIFY2(std::any_of(types.begin(), types.end(),
                             [&type](const QString& seen) { return seen.startsWith(type); }),
                 qPrintable(type));
}

void TestEngineCategories::calendar()
{
    UseZone();
    SourcePtr source;
    IMDGetter* getter = Scan(MD_CALENDAR, source);
    QVERIFY(getter);
    QCOMPARE(getter->GetCount(), unsigned(m_content.events.size()));
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        const SampleBackupContent::Event& expected = m_content.events[i];
        ICalendar* event = record_cast<ICalendar>(getter->GetItem(i));
        QVERIFY(event);
        QCOMPARE(Text(event->GetTitle()), expected.title);
        QCOMPARE(Text(event->GetLocation()), expected.location);
        QCOMPARE(Text(event->GetStartDate()),
                 expected.allDay ? ExpectedDay(expected.start) : Expected(expected.start));
        QCOMPARE(Text(event->GetEndDate()),
                 expected.allDay ? ExpectedDay(expected.end) : Expected(expected.end));
        QCOMPARE(Text(event->GetNote()), expected.note);
    }
}

void CheckReminders(IMDGetter* getter, const SampleBackupContent& content, int ios)
{
    QVERIFY(getter);
    QCOMPARE(getter->GetCount(), unsigned(content.reminders.size()));
    QSet<QString> lists;
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        const SampleBackupContent::Reminder& expected = content.reminders[i];
        IReminider* reminder = record_cast<IReminider>(getter->GetItem(i));
        QVERIFY(reminder);
        QCOMPARE(Text(reminder->GetTitle()), expected.title);
        QCOMPARE(Text(reminder->GetListName()), expected.list);
        QCOMPARE(Text(reminder->GetNote()), expected.note);
        QCOMPARE(Text(reminder->GetDate()),
                 expected.allDay ? ExpectedDay(expected.due) : Expected(expected.due));
        QCOMPARE(Text(reminder->GetStatus()), expected.completed ? QStringLiteral("Completed")
                                                                 : QStringLiteral("Not Completed"));
        const QString priority = expected.priority == 0   ? "None"
                                 : expected.priority == 1 ? "High"
                                 : expected.priority == 5 ? "Medium"
                                                          : "Low";
        QCOMPARE(Text(reminder->GetPriority()), priority);
        QCOMPARE(getter->GetItem(i)->IsDeleted(), expected.deleted);
        lists.insert(expected.list);
    }
    // The calendar store's lists, and from iOS 14 on the Reminders app's.
    QVERIFY(lists.contains(QStringLiteral("Errands")));
    QCOMPARE(lists.contains(QStringLiteral("Work")), ios >= 14);
}

void TestEngineCategories::reminders()
{
    SourcePtr source;
    IMDGetter* getter = Scan(MD_REMINDER, source);
    QVERIFY(getter);
    QCOMPARE(source->GetNamedGetter("Reminider"), getter);
    QVERIFY(!source->GetNamedGetter("Reminder"));
    QVERIFY(!source->GetNamedGetter(nullptr));
}

void CheckNotes(IMDGetter* getter, const SampleBackupContent& content)
{
    QVERIFY(getter);
    QCOMPARE(getter->GetCount(), unsigned(content.notes.size()));
    int deleted = 0;
    QSet<QString> folders;
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        const SampleBackupContent::Note& expected = content.notes[i];
        INote* note = record_cast<INote>(getter->GetItem(i));
        QVERIFY(note);
        QCOMPARE(Text(note->GetTitle()), expected.title);
        QCOMPARE(Text(note->GetBody()), expected.body);
        QCOMPARE(Text(note->GetDate()), Expected(expected.date));
        QCOMPARE(Text(note->GetFolder()), expected.folder);
        QCOMPARE(getter->GetItem(i)->IsDeleted(), expected.deleted);
        deleted += expected.deleted ? 1 : 0;
        folders.insert(expected.folder);
    }
    QVERIFY(deleted > 0);
    QVERIFY(folders.contains(QStringLiteral("工作笔记")));
    QVERIFY(folders.contains(QStringLiteral("Recently Deleted")));
}

void TestEngineCategories::bookmarks()
{
    SourcePtr source;
    IMDGetter* getter = Scan(MD_SAFARI_BOOKMARK, source);
    QVERIFY(getter);
    QCOMPARE(getter->GetCount(), unsigned(m_content.bookmarks.size()));
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        ISafariBookmark* bookmark = record_cast<ISafariBookmark>(getter->GetItem(i));
        QVERIFY(bookmark);
        QCOMPARE(Text(bookmark->GetTitle()), m_content.bookmarks[i].title);
        QCOMPARE(Text(bookmark->GetUrl()), m_content.bookmarks[i].url);
    }
}

void CheckPhotos(IMDGetter* getter, const SampleBackupContent& content)
{
    QVERIFY(getter);
    QCOMPARE(getter->GetCount(), unsigned(content.photos.size()));
    int heic = 0;
    int trashed = 0;
    QSet<QDate> days;
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        const SampleBackupContent::Photo& expected = content.photos[i];
        IMDCommon* item = getter->GetItem(i);
        IPhoto* photo = record_cast<IPhoto>(item);
        QVERIFY(photo);
        QCOMPARE(Text(photo->GetDisplayText()), expected.name);
        QCOMPARE(photo->GetTime(), ExpectedUnix(expected.date));
        QCOMPARE(item->IsDeleted(), expected.trashed);
        QCOMPARE(photo->GetFileKind(), int(FILE_KIND_PICTURE));
        QVERIFY(QFileInfo(Text(photo->GetFilePath())).size() > 0);
        QCOMPARE(Text(photo->GetFormatName()), QStringLiteral("jpg"));
        // The scan made the grid thumbnail, fitted into 113 x 96.
        const QImage thumbnail(Text(photo->GetThumbnailPath()));
        QVERIFY(!thumbnail.isNull());
        QVERIFY(thumbnail.width() <= 113 && thumbnail.height() <= 96);
        QVERIFY(thumbnail.width() == 113 || thumbnail.height() == 96);
        photo->SetThumbnailPath("/tmp/thumb.jpg");
        QCOMPARE(Text(photo->GetThumbnailPath()), QStringLiteral("/tmp/thumb.jpg"));
        heic += expected.name.endsWith(QLatin1String(".HEIC")) ? 1 : 0;
        trashed += expected.trashed ? 1 : 0;
        days.insert(QDateTime::fromSecsSinceEpoch(qint64(photo->GetTime())).date());
    }
    QVERIFY(heic > 0);
    QVERIFY(trashed > 0);
    QVERIFY(days.size() > 3);
}

void CheckWhatsApp(IMDGetter* getter, const SampleBackupContent& content)
{
    QVERIFY(getter);
    QCOMPARE(getter->GetCount(), unsigned(content.chats.size()));
    int groups = 0;
    for (unsigned int c = 0; c < getter->GetCount(); ++c) {
        const SampleBackupContent::Chat& expected = content.chats[c];
        IWhatsAppMessenger* chat = record_cast<IWhatsAppMessenger>(getter->GetItem(c));
        QVERIFY(chat);
        QCOMPARE(Text(chat->GetChatName()), expected.partner);
        QCOMPARE(Text(chat->GetPartnerName()), expected.partner);
        QCOMPARE(Text(chat->GetPartnerPhone()), expected.phone);
        groups += expected.jid.endsWith(QLatin1String("@g.us")) ? 1 : 0;
        QCOMPARE(chat->GetEntryCount(), unsigned(expected.messages.size()));
        for (unsigned int m = 0; m < chat->GetEntryCount(); ++m) {
            QCOMPARE(Text(chat->GetEntry(m)->GetText()), expected.messages[m].text);
            QCOMPARE(Text(chat->GetEntry(m)->GetDate()), Expected(expected.messages[m].date));
            QCOMPARE(chat->GetEntry(m)->IsSent(), expected.messages[m].sent);
            QCOMPARE(Text(chat->GetEntry(m)->GetSender()), expected.messages[m].sender);
        }
    }
    QVERIFY(groups > 0);
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
    const SampleBackupContent& content = writer.Content();
    // Up to iOS 9 the backup's index is Manifest.mbdb.
    QCOMPARE(QFileInfo::exists(dir.filePath("Manifest.mbdb")), ios <= 9);
    QCOMPARE(QFileInfo::exists(dir.filePath("Manifest.db")), ios > 9);
    BackupDevice device(dir.path());
    SourcePtr source;
    const auto scan = [&device, &source](MDType type) -> IMDGetter* {
        source.reset(device.GetDataSource(type));
        return ScanRunner(source.get()).Scan() == TASK_COMPLETE ? source->GetDataGetter() : nullptr;
    };
    for (const QByteArray& zone : Zones()) {
        SetZone(zone);
        CheckCalls(scan(MD_CALL_HISTORY), content, ios);
        CheckMessages(scan(MD_MESSAGE), content, dir.path(), ios);
        CheckNotes(scan(MD_NOTE), content);
        CheckWhatsApp(scan(MD_WHATSAPP_MESSAGE), content);
        CheckReminders(scan(MD_REMINDER), content, ios);
        if (QTest::currentTestFailed()) {
            qWarning("in the zone %s", zone.constData());
            return;
        }
    }
    CheckPhotos(scan(MD_PHOTO), content);
    if (QTest::currentTestFailed())
        return;
    IMDGetter* getter = scan(MD_VOICE_MEMO);
    QVERIFY(getter);
    QCOMPARE(getter->GetCount(), unsigned(content.memos.size()));
    for (unsigned int i = 0; i < content.memos.size(); ++i) {
        IVoiceMemo* memo = record_cast<IVoiceMemo>(getter->GetItem(i));
        QCOMPARE(Text(memo->GetTextProperty(2)), content.memos[i].path);
        QCOMPARE(memo->GetTime(), ExpectedUnix(content.memos[i].date));
    }
}

void TestEngineCategories::voiceMemos()
{
    SourcePtr source;
    IMDGetter* getter = Scan(MD_VOICE_MEMO, source);
    QVERIFY(getter);
    QCOMPARE(getter->GetCount(), unsigned(m_content.memos.size()));
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        const SampleBackupContent::Memo& expected = m_content.memos[i];
        IVoiceMemo* memo = record_cast<IVoiceMemo>(getter->GetItem(i));
        QVERIFY(memo);
        const QString label =
            expected.label.isEmpty() ? QFileInfo(expected.path).completeBaseName() : expected.label;
        QCOMPARE(Text(memo->GetDisplayText()), label);
        QCOMPARE(memo->GetTime(), ExpectedUnix(expected.date));
        // Key 2 is the engine's file name property of a recording.
        QCOMPARE(Text(memo->GetTextProperty(2)), expected.path);
        QVERIFY(!memo->GetTextProperty(VOICE_PROP_THUMBNAIL_PATH));
        memo->SetTextProperty(VOICE_PROP_THUMBNAIL_PATH, "thumb.png");
        QCOMPARE(Text(memo->GetTextProperty(VOICE_PROP_THUMBNAIL_PATH)),
                 QStringLiteral("thumb.png"));
    }
}

void TestEngineCategories::whatsAppAttachments()
{
    SourcePtr source;
    IMDGetter* getter = Scan(MD_WHATSAPP_ATTACHMENT, source);
    QVERIFY(getter);
    QVERIFY(m_content.MediaCount() > 0);
    QCOMPARE(getter->GetCount(), unsigned(m_content.MediaCount()));
}

void TestEngineCategories::stopsWhenTheCallbackSaysSo()
{
    SourcePtr source(m_device->GetDataSource(MD_MESSAGE));
    ScanRunner runner(source.get());
    runner.StopAt(TASK_DATA);
    QCOMPARE(runner.Scan(), int(TASK_STOP));
    const QVector<ScanRunner::Report> reports = runner.Reports();
    QCOMPARE(reports.last().status, int(TASK_DATA));
    QVERIFY(source->GetDataGetter()->GetCount() < unsigned(m_content.conversations.size()));
}

void TestEngineCategories::rescanKeepsOldItemsValid()
{
    SourcePtr source(m_device->GetDataSource(MD_SAFARI_BOOKMARK));
    ScanRunner first(source.get());
    QCOMPARE(first.Scan(), int(TASK_COMPLETE));
    IMDCommon* old = source->GetDataGetter()->GetItem(0);
    SourcePtr again(m_device->GetDataSource(MD_SAFARI_BOOKMARK));
    ScanRunner second(again.get());
    QCOMPARE(second.Scan(), int(TASK_COMPLETE));
    QVERIFY(again->GetDataGetter()->GetItem(0) != old);
    // Still readable while its source lives (the source owns its scans' items).
    QCOMPARE(Text(record_cast<ISafariBookmark>(old)->GetTitle()), m_content.bookmarks[0].title);
}

QTEST_MAIN(TestEngineCategories)
#include "tst_enginecategories.moc"
