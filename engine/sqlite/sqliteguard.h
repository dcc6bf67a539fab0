#ifndef SQLITEGUARD_H
#define SQLITEGUARD_H

#include <string>

struct sqlite3;

namespace SqliteCarve {

// The rules every SQLite connection of the engine runs under, since any text
// of a backup's database (its schema above all) is hostile: the defensive
// mode, an untrusted schema, no triggers, no extensions, and an authorizer
// that refuses ATTACH, DETACH, pragmas that change anything, triggers,
// views, virtual tables and functions that reach outside the database.
// Statements a backup supplies are never run; a connection that must run a
// schema statement of the backup (to learn its columns) runs it through
// RunCreateTable(), which refuses anything but one CREATE TABLE.
class SqliteGuard
{
public:
    // Puts `db` under the rules; false when SQLite refuses one of them. A
    // caller that attaches a database of its own does so before.
    static bool Harden(sqlite3* db);
    // Runs the first statement of `sql` when it is a CREATE TABLE without AS
    // SELECT, on a connection Harden() made safe; false for anything else.
    // Statements after the first are never prepared.
    static bool RunCreateTable(sqlite3* db, const std::string& sql);
};

} // namespace SqliteCarve

#endif // SQLITEGUARD_H
