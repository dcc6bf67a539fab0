#include "readercontext.h"

#include "backupmanifest.h"
#include "engineitem.h"
#include "enginerecord.h"
#include "schemaprobe.h"
#include "sqlitedb.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

const char* const ReaderContext::HomeDomain = "HomeDomain";
const char* const ReaderContext::CameraRollDomain = "CameraRollDomain";
const char* const ReaderContext::MediaDomain = "MediaDomain";
const char* const ReaderContext::WirelessDomain = "WirelessDomain";
const char* const ReaderContext::WhatsAppDomain =
    "AppDomainGroup-group.net.whatsapp.WhatsApp.shared";
const char* const ReaderContext::WhatsAppBusinessDomain =
    "AppDomainGroup-group.net.whatsapp.WhatsAppSMB.shared";
const char* const ReaderContext::NotesDomain = "AppDomainGroup-group.com.apple.notes";

Q_LOGGING_CATEGORY(lcReaders, "mmobileengine")

namespace {
constexpr int TickEvery = 256;
// The longest a read goes without asking whether it is to stop.
constexpr qint64 KeepAliveMs = 10;
} // namespace

ReaderContext::ReaderContext(BackupManifest& manifest, const QString& workFolder, Progress progress)
    : m_manifest(manifest), m_workFolder(workFolder), m_progress(std::move(progress))
{
}

ReaderContext::~ReaderContext()
{
    for (const QString& file : qAsConst(m_copies))
        QFile::remove(file);
    // The address book's names of a large book take long to free.
    Leave(m_contactNames);
}

ReaderContext::OpenResult ReaderContext::OpenDatabase(const QString& domain, const QString& path,
                                                      SqliteDb& db)
{
    // A long query or copy of the backup's database answers a stop at once.
    db.SetGoOn([this] { return KeepAlive(); });
    if (!m_redirectFile.isEmpty() && !m_loadingNames) {
        if (domain != m_redirectDomain || path != m_redirectPath)
            return OPEN_ABSENT;
        if (!db.Open(m_redirectFile)) {
            Fail(QStringLiteral("the deleted rows of %1 cannot be read: %2")
                     .arg(path, db.LastError()));
            return OPEN_FAILED;
        }
        return OPEN_OK;
    }
    const QString key = domain + QLatin1Char('/') + path;
    const QString copy = m_copyOf.value(key);
    if (!copy.isEmpty() && db.Open(copy, copy + QStringLiteral("-wal"), m_workFolder))
        return OPEN_OK;
    if (!m_manifest.Lists(domain, path)) {
        // A manifest that cannot be searched says nothing about absence.
        if (!m_manifest.IsDamaged()) {
            if (!m_absent.contains(qMakePair(domain, path)))
                m_absent.append(qMakePair(domain, path));
            return OPEN_ABSENT;
        }
        Fail(QStringLiteral("Manifest.db cannot be searched for %1").arg(path));
        return OPEN_FAILED;
    }
    // The log is its own entry of the backup; its committed pages hold the
    // newest records.
    const QString walPath = path + QStringLiteral("-wal");
    QByteArray image;
    if (m_inMemory && !m_manifest.FetchFile(domain, path, &image).isEmpty() && !image.isNull()) {
        QByteArray walImage;
        const bool listedLog = m_manifest.Lists(domain, walPath);
        const QString walFile =
            listedLog ? m_manifest.FetchFile(domain, walPath, &walImage) : QString();
        // A log too large for memory: both are read from files, below.
        if (walFile.isEmpty() || !walImage.isNull()) {
            if (listedLog && walFile.isEmpty())
                NoteLostLog(key, walPath);
            if (db.OpenImage(path, image, walImage))
                return OPEN_OK;
            Fail(QStringLiteral("%1 cannot be read: %2").arg(path, db.LastError()));
            return OPEN_FAILED;
        }
    }
    const QString file = m_manifest.FetchFile(domain, path);
    if (file.isEmpty()) {
        Fail(QStringLiteral("%1 is listed in the backup but its content is missing or cannot be "
                            "decrypted")
                 .arg(path));
        return OPEN_FAILED;
    }
    const QString wal = m_manifest.FetchFile(domain, walPath);
    if (wal.isEmpty() && m_manifest.Lists(domain, walPath))
        NoteLostLog(key, walPath);
    if (!db.Open(file, wal, m_workFolder)) {
        Fail(QStringLiteral("%1 cannot be read: %2").arg(path, db.LastError()));
        return OPEN_FAILED;
    }
    if (!db.LogPath().isEmpty()) {
        m_copies << db.TakeCopies();
        m_copyOf.insert(key, db.ReadPath());
    }
    return OPEN_OK;
}

void ReaderContext::ReportIndexDamage(bool foundNothing)
{
    bool hidden = false;
    if (const int passedOver = m_manifest.TakePassedOver()) {
        qCWarning(lcReaders).noquote()
            << QStringLiteral("%1 row(s) of Manifest.db with damaged flags were passed over; "
                              "their files are missing")
                   .arg(passedOver);
        Skip(passedOver);
        hidden = true;
    }
    for (const auto& absent : qAsConst(m_absent)) {
        if (!m_manifest.HoldsFileId(BackupManifest::FileIdOf(absent.first, absent.second)))
            continue;
        qCWarning(lcReaders).noquote()
            << absent.second << "is in Manifest.db under a damaged domain or path; its records "
            << "are missing";
        Skip();
        hidden = true;
    }
    if (!foundNothing || hidden)
        return;
    const int damaged = m_manifest.DamagedRows();
    if (damaged == 0)
        return;
    qCWarning(lcReaders).noquote()
        << QStringLiteral("none of the category's files was found, and %1 row(s) of "
                          "Manifest.db are damaged (domains, paths or flags that do not match "
                          "their file IDs)")
               .arg(damaged);
    Skip(damaged);
}

void ReaderContext::NoteLostLog(const QString& key, const QString& walPath)
{
    // A database opened again (for its deleted rows) loses its log once.
    if (m_lostLogs.contains(key))
        return;
    m_lostLogs.insert(key);
    // Listed but missing or refused: whatever it committed is lost, and the
    // scan says so instead of reading as complete.
    qCWarning(lcReaders).noquote() << walPath
                                   << "is listed but its content is missing or refused; its "
                                      "newest records are lost";
    Skip();
}

QByteArray ReaderContext::DateText(const SqliteDb::Row& row, int column) const
{
    return row.IsNull(column) ? QByteArray() : m_clock.Utf8Text(row.Real(column));
}

LocalClock::Stamp ReaderContext::DateStamp(const SqliteDb::Row& row, int column) const
{
    return row.IsNull(column) ? LocalClock::Stamp() : m_clock.Utf8Stamp(row.Real(column));
}

bool ReaderContext::Tick(qint64 done, qint64 total)
{
    if (m_stopped)
        return false;
    if (done % TickEvery != 0)
        return done % 16 != 0 || KeepAlive();
    return Report(total > 0
                      ? static_cast<int>(qBound(qint64(0), qint64(done * 100 / total), qint64(100)))
                      : 0);
}

bool ReaderContext::Report(int percent)
{
    if (m_stopped)
        return false;
    m_lastPercent = m_partFrom + percent * (m_partTo - m_partFrom) / 100;
    m_sinceReport.start();
    if (m_progress && !m_progress(m_lastPercent)) {
        m_stopped = true;
        return false;
    }
    return true;
}

bool ReaderContext::KeepAlive()
{
    if (m_stopped)
        return false;
    if (m_sinceReport.isValid() && m_sinceReport.elapsed() < KeepAliveMs)
        return true;
    m_sinceReport.start();
    if (m_progress && !m_progress(m_lastPercent)) {
        m_stopped = true;
        return false;
    }
    return true;
}

void ReaderContext::SetProgressPart(int from, int to)
{
    m_partFrom = from;
    m_partTo = to;
}

void ReaderContext::Redirect(const QString& domain, const QString& path, const QString& file)
{
    m_redirectDomain = domain;
    m_redirectPath = path;
    m_redirectFile = file;
}

bool ReaderContext::Fail(const QString& error)
{
    m_error = error;
    return false;
}

QString ReaderContext::AddressKey(const QString& address)
{
    if (address.contains(QLatin1Char('@')))
        return address.trimmed().toLower();
    // The last nine digits identify a number with or without its country
    // code: gathered from the end, so that only those are kept.
    QChar digits[9];
    int found = 0;
    for (int i = address.size() - 1; i >= 0 && found < 9; --i) {
        if (address[i].isDigit())
            digits[8 - found++] = address[i];
    }
    return QString(digits + 9 - found, found);
}

QString ReaderContext::ContactNameOf(const QString& address)
{
    if (!m_namesLoaded)
        LoadContactNames();
    return m_contactNames.value(AddressKey(address));
}

void ReaderContext::NameOnly(const QStringList& addresses)
{
    if (m_namesLoaded)
        return;
    m_namesSaid = true;
    m_saidKeys.clear();
    for (const QString& address : addresses) {
        const QString key = AddressKey(address);
        if (!key.isEmpty())
            m_saidKeys.insert(key);
    }
}

void ReaderContext::LoadContactNames()
{
    m_namesLoaded = true;
    if (m_namesSaid && m_saidKeys.isEmpty())
        return;
    SqliteDb db;
    const QString error = m_error;
    m_loadingNames = true;
    const OpenResult open =
        OpenDatabase(QString::fromLatin1(HomeDomain),
                     QStringLiteral("Library/AddressBook/AddressBook.sqlitedb"), db);
    m_loadingNames = false;
    if (open != OPEN_OK) {
        // Names are a help, not the category: its read goes on without them.
        m_error = error;
        return;
    }
    // Any of the name columns may be missing; the others still name the person.
    SchemaProbe schema(db, QStringLiteral("AddressBook.sqlitedb"));
    const QString person = QStringLiteral("ABPerson");
    const QString name =
        QStringLiteral("trim(ifnull(%1, '') || ' ' || ifnull(%2, '') || ' ' || "
                       "ifnull(%3, ''))")
            .arg(schema.Column(person, QStringLiteral("p"), QStringLiteral("First")),
                 schema.Column(person, QStringLiteral("p"), QStringLiteral("Middle")),
                 schema.Column(person, QStringLiteral("p"), QStringLiteral("Last")));
    // Phone numbers and e-mail addresses with their people, in the order
    // both loads take the first person of an address in.
    const QString addresses = QStringLiteral("FROM ABMultiValue mv JOIN ABPerson p ON p.ROWID = "
                                             "mv.record_id WHERE mv.property IN (3, 4)");
    if (m_namesSaid) {
        LoadSaidNames(db, addresses, name);
        return;
    }
    db.Query(QStringLiteral("SELECT %1, mv.value %2").arg(name, addresses),
             [this](const SqliteDb::Row& row) {
                 // The first person with an address names it: later ones are
                 // not even read.
                 const QString key = AddressKey(row.String(1));
                 if (key.isEmpty() || m_contactNames.contains(key))
                     return true;
                 const QString name = row.String(0).simplified();
                 if (!name.isEmpty())
                     m_contactNames.insert(key, name);
                 return true;
             });
}

void ReaderContext::LoadSaidNames(SqliteDb& db, const QString& addresses,
                                  const QString& nameExpression)
{
    // Every address is looked at, in the order the whole book would name
    // them, but only the people of a said one are named: a phone's book
    // holds far more people than its messages or calls reach.
    std::vector<std::pair<QString, qint64>> candidates; // (key, person) in the book's order
    QJsonArray people;
    QSet<qint64> asked;
    const bool ok = db.Query(QStringLiteral("SELECT p.ROWID, mv.value %1").arg(addresses),
                             [&](const SqliteDb::Row& row) {
                                 const QString key = AddressKey(row.String(1));
                                 if (!m_saidKeys.contains(key))
                                     return true;
                                 candidates.emplace_back(key, row.Int(0));
                                 if (!asked.contains(row.Int(0))) {
                                     asked.insert(row.Int(0));
                                     people.append(row.Int(0));
                                 }
                                 return true;
                             });
    if (!ok || candidates.empty())
        return;
    QHash<qint64, QString> names;
    if (!db.Query(QStringLiteral("SELECT p.ROWID, %1 FROM ABPerson p WHERE p.ROWID IN (SELECT "
                                 "value FROM json_each(?))")
                      .arg(nameExpression),
                  {QString::fromUtf8(QJsonDocument(people).toJson(QJsonDocument::Compact))},
                  [&names](const SqliteDb::Row& row) {
                      const QString name = row.String(1).simplified();
                      if (!name.isEmpty())
                          names.insert(row.Int(0), name);
                      return true;
                  }))
        return;
    // As in the whole book: the first person with a name names the address.
    for (const auto& [key, id] : candidates) {
        const auto found = names.constFind(id);
        if (found != names.constEnd() && !m_contactNames.contains(key))
            m_contactNames.insert(key, found.value());
    }
}

std::unique_ptr<EngineItem> ReaderContext::MakeItem(std::unique_ptr<EngineRecord> record,
                                                    bool deleted)
{
    return std::make_unique<EngineItem>(std::move(record), deleted);
}

QString ReaderContext::DurationText(qint64 seconds)
{
    if (seconds < 0)
        seconds = 0;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
