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

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <vector>

using namespace MMobile;

namespace {

const QByteArray kCanary = "CANARY-7f3a: this file lies outside the backup and must stay unread";
// "Some items fewer", where the exact number depends on the folder's layout.
const int kSomeLost = -1;

} // namespace

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

private:
    QString Copy();
    // Applies the named damage to `folder` (which it may point elsewhere).
    bool Damage(const QString& damage, QString& folder);
    int BaselineCount(int type);
    // Every item of the source exported; whether any output file holds the canary.
    bool ExportShowsCanary(ICategoryDataSource* source, int type);

    QTemporaryDir m_dir;
    QString m_template;
    QString m_canary;
    SampleBackupContent m_content;
    std::map<int, int> m_baseline;
    int m_copies = 0;
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

bool TestBadBackups::Damage(const QString& damage, QString& folder)
{
    const QDir dir(folder);
    const QString manifest = dir.filePath(QStringLiteral("Manifest.db"));
    const QString sms = BackupFixture::ContentPath(folder, "HomeDomain", "Library/SMS/sms.db");
    const SampleBackupContent::Photo& photo = m_content.photos[3];
    const QString photoPath = QStringLiteral("Media/%1/%2").arg(photo.directory, photo.name);
    const QString photoFile = BackupFixture::ContentPath(folder, "CameraRollDomain", photoPath);
    const QString photoId = QFileInfo(photoFile).fileName();
    const auto setPhotoId = [&](const QString& id) {
        return BackupFixture::Exec(manifest, QStringLiteral("UPDATE Files SET fileID='%1' WHERE "
                                                            "fileID='%2'")
                                                 .arg(id, photoId));
    };
    // Moves the photo's content to where `id` puts it and lists it under `id`.
    const auto renamePhoto = [&](const QString& id) {
        return dir.mkpath(id.left(2)) &&
               QFile::rename(photoFile, dir.filePath(id.left(2) + '/' + id)) && setPhotoId(id);
    };
    const QString outside = m_dir.filePath(QStringLiteral("outside%1").arg(m_copies));

    if (damage == "nofolder") {
        folder = m_dir.filePath(QStringLiteral("does-not-exist"));
        return true;
    }
    if (damage == "nomanifest")
        return QFile::remove(manifest);
    if (damage == "cutmbdb")
        return QFile::remove(manifest) &&
               BackupFixture::WriteFile(dir.filePath("Manifest.mbdb"),
                                        QByteArray("mbdb\x05\x00\x00\x0aHomeDomain\x00", 19));
    if (damage == "truncmanifest")
        return QFile::resize(manifest, 3000);
    if (damage == "garbagemanifest")
        return BackupFixture::WriteFile(manifest, QByteArray(8192, 'x'));
    if (damage == "manifestdir")
        return QFile::remove(manifest) && dir.mkdir(QStringLiteral("Manifest.db"));
    if (damage == "manifestlink")
        return QFile::rename(manifest, outside) && QFile::link(outside, manifest);
    if (damage == "encrypted")
        return BackupFixture::WriteFile(dir.filePath("Manifest.plist"),
                                        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                                        "<key>IsEncrypted</key><true/></dict></plist>");
    if (damage == "encryptedbinary") {
        // Phones write the binary form. { "IsEncrypted": true }: objects 0
        // dict, 1 key, 2 true, then their offsets and the trailer.
        QByteArray plist = QByteArray("bplist00\xD1\x01\x02\x5BIsEncrypted\x09\x08\x0B\x17", 27);
        QByteArray trailer(32, '\0');
        trailer[6] = trailer[7] = 1; // offset and reference sizes
        trailer[15] = 3;             // objects
        trailer[31] = 24;            // offset table
        return BackupFixture::WriteFile(dir.filePath("Manifest.plist"), plist + trailer);
    }
    if (damage.startsWith("manifest:"))
        return BackupFixture::Exec(manifest, damage.mid(9));
    if (damage.startsWith("repro:")) {
        // "repro:<target plist>:<corpus file>"
        const QStringList parts = damage.split(':');
        QFile::remove(dir.filePath(parts[1]));
        return QFile::copy(QStringLiteral(PLIST_CORPUS_DIR "/") + parts[2], dir.filePath(parts[1]));
    }
    if (damage == "truncsms")
        return QFile::resize(sms, 6000);
    if (damage == "missingsms")
        return QFile::remove(sms);
    if (damage == "smsdir")
        return QFile::remove(sms) && QDir().mkdir(sms);
    if (damage == "nochattable")
        return BackupFixture::Exec(
            sms, "DROP TABLE chat",
            BackupFixture::ContentPath(folder, "HomeDomain", "Library/SMS/sms.db-wal"));
    if (damage == "brokenbusiness") {
        // The business app's store is listed but is no database.
        const QString domain =
            QStringLiteral("AppDomainGroup-group.net.whatsapp.WhatsAppSMB.shared");
        const QString file = BackupFixture::ContentPath(folder, domain, "ChatStorage.sqlite");
        const QString id = QFileInfo(file).fileName();
        return dir.mkpath(id.left(2)) && BackupFixture::WriteFile(file, QByteArray(8192, 'x')) &&
               BackupFixture::Exec(manifest, QStringLiteral("INSERT INTO Files (fileID, domain, "
                                                            "relativePath, flags) VALUES ('%1', "
                                                            "'%2', 'ChatStorage.sqlite', 1)")
                                                 .arg(id, domain));
    }
    if (damage == "missingphoto")
        return QFile::remove(photoFile);
    if (damage == "phototraversal")
        return setPhotoId(QStringLiteral("../canary"));
    if (damage == "photoabsolute")
        return setPhotoId(m_canary);
    if (damage == "photolink")
        return QFile::remove(photoFile) && QFile::link(m_canary, photoFile);
    if (damage == "photofolderlink") {
        // The whole two-digit folder moves out, the photo becomes the canary.
        const QString bucket = QFileInfo(photoFile).absolutePath();
        return QFile::rename(bucket, outside) &&
               BackupFixture::WriteFile(QDir(outside).filePath(photoId), kCanary) &&
               QFile::link(outside, bucket);
    }
    if (damage == "photononhex")
        return renamePhoto(QStringLiteral("g") + photoId.mid(1));
    if (damage == "photoshortid")
        return renamePhoto(photoId.left(39));
    if (damage == "photoupperhex")
        return renamePhoto(photoId.toUpper());
    return false;
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
    QTest::addColumn<QString>("damage");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("backupError");
    QTest::addColumn<int>("lost"); // items fewer than in the undamaged backup; -1 some

    const int all = 1 << 20; // every item
    const QByteArray none;
    const auto row = [](const char* name, const char* damage, MDType type, int status,
                        const QByteArray& backupError, int lost) {
        QTest::newRow(name) << QString(damage) << int(type) << status << backupError << lost;
    };
    row("no folder", "nofolder", MD_CONTACT, TASK_ERROR, "2", all);
    row("no Manifest.db", "nomanifest", MD_CONTACT, TASK_ERROR, "2", all);
    row("Manifest.db a folder", "manifestdir", MD_CONTACT, TASK_ERROR, "2", all);
    row("Manifest.db linked out", "manifestlink", MD_CONTACT, TASK_ERROR, "2", all);
    row("truncated Manifest.db", "truncmanifest", MD_CONTACT, TASK_ERROR, "3", all);
    row("Manifest.mbdb cut in a record", "cutmbdb", MD_CONTACT, TASK_ERROR, "3", all);
    row("Manifest.db not a database", "garbagemanifest", MD_MESSAGE, TASK_ERROR, "3", all);
    row("Manifest.db without Files", "manifest:DROP TABLE Files", MD_MESSAGE, TASK_ERROR, "3", all);
    row("encrypted", "encrypted", MD_PHOTO, TASK_ERROR, "255", all);
    row("encrypted, binary Manifest.plist", "encryptedbinary", MD_CONTACT, TASK_ERROR, "255", all);
    row("Info.plist string overflow", "repro:Info.plist:bplist-utf16-overflow.plist", MD_CONTACT,
        TASK_COMPLETE, none, 0);
    row("Manifest.plist dict overflow", "repro:Manifest.plist:bplist-dict-overflow.plist",
        MD_CONTACT, TASK_COMPLETE, none, 0);
    row("Manifest.plist with a nul key", "repro:Manifest.plist:bplist-utf16-nul-key.plist",
        MD_CONTACT, TASK_COMPLETE, none, 0);
    row("truncated sms.db", "truncsms", MD_MESSAGE, TASK_ERROR, none, all);
    row("sms.db content missing", "missingsms", MD_MESSAGE, TASK_ERROR, none, all);
    row("sms.db a folder", "smsdir", MD_MESSAGE, TASK_ERROR, none, all);
    row("sms.db fileID climbs out",
        "manifest:UPDATE Files SET fileID='../canary' WHERE relativePath='Library/SMS/sms.db'",
        MD_MESSAGE, TASK_ERROR, none, all);
    row("sms.db without chat table", "nochattable", MD_MESSAGE, TASK_ERROR, none, all);
    row("no bookmarks database",
        "manifest:DELETE FROM Files WHERE relativePath='Library/Safari/Bookmarks.db'",
        MD_SAFARI_BOOKMARK, TASK_COMPLETE, none, all);
    row("other categories unharmed", "truncsms", MD_SAFARI_BOOKMARK, TASK_COMPLETE, none, 0);
    row("recordings without their database",
        "manifest:DELETE FROM Files WHERE relativePath LIKE 'Media/Recordings/%Recordings.db'",
        MD_VOICE_MEMO, TASK_COMPLETE, none, 0);
    row("business app's store damaged", "brokenbusiness", MD_WHATSAPP_MESSAGE, TASK_COMPLETE, none,
        0);
    row("photo content missing", "missingphoto", MD_PHOTO, TASK_COMPLETE, none, 1);
    row("photo fileID climbs out", "phototraversal", MD_PHOTO, TASK_COMPLETE, none, 1);
    row("photo fileID absolute", "photoabsolute", MD_PHOTO, TASK_COMPLETE, none, 1);
    row("photo linked out", "photolink", MD_PHOTO, TASK_COMPLETE, none, 1);
    row("photo folder linked out", "photofolderlink", MD_PHOTO, TASK_COMPLETE, none, kSomeLost);
    row("photo fileID not hex", "photononhex", MD_PHOTO, TASK_COMPLETE, none, 1);
    row("photo fileID short", "photoshortid", MD_PHOTO, TASK_COMPLETE, none, 1);
    row("photo fileID in capitals", "photoupperhex", MD_PHOTO, TASK_COMPLETE, none, 0);
}

void TestBadBackups::damaged()
{
    QFETCH(QString, damage);
    QFETCH(int, type);
    QFETCH(int, status);
    QFETCH(QByteArray, backupError);
    QFETCH(int, lost);

    const int baseline = BaselineCount(type);
    QString folder = Copy();
    QVERIFY(!folder.isEmpty() && Damage(damage, folder));

    BackupDevice device(folder);
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

QTEST_MAIN(TestBadBackups)
#include "tst_badbackups.moc"
