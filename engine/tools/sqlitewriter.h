#ifndef SQLITEWRITER_H
#define SQLITEWRITER_H

#include <QString>
#include <QVariant>

#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// A database file being written by the sample backup writer: statements run
// inside one transaction that Close() commits. The file is left in WAL mode,
// as the phone leaves its databases; after StartLog() what follows is
// committed into the log only, which Close() moves to where the backup keeps it.
// A sample is held against its full truth, so no failure passes: the first
// statement that fails (a misspelt column, a broken constraint) makes
// Close() fail with its error, whether or not its caller looked.
class SqliteWriter
{
public:
    SqliteWriter();
    ~SqliteWriter();
    SqliteWriter(const SqliteWriter&) = delete;
    SqliteWriter& operator=(const SqliteWriter&) = delete;

    bool Open(const QString& path);
    bool Exec(const QString& sql);
    // Runs one statement with `values` bound in order; the new row's id, or -1.
    qint64 Insert(const QString& sql, const std::vector<QVariant>& values);
    // The rows of a query, each a list of its columns' values.
    QList<QVariantList> Select(const QString& sql);
    // Commits what came before and writes the rest into the log.
    bool StartLog();
    bool Logging() const { return m_logging; }
    // Commits; a log started by StartLog() goes to `logPath`, which must then be given.
    bool Close(const QString& logPath = QString());
    QString LastError() const { return m_error; }
    QString Path() const { return m_path; }

private:
    // Keeps the first failure for Close(); false.
    bool Fail(const QString& error);

    sqlite3* m_db = nullptr;
    QString m_path;
    bool m_logging = false;
    QString m_error;
    QString m_firstFailure; // of a statement since Open()
};

#endif // SQLITEWRITER_H
