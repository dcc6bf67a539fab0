#include "carver.h"

#include "filebytes.h"
#include "pagecarver.h"

namespace SqliteCarve {

namespace {

// Whether a record says anything: zeroed or blank space decodes as records
// of NULLs, zeros and zero bytes, which are not reported.
bool informative(const std::vector<CarvedValue>& values)
{
    for (const CarvedValue& v : values) {
        switch (v.kind) {
        case CarvedValue::Kind::Null:
            break;
        case CarvedValue::Kind::Integer:
            if (v.integer != 0)
                return true;
            break;
        case CarvedValue::Kind::Real:
            if (v.real != 0)
                return true;
            break;
        case CarvedValue::Kind::Text:
        case CarvedValue::Kind::Blob:
            if (v.bytes.find_first_not_of('\0') != std::string_view::npos)
                return true;
            break;
        }
    }
    return false;
}

} // namespace

Carver::Carver() : m_decoder(m_image), m_liveDecoder(m_image), m_lookup(m_image) {}

bool Carver::open(const std::string& databasePath, const std::string& walPath,
                  const std::string& journalPath, std::string* error)
{
    m_hasWal = m_hasJournal = false;
    m_warnings.clear();
    std::vector<uint8_t> database;
    const bool loaded = m_mapDatabase ? m_image.loadMapped(databasePath, error)
                                      : readFileBytes(databasePath, database, error, m_goOn) &&
                                            m_image.loadBytes(std::move(database), error);
    if (!loaded)
        return false;
    // A side file that cannot be read costs only what it held; each is read
    // in slices that answer a stop.
    std::string sideError;
    std::vector<uint8_t> side;
    if (!walPath.empty()) {
        m_hasWal = readFileBytes(walPath, side, &sideError, m_goOn) &&
                   m_wal.loadBytes(std::move(side), &sideError);
        if (!m_hasWal)
            m_warnings.push_back("write-ahead log: " + sideError);
    }
    side.clear();
    if (!journalPath.empty()) {
        m_hasJournal = readFileBytes(journalPath, side, &sideError, m_goOn) &&
                       m_journal.loadBytes(std::move(side), m_image.pageSize(), &sideError);
        if (!m_hasJournal)
            m_warnings.push_back("rollback journal: " + sideError);
    }
    if (m_goOn && !m_goOn()) {
        if (error)
            *error = "stopped";
        return false;
    }
    return prepare(error);
}

bool Carver::openBytes(std::vector<uint8_t> database, std::vector<uint8_t> wal,
                       std::vector<uint8_t> journal, std::string* error)
{
    m_hasWal = m_hasJournal = false;
    m_warnings.clear();
    if (!m_image.loadBytes(std::move(database), error))
        return false;
    std::string sideError;
    if (!wal.empty()) {
        m_hasWal = m_wal.loadBytes(std::move(wal), &sideError);
        if (!m_hasWal)
            m_warnings.push_back("write-ahead log: " + sideError);
    }
    if (!journal.empty()) {
        m_hasJournal = m_journal.loadBytes(std::move(journal), m_image.pageSize(), &sideError);
        if (!m_hasJournal)
            m_warnings.push_back("rollback journal: " + sideError);
    }
    return prepare(error);
}

bool Carver::prepare(std::string* error)
{
    if (m_hasWal) {
        std::string walError;
        if (!m_image.applyWal(m_wal, &walError)) {
            m_warnings.push_back("write-ahead log: " + walError);
            m_hasWal = false;
            if (!m_image.dropWal(error))
                return false;
        }
    }
    if (m_image.pageCount() == 0) {
        if (error)
            *error = "an empty database";
        return false;
    }
    // The decoder was made before the image was loaded: give it the sizes now.
    m_decoder = RecordDecoder(m_image);
    m_liveDecoder = RecordDecoder(m_image);
    m_lookup = LiveRowLookup(m_image);
    m_catalog.read(m_image, m_decoder);
    // Older images of sqlite_master name tables dropped since.
    if (m_hasWal) {
        for (const WalFile::Frame& frame : m_wal.frames()) {
            if (m_catalog.isMasterPage(frame.page) && m_image.page(frame.page) != frame.data)
                m_catalog.readOlderImage(m_image, m_decoder, frame.data, frame.page);
        }
    }
    if (m_hasJournal && m_journal.pageSize() == m_image.pageSize()) {
        for (const JournalFile::Page& original : m_journal.pages()) {
            if (m_catalog.isMasterPage(original.page))
                m_catalog.readOlderImage(m_image, m_decoder, original.data, original.page);
        }
    }
    m_live = LiveRowIndex();
    std::vector<bool> unindexed(m_catalog.tables().size(), false);
    for (size_t t = 0; t < unindexed.size(); ++t) {
        for (const std::string& name : m_unindexed)
            unindexed[t] = unindexed[t] || m_catalog.tables()[t].name() == name;
    }
    m_map.build(m_image, m_decoder, m_catalog, m_live, unindexed);
    if (m_map.stopped()) {
        if (error)
            *error = "stopped";
        return false;
    }
    m_seenValues.clear();
    m_seenWithoutRowid.clear();
    m_seenRows.clear();
    return true;
}

bool Carver::run(const Sink& sink, const Progress& progress)
{
    // The log's and the journal's pages count after the file's.
    // With a log, the file's pages are gone through twice (below).
    const uint32_t total =
        m_image.pageCount() +
        (m_hasWal ? m_image.pageCount() - 1 + uint32_t(m_wal.frames().size()) : 0) +
        (m_hasJournal ? uint32_t(m_journal.pages().size()) : 0);
    uint32_t done = 0;
    // Often enough that a caller who stops the run is answered at once.
    const auto carry = [&]() { return !progress || ++done % 16 != 0 || progress(done, total); };
    using Source = CarvedRecord::Source;
    PageCarver pages(m_image, m_decoder, m_catalog.tables());
    uint32_t current = 0;
    const PageCarver::Report report = [&](int table, const RecordDecoder::Cell& cell,
                                          std::vector<CarvedValue>& values, Source source) {
        this->report(table, cell, values, source, current, sink);
    };

    for (current = 1; current <= m_image.pageCount(); ++current) {
        if (!carry())
            return false;
        const uint8_t* page = m_image.page(current);
        const PageMap::Role role = m_map.role(current);
        const int owner = m_map.owner(current);
        if (role == PageMap::Role::TableLeaf || role == PageMap::Role::TableInterior) {
            pages.carveFreeSpace(page, current, owner, report);
        } else if (m_map.isFree(current)) {
            const bool dropped = owner >= 0 && m_catalog.tables()[size_t(owner)].isDropped();
            pages.carveLoosePage(page, current, owner, role == PageMap::Role::FreelistTrunk,
                                 dropped ? Source::DroppedTable : Source::Freelist, report);
        }
    }

    // Older images of pages: the log's frames that are not the current page,
    // then the journal's originals. Their live cells are filtered out.
    auto ownerOf = [&](uint32_t number) {
        const PageMap::Role role = m_map.role(number);
        return role == PageMap::Role::TableLeaf || role == PageMap::Role::TableInterior ||
                       m_map.isFree(number)
                   ? m_map.owner(number)
                   : -1;
    };
    if (m_hasWal) {
        // The file's pages that the log superseded hold what the log deleted.
        for (current = 2; current <= m_image.pageCount(); ++current) {
            if (!carry())
                return false;
            const uint8_t* original = m_image.filePage(current);
            if (original && original != m_image.page(current))
                pages.carveLoosePage(original, current, ownerOf(current), false, Source::Wal,
                                     report);
        }
        for (const WalFile::Frame& frame : m_wal.frames()) {
            if (!carry())
                return false;
            current = frame.page;
            if (current <= 1 || m_image.page(current) == frame.data)
                continue;
            pages.carveLoosePage(frame.data, current, ownerOf(current), false, Source::Wal, report);
        }
    }
    if (m_hasJournal) {
        for (const JournalFile::Page& original : m_journal.pages()) {
            if (!carry())
                return false;
            current = original.page;
            if (current <= 1 || m_journal.pageSize() != m_image.pageSize())
                continue;
            pages.carveLoosePage(original.data, current, ownerOf(current), false, Source::Journal,
                                 report);
        }
    }
    return true;
}

bool Carver::isLiveVersion(int table, const RecordDecoder::Cell& cell,
                           const std::vector<CarvedValue>& values)
{
    const TableSchema& schema = m_catalog.tables()[size_t(table)];
    if (schema.isDropped() || !m_lookup.find(m_liveDecoder, schema, cell.rowid, m_liveValues))
        return false;
    // An update keeps most of a row; a new row that took a freed rowid does not.
    int informative = 0, same = 0;
    for (size_t i = 0; i < values.size() && i < m_liveValues.size(); ++i) {
        if (int(i) == schema.aliasColumn())
            continue;
        const CarvedValue& a = values[i];
        const CarvedValue& b = m_liveValues[i];
        const bool blank = (a.kind == CarvedValue::Kind::Null ||
                            (a.kind == CarvedValue::Kind::Integer && a.integer == 0)) &&
                           (b.kind == CarvedValue::Kind::Null ||
                            (b.kind == CarvedValue::Kind::Integer && b.integer == 0));
        if (blank)
            continue;
        ++informative;
        same += a.kind == b.kind && a.integer == b.integer &&
                (a.kind != CarvedValue::Kind::Real || a.real == b.real) && a.bytes == b.bytes;
    }
    return informative > 0 && 2 * same >= informative;
}

void Carver::report(int table, const RecordDecoder::Cell& cell, std::vector<CarvedValue>& values,
                    CarvedRecord::Source source, uint32_t page, const Sink& sink)
{
    const TableSchema& schema = m_catalog.tables()[size_t(table)];
    const int alias = schema.aliasColumn();
    if (!informative(values))
        return;
    const uint64_t valuesHash = LiveRowIndex::valuesHash(values, alias);
    if (m_live.contains(valuesHash, cell.hasRowid, cell.rowid))
        return;
    const bool version = cell.hasRowid && isLiveVersion(table, cell, values);
    if (version && !m_reportVersions)
        return;
    // Once per table and values; a copy that lost its rowid adds nothing to
    // one that kept it, and the other way round.
    const uint64_t key = LiveRowIndex::rowHash(valuesHash, table);
    if (cell.hasRowid) {
        if (m_seenWithoutRowid.contains(key) ||
            !m_seenRows.insert(LiveRowIndex::rowHash(key, cell.rowid)))
            return;
        m_seenValues.insert(key);
    } else {
        if (!m_seenValues.insert(key))
            return;
        m_seenWithoutRowid.insert(key);
    }
    if (alias >= 0) {
        CarvedValue& id = values[size_t(alias)];
        id = CarvedValue();
        if (cell.hasRowid) {
            id.kind = CarvedValue::Kind::Integer;
            id.integer = cell.rowid;
        }
    }
    if (cell.overflowPage &&
        (source == CarvedRecord::Source::Freeblock || source == CarvedRecord::Source::Unallocated))
        source = CarvedRecord::Source::Overflow;
    m_record.table = &schema;
    m_record.source = source;
    m_record.page = page;
    m_record.offset = cell.start;
    m_record.hasRowid = cell.hasRowid;
    m_record.rowid = cell.rowid;
    m_record.lostFrom = cell.lostFrom;
    m_record.liveVersion = version;
    m_record.values.swap(values);
    sink(m_record);
    m_record.values.swap(values);
}

} // namespace SqliteCarve
