// The demo on one generated sample backup. The scripted tour through the demo
// host, which lists the backup as it lists the ones it finds: every category is
// scanned in the background with the counts the generator wrote, the search
// narrows the contacts, the recovery writes exactly the ticked contacts, the
// buttons are drawn by their skin and the settings persist. Then the wiring of
// single pages: the search bar, the only-deleted switch, the check-all box and
// the selection text, the detail pane, the photo grid's layouts, the reminders
// tree's ticks, the WeChat accounts, and two recoveries in a row.

#include "demohostwindow.h"
#include "demotour.h"
#include "hostlogging.h"
#include "pages/alldaydelegate.h"
#include "pages/calendarpage.h"
#include "pages/callhistorypage.h"
#include "pages/contactspage.h"
#include "pages/conversationgroup.h"
#include "pages/deletedmarkdelegate.h"
#include "pages/demopagefactory.h"
#include "pages/gridfilter.h"
#include "pages/messagespage.h"
#include "pages/notespage.h"
#include "pages/photospage.h"
#include "pages/reminderspage.h"
#include "pages/reminderstreemodel.h"
#include "pages/wechatattachmentspage.h"
#include "pages/wechatmessagespage.h"
#include "pages/whatsappmessagespage.h"

#include "backupdevice.h"
#include "backupfixture.h"
#include "contracts/imdcommon.h"
#include "contracts/imessage.h"
#include "contracts/imessageentryorigin.h"
#include "engineitem.h"
#include "fakehost.h"
#include "modaldialoganswerer.h"
#include "mystatusbar.h"
#include "samplebackupwriter.h"
#include "search/searchbar.h"
#include "store/imageitemlist.h"
#include "store/taskitem.h"
#include "views/mysortfilterproxymodel.h"
#include "views/mytableview.h"
#include "views/taskitemmodel.h"
#include "views/treeitem.h"

#include "photos/imagelistitmmodel.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMap>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTreeView>
#include <QtTest>

#include <algorithm>

using namespace MMobile;

namespace {
// Only a failing wait takes this long; under ThreadSanitizer on a busy
// machine the photo page's scan alone took over a minute.
const int kTimeout = 180000;
using Tester = QAbstractItemModelTester;
const auto kFatal = QAbstractItemModelTester::FailureReportingMode::Fatal;

template <class Page> QLineEdit* Field(Page& page)
{
    return page.searchBar()->template findChild<QLineEdit*>(QStringLiteral("filterLineEdit"));
}

QString Selected(int count, int of)
{
    return QStringLiteral("You select %1 item(s) in %2 item(s)").arg(count).arg(of);
}

// How many of `items` have `flag` set.
template <class Item> int Count(const std::vector<Item>& items, bool Item::*flag)
{
    return int(
        std::count_if(items.begin(), items.end(), [flag](const Item& i) { return i.*flag; }));
}

// A host with the demo's pictures and `output` as its output folder.
struct DemoHost : FakeHost
{
    explicit DemoHost(const QString& output)
    {
        setSkinDir(-1, QStringLiteral(CP_DEMO_RESOURCE_DIR "common/"));
        for (int type = 0; type <= 22; ++type)
            setSkinDir(type, QStringLiteral(CP_DEMO_RESOURCE_DIR));
        setOutputDir(output);
    }
};

// The column of a table whose header says `name`, -1 when none does.
int ColumnNamed(const QAbstractItemModel* model, const QString& name)
{
    for (int column = 0; column < model->columnCount(); ++column) {
        if (model->headerData(column, Qt::Horizontal).toString() == name)
            return column;
    }
    return -1;
}

// A page of the demo on its own host, closed when the test ends.
template <class Page> struct Opened : DemoHost
{
    template <class... Extra>
    Opened(IDevice* device, const QString& output, Extra... extra)
        : DemoHost(output), page(this, extra...), device(device)
    {
    }
    ~Opened() { page.ClosePlugin(); }
    bool load()
    {
        page.show();
        if (!page.Load(device, nullptr))
            return false;
        // The page's end-of-scan slot has run once the recover buttons are enabled.
        auto* button = page.template findChild<QPushButton*>(QStringLiteral("btnRecoverToPC"));
        return QTest::qWaitFor(
            [&] { return page.scanStatus() == TASK_COMPLETE && button && button->isEnabled(); },
            kTimeout);
    }
    QString selection() { return page.getStatusBar()->leftLable(); }

    Page page;
    IDevice* device;
};

// Catches the page's request to open the output folder, and answers its
// folder dialog with Recover.
struct RecoveryWatch : QObject
{
    Q_OBJECT
public:
    explicit RecoveryWatch(const char* pageClass)
    {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open");
        answerer.ignore(QString::fromLatin1(pageClass));
        answerer.ignore(QStringLiteral("RecoverProgressDialog"));
    }
    ~RecoveryWatch() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    // Presses the page's button and waits for the folder to be opened.
    bool recover(QWidget* page)
    {
        answerer.answer(ModalDialogAnswerer::Answer::pressButton(QStringLiteral("btnSetRecover")));
        const int before = int(opened.size());
        const int answered = answerer.answeredCount() + 1;
        page->findChild<QPushButton*>(QStringLiteral("btnRecoverToPC"))->click();
        return answerer.waitAnswered(answered, kTimeout) &&
               QTest::qWaitFor([&] { return opened.size() == before + 1; }, kTimeout);
    }
    QStringList opened;
    ModalDialogAnswerer answerer;
public slots:
    void open(const QUrl& url) { opened << url.toLocalFile(); }
};
} // namespace

class TestDemoPages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
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
    void searchHidesAndShowsRows_data();
    void searchHidesAndShowsRows();
    void onlyDeletedSwitch_data();
    void onlyDeletedSwitch();
    void threadMarksItsDeletedMessages();
    void conversationsAreOneRowEach_data();
    void conversationsAreOneRowEach();
    void photoGridLayoutsAndCheckAll();
    void remindersTreeTicksReachTheStore();
    void weChatAccountSwitchAndRecovery();
    void weChatAttachmentsFollowTheAccount();
    void photoGridSearchAndDeletedMarks_data();
    void photoGridSearchAndDeletedMarks();
    void calendarShowsAllDayEvents();
    void pageTitlesAreTheOverviewNames_data();
    void gridNamesFitTheirBox_data();
    void gridNamesFitTheirBox();
    void pageTitlesAreTheOverviewNames();
    void callHistorySortsByTheUserCollation_data();
    void callHistorySortsByTheUserCollation();

private:
    DemoHostWindow::Options HostOptions(const char* settings = "settings.ini") const;
    int ContactsHolding(const QString& keyword) const;
    QString Output(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    IDevice* Device() const { return m_device.get(); }

    QTemporaryDir m_dir;
    SampleBackupContent m_content;
    std::unique_ptr<BackupDevice> m_device;
    DemoTour::Summary m_summary;
    DemoTour::Options m_tourOptions;
};

DemoHostWindow::Options TestDemoPages::HostOptions(const char* settings) const
{
    DemoHostWindow::Options options;
    options.knownFolders << m_dir.filePath(QStringLiteral("backup"));
    options.skinFolder = QStringLiteral(CP_DEMO_SKIN_DIR);
    options.resourceFolder = QStringLiteral(CP_DEMO_RESOURCE_DIR "common/");
    options.pictureFolder = QStringLiteral(CP_DEMO_RESOURCE_DIR);
    options.workFolder = m_dir.filePath(QStringLiteral("work/"));
    options.settingsFile = m_dir.filePath(QLatin1String(settings));
    options.logFolder = m_dir.filePath(QStringLiteral("log"));
    return options;
}

void TestDemoPages::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SampleBackupWriter writer(SampleBackupWriter::Options{});
    QVERIFY2(writer.Write(m_dir.filePath(QStringLiteral("backup"))),
             qPrintable(writer.ErrorText()));
    m_content = writer.Content();
    m_device = std::make_unique<BackupDevice>(m_dir.filePath(QStringLiteral("backup")));
    QVERIFY(HostLogging::Configure(m_dir.filePath(QStringLiteral("log"))));

    DemoHostWindow host(HostOptions());
    host.show();
    host.Start(false);
    m_tourOptions.screenshotFolder = m_dir.filePath(QStringLiteral("shots"));
    m_tourOptions.recoverFolder = m_dir.filePath(QStringLiteral("recovered"));
    m_tourOptions.tickCount = 3;
    DemoTour tour(&host, m_tourOptions);
    m_summary = tour.Run();
    // The whole summary: a failure message is cut short.
    if (!m_summary.ok())
        qWarning().noquote() << m_summary.ToText();
    QVERIFY2(m_summary.ok(), qPrintable(m_summary.ToText()));
    // The tour opened the backup from the host's list.
    QCOMPARE(m_summary.backupFolder, m_dir.filePath(QStringLiteral("backup")));
}

int TestDemoPages::ContactsHolding(const QString& keyword) const
{
    int holding = 0;
    for (const SampleBackupContent::Contact& contact : m_content.contacts) {
        const QStringList fields =
            QStringList{contact.first, contact.last, contact.organization, contact.note} +
            contact.phones + contact.emails + contact.urls;
        if (keyword.isEmpty() || !fields.filter(keyword, Qt::CaseInsensitive).isEmpty())
            ++holding;
    }
    return holding;
}

void TestDemoPages::everyCategoryIsScanned_data()
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
    // A chat its session list no longer names is a deleted conversation.
    for (const SampleBackupContent::WeChatChat& chat : weChat.chats)
        deleted[MD_WECHAT_MESSAGE] += chat.listed ? 0 : 1;
    add(MD_WECHAT_CONTACT, weChat.contacts.size());
    add(MD_WECHAT_MESSAGE, weChat.chats.size());
    add(MD_WECHAT_ATTACHMENT, weChat.files.size());
    add(MD_NOTE_ATTACHMENT, m_content.noteAttachments.size());
}

void TestDemoPages::everyCategoryIsScanned()
{
    QFETCH(int, type);
    QFETCH(int, count);
    QFETCH(int, deleted);
    QCOMPARE(m_summary.scanStatus.value(type, -1), int(TASK_COMPLETE));
    QCOMPARE(m_summary.itemCounts.value(type, -1), count);
    QCOMPARE(m_summary.itemCounts.size(), DemoPageFactory::Categories().size());
    QCOMPARE(m_summary.deletedCounts.value(type, -1), deleted);
    // The overview shows the counts under the category's name.
    const QString name = DemoPageFactory::DisplayName(MDType(type));
    const QStringList texts =
        m_summary.overviewTexts.filter(QRegularExpression(QStringLiteral("^%1\n").arg(name)));
    QCOMPARE(texts.size(), 1);
    const QString counts = deleted > 0
                               ? QStringLiteral("\n%1 items?\n%2 deleted$").arg(count).arg(deleted)
                               : QStringLiteral("\n%1 items?$").arg(count);
    QVERIFY2(texts.first().contains(QRegularExpression(counts)), qPrintable(texts.first()));
    // The tour switched the page to its deleted items: each one marked.
    QCOMPARE(m_summary.deletedShown.value(type, 0), deleted);
    QCOMPARE(m_summary.deletedMarked.value(type, 0), deleted);
    // One first-tick rule on every page: the deleted items, and it says so.
    QCOMPARE(m_summary.firstTicks.value(type, -1), deleted);
    const QString note = m_summary.tickNotes.value(type);
    QVERIFY2(deleted > 0 ? note.startsWith(QStringLiteral("The %1 deleted item").arg(deleted))
                         : note.startsWith(QStringLiteral("No deleted items were found")),
             qPrintable(note));
}

void TestDemoPages::searchNarrowsToTheKeyword()
{
    QVERIFY(!m_summary.keyword.isEmpty());
    QCOMPARE(m_summary.rowsBeforeSearch, int(m_content.contacts.size()));
    QVERIFY(m_summary.rowsAfterSearch < m_summary.rowsBeforeSearch);
    QCOMPARE(m_summary.rowsAfterSearch, ContactsHolding(m_summary.keyword));
}

void TestDemoPages::recoveryWritesTheTickedContacts()
{
    const int ticked = m_tourOptions.tickCount;
    QCOMPARE(m_summary.tickedRows.size(), ticked);
    QVERIFY(m_summary.recoveredFolder.startsWith(m_tourOptions.recoverFolder));
    QStringList cards;
    QDirIterator files(m_summary.recoveredFolder, {QStringLiteral("*.vcf")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext())
        cards << QFileInfo(files.next()).completeBaseName();
    // One card per ticked contact, and the list beside them.
    cards.sort();
    QStringList tickedRows = m_summary.tickedRows;
    tickedRows.sort();
    QCOMPARE(cards, tickedRows);
    QCOMPARE(m_summary.recoveredFiles, ticked + 1);
    // The host says what was written, and where.
    QVERIFY2(m_summary.recoveryText.contains(QStringLiteral("%1 file(s)").arg(ticked + 1)) &&
                 m_summary.recoveryText.contains(
                     QDir::toNativeSeparators(QDir::cleanPath(m_summary.recoveredFolder))),
             qPrintable(m_summary.recoveryText));
    QFile list(QDir(m_summary.recoveredFolder).filePath(QStringLiteral("Contacts.csv")));
    QVERIFY(list.open(QIODevice::ReadOnly));
    QCOMPARE(list.readAll().count("\r\n"), ticked + 1);
}

void TestDemoPages::screenshotsShowEveryPage()
{
    // One per category, the search, the host's backup list, overview and end,
    // the three failure paths, the messages page's deleted conversation and
    // the deleted photos and reminders.
    QCOMPARE(m_summary.screenshots.size(), DemoPageFactory::Categories().size() + 10);
    // The host's words on each failure are checked where the host fails.
    for (const char* shot : {"photos-deleted.png", "reminders-deleted.png", "failure-recovery.png",
                             "failure-damaged.png", "failure-locked.png"})
        QVERIFY(m_summary.screenshots.contains(m_dir.filePath(QStringLiteral("shots/")) +
                                               QLatin1String(shot)));
    for (const QString& file : m_summary.screenshots)
        QVERIFY2(QImage(file).width() >= 400, qPrintable(file));
}

void TestDemoPages::recoverButtonsAreSkinned_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name : {"btnRecoverToPC", "btnRecoverToDevice", "btnClose"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestDemoPages::recoverButtonsAreSkinned()
{
    // A bare button is a grey bevel; the skin's picture is mostly its colour.
    QFETCH(QString, name);
    const QImage image = m_summary.buttonImages.value(name);
    QVERIFY(image.width() >= 30 && image.height() >= 30);
    int coloured = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            coloured += QColor(image.pixel(x, y)).hsvSaturation() > 100 ? 1 : 0;
    }
    QVERIFY2(coloured * 2 > image.width() * image.height(), qPrintable(QString::number(coloured)));
}

void TestDemoPages::logAndOutputFolderAreKept()
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

void TestDemoPages::settingsPersistAcrossRuns()
{
    DemoHostWindow::Options options = HostOptions("persist.ini");
    options.knownFolders.clear();
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

void TestDemoPages::skippedRecordsAreShown_data()
{
    QTest::addColumn<QStringList>("removed"); // content files taken out of the backup
    QTest::addColumn<QString>("shown");
    QTest::newRow("nothing missing") << QStringList() << QString();
    // The newest messages are in the log: without it they are lost, and said so.
    QTest::newRow("message log missing") << QStringList{QStringLiteral("Library/SMS/sms.db-wal")}
                                         << QStringLiteral("1 damaged record was skipped");
}

// Records a scan had to leave out are counted in the status bar, plainly.
void TestDemoPages::skippedRecordsAreShown()
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
    DemoHostWindow::Options options = HostOptions("skipped.ini");
    options.knownFolders.clear();
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

void TestDemoPages::searchHidesAndShowsRows_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::newRow("organization") << m_content.contacts.front().organization;
    QTest::newRow("last name, other case") << m_content.contacts.back().last.toUpper();
    QTest::newRow("no match") << QStringLiteral("qqzzxxnomatch");
    QTest::newRow("empty") << QString();
}

void TestDemoPages::searchHidesAndShowsRows()
{
    QFETCH(QString, keyword);
    Opened<ContactsPage> o(Device(), Output("output"));
    ContactsPage& page = o.page;
    QVERIFY(o.load());
    Tester tableTester(page.tableModel(), kFatal);
    Tester proxyTester(page.proxyModel(), kFatal);
    const int all = int(m_content.contacts.size());
    QCOMPARE(page.VisibleRowCount(), all);

    QLineEdit* field = Field(page);
    QVERIFY(field && field->isEnabled());
    QTest::keyClicks(field, keyword);
    const int expected = ContactsHolding(keyword);
    QCOMPARE(page.VisibleRowCount(), expected);
    QCOMPARE(int(page.store()->GetDataCount(false)), expected);
    QCOMPARE(o.selection(), Selected(0, expected));
    // One tick through the view's model: the text and the box follow. From
    // partly ticked the box ticks the rows in view only, then unticks them.
    auto* box = page.tableView()->findChild<QCheckBox*>(QStringLiteral("checkAllBox"));
    MySortFilterProxyModel* proxy = page.proxyModel();
    if (expected > 1) {
        QVERIFY(proxy->setData(proxy->index(1, 0), int(Qt::Checked), Qt::CheckStateRole));
        QCOMPARE(o.selection(), Selected(1, expected));
        QCOMPARE(box->checkState(), Qt::PartiallyChecked);
        box->click();
        QCOMPARE(int(page.store()->GetCheckedCount()), expected);
        QCOMPARE(box->checkState(), Qt::Checked);
        QCOMPARE(o.selection(), Selected(expected, expected));
        box->click();
        QCOMPARE(page.store()->GetCheckedCount(), 0u);
        QCOMPARE(box->checkState(), Qt::Unchecked);
        box->click();
    }

    // The header shows no sort until the user sorts; a sort keeps the hidden rows hidden.
    QCOMPARE(page.tableView()->horizontalHeader()->sortIndicatorSection(), -1);
    QCOMPARE(proxy->sortColumn(), -1);
    page.tableView()->horizontalHeader()->setSortIndicator(2, Qt::DescendingOrder);
    QCOMPARE(proxy->sortColumn(), 2);
    QCOMPARE(page.VisibleRowCount(), expected);

    field->clear();
    QCOMPARE(page.VisibleRowCount(), all);
    std::vector<unsigned int> ticked;
    QCOMPARE(int(page.store()->GetCheckedDataIndexs(ticked, false)), expected);
    QCOMPARE(box->checkState(), expected == 0     ? Qt::Unchecked
                                : expected == all ? Qt::Checked
                                                  : Qt::PartiallyChecked);
}

void TestDemoPages::onlyDeletedSwitch_data()
{
    QTest::addColumn<QString>("keyword"); // "*": the longest word of the first deleted note
    QTest::newRow("no keyword") << QString();
    QTest::newRow("word of a deleted note") << QStringLiteral("*");
    QTest::newRow("other case") << QStringLiteral("DINNER");
    QTest::newRow("no match") << QStringLiteral("qqzzxxnomatch");
}

// The switch and a search together: the notes holding the keyword (title,
// body or folder; ASCII letters fold) and, with the switch on, deleted.
void TestDemoPages::onlyDeletedSwitch()
{
    QFETCH(QString, keyword);
    if (keyword == QStringLiteral("*")) {
        keyword.clear();
        const auto note =
            std::find_if(m_content.notes.begin(), m_content.notes.end(),
                         [](const SampleBackupContent::Note& n) { return n.deleted; });
        for (const QString& word :
             note->body.split(QRegularExpression(QStringLiteral("[^A-Za-z]+"))))
            keyword = word.size() > keyword.size() ? word : keyword;
    }
    auto inView = [&](bool onlyDeleted) {
        int count = 0;
        for (const SampleBackupContent::Note& note : m_content.notes) {
            const bool holds = !QStringList{note.title, note.body, note.folder}
                                    .filter(keyword, Qt::CaseInsensitive)
                                    .isEmpty();
            count += holds && (note.deleted || !onlyDeleted) ? 1 : 0;
        }
        return count;
    };
    const int deleted = inView(true);
    QVERIFY(QTest::currentDataTag() != QByteArray("word of a deleted note") ||
            (deleted > 0 && deleted < inView(false)));
    Opened<NotesPage> o(Device(), Output("output"));
    NotesPage& page = o.page;
    QVERIFY(o.load());
    Tester proxyTester(page.proxyModel(), kFatal);
    QVERIFY(page.detailPane()->toPlainText().isEmpty());
    page.tableView()->setCurrentIndex(page.proxyModel()->index(0, 1));
    Field(page)->setText(keyword);
    QCOMPARE(page.VisibleRowCount(), inView(false));
    // The detail pane shows the notes in view (title and start of body), or says none matches.
    for (int row = 0; row < qMin(page.VisibleRowCount(), 8); row += 7) {
        page.tableView()->setCurrentIndex(page.proxyModel()->index(row, 1));
        const QString shown = page.detailPane()->toPlainText();
        QVERIFY2(std::any_of(m_content.notes.begin(), m_content.notes.end(),
                             [&](const auto& note) {
                                 return !note.title.isEmpty() && shown.startsWith(note.title) &&
                                        shown.contains(note.body.left(20).simplified());
                             }),
                 qPrintable(shown));
    }
    if (inView(false) == 0)
        QCOMPARE(page.detailPane()->toPlainText(), NotesPage::tr("No items match"));
    auto* toggle = page.searchBar()->findChild<QWidget*>(QStringLiteral("btnOnlyShowDelete"));
    QVERIFY(toggle);
    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(page.VisibleRowCount(), deleted);
    // Deleted notes start ticked: all of those in view are.
    QCOMPARE(o.selection(), Selected(deleted, deleted));
    QTest::mouseClick(toggle, Qt::LeftButton);
    Field(page)->clear();
    QCOMPARE(page.VisibleRowCount(), int(m_content.notes.size()));
    QVERIFY(page.detailPane()->toPlainText() != NotesPage::tr("No items match"));
}

// A conversation's deleted messages are marked in its thread with where each
// was found; the switch shows the conversations that have any.
void TestDemoPages::threadMarksItsDeletedMessages()
{
    int recentlyDeleted = 0;
    for (const SampleBackupContent::Conversation& conversation : m_content.conversations)
        recentlyDeleted += conversation.deleted ? int(conversation.messages.size()) : 0;
    QVERIFY(recentlyDeleted > 0);
    // The tour walked it too: the switch, and the first thread's marks.
    QCOMPARE(m_summary.deletedConversations, m_summary.deletedCounts.value(MD_MESSAGE));
    QVERIFY(m_summary.deletedMarks > 0);
    QVERIFY(m_summary.screenshots.contains(
        m_dir.filePath(QStringLiteral("shots/messages-deleted.png"))));
    Opened<MessagesPage> o(Device(), Output("output"));
    MessagesPage& page = o.page;
    QVERIFY(o.load());
    auto* toggle = page.searchBar()->findChild<QWidget*>(QStringLiteral("btnOnlyShowDelete"));
    QVERIFY(toggle);
    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(page.VisibleRowCount(), int(page.store()->GetDataCount(true)));
    QMap<QString, int> marks; // where found -> messages marked so
    for (int row = 0; row < page.VisibleRowCount(); ++row) {
        const QModelIndex index = page.proxyModel()->index(row, 1);
        page.tableView()->setCurrentIndex(index);
        auto* record = record_cast<IMessage>(
            page.store()->GetData(unsigned(page.proxyModel()->mapToSource(index).row())));
        QVERIFY(record);
        QStringList expected;
        for (unsigned int i = 0; i < record->GetEntryCount() && i < 500; ++i) {
            IMessageEntryOrigin* origin = MessageEntryOrigin(record->GetEntry(i));
            QVERIFY(origin);
            if (origin->IsDeleted())
                expected << QStringLiteral("Deleted, found in %1")
                                .arg(QString::fromUtf8(origin->GetFoundIn()));
        }
        // Shown with the switch on: it has deleted messages, each one marked.
        QVERIFY(!expected.isEmpty());
        const QString shown = page.detailPane()->toPlainText();
        QCOMPARE(shown.count(QStringLiteral("Deleted, found in ")), expected.size());
        for (const QString& mark : qAsConst(expected)) {
            QVERIFY2(shown.contains(mark), qPrintable(mark));
            ++marks[mark];
        }
    }
    QCOMPARE(marks.value(QStringLiteral("Deleted, found in recently deleted")), recentlyDeleted);
    // A live conversation's thread has no mark.
    QTest::mouseClick(toggle, Qt::LeftButton);
    for (int row = 0; row < page.VisibleRowCount(); ++row) {
        const QModelIndex index = page.proxyModel()->index(row, 1);
        if (page.store()
                ->GetData(unsigned(page.proxyModel()->mapToSource(index).row()))
                ->IsDeleted())
            continue;
        page.tableView()->setCurrentIndex(index);
        QVERIFY(!page.detailPane()->toPlainText().contains(QStringLiteral("Deleted")));
        break;
    }
}

// A chat whose messages the database's free space and logs also hold is one
// row: its carved messages stand in its thread, marked with where each was
// found, and a recovery of the row takes them all. A conversation the phone
// no longer has is a row of its own, named by its people.
template <class Page> void OneRowEach(IDevice* device, const QString& output, int people)
{
    Opened<Page> o(device, output);
    Page& page = o.page;
    QVERIFY(o.load());
    Tester proxyTester(page.proxyModel(), kFatal);
    MySortFilterProxyModel* proxy = page.proxyModel();
    TaskItem* store = page.store();
    QSet<QString> chats;
    QStringList twice;
    for (int row = 0; row < proxy->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < 3; ++column)
            cells << proxy->index(row, column).data().toString();
        QVERIFY2(!cells.join(QString()).isEmpty(), "a conversation with nobody");
        const QString who = cells.at(people) + QLatin1Char('|') + cells.at(2);
        if (who.size() > 1 && chats.contains(who))
            twice << who;
        chats.insert(who);
    }
    QVERIFY2(twice.isEmpty(), qPrintable(twice.join(QLatin1String(", ")) + " listed twice"));
    int withDeleted = 0;
    int joined = -1; // a row with live and carved messages
    for (int row = 0; row < proxy->rowCount(); ++row) {
        const unsigned int source = unsigned(proxy->mapToSource(proxy->index(row, 0)).row());
        auto* group = dynamic_cast<ConversationGroup*>(store->GetData(source));
        QVERIFY(group);
        bool live = false;
        bool deleted = false;
        bool carved = false;
        for (unsigned int i = 0; i < group->EntryCount(); ++i) {
            IMessageEntryOrigin* origin = MessageEntryOrigin(group->Entry(i));
            live = live || !origin->IsDeleted();
            deleted = deleted || origin->IsDeleted();
            carved = carved || (origin->IsDeleted() &&
                                QByteArray(origin->GetFoundIn()) != "recently deleted");
        }
        // Deleted for the switch: it has a deleted message.
        QCOMPARE(group->IsDeleted(), deleted);
        withDeleted += deleted ? 1 : 0;
        if (live && carved && joined < 0)
            joined = int(source);
    }
    QVERIFY(joined >= 0);
    auto* toggle =
        page.searchBar()->template findChild<QWidget*>(QStringLiteral("btnOnlyShowDelete"));
    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(page.VisibleRowCount(), withDeleted);
    QTest::mouseClick(toggle, Qt::LeftButton);
    // The row's tick reaches every item of the chat the engine found.
    store->SetCheckAllState(Qt::Unchecked);
    store->SetChecked(unsigned(joined), Qt::Checked);
    store->GetCheckedDataIndexs();
    for (unsigned int i = 0; i < store->GetDataCountEx(); ++i) {
        auto* group = dynamic_cast<ConversationGroup*>(store->GetData(i));
        QVERIFY(i != unsigned(joined) || group->Members().size() > 1);
        for (IMDCommon* member : group->Members())
            QCOMPARE(dynamic_cast<EngineItem*>(member)->IsDropped(), i != unsigned(joined));
    }
}

void TestDemoPages::conversationsAreOneRowEach_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("people"); // the column that, with the third, tells chats apart
    QTest::newRow("messages") << int(MD_MESSAGE) << 1;
    QTest::newRow("whatsapp") << int(MD_WHATSAPP_MESSAGE) << 0;
}

void TestDemoPages::conversationsAreOneRowEach()
{
    QFETCH(int, type);
    QFETCH(int, people);
    const QString folder = m_dir.filePath(QStringLiteral("carved"));
    if (!QFileInfo::exists(folder)) {
        SampleBackupWriter::Options options;
        options.media = false;
        options.deletions = true;
        SampleBackupWriter writer(options);
        QVERIFY2(writer.Write(folder), qPrintable(writer.ErrorText()));
    }
    BackupDevice device(folder);
    if (type == MD_MESSAGE)
        OneRowEach<MessagesPage>(&device, Output("carved-output"), people);
    else
        OneRowEach<WhatsAppMessagesPage>(&device, Output("carved-output"), people);
}

void TestDemoPages::photoGridLayoutsAndCheckAll()
{
    Opened<PhotosPage> o(Device(), Output("output"), m_dir.filePath(QStringLiteral("work/")));
    PhotosPage& page = o.page;
    QVERIFY(o.load());
    QAbstractItemModel* grid = page.gridModel();
    Tester gridTester(grid, kFatal);
    const int photos = int(m_content.photos.size());
    QSet<QDate> days;
    for (int row = 0; row < grid->rowCount(); ++row) {
        const QModelIndex index = grid->index(row, 0);
        if (index.data(ImageListItmModel::TitleRole).toBool())
            days.insert(QDate::fromString(index.data().toString().left(10), "dd-MM-yyyy"));
    }
    QVERIFY(days.size() > 1);
    QCOMPARE(grid->rowCount(), photos + days.size());

    auto* layout = page.findChild<QPushButton*>(QStringLiteral("layoutButton"));
    layout->click();
    QCOMPARE(page.imageStore()->GetViewMode(), IMAGE_VIEW_FLAT);
    QCOMPARE(grid->rowCount(), photos);
    layout->click();
    QCOMPARE(grid->rowCount(), photos + days.size());

    // The photos in the trash start ticked; the box ticks them all, then unticks them.
    const int trashed = Count(m_content.photos, &SampleBackupContent::Photo::trashed);
    QVERIFY(trashed > 0);
    QCOMPARE(o.selection(), Selected(trashed, photos));
    page.checkAllBox()->click();
    QCOMPARE(int(page.imageStore()->GetCheckedCount()), photos);
    page.checkAllBox()->click();
    QCOMPARE(page.imageStore()->GetCheckedCount(), 0u);
    QCOMPARE(page.checkAllBox()->checkState(), Qt::Unchecked);
    // One photo through the grid's model.
    QVERIFY(grid->setData(grid->index(1, 0), int(Qt::Checked), Qt::CheckStateRole));
    QCOMPARE(o.selection(), Selected(1, photos));
    QCOMPARE(page.checkAllBox()->checkState(), Qt::PartiallyChecked);
    page.checkAllBox()->click();
    QCOMPARE(int(page.imageStore()->GetCheckedCount()), photos);
}

void TestDemoPages::remindersTreeTicksReachTheStore()
{
    Opened<RemindersPage> o(Device(), Output("output"));
    RemindersPage& page = o.page;
    QVERIFY(o.load());
    RemindersTreeModel* model = page.treeModel();
    Tester treeTester(model, kFatal);
    const int all = int(m_content.reminders.size());
    QCOMPARE(model->Leaves().size(), all);
    QCOMPARE(page.VisibleRowCount(), all);
    // The reminders marked for deletion start ticked; the lists tick the rest.
    const int deleted = Count(m_content.reminders, &SampleBackupContent::Reminder::deleted);
    QCOMPARE(int(page.store()->GetCheckedCount()), deleted);
    for (int row = 0; row < model->rowCount(); ++row)
        QVERIFY(model->setData(model->index(row, 0), int(Qt::Checked), Qt::CheckStateRole));
    QCOMPARE(int(page.store()->GetCheckedCount()), all);

    // Unticking a list unticks its reminders in the store.
    const QModelIndex list = model->index(0, 0);
    const int inList = model->rowCount(list);
    QVERIFY(inList > 0 && inList < all);
    QVERIFY(model->setData(list, int(Qt::Unchecked), Qt::CheckStateRole));
    QCOMPARE(int(page.store()->GetCheckedCount()), all - inList);
    QCOMPARE(o.selection(), Selected(all - inList, all));

    // A search hides the leaves without the keyword, and a list left empty.
    Field(page)->setText(QStringLiteral("qqzzxxnomatch"));
    QCOMPARE(page.VisibleRowCount(), 0);
    QVERIFY(page.treeView()->isRowHidden(0, QModelIndex()));
    Field(page)->clear();
    QCOMPARE(page.VisibleRowCount(), all);
    QVERIFY(!page.treeView()->isRowHidden(0, QModelIndex()));

    // Deleted reminders are orange; each list counts the reminders in view.
    int orange = 0;
    for (TreeItem* leaf : model->Leaves())
        orange +=
            model->IndexOf(leaf).data(Qt::ForegroundRole).value<QColor>() == QColor(243, 161, 89);
    QVERIFY(deleted > 0);
    QCOMPARE(orange, deleted);
    QTest::mouseClick(page.searchBar()->findChild<QWidget*>(QStringLiteral("btnOnlyShowDelete")),
                      Qt::LeftButton);
    int counted = 0;
    for (int list = 0; list < model->rowCount(); ++list) {
        if (!page.treeView()->isRowHidden(list, QModelIndex()))
            counted += model->index(list, 1).data().toString().section(' ', 0, 0).toInt();
    }
    QCOMPARE(counted, deleted);
}

void TestDemoPages::weChatAccountSwitchAndRecovery()
{
    Opened<WeChatMessagesPage> o(Device(), Output("wechat"));
    WeChatMessagesPage& page = o.page;
    Tester proxyTester(page.proxyModel(), kFatal);
    Tester modelTester(page.tableModel(), kFatal);
    QVERIFY(o.load());
    auto* chooser = page.searchBar()->findChild<QComboBox*>(QStringLiteral("weChatcomboBox"));
    QVERIFY(chooser && chooser->isVisibleTo(&page));
    QCOMPARE(chooser->count(), int(m_content.weChatAccounts.size()));
    const auto chatNames = [](const SampleBackupContent::WeChatAccount& account, bool files) {
        QStringList names;
        for (const SampleBackupContent::WeChatChat& chat : account.chats)
            // A chat the session list no longer names is a deleted conversation.
            names << (files ? BackupFixture::ExportName(chat.name +
                                                        (chat.listed ? "" : " (deleted)") + ".html")
                            : chat.name);
        names.sort();
        return names;
    };
    // Each account shows its own chats only, whichever came before.
    for (int account : {1, 0, 1}) {
        const SampleBackupContent::WeChatAccount& expected = m_content.weChatAccounts[account];
        chooser->setCurrentIndex(account);
        QCOMPARE(chooser->itemText(account), expected.nickName);
        QStringList shown;
        for (int row = 0; row < page.VisibleRowCount(); ++row) {
            shown << page.proxyModel()->index(row, 0).data().toString();
            QCOMPARE(page.proxyModel()->index(row, 1).data().toString(), expected.nickName);
        }
        shown.sort();
        QCOMPARE(shown, chatNames(expected, false));
    }
    // Recovery of the second account: its chats, and only its, are written.
    page.tableModel()->CheckAll(Qt::Checked);
    QCOMPARE(page.store()->GetCheckedCount(), unsigned(m_content.weChatAccounts[1].chats.size()));
    RecoveryWatch watch("WeChatMessagesPage");
    QVERIFY(watch.recover(&page));
    QCOMPARE(o.recoverResults().last().ok, 1);
    QStringList written = QDir(watch.opened.first()).entryList({QStringLiteral("*.html")});
    written.sort();
    QCOMPARE(written, chatNames(m_content.weChatAccounts[1], true));
    QVERIFY2(watch.answerer.errors().isEmpty(), qPrintable(watch.answerer.errors().join('\n')));
}

void TestDemoPages::weChatAttachmentsFollowTheAccount()
{
    Opened<WeChatAttachmentsPage> o(Device(), Output("output"), Output("work/"));
    Tester tester(o.page.gridModel(), kFatal);
    QVERIFY(o.load());
    auto* chooser = o.page.searchBar()->findChild<QComboBox*>(QStringLiteral("weChatcomboBox"));
    QVERIFY(chooser && chooser->isVisibleTo(&o.page));
    QVERIFY(m_content.weChatAccounts[0].files.size() != m_content.weChatAccounts[1].files.size());
    for (int account : {1, 0}) {
        chooser->setCurrentIndex(account);
        QCOMPARE(o.page.imageStore()->GetDataCount(false),
                 unsigned(m_content.weChatAccounts[account].files.size()));
    }
}

void TestDemoPages::photoGridSearchAndDeletedMarks_data()
{
    QTest::addColumn<QString>("keyword"); // "*": the name of the first trashed photo
    QTest::addColumn<bool>("onlyDeleted");
    QTest::newRow("only deleted") << QString() << true;
    QTest::newRow("a name") << QStringLiteral("*") << false;
    QTest::newRow("a name, only deleted") << QStringLiteral("*") << true;
    QTest::newRow("no match") << QStringLiteral("qqzzxxnomatch") << false;
}

// The switch and the search filter the grid; deleted files carry the mark
// and nothing else does; a day with no file in view loses its title too.
void TestDemoPages::photoGridSearchAndDeletedMarks()
{
    QFETCH(QString, keyword);
    QFETCH(bool, onlyDeleted);
    const auto trashed =
        std::find_if(m_content.photos.begin(), m_content.photos.end(),
                     [](const SampleBackupContent::Photo& photo) { return photo.trashed; });
    QVERIFY(trashed != m_content.photos.end());
    if (keyword == QStringLiteral("*"))
        keyword = trashed->name;
    int expected = 0;
    int deleted = 0;
    for (const SampleBackupContent::Photo& photo : m_content.photos) {
        deleted += photo.trashed ? 1 : 0;
        expected += (!onlyDeleted || photo.trashed) &&
                            (keyword.isEmpty() || photo.name.contains(keyword, Qt::CaseInsensitive))
                        ? 1
                        : 0;
    }
    Opened<PhotosPage> o(Device(), Output("output"), m_dir.filePath(QStringLiteral("work/")));
    PhotosPage& page = o.page;
    QVERIFY(o.load());
    QVERIFY(Field(page)->isEnabled());
    QCOMPARE(page.filter()->DeletedFiles(), deleted);
    Field(page)->setText(keyword);
    if (onlyDeleted)
        QTest::mouseClick(
            page.searchBar()->findChild<QWidget*>(QStringLiteral("btnOnlyShowDelete")),
            Qt::LeftButton);
    QCOMPARE(page.filter()->VisibleFiles(), expected);
    QListView* grid = page.gridView();
    int files = 0;
    int marked = 0;
    int titleFiles = -1; // files in view under the last title in view
    for (int row = 0; row < grid->model()->rowCount(); ++row) {
        const QModelIndex index = grid->model()->index(row, 0);
        const bool title = index.data(ImageListItmModel::TitleRole).toBool();
        if (title) {
            // A title in view has a file in view below it.
            QVERIFY(titleFiles != 0);
            titleFiles = grid->isRowHidden(row) ? -1 : 0;
            continue;
        }
        if (grid->isRowHidden(row))
            continue;
        QVERIFY(titleFiles >= 0);
        ++titleFiles;
        ++files;
        marked += page.filter()->IsDeletedRow(row) ? 1 : 0;
    }
    QVERIFY(titleFiles != 0);
    QCOMPARE(files, expected);
    if (onlyDeleted)
        QCOMPARE(marked, files);
    QCOMPARE(page.previewPane()->text(),
             expected == 0 ? PhotosPage::tr("No items match") : QString());
    // The tool tip of a deleted file says so.
    QVERIFY(DeletedMarkDelegate::ToolTip(QStringLiteral("IMG_1.HEIC"), true)
                .startsWith(QStringLiteral("IMG_1.HEIC\nDeleted on the phone")));
}

void TestDemoPages::calendarShowsAllDayEvents()
{
    Opened<CalendarPage> o(Device(), Output("output"));
    CalendarPage& page = o.page;
    QVERIFY(o.load());
    const int allDay = Count(m_content.events, &SampleBackupContent::Event::allDay);
    QVERIFY(allDay > 0);
    int shown = 0;
    QAbstractItemModel* model = page.proxyModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex start = model->index(row, 2);
        const QDate day = page.AllDay(page.proxyModel()->mapToSource(start).row(), 2);
        if (!day.isValid())
            continue;
        ++shown;
        // The model's cell stays empty; the delegate shows the day.
        QVERIFY(!start.data().toDateTime().isValid());
        auto* delegate = qobject_cast<AllDayDelegate*>(page.tableView()->itemDelegateForColumn(2));
        QVERIFY(delegate);
        QCOMPARE(delegate->CellText(start), AllDayDelegate::DayText(day));
        QVERIFY(delegate->CellText(start).contains(QLocale().toString(day, QLocale::ShortFormat)));
        QVERIFY(page.AllDay(page.proxyModel()->mapToSource(start).row(), 3).isValid());
    }
    QCOMPARE(shown, allDay);
}

void TestDemoPages::gridNamesFitTheirBox_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("box");     // the library's text box for a name of its length
    QTest::addColumn<bool>("shrunk"); // drawn smaller than the grid's font
    QTest::newRow("short") << "IMG_1.JPG" << 90 << false;
    QTest::newRow("HEIC") << "IMG_1098.HEIC" << 90 << true;
    QTest::newRow("15 characters") << "IMG_10980.HEIC1" << 100 << true;
    QTest::newRow("very long") << "A voice memo recorded in the kitchen.m4a" << 100 << true;
}

void TestDemoPages::gridNamesFitTheirBox()
{
    QFETCH(QString, name);
    QFETCH(int, box);
    QFETCH(bool, shrunk);
    QFont base;
    base.setPixelSize(12);
    const QFont font = DeletedMarkDelegate::NameFont(base, name);
    QCOMPARE(font.pixelSize() < 12, shrunk);
    // Whole in its box, or as small as a name gets.
    QVERIFY(QFontMetrics(font).horizontalAdvance(name) <= box || font.pixelSize() == 8);
    if (font.pixelSize() < 12) {
        QFont bigger = font;
        bigger.setPixelSize(font.pixelSize() + 1);
        QVERIFY(QFontMetrics(bigger).horizontalAdvance(name) > box);
    }
}

void TestDemoPages::pageTitlesAreTheOverviewNames_data()
{
    QTest::addColumn<int>("type");
    for (MDType type : DemoPageFactory::Categories())
        QTest::newRow(qPrintable(DemoPageFactory::DisplayName(type))) << int(type);
}

void TestDemoPages::pageTitlesAreTheOverviewNames()
{
    QFETCH(int, type);
    DemoHost host(Output("output"));
    CategoryPanel* page = DemoPageFactory::Create(&host, MDType(type), Output("work/"));
    QVERIFY(page);
    const QString name = DemoPageFactory::Title(MDType(type));
    QCOMPARE(page->windowTitle(), name);
    auto* title = page->findChild<QLabel*>(QStringLiteral("lblTitle"));
    QVERIFY(title);
    QCOMPARE(title->text(), name);
    page->Free();
}

void TestDemoPages::callHistorySortsByTheUserCollation_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("letterOrder"); // Ł beside L, case folded; else code points
    QTest::newRow("Polish") << "pl_PL" << true;
    QTest::newRow("English") << "en_US" << true;
    QTest::newRow("German") << "de_DE" << true;
    QTest::newRow("C") << "C" << false;
}

// A click on "Name" sorts by the language the user chose, not by code point.
void TestDemoPages::callHistorySortsByTheUserCollation()
{
    QFETCH(QString, locale);
    QFETCH(bool, letterOrder);
    const QLocale before;
    QLocale::setDefault(QLocale(locale));
    const auto restore = qScopeGuard([&before] { QLocale::setDefault(before); });
    Opened<CallHistoryPage> o(Device(), Output("output"));
    CallHistoryPage& page = o.page;
    QVERIFY(o.load());
    QAbstractItemModel* proxy = page.proxyModel();
    // The longest call type is whole on screen: its column, and the column inside the table.
    QCoreApplication::processEvents();
    const int typeColumn = ColumnNamed(proxy, QStringLiteral("Type"));
    QVERIFY(typeColumn >= 0);
    QString longest;
    for (int row = 0; row < proxy->rowCount(); ++row) {
        const QString type = proxy->index(row, typeColumn).data().toString();
        longest = type.size() > longest.size() ? type : longest;
    }
    QVERIFY2(longest.contains(QStringLiteral("FaceTime")), qPrintable(longest));
    QHeaderView* header = page.tableView()->horizontalHeader();
    QVERIFY(header->sectionSize(typeColumn) >
            page.tableView()->fontMetrics().horizontalAdvance(longest));
    QVERIFY2(header->sectionViewportPosition(typeColumn) + header->sectionSize(typeColumn) <=
                 page.tableView()->viewport()->width(),
             qPrintable(QStringLiteral("%1 + %2 > %3")
                            .arg(header->sectionViewportPosition(typeColumn))
                            .arg(header->sectionSize(typeColumn))
                            .arg(page.tableView()->viewport()->width())));
    const int column = ColumnNamed(proxy, QStringLiteral("Name"));
    QVERIFY(column >= 0);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 5, 5));
    QCOMPARE(header->sortIndicatorSection(), column);
    QStringList names;
    for (int row = 0; row < proxy->rowCount(); ++row)
        names << proxy->index(row, column).data().toString();
    QStringList expected = names;
    QCollator collator{QLocale(locale)};
    std::stable_sort(expected.begin(), expected.end(), [&](const QString& a, const QString& b) {
        return collator.compare(a, b) < 0;
    });
    if (header->sortIndicatorOrder() == Qt::DescendingOrder)
        std::reverse(expected.begin(), expected.end());
    QCOMPARE(names, expected);
    // The sample's Łucja and Malik: by letters Ł stands beside L, before M;
    // by code point after every plain letter.
    const int lucja = names.indexOf(QRegularExpression(QStringLiteral("Łucja .*")));
    const int malik = names.indexOf(QRegularExpression(QStringLiteral("Malik .*")));
    QVERIFY2(lucja >= 0 && malik >= 0, qPrintable(names.join(", ")));
    const bool ascending = header->sortIndicatorOrder() == Qt::AscendingOrder;
    QCOMPARE((lucja < malik) == ascending, letterOrder);
}

QTEST_MAIN(TestDemoPages)
#include "tst_demopages.moc"
