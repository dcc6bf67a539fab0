// Damaged and refused backups end the scan with the documented result:
// a backup error code as phase code (2 folder or Manifest.db missing, 3
// Manifest.db unreadable, 255 encrypted), or status 4 for a category
// database that cannot be read. Nothing crashes.

#include "backupdevice.h"
#include "backupfixture.h"
#include "contracts/mmobile.h"
#include "samplebackupwriter.h"
#include "scanrunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace MMobile;

class TestBadBackups : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void damaged_data();
    void damaged();
    void optionalPartMissing_data();
    void optionalPartMissing();
    void missingPhotoFileIsLeftOut();
    void binaryManifestPlistIsRead();

private:
    QString Copy();

    QTemporaryDir m_dir;
    QString m_template;
    SampleBackupContent m_content;
    int m_copies = 0;
};

void TestBadBackups::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_template = m_dir.filePath(QStringLiteral("template"));
    SampleBackupWriter::Options options;
    SampleBackupWriter writer(options);
    QVERIFY2(writer.Write(m_template), qPrintable(writer.ErrorText()));
    m_content = writer.Content();
}

QString TestBadBackups::Copy()
{
    const QString folder = m_dir.filePath(QStringLiteral("copy%1").arg(++m_copies));
    if (!BackupFixture::CopyFolder(m_template, folder))
        return QString();
    return folder;
}

void TestBadBackups::damaged_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("backupError");
    QTest::addColumn<int>("count");

    const int noItems = 0;
    QTest::newRow("no folder") << "nofolder" << int(MD_CONTACT) << int(TASK_ERROR)
                               << QByteArray("2") << noItems;
    QTest::newRow("no Manifest.db")
        << "nomanifest" << int(MD_CONTACT) << int(TASK_ERROR) << QByteArray("2") << noItems;
    QTest::newRow("truncated Manifest.db")
        << "truncmanifest" << int(MD_CONTACT) << int(TASK_ERROR) << QByteArray("3") << noItems;
    QTest::newRow("Manifest.db not a database")
        << "garbagemanifest" << int(MD_MESSAGE) << int(TASK_ERROR) << QByteArray("3") << noItems;
    QTest::newRow("Manifest.db without Files")
        << "nofilestable" << int(MD_MESSAGE) << int(TASK_ERROR) << QByteArray("3") << noItems;
    QTest::newRow("Manifest.mbdb cut in a record")
        << "cutmbdb" << int(MD_CONTACT) << int(TASK_ERROR) << QByteArray("3") << noItems;
    QTest::newRow("encrypted") << "encrypted" << int(MD_PHOTO) << int(TASK_ERROR)
                               << QByteArray("255") << noItems;
    QTest::newRow("truncated sms.db")
        << "truncsms" << int(MD_MESSAGE) << int(TASK_ERROR) << QByteArray() << noItems;
    QTest::newRow("sms.db content missing")
        << "missingsms" << int(MD_MESSAGE) << int(TASK_ERROR) << QByteArray() << noItems;
    QTest::newRow("sms.db without chat table")
        << "nochattable" << int(MD_MESSAGE) << int(TASK_ERROR) << QByteArray() << noItems;
    QTest::newRow("no bookmarks database") << "nobookmarks" << int(MD_SAFARI_BOOKMARK)
                                           << int(TASK_COMPLETE) << QByteArray() << noItems;
    QTest::newRow("other categories unharmed")
        << "truncsms" << int(MD_SAFARI_BOOKMARK) << int(TASK_COMPLETE) << QByteArray() << 50;
}

void TestBadBackups::damaged()
{
    QFETCH(QString, damage);
    QFETCH(int, type);
    QFETCH(int, status);
    QFETCH(QByteArray, backupError);
    QFETCH(int, count);

    QString folder = Copy();
    QVERIFY(!folder.isEmpty());
    const QString manifest = QDir(folder).filePath(QStringLiteral("Manifest.db"));
    const QString sms = BackupFixture::ContentPath(folder, "HomeDomain", "Library/SMS/sms.db");
    if (damage == "nofolder")
        folder = m_dir.filePath(QStringLiteral("does-not-exist"));
    else if (damage == "nomanifest")
        QVERIFY(QFile::remove(manifest));
    else if (damage == "cutmbdb")
        QVERIFY(QFile::remove(manifest) &&
                BackupFixture::WriteFile(QDir(folder).filePath("Manifest.mbdb"),
                                         QByteArray("mbdb\x05\x00\x00\x0aHomeDomain\x00", 19)));
    else if (damage == "truncmanifest")
        QVERIFY(BackupFixture::Truncate(manifest, 3000));
    else if (damage == "garbagemanifest")
        QVERIFY(BackupFixture::WriteFile(manifest, QByteArray(8192, 'x')));
    else if (damage == "nofilestable")
        QVERIFY(BackupFixture::Exec(manifest, "DROP TABLE Files"));
    else if (damage == "encrypted")
        QVERIFY(BackupFixture::WriteFile(QDir(folder).filePath("Manifest.plist"),
                                         "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                                         "<key>IsEncrypted</key><true/></dict></plist>"));
    else if (damage == "truncsms")
        QVERIFY(BackupFixture::Truncate(sms, 6000));
    else if (damage == "missingsms")
        QVERIFY(QFile::remove(sms));
    else if (damage == "nochattable")
        QVERIFY(BackupFixture::Exec(
            sms, "DROP TABLE chat",
            BackupFixture::ContentPath(folder, "HomeDomain", "Library/SMS/sms.db-wal")));
    else if (damage == "nobookmarks")
        QVERIFY(BackupFixture::Exec(manifest, "DELETE FROM Files WHERE relativePath = "
                                              "'Library/Safari/Bookmarks.db'"));

    BackupDevice device(folder);
    ICategoryDataSource* source = device.GetDataSource(static_cast<MDType>(type));
    QVERIFY(source);
    ScanRunner runner(source);
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
    QCOMPARE(getter ? int(getter->GetCount()) : 0, count);
    source->Release();
}

void TestBadBackups::optionalPartMissing_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("domain");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("sql");

    const QString home = QStringLiteral("HomeDomain");
    const QString book = QStringLiteral("Library/AddressBook/AddressBook.sqlitedb");
    const QString calendar = QStringLiteral("Library/Calendar/Calendar.sqlitedb");
    const QString calls = QStringLiteral("Library/CallHistoryDB/CallHistory.storedata");
    const QString whatsApp = QStringLiteral("AppDomainGroup-group.net.whatsapp.WhatsApp.shared");
    const struct
    {
        MDType type;
        QString domain, database;
        const char* sql;
    } rows[] = {
        {MD_CONTACT, home, book, "DROP TABLE ABMultiValueLabel"},
        {MD_CONTACT, home, book, "DROP TABLE ABMultiValueEntry"},
        {MD_CONTACT, home, book, "DROP TABLE ABMultiValueEntryKey"},
        {MD_CONTACT, home, book, "ALTER TABLE ABPerson DROP COLUMN Birthday"},
        {MD_CONTACT, home, book, "ALTER TABLE ABPerson DROP COLUMN Nickname"},
        {MD_MESSAGE, home, "Library/SMS/sms.db", "DROP TABLE message_attachment_join"},
        {MD_MESSAGE_ATTACHMENT, home, "Library/SMS/sms.db",
         "ALTER TABLE attachment DROP COLUMN created_date"},
        {MD_CALL_HISTORY, home, calls, "ALTER TABLE ZCALLRECORD DROP COLUMN ZNAME"},
        {MD_CALL_HISTORY, home, calls, "ALTER TABLE ZCALLRECORD DROP COLUMN ZDURATION"},
        {MD_CALENDAR, home, calendar, "DROP TABLE Location"},
        {MD_CALENDAR, home, calendar, "ALTER TABLE CalendarItem DROP COLUMN description"},
        {MD_REMINDER, home, calendar, "DROP TABLE Calendar"},
        {MD_REMINDER, home, calendar, "ALTER TABLE CalendarItem DROP COLUMN priority"},
        {MD_NOTE, home, "Library/Notes/notes.sqlite", "DROP TABLE ZFOLDER"},
        {MD_NOTE, home, "Library/Notes/notes.sqlite", "DROP TABLE ZNOTEBODY"},
        {MD_NOTE, QStringLiteral("AppDomainGroup-group.com.apple.notes"),
         QStringLiteral("NoteStore.sqlite"),
         "ALTER TABLE ZICCLOUDSYNCINGOBJECT DROP COLUMN ZSNIPPET"},
        {MD_PHOTO, QStringLiteral("CameraRollDomain"),
         QStringLiteral("Media/PhotoData/Photos.sqlite"),
         "ALTER TABLE ZASSET DROP COLUMN ZTRASHEDSTATE"},
        {MD_VOICE_MEMO, QStringLiteral("MediaDomain"),
         QStringLiteral("Media/Recordings/CloudRecordings.db"),
         "ALTER TABLE ZCLOUDRECORDING DROP COLUMN ZCUSTOMLABEL"},
        {MD_WHATSAPP_MESSAGE, whatsApp, QStringLiteral("ChatStorage.sqlite"),
         "ALTER TABLE ZWAMEDIAITEM DROP COLUMN ZMEDIALOCALPATH"},
        {MD_WHATSAPP_MESSAGE, whatsApp, QStringLiteral("ChatStorage.sqlite"),
         "DROP TABLE ZWAMEDIAITEM"},
        {MD_WHATSAPP_ATTACHMENT, whatsApp, QStringLiteral("ChatStorage.sqlite"),
         "ALTER TABLE ZWAMEDIAITEM DROP COLUMN ZMEDIALOCALPATH"},
    };
    for (const auto& row : rows)
        QTest::newRow(row.sql) << int(row.type) << row.domain << row.database
                               << QString::fromLatin1(row.sql);
}

// A table or column the category can do without, taken away: the category
// still completes with its records (only files it can no longer find go).
void TestBadBackups::optionalPartMissing()
{
    QFETCH(int, type);
    QFETCH(QString, domain);
    QFETCH(QString, database);
    QFETCH(QString, sql);
    const QString folder = Copy();
    const QString wal = BackupFixture::ContentPath(folder, domain, database + "-wal");
    QVERIFY(BackupFixture::Exec(BackupFixture::ContentPath(folder, domain, database), sql,
                                QFileInfo(wal).isFile() ? wal : QString()));
    BackupDevice template_(m_template);
    BackupDevice device(folder);
    ICategoryDataSource* expected = template_.GetDataSource(static_cast<MDType>(type));
    ICategoryDataSource* source = device.GetDataSource(static_cast<MDType>(type));
    QCOMPARE(ScanRunner(expected).Scan(), int(TASK_COMPLETE));
    QCOMPARE(ScanRunner(source).Scan(), int(TASK_COMPLETE));
    const bool files = type == MD_WHATSAPP_ATTACHMENT;
    QCOMPARE(source->GetDataGetter()->GetCount(),
             files ? 0u : expected->GetDataGetter()->GetCount());
    QVERIFY(source->GetDataGetter()->GetCount() > 0 || files);
    expected->Release();
    source->Release();
}

void TestBadBackups::missingPhotoFileIsLeftOut()
{
    const QString folder = Copy();
    const SampleBackupContent::Photo& photo = m_content.photos[3];
    QVERIFY(QFile::remove(BackupFixture::ContentPath(
        folder, "CameraRollDomain",
        QStringLiteral("Media/%1/%2").arg(photo.directory, photo.name))));
    BackupDevice device(folder);
    ICategoryDataSource* source = device.GetDataSource(MD_PHOTO);
    ScanRunner runner(source);
    QCOMPARE(runner.Scan(), int(TASK_COMPLETE));
    QCOMPARE(source->GetDataGetter()->GetCount(), unsigned(m_content.photos.size() - 1));
    for (unsigned int i = 0; i < source->GetDataGetter()->GetCount(); ++i) {
        IPhoto* item = record_cast<IPhoto>(source->GetDataGetter()->GetItem(i));
        QVERIFY(QString::fromUtf8(item->GetDisplayText()) != photo.name);
    }
    source->Release();
}

// Phones write Manifest.plist in the binary form.
void TestBadBackups::binaryManifestPlistIsRead()
{
    const QString folder = Copy();
    // bplist00: { "IsEncrypted": true }, objects 0 dict, 1 key, 2 true.
    QByteArray plist("bplist00");
    const int dict = plist.size();
    plist.append(char(0xD1)).append(char(1)).append(char(2));
    const int key = plist.size();
    plist.append(char(0x5B)).append("IsEncrypted");
    const int value = plist.size();
    plist.append(char(0x09));
    const int table = plist.size();
    plist.append(char(dict)).append(char(key)).append(char(value));
    QByteArray trailer(32, '\0');
    trailer[6] = 1;  // offset size
    trailer[7] = 1;  // reference size
    trailer[15] = 3; // objects
    trailer[23] = 0; // top object
    trailer[31] = char(table);
    plist.append(trailer);
    QVERIFY(BackupFixture::WriteFile(QDir(folder).filePath("Manifest.plist"), plist));
    BackupDevice device(folder);
    ICategoryDataSource* source = device.GetDataSource(MD_CONTACT);
    ScanRunner runner(source);
    QCOMPARE(runner.Scan(), int(TASK_ERROR));
    QCOMPARE(runner.BackupError(), QByteArray("255"));
    source->Release();
}

QTEST_MAIN(TestBadBackups)
#include "tst_badbackups.moc"
