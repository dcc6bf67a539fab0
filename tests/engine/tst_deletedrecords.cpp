// The records a generated backup deleted come back on their category's
// pages as deleted items, and no live record is reported deleted.
#include "backupdevice.h"
#include "backupfixture.h"
#include "contracts/mmobile.h"
#include "samplebackupwriter.h"
#include "sampledeletions.h"
#include "scanrunner.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace MMobile;

namespace {

template <class Chat> QStringList EntryTexts(Chat* chat)
{
    QStringList texts;
    for (unsigned int e = 0; chat && e < chat->GetEntryCount(); ++e)
        texts << Text(chat->GetEntry(e)->GetText());
    return texts;
}

// What the generator's truth lists of an item, by category.
QStringList Keys(MDType type, IMDCommon* item)
{
    switch (type) {
    case MD_CONTACT: {
        // A person known only by his numbers has no name to list.
        const QString name = Text(record_cast<IContact>(item)->GetName()->GetFullName());
        return name.isEmpty() ? QStringList() : QStringList{name};
    }
    case MD_MESSAGE:
        return EntryTexts(record_cast<IMessage>(item));
    case MD_WHATSAPP_MESSAGE:
        return EntryTexts(record_cast<IWhatsAppMessenger>(item));
    case MD_CALL_HISTORY: {
        ICallHistory* call = record_cast<ICallHistory>(item);
        return {Text(call->GetPhoneNumber()) + QLatin1Char('|') + Text(call->GetDuration())};
    }
    case MD_CALENDAR:
        return {Text(record_cast<ICalendar>(item)->GetTitle())};
    case MD_REMINDER:
        return {Text(record_cast<IReminider>(item)->GetTitle())};
    case MD_NOTE: {
        // An untitled copy (a locked note's last) has nothing to list.
        const QString title = Text(record_cast<INote>(item)->GetTitle());
        return title.isEmpty() ? QStringList() : QStringList{title};
    }
    case MD_SAFARI_BOOKMARK:
        return {Text(record_cast<ISafariBookmark>(item)->GetUrl())};
    default:
        return {};
    }
}

// An e-mail address as it is, a number by its last nine digits: the forms a
// phone keeps of one number differ in the rest.
QString ValueKey(const QString& value)
{
    if (value.contains(QLatin1Char('@')))
        return value;
    QString digits = value;
    digits.remove(QRegularExpression(QStringLiteral("[^0-9]")));
    return digits.right(9);
}

const char* const Password = "twin";

// A text as a CSV cell holds it.
QString Csv(QString text)
{
    return text.replace(QLatin1Char('"'), QLatin1String("\"\""));
}

} // namespace

class TestDeletedRecords : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void recovered_data();
    void recovered();
    void exportSaysDeleted_data();
    void exportSaysDeleted();
    void fullWorkFolder();
    void messageRowsSayTheirSource();
    void contactRemnants();
    void messagesInTheirChats();
    void namesWhenNothingIsLive();
    void lockedNoteKeepsItsTitle();

private:
    QTemporaryDir m_dir;
    QJsonObject m_truth;
    // An older generation's backup ("backup12"): its stores' other layouts.
    QJsonObject m_olderTruth;
    // What the phone itself marked deleted, which scans report deleted too.
    QSet<QString> m_marked;
};

void TestDeletedRecords::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Last the newest one's encrypted twin, whose databases are read in
    // memory; its bytes and truth are the plain one's.
    for (const int ios : {18, 12, 0}) {
        SampleBackupWriter::Options options;
        options.media = false;
        options.deletions = true;
        options.ios = ios == 0 ? 18 : ios;
        options.password = ios == 0 ? QString::fromLatin1(Password) : QString();
        options.kdfRounds = 2000;
        SampleBackupWriter writer(options);
        const QString folder = m_dir.filePath(ios == 18  ? QStringLiteral("backup")
                                              : ios == 0 ? QStringLiteral("encrypted")
                                                         : QStringLiteral("backup%1").arg(ios));
        QVERIFY2(writer.Write(folder), qPrintable(writer.ErrorText()));
        if (ios == 0)
            continue;
        (ios == 18 ? m_truth : m_olderTruth) =
            QJsonDocument::fromJson(BackupFixture::Read(SampleDeletions::TruthPath(folder)))
                .object();
        for (const auto& conversation : writer.Content().conversations) {
            for (const auto& message : conversation.messages)
                m_marked += conversation.deleted ? message.text : QString();
        }
        for (const auto& note : writer.Content().notes)
            m_marked += note.deleted ? note.title : QString();
        for (const auto& reminder : writer.Content().reminders)
            m_marked += reminder.deleted ? reminder.title : QString();
    }
    QVERIFY(!m_truth.isEmpty() && !m_olderTruth.isEmpty());
    m_marked.remove(QString());
}

void TestDeletedRecords::recovered_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("category");
    // The category's databases as "domain/path", whose bytes tell which
    // deleted records SQLite has not overwritten.
    QTest::addColumn<QStringList>("files");
    // Only the records left in this place of the files (see the truth's
    // "places"), every one of which must come back; empty: all.
    QTest::addColumn<QString>("place");
    // The generation whose stores: the newest, else iOS 12's layouts.
    QTest::addColumn<int>("ios");
    // Scanned in the newest one's encrypted twin.
    QTest::addColumn<bool>("encrypted");
    const auto row = [](MDType type, const char* category, const QStringList& files,
                        const char* place = "", int ios = 18, bool encrypted = false) {
        const QString name =
            *place ? QStringLiteral("%1 (%2)").arg(category, place) : QString(category);
        QTest::newRow(qPrintable(ios == 18 ? name + (encrypted ? ", encrypted" : "")
                                           : QStringLiteral("iOS %1 %2").arg(ios).arg(name)))
            << int(type) << QString(category) << files << QString(place) << ios << encrypted;
    };
    const QString home = QStringLiteral("HomeDomain/Library/");
    const QStringList people{home + "AddressBook/AddressBook.sqlitedb"};
    const QStringList messages{home + "SMS/sms.db"};
    const QStringList calls{home + "CallHistoryDB/CallHistory.storedata"};
    // Every place a carver must look in, each in every store that leaves
    // records there; iOS 12's message table was made whole.
    for (const int ios : {18, 12}) {
        for (const char* place :
             {"", "gap", "cut freeblock", "interior page", "added column", "freelist", "WAL"}) {
            const QString where = QString::fromLatin1(place);
            if (where != "freelist")
                row(MD_CONTACT, "contacts", people, place, ios);
            if (where != "interior page" && where != "freelist" &&
                (ios == 18 || where != "added column"))
                row(MD_MESSAGE, "messages", messages, place, ios);
            if (ios == 18 || where != "added column")
                row(MD_CALL_HISTORY, "calls", calls, place, ios);
        }
    }
    row(MD_CONTACT, "contacts", people, "", 18, true);
    row(MD_CALENDAR, "events", {home + "Calendar/Calendar.sqlitedb"});
    row(MD_REMINDER, "reminders", {home + "Calendar/Calendar.sqlitedb"});
    row(MD_NOTE, "notes",
        {home + "Notes/notes.sqlite", "AppDomainGroup-group.com.apple.notes/NoteStore.sqlite"});
    row(MD_SAFARI_BOOKMARK, "bookmarks", {home + "Safari/Bookmarks.db"});
    row(MD_WHATSAPP_MESSAGE, "whatsapp",
        {"AppDomainGroup-group.net.whatsapp.WhatsApp.shared/ChatStorage.sqlite"});
}

void TestDeletedRecords::recovered()
{
    QFETCH(int, type);
    QFETCH(QString, category);
    QFETCH(QStringList, files);
    QFETCH(QString, place);
    QFETCH(int, ios);
    QFETCH(bool, encrypted);
    const QString folder =
        m_dir.filePath(ios == 18 ? QStringLiteral("backup") : QStringLiteral("backup%1").arg(ios));
    const QJsonObject& truthOf = ios == 18 ? m_truth : m_olderTruth;
    QByteArray bytes;
    for (const QString& file : files) {
        for (const char* suffix : {"", "-wal"})
            bytes += BackupFixture::Read(BackupFixture::ContentPath(folder, file.section('/', 0, 0),
                                                                    file.section('/', 1) + suffix));
    }
    QStringList truth;  // every deleted record
    QStringList intact; // those whose bytes SQLite has not reused
    for (const QJsonValue& entry : truthOf.value(category).toArray())
        truth << entry[QLatin1String("key")].toString();
    const QString prefix = category + QLatin1Char('|') + place + QLatin1Char('|');
    for (const QJsonValue& entry :
         truthOf.value(place.isEmpty() ? category : QStringLiteral("places")).toArray()) {
        QString key = entry[QLatin1String("key")].toString();
        if (!place.isEmpty() && !key.startsWith(prefix))
            continue;
        key = key.mid(place.isEmpty() ? 0 : prefix.size());
        if (bytes.contains(entry[QLatin1String("probe")].toString().toUtf8()))
            intact << key;
    }
    QVERIFY(!intact.isEmpty());
    BackupDevice device(encrypted ? m_dir.filePath(QStringLiteral("encrypted")) : folder);
    if (encrypted)
        QCOMPARE(device.Unlock(QString::fromLatin1(Password)), BackupDevice::UNLOCK_OK);
    SourcePtr source;
    IMDGetter* getter = ScanRunner::ScanInto(source, device, MDType(type));
    QVERIFY(getter);
    QSet<QString> found;
    QStringList live;
    QStringList chats; // who each deleted conversation is with: once, whatever the sources
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        IMDCommon* item = getter->GetItem(i);
        const QStringList keys = Keys(MDType(type), item);
        if (!item->IsDeleted())
            continue;
        if (IMessage* conversation = type == MD_MESSAGE ? record_cast<IMessage>(item) : nullptr)
            chats << Text(conversation->GetParticipantPhone(0)) +
                         Text(conversation->GetParticipantEmail(0));
        for (const QString& key : keys) {
            if (!truth.contains(key) && !m_marked.contains(key))
                live << key;
            found.insert(key);
        }
    }
    QCOMPARE(QSet<QString>(chats.begin(), chats.end()).size(), chats.size());
    QStringList missing;
    for (const QString& key : qAsConst(intact)) {
        if (!found.contains(key))
            missing << key;
    }
    const double recall = double(intact.size() - missing.size()) / intact.size();
    QVERIFY2(recall >= (place.isEmpty() ? 0.9 : 1.0),
             qPrintable(QString::number(recall) + QLatin1String(": ") +
                        missing.join(QLatin1String(" / "))));
    QVERIFY2(live.isEmpty(), qPrintable(live.join(QLatin1String(" / "))));
}

void TestDeletedRecords::exportSaysDeleted_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("files");
    // A row of the contacts' CSV, the page of a conversation.
    QTest::newRow("contacts") << int(MD_CONTACT) << "*.csv";
    QTest::newRow("messages") << int(MD_MESSAGE) << "*.html";
}

void TestDeletedRecords::exportSaysDeleted()
{
    QFETCH(int, type);
    QFETCH(QString, files);
    BackupDevice device(m_dir.filePath(QStringLiteral("backup")));
    SourcePtr source;
    IMDGetter* getter = ScanRunner::ScanInto(source, device, MDType(type));
    QVERIFY(getter);
    int deleted = 0;
    for (unsigned int i = 0; i < getter->GetCount(); ++i)
        deleted += getter->GetItem(i)->IsDeleted() ? 1 : 0;
    const QString folder = m_dir.filePath(QStringLiteral("export%1").arg(type));
    QCOMPARE(ScanRunner(source.get()).ExportAll(MDType(type), folder), int(TASK_COMPLETE));
    int marked = 0;
    for (const QString& file : QDir(folder).entryList({files}, QDir::Files))
        marked += BackupFixture::Read(QDir(folder).filePath(file)).count("Yes (");
    QVERIFY(deleted > 0);
    QCOMPARE(marked, deleted);
}

// A work folder that takes no file past one page (a full disk, to SQLite):
// the deleted bookmarks cannot be laid out there, and the scan says so in its
// skipped count instead of ending as if there were none.
void TestDeletedRecords::fullWorkFolder()
{
#ifdef Q_OS_UNIX
    BackupDevice device(m_dir.filePath(QStringLiteral("backup")));
    rlimit old{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit page = old;
    page.rlim_cur = 4096;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &page), 0);
    SourcePtr source;
    IMDGetter* getter = ScanRunner::ScanInto(source, device, MD_SAFARI_BOOKMARK);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    QVERIFY(getter && getter->GetCount() > 0);
    for (unsigned int i = 0; i < getter->GetCount(); ++i)
        QVERIFY(!getter->GetItem(i)->IsDeleted());
    QVERIFY(device.SkippedCount(MD_SAFARI_BOOKMARK) > 0);
#else
    QSKIP("file size limits are a POSIX matter");
#endif
}

// A conversation gathers deleted messages from several places; each row of
// its CSV names the one its message came from.
void TestDeletedRecords::messageRowsSayTheirSource()
{
    BackupDevice device(m_dir.filePath(QStringLiteral("backup")));
    SourcePtr source;
    QVERIFY(ScanRunner::ScanInto(source, device, MD_MESSAGE));
    const QString folder = m_dir.filePath(QStringLiteral("rowsources"));
    QCOMPARE(ScanRunner(source.get()).ExportAll(MD_MESSAGE, folder), int(TASK_COMPLETE));
    const QStringList known{"freeblock", "unallocated", "freelist", "dropped table",
                            "overflow",  "WAL",         "journal",  "recently deleted"};
    QSet<QString> seen;
    QStringList recentlyDeleted; // the files with the phone's own mark
    for (const QString& file : QDir(folder).entryList({"*.csv"}, QDir::Files)) {
        const QString csv = QString::fromUtf8(BackupFixture::Read(QDir(folder).filePath(file)));
        const QRegularExpression mark(QStringLiteral("Yes \\(([^)]*)\\)"));
        for (auto match = mark.globalMatch(csv); match.hasNext();) {
            const QString where = match.next().captured(1);
            QVERIFY2(known.contains(where), qPrintable(file + ": " + where));
            seen << where;
            if (where == QLatin1String("recently deleted") && !recentlyDeleted.contains(file))
                recentlyDeleted << file;
        }
    }
    // The log's conversation and the messages from free space both show.
    QVERIFY2(seen.size() >= 2, qPrintable(QStringList(seen.values()).join(", ")));
    // The phone keeps one conversation in its recently deleted; carved
    // messages of other chats are no part of it.
    QVERIFY2(recentlyDeleted.size() == 1, qPrintable(recentlyDeleted.join(", ")));
}

// People whose own rows are gone live on in the address book's search index
// and in the values they owned: each deleted contact carries the numbers and
// addresses left of him, one contact per person whatever held them; values
// no name is left of are one nameless contact per person, never lumped.
void TestDeletedRecords::contactRemnants()
{
    BackupDevice device(m_dir.filePath(QStringLiteral("backup")));
    SourcePtr source;
    IMDGetter* getter = ScanRunner::ScanInto(source, device, MD_CONTACT);
    QVERIFY(getter);
    // "<name>|<value>" of every value of a deleted contact, numbers by their
    // last nine digits; the nameless contact each value of a nameless one is in.
    QSet<QString> found;
    QHash<QString, unsigned int> nameless;
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        IMDCommon* item = getter->GetItem(i);
        if (!item->IsDeleted())
            continue;
        IContact* contact = record_cast<IContact>(item);
        const QString name = Text(contact->GetName()->GetFullName());
        for (IContactList* list : {contact->GetPhoneList(), contact->GetEmailList()}) {
            for (unsigned int v = 0; v < list->GetCount(); ++v) {
                const QString value = ValueKey(Text(list->GetValue(v)));
                found << name + QLatin1Char('|') + value;
                if (name.isEmpty())
                    nameless.insert(value, i);
            }
        }
    }
    const QJsonArray truth = m_truth.value(QStringLiteral("contact values")).toArray();
    QVERIFY(truth.size() > 4);
    QStringList missing;
    QHash<QString, unsigned int> contactOf; // "#<record id>" -> its nameless contact
    QSet<unsigned int> taken;
    for (const QJsonValue& entry : truth) {
        const QString key = entry[QLatin1String("key")].toString();
        const QString who = key.section('|', 0, 0);
        const QString value = ValueKey(key.section('|', 1));
        if (!who.startsWith(QLatin1Char('#'))) {
            if (!found.contains(who + '|' + value))
                missing << key;
            continue;
        }
        if (!nameless.contains(value)) {
            missing << key;
            continue;
        }
        const unsigned int contact = nameless.value(value);
        if (!contactOf.contains(who)) {
            if (taken.contains(contact))
                missing << QStringLiteral("apart: ") + key;
            taken << contact;
            contactOf.insert(who, contact);
        } else if (contactOf.value(who) != contact) {
            missing << QStringLiteral("together: ") + key;
        }
    }
    QVERIFY(contactOf.size() > 1);
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1String(" / "))));
    // Each says where it was found.
    const QString folder = m_dir.filePath(QStringLiteral("remnants"));
    QCOMPARE(ScanRunner(source.get()).ExportAll(MD_CONTACT, folder), int(TASK_COMPLETE));
    QByteArray csv;
    for (const QString& file : QDir(folder).entryList({"*.csv"}, QDir::Files))
        csv += BackupFixture::Read(QDir(folder).filePath(file));
    QVERIFY(csv.contains("Yes (full-text index)"));
    QVERIFY(csv.contains("Yes (leftover values)"));
}

// Each deleted message whose bytes survive lands in the conversation of its
// chat, whether recovered join rows tie it there, only its handle, or the
// chat itself was recovered; the conversation is named by its participants,
// as the live conversation with the same person is.
void TestDeletedRecords::messagesInTheirChats()
{
    const QString folder = m_dir.filePath(QStringLiteral("backup"));
    QByteArray bytes;
    for (const char* file : {"Library/SMS/sms.db", "Library/SMS/sms.db-wal"})
        bytes += BackupFixture::Read(
            BackupFixture::ContentPath(folder, QStringLiteral("HomeDomain"), file));
    BackupDevice device(folder);
    SourcePtr source;
    IMDGetter* getter = ScanRunner::ScanInto(source, device, MD_MESSAGE);
    QVERIFY(getter);
    QSet<QString> found;               // "<participant>|<text>" of deleted messages
    QHash<QString, QString> liveTexts; // participant -> a text of his live conversation
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        IMDCommon* item = getter->GetItem(i);
        IMessage* conversation = record_cast<IMessage>(item);
        const QString who = ValueKey(Text(conversation->GetParticipantPhone(0)) +
                                     Text(conversation->GetParticipantEmail(0)));
        // No deleted conversation is with nobody.
        QVERIFY(!item->IsDeleted() || !who.isEmpty());
        const QStringList texts = EntryTexts(conversation);
        if (!item->IsDeleted() && !texts.isEmpty())
            liveTexts.insert(who, texts.first());
        for (const QString& text : texts)
            found += item->IsDeleted() ? who + QLatin1Char('|') + text : QString();
    }
    const QString exported = m_dir.filePath(QStringLiteral("chats"));
    QCOMPARE(ScanRunner(source.get()).ExportAll(MD_MESSAGE, exported), int(TASK_COMPLETE));
    QHash<QString, QString> files; // exported file name -> its text
    for (const QString& file : QDir(exported).entryList({"*.csv"}, QDir::Files))
        files.insert(file, QString::fromUtf8(BackupFixture::Read(QDir(exported).filePath(file))));
    const QJsonArray truth = m_truth.value(QStringLiteral("message chats")).toArray();
    QVERIFY(truth.size() > 10);
    QStringList misplaced;
    int checked = 0;
    for (const QJsonValue& entry : truth) {
        const QString key = entry[QLatin1String("key")].toString();
        if (!bytes.contains(entry[QLatin1String("probe")].toString().toUtf8()))
            continue;
        ++checked;
        const QString who = ValueKey(key.section(QLatin1Char('|'), 0, 0));
        const QString text = key.section(QLatin1Char('|'), 1);
        if (!found.contains(who + QLatin1Char('|') + text))
            misplaced << key;
        // Its conversation's file beside that of the live one with the same person.
        if (!liveTexts.contains(who))
            continue;
        bool named = false;
        for (auto file = files.cbegin(); file != files.cend(); ++file) {
            const QString live = QString(file.key()).replace(" (deleted).csv", ".csv");
            named = named || (live != file.key() && file.value().contains(Csv(text)) &&
                              files.value(live).contains(Csv(liveTexts.value(who))));
        }
        if (!named)
            misplaced << QStringLiteral("file of ") + key;
    }
    QVERIFY(checked > 10);
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced.join(QLatin1String(" / "))));
}

// A user who cleared the call list: the address book still names the
// caller of a deleted call that kept no name of its own, though no live
// call asked for a name first.
void TestDeletedRecords::namesWhenNothingIsLive()
{
    const QString original = m_dir.filePath(QStringLiteral("backup"));
    QString number;
    {
        BackupDevice device(original);
        SourcePtr source;
        IMDGetter* contacts = ScanRunner::ScanInto(source, device, MD_CONTACT);
        QVERIFY(contacts);
        for (unsigned int i = 0; number.isEmpty() && i < contacts->GetCount(); ++i) {
            IContact* contact = record_cast<IContact>(contacts->GetItem(i));
            if (!contacts->GetItem(i)->IsDeleted() && contact->GetPhoneList()->GetCount() > 0 &&
                !Text(contact->GetName()->GetFullName()).isEmpty())
                number = Text(contact->GetPhoneList()->GetValue(0));
        }
    }
    QVERIFY(!number.isEmpty());
    const QString folder = m_dir.filePath(QStringLiteral("cleared"));
    QVERIFY(BackupFixture::CopyFolder(original, folder));
    QVERIFY(BackupFixture::SetWritable(folder, true));
    const QString calls = QStringLiteral("Library/CallHistoryDB/CallHistory.storedata");
    const QString home = QStringLiteral("HomeDomain");
    const QString wal = BackupFixture::ContentPath(folder, home, calls + QStringLiteral("-wal"));
    QVERIFY(BackupFixture::Exec(
        BackupFixture::ContentPath(folder, home, calls),
        QStringLiteral("PRAGMA secure_delete = OFF; INSERT INTO ZCALLRECORD (Z_PK, Z_ENT, Z_OPT, "
                       "ZCALLTYPE, ZORIGINATED, ZANSWERED, ZDATE, ZDURATION, ZADDRESS, ZNAME) "
                       "VALUES (990001, 2, 1, 1, 1, 1, 700000000, 4321, '%1', NULL); DELETE FROM "
                       "ZCALLRECORD;")
            .arg(number),
        QFileInfo(wal).isFile() ? wal : QString()));
    BackupDevice device(folder);
    SourcePtr source;
    IMDGetter* getter = ScanRunner::ScanInto(source, device, MD_CALL_HISTORY);
    QVERIFY(getter);
    QStringList names;
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        QVERIFY(getter->GetItem(i)->IsDeleted());
        ICallHistory* call = record_cast<ICallHistory>(getter->GetItem(i));
        if (Text(call->GetPhoneNumber()) == number && Text(call->GetDuration()) == "01:12:01")
            names << Text(call->GetName());
    }
    QCOMPARE(names.size(), 1);
    QVERIFY(!names.first().isEmpty());
}

// A locked note whose last copy (in the log) lost its title shows the title
// an older copy of its row kept, and says that its text is locked; what the
// last copy has (the time of that save) is its own, not the older copy's.
void TestDeletedRecords::lockedNoteKeepsItsTitle()
{
    const QJsonArray truth = m_truth.value(QStringLiteral("locked notes")).toArray();
    QVERIFY(!truth.isEmpty());
    BackupDevice device(m_dir.filePath(QStringLiteral("backup")));
    SourcePtr source;
    IMDGetter* getter = ScanRunner::ScanInto(source, device, MD_NOTE);
    QVERIFY(getter);
    QHash<QString, QString> notes; // title -> "<text>|<date>" of the deleted notes
    for (unsigned int i = 0; i < getter->GetCount(); ++i) {
        if (!getter->GetItem(i)->IsDeleted())
            continue;
        INote* note = record_cast<INote>(getter->GetItem(i));
        notes.insert(Text(note->GetTitle()),
                     Text(note->GetBody()) + QLatin1Char('|') + Text(note->GetDate()));
    }
    for (const QJsonValue& entry : truth) {
        const QString key = entry[QLatin1String("key")].toString();
        const QString title = key.section(QLatin1Char('|'), 0, -2);
        const QString saved =
            QDateTime::fromMSecsSinceEpoch(
                qint64((978307200 + key.section(QLatin1Char('|'), -1).toDouble()) * 1000))
                .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        QVERIFY2(notes.contains(title), qPrintable(title));
        QCOMPARE(notes.value(title), QStringLiteral("This note is locked.|") + saved);
    }
}

QTEST_GUILESS_MAIN(TestDeletedRecords)
#include "tst_deletedrecords.moc"
