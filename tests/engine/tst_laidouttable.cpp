// What the deleted pass asks of a live table: its rowids in order, however
// SQLite lists them, and which of many texts its rows hold, whatever bytes
// the texts carry; and what a laid-out table takes in, as INSERT OR IGNORE
// would, with the sets it keeps of its rowids and keys; and the list of
// rowids the carved messages are told apart by.

#include "keyindex.h"
#include "laidouttable.h"
#include "rowidlist.h"
#include "rowidset.h"
#include "sqlitedb.h"

#include <limits>
#include <random>
#include <set>

#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

class TestLaidOutTable : public QObject
{
    Q_OBJECT

private slots:
    void liveRowids_data();
    void liveRowids();
    void liveMatches_data();
    void liveMatches();
    void insertIgnoresTakenRowidsAndKeys_data();
    void insertIgnoresTakenRowidsAndKeys();
    void rowidSetAsStdSet_data();
    void rowidSetAsStdSet();
    void keyIndexAsksEveryRowOfAHash();
    void rowidListAsStdSet_data();
    void rowidListAsStdSet();

private:
    // A database at `path` with table t(id INTEGER PRIMARY KEY, guid TEXT
    // UNIQUE) holding `guids` under `rowids`.
    static bool Make(const QString& path, const QList<qint64>& rowids, const QStringList& guids);
    // Such a database, new, opened in `db` and described in `table`.
    bool Open(const QList<qint64>& rowids, const QStringList& guids, SqliteDb& db,
              LaidOutTable& table);
    QTemporaryDir m_dir;
    int m_serial = 0;
};

bool TestLaidOutTable::Make(const QString& path, const QList<qint64>& rowids,
                            const QStringList& guids)
{
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(path.toUtf8().constData(), &db) == SQLITE_OK &&
              sqlite3_exec(db, "CREATE TABLE t(id INTEGER PRIMARY KEY, guid TEXT UNIQUE, pad TEXT)",
                           nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt* insert = nullptr;
    ok = ok && sqlite3_prepare_v2(db, "INSERT INTO t VALUES (?, ?, zeroblob(200))", -1, &insert,
                                  nullptr) == SQLITE_OK;
    for (int i = 0; ok && i < rowids.size(); ++i) {
        const QByteArray guid = guids.value(i, QStringLiteral("g%1").arg(rowids[i])).toUtf8();
        sqlite3_bind_int64(insert, 1, rowids[i]);
        sqlite3_bind_text(insert, 2, guid.constData(), guid.size(), SQLITE_TRANSIENT);
        ok = sqlite3_step(insert) == SQLITE_DONE && sqlite3_reset(insert) == SQLITE_OK;
    }
    sqlite3_finalize(insert);
    sqlite3_close(db);
    return ok;
}

bool TestLaidOutTable::Open(const QList<qint64>& rowids, const QStringList& guids, SqliteDb& db,
                            LaidOutTable& table)
{
    const QString path = m_dir.filePath(QStringLiteral("table%1.db").arg(++m_serial));
    return Make(path, rowids, guids) && db.Open(path) &&
           table.Describe(db, QStringLiteral("t"), {"guid"}, {});
}

void TestLaidOutTable::liveRowids_data()
{
    // The guids count down as the rowids count up, so that the guid index
    // (the table's smallest) lists the rowids backwards.
    QTest::addColumn<QList<qint64>>("rowids");
    QList<qint64> dense, sparse, extremes;
    for (qint64 r = 1; r <= 3000; ++r)
        dense << (r % 7 == 0 ? r + 10000 : r);
    for (qint64 r = 1; r <= 50; ++r)
        sparse << r * 1000003;
    extremes << std::numeric_limits<qint64>::min() << -5 << 0 << 7
             << std::numeric_limits<qint64>::max();
    QTest::newRow("dense, a few far out") << dense;
    QTest::newRow("sparse") << sparse;
    QTest::newRow("the extremes of a rowid") << extremes;
    // A span no bitmap could hold.
    QTest::newRow("two rows far apart") << QList<qint64>{1, qint64(1) << 62};
    QTest::newRow("one row") << QList<qint64>{42};
    QTest::newRow("none") << QList<qint64>{};
}

void TestLaidOutTable::liveRowids()
{
    QFETCH(QList<qint64>, rowids);
    QStringList guids;
    for (int i = 0; i < rowids.size(); ++i)
        guids << QStringLiteral("g%1").arg(rowids.size() - i, 8, 10, QLatin1Char('0'));
    SqliteDb live;
    LaidOutTable table;
    QVERIFY(Open(rowids, guids, live, table));
    std::vector<qint64> found{99}; // replaced, not appended to
    QVERIFY(table.LiveRowids(live, found));
    std::vector<qint64> expected(rowids.begin(), rowids.end());
    std::sort(expected.begin(), expected.end());
    QCOMPARE(found, expected);
}

void TestLaidOutTable::liveMatches_data()
{
    QTest::addColumn<QStringList>("live");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QStringList>("matched");
    QTest::newRow("plain") << QStringList{"a", "b", "c"} << QStringList{"c", "x", "a"}
                           << QStringList{"a", "c"};
    QTest::newRow("quotes and backslashes")
        << QStringList{"say \"hi\"", "C:\\dir\\", "\\u0041"}
        << QStringList{"say \"hi\"", "C:\\dir\\", "\\u0041", "A", "say hi"}
        << QStringList{"C:\\dir\\", "\\u0041", "say \"hi\""};
    QTest::newRow("control characters and beyond ASCII")
        << QStringList{"line\nbreak", "tab\there", QString::fromUtf8("caf\xc3\xa9 \xe2\x82\xac"),
                       QString::fromUtf8("\xf0\x9f\x98\x80"), QString(QChar(0x7f))}
        << QStringList{"line\nbreak",
                       "tab\there",
                       "tab here",
                       QString::fromUtf8("caf\xc3\xa9 \xe2\x82\xac"),
                       QString::fromUtf8("\xf0\x9f\x98\x80"),
                       QString(QChar(0x7f)),
                       "\x01"}
        << QStringList{QString(QChar(0x7f)), "line\nbreak", "tab\there",
                       QString::fromUtf8("caf\xc3\xa9 \xe2\x82\xac"),
                       QString::fromUtf8("\xf0\x9f\x98\x80")};
    QTest::newRow("an empty text")
        << QStringList{"", "x"} << QStringList{"", "y"} << QStringList{""};
    QTest::newRow("nothing asked") << QStringList{"a"} << QStringList{} << QStringList{};
}

void TestLaidOutTable::liveMatches()
{
    QFETCH(QStringList, live);
    QFETCH(QStringList, asked);
    QFETCH(QStringList, matched);
    QList<qint64> rowids;
    for (int i = 0; i < live.size(); ++i)
        rowids << i + 1;
    SqliteDb db;
    LaidOutTable table;
    QVERIFY(Open(rowids, live, db, table));
    std::vector<QByteArray> values;
    for (const QString& text : asked)
        values.push_back(text.toUtf8());
    QStringList found;
    QVERIFY(
        table.LiveMatches(db, QStringLiteral("guid"), values, [&found](const SqliteDb::Row& row) {
            found << row.String(0);
            return true;
        }));
    found.sort();
    matched.sort();
    QCOMPARE(found, matched);
}

// Rows as (rowid, guid), a guid of "-" standing for NULL; whether each is taken.
void TestLaidOutTable::insertIgnoresTakenRowidsAndKeys_data()
{
    QTest::addColumn<QList<qint64>>("rowids");
    QTest::addColumn<QStringList>("guids");
    QTest::addColumn<QList<bool>>("taken");
    QTest::newRow("distinct") << QList<qint64>{1, 2, 3} << QStringList{"a", "b", "c"}
                              << QList<bool>{true, true, true};
    QTest::newRow("rowid taken") << QList<qint64>{5, 5, 6} << QStringList{"a", "b", "b"}
                                 << QList<bool>{true, false, true};
    QTest::newRow("key taken") << QList<qint64>{1, 2, 3} << QStringList{"a", "a", "A"}
                               << QList<bool>{true, false, true};
    QTest::newRow("NULL keys never clash")
        << QList<qint64>{1, 2, 3} << QStringList{"-", "-", "-"} << QList<bool>{true, true, true};
    QTest::newRow("a refused row takes nothing")
        << QList<qint64>{1, 1, 2} << QStringList{"a", "b", "b"} << QList<bool>{true, false, true};
    QTest::newRow("extreme rowids")
        << QList<qint64>{std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(), 0,
                         std::numeric_limits<qint64>::min()}
        << QStringList{"a", "b", "c", "d"} << QList<bool>{true, true, true, false};
    // Enough rows for the sets to grow several times, every tenth a repeat.
    QList<qint64> rowids;
    QStringList guids;
    QList<bool> taken;
    for (int i = 0; i < 3000; ++i) {
        const bool repeat = i % 10 == 9;
        rowids << (repeat && i % 20 == 19 ? rowids[i / 20 * 10] : qint64(i) * 7919);
        guids << (repeat && i % 20 != 19 ? guids[i / 30 * 10] : QStringLiteral("g%1").arg(i));
        taken << !repeat;
    }
    QTest::newRow("growing") << rowids << guids << taken;
}

void TestLaidOutTable::insertIgnoresTakenRowidsAndKeys()
{
    QFETCH(QList<qint64>, rowids);
    QFETCH(QStringList, guids);
    QFETCH(QList<bool>, taken);
    SqliteDb db;
    LaidOutTable table;
    QVERIFY(Open({}, {}, db, table));
    QCOMPARE(table.ColumnCount(), 1);
    for (int i = 0; i < rowids.size(); ++i) {
        LaidOutTable::Row row{rowids[i], -1, {}};
        row.cells.push_back(guids[i] == QLatin1String("-") ? StoredValue()
                                                           : StoredValue::Of(guids[i].toUtf8()));
        QCOMPARE(table.Insert(std::move(row)), taken[i]);
    }
    QCOMPARE(int(table.Rows().size()), int(std::count(taken.begin(), taken.end(), true)));
    std::set<qint64> held;
    for (int i = 0; i < rowids.size(); ++i) {
        if (taken[i])
            held.insert(rowids[i]);
    }
    for (const qint64 rowid : rowids)
        QCOMPARE(table.Rowids().contains(rowid), held.count(rowid) == 1);
    // A row moved to another rowid frees its old one.
    const qint64 old = table.Rows()[0].rowid;
    table.SetRowid(0, 424242);
    QVERIFY(table.Rowids().contains(424242));
    QVERIFY(!table.Rowids().contains(old));
}

// Inserts and removals against std::set, in runs that fill, empty and wrap
// around the block, with rowids close together and far apart.
void TestLaidOutTable::rowidListAsStdSet_data()
{
    // Rowids from `low` with `count` draws over `spread`, plus `extra`.
    QTest::addColumn<qint64>("low");
    QTest::addColumn<int>("spread");
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<qint64>>("extra");
    const qint64 most = std::numeric_limits<qint64>::max();
    const qint64 least = std::numeric_limits<qint64>::min();
    QTest::newRow("none") << qint64(0) << 1 << 0 << QList<qint64>{};
    QTest::newRow("one") << qint64(7) << 1 << 1 << QList<qint64>{};
    QTest::newRow("dense, repeated") << qint64(1) << 3000 << 5000 << QList<qint64>{};
    QTest::newRow("dense, negative") << qint64(-1500) << 3000 << 2500 << QList<qint64>{};
    QTest::newRow("dense at the top") << most - 3000 << 3000 << 2000 << QList<qint64>{most};
    QTest::newRow("dense at the bottom") << least << 3000 << 2000 << QList<qint64>{least};
    QTest::newRow("sparse") << qint64(0) << 1 << 0 << QList<qint64>{5, 1 << 20, 3, 1 << 30, 5};
    QTest::newRow("dense but for two far ends")
        << qint64(100) << 2000 << 1500 << QList<qint64>{least, most};
}

// A list answers as a set of the same rowids would, dense or sparse, at the
// ends of the range too, and for rowids just outside what it holds.
void TestLaidOutTable::rowidListAsStdSet()
{
    QFETCH(qint64, low);
    QFETCH(int, spread);
    QFETCH(int, count);
    QFETCH(QList<qint64>, extra);
    std::mt19937_64 random{quint64(spread) * 31 + quint64(count)};
    RowidList list;
    std::set<qint64> expected;
    const auto add = [&](qint64 rowid) {
        list.insert(rowid);
        expected.insert(rowid);
    };
    for (int i = 0; i < count; ++i)
        add(qint64(quint64(low) + random() % quint64(spread)));
    for (const qint64 rowid : extra)
        add(rowid);
    list.seal();
    std::vector<qint64> probes(expected.cbegin(), expected.cend());
    for (const qint64 rowid : expected) {
        probes.push_back(qint64(quint64(rowid) - 1));
        probes.push_back(qint64(quint64(rowid) + 1));
        probes.push_back(qint64(quint64(rowid) + 64));
    }
    for (const qint64 probe : {qint64(0), std::numeric_limits<qint64>::min(),
                               std::numeric_limits<qint64>::max(), qint64(quint64(low) - 1)})
        probes.push_back(probe);
    for (const qint64 probe : probes)
        QCOMPARE(list.contains(probe), expected.count(probe) == 1);
}

void TestLaidOutTable::rowidSetAsStdSet_data()
{
    QTest::addColumn<int>("seed");
    QTest::addColumn<int>("spread");
    for (int seed : {1, 2, 3})
        for (int spread : {8, 64, 1 << 20})
            QTest::addRow("seed %d, spread %d", seed, spread) << seed << spread;
}

void TestLaidOutTable::rowidSetAsStdSet()
{
    QFETCH(int, seed);
    QFETCH(int, spread);
    std::mt19937_64 random{quint64(seed)};
    RowidSet set;
    std::set<qint64> expected;
    for (int round = 0; round < 20000; ++round) {
        const qint64 rowid = qint64(random() % quint64(spread)) - spread / 2;
        const bool removing = (round / 2000) % 2 == 1 ? random() % 4 != 0 : random() % 4 == 0;
        if (removing)
            QCOMPARE(set.remove(rowid), expected.erase(rowid) == 1);
        else
            QCOMPARE(set.insert(rowid), expected.insert(rowid).second);
        QCOMPARE(set.size(), expected.size());
        const qint64 probe = qint64(random() % quint64(spread)) - spread / 2;
        QCOMPARE(set.contains(probe), expected.count(probe) == 1);
    }
    for (const qint64 rowid : expected)
        QVERIFY(set.contains(rowid));
}

// Rows under one hash are all offered until one is the same; other hashes'
// rows never are.
void TestLaidOutTable::keyIndexAsksEveryRowOfAHash()
{
    KeyIndex index;
    for (quint32 row = 0; row < 100; ++row)
        index.add(row % 3 == 0 ? 7 : 1000 + row, row);
    QCOMPARE(index.size(), std::size_t(100));
    QList<quint32> asked;
    QVERIFY(!index.find(7, [&](quint32 row) {
        asked << row;
        return false;
    }));
    std::sort(asked.begin(), asked.end());
    QList<quint32> thirds;
    for (quint32 row = 0; row < 100; row += 3)
        thirds << row;
    QCOMPARE(asked, thirds);
    QVERIFY(index.find(7, [](quint32 row) { return row == 33; }));
    QVERIFY(!index.find(7, [](quint32 row) { return row == 34; }));
    QVERIFY(index.find(1034, [](quint32 row) { return row == 34; }));
    QVERIFY(!index.find(8, [](quint32) { return true; }));
    QVERIFY(!KeyIndex().find(7, [](quint32) { return true; }));
}

QTEST_GUILESS_MAIN(TestLaidOutTable)
#include "tst_laidouttable.moc"
