// Damaged and hostile backups end the scan with the documented result: a
// backup error code as phase code (2 folder or Manifest.db missing, 3
// Manifest.db unreadable, 255 encrypted), status 4 for a category database
// that cannot be read, or a complete scan that leaves out the files it may
// not read, counted as skipped. Nothing crashes, and nothing outside the
// backup folder is read: a canary file beside the backup must never reach an
// export.

#include "backupdevice.h"
#include "backupfixture.h"
#include "contracts/mmobile.h"
#include "samplebackupwriter.h"
#include "samplereminderstore.h"
#include "scanrunner.h"
#include "sqlitewriter.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <sqlite3.h>

#include <functional>
#include <map>

using namespace MMobile;

namespace {

const QByteArray kCanary = "CANARY-7f3a: this file lies outside the backup and must stay unread";
// "Some items fewer", where the exact number depends on the folder's layout.
const int kSomeLost = -1;

// What a damage works on: a fresh copy of the backup (which it may point
// elsewhere), its files, and the places outside it.
struct Site
{
    QString folder, manifest, sms, photoFile, photoId, outside, canary;
    QString bookmarks, marker; // a category database, a file no scan may make

    QString File(const QString& name) const { return QDir(folder).filePath(name); }
    bool SetPhotoId(const QString& id) const
    {
        return BackupFixture::Exec(
            manifest,
            QStringLiteral("UPDATE Files SET fileID='%1' WHERE fileID='%2'").arg(id, photoId));
    }
    // Moves the photo's content to where `id` puts it and lists it under `id`.
    bool RenamePhoto(const QString& id) const
    {
        return QDir(folder).mkpath(id.left(2)) &&
               QFile::rename(photoFile, File(id.left(2) + '/' + id)) && SetPhotoId(id);
    }
    bool WritePlist(const char* name, const QByteArray& data) const
    {
        return BackupFixture::WriteFile(File(name), data);
    }
};
using Damage = std::function<bool(Site&)>;

// Runs `sql` on `database` in write-ahead mode and leaves its log beside it.
bool LeaveLog(const QString& database, const char* sql)
{
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(QFile::encodeName(database).constData(), &db) == SQLITE_OK &&
              sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) == SQLITE_OK &&
              sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr) == SQLITE_OK &&
              sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok && QFileInfo(database + QStringLiteral("-wal")).size() > 0;
}

} // namespace

Q_DECLARE_METATYPE(Damage)

class TestBadBackups : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void damaged_data();
    void damaged();
    void optionalPartMissing_data();
    void optionalPartMissing();
    void exportStartsAsScanEnds();
    void hostileDatabase_data();
    void hostileDatabase();
    void damagedIndexSaysSo_data();
    void damagedIndexSaysSo();
    void sampleWriterFailsLoudly_data();
    void sampleWriterFailsLoudly();

private:
    QString Copy();
    int BaselineCount(int type);
    // Every item of the source exported; whether any output file holds the canary.
    bool ExportShowsCanary(ICategoryDataSource* source, int type);
    // The deleted bookmarks a scan of `folder` finds (-1: the scan failed),
    // and in `live` the others.
    int DeletedCount(const QString& folder, int& live);

    QTemporaryDir m_dir;
    QString m_template;
    QString m_canary;
    SampleBackupContent m_content;
    std::map<int, int> m_baseline;
    int m_copies = 0;
    QString m_withDeleted; // a backup with deleted bookmarks, made when needed
    int m_deletedBaseline = -1;
    int m_liveBaseline = 0;
};

void TestBadBackups::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_template = m_dir.filePath(QStringLiteral("template"));
    SampleBackupWriter writer(SampleBackupWriter::Options{});
    QVERIFY2(writer.Write(m_template), qPrintable(writer.ErrorText()));
    m_content = writer.Content();
    // The copies lie two levels down: the content path of the file ID
    // "../canary", "<copy>/../../canary", is this file.
    m_canary = m_dir.filePath(QStringLiteral("canary"));
    QVERIFY(BackupFixture::WriteFile(m_canary, kCanary));
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("copies")));
}

QString TestBadBackups::Copy()
{
    const QString folder = m_dir.filePath(QStringLiteral("copies/%1").arg(++m_copies));
    return BackupFixture::CopyFolder(m_template, folder) ? folder : QString();
}

int TestBadBackups::BaselineCount(int type)
{
    if (!m_baseline.count(type)) {
        BackupDevice device(m_template);
        SourcePtr source;
        IMDGetter* getter = ScanRunner::ScanInto(source, device, static_cast<MDType>(type));
        m_baseline[type] = getter ? int(getter->GetCount()) : 0;
    }
    return m_baseline[type];
}

bool TestBadBackups::ExportShowsCanary(ICategoryDataSource* source, int type)
{
    const QString out = m_dir.filePath(QStringLiteral("export%1").arg(m_copies));
    QDir().mkpath(out);
    return ScanRunner(source).ExportAll(static_cast<MDType>(type), out) != TASK_COMPLETE ||
           BackupFixture::TreeHolds(out, kCanary);
}

void TestBadBackups::damaged_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("backupError");
    QTest::addColumn<int>("lost"); // items fewer than in the undamaged backup; -1 some

    const int all = 1 << 20; // every item
    const QByteArray none;
    const auto row = [](const char* name, MDType type, int status, const QByteArray& backupError,
                        int lost, const Damage& damage) {
        QTest::newRow(name) << damage << int(type) << status << backupError << lost;
    };
    const auto sql = [](const char* statement) {
        return [statement](Site& s) { return BackupFixture::Exec(s.manifest, statement); };
    };
    // A damaged plist from the fuzzing corpus in place of the backup's own.
    const auto repro = [](const char* plist, const char* corpusFile) {
        return [=](Site& s) {
            QFile::remove(s.File(plist));
            return QFile::copy(QStringLiteral(PLIST_CORPUS_DIR "/") + corpusFile, s.File(plist));
        };
    };
    const QByteArray xmlEncrypted = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                                    "<key>IsEncrypted</key><true/></dict></plist>";
    // Phones write the binary form. { "IsEncrypted": true }: objects 0 dict,
    // 1 key, 2 true, their offsets, then the trailer (one-byte offsets and
    // references, three objects, the offset table at 24).
    const QByteArray binaryEncrypted("bplist00\xD1\x01\x02\x5BIsEncrypted\x09\x08\x0B\x17"
                                     "\0\0\0\0\0\0\x01\x01\0\0\0\0\0\0\0\x03"
                                     "\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x18",
                                     59);

    row("no folder", MD_CONTACT, TASK_ERROR, "2", all, [](Site& s) {
        s.folder += QStringLiteral("-gone");
        return true;
    });
    row("no Manifest.db", MD_CONTACT, TASK_ERROR, "2", all,
        [](Site& s) { return QFile::remove(s.manifest); });
    row("Manifest.db a folder", MD_CONTACT, TASK_ERROR, "2", all,
        [](Site& s) { return QFile::remove(s.manifest) && QDir().mkdir(s.manifest); });
    row("Manifest.db linked out", MD_CONTACT, TASK_ERROR, "2", all, [](Site& s) {
        return QFile::rename(s.manifest, s.outside) && QFile::link(s.outside, s.manifest);
    });
    // A log of the manifest, made outside the backup, that would drop every
    // message database from the index.
    row("Manifest.db-wal linked out", MD_MESSAGE, TASK_COMPLETE, none, 0, [](Site& s) {
        const QString copy = s.outside + QStringLiteral(".db");
        return QFile::copy(s.manifest, copy) &&
               LeaveLog(copy, "DELETE FROM Files WHERE relativePath LIKE 'Library/SMS/%'") &&
               QFile::link(copy + QStringLiteral("-wal"), s.manifest + QStringLiteral("-wal"));
    });
    row("truncated Manifest.db", MD_CONTACT, TASK_ERROR, "3", all,
        [](Site& s) { return QFile::resize(s.manifest, 3000); });
    row("Manifest.mbdb cut in a record", MD_CONTACT, TASK_ERROR, "3", all, [](Site& s) {
        return QFile::remove(s.manifest) &&
               s.WritePlist("Manifest.mbdb", QByteArray("mbdb\x05\x00\x00\x0aHomeDomain\x00", 19));
    });
    row("Manifest.db not a database", MD_MESSAGE, TASK_ERROR, "3", all,
        [](Site& s) { return BackupFixture::WriteFile(s.manifest, QByteArray(8192, 'x')); });
    row("Manifest.db without Files", MD_MESSAGE, TASK_ERROR, "3", all, sql("DROP TABLE Files"));
    row("encrypted", MD_PHOTO, TASK_ERROR, "255", all,
        [=](Site& s) { return s.WritePlist("Manifest.plist", xmlEncrypted); });
    row("encrypted, binary Manifest.plist", MD_CONTACT, TASK_ERROR, "255", all,
        [=](Site& s) { return s.WritePlist("Manifest.plist", binaryEncrypted); });
    row("Info.plist string overflow", MD_CONTACT, TASK_COMPLETE, none, 0,
        repro("Info.plist", "bplist-utf16-overflow.plist"));
    row("Manifest.plist dict overflow", MD_CONTACT, TASK_COMPLETE, none, 0,
        repro("Manifest.plist", "bplist-dict-overflow.plist"));
    row("Manifest.plist with a nul key", MD_CONTACT, TASK_COMPLETE, none, 0,
        repro("Manifest.plist", "bplist-utf16-nul-key.plist"));
    row("truncated sms.db", MD_MESSAGE, TASK_ERROR, none, all,
        [](Site& s) { return QFile::resize(s.sms, 6000); });
    row("sms.db content missing", MD_MESSAGE, TASK_ERROR, none, all,
        [](Site& s) { return QFile::remove(s.sms); });
    row("sms.db a folder", MD_MESSAGE, TASK_ERROR, none, all,
        [](Site& s) { return QFile::remove(s.sms) && QDir().mkdir(s.sms); });
    row("sms.db fileID climbs out", MD_MESSAGE, TASK_ERROR, none, all,
        sql("UPDATE Files SET fileID='../canary' WHERE relativePath='Library/SMS/sms.db'"));
    row("sms.db without chat table", MD_MESSAGE, TASK_ERROR, none, all, [](Site& s) {
        return BackupFixture::Exec(
            s.sms, "DROP TABLE chat",
            BackupFixture::ContentPath(s.folder, "HomeDomain", "Library/SMS/sms.db-wal"));
    });
    row("no bookmarks database", MD_SAFARI_BOOKMARK, TASK_COMPLETE, none, all,
        sql("DELETE FROM Files WHERE relativePath='Library/Safari/Bookmarks.db'"));
    row("no notes databases", MD_NOTE, TASK_COMPLETE, none, all,
        sql("DELETE FROM Files WHERE relativePath IN ('Library/Notes/notes.sqlite', "
            "'NoteStore.sqlite')"));
    row("other categories unharmed", MD_SAFARI_BOOKMARK, TASK_COMPLETE, none, 0,
        [](Site& s) { return QFile::resize(s.sms, 6000); });
    row("recordings without their database", MD_VOICE_MEMO, TASK_COMPLETE, none, 0,
        sql("DELETE FROM Files WHERE relativePath LIKE 'Media/Recordings/%Recordings.db'"));
    // The business app's store is listed but is no database.
    row("business app's store damaged", MD_WHATSAPP_MESSAGE, TASK_COMPLETE, none, 0, [](Site& s) {
        const QString domain =
            QStringLiteral("AppDomainGroup-group.net.whatsapp.WhatsAppSMB.shared");
        const QString file = BackupFixture::ContentPath(s.folder, domain, "ChatStorage.sqlite");
        const QString id = QFileInfo(file).fileName();
        return QDir(s.folder).mkpath(id.left(2)) &&
               BackupFixture::WriteFile(file, QByteArray(8192, 'x')) &&
               BackupFixture::Exec(s.manifest, QStringLiteral("INSERT INTO Files (fileID, domain, "
                                                              "relativePath, flags) VALUES ('%1', "
                                                              "'%2', 'ChatStorage.sqlite', 1)")
                                                   .arg(id, domain));
    });
    row("photo content missing", MD_PHOTO, TASK_COMPLETE, none, 1,
        [](Site& s) { return QFile::remove(s.photoFile); });
    row("photo fileID climbs out", MD_PHOTO, TASK_COMPLETE, none, 1,
        [](Site& s) { return s.SetPhotoId(QStringLiteral("../canary")); });
    row("photo fileID absolute", MD_PHOTO, TASK_COMPLETE, none, 1,
        [](Site& s) { return s.SetPhotoId(s.canary); });
    row("photo linked out", MD_PHOTO, TASK_COMPLETE, none, 1,
        [](Site& s) { return QFile::remove(s.photoFile) && QFile::link(s.canary, s.photoFile); });
    // The whole two-digit folder moves out, the photo becomes the canary.
    row("photo folder linked out", MD_PHOTO, TASK_COMPLETE, none, kSomeLost, [](Site& s) {
        const QString bucket = QFileInfo(s.photoFile).absolutePath();
        return QFile::rename(bucket, s.outside) &&
               BackupFixture::WriteFile(QDir(s.outside).filePath(s.photoId), kCanary) &&
               QFile::link(s.outside, bucket);
    });
    row("photo fileID not hex", MD_PHOTO, TASK_COMPLETE, none, 1,
        [](Site& s) { return s.RenamePhoto(QStringLiteral("g") + s.photoId.mid(1)); });
    row("photo fileID short", MD_PHOTO, TASK_COMPLETE, none, 1,
        [](Site& s) { return s.RenamePhoto(s.photoId.left(39)); });
    row("photo fileID in capitals", MD_PHOTO, TASK_COMPLETE, none, 0,
        [](Site& s) { return s.RenamePhoto(s.photoId.toUpper()); });
}

void TestBadBackups::damaged()
{
    QFETCH(Damage, damage);
    QFETCH(int, type);
    QFETCH(int, status);
    QFETCH(QByteArray, backupError);
    QFETCH(int, lost);

    const int baseline = BaselineCount(type);
    Site site;
    site.folder = Copy();
    QVERIFY(!site.folder.isEmpty());
    site.manifest = site.File(QStringLiteral("Manifest.db"));
    site.sms = BackupFixture::ContentPath(site.folder, "HomeDomain", "Library/SMS/sms.db");
    const SampleBackupContent::Photo& photo = m_content.photos[3];
    site.photoFile =
        BackupFixture::ContentPath(site.folder, "CameraRollDomain",
                                   QStringLiteral("Media/%1/%2").arg(photo.directory, photo.name));
    site.photoId = QFileInfo(site.photoFile).fileName();
    site.outside = m_dir.filePath(QStringLiteral("outside%1").arg(m_copies));
    site.canary = m_canary;
    QVERIFY(damage(site));

    BackupDevice device(site.folder);
    SourcePtr source(device.GetDataSource(static_cast<MDType>(type)));
    QVERIFY(source);
    ScanRunner runner(source.get());
    QCOMPARE(runner.Scan(), status);
    QCOMPARE(runner.BackupError(), backupError);
    const QVector<ScanRunner::Report> reports = runner.Reports();
    QVERIFY(!reports.isEmpty());
    if (!backupError.isEmpty()) {
        // The error is the last report: the page stops the scan on it.
        QCOMPARE(reports.last().label, backupError);
        QCOMPARE(reports.last().type, -1);
    } else if (status == TASK_ERROR) {
        QCOMPARE(reports.last().status, int(TASK_ERROR));
        QCOMPARE(reports.last().label, QByteArray("0"));
    }
    IMDGetter* getter = source->GetDataGetter();
    const int count = getter ? int(getter->GetCount()) : 0;
    if (lost == kSomeLost)
        QVERIFY(count < baseline && count > 0);
    else
        QCOMPARE(count, qMax(0, baseline - lost));
    // Files left out are counted, never silent.
    if (type == MD_PHOTO && status == TASK_COMPLETE)
        QCOMPARE(device.SkippedCount(MD_PHOTO), baseline - count);
    if (count > 0)
        QVERIFY(!ExportShowsCanary(source.get(), type));
}

void TestBadBackups::optionalPartMissing_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("database"); // "domain/path"
    QTest::addColumn<QString>("sql");
    const auto row = [](MDType type, const QString& database, const char* sql) {
        QTest::newRow(sql) << int(type) << database << QString(sql);
    };
    const QString book = QStringLiteral("HomeDomain/Library/AddressBook/AddressBook.sqlitedb");
    const QString sms = QStringLiteral("HomeDomain/Library/SMS/sms.db");
    const QString calendar = QStringLiteral("HomeDomain/Library/Calendar/Calendar.sqlitedb");
    const QString calls = QStringLiteral("HomeDomain/Library/CallHistoryDB/CallHistory.storedata");
    const QString notes = QStringLiteral("HomeDomain/Library/Notes/notes.sqlite");
    const QString whatsApp =
        QStringLiteral("AppDomainGroup-group.net.whatsapp.WhatsApp.shared/ChatStorage.sqlite");
    const QString reminders = QString::fromLatin1(SampleReminderStore::Domain) + QLatin1Char('/') +
                              SampleReminderStore::Path();
    row(MD_CONTACT, book, "DROP TABLE ABMultiValueLabel");
    row(MD_CONTACT, book, "DROP TABLE ABMultiValueEntry");
    row(MD_CONTACT, book, "DROP TABLE ABMultiValueEntryKey");
    row(MD_CONTACT, book, "ALTER TABLE ABPerson DROP COLUMN Birthday");
    row(MD_CONTACT, book, "ALTER TABLE ABPerson DROP COLUMN Nickname");
    row(MD_MESSAGE, sms, "DROP TABLE message_attachment_join");
    row(MD_MESSAGE_ATTACHMENT, sms, "ALTER TABLE attachment DROP COLUMN created_date");
    row(MD_CALL_HISTORY, calls, "ALTER TABLE ZCALLRECORD DROP COLUMN ZNAME");
    row(MD_CALL_HISTORY, calls, "ALTER TABLE ZCALLRECORD DROP COLUMN ZDURATION");
    row(MD_CALL_HISTORY, calls, "ALTER TABLE ZCALLRECORD DROP COLUMN ZDISCONNECTED_CAUSE");
    row(MD_CALENDAR, calendar, "DROP TABLE Location");
    row(MD_CALENDAR, calendar, "ALTER TABLE CalendarItem DROP COLUMN description");
    row(MD_REMINDER, calendar, "DROP TABLE Calendar");
    row(MD_REMINDER, calendar, "ALTER TABLE CalendarItem DROP COLUMN priority");
    row(MD_REMINDER, reminders, "DROP TABLE ZREMCDBASELIST");
    row(MD_REMINDER, reminders, "ALTER TABLE ZREMCDREMINDER DROP COLUMN ZCOMPLETED");
    row(MD_NOTE, notes, "DROP TABLE ZFOLDER");
    row(MD_NOTE, notes, "DROP TABLE ZNOTEBODY");
    row(MD_NOTE, "AppDomainGroup-group.com.apple.notes/NoteStore.sqlite",
        "ALTER TABLE ZICCLOUDSYNCINGOBJECT DROP COLUMN ZSNIPPET");
    row(MD_PHOTO, "CameraRollDomain/Media/PhotoData/Photos.sqlite",
        "ALTER TABLE ZASSET DROP COLUMN ZTRASHEDSTATE");
    row(MD_VOICE_MEMO, "MediaDomain/Media/Recordings/CloudRecordings.db",
        "ALTER TABLE ZCLOUDRECORDING DROP COLUMN ZCUSTOMLABEL");
    row(MD_WHATSAPP_MESSAGE, whatsApp, "ALTER TABLE ZWAMEDIAITEM DROP COLUMN ZMEDIALOCALPATH");
    row(MD_WHATSAPP_MESSAGE, whatsApp, "DROP TABLE ZWAMEDIAITEM");
    row(MD_WHATSAPP_ATTACHMENT, whatsApp, "ALTER TABLE ZWAMEDIAITEM DROP COLUMN ZMEDIALOCALPATH");
}

// A table or column the category can do without, taken away: the category
// still completes with its records (only files it can no longer find go), and
// the engine's log says what is missing.
void TestBadBackups::optionalPartMissing()
{
    QFETCH(int, type);
    QFETCH(QString, database);
    QFETCH(QString, sql);
    const QStringList words = sql.split(QLatin1Char(' '));
    const QString missing = words[1] == QLatin1String("TABLE") && words[0] == "DROP"
                                ? QStringLiteral("no table %1").arg(words[2])
                                : QStringLiteral("no column %1.%2").arg(words[2], words[5]);
    QTest::ignoreMessage(
        QtInfoMsg,
        QRegularExpression(
            QStringLiteral("has %1 - left empty").arg(QRegularExpression::escape(missing)),
            QRegularExpression::CaseInsensitiveOption));
    const QString folder = Copy();
    const QString domain = database.section('/', 0, 0);
    const QString path = database.section('/', 1);
    const QString wal = BackupFixture::ContentPath(folder, domain, path + "-wal");
    QVERIFY(BackupFixture::Exec(BackupFixture::ContentPath(folder, domain, path), sql,
                                QFileInfo(wal).isFile() ? wal : QString()));
    BackupDevice device(folder);
    SourcePtr source;
    IMDGetter* getter = ScanRunner::ScanInto(source, device, static_cast<MDType>(type));
    QVERIFY(getter);
    const bool files = type == MD_WHATSAPP_ATTACHMENT;
    QCOMPARE(int(getter->GetCount()), files ? 0 : BaselineCount(type));
    QVERIFY(getter->GetCount() > 0 || files);
}

// A page enables its recover buttons on the scan's end report, while the
// engine thread is still inside it: an export started then gets its task.
void TestBadBackups::exportStartsAsScanEnds()
{
    BackupDevice device(m_template);
    ICategoryDataSource* source = device.GetDataSource(MD_CONTACT);
    const QString out = m_dir.filePath(QStringLiteral("export-at-end"));
    QVERIFY(QDir().mkpath(out));
    struct Context
    {
        ICategoryDataSource* source;
        QByteArray out;
        ITaskCtrl* exportTask = nullptr;
    } context{source, out.toUtf8()};
    const auto callback = [](void* raw, MDType, int status, int, const char*) {
        auto* self = static_cast<Context*>(raw);
        if (status == TASK_COMPLETE) {
            const unsigned int first = 0;
            ImportExportConfigure config;
            config.nType = MD_CONTACT;
            config.nMode = RECOVER_TO_PC;
            config.SetPath(self->out.constData());
            config.SetIndexs(&first, 1);
            self->exportTask = self->source->StartExport(&config, nullptr, nullptr);
        }
        return true;
    };
    ITaskCtrl* scan = source->StartScan(1, callback, &context);
    QVERIFY(scan && scan->Start());
    QTRY_VERIFY_WITH_TIMEOUT(IsTaskEndStatus(scan->GetStatus()), 60000);
    QVERIFY(context.exportTask);
    QTRY_COMPARE_WITH_TIMEOUT(context.exportTask->GetStatus(), int(TASK_COMPLETE), 60000);
    source->Release();
}

namespace {

// A 64-bit value as SQLite's nine-byte varint.
QByteArray LongVarint(quint64 v)
{
    QByteArray out;
    for (int i = 0; i < 8; ++i)
        out += char(0x80 | ((v >> (8 + 7 * (7 - i))) & 0x7f));
    return out + char(v & 0xff);
}

// The page size of a database file.
int PageSize(const QByteArray& header)
{
    const int size = (quint8(header[16]) << 8) | quint8(header[17]);
    return size == 1 ? 65536 : size;
}

// Table leaf, interior or overflow pages appended to a database, in no table
// (SQLite never reads them; the carver does). Each holds one cell: `cell` for
// a leaf, a child pointer to `child` for an interior page.
struct PageLayout
{
    QByteArray cell; // empty: an interior page
    quint32 child = 0;
    quint32 next = 0; // for an overflow page (cell "overflow"): the next page
};

// The page number the first appended page gets.
quint32 NextPage(const QString& file)
{
    const QByteArray bytes = BackupFixture::Read(file);
    return quint32(bytes.size() / PageSize(bytes)) + 1;
}

bool AppendPages(const QString& file, const std::vector<PageLayout>& pages)
{
    const QByteArray bytes = BackupFixture::Read(file);
    if (bytes.size() < 100)
        return false;
    const int size = PageSize(bytes);
    QByteArray added;
    for (const PageLayout& layout : pages) {
        QByteArray page(size, '\0');
        const auto put32 = [&page](int at, quint32 v) { qToBigEndian(v, page.data() + at); };
        if (layout.cell == "overflow") {
            put32(0, layout.next);
            page.replace(4, 16, QByteArray(16, 'o'));
        } else if (layout.cell.isEmpty()) {
            const int at = size - 8;
            page[0] = char(5); // interior table page: one cell, its child and the right child
            qToBigEndian(quint16(1), page.data() + 3);
            qToBigEndian(quint16(at), page.data() + 5);
            qToBigEndian(quint16(at), page.data() + 12);
            put32(at, layout.child);
            page[at + 4] = char(1);
            put32(8, layout.child);
        } else {
            const int at = size - layout.cell.size() - 16;
            page[0] = char(13); // table leaf page with one cell
            qToBigEndian(quint16(1), page.data() + 3);
            qToBigEndian(quint16(at), page.data() + 5);
            qToBigEndian(quint16(at), page.data() + 8);
            page.replace(at, layout.cell.size(), layout.cell);
        }
        added += page;
    }
    // The header's page count takes them in, as SQLite's would.
    QByteArray all = bytes + added;
    qToBigEndian(quint32(all.size() / size), all.data() + 28);
    return BackupFixture::WriteFile(file, all);
}

// A cell of bookmarks(id, special_id, parent, type, title, url, num_children,
// order_index) whose title and url are blobs of about 2^63 bytes each: with
// the five eight-byte integers the sizes add up, modulo 2^64, to a record of
// 40 bytes.
QByteArray HugeBlobCell()
{
    QByteArray header;
    header += char(0) + QByteArray(3, char(6)); // id (the rowid), three integers
    header += LongVarint(~quint64(0) - 1);      // 2^63 - 7 bytes
    header += LongVarint(~quint64(0) - 23);     // 2^63 - 18 bytes
    header += QByteArray(2, char(6));
    header.prepend(char(header.size() + 1));
    const QByteArray record = header + QByteArray(40 - header.size(), 'b');
    return char(record.size()) + QByteArray("\x81\x01", 2) + record; // rowid 129
}

// A cell of the same table whose 5000-byte title goes on into overflow page
// `first` (4096-byte pages keep 489 bytes of such a payload).
QByteArray OverflowCell(quint32 first)
{
    const int text = 5000;
    const int type = 2 * text + 13;
    QByteArray header;
    header += char(0) + QByteArray(3, char(1)); // id (the rowid), three one-byte integers
    header += char(0x80 | (type >> 7)) + char(type & 0x7f);
    header += char(0) + char(1) + char(1); // url NULL, two one-byte integers
    header.prepend(char(header.size() + 1));
    const QByteArray record =
        header + QByteArray(3, char(1)) + QByteArray(text, 'x') + QByteArray(2, char(1));
    const int payload = record.size();
    const int minLocal = (4096 - 12) * 32 / 255 - 23;
    const int local = minLocal + (payload - minLocal) % (4096 - 4);
    const int kept = local <= 4096 - 35 ? local : minLocal;
    QByteArray cell;
    cell += char(0x80 | (payload >> 7)) + char(payload & 0x7f);
    cell += char(0x7f); // rowid 127
    QByteArray pointer(4, '\0');
    qToBigEndian(first, pointer.data());
    return cell + record.left(kept) + pointer;
}

} // namespace

void TestBadBackups::hostileDatabase_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<bool>("complete"); // every deleted bookmark found too

    const auto sql = [](const QString& statement) {
        return Damage([statement](Site& s) {
            return BackupFixture::Exec(s.bookmarks, statement.arg(s.marker));
        });
    };
    const auto pages = [](std::function<std::vector<PageLayout>(quint32)> make) {
        return Damage(
            [make](Site& s) { return AppendPages(s.bookmarks, make(NextPage(s.bookmarks))); });
    };
    // Statements after a table's own in its schema row: SQLite never runs them.
    QTest::newRow("schema row goes on with ATTACH")
        << sql("PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql = sql || '; ATTACH "
               "DATABASE ''%1'' AS p; CREATE TABLE p.marker(y)' WHERE name = 'bookmarks'")
        << true;
    QTest::newRow("schema row of its own with ATTACH")
        << sql("CREATE TABLE extra(a); PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql "
               "= 'CREATE TABLE extra(a); ATTACH ''%1'' AS p; CREATE TABLE p.m(y)' WHERE name = "
               "'extra'")
        << true;
    QTest::newRow("quotes in table and column names")
        << sql("CREATE TABLE \"x\"\"); ATTACH '%1' AS p; --\" (\"a\"\"); ATTACH '%1' AS q; "
               "--\" TEXT UNIQUE, b)")
        << true;
    QTest::newRow("trigger") << sql("CREATE TRIGGER t AFTER INSERT ON bookmarks BEGIN DELETE "
                                    "FROM bookmarks; END; SELECT '%1'")
                             << true;
    QTest::newRow("view") << sql("CREATE VIEW v AS SELECT title FROM bookmarks; SELECT '%1'")
                          << true;
    QTest::newRow("virtual table")
        << sql("CREATE VIRTUAL TABLE f USING fts4(title); SELECT '%1'") << true;
    QTest::newRow("serial types of 2^63 bytes")
        << pages([](quint32) { return std::vector<PageLayout>{{HugeBlobCell()}}; }) << true;
    QTest::newRow("cyclic overflow chain") << pages([](quint32 first) {
        return std::vector<PageLayout>{{OverflowCell(first + 1)}, {"overflow", 0, first + 1}};
    }) << true;
    QTest::newRow("overflow chain into the page")
        << pages([](quint32 first) { return std::vector<PageLayout>{{OverflowCell(first)}}; })
        << true;
    // A table whose tree is an interior page that is its own child.
    QTest::newRow("page-number loop") << Damage([](Site& s) {
        const quint32 first = NextPage(s.bookmarks);
        return AppendPages(s.bookmarks, {{QByteArray(), first}}) &&
               BackupFixture::Exec(
                   s.bookmarks,
                   QStringLiteral("PRAGMA writable_schema=ON; INSERT INTO sqlite_master VALUES "
                                  "('table', 'loop', 'loop', %1, 'CREATE TABLE loop(a, b)')")
                       .arg(first));
    }) << true;
}

// A category database crafted to attack the scan: nothing it says runs, no
// file appears outside the backup, the backup is unchanged, and every
// bookmark, live or deleted, still comes back.
void TestBadBackups::hostileDatabase()
{
    QFETCH(Damage, damage);
    QFETCH(bool, complete);
    // A backup whose bookmarks database has deleted rows, so that they are
    // carved and laid out again.
    if (m_deletedBaseline < 0) {
        SampleBackupWriter::Options options;
        options.media = false;
        options.deletions = true;
        SampleBackupWriter writer(options);
        m_withDeleted = m_dir.filePath(QStringLiteral("with-deleted"));
        QVERIFY2(writer.Write(m_withDeleted), qPrintable(writer.ErrorText()));
        m_deletedBaseline = DeletedCount(m_withDeleted, m_liveBaseline);
        QVERIFY(m_deletedBaseline > 0);
    }
    Site site;
    site.folder = m_dir.filePath(QStringLiteral("copies/%1").arg(++m_copies));
    QVERIFY(BackupFixture::CopyFolder(m_withDeleted, site.folder));
    site.bookmarks =
        BackupFixture::ContentPath(site.folder, "HomeDomain", "Library/Safari/Bookmarks.db");
    site.marker = m_dir.filePath(QStringLiteral("marker%1.db").arg(m_copies));
    QVERIFY(damage(site));
    QVERIFY(!QFileInfo::exists(site.marker));
    const QString digests = BackupFixture::Digests(site.folder);

    int live = 0;
    const int deleted = DeletedCount(site.folder, live);
    QVERIFY2(!QFileInfo::exists(site.marker), "a statement of the backup ran");
    QCOMPARE(live, m_liveBaseline);
    if (complete)
        QCOMPARE(deleted, m_deletedBaseline);
    QCOMPARE(BackupFixture::Digests(site.folder), digests);
}

int TestBadBackups::DeletedCount(const QString& folder, int& live)
{
    BackupDevice device(folder);
    SourcePtr source;
    IMDGetter* getter = ScanRunner::ScanInto(source, device, MD_SAFARI_BOOKMARK);
    int deleted = 0;
    live = 0;
    for (unsigned int i = 0; getter && i < getter->GetCount(); ++i)
        ++(getter->GetItem(i)->IsDeleted() ? deleted : live);
    return getter ? deleted : -1;
}

void TestBadBackups::damagedIndexSaysSo_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("sql");
    const auto row = [](const char* name, MDType type, const char* sql) {
        QTest::newRow(name) << int(type) << QString::fromLatin1(sql);
    };
    row("domains damaged", MD_MESSAGE, "UPDATE Files SET domain = domain || '~'");
    row("paths damaged", MD_CONTACT, "UPDATE Files SET relativePath = upper(relativePath)");
    row("flags damaged", MD_REMINDER, "UPDATE Files SET flags = 9");
    row("path a blob", MD_MESSAGE,
        "UPDATE Files SET relativePath = CAST(relativePath AS BLOB) WHERE domain = 'HomeDomain'");
    row("domain missing", MD_CALL_HISTORY, "UPDATE Files SET domain = NULL");
}

// A Manifest.db whose domains, paths or flags are damaged passes SQLite's
// checks; the category that finds none of its files says so: a warning and
// a skipped count the host shows, never a quiet empty scan.
void TestBadBackups::damagedIndexSaysSo()
{
    QFETCH(int, type);
    QFETCH(QString, sql);
    const int baseline = BaselineCount(type);
    const QString folder = Copy();
    QVERIFY(BackupFixture::Exec(QDir(folder).filePath(QStringLiteral("Manifest.db")), sql));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Manifest.db")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("left out")));
    BackupDevice device(folder);
    SourcePtr source;
    IMDGetter* getter = ScanRunner::ScanInto(source, device, static_cast<MDType>(type));
    QVERIFY(getter);
    QVERIFY(int(getter->GetCount()) < baseline);
    QVERIFY(device.SkippedCount(static_cast<MDType>(type)) > 0);
}

void TestBadBackups::sampleWriterFailsLoudly_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("error");
    QTest::newRow("misspelt column") << "INSERT INTO t (nmae) VALUES (?)"
                                     << "no column named nmae";
    QTest::newRow("broken constraint") << "INSERT INTO t (id, name) VALUES (1, ?)"
                                       << "UNIQUE constraint failed";
    QTest::newRow("no such table") << "INSERT INTO u (name) VALUES (?)"
                                   << "no such table: u";
}

// The sample is held against its full truth: one insert that fails, its
// result ignored as a careless caller would, fails the whole database.
void TestBadBackups::sampleWriterFailsLoudly()
{
    QFETCH(QString, statement);
    QFETCH(QString, error);
    SqliteWriter db;
    QVERIFY(db.Open(m_dir.filePath(QStringLiteral("writer.db"))));
    QVERIFY(db.Exec(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT)")));
    QVERIFY(db.Insert(QStringLiteral("INSERT INTO t (id, name) VALUES (1, 'a')"), {}) == 1);
    db.Insert(statement, {QStringLiteral("b")});
    QVERIFY(db.Insert(QStringLiteral("INSERT INTO t (name) VALUES ('c')"), {}) > 0);
    QVERIFY(!db.Close());
    QVERIFY2(db.LastError().contains(error), qPrintable(db.LastError()));
}

QTEST_MAIN(TestBadBackups)
#include "tst_badbackups.moc"
