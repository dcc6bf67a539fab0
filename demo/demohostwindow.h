#ifndef DEMOHOSTWINDOW_H
#define DEMOHOSTWINDOW_H

#include "backupsummary.h"
#include "recoveryreport.h"
#include "scans/scanledger.h"

#include "contracts/deviceentry.h"
#include "contracts/iuipluginsetting.h"
#include "contracts/mmobiletypes.h"
#include "log4qt/classlogger.h"

#include <QByteArray>
#include <QHash>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>

class BackupDevice;
class BackupListing;
class PhoneHost;
class SupportContact;
struct PhoneInfo;
class BackupListWidget;
class CategoryOverview;
class CategoryPanel;
class DemoLoadCallback;
class FailureNotice;
class HostFailures;
class HostStatusBar;
class QSettings;

// The demo host: a main window listing the backups found on the computer
// (standard places, added folders) and, for the open one, an overview of its
// categories with their item and deleted counts; each category's page opens
// on it, one at a time or all scanned in the background. It is the pages'
// settings object (parent window, one skin folder per category, output
// folder, device list) and receives their notifications, which it shows in
// its status line and writes to its log. Window geometry, the last backup,
// the added folders and the output folder are kept in QSettings.
//
// The window owns the backup device, the open pages (freed with Free() when
// they close or when the window goes) and one load callback per page.
class DemoHostWindow : public QMainWindow, public IUIPluginSetting
{
    Q_OBJECT
    LOG4QT_DECLARE_QCLASS_LOGGER

public:
    struct Options
    {
        QString backupFolder;        // opened at start when set (and added to the list)
        QStringList standardFolders; // where backup programs keep one backup per sub-folder
        QStringList knownFolders;    // listed like added folders, e.g. the sample backup
        QString sampleFolder;        // the generated sample backup, labelled as such
        QString resourceFolder;      // common pictures: logo, movies (ends with a separator)
        QString pictureFolder;       // stock pictures, for pages without a skin folder
        QString skinFolder;          // one skin folder per category
        QString workFolder;          // thumbnails (ends with a separator)
        QString settingsFile;        // empty: the user's settings
        QString logFolder;
        QString password; // of an encrypted backup; empty: ask for it
        // Where phones are backed up to; empty: the first standard folder.
        QString phoneBackupFolder;
        // The support contact of the command line; empty: the configuration's.
        QString supportMail;
        QString supportWeb;
    };

    explicit DemoHostWindow(const Options& options, QWidget* parent = nullptr);
    ~DemoHostWindow() override;

    // Lists the backups and opens the backup of the options or the last one
    // once the list is there.
    void Start(bool mayAsk);
    // Opens a phone the phone list paired: its pages capture, then scan.
    void OpenPhone(const PhoneInfo& phone);
    PhoneHost* Phones() const { return m_pPhones; }
    // Lists the backups again (standard places, added and known folders) on a
    // worker thread: sizing a large backup reads every folder of it.
    void RefreshBackups();
    // The list is being made.
    bool IsListing() const;
    QList<BackupSummary> Backups() const;
    // Adds a folder the user chose (a backup or a folder of backups) to the
    // list and the settings, and opens it when it is one usable backup.
    void AddBackupFolder(const QString& folder, bool mayAsk);
    QStringList AddedFolders() const;
    // Closes the pages of the open backup and opens `folder`; an encrypted
    // one is unlocked first. False when it cannot be read.
    bool OpenBackup(const QString& folder, bool mayAsk);
    QString CurrentBackup() const;

    // Unlocks an encrypted backup before its pages scan it: with the
    // password of the options, or else (when `mayAsk`) with the password
    // dialog. True when the backup can be read; a locked backup's scans end
    // with its backup error.
    bool UnlockBackup(bool mayAsk);
    // Opens (or raises) the page of `type`; null when it cannot start its
    // scan. A page opened without `show` scans in the background. A locked
    // backup opens no page: the host asks for its password again (when it
    // may ask) or says that it is locked.
    CategoryPanel* OpenCategory(MMobile::MDType type, bool show = true);
    // Scans every category not scanned yet, one after the other, in the background.
    void ScanAll();
    bool ScanAllRunning() const;
    // The open page of `type`, or null.
    CategoryPanel* Page(MMobile::MDType type) const;
    void CloseCategory(MMobile::MDType type);
    // The scan of `type` ended and its page has taken the items.
    bool ScanEnded(MMobile::MDType type) const;
    int ScanStatus(MMobile::MDType type) const;
    // Items found by the last scan of `type`, -1 before one ended.
    int ItemCount(MMobile::MDType type) const;
    // Deleted items among them, -1 before the scan ended.
    int DeletedCount(MMobile::MDType type) const;
    // Records the last complete scan of `type` had to leave out (damaged
    // rows, missing or refused files), as the engine counted them.
    int SkippedCount(MMobile::MDType type) const;
    // The status bar's note of the skipped records; empty while there are none.
    QString SkippedText() const;
    CategoryOverview* Overview() const { return m_pOverview; }
    BackupListWidget* BackupList() const { return m_pBackupList; }
    QString StatusText() const;
    // The failure the status bar shows with what to do next; empty: none.
    FailureNotice* Failure() const { return m_pFailure; }
    QString LogFolder() const;
    // Where a user gets help, from the configuration and the command line.
    const SupportContact& Support() const { return *m_support; }
    QString OutputDir() const;
    // What the last recovery to the computer wrote, and where.
    QString LastRecoveryText() const { return m_lastRecoveryText; }
    QString LastRecoveryFolder() const { return m_lastRecoveryFolder; }

    // IUIPluginSetting
    QWidget* GetParentWidget() override;
    const char* GetOutputDir() override;
    void SetOutputDir(const char* dir) override;
    const char* GetSkinDir(int type) override;
    DeviceEntry* GetDeviceList(unsigned int* count) override;
    void OnPluginClose(MMobile::MDType type) override;
    void OnOperationFailed(MMobile::MDType type) override;
    void OnRecoverResult(int mode, MMobile::MDType type, int ok) override;

public slots:
    void OnPageScanEnded(int type, int status);
    void OnPageScanPercent(int type, int percent);
    // A page's scan ended with a backup error: the page is closed and a
    // background scan stops, with the backup's problem said once.
    void OnPageScanAborted(int type);
    void OpenLogFolder();
    void ChooseBackupFolder();
    void ChooseOutputFolder();
    void OpenRecoveredFolder();
    // The phone the pages recover to, after phones came or went.
    void RefreshRecoveryTarget();

signals:
    void scanEnded(int type, int status);
    void backupsListed();
    void recoverResult(int mode, int type, int ok);
    void backupOpened(const QString& folder);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    // The device the pages load: the open backup's or the open phone's.
    MMobile::IDevice* PageDevice() const;
    // Lists the backups, then runs `then` (when not null).
    void ListBackups(std::function<void()> then);
    void OnBackupsListed(QList<BackupSummary> backups);
    void Notify(const QString& text, bool error = false);
    // Opens `folder` in the file manager, or says where it is.
    void ShowFolder(const QString& folder);
    void ShowSkipped();
    void CloseAllPages();
    void ScanNext();
    void SaveGeometry();

    Options m_options;
    std::unique_ptr<BackupDevice> m_device;
    PhoneHost* m_pPhones; // the phones on the cable and the open phone

    std::unique_ptr<QSettings> m_settings;
    BackupListWidget* m_pBackupList;
    BackupListing* m_pListing;
    CategoryOverview* m_pOverview;
    HostStatusBar* m_pStatus;
    FailureNotice* m_pFailure;
    HostFailures* m_pFailures; // says what went wrong, in the band of m_pFailure
    std::unique_ptr<SupportContact> m_support;
    bool m_mayAsk; // a user is there to answer the password dialog
    QHash<int, CategoryPanel*> m_pages;
    // Closed pages waiting to be freed once their closing code has returned.
    QList<CategoryPanel*> m_closedPages;
    QHash<int, DemoLoadCallback*> m_callbacks;
    ScanLedger m_scans;
    RecoveryReport m_report;
    QString m_lastRecoveryText;
    QString m_lastRecoveryFolder;
    // Texts handed out through IUIPluginSetting live here until the next call.
    QByteArray m_outputDir;
    QByteArray m_resourceDir;
    QByteArray m_skinDir;
    DeviceEntry m_deviceEntry;
};

#endif // DEMOHOSTWINDOW_H
