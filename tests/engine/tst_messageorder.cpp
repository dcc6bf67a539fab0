// The order the message reader gives a conversation's entries that came
// unsorted, against SQLite's own ORDER BY date, ROWID over the same rows:
// dates of every storage class, ties, and rows of two conversations
// interleaved.

#include "messageorder.h"
#include "sqlitedb.h"

#include <QtTest>

#include <sqlite3.h>

class TestMessageOrder : public QObject
{
    Q_OBJECT

private slots:
    void sameAsSqlite_data();
    void sameAsSqlite();
};

void TestMessageOrder::sameAsSqlite_data()
{
    // Rows as "conversation:date" SQL values, in the order the query gives
    // them; their rowids count up from 1 in this order unless `rowids` says.
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QList<int>>("rowids");
    QTest::addColumn<QList<int>>("disordered"); // the conversations that need sorting
    QTest::newRow("in order") << QStringList{"0:10", "0:20", "1:5", "1:7"} << QList<int>{}
                              << QList<int>{};
    QTest::newRow("a late row") << QStringList{"0:10", "0:30", "0:20"} << QList<int>{}
                                << QList<int>{0};
    QTest::newRow("two conversations interleaved")
        << QStringList{"1:50", "0:10", "1:40", "0:11", "1:60"} << QList<int>{} << QList<int>{1};
    QTest::newRow("equal dates by rowid")
        << QStringList{"0:10", "0:10", "0:10"} << QList<int>{3, 1, 2} << QList<int>{0};
    QTest::newRow("integers and reals by value") << QStringList{"0:2.5",
                                                                "0:2",
                                                                "0:3",
                                                                "0:-1.0e3",
                                                                "0:9007199254740993",
                                                                "0:9007199254740992.0",
                                                                "0:-2.5",
                                                                "0:-2",
                                                                "0:-3",
                                                                "0:1e300",
                                                                "0:9223372036854775807",
                                                                "0:-1e300",
                                                                "0:-9223372036854775808"}
                                                 << QList<int>{} << QList<int>{0};
    QTest::newRow("null first, then numbers, texts, blobs")
        << QStringList{"0:x'00'", "0:'b'", "0:'a'", "0:7", "0:NULL", "0:x''", "0:''", "0:NULL"}
        << QList<int>{} << QList<int>{0};
    QTest::newRow("texts byte by byte") << QStringList{"0:'ab'", "0:'a'", "0:'B'", "0:'é'", "0:'e'"}
                                        << QList<int>{} << QList<int>{0};
    QTest::newRow("extreme integers")
        << QStringList{"0:9223372036854775807", "0:-9223372036854775808", "0:0"} << QList<int>{}
        << QList<int>{0};
}

void TestMessageOrder::sameAsSqlite()
{
    QFETCH(QStringList, rows);
    QFETCH(QList<int>, rowids);
    QFETCH(QList<int>, disordered);
    const QString name = SqliteDb::SharedName(QStringLiteral("order"));
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open_v2(SqliteDb::SharedUri(name).constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI, nullptr),
             SQLITE_OK);
    QString sql = QStringLiteral("CREATE TABLE m (id INTEGER PRIMARY KEY, chat, date, seen);");
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList parts = rows[r].split(':');
        sql += QStringLiteral("INSERT INTO m VALUES (%1, %2, %3, %4);")
                   .arg(rowids.isEmpty() ? r + 1 : rowids[r])
                   .arg(parts[0], parts.mid(1).join(':'))
                   .arg(r);
    }
    QCOMPARE(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);

    SqliteDb read;
    QVERIFY(read.Open(name));
    MessageOrder order(2);
    QVector<QVector<qint64>> got(2);
    QVERIFY(read.Query(QStringLiteral("SELECT chat, id, date FROM m ORDER BY seen"),
                       [&](const SqliteDb::Row& row) {
                           order.Add(std::size_t(row.Int(0)), row, 2, row.Int(1));
                           got[int(row.Int(0))] << row.Int(1);
                           return true;
                       }));
    QList<int> sorted;
    for (const auto& [chat, positions] : order.Disorder()) {
        sorted << int(chat);
        QVector<qint64> reordered;
        for (const std::size_t from : positions)
            reordered << got[int(chat)][int(from)];
        got[int(chat)] = reordered;
    }
    QCOMPARE(sorted, disordered);
    for (int chat = 0; chat < 2; ++chat) {
        QVector<qint64> want;
        QVERIFY(read.Query(QStringLiteral("SELECT id FROM m WHERE chat = ? ORDER BY date, id"),
                           {chat}, [&want](const SqliteDb::Row& row) {
                               want << row.Int(0);
                               return true;
                           }));
        QCOMPARE(got[chat], want);
    }
    read.Close();
    sqlite3_close(db);
}

QTEST_GUILESS_MAIN(TestMessageOrder)
#include "tst_messageorder.moc"
