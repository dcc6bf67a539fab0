// The SQLite record carver on databases made by SQLite itself: records
// deleted with secure_delete off come back from freeblocks, the unallocated
// gap, overflow chains, dropped tables, the write-ahead log and the rollback
// journal, in UTF-8 and UTF-16 and with reserved bytes; live rows never do.

#include "carver.h"
#include "recordjson.h"
#include "samplecarversituations.h"
#include "storedvalue.h"
#include "textutf8.h"

#include <sqlite3.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Settings of a test database that must precede its first table.
struct CarverOptions
{
    int pageSize = 4096;
    int reservedBytes = 0; // at the end of each page
    QByteArray encoding = "UTF-8";
    QByteArray journalMode = "DELETE";
};

// A small SQLite database made by SQLite itself (in a temporary folder, on
// one open connection) whose bytes are carved. Carved records read
// "table/source/rowid: v1|v2|..." with the rowid "-" when it was lost, NULL
// as "null" and reals as %g.
class CarverFixture
{
public:
    explicit CarverFixture(const CarverOptions& options = CarverOptions())
    {
        m_path = m_dir.filePath(QStringLiteral("test.db"));
        if (sqlite3_open(QFile::encodeName(m_path).constData(), &m_db) != SQLITE_OK)
            return;
        int reserve = options.reservedBytes;
        if (reserve > 0)
            sqlite3_file_control(m_db, "main", SQLITE_FCNTL_RESERVE_BYTES, &reserve);
        exec("PRAGMA page_size=" + QByteArray::number(options.pageSize) + ";PRAGMA encoding='" +
             options.encoding + "';PRAGMA journal_mode=" + options.journalMode +
             ";PRAGMA wal_autocheckpoint=0;PRAGMA secure_delete=OFF;PRAGMA auto_vacuum=NONE");
    }
    ~CarverFixture() { sqlite3_close(m_db); }
    CarverFixture(const CarverFixture&) = delete;
    CarverFixture& operator=(const CarverFixture&) = delete;

    // False (with a warning) on an error.
    bool exec(const QByteArray& sql)
    {
        char* message = nullptr;
        if (sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, &message) == SQLITE_OK)
            return true;
        qWarning() << "sqlite:" << message << sql.left(200);
        sqlite3_free(message);
        return false;
    }
    // The database file, or a companion ("-wal", "-journal"), as it is now.
    QByteArray bytes(const QString& suffix = QString()) const
    {
        QFile file(m_path + suffix);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static QStringList carve(const QByteArray& database, const QByteArray& wal = QByteArray(),
                             const QByteArray& journal = QByteArray(), bool versions = false,
                             QStringList* warnings = nullptr);
    // The records of a carver that opened a database, as carve() lists them.
    static QStringList records(SqliteCarve::Carver& carver);

private:
    QTemporaryDir m_dir;
    QString m_path;
    sqlite3* m_db = nullptr;
};

// A cut record ends " (lost from N)", an older version of a live row
// " (live version)".
QStringList CarverFixture::carve(const QByteArray& database, const QByteArray& wal,
                                 const QByteArray& journal, bool versions, QStringList* warnings)
{
    auto vector = [](const QByteArray& b) { return std::vector<uint8_t>(b.begin(), b.end()); };
    SqliteCarve::Carver carver;
    carver.setReportLiveVersions(versions);
    std::string error;
    if (!carver.openBytes(vector(database), vector(wal), vector(journal), &error)) {
        qWarning() << "carver:" << error.c_str();
        return QStringList();
    }
    for (const std::string& warning : carver.warnings()) {
        if (warnings)
            *warnings << QString::fromStdString(warning);
    }
    return records(carver);
}

QStringList CarverFixture::records(SqliteCarve::Carver& carver)
{
    QStringList records;
    carver.run([&](const SqliteCarve::CarvedRecord& record) {
        QStringList values;
        for (const SqliteCarve::CarvedValue& v : record.values) {
            using Kind = SqliteCarve::CarvedValue::Kind;
            const QByteArray bytes(v.bytes.data(), int(v.bytes.size()));
            std::string text;
            if (v.kind == Kind::Text)
                SqliteCarve::appendUtf8(text, v.bytes, carver.image().encoding());
            values << (v.kind == Kind::Null      ? QStringLiteral("null")
                       : v.kind == Kind::Integer ? QString::number(v.integer)
                       : v.kind == Kind::Real    ? QString::number(v.real, 'g', 12)
                       : v.kind == Kind::Blob    ? "x" + QString::fromLatin1(bytes.toHex())
                                                 : QString::fromStdString(text));
        }
        records << QStringLiteral("%1/%2/%3: %4")
                           .arg(QString::fromStdString(record.table->name()),
                                QString::fromLatin1(
                                    SqliteCarve::CarvedRecord::sourceName(record.source)),
                                record.hasRowid ? QString::number(record.rowid)
                                                : QStringLiteral("-"),
                                values.join(QLatin1Char('|'))) +
                       (record.partial() ? QStringLiteral(" (lost from %1)").arg(record.lostFrom)
                                         : QString()) +
                       (record.liveVersion ? QStringLiteral(" (live version)") : QString());
    });
    return records;
}

// Six rows of t(n, name, score); the first row sits at the end of the page.
// (A lost serial type of size 0 reads as NULL: 0 and 1 would be ambiguous.)
const QByteArray kPeople = "CREATE TABLE t(n INTEGER, name TEXT, score REAL);"
                           "INSERT INTO t VALUES(1,'anna',1.5),(2,'bob',2.25),(3,'carl',-3.5),"
                           "(4,'dora',4e10),(5,'emil',NULL),(6,'fritz',6.125);";

// Ten rows of u(id, name, surname, code, score) on one page, as a table of
// people holds them; the first row sits at the end of the page.
const QByteArray kUsers =
    "CREATE TABLE u(id INT NOT NULL, name TEXT NOT NULL, surname TEXT, code INT, score FLOAT);"
    "INSERT INTO u VALUES(20001,'Johann','Hoffmann',-144913111,-3293129186.28246),"
    "(20002,'Michael','Kraus',-134346374,-2797182196.65679),"
    "(20003,'Annika','Schmitz',1184946766,-1502135142.91781),"
    "(20004,'Irma','Baumann',985155245,-4908664510.54284),"
    "(20005,'Otto','Heinrich',1155076104,-1594597751.55159),"
    "(20006,'Lara','Horn',-384834918,-4829283044.59401),"
    "(20007,'Oskar','Bergmann',-1167773723,-3232399634.19382),"
    "(20008,'Julian','Weber',692693150,-857419271.88701),"
    "(20009,'Oskar','Jung',-1321280146,2012170072.18495),"
    "(20010,'Julius','Braun',941308350,-252645646.80524);";

QByteArray bigName(int i, int length = 130)
{
    return "person " + QByteArray::number(i) + " " + QByteArray(length, char('a' + i % 26));
}

// Rows with rowids and payloads too large for one byte each, as real tables
// have: a freeblock header overwrites only the payload size and the rowid.
// Row i gets the rowid 1000 + step * i + shift.
QByteArray bigRows(const char* table, int first, int count, int length = 130, int step = 1,
                   int shift = 0)
{
    QByteArray sql;
    for (int i = first; i < first + count; ++i)
        sql += QByteArray("INSERT INTO ") + table + "(rowid, n, name) VALUES(" +
               QByteArray::number(1000 + step * i + shift) + "," + QByteArray::number(i) + ",'" +
               bigName(i, length) + "');";
    return sql;
}

QString longText(int length)
{
    QString text;
    for (int i = 0; text.size() < length; ++i)
        text += QString::number(i) + QLatin1Char(' ');
    return text.left(length);
}

} // namespace

class TestCarver : public QObject
{
    Q_OBJECT

private slots:
    void pages_data();
    void pages();
    void sideFiles_data();
    void sideFiles();
    void uncommittedLog();
    void versions_data();
    void versions();
    void situations_data();
    void situations();
    void json_data();
    void json();
    void badInput_data();
    void badInput();
    void stopWhileIndexing_data();
    void stopWhileIndexing();
    void differential_data();
    void differential();
    void storedValues_data();
    void storedValues();
};

void TestCarver::pages_data()
{
    QTest::addColumn<QByteArray>("sql");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("pageSize");
    QTest::addColumn<int>("reserved");
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<QByteArray>("journalMode");
    const auto row = [](const char* name, const QByteArray& sql, const QStringList& expected,
                        int pageSize = 4096, int reserved = 0, const char* encoding = "UTF-8",
                        const char* journalMode = "DELETE") {
        QTest::newRow(name) << sql << expected << pageSize << reserved << QByteArray(encoding)
                            << QByteArray(journalMode);
    };
    row("separate freeblocks", kPeople + "DELETE FROM t WHERE n IN (2,4);",
        {"t/freeblock/-: 4|dora|40000000000", "t/freeblock/-: 2|bob|2.25"});
    row("neighbours share a freeblock", kPeople + "DELETE FROM t WHERE n IN (2,3,4);",
        {"t/freeblock/-: 4|dora|40000000000", "t/freeblock/-: 3|carl|-3.5",
         "t/freeblock/-: 2|bob|2.25"});
    row("top of the cell content", kPeople + "DELETE FROM t WHERE n=6;",
        {"t/unallocated/-: 6|fritz|6.125"});
    row("reserved bytes", kPeople + "DELETE FROM t WHERE n IN (1,5);",
        {"t/freeblock/-: 5|emil|null", "t/freeblock/-: null|anna|1.5"}, 4096, 32);
    row("utf-16le",
        "CREATE TABLE w(name TEXT, city TEXT);"
        "INSERT INTO w VALUES('J\xc3\xbcrgen','\xe6\x9d\xb1\xe4\xba\xac'),"
        "('Zo\xc3\xab','Paris'),('Li','\xf0\x9f\x98\x80 Ort');"
        "DELETE FROM w WHERE rowid IN (1,3);",
        {"w/freeblock/-: J\xc3\xbcrgen|\xe6\x9d\xb1\xe4\xba\xac",
         "w/unallocated/-: Li|\xf0\x9f\x98\x80 Ort"},
        4096, 0, "UTF-16le");
    row("utf-16be",
        "CREATE TABLE w(name TEXT, city TEXT);"
        "INSERT INTO w VALUES('J\xc3\xbcrgen','K\xc3\xb6ln'),('Ida','Rom'),('Bo','Oslo');"
        "DELETE FROM w WHERE rowid=2;",
        {"w/freeblock/-: Ida|Rom"}, 1024, 0, "UTF-16be");
    // Only an INTEGER one is the rowid, whose slot is empty; any other key is stored.
    row("primary keys",
        "CREATE TABLE k(id INTEGER PRIMARY KEY, label TEXT);"
        "INSERT INTO k VALUES(10,'ten'),(20,'twenty'),(30,'thirty'); DELETE FROM k WHERE id=20;"
        "CREATE TABLE p(code TEXT PRIMARY KEY, label TEXT);"
        "INSERT INTO p VALUES('a','ant'),('b','bee'),('c','cat'); DELETE FROM p WHERE code='b';",
        {"k/freeblock/-: null|twenty", "p/freeblock/-: b|bee"});
    row("updated row keeps its old version",
        kPeople + "UPDATE t SET name='bob the builder' WHERE n=2;", {"t/freeblock/-: 2|bob|2.25"});
    row("dropped table",
        "CREATE TABLE keep(a TEXT); INSERT INTO keep VALUES('stays');"
        "CREATE TABLE gone(x INTEGER, y TEXT);"
        "INSERT INTO gone VALUES(7,'seven'),(8,'eight'); DROP TABLE gone;",
        {"gone/dropped table/2: 8|eight", "gone/dropped table/1: 7|seven"});
    row("overflow chain on the freelist",
        "CREATE TABLE junk(b BLOB); INSERT INTO junk VALUES(zeroblob(5000)); DROP TABLE junk;"
        "CREATE TABLE o(n INTEGER, body TEXT); INSERT INTO o VALUES(1,'short'),(2,'" +
            longText(3000).toUtf8() + "'); DELETE FROM o WHERE n=2;",
        {"o/overflow/-: 2|" + longText(3000)}, 1024);
    row("secure delete leaves nothing",
        "PRAGMA secure_delete=ON;" + kPeople + "DELETE FROM t WHERE n IN (2,6);", {});
    // secure_delete wipes the current page, so only the older image remains.
    row("older frame of the log",
        kPeople + "PRAGMA secure_delete=ON; DELETE FROM t WHERE n IN (3,5);",
        {"t/WAL/3: 3|carl|-3.5", "t/WAL/5: 5|emil|null"}, 4096, 0, "UTF-8", "WAL");
    row("uncommitted frame of the log",
        kPeople + "PRAGMA secure_delete=ON; DELETE FROM t WHERE n=1; BEGIN;"
                  "INSERT INTO t VALUES(7,'gert',7.0); DELETE FROM t WHERE n=2;",
        {"t/WAL/1: 1|anna|1.5"}, 4096, 0, "UTF-8", "WAL");
    row("table dropped in the log",
        "CREATE TABLE gone(x INTEGER, y TEXT); INSERT INTO gone VALUES(7,'seven'),(8,'eight');"
        "PRAGMA secure_delete=ON; DROP TABLE gone;",
        {"gone/WAL/1: 7|seven", "gone/WAL/2: 8|eight"}, 4096, 0, "UTF-8", "WAL");
    row("persisted journal", kPeople + "PRAGMA secure_delete=ON; DELETE FROM t WHERE n=4;",
        {"t/journal/4: 4|dora|40000000000"}, 4096, 0, "UTF-8", "PERSIST");
    // Freed cells kept their freeblock headers when the emptied page was
    // reset; new rows took only its end.
    row("freed heads in the gap",
        kUsers + "DELETE FROM u WHERE id=20005; DELETE FROM u WHERE id=20006;"
                 "DELETE FROM u WHERE id=20007; DELETE FROM u WHERE id=20008;"
                 "DELETE FROM u WHERE id=20009; DELETE FROM u;"
                 "INSERT INTO u VALUES(20003,'Nadine','Mayer',-309512131,-2625089393.75407),"
                 "(20004,'Emil','Vogt',870402720,-26202949.24183),"
                 "(20005,'Helene','Hoffmann',880365148,1517503883.93062),"
                 "(20006,'Katrin','Seidel',1470639698,-58175728.21778),"
                 "(20007,'Noah','Vogel',408529756,-3108021606.74148);",
        {"u/unallocated/10: 20010|Julius|Braun|941308350|-252645646.805",
         "u/unallocated/-: 20009|Oskar|Jung|-1321280146|2012170072.18",
         "u/unallocated/-: 20008|Julian|Weber|692693150|-857419271.887",
         "u/unallocated/-: 20007|Oskar|Bergmann|-1167773723|-3232399634.19",
         "u/unallocated/-: 20006|Lara|Horn|-384834918|-4829283044.59"});
    // Neighbours freed into one block, whose end a shorter row took.
    row("freeblock cut by an insert",
        kUsers + "DELETE FROM u WHERE id BETWEEN 20005 AND 20009;"
                 "INSERT INTO u VALUES(20011,'Jo','Vogel',-1421734211,2001605237.36924);",
        {"u/freeblock/-: 20009|Oskar|Jung|-1321280146|2012170072.18",
         "u/freeblock/-: 20008|Julian|Weber|692693150|-857419271.887",
         "u/freeblock/-: 20007|Oskar|Bergmann|-1167773723|-3232399634.19",
         "u/freeblock/-: 20006|Lara|Horn|-384834918|-4829283044.59"});
    // The root page was a leaf when rows were deleted, and an interior page
    // once the table outgrew it; rows added since rebuilt its children.
    row("root page grown interior",
        "CREATE TABLE big(n INTEGER, name TEXT);" + bigRows("big", 1, 25, 130, 10) +
            "DELETE FROM big WHERE n IN (2,4);" + bigRows("big", 99, 1, 1000, 4000) +
            bigRows("big", 101, 25, 130, 10, 5 - 1000),
        {"big/unallocated/-: 4|" + bigName(4), "big/unallocated/-: 2|" + bigName(2)});
    row("older than an added column",
        "CREATE TABLE a(n INTEGER, name TEXT, city TEXT);" + bigRows("a", 1, 4) +
            "DELETE FROM a WHERE n=2; ALTER TABLE a ADD COLUMN note TEXT DEFAULT 'none';"
            "ALTER TABLE a ADD COLUMN flags INTEGER DEFAULT -1; ALTER TABLE a ADD COLUMN x;" +
            bigRows("a", 5, 1) + "UPDATE a SET note='set' WHERE n=5; DELETE FROM a WHERE n=5;",
        {"a/freeblock/-: 2|" + bigName(2) + "|null|none|-1|null",
         "a/unallocated/-: 5|" + bigName(5) + "|null|set|-1|null"});
    // A NOT NULL column without a default cannot have been added later, so
    // the dropped table's shorter rows left on the reused page are not the new table's.
    row("not null column is never missing",
        "CREATE TABLE g(x INTEGER, y TEXT); INSERT INTO g VALUES(7,'seven'),(8,'eight');"
        "DROP TABLE g; CREATE TABLE a(n INTEGER, name TEXT, city TEXT NOT NULL);",
        {});
    row("defaults of every kind",
        "CREATE TABLE d(n INTEGER, name TEXT, city TEXT, zip TEXT);" + bigRows("d", 1, 3) +
            "DELETE FROM d WHERE n=2; ALTER TABLE d ADD COLUMN b BLOB DEFAULT X'00fF';"
            "ALTER TABLE d ADD COLUMN r REAL DEFAULT (-2.5); ALTER TABLE d ADD COLUMN t TEXT "
            "DEFAULT 'it''s'; ALTER TABLE d ADD COLUMN y INTEGER DEFAULT TRUE;",
        {"d/freeblock/-: 2|" + bigName(2) + "|null|null|x00ff|-2.5|it's|1"});
    // A row freed and its slot's end given to a shorter one: the surviving
    // head and values come back, the values the new row took are lost.
    row("record cut by a later cell",
        "CREATE TABLE c(n INTEGER, name TEXT, note TEXT, score REAL);"
        "INSERT INTO c(rowid, n, name, note, score) VALUES(1001, 1, 'person 1', '" +
            QByteArray(150, 'b') + "', 1.5), (1002, 2, 'person 2', '" + QByteArray(150, 'c') +
            "', 2.5), (1003, 3, 'person 3', '" + QByteArray(150, 'd') +
            "', 3.5); DELETE FROM c WHERE n=2; INSERT INTO c(rowid, n, name) VALUES(5000, 9, '" +
            QByteArray(60, 'z') + "');",
        {"c/freeblock/-: 2|person 2|null|null (lost from 2)"});
}

void TestCarver::pages()
{
    QFETCH(QByteArray, sql);
    QFETCH(QStringList, expected);
    QFETCH(int, pageSize);
    QFETCH(int, reserved);
    QFETCH(QByteArray, encoding);
    QFETCH(QByteArray, journalMode);
    CarverFixture fixture({pageSize, reserved, encoding, journalMode});
    QVERIFY(fixture.exec(sql));
    QCOMPARE(
        CarverFixture::carve(fixture.bytes(), fixture.bytes("-wal"), fixture.bytes("-journal")),
        expected);
    // Never checkpointed, the log has every page: an empty database file carves the same.
    if (journalMode == "WAL")
        QCOMPARE(CarverFixture::carve(QByteArray(), fixture.bytes("-wal")), expected);
}

// A log or journal as it may be captured: one SQLite never synced, or bytes
// that are no log at all. What can be read is read, and the database itself
// is carved in any case.
void TestCarver::sideFiles_data()
{
    QTest::addColumn<QByteArray>("journalMode");
    QTest::addColumn<QByteArray>("side");   // "journal" or "wal": which file is tampered with
    QTest::addColumn<QByteArray>("header"); // the first bytes it gets
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("warnings");

    // Magic and record count not yet written; nonce, size, sector and page size are.
    const QByteArray unsynced =
        QByteArray(12, '\0') + QByteArray::fromHex("5eed0001000000020000020000001000");
    QTest::newRow("journal before its first sync")
        << QByteArray("PERSIST") << QByteArray("journal") << unsynced
        << QStringList{"t/freeblock/-: 2|bob|2.25", "t/journal/4: 4|dora|40000000000"} << 0;
    // Sector and page sizes that look right do not make garbage a journal.
    QTest::newRow("journal of garbage")
        << QByteArray("PERSIST") << QByteArray("journal") << QByteArray(12, 'x') + unsynced.mid(12)
        << QStringList{"t/freeblock/-: 2|bob|2.25"} << 1;
    QTest::newRow("log of garbage") << QByteArray("WAL") << QByteArray("wal") << QByteArray(64, 'x')
                                    << QStringList{"t/freeblock/-: 2|bob|2.25"} << 1;
}

void TestCarver::sideFiles()
{
    QFETCH(QByteArray, journalMode);
    QFETCH(QByteArray, side);
    QFETCH(QByteArray, header);
    QFETCH(QStringList, expected);
    QFETCH(int, warnings);

    CarverFixture fixture({4096, 0, "UTF-8", journalMode});
    QVERIFY(fixture.exec(kPeople + "DELETE FROM t WHERE n=2; PRAGMA wal_checkpoint;"
                                   "PRAGMA secure_delete=ON; DELETE FROM t WHERE n=4;"));
    QByteArray journal = fixture.bytes("-journal");
    QByteArray wal = fixture.bytes("-wal");
    QByteArray& tampered = side == "wal" ? wal : journal;
    QVERIFY(tampered.size() > header.size());
    tampered.replace(0, header.size(), header);
    // The log's deletion of row 4 is lost with it: the file still has the row.
    QStringList said;
    QStringList carved = CarverFixture::carve(fixture.bytes(), wal, journal, false, &said);
    carved.sort();
    QCOMPARE(carved, expected);
    QCOMPARE(said.size(), warnings);
}

// A log whose last transaction lost its commit frame (a write cut short)
// after one that kept it: the last one's frames are no part of the
// database, so the row it deleted is still live, not a deleted record.
void TestCarver::uncommittedLog()
{
    CarverFixture fixture({4096, 0, "UTF-8", "WAL"});
    // The log emptied first, so that it ends with the last transaction's commit frame.
    QVERIFY(fixture.exec(kPeople + "DELETE FROM t WHERE n=2; PRAGMA wal_checkpoint(TRUNCATE);"
                                   "UPDATE t SET name='anne' WHERE n=1;"
                                   "BEGIN; DELETE FROM t WHERE n=4; CREATE TABLE u(x); COMMIT;"));
    QByteArray wal = fixture.bytes("-wal");
    const int frame = 24 + 4096;
    QVERIFY((wal.size() - 32) / frame >= 2);
    const QStringList committed = CarverFixture::carve(fixture.bytes(), wal);
    QVERIFY(committed.contains("t/freeblock/-: 4|dora|40000000000"));
    wal.chop(frame);
    QStringList carved = CarverFixture::carve(fixture.bytes(), wal);
    carved.sort();
    QCOMPARE(carved, QStringList{"t/freeblock/-: 2|bob|2.25"});
}

// An older image of a row the table still has is no deleted record unless
// asked for; a row that took a freed rowid does not hide the deleted one.
void TestCarver::versions_data()
{
    QTest::addColumn<QByteArray>("sql");
    QTest::addColumn<bool>("versions");
    QTest::addColumn<QStringList>("expected");

    const QByteArray update =
        kPeople + "PRAGMA secure_delete=ON; UPDATE t SET name='carla' WHERE n=3;";
    QTest::newRow("update, deleted only") << update << false << QStringList();
    QTest::newRow("update, with versions")
        << update << true << QStringList{"t/WAL/3: 3|carl|-3.5 (live version)"};
    QTest::newRow("rowid taken again")
        << kPeople + "PRAGMA secure_delete=ON; DELETE FROM t WHERE n=6;"
                     "INSERT INTO t VALUES(7,'gert',7.0);"
        << false << QStringList{"t/WAL/6: 6|fritz|6.125"};
}

void TestCarver::versions()
{
    QFETCH(QByteArray, sql);
    QFETCH(bool, versions);
    QFETCH(QStringList, expected);

    CarverFixture fixture({4096, 0, "UTF-8", "WAL"});
    QVERIFY(fixture.exec(sql));
    QCOMPARE(CarverFixture::carve(fixture.bytes(), fixture.bytes("-wal"), QByteArray(), versions),
             expected);
}

void TestCarver::situations_data()
{
    QTest::addColumn<QString>("name");
    for (const QString& name : SampleCarverSituations::Names())
        QTest::newRow(qPrintable(name)) << name;
}

// The generator's databases: every deleted row whose bytes survive comes
// back whole, and no whole record is anything but a deleted row.
void TestCarver::situations()
{
    QFETCH(QString, name);
    static QTemporaryDir folder;
    static bool written = false;
    if (!written) {
        SampleCarverSituations writer;
        QVERIFY2(writer.Write(folder.path()), qPrintable(writer.ErrorText()));
        written = true;
    }
    QFile truthFile(folder.filePath(name + ".truth.json"));
    QVERIFY(truthFile.open(QIODevice::ReadOnly));
    const QJsonObject truth = QJsonDocument::fromJson(truthFile.readAll()).object();
    const QString journal = truth.value("journal").toString();
    auto bytes = [&](const QString& file) {
        QFile in(folder.filePath(file));
        return file.isEmpty() || !in.open(QIODevice::ReadOnly) ? QByteArray() : in.readAll();
    };
    QStringList expected;
    for (const QJsonValue& row : truth.value("deleted").toArray()) {
        QStringList values;
        for (const QJsonValue& v : row.toObject().value("values").toArray())
            values << (v.isNull()     ? QStringLiteral("null")
                       : v.isString() ? v.toString()
                                      : QString::number(v.toDouble(), 'g', 12));
        if (row.toObject().value("survives").toBool())
            expected << values.join('|');
    }
    QVERIFY(!expected.isEmpty());
    QStringList carved;
    for (const QString& record : CarverFixture::carve(bytes(name + ".db"), {}, bytes(journal))) {
        if (!record.contains(" (lost from "))
            carved << record.mid(record.indexOf(": ") + 2);
    }
    carved.sort();
    expected.sort();
    QCOMPARE(carved, expected);
}

void TestCarver::json_data()
{
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<QByteArray>("values");

    QTest::newRow("every kind")
        << QByteArray("UTF-8") << QByteArray("11, 2.5, 3, 'say \"hi\"\n\tto \\ me', X'00ff10'")
        << QByteArray("[11, 2.5, 3.0, \"say \\\"hi\\\"\\n\\tto \\\\ me\", \"00ff10\"]");
    QTest::newRow("nulls and controls")
        << QByteArray("UTF-8") << QByteArray("-7, NULL, 1e300, 'a' || char(127), NULL")
        << QByteArray("[-7, null, 1e+300, \"a\x7f\", null]");
    QTest::newRow("utf-16 text")
        << QByteArray("UTF-16le")
        << QByteArray("12, -0.125, 4, '\xc3\xa9t\xc3\xa9 \xf0\x9f\x8c\x9e', X''")
        << QByteArray("[12, -0.125, 4.0, \"\xc3\xa9t\xc3\xa9 \xf0\x9f\x8c\x9e\", \"\"]");
}

// The tool's line: every kind of value, text in both encodings, REAL columns
// as reals, the rowid null once lost.
void TestCarver::json()
{
    QFETCH(QByteArray, encoding);
    QFETCH(QByteArray, row);
    QFETCH(QByteArray, values);

    CarverFixture fixture({4096, 0, encoding});
    QVERIFY(fixture.exec("CREATE TABLE j(i INTEGER, r REAL, f FLOAT, t TEXT, b BLOB);"
                         "INSERT INTO j VALUES(" +
                         row +
                         "); INSERT INTO j VALUES(99, 9.5, 9, 'keep', X'99');"
                         "DELETE FROM j WHERE rowid=1;"));
    const QByteArray bytes = fixture.bytes();
    SqliteCarve::Carver carver;
    std::string error;
    QVERIFY(carver.openBytes(std::vector<uint8_t>(bytes.begin(), bytes.end()), {}, {}, &error));
    QStringList lines;
    carver.run([&](const SqliteCarve::CarvedRecord& record) {
        std::string line;
        SqliteCarve::RecordJson::write(record, carver.image().encoding(), line);
        lines << QString::fromStdString(line);
    });
    // One line; the offset is wherever SQLite put the record.
    QCOMPARE(lines.join('\n').replace(QRegularExpression("\"offset\": \\d+,"), "\"offset\": N,"),
             "{\"table\": \"j\", \"source\": \"freeblock\", \"page\": 2, \"offset\": N, "
             "\"rowid\": null, \"values\": " +
                 QString::fromUtf8(values) + "}");
}

void TestCarver::badInput_data()
{
    QTest::addColumn<int>("cut");    // keep this many bytes, -1 all
    QTest::addColumn<int>("stride"); // then flip every stride-th byte from 100 on, 0 none
    QTest::addColumn<bool>("opens");
    QTest::addColumn<int>("minimum"); // records at least found

    QTest::newRow("whole") << -1 << 0 << true << 2;
    QTest::newRow("empty") << 0 << 0 << false << 0;
    QTest::newRow("header only") << 100 << 0 << false << 0;
    QTest::newRow("torn overflow pages") << 3 * 4096 + 1000 << 0 << true << 2;
    QTest::newRow("scrambled pages") << -1 << 7 << true << 0;
    QTest::newRow("lightly scrambled") << -1 << 61 << true << 0;
}

void TestCarver::badInput()
{
    QFETCH(int, cut);
    QFETCH(int, stride);
    QFETCH(bool, opens);
    QFETCH(int, minimum);

    CarverFixture fixture;
    QVERIFY(fixture.exec(kPeople +
                         "CREATE TABLE o(n INTEGER, body TEXT); INSERT INTO o VALUES(1,'" +
                         longText(9000).toUtf8() + "');DELETE FROM t WHERE n IN (2,3);"));
    QByteArray database = fixture.bytes();
    if (cut >= 0)
        database.truncate(cut);
    for (int i = 100; stride && i < database.size(); i += stride)
        database[i] = char(database[i] ^ 0x5a);
    // No crash, and a refusal only where there is no database at all.
    SqliteCarve::Carver carver;
    std::string error;
    const std::vector<uint8_t> bytes(database.begin(), database.end());
    QCOMPARE(carver.openBytes(bytes, {}, {}, &error), opens);
    int count = 0;
    bool shaped = true;
    if (opens) {
        carver.run([&](const SqliteCarve::CarvedRecord& record) {
            ++count;
            shaped = shaped && int(record.values.size()) == record.table->columnCount();
        });
    }
    QVERIFY(shaped);
    QVERIFY2(count >= minimum, qPrintable(QString::number(count)));

    // Mapped from a file, the same bytes carve the same.
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("copy.db")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(database) == database.size());
    file.close();
    SqliteCarve::Carver mapped;
    mapped.setMapDatabase(true);
    QCOMPARE(mapped.open(QFile::encodeName(file.fileName()).toStdString(), "", "", &error), opens);
    if (opens)
        QCOMPARE(CarverFixture::records(mapped), CarverFixture::carve(database));
}

void TestCarver::stopWhileIndexing_data()
{
    QTest::addColumn<bool>("goOn");
    QTest::newRow("goes on") << true;
    QTest::newRow("stopped") << false;
}

// A stop while the live rows are indexed fails the open at once, however
// many trees are left to walk.
void TestCarver::stopWhileIndexing()
{
    QFETCH(bool, goOn);
    CarverFixture fixture;
    QVERIFY(fixture.exec("BEGIN;CREATE TABLE t(n INTEGER, name TEXT);CREATE TABLE u(n INTEGER, "
                         "name TEXT);" +
                         bigRows("t", 0, 1000) + bigRows("u", 0, 1000) + "COMMIT;"));
    const QByteArray database = fixture.bytes();
    SqliteCarve::Carver carver;
    int asked = 0;
    carver.setGoOn([&asked, goOn] {
        ++asked;
        return goOn;
    });
    std::string error;
    QCOMPARE(
        carver.openBytes(std::vector<uint8_t>(database.begin(), database.end()), {}, {}, &error),
        goOn);
    QCOMPARE(error == "stopped", !goOn);
    QVERIFY(asked > 0);
    if (!goOn)
        QCOMPARE(asked, 1);
}

// Random tables, random rows, random deletions: a record carved with its
// rowid must be that deleted row exactly, none comes twice, and for tables of
// three or more columns left alone after the deletions, at most one record in
// twenty is wrong and at least half the deleted rows come back.
void TestCarver::differential_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<bool>("rewrite"); // insert rows after deleting, over the free space
    for (quint32 seed = 1; seed <= 12; ++seed)
        QTest::addRow("seed %u%s", seed, seed % 4 == 0 ? " rewritten" : "")
            << seed << (seed % 4 == 0);
}

void TestCarver::differential()
{
    QFETCH(quint32, seed);
    QFETCH(bool, rewrite);
    QRandomGenerator random(seed);
    static const char* const types[] = {"INTEGER", "TEXT", "REAL", "BLOB"};

    const int columns = 1 + random.bounded(6);
    QVector<int> kinds;
    QByteArray create = "CREATE TABLE r(";
    for (int c = 0; c < columns; ++c) {
        kinds << random.bounded(4);
        create += (c ? ",c" : "c") + QByteArray::number(c) + ' ' + types[kinds.last()];
    }
    create += ");";

    // A value as an SQL literal and as the fixture renders it carved.
    auto makeValue = [&random](int kind) -> std::pair<QByteArray, QString> {
        if (random.bounded(10) == 0)
            return {"NULL", "null"};
        if (kind == 0) {
            const qint64 v =
                qint64(random.generate64() >> random.bounded(64)) * (random.bounded(2) ? 1 : -1);
            return {QByteArray::number(v), QString::number(v)};
        }
        if (kind == 2) {
            const double v = (random.generateDouble() - 0.5) * std::pow(10.0, random.bounded(12));
            return {QByteArray::number(v, 'g', 17), QString::number(v, 'g', 12)};
        }
        QByteArray bytes(
            kind == 1 ? (random.bounded(8) == 0 ? 300 + random.bounded(3000) : random.bounded(40))
                      : random.bounded(1, 30),
            '\0');
        for (char& c : bytes)
            c = char(kind == 1 ? 'a' + random.bounded(26) : random.bounded(256));
        if (kind == 1)
            return {"'" + bytes + "'", QString::fromLatin1(bytes)};
        return {"X'" + bytes.toHex() + "'", "x" + QString::fromLatin1(bytes.toHex())};
    };
    auto makeRow = [&](QByteArray& literals, QString& rendered) {
        QStringList shown;
        literals.clear();
        for (int c = 0; c < columns; ++c) {
            const std::pair<QByteArray, QString> value = makeValue(kinds[c]);
            literals += (c ? "," : "") + value.first;
            shown << value.second;
        }
        rendered = shown.join(QLatin1Char('|'));
    };

    CarverFixture fixture({512 << random.bounded(4)});
    QVERIFY(fixture.exec(create));
    const int rows = 30 + random.bounded(300);
    QStringList rendered;
    QByteArray sql = "BEGIN;";
    for (int i = 0; i < rows; ++i) {
        QByteArray literals;
        QString shown;
        makeRow(literals, shown);
        rendered << shown;
        sql += "INSERT INTO r VALUES(" + literals + ");";
    }
    QVERIFY(fixture.exec(sql + "COMMIT;"));

    QHash<qint64, QString> deleted; // by rowid
    QSet<QString> deletedValues;
    // A record that lost its rowid lost the first serial type too when it was
    // one byte; of size 0 (NULL, 0, 1) it is read as NULL.
    auto blurred = [](const QString& values) {
        const QString first = values.section(QLatin1Char('|'), 0, 0);
        if (first != QLatin1String("0") && first != QLatin1String("1"))
            return values;
        return QStringLiteral("null") + values.mid(first.size());
    };
    for (int i = 0; i < rows; ++i) {
        if (random.bounded(3) != 0)
            continue;
        QVERIFY(fixture.exec("DELETE FROM r WHERE rowid=" + QByteArray::number(i + 1) + ";"));
        deleted.insert(i + 1, rendered[i]);
        deletedValues << rendered[i] << blurred(rendered[i]);
    }
    for (int i = 0; rewrite && i < rows / 4; ++i) {
        QByteArray literals;
        QString shown;
        makeRow(literals, shown);
        QVERIFY(fixture.exec("INSERT INTO r VALUES(" + literals + ");"));
    }

    const QStringList carved = CarverFixture::carve(fixture.bytes());
    QSet<QString> found;
    int wrong = 0;
    for (const QString& record : carved) {
        const int colon = record.indexOf(QLatin1String(": "));
        const QString rowid = record.left(colon).section(QLatin1Char('/'), 2);
        QString values = record.mid(colon + 2);
        const int cut = values.indexOf(QLatin1String(" (lost from "));
        if (cut >= 0) {
            // A cut record's surviving values are the deleted row's first ones.
            const int lostFrom = values.mid(cut + 12).chopped(1).toInt();
            values.truncate(cut);
            const auto head = [lostFrom](const QString& v) {
                return v.section(QLatin1Char('|'), 0, lostFrom - 1);
            };
            if (rowid != QLatin1String("-"))
                QVERIFY2(head(deleted.value(rowid.toLongLong())) == head(values),
                         qPrintable(record.left(300)));
            continue;
        }
        // A record that kept its rowid was read whole: it must be exact.
        if (rowid != QLatin1String("-"))
            QVERIFY2(deleted.value(rowid.toLongLong()) == values, qPrintable(record.left(300)));
        else if (!deletedValues.contains(values))
            ++wrong;
        QVERIFY2(!found.contains(values), qPrintable("twice: " + record.left(300)));
        found << values;
    }
    // A record that lost its header reads the remaining types against the
    // schema; with one or two columns that is too little to tell a partly
    // overwritten record from a whole one, and after rewrites remnants abound.
    if (columns >= 3 && !rewrite) {
        QVERIFY2(wrong * 20 <= carved.size(), "more than 5% of the records are wrong");
        QVERIFY2(found.size() * 2 >= deleted.size(), "fewer than half the deleted rows found");
    }
}

// A carved value read without laying it out in a database reads, sorts and
// counts as unique as SQLite makes of it in a column of that declared type.
void TestCarver::storedValues_data()
{
    QTest::addColumn<QString>("type");
    for (const char* type : {"INTEGER", "TEXT", "REAL", "NUMERIC", "BLOB"})
        QTest::newRow(type) << QString::fromLatin1(type);
}

void TestCarver::storedValues()
{
    QFETCH(QString, type);
    const QVariantList values{QVariant(),
                              QVariant(qlonglong(5)),
                              QVariant(qlonglong(-3)),
                              QVariant(2.0),
                              QVariant(2.5),
                              QVariant(0.1),
                              QVariant(1e20),
                              QVariant(-1e-5),
                              QVariant(QStringLiteral(" 12 ")),
                              QVariant(QStringLiteral("3.0e+5")),
                              QVariant(QStringLiteral("1.5")),
                              QVariant(QStringLiteral("12abc")),
                              QVariant(QStringLiteral("abc")),
                              QVariant(QStringLiteral("99999999999999999999")),
                              QVariant(QStringLiteral("5")),
                              QVariant(QString()),
                              QVariant(QByteArray("5")),
                              QVariant(QByteArray("\x01\x02", 2))};
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(":memory:", &db), SQLITE_OK);
    const QByteArray create = "CREATE TABLE t (c " + type.toLatin1() + ")";
    QCOMPARE(sqlite3_exec(db, create.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_stmt* insert = nullptr;
    QCOMPARE(sqlite3_prepare_v2(db, "INSERT INTO t (rowid, c) VALUES (?, ?)", -1, &insert, nullptr),
             SQLITE_OK);
    const auto affinity = SqliteCarve::TableSchema::affinityOf(type.toStdString());
    std::vector<StoredValue> stored;
    for (int v = 0; v < values.size(); ++v) {
        const QVariant& value = values[v];
        sqlite3_bind_int64(insert, 1, v);
        const QByteArray bytes = value.userType() == QMetaType::QByteArray
                                     ? value.toByteArray()
                                     : value.toString().toUtf8();
        if (value.isNull())
            sqlite3_bind_null(insert, 2);
        else if (value.userType() == QMetaType::LongLong)
            sqlite3_bind_int64(insert, 2, value.toLongLong());
        else if (value.userType() == QMetaType::Double)
            sqlite3_bind_double(insert, 2, value.toDouble());
        else if (value.userType() == QMetaType::QByteArray)
            sqlite3_bind_blob(insert, 2, bytes.constData(), bytes.size(), SQLITE_TRANSIENT);
        else
            sqlite3_bind_text(insert, 2, bytes.constData(), bytes.size(), SQLITE_TRANSIENT);
        QCOMPARE(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_reset(insert);
        stored.push_back(StoredValue::Of(value, affinity));
    }
    sqlite3_finalize(insert);
    // Each value as read, in SQLite's order; then how many it counts apart.
    sqlite3_stmt* select = nullptr;
    QCOMPARE(
        sqlite3_prepare_v2(db, "SELECT rowid, c FROM t ORDER BY c, rowid", -1, &select, nullptr),
        SQLITE_OK);
    std::vector<int> order;
    while (sqlite3_step(select) == SQLITE_ROW) {
        const int v = sqlite3_column_int(select, 0);
        const StoredValue& value = stored[std::size_t(v)];
        const QByteArray name = QByteArray::number(v) + ": " + values[v].toString().toUtf8();
        const int kind = sqlite3_column_type(select, 1);
        QVERIFY2(StoredValue::Of(kind, sqlite3_column_int64(select, 1),
                                 sqlite3_column_double(select, 1), QByteArray())
                         .kind() == value.kind(),
                 name.constData());
        QVERIFY2(sqlite3_column_int64(select, 1) == value.Int(), name.constData());
        QVERIFY2(sqlite3_column_double(select, 1) == value.Real(), name.constData());
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(select, 1));
        QCOMPARE(value.Text(),
                 text ? QByteArray(text, sqlite3_column_bytes(select, 1)) : QByteArray());
        order.push_back(v);
    }
    sqlite3_finalize(select);
    std::vector<int> sorted(order.size());
    for (std::size_t v = 0; v < sorted.size(); ++v)
        sorted[v] = int(v);
    std::stable_sort(sorted.begin(), sorted.end(), [&stored](int a, int b) {
        return StoredValue::Compare(stored[std::size_t(a)], stored[std::size_t(b)]) < 0;
    });
    QCOMPARE(sorted, order);
    QSet<QByteArray> keys;
    for (const StoredValue& value : stored) {
        QByteArray key;
        value.AppendKey(key);
        if (!value.IsNull())
            keys << key;
    }
    sqlite3_stmt* distinct = nullptr;
    QCOMPARE(sqlite3_prepare_v2(db, "SELECT count(DISTINCT c) FROM t", -1, &distinct, nullptr),
             SQLITE_OK);
    QCOMPARE(sqlite3_step(distinct), SQLITE_ROW);
    QCOMPARE(keys.size(), sqlite3_column_int(distinct, 0));
    sqlite3_finalize(distinct);
    sqlite3_close(db);
}

QTEST_GUILESS_MAIN(TestCarver)
#include "tst_carver.moc"
