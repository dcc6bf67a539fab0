#ifndef TABLESCHEMA_H
#define TABLESCHEMA_H

#include "carvedvalue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace SqliteCarve {

// What the carver knows of one rowid table: its columns' affinities and
// NOT NULL constraints, the INTEGER PRIMARY KEY alias and its root page.
// Built from the CREATE TABLE statement of a live or a carved sqlite_master
// row; a plain value, copied freely.
class TableSchema
{
public:
    enum class Affinity : uint8_t { Integer, Text, Blob, Real, Numeric };

    // Lets SQLite itself parse the statement (in a private in-memory
    // database), so every quirk of its grammar is honoured.
    static std::optional<TableSchema>
    fromCreateStatement(const std::string& name, const std::string& sql, uint32_t rootPage);
    // The fixed layout of sqlite_master: type, name, tbl_name, rootpage, sql.
    static TableSchema master();

    const std::string& name() const { return m_name; }
    const std::string& sql() const { return m_sql; }
    uint32_t rootPage() const { return m_rootPage; }
    int columnCount() const { return int(m_affinity.size()); }
    int aliasColumn() const { return m_alias; }
    Affinity affinity(int column) const { return m_affinity[size_t(column)]; }
    bool isDropped() const { return m_dropped; }
    void setDropped(bool dropped) { m_dropped = dropped; }

    // Whether a value of this serial type can have been stored in the column.
    // Asked of every serial type a damaged record is read with: a lookup,
    // settled with the columns.
    bool accepts(int column, uint64_t serialType) const
    {
        const Accepted accepted = m_accepted[size_t(column)];
        return serialType < 12 ? ((accepted.small >> serialType) & 1u) != 0 : accepted.lengths;
    }
    // What SQLite reads for a column a record lacks (one written before an
    // ALTER TABLE ... ADD COLUMN): the column's default, NULL when it has
    // none or an expression. Text views the schema, which must outlive it.
    CarvedValue defaultValue(int column) const;
    // Whether a record of `count` values can be an older row of this table:
    // every later column may be missing (nullable or with a default).
    bool acceptsShortRecord(int count) const;
    // The default of a column as the statement declares it: a number, a
    // quoted string, a blob literal, NULL, TRUE or FALSE; anything else
    // (an expression) reads as NULL.
    void setDefault(int column, const std::string& literal);

    static Affinity affinityOf(const std::string& declaredType);

private:
    // The serial types a column takes: bit t of `small` for types 0-11,
    // `lengths` for the texts and blobs.
    struct Accepted
    {
        uint16_t small = 0;
        bool lengths = false;
    };
    void settleAccepted();

    std::string m_name;
    std::string m_sql;
    uint32_t m_rootPage = 0;
    int m_alias = -1;
    bool m_dropped = false;
    std::vector<Affinity> m_affinity;
    std::vector<bool> m_notNull;
    std::vector<Accepted> m_accepted; // by column
    struct Default
    {
        CarvedValue::Kind kind = CarvedValue::Kind::Null;
        int64_t integer = 0;
        double real = 0;
        std::string bytes;
    };
    std::vector<Default> m_defaults;
};

} // namespace SqliteCarve

#endif // TABLESCHEMA_H
