#include "samplebackupwriter.h"

#include "samplebackupencryptor.h"
#include "samplecalls.h"
#include "samplechatless.h"
#include "sampledeletions.h"
#include "sampleformats.h"
#include "sampleleafplaces.h"
#include "samplenoteattachments.h"
#include "samplepictures.h"
#include "samplerandom.h"
#include "samplereminderstore.h"
#include "samplestoreschemas.h"
#include "samplewechatwriter.h"
#include "samplewords.h"
#include "sqlitewriter.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QUuid>

#include <cmath>

namespace {

const char* const Home = "HomeDomain";
const char* const CameraRoll = "CameraRollDomain";
const char* const Media = "MediaDomain";
const char* const WhatsApp = "AppDomainGroup-group.net.whatsapp.WhatsApp.shared";
const char* const WhatsAppBusiness = "AppDomainGroup-group.net.whatsapp.WhatsAppSMB.shared";
const char* const NotesGroup = "AppDomainGroup-group.com.apple.notes";

// A calendar item's UUID, upper case as the phone writes it; the same for
// the same item in every sample.
// Another phone (another seed) names its items anew; the default seed keeps
// the names the samples always had.
QString CalendarItemId(const QString& kind, int i, std::uint32_t seed)
{
    QString name = QStringLiteral("%1-%2").arg(kind).arg(i);
    if (seed != SampleBackupWriter::Options().seed)
        name += QStringLiteral("-%1").arg(seed);
    return QUuid::createUuidV5(QUuid(), name).toString(QUuid::WithoutBraces).toUpper();
}

// The UUID the app gives an asset or a recording, made of what tells it apart.
QString Identity(const QString& name)
{
    return QUuid::createUuidV5(QUuid(), name).toString(QUuid::WithoutBraces).toUpper();
}

} // namespace

SampleBackupWriter::SampleBackupWriter(const Options& options)
    : m_options(options), m_random(options.seed),
      // 2024-06-01 12:00:00 UTC
      m_now(738936000.0)
{
    if (m_options.scale < 1)
        m_options.scale = 1;
}

SampleBackupWriter::~SampleBackupWriter() = default;

bool SampleBackupWriter::Fail(const QString& error)
{
    m_error = error;
    return false;
}

QString SampleBackupWriter::AddFile(const QString& domain, const QString& relativePath)
{
    const QString fileId = QString::fromLatin1(
        QCryptographicHash::hash((domain + QLatin1Char('-') + relativePath).toUtf8(),
                                 QCryptographicHash::Sha1)
            .toHex());
    m_manifest->Insert(QStringLiteral("INSERT OR REPLACE INTO Files (fileID, domain, relativePath, "
                                      "flags, file) VALUES (?, ?, ?, 1, ?)"),
                       {fileId, domain, relativePath, QByteArray()});
    const QString bucket = WritesMbdb() ? QString() : fileId.left(2);
    if (!bucket.isEmpty())
        QDir(m_folder).mkpath(bucket);
    const QString path = QDir(m_folder).filePath(bucket.isEmpty() ? fileId : bucket + '/' + fileId);
    WrittenFile& file = m_files[fileId];
    file.domain = domain;
    file.relativePath = relativePath;
    file.path = path;
    return path;
}

bool SampleBackupWriter::Forget(SqliteWriter& db, int store)
{
    return !m_deletions ||
           m_deletions->Delete(db, static_cast<SampleDeletions::Store>(store), m_content) ||
           Fail(db.LastError());
}

bool SampleBackupWriter::WriteContent(const QString& domain, const QString& relativePath,
                                      const QByteArray& data)
{
    QFile file(AddFile(domain, relativePath));
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        return Fail(QStringLiteral("cannot write %1").arg(file.fileName()));
    return true;
}

bool SampleBackupWriter::Write(const QString& folder)
{
    m_folder = folder;
    m_content = SampleBackupContent();
    if (!QDir().mkpath(folder))
        return Fail(QStringLiteral("cannot create %1").arg(folder));
    m_manifest = std::make_unique<SqliteWriter>();
    if (!m_manifest->Open(QDir(folder).filePath(QStringLiteral("Manifest.db"))) ||
        !m_manifest->Exec(QStringLiteral(
            "CREATE TABLE Files (fileID TEXT PRIMARY KEY, domain TEXT, relativePath TEXT, flags "
            "INTEGER, file BLOB); CREATE INDEX FilesDomainIdx ON Files(domain); CREATE INDEX "
            "FilesRelativePathIdx ON Files(relativePath); CREATE TABLE Properties (key TEXT "
            "PRIMARY KEY, value BLOB)")))
        return Fail(m_manifest->LastError());
    m_files.clear();
    m_deletions.reset(m_options.deletions ? new SampleDeletions : nullptr);
    const bool ok = WriteInfo() && WriteContacts() && WriteMessages() && WriteCalls() &&
                    WriteCalendar() && WriteNotes() && WriteBookmarks() && WritePhotos() &&
                    WriteVoiceMemos() && WriteWhatsApp() && WriteWeChat();
    if (ok && m_deletions && !m_deletions->WriteTruth(folder))
        return Fail(QStringLiteral("cannot write %1").arg(SampleDeletions::TruthPath(folder)));
    if (!ok || !m_options.password.isEmpty())
        return ok && Encrypt();
    const bool closed = m_manifest->Close();
    m_manifest.reset();
    if (!closed)
        return Fail(QStringLiteral("cannot finish Manifest.db"));
    return !WritesMbdb() || WriteMbdb();
}

bool SampleBackupWriter::WriteMbdb()
{
    std::vector<SampleFormats::IndexEntry> entries;
    for (const auto& file : m_files)
        entries.push_back(
            {file.second.domain, file.second.relativePath,
             file.second.size >= 0 ? file.second.size : QFileInfo(file.second.path).size(),
             file.second.protectionClass, file.second.encryptionKey});
    const QByteArray index = SampleFormats::Mbdb(entries, static_cast<quint32>(m_now + 978307200));
    QFile::remove(QDir(m_folder).filePath(QStringLiteral("Manifest.db")));
    QFile out(QDir(m_folder).filePath(QStringLiteral("Manifest.mbdb")));
    if (!out.open(QIODevice::WriteOnly) || out.write(index) != index.size())
        return Fail(QStringLiteral("cannot write Manifest.mbdb"));
    return true;
}

bool SampleBackupWriter::Encrypt()
{
    // Phones of iOS 10.1 and older derive once, with SHA-1.
    SampleBackupEncryptor encryptor(m_options.password, m_options.kdfRounds, m_options.ios <= 10);
    if (!encryptor.IsValid())
        return Fail(QStringLiteral("the keys of the encrypted backup cannot be made"));
    for (auto& entry : m_files) {
        // Media files are class 4 (no protection) on the phone, the rest class 3.
        const int protectionClass =
            entry.second.relativePath.startsWith(QLatin1String("Media/")) ? 4 : 3;
        if (WritesMbdb()) {
            // The index keeps the keys itself; Manifest.db is not written.
            entry.second.protectionClass = protectionClass;
            if (!encryptor.EncryptFile(entry.second.path, protectionClass,
                                       entry.second.encryptionKey, entry.second.size))
                return Fail(QStringLiteral("cannot encrypt %1").arg(entry.second.path));
            continue;
        }
        const QByteArray archive =
            encryptor.EncryptFile(entry.second.path, entry.second.relativePath, protectionClass);
        if (archive.isEmpty() ||
            m_manifest->Insert(QStringLiteral("UPDATE Files SET file=? WHERE fileID=?"),
                               {archive, entry.first}) < 0)
            return Fail(QStringLiteral("cannot encrypt %1").arg(entry.second.path));
    }
    const bool closed = m_manifest->Close();
    m_manifest.reset();
    if (!closed)
        return Fail(QStringLiteral("cannot finish Manifest.db"));
    // Manifest.mbdb is never encrypted, and there is no manifest key for it.
    if (WritesMbdb())
        return WriteMbdb() && WriteManifestPlist(true, encryptor.KeyBag(), QByteArray());
    if (!encryptor.EncryptManifestDb(QDir(m_folder).filePath(QStringLiteral("Manifest.db"))))
        return Fail(QStringLiteral("cannot encrypt Manifest.db"));
    return WriteManifestPlist(true, encryptor.KeyBag(), encryptor.ManifestKey());
}

bool SampleBackupWriter::WriteManifestPlist(bool encrypted, const QByteArray& keyBag,
                                            const QByteArray& manifestKey)
{
    const QString date =
        QDateTime::fromSecsSinceEpoch(static_cast<qint64>(m_now) + 978307200, Qt::UTC)
            .toString(Qt::ISODate);
    QFile manifest(QDir(m_folder).filePath(QStringLiteral("Manifest.plist")));
    QList<QPair<QString, QByteArray>> data;
    if (encrypted)
        data = {{QStringLiteral("BackupKeyBag"), keyBag}};
    if (!manifestKey.isEmpty())
        data.append({QStringLiteral("ManifestKey"), manifestKey});
    const QByteArray xml =
        SampleFormats::XmlPlist({{"Version", "10.0"}, {"Date", date}}, true, encrypted, data);
    if (!manifest.open(QIODevice::WriteOnly) || manifest.write(xml) != xml.size())
        return Fail(QStringLiteral("cannot write Manifest.plist"));
    return true;
}

bool SampleBackupWriter::WriteInfo()
{
    m_content.displayName = QStringLiteral("Zoë's Phone");
    const QString date =
        QDateTime::fromSecsSinceEpoch(static_cast<qint64>(m_now) + 978307200, Qt::UTC)
            .toString(Qt::ISODate);
    QFile info(QDir(m_folder).filePath(QStringLiteral("Info.plist")));
    QFile status(QDir(m_folder).filePath(QStringLiteral("Status.plist")));
    if (!info.open(QIODevice::WriteOnly) || !status.open(QIODevice::WriteOnly))
        return Fail(QStringLiteral("cannot write the property lists"));
    info.write(SampleFormats::XmlPlist({{"Device Name", m_content.displayName},
                                        {"Display Name", m_content.displayName},
                                        {"Product Type", "iPhone15,2"},
                                        {"Product Version", "17.5"},
                                        {"Serial Number", "SAMPLE000001"},
                                        {"Last Backup Date", date}},
                                       false));
    status.write(
        SampleFormats::XmlPlist({{"SnapshotState", "finished"}, {"Version", "3.3"}}, false));
    return WriteManifestPlist(false, QByteArray(), QByteArray());
}

bool SampleBackupWriter::WriteContacts()
{
    SqliteWriter db;
    // The person table as an older system made it (its record id generated by
    // the phone's own function, which inserts here replace); the columns
    // later systems added come by ALTER TABLE once part of the people are in,
    // as on a phone whose address book outlived its upgrades.
    QString people = QStringLiteral(
        "CREATE TABLE ABPerson (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, First TEXT, Last TEXT, "
        "Middle TEXT, FirstPhonetic TEXT, MiddlePhonetic TEXT, LastPhonetic TEXT, Organization "
        "TEXT, Department TEXT, Note TEXT, Kind INTEGER, Birthday TEXT, JobTitle TEXT, Nickname "
        "TEXT, Prefix TEXT, Suffix TEXT, FirstSort TEXT, LastSort TEXT, CreationDate INTEGER, "
        "ModificationDate INTEGER, CompositeNameFallback TEXT, ExternalIdentifier TEXT, "
        "ExternalModificationTag TEXT, ExternalUUID TEXT, StoreID INTEGER, DisplayName TEXT, "
        "ExternalRepresentation BLOB, FirstSortSection TEXT, LastSortSection TEXT, "
        "FirstSortLanguageIndex INTEGER DEFAULT 2147483647, LastSortLanguageIndex INTEGER DEFAULT "
        "2147483647, PersonLink INTEGER DEFAULT -1, ImageURI TEXT, IsPreferredName INTEGER "
        "DEFAULT 1");
    const bool guids = m_options.ios >= 12;
    people += guids ? QStringLiteral(", guid TEXT NOT NULL DEFAULT (ab_generate_guid()), "
                                     "UNIQUE(guid));")
                    : QStringLiteral(");");
    QStringList added;
    if (m_options.ios >= 12)
        added << "PhonemeData TEXT"
              << "AlternateBirthday TEXT"
              << "MapsData TEXT"
              << "FirstPronunciation TEXT"
              << "MiddlePronunciation TEXT"
              << "LastPronunciation TEXT"
              << "OrganizationPhonetic TEXT"
              << "OrganizationPronunciation TEXT"
              << "PreviousFamilyName TEXT"
              << "PreferredLikenessSource TEXT"
              << "PreferredPersonaIdentifier TEXT"
              << "PreferredChannel TEXT";
    if (m_options.ios >= 14)
        added << "DowntimeWhitelist TEXT"
              << "ImageType TEXT"
              << "ImageHash BLOB"
              << "MemojiMetadata BLOB";
    if (m_options.ios >= 17)
        added << "Wallpaper BLOB"
              << "DisplayFlags INTEGER"
              << "WatchWallpaperImageData BLOB"
              << "WallpaperMetadata BLOB"
              << "ImageBackgroundColorsData BLOB"
              << "SensitiveContentConfiguration BLOB"
              << "WallpaperURI TEXT";
    if (m_options.ios >= 18)
        added << "ImageSyncFailedTime TEXT"
              << "WallpaperSyncFailedTime TEXT";
    // The phone's settings: a page's old cells stay when it grows.
    if (!db.Open(AddFile(Home, "Library/AddressBook/AddressBook.sqlitedb")) ||
        !db.Exec(QStringLiteral("PRAGMA secure_delete=OFF")) || !db.Exec(people) ||
        !db.Exec("CREATE TABLE ABMultiValue (UID INTEGER PRIMARY KEY, record_id INTEGER, property "
                 "INTEGER, identifier INTEGER, label INTEGER, value TEXT);"
                 "CREATE TABLE ABMultiValueLabel (value TEXT, UNIQUE(value));"
                 "CREATE TABLE ABMultiValueEntry (parent_id INTEGER, key INTEGER, value TEXT);"
                 "CREATE TABLE ABMultiValueEntryKey (value TEXT, UNIQUE(value));"
                 // The search index of iOS 10.2 on: its content table holds a
                 // column c<n><Property> for each (c16Phone, c17Email, ...).
                 "CREATE VIRTUAL TABLE ABPersonFullTextSearch USING fts4(First, Last, Middle, "
                 "FirstPhonetic, MiddlePhonetic, LastPhonetic, Organization, "
                 "OrganizationPhonetic, Department, Note, Birthday, JobTitle, Nickname, Prefix, "
                 "Suffix, DisplayName, Phone, Email, Address, SocialProfile, URL, RelatedNames, "
                 "IM, Date);"))
        return Fail(db.LastError());
    // Labels 1-4 and 5-7 (dates, related names); entry keys 1-5 address
    // parts, 6-8 accounts.
    for (const char* label : {"_$!<Mobile>!$_", "_$!<Home>!$_", "_$!<Work>!$_", "_$!<HomePage>!$_",
                              "_$!<Anniversary>!$_", "_$!<Mother>!$_", "_$!<Friend>!$_"})
        db.Insert("INSERT INTO ABMultiValueLabel (value) VALUES (?)", {QString::fromLatin1(label)});
    for (const char* key :
         {"Street", "City", "State", "ZIP", "Country", "username", "service", "url"})
        db.Insert("INSERT INTO ABMultiValueEntryKey (value) VALUES (?)",
                  {QString::fromLatin1(key)});
    const QDateTime epoch(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    // A floating date is kept at midnight UTC of its day.
    const auto dayValue = [&epoch](int year, int month, int day) {
        return static_cast<double>(
            epoch.secsTo(QDateTime(QDate(year, month, day), QTime(0, 0), Qt::UTC)));
    };
    const auto insertValue = [&db](qint64 person, int property, int label, const QVariant& value) {
        return db.Insert("INSERT INTO ABMultiValue (record_id, property, identifier, label, value) "
                         "VALUES (?, ?, 0, ?, ?)",
                         {person, property, label, value});
    };
    const auto insertEntries = [&db](qint64 parent, int firstKey, const QStringList& parts) {
        for (int k = 0; k < parts.size(); ++k)
            db.Insert("INSERT INTO ABMultiValueEntry (parent_id, key, value) VALUES (?, ?, ?)",
                      {parent, firstKey + k, parts[k]});
    };
    const int count = 300 * m_options.scale;
    // Watched, with deletions, until the person table outgrows its root page.
    bool grown = !m_deletions;
    for (int i = 0; i < count; ++i) {
        SampleBackupContent::Contact contact;
        contact.first = Pick(SampleWords::FirstNames);
        contact.last = Pick(SampleWords::LastNames);
        contact.organization = Pick(SampleWords::Companies);
        contact.note = Range(0, 3) == 0 ? Sentence() : QString();
        // Some birthdays have no year: the address book keeps those in 1604.
        contact.hasBirthday = i % 4 == 1;
        if (contact.hasBirthday)
            contact.birthday =
                dayValue(i % 8 == 1 ? 1604 : Range(1950, 2005), Range(1, 12), Range(1, 28));
        const QVariant organization =
            contact.organization.isEmpty() ? QVariant() : QVariant(contact.organization);
        if (i == count * 3 / 5 && !added.isEmpty()) {
            if (!Forget(db, SampleDeletions::EarlyPeople))
                return false;
            for (const QString& column : qAsConst(added)) {
                if (!db.Exec(QStringLiteral("ALTER TABLE ABPerson ADD COLUMN ") + column))
                    return Fail(db.LastError());
            }
        }
        // The record id the phone gives a person: a UUID and the record's kind.
        const QString guid =
            QUuid::createUuidV5(QUuid(), QStringLiteral("p%1-%2").arg(m_options.seed).arg(i))
                .toString(QUuid::WithoutBraces)
                .toUpper() +
            QStringLiteral(":ABPerson");
        std::vector<QVariant> values{
            contact.first,
            contact.last,
            organization,
            contact.note.isEmpty() ? QVariant() : QVariant(contact.note),
            contact.hasBirthday ? QVariant(QString::number(contact.birthday, 'f', 0)) : QVariant(),
            contact.organization.isEmpty() ? QVariant() : QVariant(QStringLiteral("Engineer"))};
        if (guids)
            values.push_back(guid);
        const bool leaf = !grown && SampleLeafPlaces::RootIsLeaf(db, QStringLiteral("ABPerson"));
        const qint64 id = db.Insert(
            guids ? QStringLiteral("INSERT INTO ABPerson (First, Last, Organization, Note, Kind, "
                                   "Birthday, JobTitle, guid) VALUES (?, ?, ?, ?, 0, ?, ?, ?)")
                  : QStringLiteral("INSERT INTO ABPerson (First, Last, Organization, Note, Kind, "
                                   "Birthday, JobTitle) VALUES (?, ?, ?, ?, 0, ?, ?)"),
            values);
        if (leaf && !SampleLeafPlaces::RootIsLeaf(db, QStringLiteral("ABPerson")) &&
            !Forget(db, SampleDeletions::RootPeople))
            return false;
        grown = grown || !leaf;
        const int phones = Range(1, 2);
        for (int p = 0; p < phones; ++p) {
            contact.phones.append(PhoneNumber());
            db.Insert("INSERT INTO ABMultiValue (record_id, property, identifier, label, value) "
                      "VALUES (?, 3, ?, ?, ?)",
                      {id, p, p + 1, contact.phones.last()});
        }
        for (int e = Range(0, 1) == 0 ? (i % 6 == 0 ? 2 : 1) : 0; e > 0; --e) {
            contact.emails.append(QStringLiteral("%1.%2%3.%4@%5")
                                      .arg(contact.first.toLower(), contact.last.toLower())
                                      .arg(i)
                                      .arg(e)
                                      .arg(Pick(SampleWords::Domains)));
            insertValue(id, 4, 2, contact.emails.last());
        }
        if (Range(0, 4) == 0) {
            contact.urls.append(
                QStringLiteral("https://www.%1/~%2").arg(Pick(SampleWords::Domains)).arg(i));
            insertValue(id, 22, 4, contact.urls.last());
        }
        // Contacts with one, two and three postal addresses.
        const int addresses = i % 7 == 3 ? 3 : i % 5 == 1 ? 2 : Range(0, 5) == 0 ? 1 : 0;
        for (int a = 0; a < addresses; ++a) {
            const QStringList parts = {
                QStringLiteral("%1 Mill Lane").arg(Range(1, 200)),
                a == 1 ? QStringLiteral("Eastbury") : QStringLiteral("Northwick"),
                QStringLiteral("Shire"), QStringLiteral("NW%1 2AB").arg(Range(1, 9)),
                QStringLiteral("United Kingdom")};
            insertEntries(insertValue(id, 5, 2 + a % 2, QVariant()), 1, parts);
            contact.addresses.push_back(parts);
        }
        if (i % 9 == 2) {
            contact.dates.push_back(dayValue(Range(1990, 2020), Range(1, 12), Range(1, 28)));
            insertValue(id, 12, 5, QString::number(contact.dates.back(), 'f', 0));
            contact.relatedNames << Pick(SampleWords::FirstNames) << Pick(SampleWords::FirstNames);
            insertValue(id, 23, 6, contact.relatedNames[0]);
            insertValue(id, 23, 7, contact.relatedNames[1]);
        }
        if (i % 10 == 4) {
            const QString user = contact.first.toLower() + QString::number(i);
            for (const char* service : {"Skype", "Jabber"}) {
                contact.messaging.push_back({user, QString::fromLatin1(service)});
                insertEntries(insertValue(id, 13, 2, QVariant()), 6, contact.messaging.back());
            }
            contact.socialProfiles.push_back({user, QStringLiteral("Mastodon")});
            insertEntries(insertValue(id, 46, 2, QVariant()), 6, contact.socialProfiles.back());
        }
        // The index keeps each number as typed and in its compact form,
        // space-separated, and the e-mail addresses the same way.
        QStringList numbers;
        for (const QString& phone : qAsConst(contact.phones))
            numbers << phone << QString(phone).remove(QLatin1Char(' '));
        db.Insert(
            "INSERT INTO ABPersonFullTextSearch (docid, First, Last, Organization, Note, "
            "JobTitle, Phone, Email) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
            {id, contact.first, contact.last, organization,
             contact.note.isEmpty() ? QVariant() : QVariant(contact.note),
             contact.organization.isEmpty() ? QVariant() : QVariant(QStringLiteral("Engineer")),
             numbers.join(QLatin1Char(' ')),
             contact.emails.isEmpty() ? QVariant() : QVariant(contact.emails.join(' '))});
        m_content.contacts.push_back(contact);
        // With deletions, people go once the table's last leaf is full, so
        // that some stay in its gap and a freeblock, which the people since,
        // in the log, leave as they were in the file.
        if (m_deletions && i >= count * 4 / 5 && !db.Logging() &&
            SampleLeafPlaces::LastLeafFull(db, QStringLiteral("ABPerson")) &&
            (!Forget(db, SampleDeletions::Contacts) || !db.StartLog()))
            return Fail(db.LastError());
    }
    return LogDeletions(db, SampleDeletions::Contacts, SampleDeletions::LoggedPeople,
                        QStringLiteral("contacts"), Home,
                        QStringLiteral("Library/AddressBook/AddressBook.sqlitedb"));
}

bool SampleBackupWriter::LogDeletions(SqliteWriter& db, int store, int logged,
                                      const QString& category, const QString& domain,
                                      const QString& relativePath)
{
    if (m_deletions && !db.Logging() && (!Forget(db, store) || !db.StartLog()))
        return Fail(db.LastError());
    const QString log =
        db.Logging() ? AddFile(domain, relativePath + QStringLiteral("-wal")) : QString();
    if (!Forget(db, logged) || !db.Close(log))
        return Fail(db.LastError());
    // Each place as the files hold it.
    if (m_deletions) {
        m_deletions->ConfineToFile(category, "WAL", db.Path());
        m_deletions->ConfineToFreeList(category, db.Path(), log);
    }
    return true;
}

bool SampleBackupWriter::WriteMessages()
{
    SqliteWriter db;
    // The generation's own tables, every column in its place.
    if (!db.Open(AddFile(Home, "Library/SMS/sms.db")) ||
        !db.Exec(SampleStoreSchemas::Messages(m_options.ios)))
        return Fail(db.LastError());
    // iOS 16 on: recently deleted messages, and texts kept only in attributedBody.
    const bool recent = m_options.ios >= 16;
    if (recent && !db.Exec("CREATE TABLE chat_recoverable_message_join (chat_id INTEGER "
                           "REFERENCES chat (ROWID) ON DELETE CASCADE, message_id INTEGER "
                           "REFERENCES message (ROWID) ON DELETE CASCADE, delete_date INTEGER, "
                           "ck_sync_state INTEGER DEFAULT 0, PRIMARY KEY (chat_id, message_id))"))
        return Fail(db.LastError());
    const int conversations = 40 * m_options.scale;
    const QStringList updates = SampleStoreSchemas::MessageUpdates(m_options.ios);
    const int messagesEach = 75;
    int attachmentNumber = 0;
    QSet<QString> handles;
    for (int c = 0; c < conversations; ++c) {
        SampleBackupContent::Conversation conversation;
        // Most partners are contacts, so the engine can name them; some are not.
        if (c % 5 == 4 || m_content.contacts.empty())
            conversation.handle =
                c % 2 ? PhoneNumber()
                      : QStringLiteral("someone%1@%2").arg(c).arg(Pick(SampleWords::Domains));
        else {
            const auto& contact =
                m_content.contacts[static_cast<std::size_t>(c) % m_content.contacts.size()];
            conversation.handle = contact.phones.first();
        }
        // Half the conversations in, the system update adds the message
        // table's newer columns; the messages deleted before stay shorter.
        if (c == conversations / 2 && !updates.isEmpty()) {
            if (!Forget(db, SampleDeletions::OlderMessages))
                return false;
            for (const QString& column : updates) {
                if (!db.Exec(QStringLiteral("ALTER TABLE message ADD COLUMN ") + column))
                    return Fail(db.LastError());
            }
        }
        // One conversation per partner: a number already taken gets a new one.
        while (handles.contains(conversation.handle))
            conversation.handle = PhoneNumber();
        handles.insert(conversation.handle);
        // The newest messages stay in the log, as on a phone between checkpoints.
        if (c == conversations - 1 && !db.Logging() &&
            (!Forget(db, SampleDeletions::Messages) || !db.StartLog()))
            return Fail(db.LastError());
        const qint64 handle = db.Insert("INSERT INTO handle (id, service) VALUES (?, ?)",
                                        {conversation.handle, QStringLiteral("iMessage")});
        const qint64 chat = db.Insert(
            "INSERT INTO chat (guid, style, state, chat_identifier, service_name) VALUES (?, 45, "
            "3, ?, 'iMessage')",
            {QStringLiteral("iMessage;-;%1").arg(conversation.handle), conversation.handle});
        if (handle < 0 || chat < 0)
            return Fail(db.LastError());
        db.Insert("INSERT INTO chat_handle_join (chat_id, handle_id) VALUES (?, ?)",
                  {chat, handle});
        // Conversations alternate between the older seconds and the newer nanoseconds.
        const bool nanoseconds = c % 2 == 1;
        conversation.deleted = recent && c == 2;
        double seconds = m_now - 86400.0 * Range(30, 400);
        for (int m = 0; m < messagesEach; ++m) {
            SampleBackupContent::Message message;
            seconds += Range(30, 20000);
            message.text = Sentence();
            message.sent = Range(0, 1) == 0;
            message.date = nanoseconds ? seconds * 1e9 : seconds;
            const bool archived = recent && m % 3 == 1;
            const qint64 row = db.Insert(
                "INSERT INTO message (guid, text, handle_id, service, date, is_from_me, "
                "cache_has_attachments, attributedBody) VALUES (?, ?, ?, 'iMessage', ?, ?, 0, ?)",
                // Unique per seed, as two phones' messages are.
                {QUuid::createUuidV5(QUuid(),
                                     QStringLiteral("m%1-%2-%3").arg(m_options.seed).arg(c).arg(m))
                     .toString(),
                 archived ? QVariant() : QVariant(message.text), handle,
                 static_cast<qint64>(message.date), message.sent ? 1 : 0,
                 archived ? QVariant(SampleFormats::AttributedBody(message.text)) : QVariant()});
            if (conversation.deleted)
                db.Insert("INSERT INTO chat_recoverable_message_join (chat_id, message_id, "
                          "delete_date) VALUES (?, ?, ?)",
                          {chat, row, static_cast<qint64>(m_now - 86400)});
            else if (m_options.ios >= 12)
                db.Insert("INSERT INTO chat_message_join (chat_id, message_id, message_date) "
                          "VALUES (?, ?, ?)",
                          {chat, row, static_cast<qint64>(message.date)});
            else
                db.Insert("INSERT INTO chat_message_join (chat_id, message_id) VALUES (?, ?)",
                          {chat, row});
            if (m_options.media && m % 37 == 5 && c < 20 &&
                !WriteMessageAttachment(db, row, ++attachmentNumber, seconds,
                                        conversation.attachments))
                return false;
            conversation.messages.push_back(message);
            // Single messages go once the table's last leaf is full, so that
            // some stay in its gap and a freeblock, which the messages since,
            // in the log, leave as they were in the file; the conversation so
            // far counts as written.
            if (m_deletions && c == conversations - 2 && !db.Logging() &&
                SampleLeafPlaces::LastLeafFull(db, QStringLiteral("message"))) {
                m_content.conversations.push_back(conversation);
                const bool forgotten = Forget(db, SampleDeletions::Messages);
                m_content.conversations.pop_back();
                if (!forgotten || !db.StartLog())
                    return Fail(db.LastError());
            }
        }
        m_content.conversations.push_back(conversation);
    }
    qint64 withAttachment = -1;
    if (!SampleChatless::Write(db, m_random, m_now, m_content, withAttachment))
        return Fail(db.LastError());
    // A picture sent in the deleted chat stays with its message.
    if (m_options.media &&
        !WriteMessageAttachment(db, withAttachment, ++attachmentNumber,
                                m_content.conversations.back().messages.front().date,
                                m_content.conversations.back().attachments))
        return false;
    return (Forget(db, SampleDeletions::Conversation) &&
            db.Close(AddFile(Home, "Library/SMS/sms.db-wal"))) ||
           Fail(db.LastError());
}

QList<int> SampleBackupWriter::Generations()
{
    return {7, 12, 14, 16, 18};
}

bool SampleBackupWriter::WriteMessageAttachment(SqliteWriter& db, qint64 message, int number,
                                                double seconds, QStringList& names)
{
    // Another phone's attachments are others (the default seed keeps the
    // names the samples always had).
    QString seeded = QStringLiteral("a%1").arg(number);
    if (m_options.seed != Options().seed)
        seeded += QStringLiteral("-%1").arg(m_options.seed);
    const QString guid =
        QUuid::createUuidV5(QUuid(), seeded).toString(QUuid::WithoutBraces).toUpper();
    const QString name = QStringLiteral("IMG_%1.jpeg").arg(number, 4, 10, QLatin1Char('0'));
    const QString path = QStringLiteral("Library/SMS/Attachments/%1/%2/%3/%4")
                             .arg(guid.left(2).toLower())
                             .arg(number % 100, 2, 10, QLatin1Char('0'))
                             .arg(guid, name);
    if (!WriteContent(Media, path, SamplePictures::Picture(number + 500, "JPEG")))
        return false;
    const qint64 attachment =
        // From iOS 12 on an attachment also keeps the GUID it first had.
        m_options.ios >= 12
            ? db.Insert(
                  "INSERT INTO attachment (guid, created_date, filename, mime_type, "
                  "transfer_name, original_guid) VALUES (?, ?, ?, 'image/jpeg', ?, ?)",
                  {guid, static_cast<qint64>(seconds), QStringLiteral("~/") + path, name, guid})
            : db.Insert("INSERT INTO attachment (guid, created_date, filename, mime_type, "
                        "transfer_name) VALUES (?, ?, ?, 'image/jpeg', ?)",
                        {guid, static_cast<qint64>(seconds), QStringLiteral("~/") + path, name});
    if (attachment < 0 || db.Insert("INSERT INTO message_attachment_join (message_id, "
                                    "attachment_id) VALUES (?, ?)",
                                    {message, attachment}) < 0)
        return Fail(db.LastError());
    names.append(name);
    return true;
}

bool SampleBackupWriter::WriteCalls()
{
    // Up to iOS 7 the call history is call_history.db of the wireless domain.
    const bool old = m_options.ios <= 7;
    SqliteWriter db;
    const QString domain = old ? QStringLiteral("WirelessDomain") : QString::fromLatin1(Home);
    const QString path = old ? QStringLiteral("Library/CallHistory/call_history.db")
                             : QStringLiteral("Library/CallHistoryDB/CallHistory.storedata");
    const QString file = AddFile(domain, path);
    // With deletions, calls go once the table's last leaf is full (see WriteContacts()).
    const auto late = [this, &db, old] {
        return !m_deletions || db.Logging() ||
               !SampleLeafPlaces::LastLeafFull(db, old ? QStringLiteral("call")
                                                       : QStringLiteral("ZCALLRECORD")) ||
               (Forget(db, SampleDeletions::Calls) && db.StartLog());
    };
    // The phone's settings: freed bytes, and a page's old cells, stay.
    if (!db.Open(file) || !db.Exec(QStringLiteral("PRAGMA secure_delete=OFF")) ||
        !SampleCalls::Write(
            db, m_random, m_now, m_options.scale, m_options.ios, m_content,
            [this, &db] { return Forget(db, SampleDeletions::EarlyCalls); },
            [this, &db] { return Forget(db, SampleDeletions::OlderCalls); }, late))
        return Fail(db.LastError());
    return LogDeletions(db, SampleDeletions::Calls, SampleDeletions::LoggedCalls,
                        QStringLiteral("calls"), domain, path);
}

bool SampleBackupWriter::WriteCalendar()
{
    SqliteWriter db;
    if (!db.Open(AddFile(Home, "Library/Calendar/Calendar.sqlitedb")) ||
        !db.Exec(
            "CREATE TABLE Calendar (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, title TEXT, "
            "color TEXT);"
            "CREATE TABLE Location (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, title TEXT, "
            "address TEXT, item_owner_id INTEGER);"
            "CREATE TABLE CalendarItem (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, summary TEXT, "
            "location_id INTEGER, description TEXT, start_date REAL, start_tz TEXT, end_date "
            "REAL, all_day INTEGER, calendar_id INTEGER, entity_type INTEGER, priority "
            "INTEGER, due_date REAL, due_all_day INTEGER, completion_date REAL, hidden INTEGER "
            "DEFAULT 0, unique_identifier TEXT, UUID TEXT)"))
        return Fail(db.LastError());
    const qint64 home = db.Insert("INSERT INTO Calendar (title) VALUES ('Home')", {});
    const qint64 errands = db.Insert("INSERT INTO Calendar (title) VALUES ('Errands')", {});
    const qint64 groceries = db.Insert("INSERT INTO Calendar (title) VALUES ('Groceries')", {});
    double start = m_now - 86400.0 * 90;
    for (int i = 0; i < 60 * m_options.scale; ++i) {
        SampleBackupContent::Event event;
        start += Range(3600, 200000);
        event.allDay = i % 5 == 2;
        if (event.allDay) {
            // The next midnight, so that the events stay in order of start.
            start = std::ceil(start / 86400.0) * 86400.0;
            event.start = start;
            event.end = event.start + 86400.0 * Range(1, 3) - 1;
        } else {
            event.start = start;
            event.end = start + 1800 * Range(1, 6);
        }
        event.title = QStringLiteral("%1 with %2")
                          .arg(Pick(SampleWords::Words))
                          .arg(Pick(SampleWords::FirstNames));
        event.title[0] = event.title[0].toUpper();
        event.location = Range(0, 2) ? Pick(SampleWords::Places) : QString();
        event.note = Range(0, 2) == 0 ? Sentence() : QString();
        QVariant location;
        if (!event.location.isEmpty())
            location = db.Insert("INSERT INTO Location (title) VALUES (?)", {event.location});
        const QString id = CalendarItemId(QStringLiteral("event"), i, m_options.seed);
        db.Insert("INSERT INTO CalendarItem (summary, location_id, description, start_date, "
                  "start_tz, end_date, all_day, calendar_id, entity_type, unique_identifier, "
                  "UUID) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 2, ?, ?)",
                  {event.title, location, event.note.isEmpty() ? QVariant() : QVariant(event.note),
                   event.start,
                   event.allDay ? QStringLiteral("_float") : QStringLiteral("Europe/London"),
                   event.end, event.allDay ? 1 : 0, home, id, id});
        m_content.events.push_back(event);
    }
    double due = m_now - 86400.0 * 30;
    std::vector<SampleReminderStore::Moved> moved;
    for (int i = 0; i < 40 * m_options.scale; ++i) {
        SampleBackupContent::Reminder reminder;
        due += Range(3600, 150000);
        // Some are due on a day, not at a time.
        reminder.allDay = i % 6 == 4;
        if (reminder.allDay)
            due = std::ceil(due / 86400.0) * 86400.0; // the next midnight UTC, in order
        reminder.due = due;
        reminder.title = QStringLiteral("Buy %1").arg(Pick(SampleWords::Words));
        reminder.list = i % 2 ? QStringLiteral("Errands") : QStringLiteral("Groceries");
        reminder.completed = due < m_now && Range(0, 1) == 0;
        const int priorities[] = {0, 1, 5, 9};
        reminder.priority = priorities[Range(0, 3)];
        reminder.note = Range(0, 3) == 0 ? Sentence() : QString();
        const QString id = CalendarItemId(QStringLiteral("reminder"), i, m_options.seed);
        const qint64 row = db.Insert(
            "INSERT INTO CalendarItem (summary, description, calendar_id, entity_type, priority, "
            "due_date, completion_date, due_all_day, unique_identifier, UUID) VALUES (?, ?, ?, "
            "3, ?, ?, ?, ?, ?, ?)",
            {reminder.title, reminder.note.isEmpty() ? QVariant() : QVariant(reminder.note),
             i % 2 ? errands : groceries, reminder.priority, reminder.due,
             reminder.completed ? QVariant(reminder.due + 600) : QVariant(),
             reminder.allDay ? 1 : 0, id, id});
        m_content.reminders.push_back(reminder);
        // The Reminders app moves reminders into its own store and may leave
        // them in the calendar store too (not those deleted below, nor those
        // due on a day, whose time the app's store keeps otherwise).
        if (i % 5 == 1 && !reminder.allDay && row % 9 != 6)
            moved.push_back({id, reminder});
    }
    if (!Forget(db, SampleDeletions::Calendar) || !db.Close())
        return Fail(db.LastError());
    // Newer phones keep reminders in the Reminders app's own store too.
    if (m_options.ios < 14)
        return true;
    SqliteWriter store;
    return (store.Open(AddFile(SampleReminderStore::Domain, SampleReminderStore::Path())) &&
            SampleReminderStore::Write(store, m_random, due, m_options.scale, moved, m_content,
                                       m_options.seed == Options().seed
                                           ? QString()
                                           : QStringLiteral("-%1").arg(m_options.seed)) &&
            store.Close()) ||
           Fail(store.LastError());
}

bool SampleBackupWriter::WriteNotes()
{
    SqliteWriter db;
    if (!db.Open(AddFile(Home, "Library/Notes/notes.sqlite")) ||
        !db.Exec("CREATE TABLE ZFOLDER (Z_PK INTEGER PRIMARY KEY, ZNAME VARCHAR);"
                 "CREATE TABLE ZNOTE (Z_PK INTEGER PRIMARY KEY, ZFOLDER INTEGER, ZBODY INTEGER, "
                 "ZCREATIONDATE TIMESTAMP, ZMODIFICATIONDATE TIMESTAMP, ZTITLE VARCHAR, ZSUMMARY "
                 "VARCHAR);"
                 "CREATE TABLE ZNOTEBODY (Z_PK INTEGER PRIMARY KEY, ZOWNER INTEGER, ZCONTENT "
                 "VARCHAR);"
                 "INSERT INTO ZFOLDER VALUES (1, 'Notes'), (2, 'Recipes');"))
        return Fail(db.LastError());
    double date = m_now - 86400.0 * 300;
    for (int i = 0; i < 40 * m_options.scale; ++i) {
        SampleBackupContent::Note note;
        date += Range(3600, 500000);
        note.date = date;
        note.title = QStringLiteral("Note %1: %2").arg(i + 1).arg(Pick(SampleWords::Words));
        note.body = Sentence() + QLatin1Char('\n') + Sentence();
        note.folder = i % 3 ? QStringLiteral("Notes") : QStringLiteral("Recipes");
        QString html = note.body.toHtmlEscaped();
        html.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
        const qint64 row =
            db.Insert("INSERT INTO ZNOTE (ZFOLDER, ZCREATIONDATE, ZMODIFICATIONDATE, ZTITLE, "
                      "ZSUMMARY) VALUES "
                      "(?, ?, ?, ?, ?)",
                      {i % 3 ? 1 : 2, note.date - 60, note.date, note.title, note.body.left(30)});
        db.Insert("INSERT INTO ZNOTEBODY (ZOWNER, ZCONTENT) VALUES (?, ?)",
                  {row, QStringLiteral("<div>%1</div>").arg(html)});
        m_content.notes.push_back(note);
    }
    if (!Forget(db, SampleDeletions::LegacyNotes) || !db.Close())
        return Fail(db.LastError());

    // The newer store (iOS 9 on): folders are rows of ZICCLOUDSYNCINGOBJECT
    // too, and the full text is a gzip'd protocol buffer in ZICNOTEDATA.
    SqliteWriter store;
    if (!store.Open(AddFile(NotesGroup, "NoteStore.sqlite")) ||
        !store.Exec("CREATE TABLE ZICCLOUDSYNCINGOBJECT (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, "
                    "ZMARKEDFORDELETION INTEGER, ZFOLDER INTEGER, ZFOLDERTYPE INTEGER, ZNOTEDATA "
                    "INTEGER, ZMODIFICATIONDATE1 TIMESTAMP, ZTITLE1 VARCHAR, ZSNIPPET VARCHAR, "
                    "ZTITLE2 VARCHAR, ZISPASSWORDPROTECTED INTEGER, ZIDENTIFIER VARCHAR);"
                    "CREATE TABLE ZICNOTEDATA (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, ZNOTE "
                    "INTEGER, ZDATA BLOB);"
                    "INSERT INTO ZICCLOUDSYNCINGOBJECT (Z_PK, Z_ENT, ZFOLDERTYPE, ZTITLE2) VALUES "
                    "(1, 14, 0, 'Notes'), (2, 14, 0, '工作笔记'), (3, 14, 1, 'Recently Deleted');"))
        return Fail(store.LastError());
    const QStringList folders = {QStringLiteral("Notes"), QStringLiteral("工作笔记"),
                                 QStringLiteral("Recently Deleted")};
    std::vector<SampleNoteAttachments::Note> attached;
    for (int i = 0; i < 10 * m_options.scale; ++i) {
        SampleBackupContent::Note note;
        date += Range(3600, 500000);
        note.date = date;
        note.title = QStringLiteral("Idea %1 – %2").arg(i + 1).arg(Pick(SampleWords::Words));
        // The text starts with the title line.
        note.body = note.title + QLatin1Char('\n') + Sentence() + QLatin1Char('\n') + Sentence();
        const int folder = i % 5 == 4 ? 2 : i % 3 == 1 ? 1 : 0;
        note.folder = folders[folder];
        note.newStore = true;
        const bool marked = i % 4 == 3;
        note.deleted = marked || folder == 2;
        // Some notes have no title of their own: the first line stands for it.
        const bool untitled = i % 6 == 5;
        // A locked note keeps its title in the clear and its text encrypted,
        // without a snippet.
        const bool locked = i % 7 == 2 && !untitled;
        QByteArray sealed;
        for (int b = 0; locked && b < 96; ++b)
            sealed += char(Range(0, 255));
        const qint64 data = store.Insert("INSERT INTO ZICNOTEDATA (Z_ENT, ZDATA) VALUES (9, ?)",
                                         {locked ? sealed : SampleFormats::NoteData(note.body)});
        const qint64 row = store.Insert(
            "INSERT INTO ZICCLOUDSYNCINGOBJECT (Z_ENT, ZMARKEDFORDELETION, ZFOLDER, "
            "ZNOTEDATA, ZMODIFICATIONDATE1, ZTITLE1, ZSNIPPET, ZISPASSWORDPROTECTED, ZIDENTIFIER) "
            "VALUES (12, ?, ?, ?, ?, ?, ?, ?, ?)",
            {marked ? 1 : 0, folder + 1, data, note.date,
             untitled ? QVariant() : QVariant(note.title),
             locked ? QVariant() : QVariant(note.body.section(QLatin1Char('\n'), 1, 1)),
             locked ? 1 : 0,
             // Every note has its own UUID, the name of its record in the
             // account's cloud; the same in every copy of the row.
             QUuid::createUuidV5(QUuid(), QStringLiteral("note/%1/%2").arg(m_options.seed).arg(i))
                 .toString(QUuid::WithoutBraces)
                 .toUpper()});
        if (locked)
            note.body = QStringLiteral("This note is locked.");
        attached.push_back({row, note.date});
        m_content.notes.push_back(note);
    }
    SampleNoteAttachments attachments(
        m_random, m_options.media,
        [this](const QString& domain, const QString& path, const QByteArray& data) {
            return WriteContent(domain, path, data);
        });
    if (!attachments.Write(store, attached, m_content.noteAttachments))
        return Fail(store.LastError());
    // The deletions may leave their last steps in the log.
    return (Forget(store, SampleDeletions::NoteStore) &&
            store.Close(store.Logging() ? AddFile(NotesGroup, "NoteStore.sqlite-wal")
                                        : QString())) ||
           Fail(store.LastError());
}

bool SampleBackupWriter::WriteBookmarks()
{
    SqliteWriter db;
    if (!db.Open(AddFile(Home, "Library/Safari/Bookmarks.db")) ||
        !db.Exec("CREATE TABLE bookmarks (id INTEGER PRIMARY KEY AUTOINCREMENT, special_id INTEGER "
                 "DEFAULT 0, parent INTEGER, type INTEGER, title TEXT, url TEXT, num_children "
                 "INTEGER DEFAULT 0, order_index INTEGER NOT NULL DEFAULT 0);"
                 "INSERT INTO bookmarks (special_id, parent, type, title) VALUES (0, NULL, 1, "
                 "'Root'), (1, 1, 1, 'BookmarksBar'), (0, 2, 1, 'Travel'), (0, 1, 1, 'Recipes'), "
                 "(0, 4, 1, 'Weekend');"))
        return Fail(db.LastError());
    // Folder rows 2-5 and their paths below the root.
    const QStringList paths = {QStringLiteral("BookmarksBar"),
                               QStringLiteral("BookmarksBar/Travel"), QStringLiteral("Recipes"),
                               QStringLiteral("Recipes/Weekend")};
    for (int i = 0; i < 50 * m_options.scale; ++i) {
        SampleBackupContent::Bookmark bookmark;
        bookmark.title = QStringLiteral("%1, %2 and more")
                             .arg(Pick(SampleWords::Words), Pick(SampleWords::Words));
        bookmark.url = QStringLiteral("https://%1.%2/page?id=%3")
                           .arg(Pick(SampleWords::Words))
                           .arg(Pick(SampleWords::Domains))
                           .arg(i);
        const int folder = i % 4;
        bookmark.folder = paths[folder];
        db.Insert(
            "INSERT INTO bookmarks (parent, type, title, url, order_index) VALUES (?, 0, ?, ?, ?)",
            {folder + 2, bookmark.title, bookmark.url, i});
        m_content.bookmarks.push_back(bookmark);
    }
    return (Forget(db, SampleDeletions::Bookmarks) && db.Close()) || Fail(db.LastError());
}

bool SampleBackupWriter::WritePhotos()
{
    // Up to iOS 13 the assets are ZGENERICASSET.
    const QString assets =
        m_options.ios <= 12 ? QStringLiteral("ZGENERICASSET") : QStringLiteral("ZASSET");
    SqliteWriter db;
    if (!db.Open(AddFile(CameraRoll, "Media/PhotoData/Photos.sqlite")) ||
        !db.Exec(QStringLiteral(
                     "CREATE TABLE %1 (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, ZKIND INTEGER, "
                     "ZTRASHEDSTATE INTEGER, ZDATECREATED TIMESTAMP, ZMODIFICATIONDATE TIMESTAMP, "
                     "ZTRASHEDDATE TIMESTAMP, ZDIRECTORY VARCHAR, ZFILENAME VARCHAR, "
                     "ZUNIFORMTYPEIDENTIFIER VARCHAR, ZWIDTH INTEGER, ZHEIGHT INTEGER, ZUUID "
                     "VARCHAR, ZADDITIONALATTRIBUTES INTEGER);"
                     "CREATE INDEX %1_ZADDITIONALATTRIBUTES_INDEX ON %1 (ZADDITIONALATTRIBUTES);"
                     // The file's name and size as it came to the library.
                     "CREATE TABLE ZADDITIONALASSETATTRIBUTES (Z_PK INTEGER PRIMARY KEY, Z_ENT "
                     "INTEGER, Z_OPT INTEGER, ZASSET INTEGER, ZORIGINALFILESIZE INTEGER, "
                     "ZORIGINALFILENAME VARCHAR);"
                     "CREATE INDEX ZADDITIONALASSETATTRIBUTES_ZASSET_INDEX ON "
                     "ZADDITIONALASSETATTRIBUTES (ZASSET);")
                     .arg(assets)))
        return Fail(db.LastError());
    if (!m_options.media)
        return db.Close() || Fail(db.LastError());
    const int count = 100 * m_options.scale;
    // Several days, a few pictures an hour apart on each.
    double date = m_now - 86400.0 * 12;
    for (int i = 0; i < count; ++i) {
        if (i % 9 == 0)
            date += 86400.0;
        date += 3600.0 + Range(0, 600);
        SampleBackupContent::Photo photo;
        photo.directory = QStringLiteral("DCIM/%1APPLE").arg(100 + i / 1000);
        photo.date = date;
        photo.trashed = i % 10 == 7;
        QByteArray data;
        QString uti = QStringLiteral("public.jpeg");
        if (i % 3 == 2) {
            data = SamplePictures::Heic(i);
            uti = QStringLiteral("public.heic");
        }
        QString suffix = QStringLiteral("HEIC");
        if (data.isEmpty()) {
            if (i % 25 == 24) {
                data = SamplePictures::Picture(i, "PNG");
                suffix = QStringLiteral("PNG");
                uti = QStringLiteral("public.png");
            } else {
                data = SamplePictures::Picture(i, "JPEG");
                suffix = QStringLiteral("JPG");
                uti = QStringLiteral("public.jpeg");
            }
        }
        photo.name = QStringLiteral("IMG_%1.%2").arg(1000 + i, 4, 10, QLatin1Char('0')).arg(suffix);
        if (!WriteContent(CameraRoll,
                          QStringLiteral("Media/%1/%2").arg(photo.directory, photo.name), data))
            return false;
        const qint64 asset = db.Insert(
            QStringLiteral("INSERT INTO %1 (Z_ENT, ZKIND, ZTRASHEDSTATE, ZDATECREATED, "
                           "ZMODIFICATIONDATE, ZTRASHEDDATE, ZDIRECTORY, ZFILENAME, "
                           "ZUNIFORMTYPEIDENTIFIER, ZWIDTH, ZHEIGHT, ZUUID) VALUES (33, 0, ?, ?, "
                           "?, ?, ?, ?, ?, 320, 240, ?)")
                .arg(assets),
            {photo.trashed ? 1 : 0, photo.date, photo.date,
             photo.trashed ? QVariant(m_now - 86400.0) : QVariant(), photo.directory, photo.name,
             uti, Identity(QStringLiteral("asset %1 %2").arg(photo.name).arg(photo.date, 0, 'f'))});
        const qint64 attributes = db.Insert(
            "INSERT INTO ZADDITIONALASSETATTRIBUTES (Z_ENT, Z_OPT, ZASSET, ZORIGINALFILESIZE, "
            "ZORIGINALFILENAME) VALUES (1, 1, ?, ?, ?)",
            {asset, qint64(data.size()), photo.name});
        if (asset < 0 || attributes < 0 ||
            !db.Exec(QStringLiteral("UPDATE %1 SET ZADDITIONALATTRIBUTES = %2 WHERE Z_PK = %3")
                         .arg(assets)
                         .arg(attributes)
                         .arg(asset)))
            return Fail(db.LastError());
        m_content.photos.push_back(photo);
    }
    return db.Close() || Fail(db.LastError());
}

bool SampleBackupWriter::WriteVoiceMemos()
{
    // From iOS 14 on the recordings are listed in CloudRecordings.db.
    const bool cloud = m_options.ios >= 14;
    const QString table = cloud ? QStringLiteral("ZCLOUDRECORDING") : QStringLiteral("ZRECORDING");
    SqliteWriter db;
    if (!db.Open(AddFile(Media, cloud ? "Media/Recordings/CloudRecordings.db"
                                      : "Media/Recordings/Recordings.db")) ||
        !db.Exec(QStringLiteral("CREATE TABLE %1 (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, ZDATE "
                                "TIMESTAMP, ZDURATION FLOAT, ZCUSTOMLABEL VARCHAR, ZPATH VARCHAR, "
                                "ZUNIQUEID VARCHAR)")
                     .arg(table)))
        return Fail(db.LastError());
    if (!m_options.media)
        return db.Close() || Fail(db.LastError());
    double date = m_now - 86400.0 * 40;
    for (int i = 0; i < 8 * m_options.scale; ++i) {
        SampleBackupContent::Memo memo;
        date += Range(20000, 400000);
        memo.date = date;
        memo.duration = Range(3, 600) + 0.4;
        memo.path = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(date) + 978307200, Qt::UTC)
                        .toString(QStringLiteral("yyyyMMdd HHmmss")) +
                    QStringLiteral("-%1.m4a").arg(i);
        memo.label = i % 2 ? QStringLiteral("Memo %1 – %2").arg(i + 1).arg(Pick(SampleWords::Words))
                           : QString();
        // A small MPEG-4 audio header followed by silence is enough for a copy.
        QByteArray data("\x00\x00\x00\x18"
                        "ftypM4A \x00\x00\x00\x00"
                        "M4A isom",
                        24);
        data.append(QByteArray(2048 + i * 16, '\0'));
        if (!WriteContent(Media, QStringLiteral("Media/Recordings/") + memo.path, data))
            return false;
        db.Insert(QStringLiteral("INSERT INTO %1 (Z_ENT, ZDATE, ZDURATION, ZCUSTOMLABEL, ZPATH, "
                                 "ZUNIQUEID) VALUES (1, ?, ?, ?, ?, ?)")
                      .arg(table),
                  {memo.date, memo.duration,
                   memo.label.isEmpty() ? QVariant() : QVariant(memo.label), memo.path,
                   Identity(QStringLiteral("recording %1").arg(memo.path))});
        m_content.memos.push_back(memo);
    }
    return db.Close() || Fail(db.LastError());
}

bool SampleBackupWriter::WriteWeChat()
{
    SampleWeChatWriter writer(
        m_random, m_options.scale, m_options.media, qint64(m_now) + 978307200,
        [this](const QString& domain, const QString& path) { return AddFile(domain, path); },
        [this](const QString& domain, const QString& path, const QByteArray& data) {
            return WriteContent(domain, path, data);
        });
    return writer.Write(m_content.weChatAccounts) || Fail(writer.ErrorText());
}

bool SampleBackupWriter::WriteWhatsApp()
{
    // The business app keeps the same store in its own shared container.
    const QString domain =
        QString::fromLatin1(m_options.whatsAppBusiness ? WhatsAppBusiness : WhatsApp);
    SqliteWriter db;
    if (!db.Open(AddFile(domain, "ChatStorage.sqlite")) ||
        !db.Exec("CREATE TABLE ZWACHATSESSION (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, "
                 "ZSESSIONTYPE INTEGER, ZLASTMESSAGEDATE TIMESTAMP, ZCONTACTJID VARCHAR, "
                 "ZPARTNERNAME VARCHAR);"
                 "CREATE TABLE ZWAMESSAGE (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, ZISFROMME "
                 "INTEGER, ZCHATSESSION INTEGER, ZGROUPMEMBER INTEGER, ZMEDIAITEM INTEGER, "
                 "ZMESSAGEDATE TIMESTAMP, ZFROMJID VARCHAR, ZTOJID VARCHAR, ZPUSHNAME VARCHAR, "
                 "ZTEXT VARCHAR);"
                 "CREATE TABLE ZWAMEDIAITEM (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, ZMESSAGE "
                 "INTEGER, ZFILESIZE INTEGER, ZMEDIALOCALPATH VARCHAR, ZTITLE VARCHAR);"
                 "CREATE TABLE ZWAGROUPMEMBER (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, "
                 "ZCHATSESSION INTEGER, ZCONTACTNAME VARCHAR, ZFIRSTNAME VARCHAR, ZMEMBERJID "
                 "VARCHAR);"
                 "CREATE TABLE ZWAPROFILEPUSHNAME (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, ZJID "
                 "VARCHAR, ZPUSHNAME VARCHAR);"))
        return Fail(db.LastError());
    int media = 0;
    for (int c = 0; c < 10 * m_options.scale; ++c) {
        SampleBackupContent::Chat chat;
        // Every fourth chat is a group (…@g.us, session type 1); chat 2 is a
        // person known by an @lid identifier only.
        const bool group = c % 4 == 1;
        if (group) {
            chat.jid = QStringLiteral("4477009%1-16%2@g.us").arg(10000 + c).arg(c);
            chat.partner = QStringLiteral("%1 club").arg(Pick(SampleWords::Words));
        } else if (c == 2) {
            chat.jid = QStringLiteral("2%1318@lid").arg(70000 + c);
            chat.partner = Pick(SampleWords::FirstNames);
        } else {
            chat.jid = QStringLiteral("4477009%1@s.whatsapp.net").arg(10000 + c);
            chat.phone = QLatin1Char('+') + chat.jid.section(QLatin1Char('@'), 0, 0);
            chat.partner =
                Pick(SampleWords::FirstNames) + QLatin1Char(' ') + Pick(SampleWords::LastNames);
        }
        double date = m_now - 86400.0 * Range(10, 200);
        const qint64 session = db.Insert(
            "INSERT INTO ZWACHATSESSION (Z_ENT, ZSESSIONTYPE, ZLASTMESSAGEDATE, ZCONTACTJID, "
            "ZPARTNERNAME) VALUES (4, ?, ?, ?, ?)",
            {group ? 1 : 0, date, chat.jid, chat.partner});
        // A group's members: one saved as a contact, one with only the name
        // it pushes (an @lid member), one with nothing but its number, and
        // one who left, whose member row is gone while its messages keep the
        // name it pushed.
        struct Member
        {
            qint64 row;
            QString jid, shown, pushed;
        };
        std::vector<Member> members;
        if (group) {
            const QString named =
                Pick(SampleWords::FirstNames) + QLatin1Char(' ') + Pick(SampleWords::LastNames);
            const QString pushed = Pick(SampleWords::FirstNames);
            const QString number = QStringLiteral("4479001%1").arg(20000 + c);
            const QString lid = QStringLiteral("1%1555@lid").arg(80000 + c);
            const QString gone = Pick(SampleWords::FirstNames) + QStringLiteral(" (left)");
            // The one who left first: its row is not the last, so no later
            // member takes its key (Core Data never reuses one).
            members.push_back({0, number + QStringLiteral("3@s.whatsapp.net"), gone, gone});
            members.push_back({0, number + QStringLiteral("1@s.whatsapp.net"), named, QString()});
            members.push_back({0, lid, pushed, pushed});
            members.push_back({0, number + QStringLiteral("2@s.whatsapp.net"),
                               QLatin1Char('+') + number + QLatin1Char('2'), QString()});
            for (std::size_t k = 0; k < members.size(); ++k)
                members[k].row = db.Insert(
                    "INSERT INTO ZWAGROUPMEMBER (Z_ENT, ZCHATSESSION, ZCONTACTNAME, ZMEMBERJID) "
                    "VALUES (7, ?, ?, ?)",
                    {session, k == 1 ? QVariant(named) : QVariant(), members[k].jid});
            if (!db.Exec(QStringLiteral("DELETE FROM ZWAGROUPMEMBER WHERE Z_PK = %1")
                             .arg(members.front().row)))
                return Fail(db.LastError());
            db.Insert("INSERT INTO ZWAPROFILEPUSHNAME (Z_ENT, ZJID, ZPUSHNAME) VALUES (10, ?, ?)",
                      {lid, pushed});
        }
        for (int m = 0; m < 50; ++m) {
            SampleBackupContent::Message message;
            date += Range(60, 30000);
            message.date = date;
            message.sent = Range(0, 1) == 0;
            message.text = Sentence();
            QVariant member, pushName;
            // A message received in a group comes from the group's JID; its
            // writer is the member it links and the name it carries.
            const QString from = chat.jid;
            if (message.sent) {
                message.sender = QStringLiteral("Me");
            } else if (group) {
                const Member& writer = members[static_cast<std::size_t>(m) % members.size()];
                member = writer.row;
                if (!writer.pushed.isEmpty())
                    pushName = writer.pushed;
                message.sender = writer.shown;
            } else {
                message.sender = chat.partner;
            }
            const qint64 row =
                db.Insert("INSERT INTO ZWAMESSAGE (Z_ENT, ZISFROMME, ZCHATSESSION, ZGROUPMEMBER, "
                          "ZMESSAGEDATE, ZFROMJID, ZTOJID, ZPUSHNAME, ZTEXT) VALUES (9, ?, ?, ?, "
                          "?, ?, ?, ?, ?)",
                          {message.sent ? 1 : 0, session, member, message.date,
                           message.sent ? QVariant() : QVariant(from),
                           message.sent ? QVariant(chat.jid) : QVariant(), pushName, message.text});
            if (m_options.media && m == 20 + c % 5) {
                ++media;
                const QString name = QStringLiteral("%1.jpg").arg(
                    QUuid::createUuidV5(QUuid(), QStringLiteral("w%1").arg(media))
                        .toString(QUuid::WithoutBraces));
                const QString local = QStringLiteral("Media/%1/%2/%3/%4")
                                          .arg(chat.jid)
                                          .arg(name.at(0))
                                          .arg(name.at(1))
                                          .arg(name);
                if (!WriteContent(domain, QStringLiteral("Message/") + local,
                                  SamplePictures::Picture(media + 800, "JPEG")))
                    return false;
                const qint64 item = db.Insert(
                    "INSERT INTO ZWAMEDIAITEM (Z_ENT, ZMESSAGE, ZMEDIALOCALPATH) VALUES (8, ?, ?)",
                    {row, local});
                db.Insert("UPDATE ZWAMESSAGE SET ZMEDIAITEM = ? WHERE Z_PK = ?", {item, row});
                chat.media.append(name);
            }
            chat.messages.push_back(message);
        }
        m_content.chats.push_back(chat);
    }
    return (Forget(db, SampleDeletions::WhatsApp) && db.Close()) || Fail(db.LastError());
}
