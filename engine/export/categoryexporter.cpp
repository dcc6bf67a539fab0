#include "categoryexporter.h"

#include "bookmarkrecord.h"
#include "calendarrecord.h"
#include "messageentryrecord.h"
#include "reminderrecord.h"
#include "wechatfriendrecord.h"

#include "contracts/mmobile.h"
#include "csvwriter.h"
#include "engineitem.h"
#include "enginerecord.h"
#include "enginetask.h"
#include "icalwriter.h"
#include "vcardwriter.h"

#include <QFileInfo>
#include <QStringList>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

namespace {

// The longest a copy goes without a report: a stop is answered within it.
constexpr qint64 KeepAliveMs = 10;

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QStringList Values(MMobile::IContactList* list)
{
    QStringList values;
    for (unsigned int i = 0; list && i < list->GetCount(); ++i) {
        const QString value = Text(list->GetValue(i));
        if (!value.isEmpty())
            values.append(value);
    }
    return values;
}

// The "Deleted" column of a record: where a deleted item was found, or
// empty for a live one.
QString DeletedText(EngineItem* item)
{
    if (!item->IsDeleted())
        return QString();
    return item->Source().isEmpty()
               ? QStringLiteral("Yes")
               : QStringLiteral("Yes (%1)").arg(QString::fromUtf8(item->Source()));
}

struct Conversation
{
    QString name;
    std::vector<MMobile::IMessageEntry*> entries;
};

Conversation ConversationOf(EngineItem* item)
{
    Conversation conversation;
    if (auto* message = MMobile::record_cast<MMobile::IMessage>(item)) {
        QStringList names;
        for (unsigned int i = 0; i < message->GetParticipantCount(); ++i) {
            QString name = Text(message->GetParticipantName(i));
            if (name.isEmpty())
                name = Text(message->GetParticipantPhone(i));
            if (name.isEmpty())
                name = Text(message->GetParticipantEmail(i));
            if (!name.isEmpty())
                names.append(name);
        }
        conversation.name = names.join(QStringLiteral(", "));
        for (unsigned int i = 0; i < message->GetEntryCount(); ++i)
            conversation.entries.push_back(message->GetEntry(i));
    } else if (auto* chat = MMobile::record_cast<MMobile::IWhatsAppMessenger>(item)) {
        conversation.name = Text(chat->GetChatName());
        if (conversation.name.isEmpty())
            conversation.name = Text(chat->GetPartnerPhone());
        for (unsigned int i = 0; i < chat->GetEntryCount(); ++i)
            conversation.entries.push_back(chat->GetEntry(i));
    } else if (auto* weChat = MMobile::record_cast<MMobile::IWeChatMessager>(item)) {
        conversation.name = Text(weChat->GetChatName());
        for (unsigned int i = 0; i < weChat->GetEntryCount(); ++i)
            conversation.entries.push_back(weChat->GetEntry(i));
    }
    if (conversation.name.isEmpty())
        conversation.name = QStringLiteral("Conversation");
    return conversation;
}

} // namespace

CategoryExporter::CategoryExporter(MMobile::MDType type, const QString& folder,
                                   std::vector<EngineItem*> items, EncryptedBackup* encryption)
    : m_type(type), m_folder(folder, encryption), m_items(std::move(items))
{
}

bool CategoryExporter::Progress(EngineTask& task, int done)
{
    const int total = qMax(1, static_cast<int>(m_items.size()));
    m_lastPercent = qBound(0, done * 100 / total, 99);
    m_sinceReport.start();
    if (!task.Report(m_type, MMobile::TASK_PERCENT, m_lastPercent, nullptr))
        m_stopped = true;
    return !m_stopped;
}

bool CategoryExporter::Step(EngineTask& task, int done)
{
    const int total = qMax(1, static_cast<int>(m_items.size()));
    return qBound(0, done * 100 / total, 99) != m_lastPercent ? Progress(task, done)
                                                              : KeepAlive(task);
}

bool CategoryExporter::KeepAlive(EngineTask& task)
{
    // A Stop() between reports is seen at the next step.
    if (task.StopRequested())
        m_stopped = true;
    if (m_stopped)
        return false;
    if (m_sinceReport.isValid() && m_sinceReport.elapsed() < KeepAliveMs)
        return true;
    m_sinceReport.start();
    if (!task.Report(m_type, MMobile::TASK_PERCENT, m_lastPercent, nullptr))
        m_stopped = true;
    return !m_stopped;
}

TASK_CTRL_STATUS CategoryExporter::Run(EngineTask& task)
{
    if (!task.Report(m_type, MMobile::TASK_BEGIN, 0, nullptr))
        return MMobile::TASK_STOP;
    if (!m_folder.Prepare()) {
        if (m_beforeEnd)
            m_beforeEnd(MMobile::TASK_ERROR);
        task.Report(m_type, MMobile::TASK_ERROR, 0, nullptr);
        return MMobile::TASK_ERROR;
    }
    bool ok = true;
    switch (m_type) {
    case MMobile::MD_CONTACT:
        ok = WriteContacts(task);
        break;
    case MMobile::MD_MESSAGE:
    case MMobile::MD_WHATSAPP_MESSAGE:
    case MMobile::MD_WECHAT_MESSAGE:
        ok = WriteConversations(task);
        break;
    case MMobile::MD_WECHAT_CONTACT:
        ok = WriteWeChatContacts(task);
        break;
    case MMobile::MD_CALL_HISTORY:
        ok = WriteCalls(task);
        break;
    case MMobile::MD_CALENDAR:
        ok = WriteCalendar(task, false);
        break;
    case MMobile::MD_REMINDER:
        ok = WriteCalendar(task, true);
        break;
    case MMobile::MD_NOTE:
        ok = WriteNotes(task);
        break;
    case MMobile::MD_SAFARI_BOOKMARK:
        ok = WriteBookmarks(task);
        break;
    case MMobile::MD_PHOTO:
    case MMobile::MD_MESSAGE_ATTACHMENT:
    case MMobile::MD_WHATSAPP_ATTACHMENT:
    case MMobile::MD_WECHAT_ATTACHMENT:
    case MMobile::MD_NOTE_ATTACHMENT:
    case MMobile::MD_VOICE_MEMO:
        ok = CopyFiles(task);
        break;
    default:
        break;
    }
    const TASK_CTRL_STATUS end = m_stopped ? MMobile::TASK_STOP
                                 : ok      ? MMobile::TASK_COMPLETE
                                           : MMobile::TASK_ERROR;
    if (m_beforeEnd)
        m_beforeEnd(end);
    if (m_stopped)
        return MMobile::TASK_STOP;
    if (!ok) {
        task.Report(m_type, MMobile::TASK_ERROR, 0, nullptr);
        return MMobile::TASK_ERROR;
    }
    if (!task.Report(m_type, MMobile::TASK_COMPLETE, 100, nullptr) && task.IsReleased())
        return MMobile::TASK_STOP;
    return MMobile::TASK_COMPLETE;
}

bool CategoryExporter::WriteContacts(EngineTask& task)
{
    CsvWriter csv({QStringLiteral("Name"), QStringLiteral("First Name"),
                   QStringLiteral("Last Name"), QStringLiteral("Company"), QStringLiteral("Phone"),
                   QStringLiteral("Email"), QStringLiteral("Homepage"), QStringLiteral("Address"),
                   QStringLiteral("Birthday"), QStringLiteral("Note"), QStringLiteral("Deleted")});
    int done = 0;
    for (EngineItem* item : m_items) {
        auto* contact = MMobile::record_cast<MMobile::IContact>(item);
        if (!contact)
            continue;
        MMobile::IContactName* name = contact->GetName();
        MMobile::IContactOrganization* organization = contact->GetOrganization();
        const QString full = Text(name->GetFullName());
        const QString company = Text(organization->GetCompanyName());
        QStringList addresses;
        MMobile::IContactAddressList* list = contact->GetAddressList();
        for (unsigned int i = 0; i < list->GetCount(); ++i) {
            QStringList parts;
            for (const char* part : {list->GetStreet(i), list->GetCity(i), list->GetState(i),
                                     list->GetPostalCode(i), list->GetCountry(i)}) {
                if (!Text(part).isEmpty())
                    parts.append(Text(part));
            }
            addresses.append(parts.join(QStringLiteral(", ")));
        }
        csv.AddRow({full, Text(name->GetFirstName()), Text(name->GetLastName()), company,
                    Values(contact->GetPhoneList()).join(QStringLiteral("; ")),
                    Values(contact->GetEmailList()).join(QStringLiteral("; ")),
                    Values(contact->GetUrlList()).join(QStringLiteral("; ")),
                    addresses.join(QStringLiteral("\n")), Text(contact->GetBirthday()),
                    Text(contact->GetNote()), DeletedText(item)});
        const QString fileName =
            (full.isEmpty() ? (company.isEmpty() ? QStringLiteral("Contact") : company) : full) +
            QStringLiteral(".vcf");
        if (m_folder.WriteFile(fileName, VCardWriter::Card(contact)).isEmpty())
            return false;
        if (!Progress(task, ++done))
            return true;
    }
    return !m_folder.WriteFile(QStringLiteral("Contacts.csv"), csv.Data()).isEmpty();
}

bool CategoryExporter::WriteWeChatContacts(EngineTask& task)
{
    CsvWriter csv({QStringLiteral("Name"), QStringLiteral("User Name"), QStringLiteral("Alias"),
                   QStringLiteral("Remark"), QStringLiteral("Type"), QStringLiteral("Members")});
    int done = 0;
    for (EngineItem* item : m_items) {
        auto* contact = MMobile::record_cast<MMobile::IWeChatFriend>(item);
        if (!contact)
            continue;
        const auto* record = dynamic_cast<const WeChatFriendRecord*>(contact);
        const QString kind = record ? record->KindName() : QString();
        const QString name = Text(contact->GetDisplayName());
        const QString user = Text(contact->GetUserName());
        const QString members = record && record->ContactKind() == WeChatFriendRecord::Group
                                    ? Text(contact->GetSignature())
                                    : QString();
        csv.AddRow(
            {name, user, Text(contact->GetAlias()), Text(contact->GetRemark()), kind, members});
        QByteArray card = VCardWriter::Line(QStringLiteral("BEGIN:VCARD")) +
                          VCardWriter::Line(QStringLiteral("VERSION:3.0")) +
                          VCardWriter::Line(QStringLiteral("FN:") + VCardWriter::Escape(name)) +
                          VCardWriter::Line(QStringLiteral("N:") + VCardWriter::Escape(name) +
                                            QStringLiteral(";;;;"));
        const QString alias = Text(contact->GetAlias());
        card += VCardWriter::Line(QStringLiteral("X-WECHAT-ID:") +
                                  VCardWriter::Escape(alias.isEmpty() ? user : alias));
        if (kind == QLatin1String("Group"))
            card += VCardWriter::Line(QStringLiteral("KIND:group"));
        const QString note = Text(contact->GetRemark());
        if (!note.isEmpty())
            card += VCardWriter::Line(QStringLiteral("NOTE:") + VCardWriter::Escape(note));
        card += VCardWriter::Line(QStringLiteral("END:VCARD"));
        const QString fileName =
            (name.isEmpty() ? QStringLiteral("Contact") : name) + QStringLiteral(".vcf");
        if (m_folder.WriteFile(fileName, card).isEmpty())
            return false;
        if (!Progress(task, ++done))
            return true;
    }
    return !m_folder.WriteFile(QStringLiteral("WeChat Contacts.csv"), csv.Data()).isEmpty();
}

bool CategoryExporter::WriteConversations(EngineTask& task)
{
    int done = 0;
    for (EngineItem* item : m_items) {
        const Conversation conversation = ConversationOf(item);
        EngineRecord* record = item->Engine();
        if (!record)
            continue;
        // Attachments first, so the page can link the names they were given.
        QStringList attachmentNames;
        for (const EngineRecord::SourceFile& file : record->SourceFiles()) {
            const QString written =
                m_folder.CopyFile(file.path, file.name, [this, &task] { return KeepAlive(task); });
            if (written.isEmpty())
                return false;
            attachmentNames.append(QFileInfo(written).fileName());
        }
        CsvWriter csv({QStringLiteral("Date"), QStringLiteral("Sender"),
                       QStringLiteral("Direction"), QStringLiteral("Text"),
                       QStringLiteral("Deleted")});
        const QString deleted = DeletedText(item);
        QString html =
            QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title>"
                           "</head>\n<body>\n<h1>%1</h1>\n")
                .arg(conversation.name.toHtmlEscaped());
        if (!deleted.isEmpty())
            html += QStringLiteral("<p class=\"deleted\">Deleted: %1</p>\n")
                        .arg(deleted.toHtmlEscaped());
        html += QStringLiteral("<table>\n");
        for (MMobile::IMessageEntry* entry : conversation.entries) {
            // A conversation of many thousand messages is a long step of its own.
            if (!KeepAlive(task))
                return true;
            if (!entry)
                continue;
            const QString direction =
                entry->IsSent() ? QStringLiteral("Sent") : QStringLiteral("Received");
            // A deleted message says where it was found itself.
            const auto* record = dynamic_cast<MessageEntryRecord*>(entry);
            const QString found =
                record && !record->Source().isEmpty() && !deleted.isEmpty()
                    ? QStringLiteral("Yes (%1)").arg(QString::fromUtf8(record->Source()))
                    : deleted;
            csv.AddRow({Text(entry->GetDate()), Text(entry->GetSender()), direction,
                        Text(entry->GetText()), found});
            html += QStringLiteral("<tr class=\"%1\"><td>%2</td><td>%3</td><td>%4</td></tr>\n")
                        .arg(direction.toLower(), Text(entry->GetDate()).toHtmlEscaped(),
                             Text(entry->GetSender()).toHtmlEscaped(),
                             Text(entry->GetText())
                                 .toHtmlEscaped()
                                 .replace(QLatin1Char('\n'), QStringLiteral("<br>")));
        }
        html += QStringLiteral("</table>\n");
        if (!attachmentNames.isEmpty()) {
            html += QStringLiteral("<h2>Attachments</h2>\n<ul>\n");
            for (const QString& name : attachmentNames)
                html += QStringLiteral("<li><a href=\"%1\">%2</a></li>\n")
                            .arg(QString::fromUtf8(QUrl::toPercentEncoding(name)),
                                 name.toHtmlEscaped());
            html += QStringLiteral("</ul>\n");
        }
        html += QStringLiteral("</body></html>\n");
        // A conversation's deleted messages stand beside its live ones.
        const QString base = ExportFolder::CleanName(
            deleted.isEmpty() ? conversation.name
                              : conversation.name + QStringLiteral(" (deleted)"));
        if (m_folder.WriteFile(base + QStringLiteral(".html"), html.toUtf8()).isEmpty() ||
            m_folder.WriteFile(base + QStringLiteral(".csv"), csv.Data()).isEmpty())
            return false;
        if (!Progress(task, ++done))
            return true;
    }
    return true;
}

bool CategoryExporter::WriteCalls(EngineTask& task)
{
    CsvWriter csv({QStringLiteral("Name"), QStringLiteral("Phone"), QStringLiteral("Date"),
                   QStringLiteral("Type"), QStringLiteral("Duration"), QStringLiteral("Deleted")});
    int done = 0;
    for (EngineItem* item : m_items) {
        if (!Step(task, ++done))
            return true;
        if (auto* call = MMobile::record_cast<MMobile::ICallHistory>(item))
            csv.AddRow({Text(call->GetName()), Text(call->GetPhoneNumber()), Text(call->GetDate()),
                        Text(call->GetCallType()), Text(call->GetDuration()), DeletedText(item)});
    }
    return !m_folder.WriteFile(QStringLiteral("Call History.csv"), csv.Data()).isEmpty();
}

bool CategoryExporter::WriteCalendar(EngineTask& task, bool reminders)
{
    ICalWriter calendar;
    int done = 0;
    for (EngineItem* item : m_items) {
        if (!Step(task, ++done))
            return true;
        if (reminders) {
            const auto* record = dynamic_cast<ReminderRecord*>(item->Engine());
            calendar.AddTodo(MMobile::record_cast<MMobile::IReminider>(item),
                             record ? record->Identity() : QString());
        } else {
            const auto* record = dynamic_cast<CalendarRecord*>(item->Engine());
            calendar.AddEvent(MMobile::record_cast<MMobile::ICalendar>(item),
                              record ? record->Identity() : QString());
        }
    }
    const QString name =
        reminders ? QStringLiteral("Reminders.ics") : QStringLiteral("Calendar.ics");
    return !m_folder.WriteFile(name, calendar.Data()).isEmpty();
}

bool CategoryExporter::WriteNotes(EngineTask& task)
{
    CsvWriter csv({QStringLiteral("Title"), QStringLiteral("Date"), QStringLiteral("Folder"),
                   QStringLiteral("Text"), QStringLiteral("Deleted")});
    int done = 0;
    for (EngineItem* item : m_items) {
        auto* note = MMobile::record_cast<MMobile::INote>(item);
        if (!note)
            continue;
        const QString title = Text(note->GetTitle());
        const QString body = Text(note->GetBody());
        csv.AddRow(
            {title, Text(note->GetDate()), Text(note->GetFolder()), body, DeletedText(item)});
        const QString text = title + QStringLiteral("\r\n") + Text(note->GetDate()) +
                             QStringLiteral("\r\n\r\n") + body + QStringLiteral("\r\n");
        const QString name =
            (title.isEmpty() ? QStringLiteral("Note") : title) + QStringLiteral(".txt");
        if (m_folder.WriteFile(name, text.toUtf8()).isEmpty())
            return false;
        if (!Progress(task, ++done))
            return true;
    }
    return !m_folder.WriteFile(QStringLiteral("Notes.csv"), csv.Data()).isEmpty();
}

bool CategoryExporter::WriteBookmarks(EngineTask& task)
{
    CsvWriter csv({QStringLiteral("Title"), QStringLiteral("URL"), QStringLiteral("Folder"),
                   QStringLiteral("Deleted")});
    int done = 0;
    for (EngineItem* item : m_items) {
        if (!Step(task, ++done))
            return true;
        auto* bookmark = MMobile::record_cast<MMobile::ISafariBookmark>(item);
        if (!bookmark)
            continue;
        // The folder is the engine's own addition to the page's interface.
        const auto* record = dynamic_cast<const BookmarkRecord*>(bookmark);
        csv.AddRow({Text(bookmark->GetTitle()), Text(bookmark->GetUrl()),
                    record ? Text(record->GetFolder()) : QString(), DeletedText(item)});
    }
    return !m_folder.WriteFile(QStringLiteral("Safari Bookmarks.csv"), csv.Data()).isEmpty();
}

bool CategoryExporter::CopyFiles(EngineTask& task)
{
    // Names are handed out in item order first, so the result does not depend
    // on which thread finishes first.
    struct Copy
    {
        QString source;
        QString target;
    };
    std::vector<Copy> copies;
    for (EngineItem* item : m_items) {
        if (EngineRecord* record = item->Engine()) {
            for (const EngineRecord::SourceFile& file : record->SourceFiles())
                copies.push_back({file.path, m_folder.Reserve(file.name)});
        }
    }
    std::atomic<std::size_t> next{0};
    std::atomic<int> done{0};
    std::atomic<bool> halt{false};
    std::mutex errorMutex;
    QString error;
    QStringList complete; // guarded by errorMutex too
    // Copies the next file; false when none is left or the export halts.
    // `goOn` is asked between slices of one file: a large one stops midway.
    const auto work = [&](const std::function<bool()>& goOn) {
        const std::size_t index = next.fetch_add(1);
        if (index >= copies.size() || halt.load())
            return false;
        QString failure;
        if (!m_folder.CopyTo(copies[index].source, copies[index].target, failure, goOn)) {
            std::lock_guard<std::mutex> lock(errorMutex);
            // A copy cut short by the stop is no failure of its own.
            if (error.isEmpty() && !halt.load())
                error = failure;
            halt.store(true);
            return false;
        }
        {
            std::lock_guard<std::mutex> lock(errorMutex);
            complete.push_back(copies[index].target);
        }
        ++done;
        return true;
    };
    const unsigned cores = qMax(1u, std::thread::hardware_concurrency());
    const std::size_t helpers = qMin<std::size_t>(cores - 1, copies.size());
    std::atomic<std::size_t> running{helpers};
    const std::function<bool()> notHalted = [&halt] { return !halt.load(); };
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < helpers; ++i) {
        threads.emplace_back([&work, &notHalted, &running]() {
            while (work(notHalted)) {
            }
            --running;
        });
    }
    // This thread copies too, and reports for all of them: between files,
    // within its own file, and while the helpers finish theirs.
    const int total = qMax(1, static_cast<int>(copies.size()));
    const std::function<bool()> alive = [&] {
        if (!KeepAlive(task))
            halt.store(true);
        return !halt.load();
    };
    while (work(alive)) {
        if (!Progress(task, done.load() * static_cast<int>(m_items.size()) / total))
            halt.store(true);
    }
    while (running.load() > 0 && alive())
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    for (std::thread& thread : threads)
        thread.join();
    for (const QString& path : qAsConst(complete))
        m_folder.Completed(path);
    if (!error.isEmpty())
        return m_folder.Fail(error);
    return true;
}
