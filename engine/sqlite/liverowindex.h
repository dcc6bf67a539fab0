#ifndef LIVEROWINDEX_H
#define LIVEROWINDEX_H

#include "carvedvalue.h"

#include <cstdint>
#include <vector>

namespace SqliteCarve {

// Fingerprints of the rows the database still holds, so that a stale copy
// of a live row found in free space or an old page image is never reported
// as deleted. Rows are kept as 64-bit hashes of their values (the rowid
// alias left out), with and without the rowid, in sorted vectors.
class LiveRowIndex
{
public:
    void add(const std::vector<CarvedValue>& values, int skipColumn, int64_t rowid);
    void seal();

    // With a rowid, the row must match values and rowid; without one (its
    // bytes were overwritten), values alone.
    bool contains(uint64_t valuesHash, bool hasRowid, int64_t rowid) const;

    static uint64_t valuesHash(const std::vector<CarvedValue>& values, int skipColumn);
    static uint64_t rowHash(uint64_t valuesHash, int64_t rowid);

private:
    std::vector<uint64_t> m_values;
    std::vector<uint64_t> m_rows;
};

} // namespace SqliteCarve

#endif // LIVEROWINDEX_H
