#ifndef SCHEMACATALOG_H
#define SCHEMACATALOG_H

#include "carvedvalue.h"
#include "tableschema.h"

#include <cstdint>
#include <vector>

namespace SqliteCarve {

class DatabaseImage;
class RecordDecoder;

// The tables whose records can be carved: the rowid tables of the live
// sqlite_master, then the dropped ones whose old sqlite_master rows survive
// in the free space of its pages. Also lists the roots of the index b-trees
// (WITHOUT ROWID tables included) and the pages of the sqlite_master tree.
class SchemaCatalog
{
public:
    void read(const DatabaseImage& image, RecordDecoder& decoder);
    // An older image of a sqlite_master page (from the log or the journal):
    // the tables it names that the database no longer has are added as
    // dropped.
    void readOlderImage(const DatabaseImage& image, RecordDecoder& decoder, const uint8_t* page,
                        uint32_t number);
    bool isMasterPage(uint32_t number) const;

    const std::vector<TableSchema>& tables() const { return m_tables; }
    const std::vector<uint32_t>& indexRoots() const { return m_indexRoots; }
    const std::vector<uint32_t>& masterPages() const { return m_masterPages; }

private:
    void addRow(const DatabaseImage& image, const std::vector<CarvedValue>& row, bool dropped);

    std::vector<TableSchema> m_tables;
    std::vector<uint32_t> m_indexRoots;
    std::vector<uint32_t> m_masterPages;
};

} // namespace SqliteCarve

#endif // SCHEMACATALOG_H
