#include "demohostwindow.h"

#include "backuplisting.h"
#include "backuplistwidget.h"
#include "backupunlocker.h"
#include "categoryoverview.h"
#include "demoloadcallback.h"
#include "failures/failurenotice.h"
#include "failures/hostfailures.h"
#include "failures/supportcontact.h"
#include "hoststatusbar.h"
#include "pages/demopagefactory.h"
#include "passworddialog.h"
#include "phones/phonecapturebar.h"
#include "phones/phonehost.h"
#include "phones/phonelistwidget.h"

#include "backupdevice.h"
#include "log4qt/logger.h"
#include "phonedevice.h"
#include "plugin/categorypanel.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QLocale>
#include <QMenuBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {
const char kOutputDirKey[] = "output/folder";
const char kGeometryKey[] = "window/geometry";
const char kLastBackupKey[] = "backups/last";
const char kAddedFoldersKey[] = "backups/added";

QString WithSeparator(QString folder)
{
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}
} // namespace

DemoHostWindow::DemoHostWindow(const Options& options, QWidget* parent)
    : QMainWindow(parent), m_options(options), m_mayAsk(false), m_deviceEntry{}
{
    m_options.resourceFolder = WithSeparator(m_options.resourceFolder);
    m_options.pictureFolder = WithSeparator(m_options.pictureFolder);
    m_options.skinFolder = WithSeparator(m_options.skinFolder);
    m_options.workFolder = WithSeparator(m_options.workFolder);
    m_resourceDir = m_options.resourceFolder.toUtf8();
    QDir().mkpath(m_options.workFolder);

    if (m_options.settingsFile.isEmpty())
        m_settings = std::make_unique<QSettings>();
    else
        m_settings = std::make_unique<QSettings>(m_options.settingsFile, QSettings::IniFormat);

    setObjectName(QStringLiteral("DemoHostWindow"));
    setWindowTitle(tr("Backup explorer"));
    // The list's marks are drawn with the skins; any category's folder has them.
    const QString marks = QDir(m_options.skinFolder).filePath(QStringLiteral("contacts"));
    m_pBackupList = new BackupListWidget(marks, this);
    m_pOverview = new CategoryOverview(m_options.skinFolder, this);
    m_pOverview->SetHeading(tr("No backup open"),
                            tr("Choose a backup in the list, or File > Open Backup Folder..."));
    m_pOverview->SetEnabled(false);
    // Phones on the cable above the backups; the open phone's backup line
    // above the overview.
    m_pPhones = new PhoneHost(this, m_options.phoneBackupFolder.isEmpty()
                                        ? m_options.standardFolders.value(0)
                                        : m_options.phoneBackupFolder);
    auto* sources = new QSplitter(Qt::Vertical, this);
    sources->setObjectName(QStringLiteral("sourceSplitter"));
    sources->addWidget(m_pPhones->List());
    sources->addWidget(m_pBackupList);
    sources->setSizes({160, 440});
    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(m_pPhones->Bar());
    rightLayout->addWidget(m_pOverview, 1);
    auto* splitter = new QSplitter(this);
    splitter->setObjectName(QStringLiteral("hostSplitter"));
    splitter->addWidget(sources);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({270, 730});
    // Below the lists, across the window: a failure and what to do about it.
    m_pFailure = new FailureNotice(this);
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(splitter, 1);
    column->addWidget(m_pFailure);
    setCentralWidget(central);

    m_pListing = new BackupListing(this);
    connect(m_pListing, &BackupListing::listed, this, &DemoHostWindow::OnBackupsListed);
    connect(m_pListing, &BackupListing::sized, this, &DemoHostWindow::OnBackupsListed);
    connect(m_pListing, &BackupListing::settled, this, &DemoHostWindow::backupsListed);
    connect(m_pBackupList, &BackupListWidget::openRequested, this,
            [this](const QString& folder) { OpenBackup(folder, true); });
    connect(m_pBackupList, &BackupListWidget::unusableChosen, this,
            [this](const QString& folder, const QString&) {
                for (const BackupSummary& backup : Backups()) {
                    if (backup.folder == folder)
                        m_pFailures->Damaged(backup);
                }
            });
    connect(m_pOverview, &CategoryOverview::categoryActivated, this,
            [this](int type) { OpenCategory(static_cast<MMobile::MDType>(type)); });
    connect(m_pOverview, &CategoryOverview::scanAllRequested, this, &DemoHostWindow::ScanAll);
    connect(m_pPhones->List(), &PhoneListWidget::phoneOpened, this, &DemoHostWindow::OpenPhone);
    connect(m_pPhones->List(), &PhoneListWidget::phonesChanged, this,
            &DemoHostWindow::RefreshRecoveryTarget);

    BuildMenus();
    m_pStatus = new HostStatusBar(statusBar());
    connect(m_pStatus, &HostStatusBar::openRecoveredRequested, this,
            &DemoHostWindow::OpenRecoveredFolder);
    HostFailures::Actions actions;
    actions.unlock = [this] { return UnlockBackup(true); };
    actions.isLocked = [this] {
        return m_device && m_device->IsEncrypted() && !m_device->IsUnlocked();
    };
    actions.currentBackup = [this] { return CurrentBackup(); };
    actions.chooseBackupFolder = [this] { ChooseBackupFolder(); };
    actions.chooseOutputFolder = [this] { ChooseOutputFolder(); };
    actions.openLog = [this] { OpenLogFolder(); };
    m_pFailures = new HostFailures(m_pFailure, std::move(actions), this);
    m_support = std::make_unique<SupportContact>(
        SupportContact::Read(*m_settings, m_options.supportMail, m_options.supportWeb));
    m_support->ApplyToPages();
    m_pFailures->SetHelp(m_support->HelpText(m_options.logFolder));

    if (!restoreGeometry(m_settings->value(QLatin1String(kGeometryKey)).toByteArray()))
        resize(1000, 700);
}

DemoHostWindow::~DemoHostWindow()
{
    SaveGeometry();
    CloseAllPages();
    // After its pages: deleting a phone stops its capture.
    m_pPhones->Close();
}

void DemoHostWindow::BuildMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    QAction* open = file->addAction(tr("&Open Backup Folder..."));
    open->setObjectName(QStringLiteral("actionOpenBackupFolder"));
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, &DemoHostWindow::ChooseBackupFolder);
    QAction* refresh = file->addAction(tr("&Refresh Backup List"));
    refresh->setObjectName(QStringLiteral("actionRefreshBackups"));
    refresh->setShortcut(QKeySequence::Refresh);
    connect(refresh, &QAction::triggered, this, &DemoHostWindow::RefreshBackups);
    QAction* output = file->addAction(tr("Output &Folder..."));
    output->setObjectName(QStringLiteral("actionOutputFolder"));
    connect(output, &QAction::triggered, this, &DemoHostWindow::ChooseOutputFolder);
    file->addSeparator();
    QAction* quit = file->addAction(tr("&Quit"));
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    QAction* openLog = help->addAction(tr("Open &Log"));
    openLog->setObjectName(QStringLiteral("actionOpenLog"));
    connect(openLog, &QAction::triggered, this, &DemoHostWindow::OpenLogFolder);
}

// ---- backups

void DemoHostWindow::Start(bool mayAsk)
{
    m_mayAsk = mayAsk;
    m_pPhones->List()->Start();
    if (!m_options.backupFolder.isEmpty()) {
        AddBackupFolder(m_options.backupFolder, mayAsk);
        return;
    }
    ListBackups([this, mayAsk] {
        const QString last =
            QDir::cleanPath(m_settings->value(QLatin1String(kLastBackupKey)).toString());
        for (const BackupSummary& backup : Backups()) {
            if (backup.folder == last && backup.state == BackupSummary::Ready) {
                OpenBackup(backup.folder, mayAsk);
                return;
            }
        }
        const int found = Backups().size();
        Notify(found ? tr("%1 backup folder(s) listed. Double-click one to open it.").arg(found)
                     : tr("No backup found. Use File > Open Backup Folder... to choose one."));
    });
}

void DemoHostWindow::RefreshBackups()
{
    ListBackups([this] {
        Notify(
            tr("%1 backup folder(s) listed. Double-click one to open it.").arg(Backups().size()));
    });
}

void DemoHostWindow::ListBackups(std::function<void()> then)
{
    if (!m_pListing->IsRunning())
        Notify(tr("Looking for backups ..."));
    m_pListing->List(m_options.standardFolders, AddedFolders() + m_options.knownFolders,
                     std::move(then));
}

void DemoHostWindow::OnBackupsListed(QList<BackupSummary> backups)
{
    const QString sample = QDir::cleanPath(m_options.sampleFolder);
    for (BackupSummary& backup : backups)
        backup.sample = !m_options.sampleFolder.isEmpty() && backup.folder == sample;
    m_pBackupList->SetBackups(backups);
    m_pBackupList->SetCurrentBackup(CurrentBackup());
    // The open backup's size comes with the second list.
    for (const BackupSummary& backup : qAsConst(backups)) {
        if (backup.size >= 0 && backup.state == BackupSummary::Ready &&
            backup.folder == CurrentBackup())
            m_pOverview->SetHeading(backup.Title(), backup.Details());
    }
}

bool DemoHostWindow::IsListing() const
{
    return m_pListing->IsRunning();
}

QList<BackupSummary> DemoHostWindow::Backups() const
{
    return m_pBackupList->Backups();
}

QStringList DemoHostWindow::AddedFolders() const
{
    return m_settings->value(QLatin1String(kAddedFoldersKey)).toStringList();
}

void DemoHostWindow::AddBackupFolder(const QString& folder, bool mayAsk)
{
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    QStringList added = AddedFolders();
    if (!added.contains(clean)) {
        added << clean;
        m_settings->setValue(QLatin1String(kAddedFoldersKey), added);
    }
    ListBackups([this, clean, mayAsk] {
        // The list has read it on its worker thread.
        BackupSummary backup;
        backup.folder = clean;
        for (const BackupSummary& entry : Backups()) {
            if (entry.folder == clean)
                backup = entry;
        }
        if (backup.state == BackupSummary::Ready)
            OpenBackup(clean, mayAsk);
        else if (backup.state == BackupSummary::Damaged || m_pBackupList->ItemOf(clean))
            m_pFailures->Damaged(backup);
        else
            Notify(tr("Backups found in %1 are listed.").arg(QDir::toNativeSeparators(clean)));
    });
}

bool DemoHostWindow::OpenBackup(const QString& folder, bool mayAsk)
{
    const QString clean = QDir::cleanPath(folder);
    if (m_device && m_device->Folder() == clean)
        return UnlockBackup(mayAsk);
    // The list has read it already; a folder not listed is read now.
    BackupSummary backup;
    bool listed = false;
    for (const BackupSummary& entry : Backups()) {
        if (entry.folder == clean) {
            backup = entry;
            listed = true;
        }
    }
    if (!listed)
        backup = BackupSummary::Read(clean);
    if (backup.state != BackupSummary::Ready) {
        m_pFailures->Damaged(backup);
        return false;
    }
    m_pFailures->Clear();
    CloseAllPages();
    m_pPhones->Close();
    m_scans.Reset();
    ShowSkipped();
    m_device = std::make_unique<BackupDevice>(clean);
    m_deviceEntry.pDevice = m_pPhones->Target();
    // Written by QSettings soon after, not while the backup opens.
    m_settings->setValue(QLatin1String(kLastBackupKey), clean);
    m_pBackupList->SetCurrentBackup(clean);
    m_pOverview->Reset();
    m_pOverview->SetHeading(backup.Title(), backup.Details());
    m_pOverview->SetEnabled(true);
    setWindowTitle(tr("Backup explorer - %1").arg(backup.Title()));
    logger()->info(QStringLiteral("Opened the backup %1").arg(clean));
    Notify(tr("%1 is open. Double-click a category, or scan all.").arg(backup.Title()));
    const bool readable = UnlockBackup(mayAsk);
    emit backupOpened(clean);
    return readable;
}

void DemoHostWindow::OpenPhone(const PhoneInfo& phone)
{
    CloseAllPages();
    m_scans.Reset();
    ShowSkipped();
    m_device.reset();
    m_pBackupList->clearSelection();
    m_pPhones->Open(phone);
    m_deviceEntry.pDevice = m_pPhones->Target();
    const QString title = phone.ShownName();
    m_pOverview->Reset();
    m_pOverview->SetHeading(title, tr("%1, iOS %2. Scanning a category first backs the phone up "
                                      "into %3.")
                                       .arg(phone.productType, phone.productVersion,
                                            QDir::toNativeSeparators(m_pPhones->BackupFolder())));
    m_pOverview->SetEnabled(true);
    setWindowTitle(tr("Backup explorer - %1").arg(title));
    logger()->info(QStringLiteral("Opened the phone %1").arg(QString::fromLatin1(phone.udid)));
    Notify(tr("%1 is open. Double-click a category, or scan all: the phone is backed up first.")
               .arg(title));
}

void DemoHostWindow::RefreshRecoveryTarget()
{
    m_deviceEntry.pDevice = m_pPhones->Target();
    // The pages' device buttons follow the phones on the cable.
    for (CategoryPanel* page : qAsConst(m_pages))
        page->UpdateRecoverState();
}

MMobile::IDevice* DemoHostWindow::PageDevice() const
{
    if (m_device)
        return m_device.get();
    return m_pPhones->Device();
}

QString DemoHostWindow::CurrentBackup() const
{
    return m_device ? m_device->Folder() : QString();
}

bool DemoHostWindow::UnlockBackup(bool mayAsk)
{
    if (!m_device || !m_device->IsEncrypted() || m_device->IsUnlocked())
        return m_device != nullptr;
    if (m_options.password.isEmpty()) {
        if (!mayAsk) {
            Notify(tr("The backup is encrypted and no password was given."), true);
            return false;
        }
        PasswordDialog dialog(*m_device, this);
        if (dialog.exec() != QDialog::Accepted) {
            Notify(tr("The backup stays locked: its categories cannot be read."), true);
            return false;
        }
    } else {
        Notify(tr("Checking the backup password ..."));
        const int result = BackupUnlocker::UnlockAndWait(*m_device, m_options.password);
        if (result == BackupDevice::UNLOCK_WRONG_PASSWORD) {
            Notify(tr("Wrong password"), true);
            return false;
        }
        if (result != BackupDevice::UNLOCK_OK) {
            Notify(tr("The backup's keys are damaged: %1").arg(m_device->UnlockError()), true);
            return false;
        }
    }
    Notify(tr("The backup is unlocked. Double-click a category to scan it."));
    return true;
}

void DemoHostWindow::ChooseBackupFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, tr("Open Backup Folder"), QFileInfo(CurrentBackup()).absolutePath());
    if (!folder.isEmpty())
        AddBackupFolder(folder, true);
}

// ---- pages

void DemoHostWindow::CloseAllPages()
{
    // Out of the table first, so that their closing notice finds nothing to free.
    const QList<CategoryPanel*> pages = m_pages.values() + m_closedPages;
    m_pages.clear();
    m_closedPages.clear();
    for (CategoryPanel* page : pages)
        page->Free();
    qDeleteAll(m_callbacks);
    m_callbacks.clear();
}

CategoryPanel* DemoHostWindow::OpenCategory(MMobile::MDType type, bool show)
{
    if (CategoryPanel* open = Page(type)) {
        if (show) {
            open->show();
            open->raise();
        }
        return open;
    }
    if (!PageDevice())
        return nullptr;
    // A locked backup's scan could only end with its backup error.
    if (m_device && m_device->IsEncrypted() && !m_device->IsUnlocked() &&
        !UnlockBackup(m_mayAsk && show && m_options.password.isEmpty())) {
        m_pFailures->Locked();
        return nullptr;
    }
    CategoryPanel* page = DemoPageFactory::Create(this, type, m_options.workFolder);
    if (!page)
        return nullptr;
    // The host's own buttons keep working while a page is open.
    page->setWindowModality(Qt::NonModal);
    delete m_callbacks.take(int(type));
    auto* callback = new DemoLoadCallback(this, type);
    m_callbacks.insert(int(type), callback);
    m_scans.Begin(type);
    m_pages.insert(int(type), page);
    if (!page->Load(PageDevice(), callback)) {
        m_pages.remove(int(type));
        m_scans.Fail(type);
        m_pOverview->SetCounts(type, -1, 0);
        Notify(tr("%1: the scan could not start").arg(DemoPageFactory::Title(type)), true);
        page->Free();
        return nullptr;
    }
    m_pOverview->SetScanning(type, 0);
    Notify(tr("Scanning %1 ...").arg(DemoPageFactory::Title(type)));
    if (show) {
        m_report.Snapshot(QString::fromUtf8(GetOutputDir()));
        page->show();
    }
    return page;
}

void DemoHostWindow::ScanAll()
{
    // Neither scanned yet nor scanning in an open page.
    QVector<MMobile::MDType> queue;
    for (MMobile::MDType type : DemoPageFactory::Categories()) {
        if (!m_scans.Counted(type) && !Page(type))
            queue << type;
    }
    m_scans.Queue(queue);
    if (m_device && m_device->IsEncrypted() && !m_device->IsUnlocked() &&
        !UnlockBackup(m_mayAsk && m_options.password.isEmpty())) {
        m_scans.ClearQueue();
        m_pFailures->Locked();
        return;
    }
    if (m_scans.Total() == 0) {
        Notify(tr("Every category is scanned."));
        return;
    }
    logger()->info(QStringLiteral("Scanning %1 categories in the background").arg(m_scans.Total()));
    ScanNext();
}

bool DemoHostWindow::ScanAllRunning() const
{
    return m_scans.Running();
}

void DemoHostWindow::ScanNext()
{
    m_scans.SetCurrent(-1);
    while (m_scans.HasQueued()) {
        const MMobile::MDType type = m_scans.TakeNext();
        m_pOverview->SetOverallProgress(m_scans.Done(), m_scans.Total(), 0);
        if (OpenCategory(type, false)) {
            m_scans.SetCurrent(int(type));
            return;
        }
    }
    m_pOverview->SetOverallProgress(m_scans.Total(), m_scans.Total(), 0);
    Notify(tr("All categories scanned: %1 items, %2 deleted")
               .arg(m_scans.TotalItems())
               .arg(m_scans.TotalDeleted()));
}

CategoryPanel* DemoHostWindow::Page(MMobile::MDType type) const
{
    return m_pages.value(int(type), nullptr);
}

void DemoHostWindow::CloseCategory(MMobile::MDType type)
{
    if (CategoryPanel* page = Page(type))
        page->ClosePlugin();
}

bool DemoHostWindow::ScanEnded(MMobile::MDType type) const
{
    return m_scans.Ended(type);
}

int DemoHostWindow::ScanStatus(MMobile::MDType type) const
{
    return m_scans.Status(type);
}

int DemoHostWindow::ItemCount(MMobile::MDType type) const
{
    return m_scans.Items(type);
}

int DemoHostWindow::DeletedCount(MMobile::MDType type) const
{
    return m_scans.Deleted(type);
}

QString DemoHostWindow::StatusText() const
{
    return m_pStatus->Text();
}

QString DemoHostWindow::LogFolder() const
{
    return m_options.logFolder;
}

QString DemoHostWindow::OutputDir() const
{
    return m_settings->value(QLatin1String(kOutputDirKey)).toString();
}

void DemoHostWindow::ChooseOutputFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this, tr("Output Folder"),
                                                             QString::fromUtf8(GetOutputDir()));
    if (folder.isEmpty())
        return;
    SetOutputDir(QDir::toNativeSeparators(folder).toUtf8().constData());
    Notify(tr("Recovered data goes to %1").arg(QDir::toNativeSeparators(folder)));
}

void DemoHostWindow::OpenRecoveredFolder()
{
    if (!m_lastRecoveryFolder.isEmpty())
        ShowFolder(m_lastRecoveryFolder);
}

void DemoHostWindow::ShowFolder(const QString& folder)
{
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        return;
    Notify(tr("No file manager could be started. The folder is %1")
               .arg(QDir::toNativeSeparators(folder)),
           true);
}

void DemoHostWindow::closeEvent(QCloseEvent* event)
{
    SaveGeometry();
    QMainWindow::closeEvent(event);
}

void DemoHostWindow::SaveGeometry()
{
    m_settings->setValue(QLatin1String(kGeometryKey), saveGeometry());
    m_settings->sync();
}

// ---- IUIPluginSetting

QWidget* DemoHostWindow::GetParentWidget()
{
    // Pages are windows of their own: a parent would keep them inside this one.
    return nullptr;
}

const char* DemoHostWindow::GetOutputDir()
{
    QString dir = OutputDir();
    if (dir.isEmpty())
        dir = QDir(QDir::homePath()).filePath(QStringLiteral("Recovered"));
    m_outputDir = QDir::toNativeSeparators(dir).toUtf8();
    return m_outputDir.constData();
}

void DemoHostWindow::SetOutputDir(const char* dir)
{
    const QString folder = dir ? QString::fromUtf8(dir) : QString();
    m_settings->setValue(QLatin1String(kOutputDirKey), folder);
    m_settings->sync();
    // Set just before a recovery writes: what is there now is not its work.
    m_report.Snapshot(folder);
}

const char* DemoHostWindow::GetSkinDir(int type)
{
    if (type == -1)
        return m_resourceDir.constData();
    const QString skin = m_options.skinFolder.isEmpty()
                             ? QString()
                             : m_options.skinFolder +
                                   CategoryOverview::SkinKey(MMobile::MDType(type)) +
                                   QLatin1Char('/');
    m_skinDir = (!skin.isEmpty() && QDir(skin).exists() ? skin : m_options.pictureFolder).toUtf8();
    return m_skinDir.constData();
}

DeviceEntry* DemoHostWindow::GetDeviceList(unsigned int* count)
{
    // Only a phone on the cable takes recovered items: a backup cannot. With
    // none, the one entry is empty, which the pages read as "connect one".
    if (count)
        *count = 1;
    return &m_deviceEntry;
}

void DemoHostWindow::OnPluginClose(MMobile::MDType type)
{
    CategoryPanel* page = m_pages.take(int(type));
    if (!page)
        return;
    Notify(tr("%1 closed").arg(DemoPageFactory::Title(type)));
    // Closed mid-scan: it was not scanned, and its late reports are dropped.
    if (!ScanEnded(type)) {
        m_scans.Stop(type);
        m_pOverview->SetNotScanned(type);
        if (int(type) == m_scans.Current())
            QTimer::singleShot(0, this, [this] { ScanNext(); });
    }
    // The page is still inside its own closing code: free it afterwards.
    m_closedPages.append(page);
    QTimer::singleShot(0, this, [this, page] {
        if (m_closedPages.removeOne(page))
            page->Free();
    });
}

void DemoHostWindow::OnOperationFailed(MMobile::MDType type)
{
    Notify(tr("%1: the operation failed").arg(DemoPageFactory::Title(type)), true);
}

void DemoHostWindow::OnRecoverResult(int mode, MMobile::MDType type, int ok)
{
    const QString name = DemoPageFactory::Title(type);
    if (mode == MMobile::RECOVER_TO_PC && ok) {
        const RecoveryReport::Written written = m_report.Compare();
        m_lastRecoveryFolder = written.commonFolder;
        m_lastRecoveryText = tr("%1: %2 file(s), %3, written to %4")
                                 .arg(name)
                                 .arg(written.files.size())
                                 .arg(QLocale().formattedDataSize(written.bytes))
                                 .arg(QDir::toNativeSeparators(written.commonFolder));
        logger()->info(m_lastRecoveryText + QStringLiteral(": ") +
                       written.files.join(QStringLiteral(", ")));
        Notify(m_lastRecoveryText);
        m_pStatus->SetRecovery(tr("Last recovery: %1 file(s), %2")
                                   .arg(written.files.size())
                                   .arg(QLocale().formattedDataSize(written.bytes)),
                               m_lastRecoveryText, !written.files.isEmpty());
        m_report.Snapshot(m_report.Folder());
    } else if (ok) {
        Notify(tr("%1 recovered to a device").arg(name));
    } else if (mode == MMobile::RECOVER_TO_PC) {
        const BackupDevice::ExportFailure failure =
            m_device ? m_device->LastExportFailure(type) : BackupDevice::ExportFailure();
        m_pFailures->RecoveryFailed(mode, name, QString::fromUtf8(GetOutputDir()), failure.reason,
                                    failure.complete);
    } else {
        m_pFailures->RecoveryFailed(mode, name, QString::fromUtf8(GetOutputDir()));
    }
    emit recoverResult(mode, int(type), ok);
}

// ---- scan reports from the load callbacks

void DemoHostWindow::OnPageScanEnded(int type, int status)
{
    // Queued once more: the page's own end-of-scan slot was posted after this
    // report, and the count is only right once it has run.
    QTimer::singleShot(0, this, [this, type, status] {
        const auto category = static_cast<MMobile::MDType>(type);
        // A report of a page of the backup open before: its callback is gone.
        if (!m_callbacks.contains(type))
            return;
        CategoryPanel* page = Page(category);
        // The end of a scan whose page was closed before: it stays not scanned.
        if (!page)
            return;
        const bool complete = status == MMobile::TASK_COMPLETE;
        const int skipped = m_device && complete ? m_device->SkippedCount(category) : 0;
        m_scans.End(category, status, int(page->GetDataCount()),
                    complete ? ScanLedger::DeletedItems(page) : 0, skipped);
        const QString name = DemoPageFactory::Title(category);
        ShowSkipped();
        if (complete) {
            m_pOverview->SetCounts(category, ItemCount(category), DeletedCount(category));
            const QString found = tr("%1: %2 item(s) found, %3 deleted")
                                      .arg(name)
                                      .arg(ItemCount(category))
                                      .arg(DeletedCount(category));
            Notify(skipped > 0 ? tr("%1, %2 damaged record(s) skipped").arg(found).arg(skipped)
                               : found);
        } else {
            m_pOverview->SetCounts(category, -1, 0);
            Notify(tr("%1: the scan ended without data (status %2)").arg(name).arg(status), true);
        }
        emit scanEnded(type, status);
        if (type == m_scans.Current())
            ScanNext();
    });
}

void DemoHostWindow::OnPageScanPercent(int type, int percent)
{
    const auto category = MMobile::MDType(type);
    if (!m_callbacks.contains(type) || ScanEnded(category))
        return;
    m_pOverview->SetScanning(category, percent);
    if (type == m_scans.Current())
        m_pOverview->SetOverallProgress(m_scans.Done(), m_scans.Total(), percent);
    m_pStatus->SetText(
        tr("Scanning %1 ... %2%").arg(DemoPageFactory::Title(category)).arg(percent));
}

// The scans' skipped records, all categories together: a plain count in the
// status bar that stays while the status line moves on, per category in its
// tool tip.
void DemoHostWindow::ShowSkipped()
{
    int total = 0;
    QStringList lines;
    for (MMobile::MDType type : DemoPageFactory::Categories()) {
        const int skipped = qMax(0, m_scans.Skipped(type));
        if (skipped > 0)
            lines << tr("%1: %2").arg(DemoPageFactory::Title(type)).arg(skipped);
        total += skipped;
    }
    m_pStatus->SetSkipped(total, lines.join(QLatin1Char('\n')));
}

int DemoHostWindow::SkippedCount(MMobile::MDType type) const
{
    return m_scans.Skipped(type);
}

QString DemoHostWindow::SkippedText() const
{
    return m_pStatus->SkippedText();
}

void DemoHostWindow::OpenLogFolder()
{
    ShowFolder(m_options.logFolder);
}

void DemoHostWindow::OnPageScanAborted(int type)
{
    const auto category = MMobile::MDType(type);
    if (!m_callbacks.contains(type) || ScanEnded(category))
        return;
    m_scans.Stop(category);
    m_pOverview->SetCounts(category, -1, 0);
    // Left open, the page would spin for good.
    CloseCategory(category);
    const bool background = ScanAllRunning();
    m_scans.StopAll();
    m_pOverview->SetOverallProgress(0, 0, 0);
    Notify(background
               ? tr("Scan All stopped: the backup could not be read")
               : tr("%1: the backup could not be read").arg(DemoPageFactory::Title(category)),
           true);
    // What is wrong with the backup, said once; found off the GUI thread.
    m_pFailures->ScanAborted(CurrentBackup());
    emit scanEnded(type, MMobile::TASK_STOP);
}

void DemoHostWindow::Notify(const QString& text, bool error)
{
    m_pStatus->SetText(text);
    if (error)
        logger()->error(text);
    else
        logger()->info(text);
}
