#ifndef SAMPLEDELETIONS_H
#define SAMPLEDELETIONS_H

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>

#include "sampleleafplaces.h"

#include <vector>

class SqliteWriter;
struct SampleBackupContent;

// Deletes some of the records a sample database holds, as the phone does:
// secure_delete off and no auto-vacuum, so the rows' bytes stay in free
// space (or, for a database whose log is open, the deletion lives only in
// the log). Keeps the ground truth of what went, by category, as the pages
// show it: "contacts" full names, "messages" and "whatsapp" texts, "calls"
// "address|HH:mm:ss", "events", "reminders" and "notes" titles, "bookmarks"
// addresses; "contact values" "<name>|<number or address>" of deleted people
// whose values outlived them (the name "#<record id>" where nothing keeps it) and
// "message chats" "<chat identifier>|<text>", "locked notes"
// "<title>|<time of the last save>" (seconds since 2001) of locked notes whose
// last copy had no title; "places" "<category>|<place>|<key>" of
// records left in a place a carver must look in: "gap" (heads a freeblock
// header overwrote, in a leaf's unallocated gap), "cut freeblock" (whole
// records of a freeblock whose last record a later row cut), "interior page"
// (the root page that was a leaf), "added column" (older than the table's
// last ALTER TABLE ... ADD COLUMN), "freelist" (on pages the deletion freed
// whole), "WAL" (deleted in the log only). Each key comes with a probe, a text the record stores
// whole (a GUID, a title), by which a reader of the files can tell whether SQLite reused the
// record's bytes. The truth is written beside the backup folder, never in it.
class SampleDeletions
{
public:
    // Messages: single messages here and there, run once the message
    // table's last leaf is full (see SampleLeafPlaces::LastLeafFull()); Conversation: one whole
    // conversation, which sms.db deletes in its log; OlderMessages: messages
    // deleted before the message table gained its newer columns. EarlyPeople: people
    // deleted before the address book's table gained its newer columns;
    // EarlyCalls: calls deleted as the call table outgrew its root page;
    // OlderCalls: calls deleted before an update added columns to their table.
    // RootPeople: people deleted as the address book's table outgrew its root
    // page. Contacts and Calls run once the table's last leaf is full (see
    // SampleLeafPlaces::LastLeafFull()) and leave records in its gap and a
    // cut freeblock; LoggedPeople and LoggedCalls, run once the log is
    // started, delete rows the file keeps (LoggedCalls also two leaves'
    // worth, whose second page goes to the free list).
    enum Store {
        Contacts,
        EarlyPeople,
        RootPeople,
        LoggedPeople,
        Messages,
        OlderMessages,
        Conversation,
        Calls,
        EarlyCalls,
        OlderCalls,
        LoggedCalls,
        Calendar,
        LegacyNotes,
        NoteStore,
        Bookmarks,
        WhatsApp
    };

    // Run on an open database when its store says (most just before it is
    // closed, the Early and Older ones as the table grows); false with the
    // database's error when a statement fails.
    bool Delete(SqliteWriter& db, Store store, const SampleBackupContent& content);
    struct Entry
    {
        QString key, probe;
    };
    const QMap<QString, QList<Entry>>& Truth() const { return m_truth; }
    // Keeps the "freelist" place of `category`'s records only where the
    // record lies on a free page of the closed database at `path` with its
    // log at `logPath`: SQLite moves some cells of a leaf it frees elsewhere
    // first.
    void ConfineToFreeList(const QString& category, const QString& path, const QString& logPath);
    // Keeps `place` of `category`'s records only where the record lies in
    // the file at `path` (a log's deletions: the file must hold them live).
    void ConfineToFile(const QString& category, const char* place, const QString& path);
    // <folder>.deleted.json: an object of the categories' lists of
    // {"key": ..., "probe": ...}.
    static QString TruthPath(const QString& backupFolder);
    bool WriteTruth(const QString& backupFolder) const;

private:
    // Records the keys `select` gives (rowid, key, probe) and deletes the rows by
    // rowid with each of `deletes` ("... WHERE x IN (%1)").
    // `place`, when given, is where the rows are left (see "places").
    bool Take(SqliteWriter& db, const QString& category, const QString& select,
              const QStringList& deletes, const char* place = nullptr);

    // Notes a deleted record of `category` and the place it was left in.
    void Place(const QString& category, const char* place, const Entry& entry);
    // Keeps `place` of `category`'s records only where the record's probe
    // lies in `bytes`.
    void ConfinePlace(const QString& category, const char* place, const QByteArray& bytes);
    // Notes the records SampleLeafPlaces::Leave() left, each in its place
    // where it lies whole; the key and probe their second and third columns.
    void LeftInPlaces(const QString& category, const std::vector<SampleLeafPlaces::Left>& left);
    // The gap and a cut freeblock on the message table's last leaf.
    bool MessagePlaces(SqliteWriter& db, const SampleBackupContent& content);
    // The same of the address book's people, and of calls (`old`: the
    // call table of call_history.db); each notes the newest row the file
    // keeps, from which the log's deletions choose.
    bool PeoplePlaces(SqliteWriter& db);
    bool CallPlaces(SqliteWriter& db, bool old);

    QMap<QString, QList<Entry>> m_truth;
    QHash<QString, qint64> m_committed; // by table
};

#endif // SAMPLEDELETIONS_H
