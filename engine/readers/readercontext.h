#ifndef READERCONTEXT_H
#define READERCONTEXT_H

#include "leftovers.h"
#include "localclock.h"

#include <QElapsedTimer>
#include <QHash>
#include <QLoggingCategory>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

#include "sqlitedb.h"

class BackupManifest;
class EngineItem;
class EngineRecord;
class ThumbnailMaker;

// The engine's log channel, as the readers write to it.
Q_DECLARE_LOGGING_CATEGORY(lcReaders)

// What the readers of one scan share: the opened backup (borrowed), the
// private folder for working copies, the progress callback, the error of the
// read and the address book's names, loaded on first use. Made by the
// CategoryReader of a scan and used on that scan's thread only.
class ReaderContext
{
public:
    using Progress = std::function<bool(int percent)>;
    using Items = std::vector<std::unique_ptr<EngineItem>>;
    enum OpenResult { OPEN_OK, OPEN_ABSENT, OPEN_FAILED };

    // Where each category's store lies in the backup.
    static const char* const HomeDomain;
    static const char* const CameraRollDomain;
    static const char* const MediaDomain;
    static const char* const WirelessDomain;
    static const char* const WhatsAppDomain;
    static const char* const WhatsAppBusinessDomain;
    static const char* const NotesDomain;

    ReaderContext(BackupManifest& manifest, const QString& workFolder, Progress progress);
    ~ReaderContext();
    ReaderContext(const ReaderContext&) = delete;
    ReaderContext& operator=(const ReaderContext&) = delete;

    BackupManifest& Manifest() { return m_manifest; }
    // The local time zone of this scan, taken when the context was made.
    const LocalClock& Clock() const { return m_clock; }
    // The local text of a stored time column, as records keep it; null for
    // NULL or no usable time.
    QByteArray DateText(const SqliteDb::Row& row, int column) const;
    LocalClock::Stamp DateStamp(const SqliteDb::Row& row, int column) const;
    // Opens a database of the backup with its log, if the backup has one.
    // OPEN_ABSENT when the backup does not list it; OPEN_FAILED sets the error.
    // The plaintext of an encrypted backup's database is read in memory when
    // both files fit there (see EncryptedBackup::MemoryLimit()).
    OpenResult OpenDatabase(const QString& domain, const QString& path, SqliteDb& db);
    // Off: every database is read from a file (a merge attaches them by path).
    void SetInMemory(bool on) { m_inMemory = on; }
    bool InMemory() const { return m_inMemory; }
    // Reports progress every few records; false once the read is to stop.
    bool Tick(qint64 done, qint64 total);
    // Reports `percent` of the part of the read under way; false once it is to stop.
    bool Report(int percent);
    // Cheap enough for every row or page: reports the last percentage again
    // when nothing was reported for a few ms, so that a stop asked for in the
    // middle of a long step (a query, a copy, carving) is answered at once.
    // False once the read is to stop.
    bool KeepAlive();
    // The part of the whole read (0-100) that the next reports fill.
    void SetProgressPart(int from, int to);
    // While set, the database (domain, path) is read from `file` (the rows
    // it lost, see DeletedRows) and every other database reads as absent,
    // but for the address book's names.
    void Redirect(const QString& domain, const QString& path, const QString& file);
    void EndRedirect() { m_redirectFile.clear(); }
    QString WorkFolder() const { return m_workFolder; }
    bool Stopped() const { return m_stopped; }
    // Records (and attachments) left out because their content file is
    // missing from the backup or refused (see BackupManifest::RefusedCount()).
    void Skip(int count = 1) { m_skipped += count; }
    // Says, after a category's read, what a damaged Manifest.db hid from it:
    // the rows its listings passed over for their damaged flags, each
    // database it looked for in vain that the index holds under a damaged
    // domain or path, and, when `foundNothing`, the damaged rows of
    // the index (see BackupManifest::DamagedRows()). Each is logged and
    // counted as skipped.
    void ReportIndexDamage(bool foundNothing);
    int SkippedCount() const { return m_skipped; }
    // Where pictures go for their thumbnails while they are read (borrowed;
    // null: the store makes its own).
    void SetThumbnailMaker(ThumbnailMaker* maker) { m_thumbnails = maker; }
    ThumbnailMaker* Thumbnails() const { return m_thumbnails; }
    // Where a stopped read leaves what it built (borrowed; null: freed here).
    void SetLeftovers(Leftovers* leftovers) { m_leftovers = leftovers; }
    // Once the read is to stop, moves `partial` (rows read so far, lookups)
    // to the leftovers instead of freeing it on the way out: the stop is
    // answered without that wait. Else it stays where it is.
    template <class T> void Leave(T& partial)
    {
        if (m_stopped && m_leftovers)
            m_leftovers->Keep(std::move(partial));
    }
    // Sets the error of the read and answers false.
    bool Fail(const QString& error);
    QString ErrorText() const { return m_error; }
    // The address book's full name for a phone number or e-mail address.
    QString ContactNameOf(const QString& address);
    // The addresses a reader will ask names of, said before the first ask:
    // only their people's names are built, and any other address has none.
    void NameOnly(const QStringList& addresses);

    static std::unique_ptr<EngineItem> MakeItem(std::unique_ptr<EngineRecord> record,
                                                bool deleted = false);
    // The last nine digits of a number, or a lower-case e-mail address.
    static QString AddressKey(const QString& address);
    // A length of time as "hh:mm:ss"; a negative one as zero.
    static QString DurationText(qint64 seconds);

private:
    void LoadContactNames();
    // The people with a said address and their names, for LoadContactNames;
    // `addresses` is the FROM clause listing every address with its person.
    void LoadSaidNames(SqliteDb& db, const QString& addresses, const QString& nameExpression);
    // Counts, once per database, a log the backup lists but cannot give.
    void NoteLostLog(const QString& key, const QString& walPath);

    BackupManifest& m_manifest;
    QString m_workFolder;
    Progress m_progress;
    QElapsedTimer m_sinceReport;
    int m_lastPercent = 0; // of the whole read
    int m_partFrom = 0;
    int m_partTo = 100;
    QString m_redirectDomain, m_redirectPath, m_redirectFile;
    bool m_loadingNames = false;
    bool m_inMemory = true;
    // Working copies of databases with a log, kept for the scan so that a
    // second look (the deleted rows) does not copy them again.
    QHash<QString, QString> m_copyOf; // "domain/path" -> copy
    QStringList m_copies;             // removed with the context
    QSet<QString> m_lostLogs;         // "domain/path" whose listed log was missing, counted once
    QList<QPair<QString, QString>> m_absent; // (domain, path) the index does not list
    LocalClock m_clock;
    QString m_error;
    bool m_stopped = false;
    int m_skipped = 0;
    ThumbnailMaker* m_thumbnails = nullptr;
    Leftovers* m_leftovers = nullptr;
    bool m_namesLoaded = false;
    bool m_namesSaid = false;               // only m_saidKeys are named
    QSet<QString> m_saidKeys;               // AddressKey()s of NameOnly()
    QHash<QString, QString> m_contactNames; // AddressKey() -> full name
};

#endif // READERCONTEXT_H
