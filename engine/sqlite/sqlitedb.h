#ifndef SQLITEDB_H
#define SQLITEDB_H

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "textpiece.h"

#include <functional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// A read-only connection to one SQLite file of the backup, owned by the
// thread that opened it. Queries hand each row to a function; every failure
// (not a database, truncated, missing table or column) is a false result with
// the reason in LastError(), never an exception.
//
// The backup is evidence, and may lie on read-only media: a database alone is
// opened in place as immutable, so SQLite neither locks nor creates anything
// beside it. A database with a write-ahead log is read through links to the
// two files in a private work folder (SQLite finds a log only next to its
// database), by a VFS that opens only their targets, read-only, and keeps
// the log's index in memory; where the system has no links, from working
// copies there. The connection removes its links and copies when it closes.
// A database held only in memory (the plaintext of an encrypted backup) is
// opened from its bytes, its log's committed pages laid over them, and never
// reaches the disk.
class SqliteDb
{
public:
    // One result row; columns by position.
    class Row
    {
    public:
        explicit Row(sqlite3_stmt* statement) : m_statement(statement) {}
        bool IsNull(int column) const;
        // SQLite's storage class of the value (SQLITE_INTEGER ... SQLITE_NULL).
        int Type(int column) const;
        qint64 Int(int column) const;
        double Real(int column) const;
        // Null for a NULL column, so that absent texts stay absent.
        QByteArray Text(int column) const;
        // The same bytes, not copied (a blob's not ended by a 0): good
        // until the query moves on.
        TextPiece Piece(int column) const;
        QString String(int column) const;

    private:
        sqlite3_stmt* m_statement;
    };
    using RowFunction = std::function<bool(const Row&)>;

    // Asked now and then while a statement runs or a working copy is made;
    // false interrupts it (the statement or the open fails).
    using GoOn = std::function<bool()>;

    SqliteDb();
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    // Opens `path` read-only and checks that it is a readable database. With
    // `wal`, the database's log, both are read through links (or copies)
    // made in `workFolder`; a database already lying in `workFolder` (a
    // decrypted one) gets its log copied beside it and is read there.
    bool Open(const QString& path, const QString& wal = QString(),
              const QString& workFolder = QString());
    // Opens the bytes of a database and of its log (empty: none) as a
    // read-only database in memory; `name` stands in error texts.
    bool OpenImage(const QString& name, const QByteArray& database, const QByteArray& wal);
    // The prefix of SharedName(): Open() of such a name reads the in-memory
    // database another connection of the process made under it.
    static bool IsSharedName(const QString& path);
    // A fresh name under which a connection may make a database in memory
    // that other connections of the process can open (SQLite's memdb).
    static QString SharedName(const QString& label);
    // The URI SQLite opens for a SharedName().
    static QByteArray SharedUri(const QString& name);
    void Close();
    // For the connections opened from now on; the one open now too.
    void SetGoOn(GoOn goOn);
    const GoOn& GoOnCheck() const { return m_goOn; }
    bool IsOpen() const { return m_db != nullptr; }
    bool HasTable(const QString& table);
    bool HasColumn(const QString& table, const QString& column);
    // Runs `sql` with `params` bound in order; `row` returns false to stop early.
    bool Query(const QString& sql, const std::vector<QVariant>& params, const RowFunction& row);
    bool Query(const QString& sql, const RowFunction& row) { return Query(sql, {}, row); }
    QString LastError() const { return m_error; }
    // The file SQLite reads (the link or working copy when there is a log)
    // and, when it has one, its log's; empty when not open.
    QString ReadPath() const { return m_db ? m_readPath : QString(); }
    QString LogPath() const;
    // The VFS that must open ReadPath() for another connection ("vfs" of a
    // URI): set when it is a link to the backup's file; such a file is the
    // backup's, never the engine's own copy.
    QByteArray ReadVfs() const { return m_db ? m_readVfs : QByteArray(); }
    // Whether the database was opened with OpenImage(); its bytes and its
    // log's as given there.
    bool IsImage() const { return m_db && m_isImage; }
    const QByteArray& Image() const { return m_image; }
    const QByteArray& LogImage() const { return m_logImage; }
    // A copy of what the connection reads (an image with its log applied)
    // for sqlite3_deserialize(); null when it cannot be had. The caller frees
    // it with sqlite3_free().
    unsigned char* Serialize(qint64& size) const;
    // Copies the files a connection reading through links reads (see
    // ReadVfs()), the database and its log, into the work folder, for a
    // reader that maps its file: only the engine's own copy may be mapped,
    // since nobody shortens it meanwhile. The copies go with the connection.
    // False (with LastError()) when there are no links or no copy can be made.
    bool CopyLinkedFiles(QString& database, QString& log);
    // Hands the working copies this connection made to the caller, who
    // removes them; Close() then leaves them for another connection.
    QStringList TakeCopies();

private:
    bool OpenConnection(const QString& path, bool immutable);
    bool OpenUri(const QByteArray& uri, int flags, unsigned char* image = nullptr,
                 qint64 imageSize = 0);
    bool MakeWorkingCopy(const QString& path, const QString& wal, const QString& workFolder,
                         QString& copy);
    bool CopyFile(const QString& from, const QString& to);
    static int Interrupt(void* self);

    sqlite3* m_db = nullptr;
    QString m_readPath;
    QByteArray m_readVfs;
    bool m_immutable = false;
    bool m_isImage = false;
    QByteArray m_image, m_logImage;
    QString m_error;
    QStringList m_copies; // files this connection made, removed by Close()
    GoOn m_goOn;
};

#endif // SQLITEDB_H
