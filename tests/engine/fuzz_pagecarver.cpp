// Fuzz target of the page carver: the bytes are a whole database file (and,
// past a marker, its write-ahead log), carved as a scan carves a category's
// database. Every carved value is read in full.

#include "carver.h"
#include "liverowindex.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace SqliteCarve;

namespace {
// Keeps the reads of every value from being optimised away.
volatile uint64_t g_sink = 0;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const char kMarker[] = "--wal--";
    const uint8_t* end = data + size;
    const uint8_t* split = std::search(data, end, kMarker, kMarker + sizeof kMarker - 1);
    std::vector<uint8_t> database(data, split);
    std::vector<uint8_t> wal;
    if (split != end)
        wal.assign(split + sizeof kMarker - 1, end);
    Carver carver;
    if (!carver.openBytes(std::move(database), std::move(wal), {}, nullptr))
        return 0;
    uint64_t sink = 0;
    carver.run([&sink](const CarvedRecord& record) {
        sink += LiveRowIndex::valuesHash(record.values, -1) + uint64_t(record.rowid);
    });
    g_sink = sink;
    return 0;
}
