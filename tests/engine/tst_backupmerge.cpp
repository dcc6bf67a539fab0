// Merging the deleted records of one generated backup into another: the
// merged backup scans to the target's records plus exactly those, with every
// field; its databases are sound and its index tells their new content; the
// two backups it read are left as they were.
#include "backupdevice.h"
#include "backupfixture.h"
#include "contracts/mmobile.h"
#include "merge/backupmerge.h"
#include "merge/filearchive.h"
#include "recordtexts.h"
#include "samplebackupwriter.h"
#include "scanrunner.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <sqlite3.h>

using namespace MMobile;

namespace {

// The first column of the first row of `sql` on a database of a backup,
// read with its log from copies in a private folder.
QString Answer(const QString& folder, const QString& path, const char* sql)
{
    QTemporaryDir work;
    const QString copy = work.filePath(QStringLiteral("db"));
    const QString home = QStringLiteral("HomeDomain");
    if (!QFile::copy(BackupFixture::ContentPath(folder, home, path), copy))
        return QStringLiteral("cannot copy");
    QFile::copy(BackupFixture::ContentPath(folder, home, path + QStringLiteral("-wal")),
                copy + QStringLiteral("-wal"));
    sqlite3* db = nullptr;
    const QByteArray name = copy.toUtf8();
    QString result = QStringLiteral("cannot open");
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        result =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
}

// The archive of a file's Files row in a backup's Manifest.db; `listed`
// tells whether there is such a row.
QByteArray ArchiveOf(const QString& folder, const QString& domain, const QString& path,
                     bool* listed = nullptr)
{
    sqlite3* db = nullptr;
    QByteArray archive;
    sqlite3_stmt* statement = nullptr;
    // Immutable: a plain read-only connection may leave a log's files beside it.
    const QByteArray manifest =
        "file:" +
        QUrl::toPercentEncoding(QDir(folder).filePath(QStringLiteral("Manifest.db")), "/") +
        "?immutable=1";
    const QByteArray key = (domain + QLatin1Char('|') + path).toUtf8();
    if (sqlite3_open_v2(manifest.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI,
                        nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "SELECT file FROM Files WHERE domain || '|' || relativePath = ?", -1,
                           &statement, nullptr) == SQLITE_OK &&
        sqlite3_bind_text(statement, 1, key.constData(), key.size(), SQLITE_TRANSIENT) ==
            SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        archive = QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, 0)),
                             sqlite3_column_bytes(statement, 0));
        if (listed)
            *listed = true;
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return archive;
}

} // namespace

class TestBackupMerge : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void merged_data();
    void merged();
    void encryptedSource();
    void refused_data();
    void refused();
    void backupsUnchanged();

private:
    QString Folder(const char* name) const { return m_dir.filePath(QLatin1String(name)); }

    QTemporaryDir m_dir;
    QString m_sourceDigests, m_targetDigests;
};

void TestBackupMerge::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(BackupFixture::WriteMergePair(Folder("source"), Folder("target")));
    m_sourceDigests = BackupFixture::Digests(Folder("source"));
    m_targetDigests = BackupFixture::Digests(Folder("target"));
}

void TestBackupMerge::merged_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("path"); // the category's database in HomeDomain
    // Rows that hang on nothing (the scan would show them anyway), and the
    // last key Core Data hands out, the same in the merged database as in
    // the target's.
    QTest::addColumn<QByteArray>("loose");
    QTest::newRow("contacts")
        << int(MD_CONTACT) << "Library/AddressBook/AddressBook.sqlitedb"
        << QByteArray("SELECT (SELECT count(*) FROM ABMultiValue WHERE record_id NOT IN (SELECT "
                      "ROWID FROM ABPerson)) || '/' || (SELECT count(*) FROM ABMultiValueEntry "
                      "WHERE parent_id NOT IN (SELECT UID FROM ABMultiValue))");
    QTest::newRow("messages") << int(MD_MESSAGE) << "Library/SMS/sms.db"
                              << QByteArray("SELECT count(*) FROM message WHERE ROWID NOT IN "
                                            "(SELECT message_id FROM chat_message_join)");
    QTest::newRow("calls") << int(MD_CALL_HISTORY) << "Library/CallHistoryDB/CallHistory.storedata"
                           << QByteArray(
                                  "SELECT (SELECT Z_MAX FROM Z_PRIMARYKEY WHERE Z_ENT = 2) - "
                                  "(SELECT max(Z_PK) FROM ZCALLRECORD)");
}

void TestBackupMerge::merged()
{
    QFETCH(int, type);
    QFETCH(QString, path);
    QFETCH(QByteArray, loose);
    const QStringList recovered = RecordTexts::Scan(Folder("source"), MDType(type), true);
    QVERIFY(!recovered.isEmpty());
    QStringList expected = RecordTexts::Scan(Folder("target"), MDType(type), false) + recovered;
    expected.sort();

    const QString out = m_dir.filePath(QStringLiteral("out%1").arg(type));
    BackupMerge::Options options;
    options.category = type;
    options.onlyDeleted = true;
    BackupMerge merge(options);
    QVERIFY2(merge.Run(Folder("source"), Folder("target"), out), qPrintable(merge.ErrorText()));
    QCOMPARE(merge.AddedCount(), recovered.size());
    QCOMPARE(merge.SkippedCount(), 0);
    QCOMPARE(RecordTexts::Scan(out, MDType(type), false), expected);
    // What the target's phone marked deleted stays so; nothing else is.
    QCOMPARE(RecordTexts::Scan(out, MDType(type), true),
             RecordTexts::Scan(Folder("target"), MDType(type), true));

    // The merged database is sound, without a log, and the index says so.
    const QString home = QStringLiteral("HomeDomain");
    const QString file = BackupFixture::ContentPath(out, home, path);
    QCOMPARE(Answer(out, path, "PRAGMA integrity_check"), QStringLiteral("ok"));
    QCOMPARE(Answer(out, path, loose.constData()),
             Answer(Folder("target"), path, loose.constData()));
    QCOMPARE(FileArchive::SizeOf(ArchiveOf(out, home, path)), QFileInfo(file).size());
    bool listed = false;
    ArchiveOf(out, home, path + QStringLiteral("-wal"), &listed);
    QVERIFY(!listed);
    QVERIFY(!QFileInfo::exists(BackupFixture::ContentPath(out, home, path + "-wal")));

    // Merged again, nothing is added twice.
    const QString again = out + QStringLiteral("-again");
    BackupMerge second(options);
    QVERIFY2(second.Run(Folder("source"), out, again), qPrintable(second.ErrorText()));
    QCOMPARE(second.AddedCount(), 0);
    QCOMPARE(second.SkippedCount(), recovered.size());
    QCOMPARE(RecordTexts::Scan(again, MDType(type), false), expected);
}

void TestBackupMerge::encryptedSource()
{
    // The same records, encrypted: the merge decrypts them privately.
    SampleBackupWriter::Options options;
    options.media = false;
    options.deletions = true;
    options.password = QStringLiteral("merge me");
    options.kdfRounds = 1;
    QVERIFY(SampleBackupWriter(options).Write(Folder("encrypted")));
    BackupMerge::Options merge;
    merge.category = MD_CONTACT;
    merge.onlyDeleted = true;
    merge.password = QStringLiteral("not it");
    BackupMerge wrong(merge);
    QVERIFY(!wrong.Run(Folder("encrypted"), Folder("target"), Folder("from-encrypted")));
    QVERIFY2(wrong.ErrorText().contains(QLatin1String("password")), qPrintable(wrong.ErrorText()));
    QVERIFY(!QFileInfo::exists(Folder("from-encrypted")));
    merge.password = options.password;
    BackupMerge right(merge);
    QVERIFY2(right.Run(Folder("encrypted"), Folder("target"), Folder("from-encrypted")),
             qPrintable(right.ErrorText()));
    QStringList expected = RecordTexts::Scan(Folder("target"), MD_CONTACT, false) +
                           RecordTexts::Scan(Folder("source"), MD_CONTACT, true);
    expected.sort();
    QCOMPARE(RecordTexts::Scan(Folder("from-encrypted"), MD_CONTACT, false), expected);
}

void TestBackupMerge::refused_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("error");
    QTest::newRow("out exists") << int(MD_CONTACT) << "target"
                                << "exists already";
    QTest::newRow("category not merged") << int(MD_PHOTO) << "refused"
                                         << "is not merged";
}

void TestBackupMerge::refused()
{
    QFETCH(int, type);
    QFETCH(QString, out);
    QFETCH(QString, error);
    BackupMerge::Options options;
    options.category = type;
    BackupMerge merge(options);
    QVERIFY(!merge.Run(Folder("source"), Folder("target"), m_dir.filePath(out)));
    QVERIFY2(merge.ErrorText().contains(error), qPrintable(merge.ErrorText()));
    QCOMPARE(QFileInfo::exists(m_dir.filePath(out)), out == QLatin1String("target"));
}

void TestBackupMerge::backupsUnchanged()
{
    QCOMPARE(BackupFixture::Digests(Folder("source")), m_sourceDigests);
    QCOMPARE(BackupFixture::Digests(Folder("target")), m_targetDigests);
}

QTEST_GUILESS_MAIN(TestBackupMerge)
#include "tst_backupmerge.moc"
