// How a connection reads a database of the backup that has a log: through
// links in the work folder, the log's newest rows included, with nothing
// written or left beside the backup's files and nothing left in the work
// folder once it closes; copies only where a reader maps its file; a backup
// file that is itself a link is refused.

#include "sqlitedb.h"

#include <QtTest>

#include <sqlite3.h>

class TestSqliteDb : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void readsTheLogThroughLinks_data();
    void readsTheLogThroughLinks();
    void copiesForAMappingReader();
    void otherConnectionsAttachThroughTheLinks();
    void refusesALinkedBackupFile();

private:
    // Writes "<backup>/db" and "<backup>/db-wal" as a phone leaves them
    // between checkpoints: `inFile` rows in the file, `inLog` more in the log.
    bool WriteBackup(int inFile, int inLog);
    QString Digest(const QString& folder) const;
    int Rows(SqliteDb& db);

    QTemporaryDir m_dir;
    QString m_backup, m_work, m_db, m_wal;
};

void TestSqliteDb::init()
{
    const QString case_ = QString::fromLatin1(QTest::currentTestFunction()) +
                          QString::fromLatin1(QTest::currentDataTag());
    m_backup = m_dir.filePath(case_ + "/backup");
    m_work = m_dir.filePath(case_ + "/work");
    QVERIFY(QDir().mkpath(m_backup) && QDir().mkpath(m_work));
    m_db = m_backup + "/db";
    m_wal = m_db + "-wal";
}

bool TestSqliteDb::WriteBackup(int inFile, int inLog)
{
    const QString phone = m_backup + "-phone";
    QDir().mkpath(phone);
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(QFile::encodeName(phone + "/db").constData(), &db) == SQLITE_OK;
    const auto exec = [&](const QByteArray& sql) {
        ok = ok && sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    };
    exec("PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0; CREATE TABLE t(v TEXT)");
    for (int i = 0; i < inFile; ++i)
        exec("INSERT INTO t VALUES ('file " + QByteArray::number(i) + "')");
    exec("PRAGMA wal_checkpoint(TRUNCATE)");
    for (int i = 0; i < inLog; ++i)
        exec("INSERT INTO t VALUES ('log " + QByteArray::number(i) + "')");
    // Taken while the phone still has it open: its log is not checkpointed.
    ok = ok && QFile::copy(phone + "/db", m_db) && QFile::copy(phone + "/db-wal", m_wal);
    sqlite3_close(db);
    for (const QString& file : {m_db, m_wal})
        QFile(file).setPermissions(QFile::ReadOwner);
    return ok;
}

QString TestSqliteDb::Digest(const QString& folder) const
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::System | QDir::Hidden)) {
        QFile file(dir.filePath(name));
        hash.addData(name.toUtf8());
        if (file.open(QIODevice::ReadOnly))
            hash.addData(file.readAll());
    }
    return QString::fromLatin1(hash.result().toHex());
}

int TestSqliteDb::Rows(SqliteDb& db)
{
    int rows = -1;
    db.Query("SELECT count(*) FROM t", [&rows](const SqliteDb::Row& row) {
        rows = int(row.Int(0));
        return false;
    });
    return rows;
}

void TestSqliteDb::readsTheLogThroughLinks_data()
{
    QTest::addColumn<int>("inFile");
    QTest::addColumn<int>("inLog");
    QTest::newRow("file and log") << 50 << 30;
    QTest::newRow("all in the log") << 0 << 200;
    QTest::newRow("empty log") << 20 << 0;
}

void TestSqliteDb::readsTheLogThroughLinks()
{
    QFETCH(int, inFile);
    QFETCH(int, inLog);
    QVERIFY(WriteBackup(inFile, inLog));
    const QString before = Digest(m_backup);
    {
        SqliteDb db;
        QVERIFY2(db.Open(m_db, m_wal, m_work), qPrintable(db.LastError()));
        QCOMPARE(Rows(db), inFile + inLog);
        // Links, not copies: reading costs no copy of the backup's files.
        QVERIFY(!db.ReadVfs().isEmpty());
        QVERIFY(QFileInfo(db.ReadPath()).isSymLink());
        QVERIFY(QFileInfo(db.LogPath()).isSymLink());
        // A second connection of the same scan reads the same links.
        SqliteDb again;
        QVERIFY2(again.Open(db.ReadPath(), db.LogPath(), m_work), qPrintable(again.LastError()));
        QCOMPARE(Rows(again), inFile + inLog);
    }
    QCOMPARE(Digest(m_backup), before);
    QCOMPARE(QDir(m_backup).entryList(QDir::Files), QStringList({"db", "db-wal"}));
    QCOMPARE(QDir(m_work).entryList(QDir::Files | QDir::System), QStringList());
}

void TestSqliteDb::copiesForAMappingReader()
{
    QVERIFY(WriteBackup(10, 10));
    SqliteDb db;
    QVERIFY(db.Open(m_db, m_wal, m_work));
    QString database, log;
    QVERIFY2(db.CopyLinkedFiles(database, log), qPrintable(db.LastError()));
    for (const auto& [copy, original] : {std::make_pair(database, m_db), {log, m_wal}}) {
        QVERIFY(!QFileInfo(copy).isSymLink());
        QCOMPARE(QFileInfo(copy).absolutePath(), QFileInfo(m_work).absoluteFilePath());
        QFile a(copy), b(original);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(a.readAll(), b.readAll());
    }
    db.Close();
    QVERIFY(!QFileInfo::exists(database) && !QFileInfo::exists(log));
    // Nothing to copy for a connection that reads no links.
    SqliteDb plain;
    QVERIFY(plain.Open(m_db));
    QVERIFY(!plain.CopyLinkedFiles(database, log));
}

void TestSqliteDb::otherConnectionsAttachThroughTheLinks()
{
    QVERIFY(WriteBackup(5, 7));
    SqliteDb db;
    QVERIFY(db.Open(m_db, m_wal, m_work));
    sqlite3* scratch = nullptr;
    QCOMPARE(
        sqlite3_open_v2(":memory:", &scratch, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr),
        SQLITE_OK);
    const QByteArray attach = "ATTACH 'file:" + QFile::encodeName(db.ReadPath()) +
                              "?mode=ro&vfs=" + db.ReadVfs() + "' AS live";
    QCOMPARE(sqlite3_exec(scratch, attach.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    QCOMPARE(sqlite3_prepare_v2(scratch, "SELECT count(*) FROM live.t", -1, &statement, nullptr),
             SQLITE_OK);
    QCOMPARE(sqlite3_step(statement), SQLITE_ROW);
    QCOMPARE(sqlite3_column_int(statement, 0), 12);
    sqlite3_finalize(statement);
    sqlite3_close(scratch);
}

void TestSqliteDb::refusesALinkedBackupFile()
{
    QVERIFY(WriteBackup(3, 3));
    // The backup's own file a link to one outside it: never followed.
    const QString outside = m_dir.filePath("outside.db");
    QVERIFY(QFile::rename(m_db, outside));
    QVERIFY(QFile::link(outside, m_db));
    SqliteDb db;
    QVERIFY(!db.Open(m_db, m_wal, m_work));
    QVERIFY(!db.LastError().isEmpty());
    db.Close();
    QCOMPARE(QDir(m_work).entryList(QDir::Files | QDir::System), QStringList());
}

QTEST_GUILESS_MAIN(TestSqliteDb)
#include "tst_sqlitedb.moc"
