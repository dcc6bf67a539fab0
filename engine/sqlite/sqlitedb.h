#ifndef SQLITEDB_H
#define SQLITEDB_H

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// A read-only connection to one SQLite file of the backup, owned by the
// thread that opened it. Queries hand each row to a function; every failure
// (not a database, truncated, missing table or column) is a false result with
// the reason in LastError(), never an exception.
class SqliteDb
{
public:
    // One result row; columns by position.
    class Row
    {
    public:
        explicit Row(sqlite3_stmt* statement) : m_statement(statement) {}
        bool IsNull(int column) const;
        qint64 Int(int column) const;
        double Real(int column) const;
        // Null for a NULL column, so that absent texts stay absent.
        QByteArray Text(int column) const;
        QString String(int column) const;

    private:
        sqlite3_stmt* m_statement;
    };
    using RowFunction = std::function<bool(const Row&)>;

    SqliteDb();
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    // Opens `path` read-only and checks that it is a readable database.
    bool Open(const QString& path);
    void Close();
    bool IsOpen() const { return m_db != nullptr; }
    bool HasTable(const QString& table);
    bool HasColumn(const QString& table, const QString& column);
    // Runs `sql` with `params` bound in order; `row` returns false to stop early.
    bool Query(const QString& sql, const std::vector<QVariant>& params, const RowFunction& row);
    bool Query(const QString& sql, const RowFunction& row) { return Query(sql, {}, row); }
    QString LastError() const { return m_error; }

private:
    sqlite3* m_db = nullptr;
    QString m_error;
};

#endif // SQLITEDB_H
