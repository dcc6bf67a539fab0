#include "liverowlookup.h"

#include "databaseimage.h"
#include "recorddecoder.h"
#include "sqliteformat.h"
#include "tableschema.h"

namespace SqliteCarve {

bool LiveRowLookup::find(RecordDecoder& decoder, const TableSchema& schema, int64_t rowid,
                         std::vector<CarvedValue>& values) const
{
    const uint32_t usable = m_image->usableSize();
    uint32_t number = schema.rootPage();
    // A tree deeper than this is a loop in a damaged file.
    for (int depth = 0; depth < 40; ++depth) {
        const uint8_t* page = m_image->page(number);
        if (!page)
            return false;
        const uint32_t header = DatabaseImage::headerOffset(number);
        const uint8_t flag = page[header];
        const uint32_t cells = be16(page + header + 3);
        const bool interior = flag == InteriorTablePage;
        if ((!interior && flag != LeafTablePage) || header + 12 + 2 * cells > usable)
            return false;
        const uint8_t* array = page + header + (interior ? 12 : 8);
        const uint8_t* end = page + usable;
        // The key of cell i, or false when it cannot be read.
        auto key = [&](uint32_t i, int64_t& value, uint32_t& offset) {
            offset = be16(array + 2 * i);
            if (offset + 4 >= usable)
                return false;
            const uint8_t* p = page + offset;
            uint64_t v = 0;
            int len = 0;
            if (interior) {
                len = readVarint(p + 4, end, v);
            } else {
                uint64_t payload;
                const int first = readVarint(p, end, payload);
                len = first ? readVarint(p + first, end, v) : 0;
            }
            value = int64_t(v);
            return len != 0;
        };
        // The first cell whose key is at least rowid.
        uint32_t low = 0, high = cells;
        while (low < high) {
            const uint32_t middle = (low + high) / 2;
            int64_t k;
            uint32_t offset;
            if (!key(middle, k, offset))
                return false;
            if (k < rowid)
                low = middle + 1;
            else
                high = middle;
        }
        int64_t k = 0;
        uint32_t offset = 0;
        if (interior) {
            if (low < cells) {
                if (!key(low, k, offset))
                    return false;
                number = be32(page + offset);
            } else {
                number = be32(page + header + 8);
            }
            continue;
        }
        if (low == cells || !key(low, k, offset) || k != rowid)
            return false;
        RecordDecoder::Cell cell;
        return decoder.decodeCell(page, offset, usable, schema, cell, values);
    }
    return false;
}

} // namespace SqliteCarve
