// Merging the deleted records of one generated backup into another: the
// merged backup scans to the target's records plus exactly those, with every
// field; its databases are sound and its index tells their new content; the
// two backups it read are left as they were.
#include "backupdevice.h"
#include "backupfixture.h"
#include "contracts/mmobile.h"
#include "merge/backupmerge.h"
#include "merge/filearchive.h"
#include "merge/mergecapability.h"
#include "recordtexts.h"
#include "samplebackupwriter.h"
#include "samplereminderstore.h"
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
QString Answer(const QString& folder, const QString& domain, const QString& path, const char* sql)
{
    QTemporaryDir work;
    const QString copy = work.filePath(QStringLiteral("db"));
    if (!QFile::copy(BackupFixture::ContentPath(folder, domain, path), copy))
        return QStringLiteral("cannot copy");
    QFile::copy(BackupFixture::ContentPath(folder, domain, path + QStringLiteral("-wal")),
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

// "domain|relativePath" of every file whose content differs between two
// backups (or that only one has), by their Manifest.db.
QStringList Changed(const QString& before, const QString& after)
{
    QStringList changed;
    sqlite3* db = nullptr;
    const QByteArray uri =
        "file:" +
        QUrl::toPercentEncoding(QDir(after).filePath(QStringLiteral("Manifest.db")), "/") +
        "?immutable=1";
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) ==
            SQLITE_OK &&
        sqlite3_prepare_v2(db, "SELECT fileID, domain, relativePath FROM Files WHERE flags = 1", -1,
                           &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const QString id =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
            const QString name = id.left(2) + QLatin1Char('/') + id;
            if (BackupFixture::Read(QDir(before).filePath(name)) !=
                BackupFixture::Read(QDir(after).filePath(name)))
                changed << QString::fromUtf8(
                               reinterpret_cast<const char*>(sqlite3_column_text(statement, 1))) +
                               QLatin1Char('|') +
                               QString::fromUtf8(reinterpret_cast<const char*>(
                                   sqlite3_column_text(statement, 2)));
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    changed.sort();
    return changed;
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
    void phoneTriggers();
    void encryptedTarget_data();
    void encryptedTarget();
    void otherEntityNumbers();
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
    // The category's databases, "domain|path", each of which the merge changes.
    QTest::addColumn<QStringList>("stores");
    // Rows that hang on nothing (the scan would show them anyway), and the
    // last key Core Data hands out, the same in the merged first store as in
    // the target's.
    QTest::addColumn<QByteArray>("loose");
    // Media: only these deleted records, or every one of the source (the
    // app keeps no deleted mark); "domain|folder" of the files added.
    QTest::addColumn<bool>("onlyDeleted");
    QTest::addColumn<QString>("files");
    const QString home = QStringLiteral("HomeDomain|");
    QTest::newRow("contacts")
        << int(MD_CONTACT) << QStringList{home + "Library/AddressBook/AddressBook.sqlitedb"}
        << QByteArray("SELECT (SELECT count(*) FROM ABMultiValue WHERE record_id NOT IN (SELECT "
                      "ROWID FROM ABPerson)) || '/' || (SELECT count(*) FROM ABMultiValueEntry "
                      "WHERE parent_id NOT IN (SELECT UID FROM ABMultiValue))")
        << true << QString();
    QTest::newRow("messages") << int(MD_MESSAGE) << QStringList{home + "Library/SMS/sms.db"}
                              << QByteArray("SELECT count(*) FROM message WHERE ROWID NOT IN "
                                            "(SELECT message_id FROM chat_message_join)")
                              << true << QString();
    QTest::newRow("calls") << int(MD_CALL_HISTORY)
                           << QStringList{home + "Library/CallHistoryDB/CallHistory.storedata"}
                           << QByteArray(
                                  "SELECT (SELECT Z_MAX FROM Z_PRIMARYKEY WHERE Z_ENT = 2) - "
                                  "(SELECT max(Z_PK) FROM ZCALLRECORD)")
                           << true << QString();
    // A location is its item's own row.
    QTest::newRow("events") << int(MD_CALENDAR)
                            << QStringList{home + "Library/Calendar/Calendar.sqlitedb"}
                            << QByteArray("SELECT count(*) FROM Location l WHERE NOT EXISTS "
                                          "(SELECT 1 FROM CalendarItem i WHERE i.location_id = "
                                          "l.ROWID AND i.ROWID IS l.item_owner_id) AND "
                                          "item_owner_id IS NOT NULL")
                            << true << QString();
    // Newer phones keep reminders in the app's own store too.
    QTest::newRow("reminders") << int(MD_REMINDER)
                               << QStringList{home + "Library/Calendar/Calendar.sqlitedb",
                                              QLatin1String(SampleReminderStore::Domain) + '|' +
                                                  SampleReminderStore::Path()}
                               << QByteArray("SELECT count(*) FROM CalendarItem WHERE "
                                             "calendar_id NOT IN (SELECT ROWID FROM Calendar)")
                               << true << QString();
    // Every note has its own text; a folder counts its bookmarks.
    QTest::newRow("notes") << int(MD_NOTE)
                           << QStringList{"AppDomainGroup-group.com.apple.notes|NoteStore.sqlite",
                                          home + "Library/Notes/notes.sqlite"}
                           << QByteArray("SELECT (SELECT count(*) FROM ZICNOTEDATA d WHERE NOT "
                                         "EXISTS (SELECT 1 FROM ZICCLOUDSYNCINGOBJECT n WHERE "
                                         "n.ZNOTEDATA = d.Z_PK AND n.Z_PK = d.ZNOTE)) || '/' || "
                                         "(SELECT count(*) FROM ZICCLOUDSYNCINGOBJECT WHERE "
                                         "ZNOTEDATA IS NOT NULL AND ZFOLDER IS NULL)")
                           << true << QString();
    QTest::newRow("bookmarks")
        << int(MD_SAFARI_BOOKMARK) << QStringList{home + "Library/Safari/Bookmarks.db"}
        << QByteArray("SELECT (SELECT count(*) FROM bookmarks f WHERE type = 1 AND num_children > "
                      "0 AND num_children <> (SELECT count(*) FROM bookmarks b WHERE b.parent = "
                      "f.id)) || '/' || (SELECT count(*) FROM bookmarks b WHERE type = 0 AND "
                      "parent NOT IN (SELECT id FROM bookmarks WHERE type = 1))")
        << true << QString();
    // A picture taken out of the trash keeps its name, in another of the
    // camera's folders where the target has one of that name.
    QTest::newRow("photos") << int(MD_PHOTO)
                            << QStringList{"CameraRollDomain|Media/PhotoData/Photos.sqlite"}
                            << QByteArray("SELECT (SELECT count(*) FROM ZASSET WHERE ZTRASHEDSTATE "
                                          "<> 0) || '/' || (SELECT count(*) FROM ZASSET a LEFT "
                                          "JOIN ZADDITIONALASSETATTRIBUTES x ON x.Z_PK = "
                                          "a.ZADDITIONALATTRIBUTES WHERE x.ZASSET IS NOT a.Z_PK)")
                            << true << "CameraRollDomain|Media/DCIM/";
    QTest::newRow("voice memos")
        << int(MD_VOICE_MEMO) << QStringList{"MediaDomain|Media/Recordings/CloudRecordings.db"}
        << QByteArray("SELECT count(*) - count(DISTINCT ZUNIQUEID) FROM ZCLOUDRECORDING") << false
        << "MediaDomain|Media/Recordings/";
    // Every join row joins a message and an attachment.
    QTest::newRow("attachments")
        << int(MD_MESSAGE_ATTACHMENT) << QStringList{home + "Library/SMS/sms.db"}
        << QByteArray("SELECT count(*) FROM message_attachment_join WHERE message_id NOT IN "
                      "(SELECT ROWID FROM message) OR attachment_id NOT IN (SELECT ROWID FROM "
                      "attachment)")
        << false << "MediaDomain|Library/SMS/Attachments/";
}

void TestBackupMerge::merged()
{
    QFETCH(int, type);
    QFETCH(QStringList, stores);
    QFETCH(QByteArray, loose);
    QFETCH(bool, onlyDeleted);
    QFETCH(QString, files);
    const QStringList recovered = RecordTexts::Scan(Folder("source"), MDType(type), onlyDeleted);
    QVERIFY(!recovered.isEmpty());
    QStringList expected = RecordTexts::Scan(Folder("target"), MDType(type), false);
    expected << RecordTexts::PutBack(recovered);
    expected.sort();

    const QString out = m_dir.filePath(QStringLiteral("out%1").arg(type));
    BackupMerge::Options options;
    options.category = type;
    options.onlyDeleted = onlyDeleted;
    QVERIFY(canMergeCategory(type));
    BackupMerge merge(options);
    QVERIFY2(merge.Run(Folder("source"), Folder("target"), out), qPrintable(merge.ErrorText()));
    QCOMPARE(merge.AddedCount(), recovered.size());
    QCOMPARE(merge.SkippedCount(), 0);
    QCOMPARE(RecordTexts::Scan(out, MDType(type), false), expected);
    // What the target's phone marked deleted stays so; nothing else is.
    QCOMPARE(RecordTexts::Scan(out, MDType(type), true),
             RecordTexts::Scan(Folder("target"), MDType(type), true));

    // Only the category's databases changed, and its files were added, one
    // a record, each listed with its size; each database is sound, without
    // a log, and the index says so.
    QStringList changed = Changed(Folder("target"), out);
    QStringList added;
    for (const QString& file : qAsConst(changed)) {
        if (!files.isEmpty() && file.startsWith(files) && !stores.contains(file))
            added << file;
    }
    QCOMPARE(added.size(), files.isEmpty() ? 0 : recovered.size());
    for (const QString& file : added) {
        const QString domain = file.section(QLatin1Char('|'), 0, 0);
        const QString path = file.section(QLatin1Char('|'), 1);
        bool before = false;
        ArchiveOf(Folder("target"), domain, path, &before);
        QVERIFY2(!before, qPrintable(file));
        QCOMPARE(FileArchive::SizeOf(ArchiveOf(out, domain, path)),
                 QFileInfo(BackupFixture::ContentPath(out, domain, path)).size());
        changed.removeOne(file);
    }
    QStringList sorted = stores;
    sorted.sort();
    QCOMPARE(changed, sorted);
    for (const QString& store : stores) {
        const QString domain = store.section(QLatin1Char('|'), 0, 0);
        const QString path = store.section(QLatin1Char('|'), 1);
        const QString file = BackupFixture::ContentPath(out, domain, path);
        QCOMPARE(Answer(out, domain, path, "PRAGMA integrity_check"), QStringLiteral("ok"));
        QCOMPARE(FileArchive::SizeOf(ArchiveOf(out, domain, path)), QFileInfo(file).size());
        bool listed = false;
        ArchiveOf(out, domain, path + QStringLiteral("-wal"), &listed);
        QVERIFY(!listed);
        QVERIFY(!QFileInfo::exists(BackupFixture::ContentPath(out, domain, path + "-wal")));
    }
    const QString first = stores.first().section(QLatin1Char('|'), 0, 0);
    const QString firstPath = stores.first().section(QLatin1Char('|'), 1);
    QCOMPARE(Answer(out, first, firstPath, loose.constData()),
             Answer(Folder("target"), first, firstPath, loose.constData()));

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

void TestBackupMerge::phoneTriggers()
{
    // A real store's triggers call functions only the phone's app has, and
    // do the app's bookkeeping: none of that runs in a merge.
    const QString target = Folder("target-triggers");
    QVERIFY(BackupFixture::CopyFolder(Folder("target"), target));
    QVERIFY(BackupFixture::SetWritable(target, true));
    const QString home = QStringLiteral("HomeDomain");
    const QString sms = QStringLiteral("Library/SMS/sms.db");
    QVERIFY(BackupFixture::Exec(
        BackupFixture::ContentPath(target, home, sms),
        QStringLiteral("CREATE TRIGGER after_insert_on_message AFTER INSERT ON message BEGIN "
                       "SELECT phone_only_function(NEW.ROWID, NEW.guid); END;"
                       "CREATE TRIGGER after_insert_on_chat_message_join AFTER INSERT ON "
                       "chat_message_join BEGIN DELETE FROM message WHERE ROWID = "
                       "NEW.message_id; END;"),
        BackupFixture::ContentPath(target, home, sms + QStringLiteral("-wal"))));
    BackupMerge::Options options;
    options.category = MD_MESSAGE;
    options.onlyDeleted = true;
    BackupMerge merge(options);
    QVERIFY2(merge.Run(Folder("source"), target, Folder("out-triggers")),
             qPrintable(merge.ErrorText()));
    QStringList expected = RecordTexts::Scan(Folder("target"), MD_MESSAGE, false) +
                           RecordTexts::Scan(Folder("source"), MD_MESSAGE, true);
    expected.sort();
    QCOMPARE(RecordTexts::Scan(Folder("out-triggers"), MD_MESSAGE, false), expected);
    // The phone's triggers are still there, for the phone's app.
    QCOMPARE(Answer(Folder("out-triggers"), home, sms,
                    "SELECT count(*) FROM sqlite_master WHERE type = 'trigger'"),
             QStringLiteral("2"));
}

void TestBackupMerge::encryptedTarget_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("contacts") << int(MD_CONTACT);
    // Added files are encrypted too, each with a key of its own.
    QTest::newRow("photos") << int(MD_PHOTO);
}

void TestBackupMerge::encryptedTarget()
{
    QFETCH(int, type);
    // An encrypted phone's merged backup is encrypted with its keys.
    SampleBackupWriter::Options options;
    options.media = type == MD_PHOTO;
    options.seed = 7;
    options.password = QStringLiteral("target pass");
    options.kdfRounds = 1;
    const QString target = Folder("encrypted-target-%1").arg(type);
    QVERIFY(SampleBackupWriter(options).Write(target));
    const QString digests = BackupFixture::Digests(target);
    BackupMerge::Options merge;
    merge.category = type;
    merge.onlyDeleted = true;
    merge.targetPassword = QStringLiteral("not it");
    BackupMerge wrong(merge);
    QVERIFY(!wrong.Run(Folder("source"), target, Folder("out-encrypted-%1").arg(type)));
    QVERIFY2(wrong.ErrorText().contains(QLatin1String("password")), qPrintable(wrong.ErrorText()));
    QVERIFY(!QFileInfo::exists(Folder("out-encrypted-%1").arg(type)));
    merge.targetPassword = options.password;
    BackupMerge right(merge);
    QVERIFY2(right.Run(Folder("source"), target, Folder("out-encrypted-%1").arg(type)),
             qPrintable(right.ErrorText()));

    // Nothing of it is in the clear; with the password it scans to the
    // target's records plus the recovered ones.
    const QString out = Folder("out-encrypted-%1").arg(type);
    QVERIFY(!BackupFixture::Read(QDir(out).filePath("Manifest.db")).startsWith("SQLite format 3"));
    QStringList expected = RecordTexts::Scan(target, MDType(type), false, options.password) +
                           RecordTexts::Scan(Folder("source"), MDType(type), true);
    expected.sort();
    QCOMPARE(RecordTexts::Scan(out, MDType(type), false, options.password), expected);
    QCOMPARE(RecordTexts::Scan(out, MDType(type), false, QStringLiteral("not it")),
             QStringList{"locked"});
    QVERIFY(!BackupFixture::TreeHolds(out, "SQLite format 3"));
    QCOMPARE(BackupFixture::Digests(target), digests);
}

void TestBackupMerge::otherEntityNumbers()
{
    // Another generation of the app numbers its Core Data entities otherwise:
    // the rows added are of the target's entity of the same name.
    const QString target = Folder("target-entities");
    QVERIFY(BackupFixture::CopyFolder(Folder("target"), target));
    QVERIFY(BackupFixture::SetWritable(target, true));
    const QString home = QStringLiteral("HomeDomain");
    const QString calls = QStringLiteral("Library/CallHistoryDB/CallHistory.storedata");
    QVERIFY(BackupFixture::Exec(BackupFixture::ContentPath(target, home, calls),
                                QStringLiteral("UPDATE Z_PRIMARYKEY SET Z_ENT = 9 WHERE Z_ENT = 2; "
                                               "UPDATE ZCALLRECORD SET Z_ENT = 9;")));
    BackupMerge::Options options;
    options.category = MD_CALL_HISTORY;
    options.onlyDeleted = true;
    BackupMerge merge(options);
    const QString out = Folder("out-entities");
    QVERIFY2(merge.Run(Folder("source"), target, out), qPrintable(merge.ErrorText()));
    QVERIFY(merge.AddedCount() > 0);
    QCOMPARE(Answer(out, home, calls,
                    "SELECT (SELECT count(*) FROM ZCALLRECORD WHERE Z_ENT IS NOT 9) || '/' || "
                    "((SELECT Z_MAX FROM Z_PRIMARYKEY WHERE Z_ENT = 9) - (SELECT max(Z_PK) FROM "
                    "ZCALLRECORD))"),
             QStringLiteral("0/0"));
}

void TestBackupMerge::refused_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("error");
    QTest::newRow("out exists") << int(MD_CONTACT) << "target"
                                << "exists already";
    // What cannot be put back faithfully is refused, with a reason the page shows.
    QTest::newRow("note attachments") << int(MD_NOTE_ATTACHMENT) << "refused"
                                      << "is not merged";
    QTest::newRow("WhatsApp") << int(MD_WHATSAPP_MESSAGE) << "refused"
                              << "is not merged";
    QTest::newRow("no category") << 15 << "refused"
                                 << "is not merged";
}

void TestBackupMerge::refused()
{
    QFETCH(int, type);
    QFETCH(QString, out);
    QFETCH(QString, error);
    QString reason;
    QCOMPARE(canMergeCategory(type, &reason), out == QLatin1String("target"));
    QCOMPARE(reason.isEmpty(), out == QLatin1String("target"));
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
