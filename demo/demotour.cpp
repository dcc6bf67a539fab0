#include "demotour.h"

#include "backuplistwidget.h"
#include "categoryoverview.h"
#include "deletedmarkstour.h"
#include "demohostwindow.h"
#include "failures/failuretour.h"
#include "pages/demopagefactory.h"
#include "pages/demophotopage.h"
#include "pages/demotablepage.h"
#include "pages/reminderspage.h"

#include "plugin/categorypanel.h"
#include "store/imageitemlist.h"
#include "store/taskitem.h"
#include "views/mysortfilterproxymodel.h"
#include "views/mytableview.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QRegularExpression>
#include <QSet>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>

DemoTour::DemoTour(DemoHostWindow* host, const Options& options)
    : m_host(host), m_options(options), m_recovering(false)
{
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openFolder");
}

DemoTour::~DemoTour()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

void DemoTour::openFolder(const QUrl& url)
{
    m_openedFolder = url.toLocalFile();
}

template <class Predicate> bool DemoTour::WaitFor(Predicate done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

DemoTour::Summary DemoTour::Run()
{
    m_summary = Summary();
    if (!QDir().mkpath(m_options.screenshotFolder))
        m_summary.errors << QStringLiteral("cannot make %1").arg(m_options.screenshotFolder);
    if (!OpenFromList() || !ScanAllAndShowOverview())
        return m_summary;
    int number = 1;
    for (MMobile::MDType type : DemoPageFactory::Categories()) {
        CategoryPanel* page = OpenAndWait(type);
        if (!page) {
            ++number;
            continue;
        }
        Screenshot(page, number++, type);
        if (m_host->DeletedCount(type) > 0)
            WalkDeletedMarks(page, type);
        if (type == MMobile::MD_MESSAGE)
            ShowDeletedThread(qobject_cast<DemoTablePage*>(page));
        if (type == m_options.searchCategory) {
            GrabButtons(page);
            if (auto* table = qobject_cast<DemoTablePage*>(page))
                SearchTickRecover(table);
            else
                m_summary.errors << QStringLiteral("the search category has no table");
        }
        m_host->CloseCategory(type);
        QCoreApplication::processEvents();
    }
    // The host with the counts of every category and the recovery's report.
    SaveHostShot(QStringLiteral("host.png"));
    FailureTour failures(m_host, m_options.screenshotFolder, m_options.scanTimeoutMs);
    failures.Run(&m_summary.failureNotices, &m_summary.screenshots, &m_summary.errors);
    return m_summary;
}

bool DemoTour::SaveHostShot(const QString& name)
{
    QCoreApplication::processEvents();
    const QString file = QDir(m_options.screenshotFolder).filePath(name);
    if (!m_host->grab().save(file)) {
        m_summary.errors << QStringLiteral("cannot save %1").arg(file);
        return false;
    }
    m_summary.screenshots << file;
    return true;
}

bool DemoTour::OpenFromList()
{
    BackupListWidget* list = m_host->BackupList();
    if (!WaitFor([this] { return !m_host->IsListing(); }, m_options.scanTimeoutMs)) {
        m_summary.errors << QStringLiteral("the backup list did not come");
        return false;
    }
    SaveHostShot(QStringLiteral("backups.png"));
    if (m_host->CurrentBackup().isEmpty()) {
        // As a user would: the first backup of the list that can be opened.
        for (const BackupSummary& backup : list->Backups()) {
            if (backup.state != BackupSummary::Ready)
                continue;
            QListWidgetItem* item = list->ItemOf(backup.folder);
            list->setCurrentItem(item);
            emit list->itemActivated(item);
            break;
        }
    }
    m_summary.backupFolder = m_host->CurrentBackup();
    if (m_summary.backupFolder.isEmpty()) {
        m_summary.errors << QStringLiteral("no backup in the list could be opened");
        return false;
    }
    return true;
}

// The items a page has ticked, whichever store it keeps them in.
int DemoTour::TickedCount(CategoryPanel* page)
{
    const TaskItem* store = nullptr;
    if (auto* files = qobject_cast<DemoPhotoPage*>(page))
        store = files->imageStore();
    else if (auto* table = qobject_cast<DemoTablePage*>(page))
        store = table->store();
    else if (auto* reminders = qobject_cast<RemindersPage*>(page))
        store = reminders->store();
    return store ? int(store->GetCheckedCount()) : -1;
}

bool DemoTour::ScanAllAndShowOverview()
{
    auto* scanAll = m_host->findChild<QAbstractButton*>(QStringLiteral("btnScanAll"));
    if (!scanAll) {
        m_summary.errors << QStringLiteral("no Scan All button");
        return false;
    }
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, this, &DemoTour::AnswerDialogs);
    answerer.start(50);
    scanAll->click();
    const auto allEnded = [this] {
        if (m_host->ScanAllRunning())
            return false;
        for (MMobile::MDType type : DemoPageFactory::Categories()) {
            if (!m_host->ScanEnded(type))
                return false;
        }
        return true;
    };
    const bool ended = WaitFor(allEnded, m_options.scanTimeoutMs);
    answerer.stop();
    for (MMobile::MDType type : DemoPageFactory::Categories()) {
        m_summary.itemCounts.insert(int(type), m_host->ItemCount(type));
        m_summary.deletedCounts.insert(int(type), m_host->DeletedCount(type));
        m_summary.scanStatus.insert(int(type), m_host->ScanStatus(type));
        m_summary.overviewTexts << m_host->Overview()->ItemText(type);
        if (CategoryPanel* page = m_host->Page(type)) {
            m_summary.firstTicks.insert(int(type), TickedCount(page));
            if (auto* note = page->findChild<QLabel*>(QStringLiteral("firstTickNote")))
                m_summary.tickNotes.insert(int(type), note->text());
        }
    }
    if (!ended) {
        m_summary.errors << QStringLiteral("the background scan did not end in time");
        return false;
    }
    return SaveHostShot(QStringLiteral("overview.png"));
}

void DemoTour::GrabButtons(CategoryPanel* page)
{
    // The frame's title bar has a close button too: look in the recover bar.
    QWidget* bar = nullptr;
    for (QWidget* child : page->findChildren<QWidget*>()) {
        if (child->inherits("RecoverButtonBar"))
            bar = child;
    }
    for (const char* name : {"btnRecoverToPC", "btnRecoverToDevice", "btnClose"}) {
        auto* button = bar ? bar->findChild<QAbstractButton*>(QLatin1String(name)) : nullptr;
        if (button) {
            // Without a phone the device button is disabled: its skin is
            // recorded as it looks when usable.
            const bool enabled = button->isEnabled();
            button->setEnabled(true);
            m_summary.buttonImages.insert(QLatin1String(name), button->grab().toImage());
            button->setEnabled(enabled);
        } else
            m_summary.errors << QStringLiteral("no button %1").arg(QLatin1String(name));
    }
}

CategoryPanel* DemoTour::OpenAndWait(MMobile::MDType type)
{
    const QString name = DemoPageFactory::DisplayName(type);
    CategoryPanel* page = m_host->OpenCategory(type);
    if (!page) {
        m_summary.itemCounts.insert(int(type), -1);
        m_summary.scanStatus.insert(int(type), m_host->ScanStatus(type));
        m_summary.errors << QStringLiteral("%1: the page did not load").arg(name);
        return nullptr;
    }
    // A backup error opens a message on the page; the timer answers it.
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, this, &DemoTour::AnswerDialogs);
    answerer.start(50);
    const bool ended = WaitFor([&] { return m_host->ScanEnded(type); }, m_options.scanTimeoutMs);
    answerer.stop();
    m_summary.scanStatus.insert(int(type), m_host->ScanStatus(type));
    m_summary.itemCounts.insert(int(type), m_host->ItemCount(type));
    if (!ended) {
        m_summary.errors << QStringLiteral("%1: the scan did not end in time").arg(name);
        return nullptr;
    }
    if (m_host->ScanStatus(type) != MMobile::TASK_COMPLETE)
        m_summary.errors << QStringLiteral("%1: the scan ended with status %2")
                                .arg(name)
                                .arg(m_host->ScanStatus(type));
    // The page may have closed itself after an error.
    return m_host->Page(type);
}

void DemoTour::SelectFirstItem(CategoryPanel* page)
{
    // Whatever the page shows its items in; the detail pane follows the current item.
    auto* view = page->findChild<QAbstractItemView*>(QStringLiteral("tableView"));
    if (!view)
        view = page->findChild<QAbstractItemView*>(QStringLiteral("treeView"));
    if (!view)
        view = page->findChild<QAbstractItemView*>(QStringLiteral("photoGrid"));
    QAbstractItemModel* model = view ? view->model() : nullptr;
    if (!model || model->rowCount() == 0)
        return;
    QModelIndex first = model->index(0, 0);
    if (model->hasChildren(first))
        first = model->index(0, 0, first);
    else if (model->rowCount() > 1 && first.data(Qt::UserRole).toBool())
        first = model->index(1, 0); // a day title of the photo grid
    view->setCurrentIndex(first);
}

bool DemoTour::Screenshot(CategoryPanel* page, int number, MMobile::MDType type)
{
    page->show();
    SelectFirstItem(page);
    QCoreApplication::processEvents();
    const QString file =
        QDir(m_options.screenshotFolder)
            .filePath(QStringLiteral("%1-%2.png")
                          .arg(number, 2, 10, QLatin1Char('0'))
                          .arg(DemoPageFactory::DisplayName(type).toLower().replace(
                              QLatin1Char(' '), QLatin1Char('-'))));
    if (!page->grab().save(file)) {
        m_summary.errors << QStringLiteral("cannot save %1").arg(file);
        return false;
    }
    m_summary.screenshots << file;
    return true;
}

void DemoTour::WalkDeletedMarks(CategoryPanel* page, MMobile::MDType type)
{
    // The pictures of the pages the deleted marks came to last.
    const bool shot = type == MMobile::MD_PHOTO || type == MMobile::MD_REMINDER;
    const QString file =
        QDir(m_options.screenshotFolder)
            .filePath(CategoryOverview::SkinKey(type) + QStringLiteral("-deleted.png"));
    const DeletedMarksTour::Seen seen = DeletedMarksTour::Walk(page, shot ? file : QString());
    m_summary.deletedShown.insert(int(type), seen.shown);
    m_summary.deletedMarked.insert(int(type), seen.marked);
    if (seen.saved)
        m_summary.screenshots << file;
    const QString name = DemoPageFactory::Title(type);
    if (seen.shown != m_host->DeletedCount(type))
        m_summary.errors << QStringLiteral("%1: the switch shows %2 items, not the %3 deleted")
                                .arg(name)
                                .arg(seen.shown)
                                .arg(m_host->DeletedCount(type));
    if (seen.marked != seen.shown)
        m_summary.errors << QStringLiteral("%1: %2 of %3 deleted items unmarked")
                                .arg(name)
                                .arg(seen.shown - seen.marked)
                                .arg(seen.shown);
}

void DemoTour::ShowDeletedThread(DemoTablePage* page)
{
    if (!page || !page->findChild<QWidget*>(QStringLiteral("btnOnlyShowDelete"))) {
        m_summary.errors << QStringLiteral("Messages: no only-deleted switch");
        return;
    }
    // One row per conversation: no two rows with the same people.
    QSet<QString> people;
    QAbstractItemModel* rows = page->proxyModel();
    for (int row = 0; row < rows->rowCount(); ++row) {
        const QString who = rows->index(row, 1).data().toString() + QLatin1Char('|') +
                            rows->index(row, 2).data().toString();
        // People whose numbers were lost tell no two conversations apart.
        if (who.size() > 1 && people.contains(who))
            m_summary.errors << QStringLiteral("Messages: %1 is listed twice").arg(who);
        people.insert(who);
    }
    DeletedMarksTour::PressSwitch(page);
    m_summary.deletedConversations = page->VisibleRowCount();
    page->tableView()->setCurrentIndex(page->proxyModel()->index(0, 1));
    QCoreApplication::processEvents();
    // The thread's own words for a mark, in the language shown.
    const QString mark =
        QCoreApplication::translate("DetailFormatter", "Deleted, found in %1").arg(QString());
    m_summary.deletedMarks = page->detailPane()->toPlainText().count(mark);
    const QString shot =
        QDir(m_options.screenshotFolder).filePath(QStringLiteral("messages-deleted.png"));
    if (page->grab().save(shot))
        m_summary.screenshots << shot;
    if (m_summary.deletedConversations > 0 && m_summary.deletedMarks <= 0)
        m_summary.errors << QStringLiteral("Messages: a deleted conversation's thread marks none "
                                           "of its messages");
    DeletedMarksTour::PressSwitch(page);
}

QString DemoTour::PickKeyword(DemoTablePage* page) const
{
    // The longest word of the first row's second column: found at least once,
    // and seldom in every record.
    const QModelIndex first = page->proxyModel()->index(0, 1);
    const QStringList words = first.data().toString().split(
        QRegularExpression(QStringLiteral("[^\\w]+")), Qt::SkipEmptyParts);
    QString best;
    for (const QString& word : words) {
        if (word.size() > best.size())
            best = word;
    }
    return best;
}

void DemoTour::SearchTickRecover(DemoTablePage* page)
{
    m_summary.rowsBeforeSearch = page->VisibleRowCount();
    m_summary.keyword = m_options.keyword.isEmpty() ? PickKeyword(page) : m_options.keyword;
    auto* field = page->findChild<QLineEdit*>(QStringLiteral("filterLineEdit"));
    if (!field || m_summary.keyword.isEmpty()) {
        m_summary.errors << QStringLiteral("no search field or no keyword");
        return;
    }
    // As if typed: the bar reports every change of the text.
    field->setText(m_summary.keyword);
    QCoreApplication::processEvents();
    m_summary.rowsAfterSearch = page->VisibleRowCount();
    const QString shot = QDir(m_options.screenshotFolder)
                             .filePath(QStringLiteral("search-%1.png").arg(m_summary.keyword));
    if (page->grab().save(shot))
        m_summary.screenshots << shot;

    // Start from nothing ticked, through the header's check-all box.
    auto* checkAll = page->findChild<QAbstractButton*>(QStringLiteral("checkAllBox"));
    for (int i = 0; i < 2 && checkAll && page->store()->GetCheckedCount() > 0; ++i)
        checkAll->click();
    if (page->store()->GetCheckedCount() != 0) {
        m_summary.errors << QStringLiteral("the check-all box did not untick the rows");
        return;
    }
    MySortFilterProxyModel* proxy = page->proxyModel();
    for (int row = 0; row < proxy->rowCount() && m_summary.tickedRows.size() < m_options.tickCount;
         ++row) {
        proxy->setData(proxy->index(row, 0), int(Qt::Checked), Qt::CheckStateRole);
        m_summary.tickedRows << proxy->index(row, 0).data().toString();
    }

    // The recover bar's computer button; the folder dialog is answered by the timer.
    auto* recover = page->findChild<QAbstractButton*>(QStringLiteral("btnRecoverToPC"));
    if (!recover) {
        m_summary.errors << QStringLiteral("no recover button");
        return;
    }
    m_openedFolder.clear();
    m_recovering = true;
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, this, &DemoTour::AnswerDialogs);
    answerer.start(50);
    bool done = false;
    int ok = 0;
    QMetaObject::Connection result =
        connect(m_host, &DemoHostWindow::recoverResult, this, [&](int, int, int success) {
            done = true;
            ok = success;
        });
    recover->click();
    if (!WaitFor([&] { return done; }, m_options.scanTimeoutMs))
        m_summary.errors << QStringLiteral("the recovery did not end in time");
    else if (!ok)
        m_summary.errors << QStringLiteral("the recovery failed");
    // The folder is opened right after the host hears of the result.
    WaitFor([&] { return !m_openedFolder.isEmpty(); }, 5000);
    disconnect(result);
    answerer.stop();
    m_recovering = false;

    m_summary.recoveredFolder = m_openedFolder;
    m_summary.recoveryText = m_host->LastRecoveryText();
    if (!m_openedFolder.isEmpty()) {
        QDirIterator files(m_openedFolder, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            files.next();
            ++m_summary.recoveredFiles;
        }
    }
}

void DemoTour::AnswerDialogs()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    // The folder dialog: our folder, then Recover.
    if (auto* path = modal->findChild<QLineEdit*>(QStringLiteral("editOutputPath"))) {
        auto* accept = modal->findChild<QAbstractButton*>(QStringLiteral("btnSetRecover"));
        if (m_recovering && accept) {
            path->setText(QDir::toNativeSeparators(m_options.recoverFolder));
            accept->click();
            return;
        }
    }
    // A message: note it and press OK (for a locked device that is Retry's place).
    if (modal->inherits("MyMessageDailog")) {
        const QList<QAbstractButton*> buttons = modal->findChildren<QAbstractButton*>();
        for (QAbstractButton* button : buttons) {
            if (button->isVisible() && button->isEnabled() &&
                button->objectName().contains(QStringLiteral("ok"), Qt::CaseInsensitive)) {
                const QLabel* text = modal->findChild<QLabel*>(QStringLiteral("lblMessage"));
                m_summary.errors << QStringLiteral("message: %1")
                                        .arg(text ? text->text() : modal->windowTitle());
                button->click();
                return;
            }
        }
    }
}

QString DemoTour::Summary::ToText() const
{
    QString text =
        QStringLiteral("Tour summary\nBackup: %1\n").arg(QDir::toNativeSeparators(backupFolder));
    for (MMobile::MDType type : DemoPageFactory::Categories()) {
        if (!itemCounts.contains(int(type)))
            continue;
        const int status = scanStatus.value(int(type));
        const int deleted = deletedCounts.value(int(type));
        text += QStringLiteral("  %1: %2 item(s)%3%4\n")
                    .arg(DemoPageFactory::DisplayName(type), -22)
                    .arg(itemCounts.value(int(type)))
                    .arg(deleted > 0 ? QStringLiteral(", %1 deleted").arg(deleted) : QString())
                    .arg(status == MMobile::TASK_COMPLETE
                             ? QString()
                             : QStringLiteral(" (scan status %1)").arg(status));
    }
    text += QStringLiteral("Search \"%1\": %2 row(s) before, %3 after\n")
                .arg(keyword)
                .arg(rowsBeforeSearch)
                .arg(rowsAfterSearch);
    text += QStringLiteral("Ticked %1 row(s): %2\n")
                .arg(tickedRows.size())
                .arg(tickedRows.join(QStringLiteral("; ")));
    text += QStringLiteral("Recovered %1 file(s) into %2\n")
                .arg(recoveredFiles)
                .arg(QDir::toNativeSeparators(recoveredFolder));
    if (!recoveryText.isEmpty())
        text += recoveryText + QLatin1Char('\n');
    for (const QString& notice : failureNotices)
        text += QStringLiteral("Failure path %1\n").arg(notice);
    if (!screenshots.isEmpty())
        text += QStringLiteral("%1 screenshot(s) in %2\n")
                    .arg(screenshots.size())
                    .arg(QDir::toNativeSeparators(QFileInfo(screenshots.first()).absolutePath()));
    for (const QString& error : errors)
        text += QStringLiteral("Problem: %1\n").arg(error);
    text += ok() ? QStringLiteral("Tour complete\n") : QStringLiteral("Tour FAILED\n");
    return text;
}
