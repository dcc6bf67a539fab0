#include "sampleleafplaces.h"

#include "sqlitewriter.h"

#include <QFile>
#include <QHash>
#include <QStringList>

#include <algorithm>

QList<QVariantList> SampleLeafPlaces::PageStatistics(SqliteWriter& db, const QString& sql)
{
    return db.Select(QStringLiteral("SELECT 1 FROM pragma_module_list WHERE name = 'dbstat'"))
                   .isEmpty()
               ? QList<QVariantList>()
               : db.Select(sql);
}

bool SampleLeafPlaces::LastLeafFull(SqliteWriter& db, const QString& table)
{
    return !PageStatistics(db, QStringLiteral("SELECT 1 FROM (SELECT ncell, unused, pgsize FROM "
                                              "dbstat WHERE name = '%1' AND pagetype = 'leaf' "
                                              "ORDER BY path DESC LIMIT 1) WHERE ncell >= 8 AND "
                                              "unused * 10 < pgsize")
                                   .arg(table))
                .isEmpty();
}

bool SampleLeafPlaces::RootIsLeaf(SqliteWriter& db, const QString& table)
{
    return !PageStatistics(db, QStringLiteral("SELECT 1 FROM dbstat WHERE name = '%1' AND path "
                                              "= '/' AND pagetype = 'leaf'")
                                   .arg(table))
                .isEmpty();
}

QByteArray SampleLeafPlaces::CommittedPage(SqliteWriter& db, qint64 number, qint64 size)
{
    // The file holds what was committed; the writer goes on in a new transaction.
    QFile file(db.Path());
    if (number < 1 || size < 512 || !db.Exec(QStringLiteral("COMMIT; BEGIN")) ||
        !file.open(QIODevice::ReadOnly) || !file.seek((number - 1) * size))
        return QByteArray();
    const QByteArray page = file.read(size);
    return page.size() == size ? page : QByteArray();
}

QByteArray SampleLeafPlaces::RootPage(SqliteWriter& db, const QString& table)
{
    const QList<QVariantList> root = PageStatistics(
        db, QStringLiteral("SELECT pageno, pgsize FROM dbstat WHERE name = '%1' AND path = '/'")
                .arg(table));
    return root.isEmpty()
               ? QByteArray()
               : CommittedPage(db, root[0].value(0).toLongLong(), root[0].value(1).toLongLong());
}

std::vector<SampleLeafPlaces::LeafCell>
SampleLeafPlaces::LastLeaf(SqliteWriter& db, const QString& table, QByteArray& page)
{
    const QList<QVariantList> leaf = PageStatistics(
        db, QStringLiteral("SELECT pageno, pgsize FROM dbstat WHERE name = '%1' AND pagetype = "
                           "'leaf' ORDER BY path DESC LIMIT 1")
                .arg(table));
    page = leaf.isEmpty()
               ? QByteArray()
               : CommittedPage(db, leaf[0].value(0).toLongLong(), leaf[0].value(1).toLongLong());
    const qint64 size = page.size();
    const auto* bytes = reinterpret_cast<const unsigned char*>(page.constData());
    const auto varint = [&](qint64& at, quint64& value) {
        value = 0;
        for (int k = 0; k < 9 && at < size; ++k) {
            const unsigned char b = bytes[at++];
            value = k == 8 ? (value << 8) | b : (value << 7) | (b & 0x7F);
            if (k == 8 || b < 0x80)
                return true;
        }
        return false;
    };
    std::vector<LeafCell> cells;
    if (size == 0 || bytes[0] != 13)
        return cells;
    const int count = bytes[3] << 8 | bytes[4];
    for (int i = 0; i < count && 10 + 2 * i <= size; ++i) {
        qint64 at = bytes[8 + 2 * i] << 8 | bytes[9 + 2 * i];
        const qint64 start = at;
        quint64 payload = 0, rowid = 0;
        // A record spilling to an overflow page is no cell to place.
        if (!varint(at, payload) || !varint(at, rowid) || payload > quint64(size - 35))
            return {};
        cells.push_back({quint32(start), quint32(at - start + qint64(payload)), qint64(rowid)});
    }
    std::sort(cells.begin(), cells.end(),
              [](const LeafCell& a, const LeafCell& b) { return a.offset < b.offset; });
    return cells;
}

bool SampleLeafPlaces::Leave(SqliteWriter& db, const QString& table, const QString& select,
                             const std::function<bool(const QString&)>& remove,
                             const std::function<qint64(const QVariantList&)>& cut,
                             std::vector<Left>& left)
{
    QByteArray page;
    const std::vector<LeafCell> cells = LastLeaf(db, table, page);
    if (cells.size() < 8)
        return true;
    const auto joined = [&cells](std::size_t i, std::size_t count) {
        for (std::size_t k = i; k + 1 < i + count; ++k) {
            if (cells[k].offset + cells[k].size != cells[k + 1].offset)
                return false;
        }
        return true;
    };
    // Three neighbours a live cell follows, below the gap's two and apart
    // from them (a block that touched the gap would join it).
    std::size_t block = 3;
    while (block + 3 < cells.size() && !joined(block, 4))
        ++block;
    qint64 used = 0, taken = 0;
    for (std::size_t k = 0; k < cells.size(); ++k) {
        used += cells[k].size;
        taken += k < 2 || (k >= block && k < block + 3) ? cells[k].size : 0;
    }
    if (!joined(0, 2) || block + 3 >= cells.size() || 3 * (used - taken) < page.size() + 192)
        return true;
    const std::vector<std::size_t> chosen{0, 1, block, block + 1, block + 2};
    const auto ids = [&cells](std::initializer_list<std::size_t> which) {
        QStringList list;
        for (const std::size_t k : which)
            list << QString::number(cells[k].rowid);
        return list.join(QLatin1Char(','));
    };
    const QList<QVariantList> rows =
        db.Select(select.arg(ids({0, 1, block, block + 1, block + 2})));
    if (rows.size() != 5)
        return true;
    QHash<qint64, QVariantList> byRow;
    qint64 newest = -1;
    for (const QVariantList& row : rows) {
        byRow.insert(row.value(0).toLongLong(), row);
        newest = qMax(newest, row.value(0).toLongLong());
    }
    if (!remove(ids({block, block + 1, block + 2})))
        return false;
    const qint64 cutter = cut(byRow.value(newest));
    const QVariantList cutterRow = db.Select(select.arg(cutter)).value(0);
    if (cutter < 0 || cutterRow.isEmpty() || !remove(QString::number(cutter)) ||
        !remove(ids({0})) || !remove(ids({1})))
        return false;
    // A record lies whole where the page still holds its bytes past the
    // four a freeblock header may have taken; the cutter, written last, by
    // its texts.
    const QByteArray before = page;
    LastLeaf(db, table, page);
    for (const std::size_t k : chosen) {
        const qint64 body = cells[k].offset + 4, size = qint64(cells[k].size) - 4;
        const bool whole = before.mid(body, size) == page.mid(body, size);
        left.push_back({byRow.value(cells[k].rowid),
                        whole ? (k < 2 ? "gap" : "cut freeblock") : nullptr, false});
    }
    bool whole = true;
    for (int c = 2; c < cutterRow.size(); ++c)
        whole = whole && (cutterRow[c].userType() != QMetaType::QString ||
                          page.contains(cutterRow[c].toString().toUtf8()));
    left.push_back({cutterRow, whole ? "cut freeblock" : nullptr, true});
    return true;
}

QStringList SampleLeafPlaces::FreedPages(SqliteWriter& db, const QString& table, const QString& key)
{
    // The leaves in key order, each with its number of cells.
    const QList<QVariantList> leaves = PageStatistics(
        db, QStringLiteral("SELECT ncell FROM dbstat WHERE name = '%1' AND pagetype = 'leaf' "
                           "ORDER BY path")
                .arg(table));
    if (leaves.size() < 5)
        return {QStringLiteral("LIMIT 0"), QStringLiteral("LIMIT 0"), QStringLiteral("LIMIT 0")};
    // Clear of the last leaf, whose neighbour a merge may draw on.
    const int first = int(leaves.size()) / 2 - 1;
    qint64 before = 0;
    for (int i = 0; i < first; ++i)
        before += leaves[i].value(0).toLongLong();
    const qint64 cells = leaves[first].value(0).toLongLong();
    const qint64 next = leaves[first + 1].value(0).toLongLong();
    const auto rows = [&key](qint64 offset, qint64 count) {
        return QStringLiteral("ORDER BY %1 LIMIT %2 OFFSET %3").arg(key).arg(count).arg(offset);
    };
    return {rows(before, cells), rows(before + cells, next), rows(before, cells + next)};
}

namespace {

// The big-endian 32-bit number at `at` of `data`; 0 outside it.
qint64 Number(const QByteArray& data, qint64 at)
{
    if (at < 0 || at + 4 > data.size())
        return 0;
    const auto* b = reinterpret_cast<const unsigned char*>(data.constData() + at);
    return qint64(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3];
}

} // namespace

QByteArray SampleLeafPlaces::FreePages(const QString& path, const QString& logPath)
{
    QFile file(path);
    QByteArray data = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    // The log's frames over the file's pages, up to its last commit.
    QFile logFile(logPath);
    const QByteArray log =
        !logPath.isEmpty() && logFile.open(QIODevice::ReadOnly) ? logFile.readAll() : QByteArray();
    const qint64 logPage = Number(log, 8);
    QByteArray applied = data;
    for (qint64 at = 32; logPage >= 512 && at + 24 + logPage <= log.size(); at += 24 + logPage) {
        const qint64 number = Number(log, at);
        if (number < 1 || number > (1 << 24))
            break;
        if (applied.size() < number * logPage)
            applied.append(QByteArray(int(number * logPage - applied.size()), '\0'));
        applied.replace(int((number - 1) * logPage), int(logPage), log.mid(at + 24, logPage));
        if (Number(log, at + 4) != 0)
            data = applied;
    }
    const auto number = [&data](qint64 at) { return Number(data, at); };
    // The trunk pages and the leaves they list, from the header's first trunk.
    QByteArray free;
    if (!data.startsWith("SQLite format 3"))
        return free;
    const qint64 size = number(14) & 0xFFFF;
    const qint64 pageSize = size == 1 ? 65536 : size;
    const qint64 pages = pageSize >= 512 ? data.size() / pageSize : 0;
    const auto page = [&](qint64 n) {
        return n >= 1 && n <= pages ? data.mid((n - 1) * pageSize, pageSize) : QByteArray();
    };
    for (qint64 trunk = number(32), seen = 0; trunk != 0 && seen < pages; ++seen) {
        free += page(trunk);
        const qint64 at = (trunk - 1) * pageSize;
        for (qint64 i = 0, leaves = qMin(number(at + 4), pages); i < leaves; ++i)
            free += page(number(at + 8 + 4 * i));
        trunk = trunk <= pages ? number(at) : 0;
    }
    return free;
}
