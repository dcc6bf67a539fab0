// Fuzz target of the record decoder: the bytes are three 1024-byte pages of
// a database (the first the table leaf, the others where its overflow
// pointers may lead), and every offset of the first is decoded as an intact
// cell, a cell a freeblock overwrote and a count of columns, against tables
// of every affinity. Every value decoded is read in full, as the live-row
// index reads it.

#include "databaseimage.h"
#include "liverowindex.h"
#include "recorddecoder.h"
#include "tableschema.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

using namespace SqliteCarve;

namespace {
// Keeps the reads of every value from being optimised away.
volatile uint64_t g_sink = 0;
} // namespace

namespace {

constexpr uint32_t kPageSize = 1024;

const std::vector<TableSchema>& Schemas()
{
    static const std::vector<TableSchema> schemas = [] {
        std::vector<TableSchema> list;
        const std::pair<const char*, const char*> tables[] = {
            {"t", "CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT NOT NULL, data BLOB, "
                  "score REAL)"},
            {"u", "CREATE TABLE u(a, b)"},
            {"v", "CREATE TABLE v(n INTEGER)"},
            {"w", "CREATE TABLE w(a TEXT, b TEXT, c INT, d INT, e INT, f TEXT, g NUMERIC)"}};
        for (const auto& table : tables) {
            if (auto schema = TableSchema::fromCreateStatement(table.first, table.second, 2))
                list.push_back(*schema);
        }
        list.push_back(TableSchema::master());
        return list;
    }();
    return schemas;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Page 1 is an empty database's; pages 2 to 4 are the input.
    std::vector<uint8_t> bytes(4 * kPageSize, 0);
    std::memcpy(bytes.data(), "SQLite format 3", 16);
    bytes[16] = kPageSize >> 8;
    bytes[56 + 3] = 1; // UTF-8
    bytes[100] = 13;
    std::memcpy(bytes.data() + kPageSize, data, std::min<std::size_t>(size, 3 * kPageSize));
    DatabaseImage image;
    if (!image.loadBytes(std::move(bytes), nullptr))
        return 0;
    RecordDecoder decoder(image);
    const uint8_t* page = image.page(2);
    RecordDecoder::Cell cell;
    std::vector<CarvedValue> values;
    uint64_t sink = 0;
    const uint32_t limit = image.usableSize();
    for (uint32_t offset = 0; offset + 4 <= limit; ++offset) {
        sink += uint64_t(decoder.intactColumnCount(page, offset, limit));
        for (const TableSchema& schema : Schemas()) {
            if (decoder.decodeCell(page, offset, limit, schema, cell, values))
                sink += LiveRowIndex::valuesHash(values, schema.aliasColumn()) + cell.end;
            if (offset % 7 == 0 && decoder.decodeDamagedCell(page, offset, limit, offset % 2 == 0,
                                                             schema, cell, values))
                sink += LiveRowIndex::valuesHash(values, schema.aliasColumn()) + cell.end;
        }
    }
    g_sink = sink;
    return 0;
}
