#include "demohostwindow.h"

#include "backupunlocker.h"
#include "demoloadcallback.h"
#include "pages/demopagefactory.h"
#include "passworddialog.h"

#include "backupdevice.h"
#include "log4qt/logger.h"
#include "log4qt/propertyconfigurator.h"
#include "plugin/categorypanel.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {
const char kOutputDirKey[] = "output/folder";

QString WithSeparator(QString folder)
{
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}
} // namespace

DemoHostWindow::DemoHostWindow(const Options& options, QWidget* parent)
    : QMainWindow(parent), m_options(options), m_deviceEntry{}
{
    m_options.resourceFolder = WithSeparator(m_options.resourceFolder);
    m_options.pictureFolder = WithSeparator(m_options.pictureFolder);
    m_options.workFolder = WithSeparator(m_options.workFolder);
    m_resourceDir = m_options.resourceFolder.toUtf8();
    m_pictureDir = m_options.pictureFolder.toUtf8();
    QDir().mkpath(m_options.workFolder);

    if (m_options.settingsFile.isEmpty())
        m_settings = std::make_unique<QSettings>();
    else
        m_settings = std::make_unique<QSettings>(m_options.settingsFile, QSettings::IniFormat);

    m_device = std::make_unique<BackupDevice>(m_options.backupFolder);
    m_deviceEntry.pDevice = m_device.get();

    setObjectName(QStringLiteral("DemoHostWindow"));
    setWindowTitle(tr("Backup explorer - %1").arg(QDir::toNativeSeparators(options.backupFolder)));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* heading = new QLabel(
        tr("<b>Backup:</b> %1").arg(QDir::toNativeSeparators(options.backupFolder).toHtmlEscaped()),
        central);
    heading->setObjectName(QStringLiteral("backupLabel"));
    m_pCategoryList = new QListWidget(central);
    m_pCategoryList->setObjectName(QStringLiteral("categoryList"));
    for (MMobile::MDType type : DemoPageFactory::Categories()) {
        auto* item = new QListWidgetItem(m_pCategoryList);
        item->setData(Qt::UserRole, int(type));
        UpdateListItem(type);
    }
    layout->addWidget(heading);
    layout->addWidget(m_pCategoryList, 1);
    setCentralWidget(central);
    connect(m_pCategoryList, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        OpenCategory(static_cast<MMobile::MDType>(item->data(Qt::UserRole).toInt()));
    });

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    QAction* openLog = help->addAction(tr("Open &Log"));
    openLog->setObjectName(QStringLiteral("actionOpenLog"));
    connect(openLog, &QAction::triggered, this, &DemoHostWindow::OpenLogFolder);

    m_pStatusLine = new QLabel(this);
    m_pStatusLine->setObjectName(QStringLiteral("statusLine"));
    statusBar()->addWidget(m_pStatusLine, 1);
    Notify(tr("Ready. Double-click a category to scan it."));
    resize(420, 560);
}

bool DemoHostWindow::UnlockBackup(bool mayAsk)
{
    if (!m_device->IsEncrypted() || m_device->IsUnlocked())
        return true;
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

DemoHostWindow::~DemoHostWindow()
{
    // Out of the table first, so that their closing notice finds nothing to free.
    const QList<CategoryPanel*> pages = m_pages.values() + m_closedPages;
    m_pages.clear();
    m_closedPages.clear();
    for (CategoryPanel* page : pages)
        page->Free();
    qDeleteAll(m_callbacks);
}

CategoryPanel* DemoHostWindow::OpenCategory(MMobile::MDType type)
{
    if (CategoryPanel* open = Page(type)) {
        open->show();
        open->raise();
        return open;
    }
    CategoryPanel* page = DemoPageFactory::Create(this, type, m_options.workFolder);
    if (!page)
        return nullptr;
    delete m_callbacks.take(int(type));
    auto* callback = new DemoLoadCallback(this, type);
    m_callbacks.insert(int(type), callback);
    m_scanStatus.insert(int(type), MMobile::TASK_BEGIN);
    m_pages.insert(int(type), page);
    if (!page->Load(m_device.get(), callback)) {
        m_pages.remove(int(type));
        m_scanStatus.insert(int(type), MMobile::TASK_ERROR);
        Notify(tr("%1: the scan could not start").arg(DemoPageFactory::DisplayName(type)), true);
        page->Free();
        return nullptr;
    }
    Notify(tr("Scanning %1 ...").arg(DemoPageFactory::DisplayName(type)));
    page->show();
    return page;
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
    return MMobile::IsTaskEndStatus(ScanStatus(type));
}

int DemoHostWindow::ScanStatus(MMobile::MDType type) const
{
    return m_scanStatus.value(int(type), MMobile::TASK_STOP);
}

int DemoHostWindow::ItemCount(MMobile::MDType type) const
{
    return m_counts.value(int(type), -1);
}

QString DemoHostWindow::StatusText() const
{
    return m_pStatusLine->text();
}

QString DemoHostWindow::LogFolder() const
{
    return m_options.logFolder;
}

QString DemoHostWindow::OutputDir() const
{
    return m_settings->value(QLatin1String(kOutputDirKey)).toString();
}

bool DemoHostWindow::ConfigureLogging(const QString& folder)
{
    if (!QDir().mkpath(folder))
        return false;
    const QString properties = QDir(folder).filePath(QStringLiteral("log4j.properties"));
    QFile file(properties);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    const QString logFile = QDir(folder).filePath(QStringLiteral("demo.log"));
    file.write(QStringLiteral("log4j.rootLogger=INFO, file\n"
                              "log4j.appender.file=org.apache.log4j.FileAppender\n"
                              "log4j.appender.file.File=%1\n"
                              "log4j.appender.file.Append=true\n"
                              "log4j.appender.file.layout=org.apache.log4j.PatternLayout\n"
                              "log4j.appender.file.layout.ConversionPattern=%d %-5p %c - %m%n\n")
                   .arg(QDir::fromNativeSeparators(logFile))
                   .toUtf8());
    file.close();
    return Log4Qt::PropertyConfigurator::configure(properties);
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
    m_settings->setValue(QLatin1String(kOutputDirKey), dir ? QString::fromUtf8(dir) : QString());
    m_settings->sync();
}

const char* DemoHostWindow::GetSkinDir(int type)
{
    return type == -1 ? m_resourceDir.constData() : m_pictureDir.constData();
}

DeviceEntry* DemoHostWindow::GetDeviceList(unsigned int* count)
{
    if (count)
        *count = 1;
    return &m_deviceEntry;
}

void DemoHostWindow::OnPluginClose(MMobile::MDType type)
{
    CategoryPanel* page = m_pages.take(int(type));
    if (!page)
        return;
    Notify(tr("%1 closed").arg(DemoPageFactory::DisplayName(type)));
    // The page is still inside its own closing code: free it afterwards.
    m_closedPages.append(page);
    QTimer::singleShot(0, this, [this, page] {
        if (m_closedPages.removeOne(page))
            page->Free();
    });
}

void DemoHostWindow::OnOperationFailed(MMobile::MDType type)
{
    Notify(tr("%1: the operation failed").arg(DemoPageFactory::DisplayName(type)), true);
}

void DemoHostWindow::OnRecoverResult(int mode, MMobile::MDType type, int ok)
{
    const QString where =
        mode == MMobile::RECOVER_TO_PC ? tr("to the computer") : tr("to a device");
    Notify(ok ? tr("%1 recovered %2").arg(DemoPageFactory::DisplayName(type), where)
              : tr("%1: recovery %2 failed").arg(DemoPageFactory::DisplayName(type), where),
           !ok);
    emit recoverResult(mode, int(type), ok);
}

// ---- scan reports from the load callbacks

void DemoHostWindow::OnPageScanEnded(int type, int status)
{
    // Queued once more: the page's own end-of-scan slot was posted after this
    // report, and the count is only right once it has run.
    QTimer::singleShot(0, this, [this, type, status] {
        const auto category = static_cast<MMobile::MDType>(type);
        m_scanStatus.insert(type, status);
        if (CategoryPanel* page = Page(category))
            m_counts.insert(type, int(page->GetDataCount()));
        UpdateListItem(category);
        const QString name = DemoPageFactory::DisplayName(category);
        if (status == MMobile::TASK_COMPLETE)
            Notify(tr("%1: %2 item(s) found").arg(name).arg(ItemCount(category)));
        else
            Notify(tr("%1: the scan ended without data (status %2)").arg(name).arg(status), true);
        emit scanEnded(type, status);
    });
}

void DemoHostWindow::OnPageScanPercent(int type, int percent)
{
    m_pStatusLine->setText(tr("Scanning %1 ... %2%")
                               .arg(DemoPageFactory::DisplayName(MMobile::MDType(type)))
                               .arg(percent));
}

void DemoHostWindow::OpenLogFolder()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_options.logFolder));
}

void DemoHostWindow::Notify(const QString& text, bool error)
{
    m_pStatusLine->setText(text);
    if (error)
        logger()->error(text);
    else
        logger()->info(text);
}

QListWidgetItem* DemoHostWindow::ListItem(MMobile::MDType type) const
{
    for (int row = 0; row < m_pCategoryList->count(); ++row) {
        QListWidgetItem* item = m_pCategoryList->item(row);
        if (item->data(Qt::UserRole).toInt() == int(type))
            return item;
    }
    return nullptr;
}

void DemoHostWindow::UpdateListItem(MMobile::MDType type)
{
    QListWidgetItem* item = ListItem(type);
    if (!item)
        return;
    const int count = ItemCount(type);
    const QString name = DemoPageFactory::DisplayName(type);
    item->setText(count < 0 ? name : tr("%1 (%2)").arg(name).arg(count));
}
