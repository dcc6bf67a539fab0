// The wiring of the demo's category pages on a generated sample backup: the
// search bar hides and shows rows, the only-deleted switch, the check-all box
// and the selection text, the detail pane, the photo grid's layouts, the
// reminders tree's ticks, and two recoveries in a row.

#include "pages/contactspage.h"
#include "pages/notespage.h"
#include "pages/photospage.h"
#include "pages/reminderspage.h"
#include "pages/reminderstreemodel.h"
#include "pages/wechatattachmentspage.h"
#include "pages/wechatmessagespage.h"

#include "backupdevice.h"
#include "backupfixture.h"
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
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTreeView>
#include <QtTest>

#include <memory>

using namespace MMobile;

namespace {
const int kTimeout = 60000;
using Tester = QAbstractItemModelTester;
const auto kFatal = QAbstractItemModelTester::FailureReportingMode::Fatal;

template <class Page> QLineEdit* Field(Page& page)
{
    return page.searchBar()->template findChild<QLineEdit*>(QStringLiteral("filterLineEdit"));
}
} // namespace

// Catches the page's request to open the output folder.
class FolderCatcher : public QObject
{
    Q_OBJECT
public:
    FolderCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~FolderCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QStringList opened;
public slots:
    void open(const QUrl& url) { opened << url.toLocalFile(); }
};

class TestDemoPages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void searchHidesAndShowsRows_data();
    void searchHidesAndShowsRows();
    void onlyDeletedSwitch_data();
    void onlyDeletedSwitch();
    void checkAllBoxAndSelectionText();
    void detailPaneShowsTheNote();
    void photoGridLayoutsAndCheckAll();
    void remindersTreeTicksReachTheStore();
    void twoRecoveriesInARow();
    void weChatAccountSwitchAndRecovery();
    void weChatAttachmentsFollowTheAccount();

private:
    void Prepare(FakeHost& host);
    template <class Page> bool LoadAndWait(Page& page);
    int ContactsHolding(const QString& keyword) const;
    static QString SelectionText(CategoryPanel& page);

    QTemporaryDir m_dir;
    SampleBackupContent m_content;
    std::unique_ptr<BackupDevice> m_device;
};

void TestDemoPages::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SampleBackupWriter writer(SampleBackupWriter::Options{});
    QVERIFY2(writer.Write(m_dir.filePath(QStringLiteral("backup"))),
             qPrintable(writer.ErrorText()));
    m_content = writer.Content();
    m_device = std::make_unique<BackupDevice>(m_dir.filePath(QStringLiteral("backup")));
}

void TestDemoPages::Prepare(FakeHost& host)
{
    host.setSkinDir(-1, QStringLiteral(CP_DEMO_RESOURCE_DIR "common/"));
    for (int type = 0; type <= 22; ++type)
        host.setSkinDir(type, QStringLiteral(CP_DEMO_RESOURCE_DIR));
    host.setOutputDir(m_dir.filePath(QStringLiteral("output")));
}

template <class Page> bool TestDemoPages::LoadAndWait(Page& page)
{
    page.show();
    if (!page.Load(m_device.get(), nullptr))
        return false;
    // The page's end-of-scan slot has run once the recover buttons are enabled.
    auto* button = page.template findChild<QPushButton*>(QStringLiteral("btnRecoverToPC"));
    return QTest::qWaitFor(
        [&] { return page.scanStatus() == TASK_COMPLETE && button && button->isEnabled(); },
        kTimeout);
}

int TestDemoPages::ContactsHolding(const QString& keyword) const
{
    if (keyword.isEmpty())
        return int(m_content.contacts.size());
    int holding = 0;
    for (const SampleBackupContent::Contact& contact : m_content.contacts) {
        const QStringList fields =
            QStringList{contact.first, contact.last, contact.organization, contact.note} +
            contact.phones + contact.emails + contact.urls;
        if (!fields.filter(keyword, Qt::CaseInsensitive).isEmpty())
            ++holding;
    }
    return holding;
}

QString TestDemoPages::SelectionText(CategoryPanel& page)
{
    return page.getStatusBar()->leftLable();
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
    FakeHost host;
    Prepare(host);
    ContactsPage page(&host);
    QVERIFY(LoadAndWait(page));
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
    QCOMPARE(SelectionText(page),
             QStringLiteral("You select 0 item(s) in %1 item(s)").arg(expected));
    // The check-all box ticks the rows in view only.
    auto* box = page.tableView()->findChild<QCheckBox*>(QStringLiteral("checkAllBox"));
    if (expected > 0) {
        box->click();
        QCOMPARE(int(page.store()->GetCheckedCount()), expected);
        QCOMPARE(box->checkState(), Qt::Checked);
    }

    // A sort keeps the hidden rows hidden.
    page.tableView()->sortByColumn(2, Qt::DescendingOrder);
    QCOMPARE(page.VisibleRowCount(), expected);

    field->clear();
    QCOMPARE(page.VisibleRowCount(), all);
    std::vector<unsigned int> ticked;
    QCOMPARE(int(page.store()->GetCheckedDataIndexs(ticked, false)), expected);
    QCOMPARE(box->checkState(), expected == 0     ? Qt::Unchecked
                                : expected == all ? Qt::Checked
                                                  : Qt::PartiallyChecked);
    page.ClosePlugin();
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
        for (const SampleBackupContent::Note& note : m_content.notes) {
            if (!note.deleted)
                continue;
            for (const QString& word :
                 note.body.split(QRegularExpression(QStringLiteral("[^A-Za-z]+"))))
                keyword = word.size() > keyword.size() ? word : keyword;
            break;
        }
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
    FakeHost host;
    Prepare(host);
    NotesPage page(&host);
    QVERIFY(LoadAndWait(page));
    Tester proxyTester(page.proxyModel(), kFatal);
    const int all = int(m_content.notes.size());
    Field(page)->setText(keyword);
    QCOMPARE(page.VisibleRowCount(), inView(false));
    auto* toggle = page.searchBar()->findChild<QWidget*>(QStringLiteral("btnOnlyShowDelete"));
    QVERIFY(toggle);
    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(page.VisibleRowCount(), deleted);
    // Deleted notes start ticked: all of those in view are.
    QCOMPARE(SelectionText(page),
             QStringLiteral("You select %1 item(s) in %1 item(s)").arg(deleted));
    QTest::mouseClick(toggle, Qt::LeftButton);
    Field(page)->clear();
    QCOMPARE(page.VisibleRowCount(), all);
    page.ClosePlugin();
}

void TestDemoPages::checkAllBoxAndSelectionText()
{
    FakeHost host;
    Prepare(host);
    ContactsPage page(&host);
    QVERIFY(LoadAndWait(page));
    Tester proxyTester(page.proxyModel(), kFatal);
    const int all = int(m_content.contacts.size());
    auto* box = page.tableView()->findChild<QCheckBox*>(QStringLiteral("checkAllBox"));
    QVERIFY(box);
    QCOMPARE(SelectionText(page), QStringLiteral("You select 0 item(s) in %1 item(s)").arg(all));
    QCOMPARE(box->checkState(), Qt::Unchecked);

    box->click();
    QCOMPARE(int(page.store()->GetCheckedCount()), all);
    QCOMPARE(box->checkState(), Qt::Checked);
    QCOMPARE(SelectionText(page), QStringLiteral("You select %1 item(s) in %1 item(s)").arg(all));

    box->click();
    QCOMPARE(page.store()->GetCheckedCount(), 0u);
    QCOMPARE(box->checkState(), Qt::Unchecked);

    // One tick through the view's model: the text and the box follow.
    MySortFilterProxyModel* proxy = page.proxyModel();
    QVERIFY(proxy->setData(proxy->index(3, 0), int(Qt::Checked), Qt::CheckStateRole));
    QCOMPARE(SelectionText(page), QStringLiteral("You select 1 item(s) in %1 item(s)").arg(all));
    QCOMPARE(box->checkState(), Qt::PartiallyChecked);
    // From partly ticked the box ticks everything.
    box->click();
    QCOMPARE(int(page.store()->GetCheckedCount()), all);
    page.ClosePlugin();
}

void TestDemoPages::detailPaneShowsTheNote()
{
    FakeHost host;
    Prepare(host);
    NotesPage page(&host);
    QVERIFY(LoadAndWait(page));
    QVERIFY(page.detailPane()->toPlainText().isEmpty());
    QTableView* view = page.tableView();
    for (int row : {0, 7}) {
        view->setCurrentIndex(page.proxyModel()->index(row, 1));
        const QString shown = page.detailPane()->toPlainText();
        // Some note of the backup is the one shown: its title and the start of its body.
        bool found = false;
        for (const SampleBackupContent::Note& note : m_content.notes) {
            if (!note.title.isEmpty() && shown.startsWith(note.title) &&
                shown.contains(note.body.left(20).simplified()))
                found = true;
        }
        QVERIFY2(found, qPrintable(shown));
    }
    page.ClosePlugin();
}

void TestDemoPages::photoGridLayoutsAndCheckAll()
{
    FakeHost host;
    Prepare(host);
    PhotosPage page(&host, m_dir.filePath(QStringLiteral("work/")));
    QVERIFY(LoadAndWait(page));
    Tester gridTester(page.gridModel(), kFatal);
    const int photos = int(m_content.photos.size());
    QSet<QDate> days;
    for (int row = 0; row < page.gridModel()->rowCount(); ++row) {
        if (page.gridModel()->index(row, 0).data(ImageListItmModel::TitleRole).toBool())
            days.insert(
                QDate::fromString(page.gridModel()->index(row, 0).data().toString().left(10),
                                  QStringLiteral("dd-MM-yyyy")));
    }
    QVERIFY(days.size() > 1);
    QCOMPARE(page.gridModel()->rowCount(), photos + days.size());

    auto* layout = page.findChild<QPushButton*>(QStringLiteral("layoutButton"));
    layout->click();
    QCOMPARE(page.imageStore()->GetViewMode(), IMAGE_VIEW_FLAT);
    QCOMPARE(page.gridModel()->rowCount(), photos);
    layout->click();
    QCOMPARE(page.gridModel()->rowCount(), photos + days.size());

    // Photos start ticked; the box unticks them all, then ticks them again.
    QCOMPARE(SelectionText(page),
             QStringLiteral("You select %1 item(s) in %1 item(s)").arg(photos));
    page.checkAllBox()->click();
    QCOMPARE(page.imageStore()->GetCheckedCount(), 0u);
    QCOMPARE(page.checkAllBox()->checkState(), Qt::Unchecked);
    // One photo through the grid's model.
    QVERIFY(page.gridModel()->setData(page.gridModel()->index(1, 0), int(Qt::Checked),
                                      Qt::CheckStateRole));
    QCOMPARE(SelectionText(page), QStringLiteral("You select 1 item(s) in %1 item(s)").arg(photos));
    QCOMPARE(page.checkAllBox()->checkState(), Qt::PartiallyChecked);
    page.checkAllBox()->click();
    QCOMPARE(int(page.imageStore()->GetCheckedCount()), photos);
    page.ClosePlugin();
}

void TestDemoPages::remindersTreeTicksReachTheStore()
{
    FakeHost host;
    Prepare(host);
    RemindersPage page(&host);
    QVERIFY(LoadAndWait(page));
    RemindersTreeModel* model = page.treeModel();
    Tester treeTester(model, kFatal);
    const int all = int(m_content.reminders.size());
    QCOMPARE(model->Leaves().size(), all);
    QCOMPARE(page.VisibleRowCount(), all);
    QCOMPARE(int(page.store()->GetCheckedCount()), all);

    // Unticking a list unticks its reminders in the store.
    const QModelIndex list = model->index(0, 0);
    const int inList = model->rowCount(list);
    QVERIFY(inList > 0 && inList < all);
    QVERIFY(model->setData(list, int(Qt::Unchecked), Qt::CheckStateRole));
    QCOMPARE(int(page.store()->GetCheckedCount()), all - inList);
    QCOMPARE(SelectionText(page),
             QStringLiteral("You select %1 item(s) in %2 item(s)").arg(all - inList).arg(all));

    // A search hides the leaves without the keyword, and a list left empty.
    const QString keyword = QStringLiteral("qqzzxxnomatch");
    Field(page)->setText(keyword);
    QCOMPARE(page.VisibleRowCount(), 0);
    QVERIFY(page.treeView()->isRowHidden(0, QModelIndex()));
    Field(page)->clear();
    QCOMPARE(page.VisibleRowCount(), all);
    QVERIFY(!page.treeView()->isRowHidden(0, QModelIndex()));
    page.ClosePlugin();
}

void TestDemoPages::twoRecoveriesInARow()
{
    FakeHost host;
    Prepare(host);
    const QString output = m_dir.filePath(QStringLiteral("twice"));
    host.setOutputDir(output);
    ContactsPage page(&host);
    QVERIFY(LoadAndWait(page));
    MySortFilterProxyModel* proxy = page.proxyModel();
    QStringList names;
    for (int row : {0, 5}) {
        QVERIFY(proxy->setData(proxy->index(row, 0), int(Qt::Checked), Qt::CheckStateRole));
        names << proxy->index(row, 0).data().toString();
    }
    FolderCatcher catcher;
    ModalDialogAnswerer answerer;
    answerer.ignore(QStringLiteral("ContactsPage"));
    answerer.ignore(QStringLiteral("RecoverProgressDialog"));
    auto* recover = page.findChild<QPushButton*>(QStringLiteral("btnRecoverToPC"));
    for (int round = 1; round <= 2; ++round) {
        answerer.answer(ModalDialogAnswerer::Answer::pressButton(QStringLiteral("btnSetRecover")));
        recover->click();
        QVERIFY(answerer.waitAnswered(round, kTimeout));
        QVERIFY(QTest::qWaitFor([&] { return catcher.opened.size() == round; }, kTimeout));
        QCOMPARE(host.recoverResults().size(), round);
        QCOMPARE(host.recoverResults().last().ok, 1);
        QCOMPARE(host.recoverResults().last().mode, int(RECOVER_TO_PC));
    }
    QVERIFY2(answerer.errors().isEmpty(), qPrintable(answerer.errors().join('\n')));
    QCOMPARE(catcher.opened.first(), catcher.opened.last());
    QVERIFY(catcher.opened.first().startsWith(output));
    // The second run leaves the first one's files alone and writes numbered copies.
    QStringList cards;
    QDirIterator files(catcher.opened.first(), {QStringLiteral("*.vcf")}, QDir::Files);
    while (files.hasNext())
        cards << QFileInfo(files.next()).completeBaseName();
    cards.sort();
    QStringList expected;
    for (const QString& name : names)
        expected << name << name + QStringLiteral(" (1)");
    expected.sort();
    QCOMPARE(cards, expected);
    QVERIFY(
        QFile::exists(QDir(catcher.opened.first()).filePath(QStringLiteral("Contacts (1).csv"))));
    page.ClosePlugin();
}

void TestDemoPages::weChatAccountSwitchAndRecovery()
{
    FakeHost host;
    Prepare(host);
    host.setOutputDir(m_dir.filePath(QStringLiteral("wechat")));
    WeChatMessagesPage page(&host);
    Tester proxyTester(page.proxyModel(), kFatal);
    Tester modelTester(page.tableModel(), kFatal);
    QVERIFY(LoadAndWait(page));
    auto* chooser = page.searchBar()->findChild<QComboBox*>(QStringLiteral("weChatcomboBox"));
    QVERIFY(chooser && chooser->isVisibleTo(&page));
    QCOMPARE(chooser->count(), int(m_content.weChatAccounts.size()));
    // Each account shows its own chats only, whichever came before.
    for (int account : {1, 0, 1}) {
        const SampleBackupContent::WeChatAccount& expected = m_content.weChatAccounts[account];
        chooser->setCurrentIndex(account);
        QCOMPARE(chooser->itemText(account), expected.nickName);
        QCOMPARE(page.VisibleRowCount(), int(expected.chats.size()));
        QStringList shown;
        QStringList wanted;
        for (int row = 0; row < page.VisibleRowCount(); ++row) {
            shown << page.proxyModel()->index(row, 0).data().toString();
            QCOMPARE(page.proxyModel()->index(row, 1).data().toString(), expected.nickName);
        }
        for (const SampleBackupContent::WeChatChat& chat : expected.chats)
            wanted << chat.name;
        shown.sort();
        wanted.sort();
        QCOMPARE(shown, wanted);
    }
    // Recovery of the second account: its chats, and only its, are written.
    page.tableModel()->CheckAll(Qt::Checked);
    QCOMPARE(page.store()->GetCheckedCount(), unsigned(m_content.weChatAccounts[1].chats.size()));
    FolderCatcher catcher;
    ModalDialogAnswerer answerer;
    answerer.ignore(QStringLiteral("WeChatMessagesPage"));
    answerer.ignore(QStringLiteral("RecoverProgressDialog"));
    answerer.answer(ModalDialogAnswerer::Answer::pressButton(QStringLiteral("btnSetRecover")));
    page.findChild<QPushButton*>(QStringLiteral("btnRecoverToPC"))->click();
    QVERIFY(answerer.waitAnswered(1, kTimeout));
    QVERIFY(QTest::qWaitFor([&] { return catcher.opened.size() == 1; }, kTimeout));
    QCOMPARE(host.recoverResults().last().ok, 1);
    QStringList written = QDir(catcher.opened.first()).entryList({QStringLiteral("*.html")});
    QStringList wanted;
    for (const SampleBackupContent::WeChatChat& chat : m_content.weChatAccounts[1].chats)
        wanted << BackupFixture::ExportName(chat.name + QStringLiteral(".html"));
    written.sort();
    wanted.sort();
    QCOMPARE(written, wanted);
    QVERIFY2(answerer.errors().isEmpty(), qPrintable(answerer.errors().join('\n')));
    page.ClosePlugin();
}

void TestDemoPages::weChatAttachmentsFollowTheAccount()
{
    FakeHost host;
    Prepare(host);
    WeChatAttachmentsPage page(&host, m_dir.filePath(QStringLiteral("work/")));
    Tester tester(page.gridModel(), kFatal);
    QVERIFY(LoadAndWait(page));
    auto* chooser = page.searchBar()->findChild<QComboBox*>(QStringLiteral("weChatcomboBox"));
    QVERIFY(chooser && chooser->isVisibleTo(&page));
    QVERIFY(m_content.weChatAccounts[0].files.size() != m_content.weChatAccounts[1].files.size());
    for (int account : {1, 0}) {
        chooser->setCurrentIndex(account);
        QCOMPARE(page.imageStore()->GetDataCount(false),
                 unsigned(m_content.weChatAccounts[account].files.size()));
    }
    page.ClosePlugin();
}

QTEST_MAIN(TestDemoPages)
#include "tst_demopages.moc"
