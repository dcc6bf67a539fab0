// Exports to a folder write files that parse back, leave dropped items out,
// never overwrite a file that was there, and fail with 4 when nothing can be
// written. Imports and exports to a device do not start.

#include "backupdevice.h"
#include "backupfixture.h"
#include "contracts/mmobile.h"
#include "samplebackupwriter.h"
#include "scanrunner.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace MMobile;

namespace {

const auto Read = BackupFixture::Read;

// RFC 4180 rows of a CSV file (byte order mark skipped).
QVector<QStringList> ParseCsv(const QByteArray& data)
{
    static const QRegularExpression field(
        QStringLiteral("\\G(?:\"((?:[^\"]|\"\")*)\"|([^,\"\r\n]*))(,|\r\n)"));
    const QString text = QString::fromUtf8(data.startsWith("\xEF\xBB\xBF") ? data.mid(3) : data);
    QVector<QStringList> rows;
    QStringList row;
    QRegularExpressionMatch match;
    for (int at = 0; (match = field.match(text, at)).hasMatch(); at = match.capturedEnd()) {
        row << (match.capturedStart(1) >= 0 ? match.captured(1).replace("\"\"", "\"")
                                            : match.captured(2));
        if (match.captured(3) != QLatin1String(",")) {
            rows << row;
            row.clear();
        }
    }
    return rows;
}

// Content lines of a vCard or iCalendar file, unfolded.
QStringList Unfold(const QByteArray& data)
{
    QByteArray joined = data;
    joined.replace("\r\n ", "");
    return QString::fromUtf8(joined).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

QString Unescape(const QString& value)
{
    QString out;
    for (int i = 0; i < value.size(); ++i) {
        if (value.at(i) == '\\' && i + 1 < value.size()) {
            const QChar next = value.at(++i);
            out.append(next == 'n' || next == 'N' ? QChar('\n') : next);
        } else {
            out.append(value.at(i));
        }
    }
    return out;
}

// The value of the first property `name` from line `from` on; with
// `parameters`, its parameters too ("VALUE=DATE:20240514").
QString Property(const QStringList& lines, const QString& name, int from = 0,
                 bool parameters = false)
{
    for (int i = from; i < lines.size(); ++i) {
        const QString& line = lines[i];
        const int colon = line.indexOf(':');
        const QString key = line.left(colon).section(';', 0, 0);
        if (key == name)
            return parameters ? line.mid(key.size() + 1) : line.mid(colon + 1);
    }
    return QString();
}

} // namespace

class TestEngineExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void contacts();
    void conversations_data();
    void conversations();
    void chatlessKeepsItsFiles();
    void calendarAndReminders_data();
    void calendarAndReminders();
    void calendarIdentities_data();
    void calendarIdentities();
    void csvFiles_data();
    void csvFiles();
    void files_data();
    void files();
    void unusableFolderFails_data();
    void unusableFolderFails();
    void hostileNoteTitlesInLongFolder();
    void fullDiskLeavesWholeFiles();
    void largeFileCopyStops();
    void stopInsideTheFirstItem_data();
    void stopInsideTheFirstItem();
    void deviceModesRefused_data();
    void deviceModesRefused();
    void backupStaysAsItWas_data();
    void backupStaysAsItWas();

private:
    // Scans `type`, drops every `dropEvery`-th item, exports into a new folder.
    int Export(MDType type, int dropEvery, QString& folder, SourcePtr& source,
               const QString& into = QString());

    QTemporaryDir m_dir;
    SampleBackupContent m_content;
    std::unique_ptr<BackupDevice> m_device;
    QString m_evidence; // the backup's digests before any scan
    int m_exports = 0;
};

void TestEngineExport::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SampleBackupWriter writer(SampleBackupWriter::Options{});
    QVERIFY2(writer.Write(m_dir.filePath("backup")), qPrintable(writer.ErrorText()));
    m_content = writer.Content();
    m_device = std::make_unique<BackupDevice>(m_dir.filePath("backup"));
    m_evidence = BackupFixture::Digests(m_dir.filePath("backup"));
}

int TestEngineExport::Export(MDType type, int dropEvery, QString& folder, SourcePtr& source,
                             const QString& into)
{
    IMDGetter* getter = ScanRunner::ScanInto(source, *m_device, type);
    if (!getter)
        return -1;
    for (unsigned int i = 0; i < getter->GetCount(); ++i)
        getter->GetItem(i)->SetDropMark(dropEvery > 0 && i % dropEvery == 0);
    folder = into.isEmpty() ? m_dir.filePath(QStringLiteral("out%1").arg(++m_exports)) : into;
    ScanRunner runner(source.get());
    const int status = runner.ExportAll(type, folder);
    const QVector<ScanRunner::Report> reports = runner.Reports();
    if (reports.isEmpty() || reports.first().status != TASK_BEGIN ||
        reports.last().status != status)
        return -2;
    return status;
}

// Every kept contact has a row, and a card that parses back to its texts.
void TestEngineExport::contacts()
{
    QString folder;
    SourcePtr source;
    QCOMPARE(Export(MD_CONTACT, 3, folder, source), int(TASK_COMPLETE));
    IMDGetter* getter = source->GetDataGetter();
    QStringList names, cards, expectedNames{"Name"}, expectedCards;
    const QVector<QStringList> rows = ParseCsv(Read(QDir(folder).filePath("Contacts.csv")));
    for (const QStringList& row : rows) {
        QCOMPARE(row.size(), rows.first().size());
        names << row[0];
    }
    for (const QString& card : QDir(folder).entryList({"*.vcf"}, QDir::Files)) {
        const QByteArray data = Read(QDir(folder).filePath(card));
        for (const QByteArray& line : data.split('\n'))
            QVERIFY(line.size() <= 76);
        const QStringList lines = Unfold(data);
        const QRegularExpression address(QStringLiteral("^ADR[;:]"));
        cards << QStringList({lines.first(), lines.at(1), Unescape(Property(lines, "FN")),
                              Unescape(Property(lines, "N").section(';', 1, 1)),
                              Unescape(Property(lines, "TEL")), Unescape(Property(lines, "NOTE")),
                              Property(lines, "BDAY"),
                              QString::number(lines.filter(address).size()), lines.last()})
                     .join('|');
    }
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        const SampleBackupContent::Contact& want = m_content.contacts[i];
        if (i % 3 == 0)
            continue;
        expectedNames << Text(record_cast<IContact>(getter->GetItem(i))->GetName()->GetFullName());
        // Floating: the stored day whatever the zone; without a year, --MMDD.
        const QDate birthday = QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC)
                                   .addSecs(qint64(want.birthday))
                                   .date();
        const QString bday = !want.hasBirthday         ? QString()
                             : birthday.year() == 1604 ? birthday.toString(QStringLiteral("--MMdd"))
                                                       : birthday.toString(Qt::ISODate);
        expectedCards << QStringList({"BEGIN:VCARD", "VERSION:3.0", expectedNames.last(),
                                      want.first, want.phones.first(), want.note, bday,
                                      QString::number(want.addresses.size()), "END:VCARD"})
                             .join('|');
    }
    QCOMPARE(names, expectedNames);
    cards.sort();
    expectedCards.sort();
    QCOMPARE(cards, expectedCards);
}

void TestEngineExport::conversations_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("messages") << int(MD_MESSAGE);
    QTest::newRow("whatsapp") << int(MD_WHATSAPP_MESSAGE);
}

void TestEngineExport::conversations()
{
    QFETCH(int, type);
    QString folder;
    SourcePtr source;
    QCOMPARE(Export(static_cast<MDType>(type), 2, folder, source), int(TASK_COMPLETE));
    IMDGetter* getter = source->GetDataGetter();
    const QStringList csvs = QDir(folder).entryList({"*.csv"}, QDir::Files, QDir::Name);
    const QStringList pages = QDir(folder).entryList({"*.html"}, QDir::Files);
    const int kept = int(getter->GetCount()) / 2;
    QCOMPARE(csvs.size(), kept);
    QCOMPARE(pages.size(), kept);
    // Every message of a kept conversation is a row of some CSV, with its text intact.
    QStringList texts, expectedTexts;
    for (const QString& csv : csvs) {
        const QVector<QStringList> parsed = ParseCsv(Read(QDir(folder).filePath(csv)));
        QCOMPARE(parsed.first(), (QStringList{"Date", "Sender", "Direction", "Text", "Deleted"}));
        for (int r = 1; r < parsed.size(); ++r)
            texts << parsed[r][3];
    }
    int attachments = 0;
    for (unsigned int i = 1; i < getter->GetCount(); i += 2) {
        auto* message = record_cast<IMessage>(getter->GetItem(i));
        auto* chat = record_cast<IWhatsAppMessenger>(getter->GetItem(i));
        const unsigned int entries = message ? message->GetEntryCount() : chat->GetEntryCount();
        for (unsigned int e = 0; e < entries; ++e)
            expectedTexts << Text((message ? message->GetEntry(e) : chat->GetEntry(e))->GetText());
        attachments += message ? m_content.conversations[i].attachments.size()
                               : m_content.chats[i].media.size();
    }
    texts.sort();
    expectedTexts.sort();
    QCOMPARE(texts, expectedTexts);
    const QStringList copies = QDir(folder).entryList({"*.jpeg", "*.jpg"}, QDir::Files);
    QCOMPARE(copies.size(), attachments);
    QVERIFY(attachments > 0);
    // Each page links the attachments copied beside it.
    int links = 0;
    for (const QString& page : pages)
        links +=
            QString::fromUtf8(Read(QDir(folder).filePath(page))).count(QStringLiteral("<a href="));
    QCOMPARE(links, attachments);
}

// A message whose chat is gone keeps the picture sent with it.
void TestEngineExport::chatlessKeepsItsFiles()
{
    SourcePtr source;
    IMDGetter* getter = ScanRunner::ScanInto(source, *m_device, MD_MESSAGE);
    QVERIFY(getter);
    const auto& conversations = m_content.conversations;
    const auto chatless = std::find_if(conversations.begin(), conversations.end(),
                                       [](const auto& c) { return c.chatless; });
    QVERIFY(chatless != conversations.end() && !chatless->attachments.isEmpty());
    for (unsigned int i = 0; i < getter->GetCount(); ++i)
        getter->GetItem(i)->SetDropMark(i != unsigned(chatless - conversations.begin()));
    const QString folder = m_dir.filePath(QStringLiteral("chatless"));
    QCOMPARE(ScanRunner(source.get()).ExportAll(MD_MESSAGE, folder), int(TASK_COMPLETE));
    QCOMPARE(QDir(folder).entryList({"*.jpeg"}, QDir::Files), chatless->attachments);
}

void TestEngineExport::calendarAndReminders_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("calendar") << int(MD_CALENDAR);
    QTest::newRow("reminders") << int(MD_REMINDER);
}

void TestEngineExport::calendarAndReminders()
{
    QFETCH(int, type);
    const bool reminders = type == MD_REMINDER;
    QString folder;
    SourcePtr source;
    QCOMPARE(Export(static_cast<MDType>(type), 4, folder, source), int(TASK_COMPLETE));
    const QStringList lines =
        Unfold(Read(QDir(folder).filePath(reminders ? "Reminders.ics" : "Calendar.ics")));
    // Of each entry its summary, its start or due time, and a floating event's end.
    QStringList written{lines.first(), lines.last()};
    QStringList expected{"BEGIN:VCALENDAR", "END:VCALENDAR"};
    for (int i = 0; i < lines.size(); ++i) {
        const QString time = Property(lines, reminders ? "DUE" : "DTSTART", i, true);
        if (lines[i] == (reminders ? "BEGIN:VTODO" : "BEGIN:VEVENT"))
            written << Unescape(Property(lines, "SUMMARY", i)) + '|' + time + '|' +
                           (time.startsWith("VALUE=") ? Property(lines, "DTEND", i, true) : "");
    }
    IMDGetter* getter = source->GetDataGetter();
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        auto* reminder = record_cast<IReminider>(getter->GetItem(i));
        auto* event = record_cast<ICalendar>(getter->GetItem(i));
        const QString date = Text(reminder ? reminder->GetDate() : event->GetStartDate());
        // A floating day, and for an event the day after the last one as the exclusive end.
        const QDate last = QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC)
                               .addSecs(qint64(reminder ? 0 : m_content.events[i].end))
                               .date();
        const QString end = reminder ? "" : "VALUE=DATE:" + last.addDays(1).toString("yyyyMMdd");
        if (i % 4 != 0)
            expected << Text(reminder ? reminder->GetTitle() : event->GetTitle()) + '|' +
                            (date.size() == 10
                                 ? "VALUE=DATE:" + QString(date).remove('-') + '|' + end
                                 : QDateTime::fromString(date, "yyyy-MM-dd HH:mm:ss")
                                           .toString("yyyyMMdd'T'HHmmss") +
                                       '|');
    }
    QCOMPARE(written, expected);
}

void TestEngineExport::calendarIdentities_data()
{
    calendarAndReminders_data();
}

// Two exports of one backup made in two time zones give every entry the
// same UID, and no two entries share one: importing both duplicates nothing.
void TestEngineExport::calendarIdentities()
{
    QFETCH(int, type);
    const QByteArray zone = qgetenv("TZ");
    QList<QStringList> uids;
    for (const char* where : {"Pacific/Kiritimati", "America/Los_Angeles"}) {
        qputenv("TZ", where);
        tzset();
        QString folder;
        SourcePtr source;
        QCOMPARE(Export(static_cast<MDType>(type), 0, folder, source), int(TASK_COMPLETE));
        QStringList found;
        for (const QString& line : Unfold(Read(
                 QDir(folder).filePath(type == MD_REMINDER ? "Reminders.ics" : "Calendar.ics")))) {
            if (line.startsWith("UID:"))
                found << line;
        }
        uids << found;
    }
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
    tzset();
    QVERIFY(uids.first().size() > 10);
    QCOMPARE(uids.last(), uids.first());
    QCOMPARE(int(QSet<QString>(uids.first().begin(), uids.first().end()).size()),
             uids.first().size());
}

void TestEngineExport::csvFiles_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("dropEvery");
    QTest::addColumn<QString>("name");
    QTest::newRow("calls") << int(MD_CALL_HISTORY) << 0 << "Call History";
    QTest::newRow("notes") << int(MD_NOTE) << 5 << "Notes";
    QTest::newRow("bookmarks") << int(MD_SAFARI_BOOKMARK) << 0 << "Safari Bookmarks";
}

// Every kept record is one row that parses back to its fields (bookmark titles
// hold commas), written beside the files of those names that were there.
void TestEngineExport::csvFiles()
{
    QFETCH(int, type);
    QFETCH(int, dropEvery);
    QFETCH(QString, name);
    const QDir folder(m_dir.filePath(QStringLiteral("taken%1").arg(type)));
    QVERIFY(folder.mkpath("."));
    const QStringList taken = {name + ".csv", name + " (1).csv"};
    for (const QString& file : taken)
        QVERIFY(BackupFixture::WriteFile(folder.filePath(file), file.toUtf8()));
    QString written;
    SourcePtr source;
    QCOMPARE(Export(MDType(type), dropEvery, written, source, folder.path()), int(TASK_COMPLETE));
    for (const QString& file : taken)
        QCOMPARE(Read(folder.filePath(file)), file.toUtf8());
    QVector<QStringList> rows = ParseCsv(Read(folder.filePath(name + " (2).csv")));
    QVector<QStringList> expected{rows.value(0)};
    IMDGetter* getter = source->GetDataGetter();
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        IMDCommon* item = getter->GetItem(i);
        if (dropEvery > 0 && i % dropEvery == 0)
            continue;
        QStringList fields;
        if (auto* call = record_cast<ICallHistory>(item))
            fields = QStringList{Text(call->GetName()), Text(call->GetPhoneNumber()),
                                 Text(call->GetDate()), Text(call->GetCallType()),
                                 Text(call->GetDuration())};
        else if (auto* note = record_cast<INote>(item))
            fields = QStringList{Text(note->GetTitle()), Text(note->GetDate()),
                                 Text(note->GetFolder()), Text(note->GetBody())};
        else if (record_cast<ISafariBookmark>(item))
            fields = QStringList{m_content.bookmarks[i].title, m_content.bookmarks[i].url,
                                 m_content.bookmarks[i].folder};
        expected << fields + QStringList{item->IsDeleted() ? "Yes" : ""};
    }
    for (int r = 1; r < rows.size(); ++r)
        rows[r].last().truncate(3); // "Yes (where it was found)"
    QCOMPARE(rows, expected);
    QCOMPARE(folder.entryList({"*.txt"}, QDir::Files).size(),
             type == MD_NOTE ? expected.size() - 1 : 0);
}

void TestEngineExport::files_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("photos") << int(MD_PHOTO);
    QTest::newRow("message attachments") << int(MD_MESSAGE_ATTACHMENT);
    QTest::newRow("whatsapp attachments") << int(MD_WHATSAPP_ATTACHMENT);
    QTest::newRow("voice memos") << int(MD_VOICE_MEMO);
    QTest::newRow("note attachments") << int(MD_NOTE_ATTACHMENT);
}

void TestEngineExport::files()
{
    QFETCH(int, type);
    QString folder;
    SourcePtr source;
    QCOMPARE(Export(static_cast<MDType>(type), 2, folder, source), int(TASK_COMPLETE));
    IMDGetter* getter = source->GetDataGetter();
    QStringList expected;
    for (unsigned int i = 1; i < getter->GetCount(); i += 2) {
        auto* photo = record_cast<IPhoto>(getter->GetItem(i));
        auto* memo = record_cast<IVoiceMemo>(getter->GetItem(i));
        expected << Text(photo ? photo->GetDisplayText() : memo->GetTextProperty(2));
        QCOMPARE(Read(QDir(folder).filePath(expected.last())),
                 Read(Text(photo ? photo->GetFilePath() : memo->GetTextProperty(1))));
    }
    QVERIFY(!expected.isEmpty());
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), expected.size());
}

void TestEngineExport::unusableFolderFails_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("folder"); // "plainfile" is a file
    QTest::addColumn<QString>("reason"); // the system's, in the log; empty: none
    QTest::newRow("below a file") << int(MD_NOTE) << "plainfile/notes"
                                  << "Not a directory";
    QTest::newRow("a file") << int(MD_PHOTO) << "plainfile"
                            << "";
    QTest::newRow("empty") << int(MD_NOTE) << ""
                           << "";
    QTest::newRow("relative") << int(MD_NOTE) << "relative/notes"
                              << "";
#ifdef Q_OS_UNIX
    QTest::newRow("name too long")
        << int(MD_NOTE) << QStringLiteral("plain/%1").arg(QString(300, 'n')) << "too long";
#endif
}

// A folder that cannot be made, whoever runs the test, or none that is
// absolute; the log gives the system's reason.
void TestEngineExport::unusableFolderFails()
{
    QFETCH(int, type);
    QFETCH(QString, folder);
    QFETCH(QString, reason);
    QVERIFY(BackupFixture::WriteFile(m_dir.filePath("plainfile"), QByteArray()));
    if (!reason.isEmpty())
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("export failed: cannot create .*: "
                                                               ".*%1")
                                                    .arg(reason),
                                                QRegularExpression::CaseInsensitiveOption));
    SourcePtr source;
    QVERIFY(ScanRunner::ScanInto(source, *m_device, MDType(type)));
    const QString here = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path()));
    const int status =
        ScanRunner(source.get())
            .ExportAll(MDType(type), folder.startsWith("plain") ? m_dir.filePath(folder) : folder);
    QDir::setCurrent(here);
    QCOMPARE(status, int(TASK_ERROR));
    QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("relative"))));
}

// A disk that takes no more bytes (a file size limit stands in for it, as no
// root is needed): the export ends with 4 and the system's reason, in the
// log and for the host, and the files it names complete are whole and the
// only ones in the folder.
void TestEngineExport::fullDiskLeavesWholeFiles()
{
#ifdef Q_OS_UNIX
    SourcePtr source;
    QVERIFY(ScanRunner::ScanInto(source, *m_device, MD_CONTACT));
    const QString reference = m_dir.filePath(QStringLiteral("full-reference"));
    QCOMPARE(ScanRunner(source.get()).ExportAll(MD_CONTACT, reference), int(TASK_COMPLETE));
    qint64 largestCard = 0;
    qint64 table = 0;
    for (const QFileInfo& file : QDir(reference).entryInfoList(QDir::Files)) {
        if (file.suffix() == QLatin1String("vcf"))
            largestCard = qMax(largestCard, file.size());
        else
            table = file.size();
    }
    // Every card fits, the table written last does not.
    QVERIFY(largestCard > 0 && table > largestCard);
    const QString folder = m_dir.filePath(QStringLiteral("full"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                           "export failed: cannot write .*: File too large")));
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("ended after \\d+ complete file")));
    rlimit old{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = rlim_t(largestCard + 1);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int status = ScanRunner(source.get()).ExportAll(MD_CONTACT, folder);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, handler);
    QCOMPARE(status, int(TASK_ERROR));
    const BackupDevice::ExportFailure failure = m_device->LastExportFailure(MD_CONTACT);
    QVERIFY2(failure.reason.contains(QLatin1String("File too large")), qPrintable(failure.reason));
    QVERIFY(!failure.complete.isEmpty());
    QStringList names;
    for (const QString& path : failure.complete) {
        names << QFileInfo(path).fileName();
        QCOMPARE(Read(path), Read(QDir(reference).filePath(names.last())));
    }
    names.sort();
    QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), names);
#else
    QSKIP("file size limits are a POSIX matter");
#endif
}

// A stop that comes while large files are copied is answered within the
// copy of the first: the answer false at the first report after the start
// ends the export with 5 before any of them is whole, and what was written
// of them goes. The voice memos of a backup of their own are made 64 MB
// each (sparse files: nothing is written for that).
void TestEngineExport::largeFileCopyStops()
{
    SampleBackupWriter::Options options;
    options.deletions = false;
    const QString backup = m_dir.filePath(QStringLiteral("large-files"));
    SampleBackupWriter writer(options);
    QVERIFY2(writer.Write(backup), qPrintable(writer.ErrorText()));
    BackupDevice device(backup);
    SourcePtr source;
    IMDGetter* getter = ScanRunner::ScanInto(source, device, MD_VOICE_MEMO);
    QVERIFY(getter && getter->GetCount() >= 2);
    constexpr qint64 Large = qint64(64) << 20;
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        QFile file(Text(record_cast<IVoiceMemo>(getter->GetItem(i))->GetTextProperty(1)));
        QVERIFY(file.resize(Large));
    }
    const QString folder = m_dir.filePath(QStringLiteral("large-out"));
    ScanRunner runner(source.get());
    runner.StopAtReport(2);
    QCOMPARE(runner.ExportAll(MD_VOICE_MEMO, folder), int(TASK_STOP));
    QCOMPARE(runner.Reports().size(), 2);
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList());
}

void TestEngineExport::stopInsideTheFirstItem_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("files"); // of the item under way at the stop
    QTest::newRow("calls") << int(MD_CALL_HISTORY) << 0;
    QTest::newRow("calendar") << int(MD_CALENDAR) << 0;
    QTest::newRow("reminders") << int(MD_REMINDER) << 0;
    QTest::newRow("bookmarks") << int(MD_SAFARI_BOOKMARK) << 0;
    QTest::newRow("messages") << int(MD_MESSAGE) << 0;
    QTest::newRow("contacts") << int(MD_CONTACT) << 1;
    QTest::newRow("notes") << int(MD_NOTE) << 1;
}

// Every writer reports from its first item on, and a false answer to that
// report ends the export with 5 at once: no report after it, and nothing
// written after it but the files of the item under way (a writer that
// reported only at its end could not be stopped at all, and one that went on
// would write its CSV or the next items).
void TestEngineExport::stopInsideTheFirstItem()
{
    QFETCH(int, type);
    QFETCH(int, files);
    SourcePtr source;
    QVERIFY(ScanRunner::ScanInto(source, *m_device, MDType(type)));
    const QString folder = m_dir.filePath(QStringLiteral("stopped%1").arg(type));
    ScanRunner runner(source.get());
    runner.StopAtReport(2);
    QCOMPARE(runner.ExportAll(MDType(type), folder), int(TASK_STOP));
    QCOMPARE(runner.Reports().size(), 2);
    QVERIFY(QDir(folder).entryList(QDir::Files).size() <= files);
}

// Names an export cannot take as they are: a title of 89 CJK characters (267
// bytes), an ASCII title over 255 bytes, Windows device names (CONIN$ too),
// names that would be hidden, trailing dots
// and spaces, exported into a folder of more than 1,000 bytes. Every file
// lands inside that folder under a valid name with its extension.
void TestEngineExport::hostileNoteTitlesInLongFolder()
{
    const QString backup = m_dir.filePath(QStringLiteral("hostile"));
    QVERIFY(BackupFixture::CopyFolder(m_dir.filePath("backup"), backup));
    QString cjk;
    for (int i = 0; i < 89; ++i)
        cjk += QChar(0x4E00 + i);
    const QStringList titles = {cjk,       QString(300, 'a'), "CON",
                                "nul.txt", "CONIN$",          "Trailing...",
                                ".hidden", "../../escape",    ".."};
    const QString store = BackupFixture::ContentPath(backup, "AppDomainGroup-group.com.apple.notes",
                                                     "NoteStore.sqlite");
    QString sql;
    for (int i = 0; i < titles.size(); ++i)
        sql += QStringLiteral("UPDATE ZICCLOUDSYNCINGOBJECT SET ZTITLE1='%1' WHERE rowid=(SELECT "
                              "rowid FROM ZICCLOUDSYNCINGOBJECT WHERE ZTITLE1 IS NOT NULL "
                              "ORDER BY rowid LIMIT 1 OFFSET %2);")
                   .arg(titles[i])
                   .arg(i);
    QVERIFY(BackupFixture::Exec(store, sql));
    const QString chosen = m_dir.filePath(QStringLiteral("long")) +
                           (QLatin1Char('/') + QString(200, QLatin1Char('d'))).repeated(5);
    BackupDevice device(backup);
    SourcePtr source;
    QVERIFY(ScanRunner::ScanInto(source, device, MD_NOTE));
    QCOMPARE(ScanRunner(source.get()).ExportAll(MD_NOTE, chosen), int(TASK_COMPLETE));

    const QString root = QDir(chosen).canonicalPath();
    QStringList names;
    QDirIterator it(m_dir.filePath(QStringLiteral("long")), QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo file(it.next());
        QVERIFY2(file.canonicalFilePath().startsWith(root + QLatin1Char('/')),
                 qPrintable(file.filePath()));
        const QString name = file.fileName();
        const QString base = name.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
        QVERIFY2(name.toUtf8().size() <= 255 && !name.endsWith(QLatin1Char('.')) &&
                     !name.endsWith(QLatin1Char(' ')) && !name.startsWith(QLatin1Char('.')) &&
                     !QStringList({"CON", "NUL", "COM1", "CONIN$", "CONOUT$"}).contains(base),
                 qPrintable(name));
        names << name;
    }
    // Every title gave its note file, extension kept.
    for (const QString& start : {cjk.left(80), QString(200, 'a')})
        QVERIFY2(!names.filter(QRegularExpression('^' + start + ".*\\.txt$")).isEmpty(),
                 qPrintable(start));
    for (const char* name :
         {"_CON.txt", "_nul.txt.txt", "Trailing.txt", "_hidden.txt", "_CONIN$.txt"})
        QVERIFY2(names.contains(QString(name)), qPrintable(names.join(QLatin1Char('|'))));
}

void TestEngineExport::deviceModesRefused_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("import");
    QTest::newRow("export to another device") << int(RECOVER_TO_OTHER_DEVICE) << false;
    QTest::newRow("export without a mode") << 0 << false;
    QTest::newRow("import to the same device") << int(RECOVER_SAME_DEVICE) << true;
    QTest::newRow("import to a folder") << int(RECOVER_TO_PC) << true;
}

void TestEngineExport::deviceModesRefused()
{
    QFETCH(int, mode);
    QFETCH(bool, import);
    SourcePtr source;
    QVERIFY(ScanRunner::ScanInto(source, *m_device, MD_CONTACT));
    ImportExportConfigure config;
    config.nMode = mode;
    config.pDevice = m_device.get();
    config.SetPath(m_dir.filePath("device").toUtf8().constData());
    QVERIFY(!(import ? source->StartImport(&config, nullptr, nullptr)
                     : source->StartExport(&config, nullptr, nullptr)));
    QVERIFY(!source->StartExport(nullptr, nullptr, nullptr));
    QVERIFY(!QDir(m_dir.filePath("device")).exists());
}

void TestEngineExport::backupStaysAsItWas_data()
{
    QTest::addColumn<bool>("readOnlyCopy");
    QTest::newRow("the backup") << false;
    QTest::newRow("a read-only copy") << true;
}

// Every category scanned and exported (after the tests above): not a byte of
// the backup changes, not a file appears in it, and a copy on which nothing
// may be written reads the same.
void TestEngineExport::backupStaysAsItWas()
{
    QFETCH(bool, readOnlyCopy);
    const QString original = m_dir.filePath("backup");
    QString folder = original;
    std::unique_ptr<BackupDevice> copyDevice;
    BackupDevice* device = m_device.get();
    if (readOnlyCopy) {
        folder = m_dir.filePath("read-only");
        QVERIFY(BackupFixture::CopyFolder(original, folder));
        QVERIFY(BackupFixture::SetWritable(folder, false));
        copyDevice = std::make_unique<BackupDevice>(folder);
        device = copyDevice.get();
    }
    for (int type : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 22}) {
        SourcePtr expected(m_device->GetDataSource(static_cast<MDType>(type)));
        SourcePtr source(device->GetDataSource(static_cast<MDType>(type)));
        QCOMPARE(ScanRunner(expected.get()).Scan(), int(TASK_COMPLETE));
        QCOMPARE(ScanRunner(source.get()).Scan(), int(TASK_COMPLETE));
        QCOMPARE(source->GetDataGetter()->GetCount(), expected->GetDataGetter()->GetCount());
        QCOMPARE(ScanRunner(source.get())
                     .ExportAll(static_cast<MDType>(type),
                                m_dir.filePath(QString("evidence%1").arg(++m_exports))),
                 int(TASK_COMPLETE));
    }
    copyDevice.reset();
    if (readOnlyCopy)
        QVERIFY(BackupFixture::SetWritable(folder, true));
    QCOMPARE(BackupFixture::Digests(folder), m_evidence);
}

QTEST_MAIN(TestEngineExport)
#include "tst_engineexport.moc"
