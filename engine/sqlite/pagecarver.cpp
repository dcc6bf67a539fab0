#include "pagecarver.h"

#include "databaseimage.h"
#include "sqliteformat.h"
#include "tableschema.h"

#include <algorithm>

namespace SqliteCarve {

namespace {

// The smallest table leaf cell: payload size, rowid, header size, one type.
const uint32_t kMinCell = 4;

} // namespace

PageCarver::PageCarver(const DatabaseImage& image, RecordDecoder& decoder,
                       const std::vector<TableSchema>& tables)
    : m_decoder(decoder), m_tables(tables), m_usable(image.usableSize())
{
}

bool PageCarver::readLayout(const uint8_t* page, uint32_t number, Layout& layout) const
{
    layout.header = DatabaseImage::headerOffset(number);
    const uint8_t* h = page + layout.header;
    if (h[0] != LeafTablePage && h[0] != InteriorTablePage)
        return false;
    layout.interior = h[0] == InteriorTablePage;
    layout.firstFreeblock = be16(h + 1);
    layout.cells = be16(h + 3);
    layout.arrayEnd = layout.header + (layout.interior ? 12 : 8) + 2 * layout.cells;
    if (layout.arrayEnd > m_usable)
        return false;
    uint32_t content = be16(h + 5);
    if (content == 0)
        content = 65536;
    layout.contentStart = content < layout.arrayEnd ? layout.arrayEnd : std::min(content, m_usable);
    return true;
}

void PageCarver::noteShortCounts(const uint8_t* page, const Layout& layout)
{
    // Only free space is read with them.
    const bool free =
        layout.firstFreeblock != 0 || layout.contentStart >= layout.arrayEnd + kMinCell;
    m_decoder.setShortCountPage(page, layout.header + 8,
                                free && !layout.interior ? layout.cells : 0, layout.arrayEnd);
}

void PageCarver::carveFreeSpace(const uint8_t* page, uint32_t number, int table,
                                const Report& report)
{
    Layout layout;
    if (!readLayout(page, number, layout))
        return;
    noteShortCounts(page, layout);
    carveFreeblocks(page, layout, table, CarvedRecord::Source::Freeblock, report);
    carveRegion(page, layout.arrayEnd, layout.contentStart, false, table,
                CarvedRecord::Source::Unallocated, report,
                isCellStart(page, layout, layout.contentStart));
}

void PageCarver::carveLoosePage(const uint8_t* page, uint32_t number, int table, bool trunk,
                                CarvedRecord::Source source, const Report& report)
{
    if (trunk) {
        const uint32_t leaves = be32(page + 4);
        m_decoder.setShortCounts({});
        if (leaves <= (m_usable - 8) / 4)
            carveRegion(page, 8 + 4 * leaves, m_usable, false, table, source, report);
        return;
    }
    Layout layout;
    if (!readLayout(page, number, layout))
        return;
    if (table < 0)
        table = bestTable(page, layout);
    noteShortCounts(page, layout);
    RecordDecoder::Cell cell;
    for (uint32_t i = 0; table >= 0 && !layout.interior && i < layout.cells; ++i) {
        const uint32_t offset = be16(page + layout.header + 8 + 2 * i);
        if (offset < layout.arrayEnd || offset >= m_usable)
            continue;
        if (m_decoder.decodeCell(page, offset, m_usable, m_tables[size_t(table)], cell, m_values))
            report(table, cell, m_values, source);
    }
    carveFreeblocks(page, layout, table, source, report);
    carveRegion(page, layout.arrayEnd, layout.contentStart, false, table, source, report);
}

void PageCarver::carveFreeblocks(const uint8_t* page, const Layout& layout, int table,
                                 CarvedRecord::Source source, const Report& report)
{
    // The chain runs in increasing offsets; anything else is corruption.
    uint32_t offset = layout.firstFreeblock;
    uint32_t previous = 0;
    while (offset != 0) {
        if (offset < layout.arrayEnd || offset <= previous || offset + 4 > m_usable)
            return;
        const uint32_t size = be16(page + offset + 2);
        if (size < 4 || offset + size > m_usable)
            return;
        carveRegion(page, offset, offset + size, true, table, source, report,
                    isCellStart(page, layout, offset + size));
        previous = offset;
        offset = be16(page + offset);
    }
}

void PageCarver::carveRegion(const uint8_t* page, uint32_t begin, uint32_t end, bool freeblock,
                             int table, CarvedRecord::Source source, const Report& report,
                             bool cutEnd)
{
    m_cutEnd = cutEnd;
    RecordDecoder::Cell cell;
    uint32_t offset = begin;
    while (offset + kMinCell <= end) {
        int found = -1;
        if (offset == begin && freeblock) {
            found = decodeDamaged(page, offset, end, true, table, cell);
            if (found < 0 && (found = decodeCut(page, offset, end, true, table, cell)) >= 0) {
                // What remains of the block is the cut record's.
                report(found, cell, m_values, source);
                return;
            }
            if (found < 0) {
                offset += 4;
                continue;
            }
        } else {
            found = decodeIntact(page, offset, end, table, cell);
            if (found < 0 && staleHeaderAt(page, offset, end)) {
                found = decodeDamaged(page, offset, end, false, table, cell);
                // A guessed header loses to an intact cell just after it.
                RecordDecoder::Cell intact;
                for (uint32_t step = 1; found >= 0 && step <= 4; ++step) {
                    if (decodeIntact(page, offset + step, end, table, intact) >= 0)
                        found = -1;
                }
                if (found >= 0)
                    found = decodeDamaged(page, offset, end, false, table, cell);
            }
        }
        if (found < 0 && m_cutEnd) {
            found = decodeCut(page, offset, end, false, table, cell);
            if (found < 0 && staleHeaderAt(page, offset, end))
                found = decodeCut(page, offset, end, true, table, cell);
            if (found >= 0) {
                report(found, cell, m_values, source);
                return;
            }
        }
        if (found < 0) {
            ++offset;
            continue;
        }
        report(found, cell, m_values, source);
        offset = cell.end;
    }
}

int PageCarver::decodeCut(const uint8_t* page, uint32_t offset, uint32_t end, bool damaged,
                          int table, RecordDecoder::Cell& cell)
{
    // Only a region that a live cell closes can have cut a record, and only
    // one whose owner is known.
    if (table < 0 || !m_cutEnd)
        return -1;
    return m_decoder.decodeCutCell(page, offset, end, damaged, m_tables[size_t(table)], cell,
                                   m_values)
               ? table
               : -1;
}

bool PageCarver::isCellStart(const uint8_t* page, const Layout& layout, uint32_t offset) const
{
    for (uint32_t i = 0; i < layout.cells; ++i) {
        if (be16(page + layout.header + (layout.interior ? 12 : 8) + 2 * i) == offset)
            return true;
    }
    return false;
}

int PageCarver::decodeIntact(const uint8_t* page, uint32_t offset, uint32_t end, int table,
                             RecordDecoder::Cell& cell)
{
    const int columns = m_decoder.intactColumnCount(page, offset, end);
    if (columns == 0)
        return -1;
    // A record with fewer values may be older than a column the table got.
    if (table >= 0) {
        const TableSchema& schema = m_tables[size_t(table)];
        return schema.columnCount() >= columns &&
                       m_decoder.decodeCell(page, offset, end, schema, cell, m_values)
                   ? table
                   : -1;
    }
    for (const bool exact : {true, false}) {
        for (size_t i = 0; i < m_tables.size(); ++i) {
            if ((exact ? m_tables[i].columnCount() == columns
                       : m_tables[i].columnCount() > columns) &&
                m_decoder.decodeCell(page, offset, end, m_tables[i], cell, m_values))
                return int(i);
        }
    }
    return -1;
}

int PageCarver::decodeDamaged(const uint8_t* page, uint32_t offset, uint32_t end, bool knownBlock,
                              int table, RecordDecoder::Cell& cell)
{
    if (table >= 0)
        return m_decoder.decodeDamagedCell(page, offset, end, knownBlock, m_tables[size_t(table)],
                                           cell, m_values)
                   ? table
                   : -1;
    for (size_t i = 0; i < m_tables.size(); ++i) {
        if (m_decoder.decodeDamagedCell(page, offset, end, knownBlock, m_tables[i], cell, m_values))
            return int(i);
    }
    return -1;
}

bool PageCarver::staleHeaderAt(const uint8_t* page, uint32_t offset, uint32_t end) const
{
    if (offset + 4 > end)
        return false;
    const uint32_t next = be16(page + offset);
    const uint32_t size = be16(page + offset + 2);
    // A cell freed at the start of the content area left such a header too,
    // and cells added since may have taken the top of its block: its size
    // may reach past the content area's start, not past the page.
    return size >= kMinCell + 1 && offset + size <= m_usable &&
           (next == 0 || (next > offset && next < m_usable));
}

int PageCarver::bestTable(const uint8_t* page, const Layout& layout)
{
    // A page belongs to one table: the schema that decodes most of its cells.
    int best = -1;
    uint32_t bestCount = 0;
    RecordDecoder::Cell cell;
    for (size_t t = 0; t < m_tables.size(); ++t) {
        uint32_t count = 0;
        for (uint32_t i = 0; i < layout.cells; ++i) {
            const uint32_t offset = be16(page + layout.header + 8 + 2 * i);
            if (offset >= layout.arrayEnd && offset < m_usable &&
                m_decoder.decodeCell(page, offset, m_usable, m_tables[t], cell, m_values))
                ++count;
        }
        if (count > bestCount) {
            best = int(t);
            bestCount = count;
        }
    }
    return best;
}

} // namespace SqliteCarve
