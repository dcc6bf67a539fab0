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

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <sqlite3.h>

using namespace MMobile;

namespace {

// The rows of `sql` on a database, opened by `uri` (read-only where `flags`
// say so); each column's bytes.
QList<QByteArrayList> Rows(const QByteArray& uri, const char* sql,
                           int flags = SQLITE_OPEN_READWRITE)
{
    QList<QByteArrayList> rows;
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_open_v2(uri.constData(), &db, flags | SQLITE_OPEN_URI, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            rows.append(QByteArrayList());
            for (int column = 0; column < sqlite3_column_count(statement); ++column)
                rows.last() << QByteArray(
                    static_cast<const char*>(sqlite3_column_blob(statement, column)),
                    sqlite3_column_bytes(statement, column));
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

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
    const QList<QByteArrayList> rows = Rows(QFile::encodeName(copy), sql);
    return rows.isEmpty() ? QStringLiteral("cannot open")
                          : QString::fromUtf8(rows.first().value(0));
}

// What a backup's index records of one file.
struct Indexed
{
    QString fileId;
    qint64 size = -1;
    QByteArray digest; // empty where the record keeps none
};

// The records of a Manifest.mbdb (iOS 9 and older) by "domain|relativePath",
// each with where its digest string begins and ends in the index.
struct MbdbRecord
{
    Indexed indexed;
    int digestAt = 0, digestEnd = 0;
};
QMap<QString, MbdbRecord> MbdbRecords(const QByteArray& index)
{
    QMap<QString, MbdbRecord> records;
    int at = 6;
    const auto number = [&index, &at](int bytes) {
        quint64 value = 0;
        for (; bytes > 0 && at < index.size(); --bytes)
            value = value << 8 | quint8(index.at(at++));
        return value;
    };
    const auto text = [&]() {
        const quint64 size = number(2);
        const QByteArray value = size == 0xFFFF ? QByteArray() : index.mid(at, int(size));
        at += size == 0xFFFF ? 0 : int(size);
        return value;
    };
    while (at < index.size()) {
        MbdbRecord record;
        const QByteArray domain = text(), path = text();
        text(); // link target
        record.digestAt = at;
        record.indexed.digest = text();
        record.digestEnd = at;
        text();       // key
        at += 2 + 28; // mode, inode, ids, times
        record.indexed.size = qint64(number(8));
        at += 1;
        const quint64 properties = number(1);
        for (quint64 i = 0; i < properties * 2; ++i)
            text();
        record.indexed.fileId =
            QCryptographicHash::hash(domain + '-' + path, QCryptographicHash::Sha1).toHex();
        records.insert(QString::fromUtf8(domain + '|' + path), record);
    }
    return records;
}

// Every file a backup's index lists (Manifest.db, else Manifest.mbdb).
QMap<QString, Indexed> IndexOf(const QString& folder)
{
    QMap<QString, Indexed> files;
    const QString mbdb = QDir(folder).filePath(QStringLiteral("Manifest.mbdb"));
    if (!QFileInfo::exists(QDir(folder).filePath(QStringLiteral("Manifest.db")))) {
        const QMap<QString, MbdbRecord> records = MbdbRecords(BackupFixture::Read(mbdb));
        for (auto it = records.begin(); it != records.end(); ++it)
            files.insert(it.key(), it.value().indexed);
        return files;
    }
    const QByteArray uri =
        "file:" +
        QUrl::toPercentEncoding(QDir(folder).filePath(QStringLiteral("Manifest.db")), "/") +
        "?immutable=1";
    for (const QByteArrayList& row :
         Rows(uri, "SELECT fileID, domain || '|' || relativePath, file FROM Files",
              SQLITE_OPEN_READONLY)) {
        Indexed file;
        file.fileId = QString::fromUtf8(row[0]);
        file.size = FileArchive::SizeOf(row[2]);
        files.insert(QString::fromUtf8(row[1]), file);
    }
    return files;
}

// "domain|relativePath" of every file whose content differs between two
// backups (or that only one has), by the index of `after`.
QStringList Changed(const QString& before, const QString& after)
{
    QStringList changed;
    const QMap<QString, Indexed> files = IndexOf(after);
    for (auto it = files.begin(); it != files.end(); ++it) {
        if (BackupFixture::Read(BackupFixture::StoredPath(before, it->fileId)) !=
            BackupFixture::Read(BackupFixture::StoredPath(after, it->fileId)))
            changed << it.key();
    }
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
    void olderIndexDigests();
    void encrypted_data();
    void encrypted();
    void targetQuirks_data();
    void targetQuirks();
    void refused_data();
    void refused();
    void backupsUnchanged();

private:
    QString Folder(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    // The merge pair of a system generation (written once).
    bool WritePair(int ios, QString& source, QString& target);

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

bool TestBackupMerge::WritePair(int ios, QString& source, QString& target)
{
    const QString suffix =
        ios == SampleBackupWriter::Options().ios ? QString() : QString::number(ios);
    source = m_dir.filePath(QStringLiteral("source") + suffix);
    target = m_dir.filePath(QStringLiteral("target") + suffix);
    return QFileInfo::exists(target) || BackupFixture::WriteMergePair(source, target, ios);
}

void TestBackupMerge::merged_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("ios");
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
        << int(MD_CONTACT) << 18 << QStringList{home + "Library/AddressBook/AddressBook.sqlitedb"}
        << QByteArray("SELECT (SELECT count(*) FROM ABMultiValue WHERE record_id NOT IN (SELECT "
                      "ROWID FROM ABPerson)) || '/' || (SELECT count(*) FROM ABMultiValueEntry "
                      "WHERE parent_id NOT IN (SELECT UID FROM ABMultiValue))")
        << true << QString();
    QTest::newRow("messages") << int(MD_MESSAGE) << 18 << QStringList{home + "Library/SMS/sms.db"}
                              << QByteArray("SELECT count(*) FROM message WHERE ROWID NOT IN "
                                            "(SELECT message_id FROM chat_message_join)")
                              << true << QString();
    QTest::newRow("calls") << int(MD_CALL_HISTORY) << 18
                           << QStringList{home + "Library/CallHistoryDB/CallHistory.storedata"}
                           << QByteArray(
                                  "SELECT (SELECT Z_MAX FROM Z_PRIMARYKEY WHERE Z_ENT = 2) - "
                                  "(SELECT max(Z_PK) FROM ZCALLRECORD)")
                           << true << QString();
    // A location is its item's own row.
    QTest::newRow("events") << int(MD_CALENDAR) << 18
                            << QStringList{home + "Library/Calendar/Calendar.sqlitedb"}
                            << QByteArray("SELECT count(*) FROM Location l WHERE NOT EXISTS "
                                          "(SELECT 1 FROM CalendarItem i WHERE i.location_id = "
                                          "l.ROWID AND i.ROWID IS l.item_owner_id) AND "
                                          "item_owner_id IS NOT NULL")
                            << true << QString();
    // Newer phones keep reminders in the app's own store too.
    QTest::newRow("reminders") << int(MD_REMINDER) << 18
                               << QStringList{home + "Library/Calendar/Calendar.sqlitedb",
                                              QLatin1String(SampleReminderStore::Domain) + '|' +
                                                  SampleReminderStore::Path()}
                               << QByteArray("SELECT count(*) FROM CalendarItem WHERE "
                                             "calendar_id NOT IN (SELECT ROWID FROM Calendar)")
                               << true << QString();
    // Every note has its own text; a folder counts its bookmarks.
    QTest::newRow("notes") << int(MD_NOTE) << 18
                           << QStringList{"AppDomainGroup-group.com.apple.notes|NoteStore.sqlite",
                                          home + "Library/Notes/notes.sqlite"}
                           << QByteArray("SELECT (SELECT count(*) FROM ZICNOTEDATA d WHERE NOT "
                                         "EXISTS (SELECT 1 FROM ZICCLOUDSYNCINGOBJECT n WHERE "
                                         "n.ZNOTEDATA = d.Z_PK AND n.Z_PK = d.ZNOTE)) || '/' || "
                                         "(SELECT count(*) FROM ZICCLOUDSYNCINGOBJECT WHERE "
                                         "ZNOTEDATA IS NOT NULL AND ZFOLDER IS NULL)")
                           << true << QString();
    QTest::newRow("bookmarks")
        << int(MD_SAFARI_BOOKMARK) << 18 << QStringList{home + "Library/Safari/Bookmarks.db"}
        << QByteArray("SELECT (SELECT count(*) FROM bookmarks f WHERE type = 1 AND num_children > "
                      "0 AND num_children <> (SELECT count(*) FROM bookmarks b WHERE b.parent = "
                      "f.id)) || '/' || (SELECT count(*) FROM bookmarks b WHERE type = 0 AND "
                      "parent NOT IN (SELECT id FROM bookmarks WHERE type = 1))")
        << true << QString();
    // Up to iOS 9 the index is Manifest.mbdb, and calls have a store of their own.
    QTest::newRow("contacts, iOS 7")
        << int(MD_CONTACT) << 7 << QStringList{home + "Library/AddressBook/AddressBook.sqlitedb"}
        << QByteArray("SELECT count(*) FROM ABMultiValue WHERE record_id NOT IN (SELECT ROWID "
                      "FROM ABPerson)")
        << true << QString();
    QTest::newRow("calls, iOS 7")
        << int(MD_CALL_HISTORY) << 7
        << QStringList{"WirelessDomain|Library/CallHistory/call_history.db"}
        << QByteArray("SELECT count(*) FROM call WHERE date IS NULL") << true << QString();
    // A picture taken out of the trash keeps its name, in another of the
    // camera's folders where the target has one of that name.
    QTest::newRow("photos") << int(MD_PHOTO) << 18
                            << QStringList{"CameraRollDomain|Media/PhotoData/Photos.sqlite"}
                            << QByteArray("SELECT (SELECT count(*) FROM ZASSET WHERE ZTRASHEDSTATE "
                                          "<> 0) || '/' || (SELECT count(*) FROM ZASSET a LEFT "
                                          "JOIN ZADDITIONALASSETATTRIBUTES x ON x.Z_PK = "
                                          "a.ZADDITIONALATTRIBUTES WHERE x.ZASSET IS NOT a.Z_PK)")
                            << true << "CameraRollDomain|Media/DCIM/";
    QTest::newRow("voice memos")
        << int(MD_VOICE_MEMO) << 18
        << QStringList{"MediaDomain|Media/Recordings/CloudRecordings.db"}
        << QByteArray("SELECT count(*) - count(DISTINCT ZUNIQUEID) FROM ZCLOUDRECORDING") << false
        << "MediaDomain|Media/Recordings/";
    // Every join row joins a message and an attachment; every message
    // marked as having attachments has one.
    QTest::newRow("attachments")
        << int(MD_MESSAGE_ATTACHMENT) << 18 << QStringList{"HomeDomain|Library/SMS/sms.db"}
        << QByteArray("SELECT (SELECT count(*) FROM message_attachment_join WHERE message_id NOT "
                      "IN (SELECT ROWID FROM message) OR attachment_id NOT IN (SELECT ROWID FROM "
                      "attachment)) || '/' || (SELECT count(*) FROM message WHERE "
                      "cache_has_attachments AND ROWID NOT IN (SELECT message_id FROM "
                      "message_attachment_join))")
        << false << "MediaDomain|Library/SMS/Attachments/";
}

void TestBackupMerge::merged()
{
    QFETCH(int, type);
    QFETCH(int, ios);
    QFETCH(QStringList, stores);
    QFETCH(QByteArray, loose);
    QFETCH(bool, onlyDeleted);
    QFETCH(QString, files);
    QString source, target;
    QVERIFY(WritePair(ios, source, target));
    const QString targetDigests = BackupFixture::Digests(target);
    const QStringList recovered = RecordTexts::Scan(source, MDType(type), onlyDeleted);
    QVERIFY(!recovered.isEmpty());
    QStringList expected = RecordTexts::Scan(target, MDType(type), false);
    expected << RecordTexts::PutBack(recovered);
    expected.sort();

    const QString out = m_dir.filePath(QStringLiteral("out%1-%2").arg(type).arg(ios));
    BackupMerge::Options options;
    options.category = type;
    options.onlyDeleted = onlyDeleted;
    QVERIFY(canMergeCategory(type));
    BackupMerge merge(options);
    QVERIFY2(merge.Run(source, target, out), qPrintable(merge.ErrorText()));
    // Copies of one note are one record.
    const int records = RecordTexts::PutBack(recovered).size();
    QCOMPARE(merge.AddedCount(), records);
    QCOMPARE(merge.SkippedCount(), 0);
    QCOMPARE(RecordTexts::Scan(out, MDType(type), false), expected);
    // What the target's phone marked deleted stays so; nothing else is.
    QCOMPARE(RecordTexts::Scan(out, MDType(type), true),
             RecordTexts::Scan(target, MDType(type), true));

    // Only the category's databases changed, and its files were added, one
    // a record, each listed with its size; each database is sound, without
    // a log, and the index (of the same kind as the target's) says so.
    QCOMPARE(QFileInfo::exists(QDir(out).filePath("Manifest.db")), ios > 9);
    QStringList changed = Changed(target, out);
    QStringList added;
    for (const QString& file : qAsConst(changed)) {
        if (!files.isEmpty() && file.startsWith(files) && !stores.contains(file))
            added << file;
    }
    QCOMPARE(added.size(), files.isEmpty() ? 0 : recovered.size());
    const QMap<QString, Indexed> before = IndexOf(target), after = IndexOf(out);
    for (const QString& file : qAsConst(added)) {
        QVERIFY2(!before.contains(file), qPrintable(file));
        QCOMPARE(after.value(file).size,
                 QFileInfo(BackupFixture::ContentPath(out, file.section(QLatin1Char('|'), 0, 0),
                                                      file.section(QLatin1Char('|'), 1)))
                     .size());
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
        QCOMPARE(after.value(store).size, QFileInfo(file).size());
        QVERIFY(!after.contains(store + QStringLiteral("-wal")));
        QVERIFY(!QFileInfo::exists(BackupFixture::ContentPath(out, domain, path + "-wal")));
    }
    const QString first = stores.first().section(QLatin1Char('|'), 0, 0);
    const QString firstPath = stores.first().section(QLatin1Char('|'), 1);
    QCOMPARE(Answer(out, first, firstPath, loose.constData()),
             Answer(target, first, firstPath, loose.constData()));
    // No other record of the index changed.
    QMap<QString, Indexed> kept = before, now = after;
    for (const QString& store : stores) {
        kept.remove(store);
        kept.remove(store + QStringLiteral("-wal"));
        now.remove(store);
    }
    for (const QString& file : qAsConst(added))
        now.remove(file);
    QCOMPARE(now.keys(), kept.keys());
    for (auto it = now.begin(); it != now.end(); ++it)
        QCOMPARE(it->size, kept.value(it.key()).size);

    // Merged again, nothing is added twice.
    const QString again = out + QStringLiteral("-again");
    BackupMerge second(options);
    QVERIFY2(second.Run(source, out, again), qPrintable(second.ErrorText()));
    QCOMPARE(second.AddedCount(), 0);
    QCOMPARE(second.SkippedCount(), records);
    QCOMPARE(RecordTexts::Scan(again, MDType(type), false), expected);
    QCOMPARE(BackupFixture::Digests(target), targetDigests);
}

void TestBackupMerge::olderIndexDigests()
{
    // A Manifest.mbdb record that keeps its file's digest gets the new
    // content's; one that keeps none still keeps none.
    QString source, target;
    QVERIFY(WritePair(7, source, target));
    const QString withDigest = Folder("target7-digest");
    QVERIFY(BackupFixture::CopyFolder(target, withDigest));
    QVERIFY(BackupFixture::SetWritable(withDigest, true));
    const QString mbdb = QDir(withDigest).filePath(QStringLiteral("Manifest.mbdb"));
    QByteArray index = BackupFixture::Read(mbdb);
    const QString contacts = QStringLiteral("HomeDomain|Library/AddressBook/AddressBook.sqlitedb");
    const MbdbRecord record = MbdbRecords(index).value(contacts);
    QVERIFY(record.indexed.digest.isEmpty());
    index.replace(record.digestAt, record.digestEnd - record.digestAt,
                  QByteArray("\x00\x14", 2) + QByteArray(20, '\x5a'));
    QVERIFY(BackupFixture::WriteFile(mbdb, index));
    BackupMerge::Options options;
    options.category = MD_CONTACT;
    options.onlyDeleted = true;
    BackupMerge merge(options);
    const QString out = Folder("out-digest");
    QVERIFY2(merge.Run(source, withDigest, out), qPrintable(merge.ErrorText()));
    const QMap<QString, Indexed> merged = IndexOf(out);
    QCOMPARE(merged.value(contacts).digest,
             QCryptographicHash::hash(
                 BackupFixture::Read(BackupFixture::ContentPath(
                     out, "HomeDomain", "Library/AddressBook/AddressBook.sqlitedb")),
                 QCryptographicHash::Sha1));
    QCOMPARE(merged.value("HomeDomain|Library/SMS/sms.db").digest, QByteArray());
}

void TestBackupMerge::encrypted_data()
{
    QTest::addColumn<bool>("target"); // else the source is the encrypted one
    QTest::addColumn<int>("type");
    QTest::newRow("source") << false << int(MD_CONTACT);
    QTest::newRow("target") << true << int(MD_CONTACT);
    // Added files are encrypted too, each with a key of its own.
    QTest::newRow("target, photos") << true << int(MD_PHOTO);
}

// The same backups, encrypted: a wrong password is refused and writes nothing;
// the merge decrypts a source privately, and an encrypted phone's merged
// backup is encrypted with its keys, nothing of it in the clear.
void TestBackupMerge::encrypted()
{
    QFETCH(bool, target);
    QFETCH(int, type);
    SampleBackupWriter::Options options;
    options.media = type == MD_PHOTO;
    options.deletions = !target;
    if (target)
        options.seed = 7;
    options.password = QStringLiteral("merge me");
    options.kdfRounds = 1;
    const QString encrypted =
        Folder(target ? "encrypted-target" : "encrypted-source") + QString::number(type);
    QVERIFY(SampleBackupWriter(options).Write(encrypted));
    const QString digests = BackupFixture::Digests(encrypted);
    const QString from = target ? Folder("source") : encrypted;
    const QString into = target ? encrypted : Folder("target");
    const QString out = encrypted + QStringLiteral("-out");
    BackupMerge::Options merge;
    merge.category = type;
    merge.onlyDeleted = true;
    QString& password = target ? merge.targetPassword : merge.password;
    password = QStringLiteral("not it");
    BackupMerge wrong(merge);
    QVERIFY(!wrong.Run(from, into, out));
    QVERIFY2(wrong.ErrorText().contains(QLatin1String("password")), qPrintable(wrong.ErrorText()));
    QVERIFY(!QFileInfo::exists(out));
    password = options.password;
    BackupMerge right(merge);
    QVERIFY2(right.Run(from, into, out), qPrintable(right.ErrorText()));
    const QString outPassword = target ? options.password : QString();
    QStringList expected = RecordTexts::Scan(into, MDType(type), false, outPassword) +
                           RecordTexts::Scan(Folder("source"), MDType(type), true);
    expected.sort();
    QCOMPARE(RecordTexts::Scan(out, MDType(type), false, outPassword), expected);
    QCOMPARE(BackupFixture::Digests(encrypted), digests);
    if (target) {
        QCOMPARE(RecordTexts::Scan(out, MDType(type), false, QStringLiteral("not it")),
                 QStringList{"locked"});
        QVERIFY(!BackupFixture::TreeHolds(out, "SQLite format 3"));
    }
}

void TestBackupMerge::targetQuirks_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("path"); // "domain|path" of the database
    QTest::addColumn<QString>("sql");  // what the target's (or source's) database gets first
    QTest::addColumn<QByteArray>("check");
    QTest::addColumn<QString>("answer"); // of `check` on the merged database
    QTest::addColumn<bool>("onSource");
    QTest::addColumn<QString>("error"); // of a merge that fails, else empty
    // A real store's triggers call functions only the phone's app has, and
    // do the app's bookkeeping: none of that runs in a merge, and the
    // triggers are still there for the phone's app.
    QTest::newRow("phone's triggers")
        << int(MD_MESSAGE) << "HomeDomain|Library/SMS/sms.db"
        << "CREATE TRIGGER after_insert_on_message AFTER INSERT ON message BEGIN "
           "SELECT phone_only_function(NEW.ROWID, NEW.guid); END;"
           "CREATE TRIGGER after_insert_on_chat_message_join AFTER INSERT ON "
           "chat_message_join BEGIN DELETE FROM message WHERE ROWID = NEW.message_id; END;"
        << QByteArray("SELECT count(*) FROM sqlite_master WHERE type = 'trigger'") << "2" << false
        << QString();
    // Another generation of the app numbers its Core Data entities otherwise:
    // the rows added are of the target's entity of the same name.
    QTest::newRow("other entity numbers")
        << int(MD_CALL_HISTORY) << "HomeDomain|Library/CallHistoryDB/CallHistory.storedata"
        << "UPDATE Z_PRIMARYKEY SET Z_ENT = 9 WHERE Z_ENT = 2; UPDATE ZCALLRECORD SET Z_ENT = 9;"
        << QByteArray("SELECT (SELECT count(*) FROM ZCALLRECORD WHERE Z_ENT IS NOT 9) || '/' || "
                      "((SELECT Z_MAX FROM Z_PRIMARYKEY WHERE Z_ENT = 9) - (SELECT max(Z_PK) FROM "
                      "ZCALLRECORD))")
        << "0/0" << false << QString();
    // An older reminders app marks nothing deleted: only what was carved comes over.
    QTest::newRow("source without deleted marks")
        << int(MD_REMINDER)
        << QLatin1String(SampleReminderStore::Domain) + '|' + SampleReminderStore::Path()
        << "ALTER TABLE ZREMCDREMINDER DROP COLUMN ZMARKEDFORDELETION;"
        << QByteArray("SELECT count(*) FROM pragma_table_info('ZREMCDREMINDER') WHERE name = "
                      "'ZMARKEDFORDELETION'")
        << "1" << true << QString();
    // A target table that takes no new row (its schema checks the rowid)
    // fails the merge with SQLite's reason: no record is dropped in silence.
    const auto refusing = [](const char* table) {
        return QStringLiteral("PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = "
                              "substr(sql, 1, length(sql) - 1) || ', CHECK (ROWID <= ' || "
                              "(SELECT max(ROWID) FROM %1) || '))' WHERE name = '%1';")
            .arg(QLatin1String(table));
    };
    QTest::newRow("target refuses new handles")
        << int(MD_MESSAGE) << "HomeDomain|Library/SMS/sms.db" << refusing("handle") << QByteArray()
        << QString() << false << "CHECK constraint failed";
    QTest::newRow("target refuses new locations")
        << int(MD_CALENDAR) << "HomeDomain|Library/Calendar/Calendar.sqlitedb"
        << refusing("Location") << QByteArray() << QString() << false << "CHECK constraint failed";
    QTest::newRow("target refuses new photos")
        << int(MD_PHOTO) << "CameraRollDomain|Media/PhotoData/Photos.sqlite" << refusing("ZASSET")
        << QByteArray() << QString() << false << "CHECK constraint failed";
}

void TestBackupMerge::targetQuirks()
{
    QFETCH(int, type);
    QFETCH(QString, path);
    QFETCH(QString, sql);
    QFETCH(QByteArray, check);
    QFETCH(QString, answer);
    QFETCH(bool, onSource);
    QFETCH(QString, error);
    const QString quirky =
        m_dir.filePath(QStringLiteral("quirks-") + QLatin1String(QTest::currentDataTag()));
    QVERIFY(BackupFixture::CopyFolder(Folder(onSource ? "source" : "target"), quirky));
    QVERIFY(BackupFixture::SetWritable(quirky, true));
    const QString domain = path.section(QLatin1Char('|'), 0, 0);
    const QString file = path.section(QLatin1Char('|'), 1);
    const QString wal = BackupFixture::ContentPath(quirky, domain, file + QStringLiteral("-wal"));
    QVERIFY(BackupFixture::Exec(BackupFixture::ContentPath(quirky, domain, file), sql,
                                QFileInfo(wal).isFile() ? wal : QString()));
    const QString source = onSource ? quirky : Folder("source");
    const QString target = onSource ? Folder("target") : quirky;
    BackupMerge::Options options;
    options.category = type;
    options.onlyDeleted = true;
    BackupMerge merge(options);
    const QString out = quirky + QStringLiteral("-out");
    if (!error.isEmpty()) {
        QVERIFY(!merge.Run(source, target, out));
        QVERIFY2(merge.ErrorText().contains(error), qPrintable(merge.ErrorText()));
        QVERIFY(!QFileInfo::exists(out));
        return;
    }
    QVERIFY2(merge.Run(source, target, out), qPrintable(merge.ErrorText()));
    QStringList expected = RecordTexts::Scan(target, MDType(type), false) +
                           RecordTexts::Scan(source, MDType(type), true);
    expected.sort();
    QCOMPARE(RecordTexts::Scan(out, MDType(type), false), expected);
    QCOMPARE(Answer(out, domain, file, check.constData()), answer);
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
