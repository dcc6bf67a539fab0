#include "sqliteguard.h"

#include <sqlite3.h>

#include <initializer_list>

namespace SqliteCarve {

namespace {

bool Equal(const char* a, const char* b)
{
    return a && sqlite3_stricmp(a, b) == 0;
}

bool OneOf(const char* name, std::initializer_list<const char*> names)
{
    for (const char* n : names) {
        if (Equal(name, n))
            return true;
    }
    return false;
}

// Pragmas that only read; those of the second list only without an argument
// (with one they set what they would read).
bool ReadingPragma(const char* name, const char* argument)
{
    if (OneOf(name, {"table_info", "table_xinfo", "index_list", "index_info", "index_xinfo",
                     "foreign_key_list", "quick_check", "integrity_check"}))
        return true;
    return !argument && OneOf(name, {"page_size", "page_count", "encoding", "user_version",
                                     "schema_version", "freelist_count", "journal_mode",
                                     "application_id", "data_version", "auto_vacuum"});
}

int Authorize(void* createOnly, int action, const char* arg1, const char* arg2, const char*,
              const char*)
{
    // While a schema statement of the backup is prepared, only what a plain
    // CREATE TABLE needs is allowed.
    if (createOnly && *static_cast<bool*>(createOnly)) {
        switch (action) {
        case SQLITE_CREATE_TABLE:
        case SQLITE_CREATE_INDEX: // of a UNIQUE or PRIMARY KEY constraint
        case SQLITE_INSERT:       // the rows of the new table in sqlite_master,
        case SQLITE_UPDATE:       // which SQLite then completes
        case SQLITE_READ:
            return SQLITE_OK;
        case SQLITE_FUNCTION: // in a DEFAULT or CHECK expression
            break;
        default: // above all SQLITE_SELECT: no CREATE TABLE ... AS SELECT
            return SQLITE_DENY;
        }
    }
    switch (action) {
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
    case SQLITE_CREATE_TRIGGER:
    case SQLITE_CREATE_TEMP_TRIGGER:
    case SQLITE_CREATE_VIEW:
    case SQLITE_CREATE_TEMP_VIEW:
    case SQLITE_CREATE_VTABLE:
        return SQLITE_DENY;
    case SQLITE_PRAGMA:
        return ReadingPragma(arg1, arg2) ? SQLITE_OK : SQLITE_DENY;
    case SQLITE_FUNCTION:
        // Functions that read or write files or load code; none is built into
        // SQLite's library as such, but an application may register them.
        return OneOf(arg2, {"load_extension", "fts3_tokenizer", "readfile", "writefile", "edit",
                            "zipfile", "sqlar_compress", "sqlar_uncompress"})
                   ? SQLITE_DENY
                   : SQLITE_OK;
    default:
        return SQLITE_OK;
    }
}

// Per connection: whether it is preparing a schema statement of the backup.
// One flag per thread serves every connection, as each is used by one thread.
thread_local bool t_createOnly = false;

} // namespace

bool SqliteGuard::Harden(sqlite3* db)
{
    if (!db)
        return false;
    int set = -1;
    bool ok = sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, &set) == SQLITE_OK && set == 1;
    ok = sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, &set) == SQLITE_OK && set == 0 &&
         ok;
    ok = sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, &set) == SQLITE_OK && set == 0 &&
         ok;
    ok = sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, &set) == SQLITE_OK &&
         set == 0 && ok;
    ok = sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_FTS3_TOKENIZER, 0, &set) == SQLITE_OK &&
         set == 0 && ok;
    // No database beyond those already attached.
    int attached = 0;
    sqlite3_stmt* list = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA database_list", -1, &list, nullptr) == SQLITE_OK) {
        while (sqlite3_step(list) == SQLITE_ROW) {
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(list, 1));
            attached += OneOf(name, {"main", "temp"}) ? 0 : 1;
        }
    }
    sqlite3_finalize(list);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, attached);
    return sqlite3_set_authorizer(db, Authorize, &t_createOnly) == SQLITE_OK && ok;
}

bool SqliteGuard::RunCreateTable(sqlite3* db, const std::string& sql)
{
    // Only the first statement is prepared, as SQLite itself reads its
    // schema: whatever follows it is never looked at.
    sqlite3_stmt* statement = nullptr;
    t_createOnly = true;
    const bool ok =
        sqlite3_prepare_v2(db, sql.c_str(), int(sql.size()), &statement, nullptr) == SQLITE_OK &&
        statement;
    t_createOnly = false;
    const bool done = ok && sqlite3_step(statement) == SQLITE_DONE;
    sqlite3_finalize(statement);
    return done;
}

} // namespace SqliteCarve
