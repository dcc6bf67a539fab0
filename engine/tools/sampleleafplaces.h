#ifndef SAMPLELEAFPLACES_H
#define SAMPLELEAFPLACES_H

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <vector>

class SqliteWriter;

// Leaves deleted rows of a table where a carver must look hardest, and
// tells, by reading the committed pages from the file, which rows lie whole
// there: the unallocated gap of the table's last leaf (cells freed at the
// top of its content area, each with its first four bytes overwritten by a
// freeblock header), a freeblock of neighbouring cells whose far end a newer
// row cut, and the table's root page once it has become an interior page.
// Needs the page statistics (dbstat); without them nothing is placed.
// Owns nothing; the database stays the caller's.
class SampleLeafPlaces
{
public:
    // A row left in a place: its columns as the caller's select gave them
    // before it went, and the place where it lies whole ("gap", "cut
    // freeblock"), else null; `cutter` for the row that cut the freeblock.
    struct Left
    {
        QVariantList row;
        const char* place = nullptr;
        bool cutter = false;
    };
    // On `table`'s last leaf, by where the cells lie: the two at the top of
    // the content area go into the gap; three neighbours below, which a live
    // cell follows, into one freeblock, whose far end the row `cut` inserts
    // takes (given the newest of the five's row; its new rowid, or -1),
    // after which that row goes too. `select` ("SELECT rowid, ... WHERE
    // rowid IN (%1)") gives each row's columns; each text from its third on
    // must lie on the page for the row to count as whole. `remove` deletes
    // the rows "a,b,..." with what hangs on them. Nothing is left where the
    // leaf has too few cells or the deletions would leave it underfull
    // (SQLite would rebuild it); false only when a statement fails.
    static bool Leave(SqliteWriter& db, const QString& table, const QString& select,
                      const std::function<bool(const QString&)>& remove,
                      const std::function<qint64(const QVariantList&)>& cut,
                      std::vector<Left>& left);
    // Whether `table`'s last leaf holds eight cells or more and has less
    // than a tenth of its page free: the moment for Leave().
    static bool LastLeafFull(SqliteWriter& db, const QString& table);
    // Whether `table`'s root page is still a leaf; false without page statistics.
    static bool RootIsLeaf(SqliteWriter& db, const QString& table);
    // `table`'s root page as the file holds it once what came before is
    // committed (the writer goes on in a new transaction); empty on failure.
    static QByteArray RootPage(SqliteWriter& db, const QString& table);
    // The rows of a query of the page statistics; none where this build of
    // SQLite has no such table.
    static QList<QVariantList> PageStatistics(SqliteWriter& db, const QString& sql);
    // Three clauses ("ORDER BY <key> LIMIT ... OFFSET ...") that select the
    // rows of two neighbouring leaves in the middle of `table` (of five or more): the first's,
    // the second's, both. Deleting both leaves' rows in key order makes
    // SQLite merge the two and free the second's page, its old cells and
    // all, to the free list. Clauses that select nothing without page
    // statistics.
    static QStringList FreedPages(SqliteWriter& db, const QString& table, const QString& key);
    // The free-list pages (trunks and leaves) of the closed database at
    // `path` with its log at `logPath` (none where empty), one after the
    // other; empty where it is no database.
    static QByteArray FreePages(const QString& path, const QString& logPath);

private:
    struct LeafCell
    {
        quint32 offset, size;
        qint64 rowid;
    };
    // The cells of `table`'s last leaf in the order they lie, read with the
    // page into `page` from the file once what came before is committed;
    // none without page statistics.
    static std::vector<LeafCell> LastLeaf(SqliteWriter& db, const QString& table, QByteArray& page);
    // Page `number` of `size` bytes, committed first.
    static QByteArray CommittedPage(SqliteWriter& db, qint64 number, qint64 size);
};

#endif // SAMPLELEAFPLACES_H
