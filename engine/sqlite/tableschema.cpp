#include "tableschema.h"

#include <algorithm>
#include <cctype>
#include <sqlite3.h>

#include "sqliteguard.h"

namespace SqliteCarve {

namespace {

std::string upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return s;
}

std::string quoted(const std::string& name)
{
    std::string out = "\"";
    for (char c : name) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

} // namespace

TableSchema::Affinity TableSchema::affinityOf(const std::string& declaredType)
{
    // The rules of SQLite's column affinity, in their order of precedence.
    const std::string t = upper(declaredType);
    if (t.find("INT") != std::string::npos)
        return Affinity::Integer;
    if (t.find("CHAR") != std::string::npos || t.find("CLOB") != std::string::npos ||
        t.find("TEXT") != std::string::npos)
        return Affinity::Text;
    if (t.empty() || t.find("BLOB") != std::string::npos)
        return Affinity::Blob;
    if (t.find("REAL") != std::string::npos || t.find("FLOA") != std::string::npos ||
        t.find("DOUB") != std::string::npos)
        return Affinity::Real;
    return Affinity::Numeric;
}

std::optional<TableSchema>
TableSchema::fromCreateStatement(const std::string& name, const std::string& sql, uint32_t rootPage)
{
    const std::string head = upper(sql.substr(0, 64));
    if (head.find("VIRTUAL") != std::string::npos)
        return std::nullopt;
    sqlite3* db = nullptr;
    // The statement is the backup's: it runs alone, on a connection that
    // refuses anything but the table it creates.
    if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
            SQLITE_OK ||
        !SqliteGuard::Harden(db)) {
        sqlite3_close(db);
        return std::nullopt;
    }
    std::optional<TableSchema> result;
    sqlite3_stmt* stmt = nullptr;
    const std::string pragma = "PRAGMA table_info(" + quoted(name) + ")";
    if (SqliteGuard::RunCreateTable(db, sql) &&
        sqlite3_prepare_v2(db, pragma.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
        TableSchema schema;
        schema.m_name = name;
        schema.m_sql = sql;
        schema.m_rootPage = rootPage;
        int pkColumns = 0;
        int pkColumn = -1;
        bool pkIsInteger = false;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
            const std::string declared = type ? type : "";
            const int column = int(schema.m_affinity.size());
            schema.m_affinity.push_back(affinityOf(declared));
            schema.m_notNull.push_back(sqlite3_column_int(stmt, 3) != 0);
            if (sqlite3_column_int(stmt, 5) > 0) {
                ++pkColumns;
                pkColumn = column;
                pkIsInteger = upper(declared) == "INTEGER";
            }
        }
        // Only a lone primary key declared exactly INTEGER is the rowid
        // itself; its record slot always holds NULL.
        if (pkColumns == 1 && pkIsInteger)
            schema.m_alias = pkColumn;
        if (!schema.m_affinity.empty())
            result = std::move(schema);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return result;
}

TableSchema TableSchema::master()
{
    TableSchema schema;
    schema.m_name = "sqlite_master";
    schema.m_rootPage = 1;
    schema.m_affinity = {Affinity::Text, Affinity::Text, Affinity::Text, Affinity::Integer,
                         Affinity::Text};
    schema.m_notNull = {true, true, true, false, false};
    return schema;
}

bool TableSchema::accepts(int column, uint64_t serialType) const
{
    if (serialType == 10 || serialType == 11)
        return false;
    if (column == m_alias)
        return serialType == 0;
    if (serialType == 0)
        return !m_notNull[size_t(column)];
    const bool number = serialType <= 9;
    switch (m_affinity[size_t(column)]) {
    case Affinity::Integer:
    case Affinity::Real:
        // A text that does not read as a number keeps its type even here,
        // but carving accepts only what these columns normally hold.
        return number;
    case Affinity::Text:
        return !number;
    case Affinity::Blob:
    case Affinity::Numeric:
        return true;
    }
    return false;
}

} // namespace SqliteCarve
