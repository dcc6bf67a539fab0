#include "plugin/categorypanel.h"

#include "dialogs/recoverbuttonbar.h"
#include "dialogs/recoverprogressdialog.h"
#include "dialogs/setrecoveryfolderdialog.h"
#include "plugin/categorynames.h"
#include "plugin/queuedemitscope.h"
#include "plugin/scanprogresswidget.h"
#include "store/taskitem.h"

#include "contracts/icategorydatasource.h"
#include "contracts/idevice.h"
#include "contracts/iloadcallback.h"
#include "contracts/imdgetter.h"
#include "contracts/importexportconfigure.h"
#include "contracts/itaskctrl.h"
#include "contracts/iuipluginsetting.h"

#include "log4qt/logger.h"
#include "makeoutputpath.h"
#include "mymessagedailog.h"
#include "mystatusbar.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QKeyEvent>
#include <QPointer>
#include <QThread>
#include <QUrl>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

const Qt::WindowFlags kPageFlags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                                   Qt::WindowCloseButtonHint;

// Where the error messages send the user for help; set by the host, read
// on the GUI thread only.
QString& SupportMail()
{
    static QString mail;
    return mail;
}

QString& SupportContactPage()
{
    static QString page;
    return page;
}

QWidget* ParentOf(IUIPluginSetting* setting)
{
    return setting ? setting->GetParentWidget() : nullptr;
}

QString SkinDir(IUIPluginSetting* setting, int type)
{
    return setting ? QString::fromUtf8(setting->GetSkinDir(type)) : QString();
}

int PhaseCode(const char* lable)
{
    return lable ? std::atoi(lable) : 0;
}

// Wakes a closing page when an engine thread leaves a report (of any page:
// the waiter checks its own). Shared by all pages, so that the page's layout,
// which plug-ins are built against, stays as it is.
std::mutex reportGateMutex;
std::condition_variable reportGate;

// A closing page looks at its task again at least this often: a task that
// stopped after a report returned false ends without a report of its own.
constexpr std::chrono::milliseconds kTaskRecheck(2);

// Runs one report of the page, counted from entry to exit: a closing page
// waits for the count to drop to 0, and nothing here touches the page after
// the decrement.
template <typename Report> bool CountedReport(std::atomic<int>& inProgress, Report report)
{
    inProgress.fetch_add(1);
    const bool goOn = report();
    {
        std::lock_guard<std::mutex> lock(reportGateMutex);
        inProgress.fetch_sub(1);
    }
    reportGate.notify_all();
    return goOn;
}

// Emits one signal of an engine-thread report into the GUI thread's queue.
template <typename Emit> void EmitQueued(Emit emitSignal)
{
    const QueuedEmitScope queued;
    emitSignal();
}

} // namespace

CategoryPanel::CategoryPanel(IUIPluginSetting* setting, MMobile::MDType type, bool showDeviceButton)
    : MyWidget(ParentOf(setting), true, 0, kPageFlags), m_pDevice(nullptr), m_type(type),
      m_pDataSource(nullptr), m_status(MMobile::TASK_STOP), m_pSetting(setting),
      m_pTaskItem(nullptr), m_bDataAdded(false), m_pScanProgress(nullptr), m_pLoadCallback(nullptr),
      m_pTaskCtrl(nullptr), m_bClosing(false), m_pProgressDialog(nullptr), m_recoverMode(0),
      m_pRecoverBar(nullptr), m_pMessageDialog(nullptr), m_pFolderDialog(nullptr),
      m_pFixLspParam(nullptr)
{
    setModal(true);
    setOnlyShowCloseButton(true);

    m_resourceDir = SkinDir(m_pSetting, -1);
    const QIcon icon(m_resourceDir + QStringLiteral("logo.png"));
    SetAppIcon(icon);
    setWindowIcon(icon);

    setWindowTitle(GetTitleName(type));
    setRequestCloseEnable(true);
    connect(this, &MyWidget::sig_RequestCloseWindow, this, &CategoryPanel::slotsCloseWindow);

    qRegisterMetaType<TASK_CTRL_STATUS>("TASK_CTRL_STATUS");
    qRegisterMetaType<IMDGetter*>("IMDGetter*");
    qRegisterMetaType<const char*>("const char*");

    connect(this, &CategoryPanel::addDataSignal, this, &CategoryPanel::slotAddData);
    connect(this, &CategoryPanel::setPercentSignal, this, &CategoryPanel::slotSetPercent);
    connect(this, &CategoryPanel::afterScanSignal, this, &CategoryPanel::slotAfterScan);
    connect(this, &CategoryPanel::importDataSignal, this, &CategoryPanel::slotImportData,
            Qt::UniqueConnection);
    connect(this, &CategoryPanel::exportDataSignal, this, &CategoryPanel::slotExportDataResult,
            Qt::UniqueConnection);
    connect(this, &CategoryPanel::backupErrorSignal, this, &CategoryPanel::slotDoBackupError);

    m_pScanProgress = new ScanProgressWidget(this, m_resourceDir, type);
    connect(this, &CategoryPanel::updateScaningProgressSignal, this,
            &CategoryPanel::slotUpdateScaningProgress);
    m_pScanProgress->SetTaskTextDataName(MDTypeToName(type));
    getClientWidget()->installEventFilter(this);
    PlaceScanProgress();
    // The page's own deferred deletion and parent changes (below).
    installEventFilter(this);
    // A parent (the host's window) deletes its children after telling that
    // it goes: the page closes then, while it is still whole.
    if (QObject* parent = this->parent())
        connect(parent, &QObject::destroyed, this, &CategoryPanel::slotsCloseWindow);

    m_pRecoverBar = new RecoverButtonBar(getStatusBar(), m_pSetting, showDeviceButton);
    m_pRecoverBar->SetCategory(int(type));
    getStatusBar()->AddWidget(m_pRecoverBar);
    connect(m_pRecoverBar, &RecoverButtonBar::signalClose, this, &CategoryPanel::slotsCloseWindow);
    connect(m_pRecoverBar, &RecoverButtonBar::signalRecoverToPC, this,
            &CategoryPanel::slotExportToPC);
    connect(m_pRecoverBar, &RecoverButtonBar::signalRecoverToDevice, this,
            &CategoryPanel::slotImportToDevice);

    LoadSkin();
}

CategoryPanel::~CategoryPanel()
{
    CategoryPanel::slotsCloseWindow();
    // The store points into the sources' items, which go with the sources.
    delete m_pTaskItem;
    m_pTaskItem = nullptr;
    if (m_pDataSource)
        m_pDataSource->Release();
    for (MMobile::ICategoryDataSource* source : m_retiredDataSources)
        source->Release();
}

// ---- host interface

QWidget* CategoryPanel::Load(MMobile::IDevice* device, ILoadCallback* callback)
{
    m_pLoadCallback = callback;
    m_bClosing = false;
    if (device == m_pDevice && m_status == MMobile::TASK_COMPLETE)
        return this;

    m_pDevice = device;
    if (!m_pTaskItem)
        NewTaskItem();
    if (m_pTaskItem)
        m_pTaskItem->ClearData();

    if (m_pDataSource) {
        // The store no longer points into the old source's items. Once its
        // task is over and no hand-over of its getter is pending, it goes at
        // once, and its items with it; otherwise the destructor releases it.
        const bool taskOver = !m_pTaskCtrl || MMobile::IsTaskEndStatus(m_pTaskCtrl->GetStatus());
        if (taskOver && !m_handOverPending && m_reportsInProgress.load() == 0)
            m_pDataSource->Release();
        else
            m_retiredDataSources.push_back(m_pDataSource);
        m_pDataSource = nullptr;
        m_pTaskCtrl = nullptr;
    }
    m_pDataSource = device ? device->GetDataSource(m_type) : nullptr;
    if (!m_pDataSource)
        return nullptr;

    m_status = MMobile::TASK_BEGIN;
    if (!m_pLoadCallback)
        m_pScanProgress->StartMovie();

    m_pTaskCtrl = m_pDataSource->StartScan(1, &CategoryPanel::ScanDataCallBack, this);
    m_recoveryTask = false;
    if (!m_pTaskCtrl) {
        m_pScanProgress->StopMovie();
        return nullptr;
    }
    m_pTaskCtrl->Start();
    CheckSeletedItem(0, 0);
    m_pRecoverBar->SetRecoverButtonsEnabled(false);
    return this;
}

void CategoryPanel::Free()
{
    // Closed while the page is still whole: the engine thread may be inside
    // a last report, and the derived page's destructor would otherwise run
    // under it before the base's destructor waits.
    CategoryPanel::slotsCloseWindow();
    delete this;
}

MMobile::ITaskCtrl* CategoryPanel::ExportSilent(MMobile::ImportExportConfigure* config,
                                                MMobile::TaskCallBack callback, void* context)
{
    MMobile::ImportExportConfigure copy;
    if (config)
        copy = *config;
    copy.nOption = GetExportOption();
    if (m_pTaskItem && m_pTaskItem->GetDataCountEx() > 0) {
        std::vector<unsigned int> indexs;
        m_pTaskItem->GetCheckedDataIndexs(indexs, true);
        copy.SetIndexs(indexs.data(), int(indexs.size()));
    }
    if (!m_pDataSource)
        return nullptr;
    return m_pDataSource->StartExport(&copy, callback, context);
}

bool CategoryPanel::WriteParam(const char* key, void* value)
{
    if (!key || !value || std::strcmp(key, "FixLspParam") != 0)
        return false;
    m_pFixLspParam = value;
    return true;
}

void CategoryPanel::SetSupportContact(const char* mail, const char* webPage)
{
    SupportMail() = QString::fromUtf8(mail ? mail : "").trimmed();
    SupportContactPage() = QString::fromUtf8(webPage ? webPage : "").trimmed();
}

bool CategoryPanel::IsLoad(MMobile::IDevice*)
{
    const TASK_CTRL_STATUS status = m_status;
    return status == MMobile::TASK_COMPLETE || status == MMobile::TASK_ERROR;
}

void CategoryPanel::UpdateRecoverState()
{
    m_pRecoverBar->RefreshDeviceTarget();
}

void CategoryPanel::ClosePlugin()
{
    slotsCloseWindow();
}

unsigned int CategoryPanel::GetDataCount()
{
    if (!m_pTaskItem)
        return 0;
    std::vector<unsigned int> indexs;
    m_pTaskItem->GetCheckedDataIndexs(indexs, true);
    return static_cast<unsigned int>(indexs.size());
}

// ---- closing, skin, keys, selection summary

void CategoryPanel::slotsCloseWindow()
{
    if (!m_bClosing && m_pSetting)
        m_pSetting->OnPluginClose(m_type);
    m_bClosing = true;
    WaitForReports();
    m_pTaskCtrl = nullptr;
    m_recoveryTask = false;
    delete m_pMessageDialog;
    m_pMessageDialog = nullptr;
    close();
}

void CategoryPanel::WaitForReports()
{
    // Until the running task shows an end status and no engine thread is
    // inside a report of the page: the page's status turns final inside the
    // last report, before the engine thread has left it (hand-over, log line,
    // host notifications), so the status alone cannot tell that the page may
    // go. Each report's exit wakes the wait; the task's own status, which
    // can turn final without a report, is looked at again every few ms.
    bool taskRunning = m_pTaskCtrl && (m_recoveryTask || !MMobile::IsTaskEndStatus(m_status));
    std::unique_lock<std::mutex> lock(reportGateMutex);
    for (;;) {
        if (taskRunning)
            taskRunning = !MMobile::IsTaskEndStatus(m_pTaskCtrl->GetStatus());
        if (!taskRunning && m_reportsInProgress.load() == 0)
            return;
        reportGate.wait_for(lock, kTaskRecheck);
    }
}

void CategoryPanel::LoadSkin()
{
    const QString dir = SkinDir(m_pSetting, m_type);
    QFile file(dir + QStringLiteral("skin.css"));
    if (!file.open(QIODevice::ReadOnly))
        return;
    QString css = QString::fromLatin1(file.readAll());
    css.replace(QStringLiteral("%skinpath%"), QDir(dir).absolutePath(), Qt::CaseInsensitive);
    setStyleSheet(css);
    file.close();
}

void CategoryPanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F8)
        LoadSkin();
    MyWidget::keyPressEvent(event);
}

bool CategoryPanel::eventFilter(QObject* watched, QEvent* event)
{
    // Every way the page is destroyed closes it first, so that its
    // destructors never run while an engine thread is inside a report.
    if (watched == this) {
        if (event->type() == QEvent::DeferredDelete) {
            CategoryPanel::slotsCloseWindow();
        } else if (event->type() == QEvent::ParentAboutToChange && parent()) {
            disconnect(parent(), &QObject::destroyed, this, &CategoryPanel::slotsCloseWindow);
        } else if (event->type() == QEvent::ParentChange && parent()) {
            connect(parent(), &QObject::destroyed, this, &CategoryPanel::slotsCloseWindow,
                    Qt::UniqueConnection);
        }
    }
    if (watched == getClientWidget() &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Move ||
         event->type() == QEvent::Show))
        PlaceScanProgress();
    return MyWidget::eventFilter(watched, event);
}

void CategoryPanel::PlaceScanProgress()
{
    QWidget* client = getClientWidget();
    if (!m_pScanProgress || !client || m_pScanProgress->parentWidget() != this)
        return;
    m_pScanProgress->setGeometry(QRect(client->mapTo(this, QPoint(0, 0)), client->size()));
    m_pScanProgress->raise();
}

Qt::CheckState CategoryPanel::CheckSeletedItem(int selected, int total)
{
    if (selected == 0 && m_pTaskItem)
        selected = int(m_pTaskItem->GetCheckedCount());
    if (total == 0 && m_pTaskItem)
        total = int(m_pTaskItem->GetDataCount(m_pTaskItem->GetOnlyDeleteSelected()));

    m_pRecoverBar->SetHasCheckedItems(selected > 0);
    m_pRecoverBar->SetRecoverButtonsEnabled(total > 0);
    getStatusBar()->SetLeftLable(
        tr("You select %1 item(s) in %2 item(s)").arg(selected).arg(total));

    if (selected == 0)
        return Qt::Unchecked;
    if (selected < total)
        return Qt::PartiallyChecked;
    if (selected == total)
        return Qt::Checked;
    return Qt::Unchecked;
}

QString CategoryPanel::MDTypeToName(MMobile::MDType type)
{
    if (int(type) == -1)
        type = m_type;
    return CategoryNames::DisplayName(type);
}

QString CategoryPanel::GetTitleName(MMobile::MDType type)
{
    return MDTypeToName(type);
}

// ---- default hooks

int CategoryPanel::GetExportWeChatIndex()
{
    return -1;
}

bool CategoryPanel::isExistExportData()
{
    return false;
}

void CategoryPanel::NewTaskItem()
{
    m_pTaskItem = new TaskItem(m_type);
}

bool CategoryPanel::OnRecoverBefore(MMobile::IDevice*)
{
    return true;
}

void CategoryPanel::sleep(int ms)
{
    QThread::msleep(static_cast<unsigned long>(ms > 0 ? ms : 0));
}

// ---- scan workflow (engine thread up to the signals)

bool CategoryPanel::ScanDataCallBack(void* context, MMobile::MDType type, int status, int percent,
                                     const char* lable)
{
    auto* page = static_cast<CategoryPanel*>(context);
    if (!page)
        return false;
    return CountedReport(page->m_reportsInProgress,
                         [&] { return page->ScanData(type, status, percent, lable); });
}

bool CategoryPanel::ScanData(MMobile::MDType type, int status, int percent, const char* lable)
{
    if (m_bClosing)
        return false;

    const int code = PhaseCode(lable);
    int taskIndex = 0;
    if (code == 0) {
        taskIndex = 1;
    } else if (code == 1 || code == 9) {
        taskIndex = 0;
    } else {
        EmitQueued([&] { emit backupErrorSignal(code); });
        logger()->error(QStringLiteral("Backup %1 error").arg(MDTypeToName(m_type)));
        return false;
    }

    m_status = status;
    ILoadCallback* callback = m_pLoadCallback;
    switch (status) {
    case MMobile::TASK_BEGIN:
    case MMobile::TASK_PERCENT:
        if (callback)
            callback->OnScanPercent(percent);
        else
            EmitQueued([&] { emit setPercentSignal(percent); });
        break;
    case MMobile::TASK_DATA:
        if (int(type) != -1) {
            MMobile::IMDGetter* getter = FetchDataGetter();
            if (getter && m_pTaskItem && m_pTaskItem->GetDataCountEx() < getter->GetCount())
                HandOver(getter);
        }
        if (callback) {
            callback->OnScanPercent(percent);
            callback->OnScanStatus(MMobile::TASK_DATA);
        } else {
            EmitQueued([&] { emit setPercentSignal(percent); });
            EmitQueued([&] { emit updateScaningProgressSignal(MMobile::TASK_DATA, taskIndex); });
        }
        break;
    case MMobile::TASK_COMPLETE: {
        MMobile::IMDGetter* getter = FetchDataGetter();
        const unsigned int count = getter ? getter->GetCount() : 0;
        logger()->info(QStringLiteral("Scan %1 complete, data count: %2")
                           .arg(MDTypeToName(m_type))
                           .arg(count));
        if (getter)
            HandOver(getter);
        if (callback)
            callback->OnScanStatus(MMobile::TASK_COMPLETE);
        EmitQueued([&] { emit afterScanSignal(); });
        break;
    }
    case MMobile::TASK_ERROR:
        logger()->info(QStringLiteral("Scan %1 error").arg(MDTypeToName(m_type)));
        if (callback)
            callback->OnScanStatus(MMobile::TASK_ERROR);
        else
            EmitQueued([&] { emit updateScaningProgressSignal(MMobile::TASK_ERROR, taskIndex); });
        EmitQueued([&] { emit afterScanSignal(); });
        if (m_pSetting)
            m_pSetting->OnOperationFailed(m_type);
        break;
    case MMobile::TASK_STOP:
        if (callback)
            callback->OnScanStatus(MMobile::TASK_STOP);
        EmitQueued([&] { emit afterScanSignal(); });
        EmitQueued([&] { emit updateScaningProgressSignal(MMobile::TASK_STOP, taskIndex); });
        break;
    default:
        break;
    }

    if (callback)
        return !callback->IsStopRequested();
    return !m_bClosing;
}

MMobile::IMDGetter* CategoryPanel::FetchDataGetter()
{
    if (!m_pDataSource)
        return nullptr;
    if (m_type == MMobile::MD_REMINDER)
        return m_pDataSource->GetNamedGetter("Reminider");
    return m_pDataSource->GetDataGetter();
}

void CategoryPanel::HandOver(MMobile::IMDGetter* getter)
{
    m_bDataAdded = false;
    m_handOverPending = true;
    EmitQueued([&] { emit addDataSignal(getter); });
    while (!m_bDataAdded) {
        if (m_bClosing)
            break;
        sleep(5);
    }
}

void CategoryPanel::slotAddData(IMDGetter* pGetter)
{
    if (m_pTaskItem && pGetter) {
        const TASK_CTRL_STATUS status = m_status;
        if (status == MMobile::TASK_DATA) {
            const unsigned int have = m_pTaskItem->GetDataCountEx();
            if (have == 0) {
                m_pTaskItem->SetDatas(pGetter);
            } else {
                // The getter grows at the front: its first (count - have) items are new.
                const unsigned int count = pGetter->GetCount();
                for (int i = int(count) - int(have) - 1; i >= 0; --i)
                    m_pTaskItem->AddData(pGetter->GetItem(unsigned(i)), -1);
            }
        } else if (status == MMobile::TASK_COMPLETE) {
            m_pTaskItem->SetDatas(pGetter);
        }
    }
    m_handOverPending = false;
    m_bDataAdded = true;
}

void CategoryPanel::slotSetPercent(int percent)
{
    if (m_pScanProgress)
        m_pScanProgress->SetPercent(static_cast<unsigned int>(percent < 0 ? 0 : percent));
}

void CategoryPanel::slotUpdateScaningProgress(TASK_CTRL_STATUS status, int taskIndex)
{
    if (m_pScanProgress)
        m_pScanProgress->Update(taskIndex, status);
}

void CategoryPanel::slotAfterScan()
{
    if (m_pScanProgress) {
        m_pScanProgress->StopMovie();
        m_pScanProgress->hide();
    }
    CheckSeletedItem(0, 0);
    m_pRecoverBar->SetRecoverButtonsEnabled(true);
}

// ---- backup errors

bool CategoryPanel::slotDoBackupError(int backupError)
{
    delete m_pMessageDialog;
    m_pMessageDialog = new MyMessageDailog(this, true);
    m_pMessageDialog->setMessageType(static_cast<MyMessageDailog::MESSAGE_TYPE>(3));

    const QString mail = SupportMail();
    // With no contact set, no address is made up: the log and the README help.
    const QString selfHelp = tr("The files in the log folder (Help > Open Log) say what went "
                                "wrong;<br>the Troubleshooting section of the README says what "
                                "to try next.");
    QString text;
    bool retry = false;
    switch (backupError) {
    case 2:
    case 3:
    case 255:
        text =
            tr("<strong>Backup error(error code:%1)</strong><br>")
                .arg(backupError, 0, 10, QChar(' ')) +
            (mail.isEmpty() ? selfHelp
                            : tr("Please send us all files in log folder (Help > Open "
                                 "Log)<br> together with the upper error code to <br>") +
                                  QStringLiteral("<a href='mailto:") + mail + QStringLiteral("'>") +
                                  mail + QStringLiteral("</a>") + tr(" for help."));
        break;
    case 4:
        text = tr("Please unlock your device with passcodes while scanning.");
        retry = true;
        break;
    case 5:
        text = tr("<strong>Fail to backup. Please try possible solutions below to fix "
                  "it:</strong><br><br>") +
               tr("1. Please change to another USB port.<br>") +
               tr("2. Please restart the Mobile device.<br>") +
               (mail.isEmpty() ? tr("3. ") + selfHelp
                               : tr("3. Please contact ") + mail +
                                     tr(" with all files in log folder<br> (Help > Open Log) for "
                                        "help."));
        break;
    case 6:
        text = tr("There is not enough storage space on your device or the largest<br>hard disk "
                  "on your computer to finish the scanning. Please free some<br>storage space and "
                  "try again.<br>");
        break;
    case 7:
        text = tr("Opps, it seems that you are doing some settings on your device.<br>Please close "
                  "the Settings page and try again.<br>");
        break;
    case 10: {
        text = tr("<strong>Scan error(error code:%1)</strong><br>")
                   .arg(backupError, 0, 10, QChar(' '));
        const QString page = SupportContactPage();
        if (page.isEmpty()) {
            text += selfHelp;
            break;
        }
        const QChar quote('"');
        text += tr("We detect the presence of a small problem in your<br>environment, in order to "
                   "recover the data in a timely</br><br>manner, it is recommended that you "
                   "according to the</br><br>error code, <a href=") +
                quote + QStringLiteral("%1").arg(page, 0, QChar(' ')) + quote +
                tr("><span style=") + quote + tr(" text-decoration: underline; color:#0000ff;") +
                quote + tr(">contact customer service</span></a>.</br>");
        m_pMessageDialog->setOpenUrl();
        break;
    }
    default:
        break;
    }

    if (!text.isEmpty()) {
        m_pMessageDialog->setMessageText(text);
        if (retry)
            m_pMessageDialog->setBtnText(tr("Retry"), MyMessageDailog::tr("Cancel"));
        else
            m_pMessageDialog->setCancelBtnHide();
        // The dialog may be deleted while it runs, when the page closes meanwhile.
        QPointer<MyMessageDailog> dialog(m_pMessageDialog);
        const int result = dialog->exec();
        if (retry && result == 1) {
            if (m_bClosing)
                return false;
            if (m_pTaskCtrl)
                m_pTaskCtrl->Release();
            m_pTaskCtrl = nullptr;
            static_cast<IUIDataPlugin*>(this)->Load(m_pDevice, m_pLoadCallback);
            return true;
        }
    }

    if (!m_bClosing) {
        if (m_pLoadCallback)
            m_pLoadCallback->OnScanAborted();
        else
            slotsCloseWindow();
    }
    return false;
}

// ---- recovery and export

void CategoryPanel::slotExportToPC()
{
    m_recoverMode = MMobile::RECOVER_TO_PC;
    if (!OnRecoverBefore(nullptr))
        return;

    delete m_pFolderDialog;
    m_pFolderDialog = new SetRecoveryFolderDialog(m_pSetting, this);
    QPointer<SetRecoveryFolderDialog> folderDialog(m_pFolderDialog);
    if (folderDialog->exec() != QDialog::Accepted || !folderDialog)
        return;

    char path[1024];
    std::memset(path, 0, sizeof path);
    const QByteArray chosen = folderDialog->getCurOutputPath().toUtf8();
    MakeOutputPath(chosen.constData(), m_pDevice, m_type, path, int(sizeof path));
    m_outputPath = QString::fromUtf8(path);

    MMobile::ImportExportConfigure config;
    config.nType = m_type;
    config.nMode = MMobile::RECOVER_TO_PC;
    config.SetPath(path);
    config.nOption = GetExportOption();

    switch (m_type) {
    case MMobile::MD_WECHAT_ATTACHMENT:
    case MMobile::MD_WECHAT_MESSAGE:
        if (m_pTaskItem)
            m_pTaskItem->GetCheckedDataIndexs();
        [[fallthrough]];
    case MMobile::MD_WECHAT_CONTACT: {
        const int account = GetExportWeChatIndex();
        config.SetIndexs(&account, 1);
        break;
    }
    default: {
        std::vector<unsigned int> indexs;
        if (m_pTaskItem)
            m_pTaskItem->GetCheckedDataIndexs(indexs, false);
        if (indexs.empty())
            return;
        config.SetIndexs(indexs.data(), int(indexs.size()));
        break;
    }
    }
    Export(&config);
}

void CategoryPanel::slotImportToDevice(IDevice* pDevice)
{
    const bool sameDevice = pDevice == m_pDevice;
    m_recoverMode = sameDevice ? MMobile::RECOVER_SAME_DEVICE : MMobile::RECOVER_TO_OTHER_DEVICE;
    if (!OnRecoverBefore(pDevice))
        return;

    std::vector<unsigned int> indexs;
    if (m_pTaskItem)
        m_pTaskItem->GetCheckedDataIndexs(indexs, false);
    if (indexs.empty())
        return;

    MMobile::ImportExportConfigure config;
    config.SetIndexs(indexs.data(), int(indexs.size()));
    if (sameDevice) {
        config.nType = static_cast<MMobile::MDType>(-1);
        config.nMode = MMobile::RECOVER_SAME_DEVICE;
        config.pDevice = m_pDevice;
        Import(&config);
    } else {
        config.nType = m_type;
        config.nMode = MMobile::RECOVER_TO_OTHER_DEVICE;
        config.pDevice = pDevice;
        Export(&config);
    }
}

bool CategoryPanel::Export(MMobile::ImportExportConfigure* config)
{
    MMobile::ITaskCtrl* task = nullptr;
    if (m_pDataSource)
        task = m_pDataSource->StartExport(config, &CategoryPanel::ExportDataCallBack, this);
    if (!task) {
        // The scan's task stays the one a close waits for. An export that
        // does not start is the host's to explain: the page shows nothing.
        if (m_pSetting)
            m_pSetting->OnRecoverResult(m_recoverMode, m_type, 0);
        return false;
    }
    m_pTaskCtrl = task;
    m_recoveryTask = true;
    ShowProgress();
    return true;
}

bool CategoryPanel::Import(MMobile::ImportExportConfigure* config)
{
    if (!m_pDataSource) {
        if (m_pSetting)
            m_pSetting->OnRecoverResult(m_recoverMode, m_type, 0);
        return false;
    }
    MMobile::ITaskCtrl* task =
        m_pDataSource->StartImport(config, &CategoryPanel::ImportDataCallBack, this);
    if (task) {
        m_pTaskCtrl = task;
        m_recoveryTask = true;
    } else {
        if (m_pSetting)
            m_pSetting->OnRecoverResult(m_recoverMode, m_type, 0);
        ShowMessage(0, QStringLiteral("Recovery failed! Please try again!"));
        return false;
    }
    ShowProgress();
    return true;
}

void CategoryPanel::ShowProgress()
{
    const QPoint position = mapToGlobal(QPoint(323, 238));
    if (!m_pProgressDialog)
        m_pProgressDialog = new RecoverProgressDialog(m_resourceDir, this, kPageFlags);
    m_pProgressDialog->move(position);
    m_pProgressDialog->show();
}

bool CategoryPanel::ExportDataCallBack(void* context, MMobile::MDType, int status, int percent,
                                       const char* lable)
{
    auto* page = static_cast<CategoryPanel*>(context);
    if (!page)
        return false;
    return CountedReport(page->m_reportsInProgress,
                         [&] { return page->ExportData(status, percent, lable); });
}

bool CategoryPanel::ImportDataCallBack(void* context, MMobile::MDType, int status, int percent,
                                       const char* lable)
{
    // The engine's import reports take the export's road to the result slot.
    auto* page = static_cast<CategoryPanel*>(context);
    if (!page)
        return false;
    return CountedReport(page->m_reportsInProgress,
                         [&] { return page->ExportData(status, percent, lable); });
}

bool CategoryPanel::ExportData(int status, int percent, const char* lable)
{
    EmitQueued([&] { emit exportDataSignal(status, percent, lable); });
    return !m_bClosing;
}

bool CategoryPanel::ImportData(int status, int percent, const char* lable)
{
    m_status = status;
    if (!m_bClosing)
        EmitQueued([&] { emit importDataSignal(status, percent, lable); });
    return !m_bClosing;
}

void CategoryPanel::slotImportData(TASK_CTRL_STATUS state, int percent, const char* lable)
{
    slotExportDataResult(state, percent, lable);
}

void CategoryPanel::slotExportDataResult(TASK_CTRL_STATUS state, int, const char*)
{
    if (state == MMobile::TASK_COMPLETE) {
        if (m_pSetting)
            m_pSetting->OnRecoverResult(m_recoverMode, m_type, 1);
        logger()->info(QStringLiteral("Export %1 complete").arg(MDTypeToName(m_type)));
        if (m_pProgressDialog)
            m_pProgressDialog->hide();
        if (m_recoverMode == MMobile::RECOVER_TO_PC) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(m_outputPath));
        } else {
            ShowMessage(1, tr("Recovery completed!<br> Please check your iOS device for the "
                              "recovered data."));
        }
    } else if (state == MMobile::TASK_ERROR || state == MMobile::TASK_STOP) {
        if (m_pSetting)
            m_pSetting->OnRecoverResult(m_recoverMode, m_type, 0);
        logger()->info(QStringLiteral("Export %1 error").arg(MDTypeToName(m_type)));
        if (m_pProgressDialog)
            m_pProgressDialog->hide();
        if (m_pSetting)
            m_pSetting->OnOperationFailed(m_type);
        ShowMessage(3, tr("Recovery failed! Please try again!"));
    }
}

void CategoryPanel::ShowMessage(int type, const QString& text)
{
    // On the heap: the page (and the dialog, its child) may be deleted while
    // the dialog runs, by a deferred deletion its event loop delivers.
    QPointer<MyMessageDailog> dialog(new MyMessageDailog(this, true));
    dialog->setMessageType(static_cast<MyMessageDailog::MESSAGE_TYPE>(type));
    dialog->setBtnText(MyMessageDailog::tr("OK"), MyMessageDailog::tr("Cancel"));
    dialog->setCancelBtnHide();
    dialog->setMessageText(text);
    dialog->exec();
    delete dialog.data();
}
