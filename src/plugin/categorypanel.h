#ifndef CATEGORYPANEL_H
#define CATEGORYPANEL_H

#include "categorypanel_global.h"
#include "contracts/iuidataplugin.h"
#include "contracts/mmobiletypes.h"
#include "log4qt/classlogger.h"

#include "mywidget.h"

#include <QString>

#include <atomic>
#include <vector>

class IUIPluginSetting;
class ILoadCallback;
class MyMessageDailog;
class RecoverButtonBar;
class RecoverProgressDialog;
class ScanProgressWidget;
class SetRecoveryFolderDialog;
class TaskItem;
class QKeyEvent;

namespace MMobile {
class ICategoryDataSource;
class IDevice;
class IMDGetter;
class ITaskCtrl;
struct ImportExportConfigure;
} // namespace MMobile

// Signals and slots name these types without their namespace.
using MMobile::IDevice;
using MMobile::IMDGetter;

// The base of every category page. A category plug-in derives one class per
// data category, builds its view of the items on the frame's client widget,
// and implements GetExportOption. The host talks to the page through
// IUIDataPlugin: Load starts the engine's scan of the category, the items
// arrive in the page's store while the scan runs, and the recover bar in the
// status bar starts recoveries to the computer or to a device.
//
// The page owns its item store, its scan progress widget and recover bar
// (children), the recovery dialogs it makes, and the category data source the
// device handed out (released by the destructor). Devices, tasks, items and
// the host objects are borrowed.
//
// Threads: the host's calls, the slots and all widget and store work run on
// the GUI thread. The engine calls the static callbacks on its own threads;
// they only read the flags, record the status, log, call the host's load
// callback and emit the page's signals, which reach the slots queued.
class CATEGORYPANEL_EXPORT CategoryPanel : public MyWidget, public IUIDataPlugin
{
    Q_OBJECT
    LOG4QT_DECLARE_QCLASS_LOGGER

public:
    CATEGORYPANEL_TRUTF8
    // `showDeviceButton`: whether the recover bar offers recovery to a device.
    CategoryPanel(IUIPluginSetting* setting, MMobile::MDType type, bool showDeviceButton);
    ~CategoryPanel() override;

    // IUIDataPlugin
    QWidget* Load(MMobile::IDevice* device, ILoadCallback* callback) override;
    void Free() override;
    MMobile::ITaskCtrl* ExportSilent(MMobile::ImportExportConfigure* config,
                                     MMobile::TaskCallBack callback, void* context) override;
    bool WriteParam(const char* key, void* value) override;
    bool IsLoad(MMobile::IDevice* device) override;
    void UpdateRecoverState() override;
    void ClosePlugin() override;
    unsigned int GetDataCount() override;

    // The support contact the backup error messages name, a product setting
    // the host gives once at start (UTF-8; null or empty: none). Without an
    // address the messages send the user to the log folder and the
    // Troubleshooting section of the README instead.
    static void SetSupportContact(const char* mail, const char* webPage);

    // One scan report, on the engine's thread; false asks the engine to stop.
    bool ScanData(MMobile::MDType type, int status, int percent, const char* lable);
    bool ExportData(int status, int percent, const char* lable);
    bool ImportData(int status, int percent, const char* lable);

protected slots:
    virtual void slotAddData(IMDGetter* pGetter);
    virtual void slotSetPercent(int percent);
    virtual void slotUpdateScaningProgress(TASK_CTRL_STATUS status, int taskIndex);
    virtual void slotAfterScan();
    // The one way the page closes: tells the host once, waits for a running
    // task to end, closes the window.
    virtual void slotsCloseWindow();
    virtual void slotExportDataResult(TASK_CTRL_STATUS state, int percent, const char* lable);

protected:
    // Goes unchanged into the option field of every export to the computer.
    virtual int GetExportOption() = 0;
    virtual int GetExportWeChatIndex();
    // A hook for derived pages; the library never calls it.
    virtual bool isExistExportData();
    // Makes the store; a photo-style page makes an ImageItemList instead.
    virtual void NewTaskItem();
    // False cancels a recovery before anything is asked; `target` is null for the computer.
    virtual bool OnRecoverBefore(MMobile::IDevice* target);
    virtual void ShowProgress();

    void keyPressEvent(QKeyEvent* event) override;
    // Keeps the scan progress display over the client area while it is the
    // page's own child (a derived page may move it into its layout instead).
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The selection summary in the status bar and the state of the recover
    // buttons; 0 takes the store's own numbers. Returns the check-all state.
    Qt::CheckState CheckSeletedItem(int selected, int total);

    static bool ScanDataCallBack(void* context, MMobile::MDType type, int status, int percent,
                                 const char* lable);
    static bool ExportDataCallBack(void* context, MMobile::MDType type, int status, int percent,
                                   const char* lable);
    static bool ImportDataCallBack(void* context, MMobile::MDType type, int status, int percent,
                                   const char* lable);
    bool Export(MMobile::ImportExportConfigure* config);
    bool Import(MMobile::ImportExportConfigure* config);
    static void sleep(int ms);

signals:
    void exportDataSignal(TASK_CTRL_STATUS state, int percent, const char* lable);
    void importDataSignal(TASK_CTRL_STATUS state, int percent, const char* lable);
    void addDataSignal(IMDGetter* pGetter);
    void setPercentSignal(int percent);
    void afterScanSignal();
    void updateScaningProgressSignal(TASK_CTRL_STATUS status, int taskIndex);
    void backupErrorSignal(int backupError);

private slots:
    void slotImportData(TASK_CTRL_STATUS state, int percent, const char* lable);
    void slotExportToPC();
    void slotImportToDevice(IDevice* pDevice);
    bool slotDoBackupError(int backupError);

private:
    QString MDTypeToName(MMobile::MDType type);
    QString GetTitleName(MMobile::MDType type);
    void LoadSkin();
    MMobile::IMDGetter* FetchDataGetter();
    // Emits addDataSignal and waits until the GUI thread took the getter or the page closes.
    void HandOver(MMobile::IMDGetter* getter);
    void ShowMessage(int type, const QString& text);
    void PlaceScanProgress();

protected:
    MMobile::IDevice* m_pDevice;
    MMobile::MDType m_type;
    MMobile::ICategoryDataSource* m_pDataSource;
    std::atomic<TASK_CTRL_STATUS> m_status;
    IUIPluginSetting* m_pSetting;
    TaskItem* m_pTaskItem;
    std::atomic<bool> m_bDataAdded;
    ScanProgressWidget* m_pScanProgress;
    QString m_resourceDir;
    ILoadCallback* m_pLoadCallback;
    MMobile::ITaskCtrl* m_pTaskCtrl;
    std::atomic<bool> m_bClosing;
    RecoverProgressDialog* m_pProgressDialog;
    int m_recoverMode;
    RecoverButtonBar* m_pRecoverBar;
    QString m_outputPath;
    MyMessageDailog* m_pMessageDialog;
    SetRecoveryFolderDialog* m_pFolderDialog;
    void* m_pFixLspParam;

private:
    // Waits until no engine thread is inside one of the page's callbacks.
    void WaitForReports();

    // Sources of earlier loads, kept until the destructor: a task of theirs
    // may still be ending inside the engine.
    std::vector<MMobile::ICategoryDataSource*> m_retiredDataSources;
    // Engine threads inside a callback of this page right now. A task shows
    // its end status while its last report is still running, so the close
    // waits for this to drop to 0 as well.
    std::atomic<int> m_reportsInProgress{0};
    // The current task is a recovery: the close waits for it whatever the
    // scan's status says.
    bool m_recoveryTask = false;
    // A getter was handed over and the GUI thread has not taken it yet (the
    // wait ends early when the page closes): the source must stay.
    std::atomic<bool> m_handOverPending{false};
};

#endif // CATEGORYPANEL_H
