#include "categoryreader.h"

#include "appletime.h"
#include "backupmanifest.h"
#include "bookmarkrecord.h"
#include "calendarrecord.h"
#include "callrecord.h"
#include "contactrecord.h"
#include "conversationrecord.h"
#include "engineitem.h"
#include "filerecord.h"
#include "messageentryrecord.h"
#include "noterecord.h"
#include "reminderrecord.h"
#include "sqlitedb.h"
#include "voicememorecord.h"
#include "whatsapprecord.h"

#include <QFileInfo>
#include <QRegularExpression>

const char* const CategoryReader::HomeDomain = "HomeDomain";
const char* const CategoryReader::CameraRollDomain = "CameraRollDomain";
const char* const CategoryReader::MediaDomain = "MediaDomain";
const char* const CategoryReader::WhatsAppDomain =
    "AppDomainGroup-group.net.whatsapp.WhatsApp.shared";
const char* const CategoryReader::NotesDomain = "AppDomainGroup-group.com.apple.notes";

namespace {

using Row = SqliteDb::Row;

constexpr int TickEvery = 256;

// Address book property numbers of ABMultiValue.
constexpr int PropertyPhone = 3;
constexpr int PropertyEmail = 4;
constexpr int PropertyAddress = 5;
constexpr int PropertyUrl = 22;

// CalendarItem.entity_type
constexpr int EntityEvent = 2;
constexpr int EntityReminder = 3;

// "_$!<Mobile>!$_" -> "mobile"; custom labels stay as typed.
QByteArray CleanLabel(const QByteArray& label)
{
    if (label.startsWith("_$!<") && label.endsWith(">!$_"))
        return label.mid(4, label.size() - 8).toLower();
    return label;
}

// The last nine digits identify a number with or without its country code.
QString PhoneKey(const QString& phone)
{
    QString digits;
    for (const QChar c : phone) {
        if (c.isDigit())
            digits.append(c);
    }
    return digits.right(9);
}

QString AddressKey(const QString& address)
{
    if (address.contains(QLatin1Char('@')))
        return address.trimmed().toLower();
    return PhoneKey(address);
}

QString JoinNonEmpty(const QStringList& parts)
{
    QStringList kept;
    for (const QString& part : parts) {
        if (!part.trimmed().isEmpty())
            kept.append(part.trimmed());
    }
    return kept.join(QLatin1Char(' '));
}

QString Duration(qint64 seconds)
{
    if (seconds < 0)
        seconds = 0;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString DateOrNull(const Row& row, int column)
{
    return row.IsNull(column) ? QString() : AppleTime::ToText(row.Real(column));
}

// Attachment paths are stored as seen on the phone ("~/Library/SMS/...").
QString MediaRelativePath(QString path)
{
    if (path.startsWith(QLatin1String("~/")))
        path.remove(0, 2);
    else if (path.startsWith(QLatin1String("/var/mobile/")))
        path.remove(0, 12);
    return path;
}

// Notes of the older store keep HTML bodies.
QString PlainText(const QString& html)
{
    if (!html.contains(QLatin1Char('<')))
        return html;
    QString text = html;
    text.replace(QRegularExpression(QStringLiteral("<br\\s*/?>|</div>|</p>"),
                                    QRegularExpression::CaseInsensitiveOption),
                 QStringLiteral("\n"));
    text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&#39;"), QLatin1String("'"));
    text.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text.trimmed();
}

std::unique_ptr<EngineItem> MakeItem(std::unique_ptr<EngineRecord> record, bool deleted = false)
{
    return std::make_unique<EngineItem>(std::move(record), deleted);
}

} // namespace

CategoryReader::CategoryReader(BackupManifest& manifest, MMobile::MDType type, Progress progress)
    : m_manifest(manifest), m_type(type), m_progress(std::move(progress))
{
}

CategoryReader::~CategoryReader() = default;

bool CategoryReader::Read(Items& items)
{
    switch (m_type) {
    case MMobile::MD_PHOTO:
        return ReadPhotos(items);
    case MMobile::MD_CONTACT:
        return ReadContacts(items);
    case MMobile::MD_MESSAGE_ATTACHMENT:
        return ReadMessageAttachments(items);
    case MMobile::MD_MESSAGE:
        return ReadMessages(items);
    case MMobile::MD_CALL_HISTORY:
        return ReadCalls(items);
    case MMobile::MD_CALENDAR:
        return ReadCalendar(items, false);
    case MMobile::MD_NOTE:
        return ReadNotes(items);
    case MMobile::MD_VOICE_MEMO:
        return ReadVoiceMemos(items);
    case MMobile::MD_SAFARI_BOOKMARK:
        return ReadBookmarks(items);
    case MMobile::MD_WHATSAPP_ATTACHMENT:
        return ReadWhatsApp(items, true);
    case MMobile::MD_WHATSAPP_MESSAGE:
        return ReadWhatsApp(items, false);
    case MMobile::MD_REMINDER:
        return ReadCalendar(items, true);
    default:
        // Note attachments and the WeChat categories are not read by this engine.
        return true;
    }
}

CategoryReader::OpenResult CategoryReader::OpenDatabase(const QString& domain, const QString& path,
                                                        SqliteDb& db)
{
    if (!m_manifest.Lists(domain, path)) {
        if (!m_manifest.IsDamaged())
            return OPEN_ABSENT;
        m_error = QStringLiteral("Manifest.db cannot be searched for %1").arg(path);
        return OPEN_FAILED;
    }
    const QString file = m_manifest.FetchFile(domain, path);
    if (file.isEmpty()) {
        m_error = QStringLiteral("%1 is listed in the backup but its content is missing or "
                                 "cannot be decrypted")
                      .arg(path);
        return OPEN_FAILED;
    }
    if (!db.Open(file)) {
        m_error = QStringLiteral("%1 cannot be read: %2").arg(path, db.LastError());
        return OPEN_FAILED;
    }
    return OPEN_OK;
}

bool CategoryReader::RequireTables(SqliteDb& db, const QStringList& tables)
{
    for (const QString& table : tables) {
        if (!db.HasTable(table)) {
            m_error = QStringLiteral("the database lacks the table %1").arg(table);
            return false;
        }
    }
    return true;
}

bool CategoryReader::Tick(qint64 done, qint64 total)
{
    if (m_stopped)
        return false;
    if (done % TickEvery != 0)
        return true;
    const int percent =
        total > 0 ? static_cast<int>(qBound<qint64>(0, done * 100 / total, 100)) : 0;
    if (m_progress && !m_progress(percent)) {
        m_stopped = true;
        return false;
    }
    m_lastPercent = percent;
    return true;
}

void CategoryReader::LoadContactNames()
{
    SqliteDb db;
    if (OpenDatabase(HomeDomain, QStringLiteral("Library/AddressBook/AddressBook.sqlitedb"), db) !=
        OPEN_OK)
        return;
    m_error.clear();
    db.Query(
        QStringLiteral("SELECT p.First, p.Middle, p.Last, mv.value FROM ABMultiValue mv "
                       "JOIN ABPerson p ON p.ROWID = mv.record_id WHERE mv.property IN (?, ?)"),
        {PropertyPhone, PropertyEmail}, [this](const Row& row) {
            const QString name = JoinNonEmpty({row.String(0), row.String(1), row.String(2)});
            const QString key = AddressKey(row.String(3));
            if (!name.isEmpty() && !key.isEmpty() && !m_contactNames.contains(key))
                m_contactNames.insert(key, name);
            return true;
        });
}

QString CategoryReader::ContactNameOf(const QString& address) const
{
    return m_contactNames.value(AddressKey(address));
}

bool CategoryReader::ReadContacts(Items& items)
{
    SqliteDb db;
    const OpenResult open =
        OpenDatabase(HomeDomain, QStringLiteral("Library/AddressBook/AddressBook.sqlitedb"), db);
    if (open != OPEN_OK)
        return open == OPEN_ABSENT;
    if (!RequireTables(db, {QStringLiteral("ABPerson"), QStringLiteral("ABMultiValue")}))
        return false;

    QHash<qint64, ContactRecord*> byId;
    Items read;
    qint64 total = 0;
    db.Query(QStringLiteral("SELECT count(*) FROM ABPerson"), [&total](const Row& row) {
        total = row.Int(0);
        return false;
    });
    qint64 done = 0;
    const bool ok = db.Query(
        QStringLiteral(
            "SELECT ROWID, First, Middle, Last, Prefix, Suffix, Nickname, FirstPhonetic, "
            "MiddlePhonetic, LastPhonetic, Organization, Department, JobTitle, Note, "
            "Birthday FROM ABPerson ORDER BY ROWID"),
        [&](const Row& row) {
            auto record = std::make_unique<ContactRecord>();
            RecordText& name = record->Name().Text();
            for (int field = ContactName::First; field <= ContactName::LastPhonetic; ++field)
                name.Set(field, row.Text(1 + field));
            name.Set(ContactName::Full, JoinNonEmpty({row.String(4), row.String(1), row.String(2),
                                                      row.String(3), row.String(5)}));
            RecordText& organization = record->Organization().Text();
            organization.Set(ContactOrganization::Company, row.Text(10));
            organization.Set(ContactOrganization::Department, row.Text(11));
            organization.Set(ContactOrganization::JobTitle, row.Text(12));
            record->Text().Set(ContactRecord::Note, row.Text(13));
            // Birthdays are stored as seconds since 2001, as text.
            if (!row.IsNull(14)) {
                bool number = false;
                const double seconds = row.String(14).toDouble(&number);
                if (number)
                    record->Text().Set(ContactRecord::Birthday,
                                       AppleTime::ToText(seconds).left(10));
            }
            byId.insert(row.Int(0), record.get());
            read.push_back(MakeItem(std::move(record)));
            return Tick(++done, total);
        });
    if (!ok) {
        m_error = db.LastError();
        return false;
    }
    if (m_stopped)
        return true;

    const bool labels = db.HasTable(QStringLiteral("ABMultiValueLabel"));
    const QString labelColumn = labels ? QStringLiteral("l.value") : QStringLiteral("NULL");
    const QString labelJoin =
        labels ? QStringLiteral(" LEFT JOIN ABMultiValueLabel l ON l.ROWID = mv.label") : QString();
    QHash<qint64, RecordText*> addresses;
    const bool valuesOk = db.Query(
        QStringLiteral("SELECT mv.UID, mv.record_id, mv.property, mv.value, %1 FROM ABMultiValue mv"
                       "%2 ORDER BY mv.record_id, mv.UID")
            .arg(labelColumn, labelJoin),
        [&](const Row& row) {
            ContactRecord* contact = byId.value(row.Int(1));
            if (!contact)
                return true;
            const QByteArray label = CleanLabel(row.Text(4));
            switch (row.Int(2)) {
            case PropertyPhone:
                contact->Phones().Append(row.Text(3), label);
                break;
            case PropertyEmail:
                contact->Emails().Append(row.Text(3), label);
                break;
            case PropertyUrl:
                contact->Urls().Append(row.Text(3), label);
                break;
            case PropertyAddress: {
                RecordText& address = contact->Addresses().Append();
                address.Set(ContactAddressList::Label, label);
                addresses.insert(row.Int(0), &address);
                break;
            }
            default:
                break;
            }
            return true;
        });
    if (!valuesOk) {
        m_error = db.LastError();
        return false;
    }
    if (!addresses.isEmpty() && db.HasTable(QStringLiteral("ABMultiValueEntry")) &&
        db.HasTable(QStringLiteral("ABMultiValueEntryKey"))) {
        db.Query(
            QStringLiteral("SELECT e.parent_id, k.value, e.value FROM ABMultiValueEntry e JOIN "
                           "ABMultiValueEntryKey k ON k.ROWID = e.key"),
            [&](const Row& row) {
                RecordText* address = addresses.value(row.Int(0));
                if (!address)
                    return true;
                static const QHash<QString, int> fields = {
                    {QStringLiteral("Street"), ContactAddressList::Street},
                    {QStringLiteral("City"), ContactAddressList::City},
                    {QStringLiteral("State"), ContactAddressList::State},
                    {QStringLiteral("ZIP"), ContactAddressList::PostalCode},
                    {QStringLiteral("Country"), ContactAddressList::Country}};
                const auto field = fields.find(row.String(1));
                if (field != fields.end())
                    address->Set(field.value(), row.Text(2));
                return true;
            });
    }
    for (auto& item : read)
        items.push_back(std::move(item));
    return true;
}

bool CategoryReader::ReadMessages(Items& items)
{
    SqliteDb db;
    const OpenResult open = OpenDatabase(HomeDomain, QStringLiteral("Library/SMS/sms.db"), db);
    if (open != OPEN_OK)
        return open == OPEN_ABSENT;
    if (!RequireTables(db,
                       {QStringLiteral("message"), QStringLiteral("handle"), QStringLiteral("chat"),
                        QStringLiteral("chat_message_join"), QStringLiteral("chat_handle_join")}))
        return false;
    LoadContactNames();

    QHash<qint64, QString> handles;
    bool ok = db.Query(QStringLiteral("SELECT ROWID, id FROM handle"), [&handles](const Row& row) {
        handles.insert(row.Int(0), row.String(1));
        return true;
    });
    QHash<qint64, ConversationRecord*> chats;
    Items read;
    ok = ok &&
         db.Query(QStringLiteral("SELECT ROWID FROM chat ORDER BY ROWID"), [&](const Row& row) {
             auto record = std::make_unique<ConversationRecord>();
             chats.insert(row.Int(0), record.get());
             read.push_back(MakeItem(std::move(record)));
             return true;
         });
    ok = ok && db.Query(QStringLiteral("SELECT chat_id, handle_id FROM chat_handle_join "
                                       "ORDER BY chat_id, handle_id"),
                        [&](const Row& row) {
                            ConversationRecord* chat = chats.value(row.Int(0));
                            if (!chat)
                                return true;
                            const QString id = handles.value(row.Int(1));
                            RecordText& participant = chat->AddParticipant();
                            participant.Set(ConversationRecord::Name, ContactNameOf(id));
                            const bool email = id.contains(QLatin1Char('@'));
                            participant.Set(ConversationRecord::Phone, email ? QString("") : id);
                            participant.Set(ConversationRecord::Email, email ? id : QString(""));
                            return true;
                        });
    qint64 total = 0;
    ok = ok && db.Query(QStringLiteral("SELECT count(*) FROM chat_message_join"),
                        [&total](const Row& row) {
                            total = row.Int(0);
                            return false;
                        });
    if (!ok) {
        m_error = db.LastError();
        return false;
    }

    QHash<qint64, ConversationRecord*> chatOfMessage;
    qint64 done = 0;
    ok = db.Query(QStringLiteral("SELECT cmj.chat_id, m.ROWID, m.text, m.handle_id, m.date, "
                                 "m.is_from_me FROM chat_message_join cmj JOIN message m ON "
                                 "m.ROWID = cmj.message_id ORDER BY cmj.chat_id, m.date, m.ROWID"),
                  [&](const Row& row) {
                      ConversationRecord* chat = chats.value(row.Int(0));
                      if (chat) {
                          const bool sent = row.Int(5) != 0;
                          MessageEntryRecord& entry = chat->AddEntry(sent);
                          entry.Texts().Set(MessageEntryRecord::Text, row.Text(2));
                          const QString handle = handles.value(row.Int(3));
                          const QString name = ContactNameOf(handle);
                          entry.Texts().Set(MessageEntryRecord::Sender,
                                            sent ? QStringLiteral("Me")
                                                 : (name.isEmpty() ? handle : name));
                          entry.Texts().Set(MessageEntryRecord::Date, DateOrNull(row, 4));
                          chatOfMessage.insert(row.Int(1), chat);
                      }
                      return Tick(++done, total);
                  });
    if (!ok) {
        m_error = db.LastError();
        return false;
    }
    if (m_stopped)
        return true;
    if (db.HasTable(QStringLiteral("attachment")) &&
        db.HasTable(QStringLiteral("message_attachment_join"))) {
        db.Query(QStringLiteral("SELECT maj.message_id, a.filename, a.transfer_name FROM "
                                "message_attachment_join maj JOIN attachment a ON a.ROWID = "
                                "maj.attachment_id ORDER BY maj.message_id, a.ROWID"),
                 [&](const Row& row) {
                     ConversationRecord* chat = chatOfMessage.value(row.Int(0));
                     const QString relative = MediaRelativePath(row.String(1));
                     const QString path = m_manifest.FindFile(MediaDomain, relative);
                     if (chat && path.isEmpty())
                         ++m_skipped;
                     if (chat && !path.isEmpty()) {
                         QString name = row.String(2);
                         if (name.isEmpty())
                             name = QFileInfo(relative).fileName();
                         chat->AddAttachment({path, name});
                     }
                     return true;
                 });
    }
    for (auto& item : read)
        items.push_back(std::move(item));
    return true;
}

bool CategoryReader::ReadMessageAttachments(Items& items)
{
    SqliteDb db;
    const OpenResult open = OpenDatabase(HomeDomain, QStringLiteral("Library/SMS/sms.db"), db);
    if (open != OPEN_OK)
        return open == OPEN_ABSENT;
    if (!RequireTables(db, {QStringLiteral("attachment")}))
        return false;
    const bool ok = db.Query(
        QStringLiteral("SELECT filename, transfer_name, created_date FROM attachment ORDER BY "
                       "created_date, ROWID"),
        [&](const Row& row) {
            const QString relative = MediaRelativePath(row.String(0));
            const QString path = m_manifest.FindFile(MediaDomain, relative);
            if (path.isEmpty()) {
                ++m_skipped;
                return true;
            }
            QString name = row.String(1);
            if (name.isEmpty())
                name = QFileInfo(relative).fileName();
            auto record = std::make_unique<FileRecord>(
                FileRecord::KindOfName(name),
                static_cast<std::uint64_t>(qMax<qint64>(0, AppleTime::ToUnix(row.Real(2)))));
            record->Text().Set(FileRecord::FilePath, path);
            record->Text().Set(FileRecord::DisplayText, name);
            items.push_back(MakeItem(std::move(record)));
            return Tick(static_cast<qint64>(items.size()), 0);
        });
    if (!ok)
        m_error = db.LastError();
    return ok;
}

bool CategoryReader::ReadCalls(Items& items)
{
    SqliteDb db;
    const OpenResult open =
        OpenDatabase(HomeDomain, QStringLiteral("Library/CallHistoryDB/CallHistory.storedata"), db);
    if (open != OPEN_OK)
        return open == OPEN_ABSENT;
    if (!RequireTables(db, {QStringLiteral("ZCALLRECORD")}))
        return false;
    LoadContactNames();
    const bool ok = db.Query(
        QStringLiteral("SELECT ZADDRESS, ZNAME, ZDATE, ZDURATION, ZORIGINATED, ZANSWERED FROM "
                       "ZCALLRECORD ORDER BY ZDATE, Z_PK"),
        [&](const Row& row) {
            auto record = std::make_unique<CallRecord>();
            RecordText& text = record->Text();
            const QString address = row.String(0);
            QString name = row.String(1);
            if (name.isEmpty())
                name = ContactNameOf(address);
            text.Set(CallRecord::Name, name);
            text.Set(CallRecord::Phone, row.Text(0));
            text.Set(CallRecord::Date, DateOrNull(row, 2));
            const QString type = row.Int(4) != 0   ? QStringLiteral("Outgoing")
                                 : row.Int(5) != 0 ? QStringLiteral("Incoming")
                                                   : QStringLiteral("Missed");
            text.Set(CallRecord::Type, type);
            text.Set(CallRecord::Duration, Duration(static_cast<qint64>(row.Real(3))));
            items.push_back(MakeItem(std::move(record)));
            return Tick(static_cast<qint64>(items.size()), 0);
        });
    if (!ok)
        m_error = db.LastError();
    return ok;
}

bool CategoryReader::ReadCalendar(Items& items, bool reminders)
{
    SqliteDb db;
    const OpenResult open =
        OpenDatabase(HomeDomain, QStringLiteral("Library/Calendar/Calendar.sqlitedb"), db);
    if (open != OPEN_OK)
        return open == OPEN_ABSENT;
    if (!RequireTables(db, {QStringLiteral("CalendarItem"), QStringLiteral("Location"),
                            QStringLiteral("Calendar")}))
        return false;
    const QString order =
        reminders ? QStringLiteral("ci.due_date") : QStringLiteral("ci.start_date");
    const bool ok = db.Query(
        QStringLiteral("SELECT ci.summary, l.title, ci.start_date, ci.end_date, ci.description, "
                       "ci.due_date, ci.completion_date, ci.priority, c.title FROM CalendarItem ci "
                       "LEFT JOIN Location l ON l.ROWID = ci.location_id LEFT JOIN Calendar c ON "
                       "c.ROWID = ci.calendar_id WHERE ci.entity_type = ? ORDER BY %1, ci.ROWID")
            .arg(order),
        {reminders ? EntityReminder : EntityEvent}, [&](const Row& row) {
            if (reminders) {
                auto record = std::make_unique<ReminderRecord>();
                RecordText& text = record->Text();
                text.Set(ReminderRecord::Title, row.Text(0));
                text.Set(ReminderRecord::Location, row.Text(1));
                text.Set(ReminderRecord::Note, row.Text(4));
                text.Set(ReminderRecord::Date, DateOrNull(row, 5));
                text.Set(ReminderRecord::Status, row.IsNull(6) ? QStringLiteral("Not Completed")
                                                               : QStringLiteral("Completed"));
                // 1-4 high, 5 medium, 6-9 low, 0 none.
                const qint64 priority = row.Int(7);
                text.Set(ReminderRecord::Priority, priority <= 0   ? QStringLiteral("None")
                                                   : priority < 5  ? QStringLiteral("High")
                                                   : priority == 5 ? QStringLiteral("Medium")
                                                                   : QStringLiteral("Low"));
                text.Set(ReminderRecord::ListName, row.Text(8));
                items.push_back(MakeItem(std::move(record)));
            } else {
                auto record = std::make_unique<CalendarRecord>();
                RecordText& text = record->Text();
                text.Set(CalendarRecord::Title, row.Text(0));
                text.Set(CalendarRecord::Location, row.Text(1));
                text.Set(CalendarRecord::StartDate, DateOrNull(row, 2));
                text.Set(CalendarRecord::EndDate, DateOrNull(row, 3));
                text.Set(CalendarRecord::Note, row.Text(4));
                items.push_back(MakeItem(std::move(record)));
            }
            return Tick(static_cast<qint64>(items.size()), 0);
        });
    if (!ok)
        m_error = db.LastError();
    return ok;
}

bool CategoryReader::ReadNotes(Items& items)
{
    SqliteDb db;
    OpenResult open = OpenDatabase(HomeDomain, QStringLiteral("Library/Notes/notes.sqlite"), db);
    if (open == OPEN_FAILED)
        return false;
    if (open == OPEN_OK) {
        if (!RequireTables(db, {QStringLiteral("ZNOTE"), QStringLiteral("ZNOTEBODY")}))
            return false;
        const bool folders = db.HasTable(QStringLiteral("ZFOLDER"));
        const bool ok = db.Query(
            QStringLiteral("SELECT n.ZTITLE, n.ZSUMMARY, n.ZMODIFICATIONDATE, b.ZCONTENT, %1 FROM "
                           "ZNOTE n LEFT JOIN ZNOTEBODY b ON b.ZOWNER = n.Z_PK%2 ORDER BY "
                           "n.ZMODIFICATIONDATE, n.Z_PK")
                .arg(folders ? QStringLiteral("f.ZNAME") : QStringLiteral("NULL"),
                     folders ? QStringLiteral(" LEFT JOIN ZFOLDER f ON f.Z_PK = n.ZFOLDER")
                             : QString()),
            [&](const Row& row) {
                auto record = std::make_unique<NoteRecord>();
                RecordText& text = record->Text();
                text.Set(NoteRecord::Title, row.Text(0));
                text.Set(NoteRecord::Snippet, row.Text(1));
                text.Set(NoteRecord::Date, DateOrNull(row, 2));
                text.Set(NoteRecord::Body, row.IsNull(3) ? QString() : PlainText(row.String(3)));
                text.Set(NoteRecord::Folder, row.Text(4));
                items.push_back(MakeItem(std::move(record)));
                return Tick(static_cast<qint64>(items.size()), 0);
            });
        if (!ok) {
            m_error = db.LastError();
            return false;
        }
    }
    if (m_stopped)
        return true;
    // The newer store keeps the body compressed; its plain title and snippet are read.
    SqliteDb store;
    open = OpenDatabase(NotesDomain, QStringLiteral("NoteStore.sqlite"), store);
    if (open == OPEN_FAILED)
        return false;
    if (open == OPEN_ABSENT)
        return true;
    if (!RequireTables(store, {QStringLiteral("ZICCLOUDSYNCINGOBJECT")}))
        return false;
    const bool ok = store.Query(
        QStringLiteral("SELECT ZTITLE1, ZSNIPPET, ZMODIFICATIONDATE1, ZMARKEDFORDELETION FROM "
                       "ZICCLOUDSYNCINGOBJECT WHERE ZTITLE1 IS NOT NULL ORDER BY "
                       "ZMODIFICATIONDATE1, Z_PK"),
        [&](const Row& row) {
            auto record = std::make_unique<NoteRecord>();
            RecordText& text = record->Text();
            text.Set(NoteRecord::Title, row.Text(0));
            text.Set(NoteRecord::Snippet, row.Text(1));
            text.Set(NoteRecord::Body, row.Text(1));
            text.Set(NoteRecord::Date, DateOrNull(row, 2));
            text.Set(NoteRecord::Folder, QStringLiteral("Notes"));
            items.push_back(MakeItem(std::move(record), row.Int(3) != 0));
            return Tick(static_cast<qint64>(items.size()), 0);
        });
    if (!ok)
        m_error = store.LastError();
    return ok;
}

bool CategoryReader::ReadBookmarks(Items& items)
{
    SqliteDb db;
    const OpenResult open =
        OpenDatabase(HomeDomain, QStringLiteral("Library/Safari/Bookmarks.db"), db);
    if (open != OPEN_OK)
        return open == OPEN_ABSENT;
    if (!RequireTables(db, {QStringLiteral("bookmarks")}))
        return false;
    const bool ok =
        db.Query(QStringLiteral("SELECT title, url FROM bookmarks WHERE type = 0 AND url "
                                "IS NOT NULL AND url <> '' ORDER BY id"),
                 [&](const Row& row) {
                     auto record = std::make_unique<BookmarkRecord>();
                     record->Text().Set(BookmarkRecord::Title, row.Text(0));
                     record->Text().Set(BookmarkRecord::Url, row.Text(1));
                     items.push_back(MakeItem(std::move(record)));
                     return Tick(static_cast<qint64>(items.size()), 0);
                 });
    if (!ok)
        m_error = db.LastError();
    return ok;
}

bool CategoryReader::ReadPhotos(Items& items)
{
    SqliteDb db;
    const OpenResult open =
        OpenDatabase(CameraRollDomain, QStringLiteral("Media/PhotoData/Photos.sqlite"), db);
    if (open == OPEN_FAILED)
        return false;
    if (open == OPEN_ABSENT) {
        // Without the library database the files themselves are the photos.
        for (const BackupManifest::Entry& entry :
             m_manifest.ListFiles(CameraRollDomain, QStringLiteral("Media/DCIM/"))) {
            const QString name = QFileInfo(entry.relativePath).fileName();
            const int kind = FileRecord::KindOfName(name);
            if (entry.contentPath.isEmpty() && kind != 0)
                ++m_skipped;
            if (entry.contentPath.isEmpty() || kind == 0)
                continue;
            auto record = std::make_unique<FileRecord>(kind, 0);
            record->Text().Set(FileRecord::FilePath, entry.contentPath);
            record->Text().Set(FileRecord::DisplayText, name);
            items.push_back(MakeItem(std::move(record)));
        }
        if (m_manifest.IsDamaged())
            m_error = QStringLiteral("Manifest.db cannot be searched for the camera roll");
        return !m_manifest.IsDamaged();
    }
    if (!RequireTables(db, {QStringLiteral("ZASSET")}))
        return false;
    const bool ok = db.Query(
        QStringLiteral(
            "SELECT ZDIRECTORY, ZFILENAME, ZDATECREATED, ZKIND, ZTRASHEDSTATE FROM ZASSET "
            "ORDER BY ZDATECREATED, Z_PK"),
        [&](const Row& row) {
            const QString name = row.String(1);
            const QString path = m_manifest.FindFile(
                CameraRollDomain, QStringLiteral("Media/%1/%2").arg(row.String(0), name));
            if (path.isEmpty()) {
                ++m_skipped;
                return Tick(static_cast<qint64>(items.size()), 0);
            }
            // ZKIND: 0 picture, 1 video.
            const int kind =
                row.Int(3) == 1 ? MMobile::FILE_KIND_VIDEO : MMobile::FILE_KIND_PICTURE;
            auto record = std::make_unique<FileRecord>(
                kind, static_cast<std::uint64_t>(qMax<qint64>(0, AppleTime::ToUnix(row.Real(2)))));
            record->Text().Set(FileRecord::FilePath, path);
            record->Text().Set(FileRecord::DisplayText, name);
            items.push_back(MakeItem(std::move(record), row.Int(4) != 0));
            return Tick(static_cast<qint64>(items.size()), 0);
        });
    if (!ok)
        m_error = db.LastError();
    return ok;
}

bool CategoryReader::ReadVoiceMemos(Items& items)
{
    SqliteDb db;
    const OpenResult open =
        OpenDatabase(MediaDomain, QStringLiteral("Media/Recordings/Recordings.db"), db);
    if (open != OPEN_OK)
        return open == OPEN_ABSENT;
    if (!RequireTables(db, {QStringLiteral("ZRECORDING")}))
        return false;
    const bool ok = db.Query(
        QStringLiteral(
            "SELECT ZPATH, ZCUSTOMLABEL, ZDATE, ZDURATION FROM ZRECORDING ORDER BY ZDATE, "
            "Z_PK"),
        [&](const Row& row) {
            const QString fileName = row.String(0);
            const QString path =
                m_manifest.FindFile(MediaDomain, QStringLiteral("Media/Recordings/") + fileName);
            if (path.isEmpty()) {
                ++m_skipped;
                return true;
            }
            QString label = row.String(1);
            if (label.isEmpty())
                label = QFileInfo(fileName).completeBaseName();
            const qint64 time = qMax<qint64>(0, AppleTime::ToUnix(row.Real(2)));
            auto record =
                std::make_unique<VoiceMemoRecord>(label, static_cast<std::uint64_t>(time));
            record->SetTextProperty(VoiceMemoRecord::PROP_FILE_PATH, path.toUtf8().constData());
            record->SetTextProperty(VoiceMemoRecord::PROP_FILE_NAME, fileName.toUtf8().constData());
            record->SetTextProperty(
                VoiceMemoRecord::PROP_DURATION,
                Duration(static_cast<qint64>(row.Real(3))).toUtf8().constData());
            record->SetTextProperty(VoiceMemoRecord::PROP_DATE,
                                    AppleTime::UnixToText(time).toUtf8().constData());
            items.push_back(MakeItem(std::move(record)));
            return Tick(static_cast<qint64>(items.size()), 0);
        });
    if (!ok)
        m_error = db.LastError();
    return ok;
}

bool CategoryReader::ReadWhatsApp(Items& items, bool attachments)
{
    SqliteDb db;
    const OpenResult open = OpenDatabase(WhatsAppDomain, QStringLiteral("ChatStorage.sqlite"), db);
    if (open != OPEN_OK)
        return open == OPEN_ABSENT;
    if (!RequireTables(db, {QStringLiteral("ZWACHATSESSION"), QStringLiteral("ZWAMESSAGE"),
                            QStringLiteral("ZWAMEDIAITEM")}))
        return false;
    const auto mediaPath = [this](const QString& local) {
        return m_manifest.FindFile(WhatsAppDomain, QStringLiteral("Message/") + local);
    };
    if (attachments) {
        const bool ok = db.Query(
            QStringLiteral("SELECT mi.ZMEDIALOCALPATH, m.ZMESSAGEDATE FROM ZWAMEDIAITEM mi JOIN "
                           "ZWAMESSAGE m ON m.Z_PK = mi.ZMESSAGE WHERE mi.ZMEDIALOCALPATH IS NOT "
                           "NULL ORDER BY m.ZMESSAGEDATE, mi.Z_PK"),
            [&](const Row& row) {
                const QString local = row.String(0);
                const QString path = mediaPath(local);
                if (path.isEmpty()) {
                    ++m_skipped;
                    return true;
                }
                const QString name = QFileInfo(local).fileName();
                auto record = std::make_unique<FileRecord>(
                    FileRecord::KindOfName(name),
                    static_cast<std::uint64_t>(qMax<qint64>(0, AppleTime::ToUnix(row.Real(1)))));
                record->Text().Set(FileRecord::FilePath, path);
                record->Text().Set(FileRecord::DisplayText, name);
                items.push_back(MakeItem(std::move(record)));
                return Tick(static_cast<qint64>(items.size()), 0);
            });
        if (!ok)
            m_error = db.LastError();
        return ok;
    }

    QHash<qint64, WhatsAppRecord*> chats;
    Items read;
    bool ok = db.Query(
        QStringLiteral("SELECT Z_PK, ZCONTACTJID, ZPARTNERNAME FROM ZWACHATSESSION ORDER BY Z_PK"),
        [&](const Row& row) {
            auto record = std::make_unique<WhatsAppRecord>();
            RecordText& text = record->Text();
            text.Set(WhatsAppRecord::ChatName, row.Text(2));
            text.Set(WhatsAppRecord::PartnerName, row.Text(2));
            const QString jid = row.String(1);
            const QString user = jid.section(QLatin1Char('@'), 0, 0);
            text.Set(WhatsAppRecord::PartnerPhone, jid.endsWith(QLatin1String("@s.whatsapp.net"))
                                                       ? QLatin1Char('+') + user
                                                       : user);
            chats.insert(row.Int(0), record.get());
            read.push_back(MakeItem(std::move(record)));
            return true;
        });
    qint64 total = 0;
    ok =
        ok && db.Query(QStringLiteral("SELECT count(*) FROM ZWAMESSAGE"), [&total](const Row& row) {
            total = row.Int(0);
            return false;
        });
    qint64 done = 0;
    ok = ok &&
         db.Query(
             QStringLiteral("SELECT m.ZCHATSESSION, m.ZISFROMME, m.ZTEXT, m.ZMESSAGEDATE, "
                            "mi.ZMEDIALOCALPATH FROM ZWAMESSAGE m LEFT JOIN ZWAMEDIAITEM mi ON "
                            "mi.ZMESSAGE = m.Z_PK ORDER BY m.ZCHATSESSION, m.ZMESSAGEDATE, m.Z_PK"),
             [&](const Row& row) {
                 WhatsAppRecord* chat = chats.value(row.Int(0));
                 if (chat) {
                     const bool sent = row.Int(1) != 0;
                     MessageEntryRecord& entry = chat->AddEntry(sent);
                     entry.Texts().Set(MessageEntryRecord::Text, row.Text(2));
                     entry.Texts().Set(MessageEntryRecord::Sender,
                                       sent ? QStringLiteral("Me")
                                            : chat->Text().String(WhatsAppRecord::PartnerName));
                     entry.Texts().Set(MessageEntryRecord::Date, DateOrNull(row, 3));
                     if (!row.IsNull(4)) {
                         const QString local = row.String(4);
                         const QString path = mediaPath(local);
                         if (!path.isEmpty())
                             chat->AddAttachment({path, QFileInfo(local).fileName()});
                         else
                             ++m_skipped;
                     }
                 }
                 return Tick(++done, total);
             });
    if (!ok) {
        m_error = db.LastError();
        return false;
    }
    for (auto& item : read)
        items.push_back(std::move(item));
    return true;
}
