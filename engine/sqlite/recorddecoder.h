#ifndef RECORDDECODER_H
#define RECORDDECODER_H

#include "carvedvalue.h"

#include <cstdint>
#include <vector>

namespace SqliteCarve {

class DatabaseImage;
class TableSchema;

// Decodes table b-tree leaf cells found anywhere in a page image against a
// table's schema, and rejects what cannot be such a cell: serial types the
// columns cannot hold, lengths outside the page, text that is not valid in
// the database's encoding, broken overflow chains. It reuses its buffers, so
// decoding allocates nothing once they have grown. Decoded text and blob
// values view the page image or the decoder's overflow buffer until the next
// call. Points at the image, which must outlive it.
//
//     RecordDecoder decoder(image);
//     RecordDecoder::Cell cell;
//     if (decoder.decodeCell(page, offset, limit, schema, cell, values)) ...
class RecordDecoder
{
public:
    struct Cell
    {
        uint32_t start = 0;
        uint32_t end = 0; // past the local payload and its overflow pointer
        uint64_t payloadSize = 0;
        bool hasRowid = false;
        int64_t rowid = 0;
        uint32_t overflowPage = 0; // first page of the overflow chain, 0 if none
        int lostFrom = -1; // a cut record's first lost column (NULL from there), -1 if whole
    };

    explicit RecordDecoder(const DatabaseImage& image);

    // A cell whose bytes are intact, starting at offset and ending by limit.
    // A record with fewer values than the schema (older than an ADD
    // COLUMN) gets the later columns' defaults.
    bool decodeCell(const uint8_t* page, uint32_t offset, uint32_t limit, const TableSchema& schema,
                    Cell& cell, std::vector<CarvedValue>& values);

    // A cell whose first four bytes a freeblock header overwrote: its payload
    // size, rowid and often its header size are lost. The record must end at
    // limit, where another cell of the table starts, or (when limit is the
    // end of a live freeblock, knownBlock) a fragment before limit.
    bool decodeDamagedCell(const uint8_t* page, uint32_t offset, uint32_t limit, bool knownBlock,
                           const TableSchema& schema, Cell& cell, std::vector<CarvedValue>& values);

    // A record a later cell cut: its head intact or (damaged) overwritten
    // by a freeblock header, its serial types whole before limit, its body
    // running past limit. The values wholly before limit are kept (at least
    // half of them and two), the rest read NULL and cell.lostFrom says where
    // they start. Only heads whose serial types all survive are read: with
    // the first type lost, the values' places are a guess.
    bool decodeCutCell(const uint8_t* page, uint32_t offset, uint32_t limit, bool damaged,
                       const TableSchema& schema, Cell& cell, std::vector<CarvedValue>& values);

    // The column count of an intact-looking cell at offset (sizes add up),
    // 0 if there is none: lets a caller pick the schemas worth trying.
    int intactColumnCount(const uint8_t* page, uint32_t offset, uint32_t limit);

    // The bytes of payload a table leaf cell keeps on its page.
    uint32_t localPayloadSize(uint64_t payloadSize) const;

    // How many values the live records of the page being carved have, of
    // those with fewer than their table's columns: a damaged record whose
    // header size is lost is read as such an older record only with a count
    // its live neighbours show (set per page by its carver).
    void setShortCounts(const std::vector<int>& counts)
    {
        m_shortCounts = counts;
        m_countsPage = nullptr;
    }
    // The same, read from the live cells of `page` (`cells` pointers from
    // cellArray, none before arrayEnd) when a damaged record first needs
    // them: the records of most pages never do.
    void setShortCountPage(const uint8_t* page, uint32_t cellArray, uint32_t cells,
                           uint32_t arrayEnd);

private:
    // Whether a damaged record may be read with `count` values (see setShortCounts).
    bool shortReading(const TableSchema& schema, int count);
    int readTypes(const uint8_t* p, const uint8_t* end, int first, int maxColumns);
    // The serial types read from p on for columns first, first + 1, ... up to
    // the first one its column cannot hold.
    struct TypePrefix
    {
        std::vector<uint64_t> types;
        // bytes[k]: what the first k types take.
        std::vector<uint32_t> bytes;
        int read = 0;
        void take(const uint8_t* p, const uint8_t* end, const TableSchema& schema, int first,
                  int count);
    };
    bool finish(const uint8_t* page, uint32_t cellStart, uint32_t headerStart, uint32_t headerSize,
                uint32_t limit, uint32_t lostPrefix, const TableSchema& schema, Cell& cell,
                std::vector<CarvedValue>& values);
    // How well a damaged record's end fits its free space: 3 it fills it,
    // 2 an intact cell follows, 1 a stale freeblock header follows, 0 a
    // fragment of up to three bytes is left, -1 it does not fit.
    int endFit(const uint8_t* page, uint32_t end, uint32_t limit, const TableSchema& schema);
    bool intactCellOf(const uint8_t* page, uint32_t offset, uint32_t limit,
                      const TableSchema& schema) const;
    // cut: a later cell took the block's end, so the record's body may
    // reach past limit.
    bool damagedShapeAt(const uint8_t* page, uint32_t offset, uint32_t limit, bool cut,
                        const TableSchema& schema) const;
    // A stale freeblock header at offset whose block ends at limit, its tail
    // taken by a later cell that went too: an intact cell ends exactly at
    // limit, and the header's types before it suit the table.
    bool cutByLaterCell(const uint8_t* page, uint32_t offset, uint32_t limit,
                        const TableSchema& schema) const;
    bool gatherOverflow(const uint8_t* local, uint32_t localSize, uint64_t payloadSize,
                        uint32_t firstPage);
    bool finishCut(const uint8_t* page, uint32_t headerStart, uint32_t headerSize, uint32_t limit,
                   uint32_t lostPrefix, const TableSchema& schema, Cell& cell,
                   std::vector<CarvedValue>& values);
    bool decodeValues(const uint8_t* body, int columns, std::vector<CarvedValue>& values) const;
    bool decodeValue(uint64_t type, const uint8_t* p, CarvedValue& v) const;
    bool validText(const uint8_t* p, size_t n) const;

    const DatabaseImage* m_image;
    uint32_t m_usable;
    std::vector<uint64_t> m_types;
    // A damaged cell's types past its lost bytes, in the three places a header can have left them.
    TypePrefix m_afterSize, m_afterLongSize, m_afterFirstType;
    std::vector<uint8_t> m_payload;
    int m_minimumEndFit = 0;
    int m_count = 0; // serial types the record being decoded has
    std::vector<int> m_shortCounts;
    const uint8_t* m_countsPage = nullptr; // whose counts are still to be read
    uint32_t m_countsArray = 0, m_countsCells = 0, m_countsArrayEnd = 0;
};

} // namespace SqliteCarve

#endif // RECORDDECODER_H
