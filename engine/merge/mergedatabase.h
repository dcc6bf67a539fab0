#ifndef MERGEDATABASE_H
#define MERGEDATABASE_H

#include <QString>
#include <QStringList>
#include <QVariant>

#include <map>
#include <set>
#include <vector>

struct sqlite3;

// A read-write connection to the private copy of one of the target's
// databases, with the database that holds the records to add attached as
// "src". Rows are copied column by column between the two: the statements
// are built here from the columns both tables have (pragma_table_info), with
// quoted identifiers, so no SQL text of a backup is ever run: the target's
// triggers are off on this connection (they call the phone's own functions;
// a merger does what bookkeeping its rows need itself). Owned by the
// merge of one store, on one thread.
class MergeDatabase
{
public:
    using Values = std::map<QString, QVariant>; // column -> value

    MergeDatabase() = default;
    ~MergeDatabase();
    MergeDatabase(const MergeDatabase&) = delete;
    MergeDatabase& operator=(const MergeDatabase&) = delete;

    // Opens `file` (its log, if any, lies beside it as "<file>-wal").
    bool Open(const QString& file);
    // Attaches `file` as "src", read-only; `immutable` for a file nobody
    // writes (the backup's own), so that nothing is created beside it; `vfs`
    // names the VFS that must read it, if not the default.
    bool AttachSource(const QString& file, bool immutable, const QByteArray& vfs = QByteArray());
    bool DetachSource();
    bool Begin();
    bool Commit();
    void Rollback();
    // Moves the log into the file, checks the database's integrity and closes.
    bool Finish();
    QString LastError() const { return m_error; }

    bool HasTable(const QString& schema, const QString& table);
    QStringList Columns(const QString& schema, const QString& table);
    bool HasColumn(const QString& schema, const QString& table, const QString& column);

    // Limits the records taken from src: every row of a table named here is
    // only one of its rowids listed (an empty map: no limit).
    void SetSelection(std::map<QString, std::set<qint64>> selection)
    {
        m_selection = std::move(selection);
    }

    // Rowids of src.`table` whose `column` is `value` (every row when
    // `column` is empty), only the selected ones of a selected table,
    // ordered by `order` (a column; empty: rowid order).
    std::vector<qint64> SourceRowids(const QString& table, const QString& column = QString(),
                                     const QVariant& value = QVariant(),
                                     const QString& order = QString());
    // The value of `column` of a row of `schema`.`table`; null when absent.
    QVariant Value(const QString& schema, const QString& table, const QString& column,
                   qint64 rowid);
    // The first rowid of main.`table` whose columns hold `values`; -1: none.
    qint64 FindRow(const QString& table, const Values& values);
    // The main row that is already the src row: the same `identity` (a GUID
    // column, when both have it and the src row has one), else the same
    // values in every shared column but the rowid and the `ignored` ones
    // (keys a merge hands out anew), `overrides` standing for the src values
    // they replace; -1: none.
    qint64 FindSame(const QString& table, qint64 srcRowid, const QString& identity,
                    const Values& overrides = Values(), const QStringList& ignored = QStringList());
    // Inserts a copy of a src row into main with a new rowid (for Core Data
    // tables the next key of its entity, kept in Z_PRIMARYKEY, and the
    // target's number of the entity of that name); `overrides`
    // replace src values (mapped keys). The new rowid, -1 on failure.
    qint64 Copy(const QString& table, qint64 srcRowid, const Values& overrides = Values());
    // Inserts `values` into main.`table`; the new rowid, -1 on failure.
    qint64 Insert(const QString& table, const Values& values);
    // The rowid of main.`table` whose `column` is `text`, added when missing
    // (label and key tables).
    qint64 FindOrAdd(const QString& table, const QString& column, const QVariant& text);

    // Statements of the caller's own text, values bound in order. Scalar()
    // answers the first column of the first row (an empty string for NULL),
    // invalid for no row or an error.
    bool Exec(const QString& sql, const std::vector<QVariant>& params = {});
    QVariant Scalar(const QString& sql, const std::vector<QVariant>& params = {});

    static QString Quote(const QString& identifier);
    // Records why a merger gives up (what LastError() then says); false.
    bool Refuse(const QString& reason) { return Fail(reason); }

private:
    QString RowidAlias(const QString& schema, const QString& table);
    qint64 NextCoreDataKey(const QString& table, qint64 srcRowid, QVariant& entity);
    // The target's Core Data entity for a src entity number.
    QVariant TargetEntity(const QVariant& entity);
    bool Fail(const QString& error);

    sqlite3* m_db = nullptr;
    bool m_attached = false;
    QString m_error;
    std::map<QString, QStringList> m_columns; // "schema.table" -> columns
    std::map<QString, std::set<qint64>> m_selection;
};

#endif // MERGEDATABASE_H
