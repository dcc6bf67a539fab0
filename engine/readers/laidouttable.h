#ifndef LAIDOUTTABLE_H
#define LAIDOUTTABLE_H

#include "deletedrows.h"
#include "keyindex.h"
#include "rowidset.h"
#include "sqlitedb.h"
#include "storedvalue.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// The rows one table of a laid-out copy of a database would hold (see
// DeletedRows), kept in memory: the columns a reader asks for and those of
// the table's unique keys, with the values their affinity makes of them. A
// row whose rowid or unique key is taken is left out, as INSERT OR IGNORE
// leaves it. A plain value; the live database is only read while rows are
// added.
class LaidOutTable
{
public:
    struct Row
    {
        qint64 rowid = 0;
        int source = -1; // of a carved row
        std::vector<StoredValue> cells;
    };

    // The columns of `table` in `live`: `wanted` (those it has) and those of
    // its unique keys; `carved` names the values of its carved rows in
    // order. False when they cannot be read; a table the database lacks is
    // no failure, and stays empty.
    bool Describe(SqliteDb& live, const QString& table, const QStringList& wanted,
                  const QStringList& carved);
    bool Present() const { return m_present; }
    int ColumnCount() const { return int(m_columns.size()); }
    // The index of a wanted column in a row's cells; -1 when the table lacks it.
    int Column(const char* name) const;
    // The live rows, or those whose rowid `only` holds; false when they cannot be read.
    bool AddLive(SqliteDb& live, const QSet<qint64>* only = nullptr);
    void AddCarved(const DeletedRows::Row& row);
    bool Insert(Row row);
    // A rowid no row has, as SQLite gives a row inserted without one.
    qint64 NextRowid() const { return m_maxRowid + 1; }
    void SetRowid(std::size_t row, qint64 rowid);
    const std::vector<Row>& Rows() const { return m_rows; }
    const RowidSet& Rowids() const { return m_rowids; }
    // Every rowid of the live table, sorted: one pass over its smallest index
    // costs less than a search for each of many.
    bool LiveRowids(SqliteDb& live, std::vector<qint64>& rowids) const;
    // Which of the texts `values` a live row of the table has in `column`,
    // compared as the table compares them; each that does is given to
    // `found` as the first column of a row.
    bool LiveMatches(SqliteDb& live, const QString& column, std::vector<QByteArray> values,
                     const std::function<bool(const SqliteDb::Row&)>& found) const;

private:
    QString m_name;
    bool m_present = false;
    QString m_rowidName; // what the rowid goes by in SQL
    QStringList m_columns;
    std::vector<StoredValue::Affinity> m_affinity;
    std::vector<int> m_carved;              // each column's place in a carved row
    std::vector<std::vector<int>> m_unique; // the columns of each unique key
    // Whether row's cells hold a key for unique key u (no NULL among its
    // columns), written to key.
    bool KeyOf(const Row& row, std::size_t u, QByteArray& key) const;

    std::vector<KeyIndex> m_keys; // the keys taken, by unique key
    // Insert()'s keys of the row it adds, their hashes, and whether each is
    // one; then the key of a row found under the same hash.
    std::vector<QByteArray> m_newKeys;
    std::vector<quint64> m_newHashes;
    std::vector<char> m_newKeyed;
    QByteArray m_heldKey;
    RowidSet m_rowids;
    qint64 m_maxRowid = 0;
    std::vector<Row> m_rows;
};

#endif // LAIDOUTTABLE_H
