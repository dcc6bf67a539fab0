#include "laidouttable.h"

#include "sqlitedb.h"

#include <sqlite3.h>

#include <algorithm>
#include <climits>

namespace {

QString Quoted(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

// SQL names are the same in any case.
int IndexOf(const QStringList& names, const QString& name)
{
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// Runs `query` on `values` a few hundred at a time (a statement takes a
// limited number of them), with the marks "?, ?, ..." of each batch.
bool Batches(const std::vector<QVariant>& values,
             const std::function<bool(const std::vector<QVariant>&, const QString&)>& query)
{
    constexpr std::size_t Batch = 500;
    for (std::size_t from = 0; from < values.size(); from += Batch) {
        const std::size_t end = std::min(values.size(), from + Batch);
        const std::vector<QVariant> batch(values.begin() + std::ptrdiff_t(from),
                                          values.begin() + std::ptrdiff_t(end));
        QString marks = QStringLiteral("?");
        for (std::size_t i = from + 1; i < end; ++i)
            marks += QStringLiteral(", ?");
        if (!query(batch, marks))
            return false;
    }
    return true;
}

StoredValue LiveValue(const SqliteDb::Row& row, int column)
{
    const int type = row.Type(column);
    return StoredValue::Of(type, type == SQLITE_INTEGER ? row.Int(column) : 0,
                           type == SQLITE_FLOAT ? row.Real(column) : 0.0,
                           type == SQLITE_TEXT || type == SQLITE_BLOB ? row.Text(column)
                                                                      : QByteArray());
}

// Rowids are unique and mostly dense: where their span is not much more than
// their number, a bitmap of the span sorts them in two linear passes.
void SortRowids(std::vector<qint64>& rowids)
{
    if (std::is_sorted(rowids.begin(), rowids.end()))
        return;
    const auto [low, high] = std::minmax_element(rowids.begin(), rowids.end());
    const qint64 first = *low;
    const quint64 span = quint64(*high) - quint64(first) + 1;
    if (span == 0 || span / 8 > rowids.size()) {
        std::sort(rowids.begin(), rowids.end());
        return;
    }
    std::vector<bool> present(std::size_t(span), false);
    for (const qint64 rowid : rowids)
        present[std::size_t(quint64(rowid) - quint64(first))] = true;
    std::size_t out = 0;
    for (std::size_t at = 0; at < present.size(); ++at) {
        if (present[at])
            rowids[out++] = qint64(quint64(first) + at);
    }
    rowids.resize(out);
}

// The texts as a JSON array of strings; only quotes, backslashes and control
// characters need escapes.
QByteArray JsonArrayOf(const std::vector<QByteArray>& texts)
{
    static const char Hex[] = "0123456789abcdef";
    std::size_t size = 2;
    for (const QByteArray& text : texts)
        size += std::size_t(text.size()) + 3;
    QByteArray json;
    json.reserve(int(std::min<std::size_t>(size, std::size_t(INT_MAX / 2))));
    json += '[';
    for (const QByteArray& text : texts) {
        if (&text != &texts.front())
            json += ',';
        json += '"';
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte == '"' || byte == '\\') {
                json += '\\';
                json += c;
            } else if (byte < 0x20) {
                json += "\\u00";
                json += Hex[byte >> 4];
                json += Hex[byte & 15];
            } else {
                json += c;
            }
        }
        json += '"';
    }
    json += ']';
    return json;
}

} // namespace

bool LaidOutTable::Describe(SqliteDb& live, const QString& table, const QStringList& wanted,
                            const QStringList& carved)
{
    *this = LaidOutTable();
    m_name = table;
    struct Column
    {
        QString name, type;
        int key;
    };
    std::vector<Column> all;
    if (!live.Query(QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?) ORDER BY cid"),
                    {table}, [&all](const SqliteDb::Row& row) {
                        all.push_back({row.String(0), row.String(1), int(row.Int(2))});
                        return true;
                    }))
        return false;
    if (all.empty())
        return true;
    m_present = true;
    QStringList names, keys;
    for (const Column& column : all) {
        names << column.name;
        if (column.key > 0)
            keys << column.name;
    }
    // A lone key declared INTEGER is the rowid itself; any other key is unique.
    const auto type = [&all](const QString& name) {
        for (const Column& column : all) {
            if (column.name.compare(name, Qt::CaseInsensitive) == 0)
                return column.type;
        }
        return QString();
    };
    const bool alias =
        keys.size() == 1 &&
        type(keys.first()).compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
    std::vector<QStringList> unique;
    if (!keys.isEmpty() && !alias)
        unique.push_back(keys);
    QStringList indexes;
    live.Query(QStringLiteral("SELECT name FROM pragma_index_list(?) WHERE \"unique\" AND origin = "
                              "'u' AND NOT partial"),
               {table}, [&indexes](const SqliteDb::Row& row) {
                   indexes << row.String(0);
                   return true;
               });
    for (const QString& index : qAsConst(indexes)) {
        QStringList columns;
        live.Query(QStringLiteral("SELECT name FROM pragma_index_info(?) ORDER BY seqno"), {index},
                   [&columns](const SqliteDb::Row& row) {
                       columns << row.String(0);
                       return true;
                   });
        // A key of expressions is not copied; one of the rowid alone is the rowid's.
        if (!columns.isEmpty() && !columns.contains(QString()) &&
            !(alias && columns.size() == 1 &&
              columns.first().compare(keys.first(), Qt::CaseInsensitive) == 0))
            unique.push_back(columns);
    }
    const auto add = [&](const QString& name) {
        const int at = IndexOf(m_columns, name);
        if (at >= 0)
            return at;
        m_columns << name;
        m_affinity.push_back(SqliteCarve::TableSchema::affinityOf(type(name).toStdString()));
        m_carved.push_back(IndexOf(carved, name));
        return int(m_columns.size()) - 1;
    };
    for (const QString& name : wanted) {
        const int at = IndexOf(names, name);
        if (at >= 0)
            add(names[at]);
    }
    for (const QStringList& key : unique) {
        std::vector<int> columns;
        for (const QString& name : key)
            columns.push_back(add(name));
        m_unique.push_back(columns);
    }
    m_keys.resize(m_unique.size());
    for (const char* name : {"rowid", "_rowid_", "oid"}) {
        if (IndexOf(names, QLatin1String(name)) < 0) {
            m_rowidName = QLatin1String(name);
            break;
        }
    }
    return true;
}

int LaidOutTable::Column(const char* name) const
{
    return IndexOf(m_columns, QLatin1String(name));
}

bool LaidOutTable::AddLive(SqliteDb& live, const QSet<qint64>* only)
{
    if (!Present() || m_rowidName.isEmpty())
        return true;
    QStringList columns{m_rowidName};
    for (const QString& column : qAsConst(m_columns))
        columns << Quoted(column);
    QString sql = QStringLiteral("SELECT %1 FROM main.%2")
                      .arg(columns.join(QStringLiteral(", ")), Quoted(m_name));
    const auto add = [this](const SqliteDb::Row& row) {
        Row laid{row.Int(0), -1, {}};
        laid.cells.reserve(std::size_t(m_columns.size()));
        for (int c = 0; c < m_columns.size(); ++c)
            laid.cells.push_back(LiveValue(row, c + 1));
        Insert(std::move(laid));
        return true;
    };
    if (!only)
        return live.Query(sql, add);
    std::vector<QVariant> rowids;
    rowids.reserve(std::size_t(only->size()));
    for (const qint64 rowid : *only)
        rowids.emplace_back(rowid);
    // The rows themselves are read once each, whatever the order of `only`.
    std::sort(rowids.begin(), rowids.end(),
              [](const QVariant& a, const QVariant& b) { return a.toLongLong() < b.toLongLong(); });
    return Batches(rowids, [&](const std::vector<QVariant>& batch, const QString& marks) {
        return live.Query(sql + QStringLiteral(" WHERE %1 IN (%2)").arg(m_rowidName, marks), batch,
                          add);
    });
}

bool LaidOutTable::LiveRowids(SqliteDb& live, std::vector<qint64>& rowids) const
{
    rowids.clear();
    if (!Present() || m_rowidName.isEmpty())
        return true;
    // Unordered, SQLite reads them from the table's smallest index when it
    // has one, a fraction of the table's pages.
    if (!live.Query(QStringLiteral("SELECT %1 FROM main.%2").arg(m_rowidName, Quoted(m_name)),
                    [&rowids](const SqliteDb::Row& row) {
                        rowids.push_back(row.Int(0));
                        return true;
                    }))
        return false;
    SortRowids(rowids);
    return true;
}

bool LaidOutTable::LiveMatches(SqliteDb& live, const QString& column,
                               std::vector<QByteArray> values,
                               const std::function<bool(const SqliteDb::Row&)>& found) const
{
    if (!Present() || m_rowidName.isEmpty())
        return true;
    // The table's own comparison (its column's collation) on the value given,
    // through its index where it has one. The values go in as one JSON array
    // bound to one statement: a statement per batch of them costs SQLite as
    // much to compile as to look them up. In the index's order, so that each
    // of its pages is read once rather than once per value on it.
    std::sort(values.begin(), values.end());
    return live.Query(QStringLiteral("SELECT j.value FROM json_each(?) j WHERE EXISTS (SELECT 1 "
                                     "FROM main.%1 l WHERE l.%2 = j.value)")
                          .arg(Quoted(m_name), Quoted(column)),
                      {QString::fromUtf8(JsonArrayOf(values))}, found);
}

void LaidOutTable::AddCarved(const DeletedRows::Row& row)
{
    Row laid{row.rowid.toLongLong(), row.source, {}};
    laid.cells.reserve(std::size_t(m_columns.size()));
    for (std::size_t c = 0; c < m_carved.size(); ++c) {
        const int at = m_carved[c];
        laid.cells.push_back(at >= 0 && std::size_t(at) < row.values.size()
                                 ? StoredValue::Of(row.values[std::size_t(at)], m_affinity[c])
                                 : StoredValue());
    }
    Insert(std::move(laid));
}

// NULLs are never the same to a unique key.
bool LaidOutTable::KeyOf(const Row& row, std::size_t u, QByteArray& key) const
{
    key.resize(0);
    for (const int column : m_unique[u]) {
        const StoredValue& cell = row.cells[std::size_t(column)];
        if (cell.IsNull())
            return false;
        cell.AppendKey(key);
    }
    return true;
}

bool LaidOutTable::Insert(Row row)
{
    if (m_rowids.contains(row.rowid))
        return false;
    m_newKeys.resize(m_unique.size());
    m_newHashes.resize(m_unique.size());
    m_newKeyed.resize(m_unique.size());
    std::vector<quint64>& hashes = m_newHashes;
    std::vector<char>& keyed = m_newKeyed;
    for (std::size_t u = 0; u < m_unique.size(); ++u) {
        QByteArray& key = m_newKeys[u];
        // Kept between rows (a reserved array keeps its room when emptied).
        if (key.capacity() == 0)
            key.reserve(64);
        keyed[u] = KeyOf(row, u, key);
        if (!keyed[u])
            continue;
        hashes[u] = quint64(qHashBits(key.constData(), std::size_t(key.size())));
        const bool taken = m_keys[u].find(hashes[u], [&](quint32 held) {
            return KeyOf(m_rows[held], u, m_heldKey) && m_heldKey == key;
        });
        if (taken)
            return false;
    }
    for (std::size_t u = 0; u < m_unique.size(); ++u) {
        if (keyed[u])
            m_keys[u].add(hashes[u], quint32(m_rows.size()));
    }
    m_rowids.insert(row.rowid);
    m_maxRowid = std::max(m_maxRowid, row.rowid);
    m_rows.push_back(std::move(row));
    return true;
}

void LaidOutTable::SetRowid(std::size_t row, qint64 rowid)
{
    m_rowids.remove(m_rows[row].rowid);
    m_rowids.insert(rowid);
    m_maxRowid = std::max(m_maxRowid, rowid);
    m_rows[row].rowid = rowid;
}
