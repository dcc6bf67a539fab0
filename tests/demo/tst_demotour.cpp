// The scripted tour through the demo host on a freshly generated sample
// backup, which the host lists as it lists the backups it finds: the tour
// opens it from the list, every category is scanned in the background with
// the counts the generator wrote, the search narrows the contacts to the
// ones holding the keyword, the recovery writes exactly the ticked contacts
// and the pages' buttons are drawn by their skin. The host's settings
// persist from one run to the next.

#include "demohostwindow.h"
#include "demotour.h"
#include "pages/demopagefactory.h"

#include "backupfixture.h"
#include "samplebackupwriter.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace MMobile;

class TestDemoTour : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void openedFromTheBackupList();
    void everyCategoryIsScanned_data();
    void everyCategoryIsScanned();
    void searchNarrowsToTheKeyword();
    void recoveryWritesTheTickedContacts();
    void screenshotsShowEveryPage();
    void recoverButtonsAreSkinned_data();
    void recoverButtonsAreSkinned();
    void logAndOutputFolderAreKept();
    void settingsPersistAcrossRuns();
    void skippedRecordsAreShown_data();
    void skippedRecordsAreShown();

private:
    DemoHostWindow::Options HostOptions() const;

    QTemporaryDir m_dir;
    SampleBackupContent m_content;
    DemoTour::Summary m_summary;
    DemoTour::Options m_tourOptions;
};

DemoHostWindow::Options TestDemoTour::HostOptions() const
{
    DemoHostWindow::Options options;
    options.knownFolders << m_dir.filePath(QStringLiteral("backup"));
    options.skinFolder = QStringLiteral(CP_DEMO_SKIN_DIR);
    options.resourceFolder = QStringLiteral(CP_DEMO_RESOURCE_DIR "common/");
    options.pictureFolder = QStringLiteral(CP_DEMO_RESOURCE_DIR);
    options.workFolder = m_dir.filePath(QStringLiteral("work/"));
    options.settingsFile = m_dir.filePath(QStringLiteral("settings.ini"));
    options.logFolder = m_dir.filePath(QStringLiteral("log"));
    return options;
}

void TestDemoTour::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SampleBackupWriter writer(SampleBackupWriter::Options{});
    QVERIFY2(writer.Write(m_dir.filePath(QStringLiteral("backup"))),
             qPrintable(writer.ErrorText()));
    m_content = writer.Content();
    QVERIFY(DemoHostWindow::ConfigureLogging(m_dir.filePath(QStringLiteral("log"))));

    DemoHostWindow host(HostOptions());
    host.show();
    host.Start(false);
    m_tourOptions.screenshotFolder = m_dir.filePath(QStringLiteral("shots"));
    m_tourOptions.recoverFolder = m_dir.filePath(QStringLiteral("recovered"));
    m_tourOptions.tickCount = 3;
    DemoTour tour(&host, m_tourOptions);
    m_summary = tour.Run();
    QVERIFY2(m_summary.ok(), qPrintable(m_summary.ToText()));
}

void TestDemoTour::openedFromTheBackupList()
{
    QCOMPARE(m_summary.backupFolder, m_dir.filePath(QStringLiteral("backup")));
}

void TestDemoTour::everyCategoryIsScanned_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("deleted");
    // The generator's own marks: notes in Recently Deleted, conversations
    // whose messages were all recently deleted, reminders marked for deletion,
    // photos in the trash.
    QMap<int, int> deleted;
    for (const SampleBackupContent::Photo& photo : m_content.photos)
        deleted[MD_PHOTO] += photo.trashed ? 1 : 0;
    for (const SampleBackupContent::Note& note : m_content.notes)
        deleted[MD_NOTE] += note.deleted ? 1 : 0;
    for (const SampleBackupContent::Reminder& reminder : m_content.reminders)
        deleted[MD_REMINDER] += reminder.deleted ? 1 : 0;
    for (const SampleBackupContent::Conversation& conversation : m_content.conversations)
        deleted[MD_MESSAGE] += conversation.deleted ? 1 : 0;
    const auto add = [&](MDType type, size_t count) {
        QTest::newRow(qPrintable(DemoPageFactory::DisplayName(type)))
            << int(type) << int(count) << deleted.value(type);
    };
    add(MD_PHOTO, m_content.photos.size());
    add(MD_CONTACT, m_content.contacts.size());
    add(MD_MESSAGE, m_content.conversations.size());
    add(MD_MESSAGE_ATTACHMENT, size_t(m_content.AttachmentCount()));
    add(MD_CALL_HISTORY, m_content.calls.size());
    add(MD_CALENDAR, m_content.events.size());
    add(MD_REMINDER, m_content.reminders.size());
    add(MD_NOTE, m_content.notes.size());
    add(MD_VOICE_MEMO, m_content.memos.size());
    add(MD_SAFARI_BOOKMARK, m_content.bookmarks.size());
    add(MD_WHATSAPP_MESSAGE, m_content.chats.size());
    add(MD_WHATSAPP_ATTACHMENT, size_t(m_content.MediaCount()));
    // The WeChat pages show their first account.
    const SampleBackupContent::WeChatAccount& weChat = m_content.weChatAccounts.front();
    add(MD_WECHAT_CONTACT, weChat.contacts.size());
    add(MD_WECHAT_MESSAGE, weChat.chats.size());
    add(MD_WECHAT_ATTACHMENT, weChat.files.size());
    add(MD_NOTE_ATTACHMENT, m_content.noteAttachments.size());
}

void TestDemoTour::everyCategoryIsScanned()
{
    QFETCH(int, type);
    QFETCH(int, count);
    QCOMPARE(m_summary.scanStatus.value(type, -1), int(TASK_COMPLETE));
    QCOMPARE(m_summary.itemCounts.value(type, -1), count);
    QCOMPARE(m_summary.itemCounts.size(), DemoPageFactory::Categories().size());
    const QString name = DemoPageFactory::DisplayName(MDType(type));
    const QStringList texts =
        m_summary.overviewTexts.filter(QRegularExpression(QStringLiteral("^%1\n").arg(name)));
    QCOMPARE(texts.size(), 1);
    // The overview shows the counts under the category's name.
    QFETCH(int, deleted);
    QCOMPARE(m_summary.deletedCounts.value(type, -1), deleted);
    const QString counts = deleted > 0
                               ? QStringLiteral("\n%1 items?\n%2 deleted$").arg(count).arg(deleted)
                               : QStringLiteral("\n%1 items?$").arg(count);
    QVERIFY2(texts.first().contains(QRegularExpression(counts)), qPrintable(texts.first()));
}

void TestDemoTour::searchNarrowsToTheKeyword()
{
    const QString keyword = m_summary.keyword;
    QVERIFY(!keyword.isEmpty());
    int holding = 0;
    for (const SampleBackupContent::Contact& contact : m_content.contacts) {
        const QStringList fields =
            QStringList{contact.first, contact.last, contact.organization, contact.note} +
            contact.phones + contact.emails + contact.urls;
        if (fields.filter(keyword, Qt::CaseInsensitive).size() > 0)
            ++holding;
    }
    QCOMPARE(m_summary.rowsBeforeSearch, int(m_content.contacts.size()));
    QVERIFY(m_summary.rowsAfterSearch < m_summary.rowsBeforeSearch);
    QCOMPARE(m_summary.rowsAfterSearch, holding);
}

void TestDemoTour::recoveryWritesTheTickedContacts()
{
    QCOMPARE(m_summary.tickedRows.size(), m_tourOptions.tickCount);
    QVERIFY(m_summary.recoveredFolder.startsWith(m_tourOptions.recoverFolder));
    QStringList cards;
    QDirIterator files(m_summary.recoveredFolder, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        files.next();
        if (files.fileName().endsWith(QLatin1String(".vcf")))
            cards << files.fileInfo().completeBaseName();
    }
    // One card per ticked contact, and the list beside them.
    QCOMPARE(cards.size(), m_tourOptions.tickCount);
    QCOMPARE(m_summary.recoveredFiles, m_tourOptions.tickCount + 1);
    // The host says what was written, and where.
    QVERIFY2(m_summary.recoveryText.contains(
                 QStringLiteral("%1 file(s)").arg(m_tourOptions.tickCount + 1)) &&
                 m_summary.recoveryText.contains(
                     QDir::toNativeSeparators(QDir::cleanPath(m_summary.recoveredFolder))),
             qPrintable(m_summary.recoveryText));
    for (const QString& name : m_summary.tickedRows)
        QVERIFY2(cards.contains(name), qPrintable(name));
    QFile list(QDir(m_summary.recoveredFolder).filePath(QStringLiteral("Contacts.csv")));
    QVERIFY(list.open(QIODevice::ReadOnly));
    QCOMPARE(list.readAll().count("\r\n"), m_tourOptions.tickCount + 1);
}

void TestDemoTour::screenshotsShowEveryPage()
{
    // One per category, the search, and the host's backup list, overview and end.
    QCOMPARE(m_summary.screenshots.size(), DemoPageFactory::Categories().size() + 4);
    for (const QString& file : m_summary.screenshots) {
        const QImage image(file);
        QVERIFY2(!image.isNull(), qPrintable(file));
        QVERIFY(image.width() >= 400);
    }
}

void TestDemoTour::recoverButtonsAreSkinned_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name : {"btnRecoverToPC", "btnRecoverToDevice", "btnClose"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestDemoTour::recoverButtonsAreSkinned()
{
    // A bare button is a grey bevel; the skin's picture is mostly its colour.
    QFETCH(QString, name);
    const QImage image = m_summary.buttonImages.value(name);
    QVERIFY(image.width() >= 30 && image.height() >= 30);
    int coloured = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (QColor(image.pixel(x, y)).hsvSaturation() > 100)
                ++coloured;
        }
    }
    QVERIFY2(coloured * 2 > image.width() * image.height(), qPrintable(QString::number(coloured)));
}

void TestDemoTour::logAndOutputFolderAreKept()
{
    QFile log(m_dir.filePath(QStringLiteral("log/demo.log")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray lines = log.readAll();
    QVERIFY(lines.contains(QStringLiteral("Scan Contacts complete, data count: %1")
                               .arg(m_content.contacts.size())
                               .toUtf8()));
    QVERIFY(lines.contains("Export Contacts complete"));
    // The folder chosen in the dialog is what the next run offers.
    DemoHostWindow next(HostOptions());
    QCOMPARE(QDir::fromNativeSeparators(QString::fromUtf8(next.GetOutputDir())),
             m_tourOptions.recoverFolder);
}

void TestDemoTour::settingsPersistAcrossRuns()
{
    DemoHostWindow::Options options = HostOptions();
    options.knownFolders.clear();
    options.settingsFile = m_dir.filePath(QStringLiteral("persist.ini"));
    const QString backup = m_dir.filePath(QStringLiteral("backup"));
    const QString output = m_dir.filePath(QStringLiteral("chosen-output"));
    {
        DemoHostWindow first(options);
        first.show();
        first.Start(false);
        QTRY_VERIFY(!first.IsListing());
        QVERIFY(first.CurrentBackup().isEmpty());
        first.AddBackupFolder(backup, false);
        QTRY_COMPARE(first.CurrentBackup(), backup);
        first.SetOutputDir(output.toUtf8().constData());
        first.resize(777, 555);
        QCoreApplication::processEvents();
    }
    DemoHostWindow second(options);
    second.show();
    second.Start(false);
    QTRY_COMPARE(second.CurrentBackup(), backup);
    QCOMPARE(second.AddedFolders(), QStringList{backup});
    QCOMPARE(second.Backups().size(), 1);
    QCOMPARE(second.OutputDir(), output);
    QCOMPARE(second.size(), QSize(777, 555));
}

void TestDemoTour::skippedRecordsAreShown_data()
{
    QTest::addColumn<QStringList>("removed"); // content files taken out of the backup
    QTest::addColumn<QString>("shown");
    QTest::newRow("nothing missing") << QStringList() << QString();
    // The newest messages are in the log: without it they are lost, and said so.
    QTest::newRow("message log missing") << QStringList{QStringLiteral("Library/SMS/sms.db-wal")}
                                         << QStringLiteral("1 damaged record was skipped");
}

// Records a scan had to leave out are counted in the status bar, plainly.
void TestDemoTour::skippedRecordsAreShown()
{
    QFETCH(QStringList, removed);
    QFETCH(QString, shown);
    QTemporaryDir dir;
    SampleBackupWriter::Options sample;
    sample.media = false;
    SampleBackupWriter writer(sample);
    QVERIFY2(writer.Write(dir.path()), qPrintable(writer.ErrorText()));
    for (const QString& path : removed)
        QVERIFY(QFile::remove(BackupFixture::ContentPath(dir.path(), "HomeDomain", path)));
    DemoHostWindow::Options options = HostOptions();
    options.knownFolders.clear();
    options.settingsFile = m_dir.filePath(QStringLiteral("skipped.ini"));
    DemoHostWindow host(options);
    host.show();
    QVERIFY(host.OpenBackup(dir.path(), false));
    QVERIFY(host.OpenCategory(MD_MESSAGE, false));
    QTRY_VERIFY(host.ScanEnded(MD_MESSAGE));
    QCOMPARE(host.ScanStatus(MD_MESSAGE), int(TASK_COMPLETE));
    QCOMPARE(host.SkippedCount(MD_MESSAGE), removed.size());
    QCOMPARE(host.SkippedText(), shown);
    if (!shown.isEmpty())
        QVERIFY2(host.StatusText().contains(QStringLiteral("1 damaged record(s) skipped")),
                 qPrintable(host.StatusText()));
}

QTEST_MAIN(TestDemoTour)
#include "tst_demotour.moc"
