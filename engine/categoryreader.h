#ifndef CATEGORYREADER_H
#define CATEGORYREADER_H

#include "contracts/mmobiletypes.h"

#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class BackupManifest;
class EngineItem;
class SqliteDb;

// Reads the records of one category from the databases of an opened backup
// into new items, in a fixed order (the database's own order of rows, by
// date where the category is a time line). Used by one scan task on its own
// thread; the manifest is borrowed.
//
// A category whose database the backup does not list reads as no items. A
// database that is listed but whose content is missing, that is not a
// readable database or that lacks a table the category needs fails the read
// (ErrorText() tells why).
class CategoryReader
{
public:
    // Called now and then with the part read so far (0-100); false stops the read.
    using Progress = std::function<bool(int percent)>;
    using Items = std::vector<std::unique_ptr<EngineItem>>;

    CategoryReader(BackupManifest& manifest, MMobile::MDType type, Progress progress);
    ~CategoryReader();

    // False when the category's data cannot be read; a stopped read answers
    // true with Stopped() set and whatever it had read.
    bool Read(Items& items);
    bool Stopped() const { return m_stopped; }
    QString ErrorText() const { return m_error; }
    // Records (and attachments) left out because their content file is
    // missing from the backup or refused (see BackupManifest::RefusedCount()).
    int SkippedCount() const { return m_skipped; }

    // Where each category's store lies in the backup.
    static const char* const HomeDomain;
    static const char* const CameraRollDomain;
    static const char* const MediaDomain;
    static const char* const WhatsAppDomain;
    static const char* const NotesDomain;

private:
    enum OpenResult { OPEN_OK, OPEN_ABSENT, OPEN_FAILED };

    OpenResult OpenDatabase(const QString& domain, const QString& path, SqliteDb& db);
    bool RequireTables(SqliteDb& db, const QStringList& tables);
    bool Tick(qint64 done, qint64 total);
    void LoadContactNames();
    QString ContactNameOf(const QString& address) const;

    bool ReadContacts(Items& items);
    bool ReadMessages(Items& items);
    bool ReadMessageAttachments(Items& items);
    bool ReadCalls(Items& items);
    bool ReadCalendar(Items& items, bool reminders);
    bool ReadNotes(Items& items);
    bool ReadBookmarks(Items& items);
    bool ReadPhotos(Items& items);
    bool ReadVoiceMemos(Items& items);
    bool ReadWhatsApp(Items& items, bool attachments);

    BackupManifest& m_manifest;
    MMobile::MDType m_type;
    Progress m_progress;
    QString m_error;
    bool m_stopped = false;
    int m_lastPercent = -1;
    int m_skipped = 0;
    QHash<QString, QString> m_contactNames; // phone digits or e-mail -> full name
};

#endif // CATEGORYREADER_H
