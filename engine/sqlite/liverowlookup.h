#ifndef LIVEROWLOOKUP_H
#define LIVEROWLOOKUP_H

#include "carvedvalue.h"

#include <cstdint>
#include <vector>

namespace SqliteCarve {

class DatabaseImage;
class RecordDecoder;
class TableSchema;

// Finds the live row of a table by its rowid, walking the table's b-tree
// from its root page down as SQLite does, so that a carved record can be
// compared with the row that has its rowid now. Points at the image, which
// must outlive it.
class LiveRowLookup
{
public:
    explicit LiveRowLookup(const DatabaseImage& image) : m_image(&image) {}

    // Decodes the row with `decoder` into values; false when the table has
    // no such row or its tree is damaged on the way.
    bool find(RecordDecoder& decoder, const TableSchema& schema, int64_t rowid,
              std::vector<CarvedValue>& values) const;

private:
    const DatabaseImage* m_image;
};

} // namespace SqliteCarve

#endif // LIVEROWLOOKUP_H
