#include "tableschema.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
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
            const auto* fallback = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 4));
            schema.setDefault(column, fallback ? fallback : "");
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
        schema.settleAccepted();
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
    schema.settleAccepted();
    return schema;
}

void TableSchema::setDefault(int column, const std::string& literal)
{
    if (m_defaults.size() <= size_t(column))
        m_defaults.resize(size_t(column) + 1);
    Default& value = m_defaults[size_t(column)];
    value = Default();
    std::string text = literal;
    while (!text.empty() && text.front() == '(' && text.back() == ')')
        text = text.substr(1, text.size() - 2);
    if (text.empty())
        return;
    const std::string word = upper(text);
    if (word == "TRUE" || word == "FALSE") {
        value.kind = CarvedValue::Kind::Integer;
        value.integer = word == "TRUE";
    } else if (text.size() >= 2 && text.front() == '\'' && text.back() == '\'') {
        value.kind = CarvedValue::Kind::Text;
        for (size_t i = 1; i + 1 < text.size(); ++i) {
            value.bytes += text[i];
            if (text[i] == '\'' && text[i + 1] == '\'')
                ++i;
        }
    } else if (text.size() >= 3 && (text[0] == 'x' || text[0] == 'X') && text[1] == '\'' &&
               text.back() == '\'' && text.size() % 2 == 1) {
        auto digit = [](char c) {
            return c >= '0' && c <= '9'   ? c - '0'
                   : c >= 'a' && c <= 'f' ? c - 'a' + 10
                   : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                          : -1;
        };
        for (size_t i = 2; i + 1 < text.size(); i += 2) {
            const int high = digit(text[i]);
            const int low = digit(text[i + 1]);
            if (high < 0 || low < 0)
                return;
            value.bytes += char(high << 4 | low);
        }
        value.kind = CarvedValue::Kind::Blob;
    } else {
        // A number, signed or not; an integer unless it has a point or an exponent.
        char* end = nullptr;
        errno = 0;
        const bool real = text.find_first_of(".eE") != std::string::npos;
        if (real) {
            const double number = std::strtod(text.c_str(), &end);
            if (end == text.c_str() + text.size() && errno == 0) {
                value.kind = CarvedValue::Kind::Real;
                value.real = number;
            }
        } else {
            const long long number = std::strtoll(text.c_str(), &end, 10);
            if (end == text.c_str() + text.size() && errno == 0 && end != text.c_str()) {
                value.kind = CarvedValue::Kind::Integer;
                value.integer = number;
            }
        }
    }
}

CarvedValue TableSchema::defaultValue(int column) const
{
    CarvedValue value;
    if (size_t(column) >= m_defaults.size())
        return value;
    const Default& d = m_defaults[size_t(column)];
    value.kind = d.kind;
    value.integer = d.integer;
    value.real = d.real;
    value.bytes = d.bytes;
    return value;
}

bool TableSchema::acceptsShortRecord(int count) const
{
    if (count < 1 || count > columnCount())
        return false;
    for (int i = count; i < columnCount(); ++i) {
        // ADD COLUMN cannot add a key or a NOT NULL column without a default.
        if (i == m_alias ||
            (m_notNull[size_t(i)] && (size_t(i) >= m_defaults.size() ||
                                      m_defaults[size_t(i)].kind == CarvedValue::Kind::Null)))
            return false;
    }
    return true;
}

void TableSchema::settleAccepted()
{
    m_accepted.assign(m_affinity.size(), Accepted());
    for (size_t column = 0; column < m_affinity.size(); ++column) {
        Accepted& accepted = m_accepted[column];
        // The rowid's alias holds NULL in its record, always.
        if (int(column) == m_alias) {
            accepted.small = 1;
            continue;
        }
        if (!m_notNull[column])
            accepted.small |= 1;
        // A text that does not read as a number keeps its type even in a
        // numeric column, but carving accepts only what columns normally
        // hold; types 10 and 11 are reserved.
        const Affinity affinity = m_affinity[column];
        if (affinity != Affinity::Text)
            accepted.small |= 0x3FE; // 1-9
        accepted.lengths = affinity != Affinity::Integer && affinity != Affinity::Real;
    }
}

} // namespace SqliteCarve
