#ifndef DELETEDROWS_H
#define DELETEDROWS_H

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <atomic>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

class ReaderContext;
class SqliteDb;
struct sqlite3;
struct sqlite3_stmt;

// The rows one database of the backup lost, carved from the private working
// copy the engine reads (with its log) and laid out as a database of the
// same schema in the scan's work folder, so that a category's reader reads
// them exactly as it reads the live rows. A record table holds the carved
// rows of one source at a time (plus the live rows its filter keeps, e.g.
// folders); a support table holds the live rows its filter keeps and every
// carved row. A carved row whose rowid or identity a live row has is never
// taken. Used on the scan's thread; the context is borrowed, the files are
// removed with the object.
class DeletedRows
{
public:
    struct Table
    {
        enum Kind { Records, Support };
        QString name;
        Kind kind = Support;
        // SQL condition on live rows to copy ("0": none); may name the
        // tables built before it as main.<table>.
        QString keepLive = QStringLiteral("0");
        // A column that identifies a record across versions (a GUID); empty: none.
        QString identity;
        // A query of the rowids the database itself logs as removed (a change
        // log); such rows say so in their source. Empty: none.
        QString logged = QString();
        // Rows of a record table that others still hold of rows it lost (a
        // search index, values whose owner is gone): each a source of its own,
        // filled by an INSERT into main.<table> from the tables laid out,
        // where every table of `needs` (by its laid-out name) is there. A rowid a live or
        // carved row has is never taken from them.
        struct Remnant
        {
            QByteArray source;
            QStringList needs;
            QString fill;
        };
        std::vector<Remnant> remnants = {};
        // A query on the laid-out tables of (rowid, rowid it had) for record
        // rows whose rowid was overwritten but that another table still ties
        // to theirs; %1 stands for the first rowid given to such rows.
        QString identify = QString();
        // A query on the laid-out tables of (rowid, rowid of another carved
        // row) for record rows whose rowid was overwritten but that are an
        // older copy of that row (the same note data, say): the row takes
        // what it lacks from the copy, which goes; %1 as in `identify`.
        QString copyOf = QString();
        // Run on the laid-out database once the rows of a source are in it:
        // completes them from what other tables know; false when it fails.
        std::function<bool(sqlite3*)> complete = nullptr;
        // A support table's name in the laid-out database where its own is
        // that of a virtual table's part (SQLite keeps those for the virtual table,
        // which the live database has); empty: its own.
        QString layout = QString();
        // The columns a reader of Rows() takes (with the identity and the
        // table's keys, always kept); a row holds only those (Columns()),
        // so that the rows of a wide table cost a fraction of their memory
        // and time. Empty: all, as a table that is laid out (Build) needs.
        QStringList read = {};
    };

    // The first rowid a carved row whose own was overwritten is given: no
    // live row has one so large.
    static constexpr qint64 LostRowids = qint64(1) << 48;

    explicit DeletedRows(ReaderContext& context);
    ~DeletedRows();
    DeletedRows(const DeletedRows&) = delete;
    DeletedRows& operator=(const DeletedRows&) = delete;

    // Carves (domain, path); `tables` in the order they are filled, `fixups`
    // run after every fill. False when the backup lacks the database, it
    // cannot be carved or the scan stopped (Stopped() on the context).
    bool Carve(const QString& domain, const QString& path, const std::vector<Table>& tables,
               const QStringList& fixups = QStringList());
    // The same in two steps, so that the scan reads the live rows meanwhile:
    // the database is opened here and carved on a thread of its own (false
    // when the backup lacks it or it cannot be opened) ...
    // `after` is work of a reader on the carved rows and Live() alone
    // (CarvedMessages): it runs on the carving thread once the rows are in,
    // so that it overlaps the live read too, and `stop` tells it the scan
    // stops. Live() is the thread's until FinishCarving().
    using AfterCarving = std::function<void(const std::atomic<bool>& stop)>;
    bool StartCarving(const QString& domain, const QString& path, const std::vector<Table>& tables,
                      const QStringList& fixups = QStringList(), AfterCarving after = {});
    // ... and this waits for the rows, answering a stop meanwhile; false as Carve().
    bool FinishCarving();
    // The sources of carved record rows (the carver's name of where they
    // were found, with ", change log" for logged ones), in a fixed order,
    // then those of the record tables' remnants.
    QList<QByteArray> Sources() const;
    // Fills the database with the record rows of `source`; its path, or empty
    // when the rows cannot be laid out (a full work folder).
    QString Build(const QByteArray& source);

    // The carved rows as found, for a reader that makes its records of them
    // itself (CarvedMessages): neither told from live rows nor laid out.
    struct Row
    {
        int table;      // index into Tables()
        int source;     // see SourceIndex()
        QVariant rowid; // a lost one is LostRowids or more
        std::vector<QVariant> values;
        bool dropped = false; // live after all, or a copy of another row
    };
    const std::vector<Row>& Rows() const { return m_rows; }
    const std::vector<Table>& Tables() const { return m_tables; }
    // The columns of table `t` its rows hold, in record order (those kept
    // of Table::read); none when the database lacks it.
    const QStringList& Columns(std::size_t t) const
    {
        return m_kept[t].empty() ? m_columns[t] : m_keptNames[t];
    }
    // The index rows of `source` (one of Sources()) carry.
    int SourceIndex(const QByteArray& source) const { return m_sources.indexOf(source); }
    // The database carved, open until the object goes or carves again.
    SqliteDb* Live() const { return m_live.get(); }

private:
    // What the carving thread reads and writes beside m_rows; made by
    // StartCarving() on the scan's thread, read back after the thread ends.
    struct Carving
    {
        QString path; // for the log
        bool inMemory = false;
        bool workingCopy = false; // databasePath is the engine's own copy
        std::vector<uint8_t> database, wal, journal;
        std::string databasePath, walPath, journalPath;
        std::vector<std::string> unindexed;
        std::vector<QSet<qint64>> logged; // rowids each table's change log names
        std::atomic<bool> stop{false};
        std::atomic<std::uint32_t> pagesDone{0}, pagesTotal{0};
        std::future<bool> done;
        std::function<bool()> liveGoOn; // Live()'s own stop test, while the thread has it
    };
    // Waits for the carving thread and gives Live() back its stop test.
    bool EndCarving();
    // Carves on the carving thread into m_rows; false when it cannot be
    // carved or was stopped.
    bool Run(Carving& carving);
    bool Exec(const QString& sql);
    // Attaches a copy of the live database held in memory as "live".
    bool AttachImage();
    bool Open();
    // A CREATE TABLE of the engine's own making for `table` of the live
    // database; empty when its columns cannot be read.
    QString CreateStatement(const QString& table, const QString& as) const;
    // The quoted name of table `t` in the laid-out database.
    QString LaidOut(std::size_t t) const;
    bool Fill();
    // Gives the carved rows of table `t` whose rowid was lost the one its
    // `identify` query finds.
    void Reidentify(std::size_t t);
    // Folds the older copies its `copyOf` query finds into the rows they copy.
    void FoldCopies(std::size_t t);
    // The (first, second) rowid pairs a query of the table gives, %1 the
    // first lost rowid; a second rowid that two rows name is left out.
    QHash<qint64, qint64> Pairs(const QString& query) const;
    bool Insert(const Row& row);
    // Lays out the remnants of table `t` that `source` names, with no rowid
    // a live or carved row has.
    bool FillRemnants(std::size_t t, const QByteArray& source);
    // Ends a transaction that `ok` says failed with a rollback, a warning and
    // no more databases; returns `ok`.
    bool Finish(bool ok);
    void Remove();

    ReaderContext& m_context;
    std::vector<Table> m_tables;
    std::vector<QStringList> m_columns; // of each table, in record order
    std::vector<QString> m_alias;       // each table's INTEGER PRIMARY KEY, if any
    // By table, the record's columns Table::read keeps and their names;
    // empty: all.
    std::vector<std::vector<int>> m_kept;
    std::vector<QStringList> m_keptNames;
    QStringList m_fixups;
    std::vector<Row> m_rows;
    QList<QByteArray> m_sources;
    std::unique_ptr<SqliteDb> m_live; // keeps the working copy while rows are built
    QString m_file;
    sqlite3* m_db = nullptr;
    std::vector<sqlite3_stmt*> m_inserts; // by table, prepared on first use
    bool m_failed = false;                // the work folder refused the rows
    std::unique_ptr<Carving> m_carving;   // while the carving thread runs
};

#endif // DELETEDROWS_H
