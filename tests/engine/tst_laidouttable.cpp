// What the deleted pass asks of a live table: its rowids in order, however
// SQLite lists them, and which of many texts its rows hold, whatever bytes
// the texts carry.

#include "laidouttable.h"
#include "sqlitedb.h"

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

QTEST_GUILESS_MAIN(TestLaidOutTable)
#include "tst_laidouttable.moc"
