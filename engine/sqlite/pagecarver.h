#ifndef PAGECARVER_H
#define PAGECARVER_H

#include "carvedrecord.h"
#include "recorddecoder.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace SqliteCarve {

class DatabaseImage;
class TableSchema;

// Finds the records in one page image: in the freeblocks and the
// unallocated gap of a live table leaf, and, on a page no live tree owns
// (freelist, dropped table, an older image from a log or journal), in its
// cells too. A region is walked front to back: an intact cell is taken
// whole, a freeblock's head as a damaged cell, anything else is slid over
// byte by byte. Holds references to the decoder and the tables, which must
// outlive it.
class PageCarver
{
public:
    // table: index into the tables; values: the decoded columns.
    using Report =
        std::function<void(int table, const RecordDecoder::Cell& cell,
                           std::vector<CarvedValue>& values, CarvedRecord::Source source)>;

    PageCarver(const DatabaseImage& image, RecordDecoder& decoder,
               const std::vector<TableSchema>& tables);

    // Freeblocks (source Freeblock) and the gap (Unallocated) of a live page
    // of `table`: a leaf, or an interior page, which keeps the cells of the
    // leaf it was before the table outgrew one page.
    void carveFreeSpace(const uint8_t* page, uint32_t number, int table, const Report& report);

    // A page outside the live trees; table is its known owner or -1, in which
    // case the table whose schema fits the page best is taken. A freelist
    // trunk's b-tree header is gone: its space past the leaf list is slid
    // over instead.
    void carveLoosePage(const uint8_t* page, uint32_t number, int table, bool trunk,
                        CarvedRecord::Source source, const Report& report);

private:
    struct Layout
    {
        uint32_t header = 0;
        uint32_t cells = 0;
        uint32_t arrayEnd = 0;
        uint32_t contentStart = 0;
        uint32_t firstFreeblock = 0;
        bool interior = false; // an interior table page (its free space holds leaf cells)
    };
    bool readLayout(const uint8_t* page, uint32_t number, Layout& layout) const;
    // Tells the decoder how many values the page's live records have.
    void noteShortCounts(const uint8_t* page, const Layout& layout);
    void carveFreeblocks(const uint8_t* page, const Layout& layout, int table,
                         CarvedRecord::Source source, const Report& report);
    // cutEnd: a live cell starts at end, which may have cut the region's
    // last record.
    void carveRegion(const uint8_t* page, uint32_t begin, uint32_t end, bool freeblock, int table,
                     CarvedRecord::Source source, const Report& report, bool cutEnd = false);
    bool isCellStart(const uint8_t* page, const Layout& layout, uint32_t offset) const;
    int decodeCut(const uint8_t* page, uint32_t offset, uint32_t end, bool damaged, int table,
                  RecordDecoder::Cell& cell);
    int decodeIntact(const uint8_t* page, uint32_t offset, uint32_t end, int table,
                     RecordDecoder::Cell& cell);
    int decodeDamaged(const uint8_t* page, uint32_t offset, uint32_t end, bool knownBlock,
                      int table, RecordDecoder::Cell& cell);
    bool staleHeaderAt(const uint8_t* page, uint32_t offset, uint32_t end) const;
    int bestTable(const uint8_t* page, const Layout& layout);

    RecordDecoder& m_decoder;
    const std::vector<TableSchema>& m_tables;
    uint32_t m_usable;
    std::vector<CarvedValue> m_values;
    bool m_cutEnd = false; // of the region being carved
};

} // namespace SqliteCarve

#endif // PAGECARVER_H
