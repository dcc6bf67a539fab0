#ifndef CARVER_H
#define CARVER_H

#include "carvedrecord.h"
#include "databaseimage.h"
#include "journalfile.h"
#include "liverowindex.h"
#include "liverowlookup.h"
#include "pagemap.h"
#include "recorddecoder.h"
#include "schemacatalog.h"
#include "walfile.h"

#include "fingerprintset.h"

#include <functional>
#include <string>

namespace SqliteCarve {

// Recovers the deleted records of an SQLite database from its file and,
// when given, its write-ahead log and rollback journal. The files are read
// once into memory and never written. Records are handed to a callback in
// the order they are found (pages of the file in order, then the log's
// frames, then the journal's pages), each once, and never one the database
// still holds.
//
//     Carver carver;
//     if (carver.open("db.sqlite", "", "", &error))
//         carver.run([](const CarvedRecord &record) { ... });
class Carver
{
public:
    using Sink = std::function<void(const CarvedRecord&)>;
    // Told the pages carved so far and in all every few pages; false stops the run.
    using Progress = std::function<bool(uint32_t done, uint32_t total)>;

    Carver();
    Carver(const Carver&) = delete;
    Carver& operator=(const Carver&) = delete;

    // Tables (by name) whose live rows the caller tells from deleted ones
    // itself (by rowid and an identity column): their rows are not indexed,
    // which spares decoding every live row, and their records are not
    // checked against them. Set before open().
    void setUnindexedTables(std::vector<std::string> names) { m_unindexed = std::move(names); }

    // Whether older versions of live rows (same rowid, mostly the same
    // values) are reported too, marked liveVersion. Off by default.
    void setReportLiveVersions(bool on) { m_reportVersions = on; }

    // Asked while open() reads the database and every few pages while it
    // indexes the live rows; false makes open() fail ("stopped"). Set
    // before open().
    void setGoOn(std::function<bool()> goOn)
    {
        m_goOn = goOn;
        m_map.setGoOn(std::move(goOn));
    }

    // The database file is a private copy that nobody shortens while it is
    // carved: open() maps it instead of reading it (see MappedFile). Off by
    // default.
    void setMapDatabase(bool on) { m_mapDatabase = on; }

    // walPath and journalPath may be empty. On failure nothing can be
    // carved; a log or journal that cannot be read is left out with a
    // warning, and the database is carved without it.
    bool open(const std::string& databasePath, const std::string& walPath,
              const std::string& journalPath, std::string* error);
    // The same, from bytes already in memory (an empty log or journal is none).
    bool openBytes(std::vector<uint8_t> database, std::vector<uint8_t> wal,
                   std::vector<uint8_t> journal, std::string* error);

    // False when `progress` stopped it.
    bool run(const Sink& sink, const Progress& progress = Progress());

    const DatabaseImage& image() const { return m_image; }
    // What open() left out and why, e.g. "write-ahead log: not a write-ahead log".
    const std::vector<std::string>& warnings() const { return m_warnings; }
    const std::vector<TableSchema>& tables() const { return m_catalog.tables(); }

private:
    bool prepare(std::string* error);
    bool isLiveVersion(int table, const RecordDecoder::Cell& cell,
                       const std::vector<CarvedValue>& values);
    void report(int table, const RecordDecoder::Cell& cell, std::vector<CarvedValue>& values,
                CarvedRecord::Source source, uint32_t page, const Sink& sink);

    DatabaseImage m_image;
    WalFile m_wal;
    JournalFile m_journal;
    bool m_hasWal = false;
    bool m_hasJournal = false;
    RecordDecoder m_decoder;
    SchemaCatalog m_catalog;
    PageMap m_map;
    LiveRowIndex m_live;
    // Reported records: by values, by values of those that came without a
    // rowid, and by values and rowid.
    FingerprintSet m_seenValues;
    FingerprintSet m_seenWithoutRowid;
    FingerprintSet m_seenRows;
    CarvedRecord m_record;
    bool m_mapDatabase = false;
    std::vector<std::string> m_unindexed;
    std::vector<std::string> m_warnings;
    std::function<bool()> m_goOn;
    bool m_reportVersions = false;
    // Its own buffers: a live row is decoded while a carved one is in hand.
    RecordDecoder m_liveDecoder;
    LiveRowLookup m_lookup;
    std::vector<CarvedValue> m_liveValues;
};

} // namespace SqliteCarve

#endif // CARVER_H
