#ifndef CARVEDRECORD_H
#define CARVEDRECORD_H

#include "carvedvalue.h"

#include <cstdint>
#include <vector>

namespace SqliteCarve {

class TableSchema;

// A deleted record as the carver hands it out: its table, where it was found
// and its values in column order. The values view memory owned by the
// carver; copy what must outlive the callback.
struct CarvedRecord
{
    enum class Source : uint8_t {
        Freeblock,
        Unallocated,
        Freelist,
        DroppedTable,
        Overflow,
        Wal,
        Journal
    };

    const TableSchema* table = nullptr;
    Source source = Source::Freeblock;
    uint32_t page = 0;
    uint32_t offset = 0; // of the cell inside the page image
    bool hasRowid = false;
    int64_t rowid = 0;
    // A record a later cell cut: the values from this column on were lost
    // (and read NULL); -1 for a whole record.
    int lostFrom = -1;
    // An older version of a row the table still has (same rowid, mostly
    // the same values); reported only when asked for.
    bool liveVersion = false;
    std::vector<CarvedValue> values;

    bool partial() const { return lostFrom >= 0; }

    static const char* sourceName(Source source);
};

} // namespace SqliteCarve

#endif // CARVEDRECORD_H
