#ifndef DEMOHOSTWINDOW_H
#define DEMOHOSTWINDOW_H

#include "contracts/deviceentry.h"
#include "contracts/iuipluginsetting.h"
#include "contracts/mmobiletypes.h"
#include "log4qt/classlogger.h"

#include <QByteArray>
#include <QHash>
#include <QMainWindow>
#include <QString>

#include <memory>

class BackupDevice;
class CategoryPanel;
class DemoLoadCallback;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QSettings;

// The demo host: a main window listing the categories of one backup folder
// with their item counts, opening each category's page on that backup. It is
// the pages' settings object (parent window, skin folders, output folder kept
// in QSettings, device list) and receives their notifications, which it shows
// in its status line and writes to its log.
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
        QString backupFolder;
        QString resourceFolder; // common pictures: logo, movies (ends with a separator)
        QString pictureFolder;  // photo grid pictures (ends with a separator)
        QString workFolder;     // thumbnails (ends with a separator)
        QString settingsFile;   // empty: the user's settings
        QString logFolder;
        QString password; // of an encrypted backup; empty: ask for it
    };

    explicit DemoHostWindow(const Options& options, QWidget* parent = nullptr);
    ~DemoHostWindow() override;

    // Unlocks an encrypted backup before its pages scan it: with the
    // password of the options, or else (when `mayAsk`) with the password
    // dialog. True when the backup can be read; a locked backup's scans end
    // with its backup error.
    bool UnlockBackup(bool mayAsk);
    // Opens (or raises) the page of `type`; null when it cannot start its scan.
    CategoryPanel* OpenCategory(MMobile::MDType type);
    // The open page of `type`, or null.
    CategoryPanel* Page(MMobile::MDType type) const;
    void CloseCategory(MMobile::MDType type);
    // The scan of `type` ended and its page has taken the items.
    bool ScanEnded(MMobile::MDType type) const;
    int ScanStatus(MMobile::MDType type) const;
    // Items found by the last scan of `type`, -1 before one ended.
    int ItemCount(MMobile::MDType type) const;
    QString StatusText() const;
    QString LogFolder() const;
    QString OutputDir() const;

    // Writes a log4j properties file into `folder` that sends every line to
    // "<folder>/demo.log" and applies it; false when it cannot be written.
    static bool ConfigureLogging(const QString& folder);

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
    void OpenLogFolder();

signals:
    void scanEnded(int type, int status);
    void recoverResult(int mode, int type, int ok);

private:
    void Notify(const QString& text, bool error = false);
    void UpdateListItem(MMobile::MDType type);
    QListWidgetItem* ListItem(MMobile::MDType type) const;

    Options m_options;
    std::unique_ptr<BackupDevice> m_device;
    std::unique_ptr<QSettings> m_settings;
    QListWidget* m_pCategoryList;
    QLabel* m_pStatusLine;
    QHash<int, CategoryPanel*> m_pages;
    // Closed pages waiting to be freed once their closing code has returned.
    QList<CategoryPanel*> m_closedPages;
    QHash<int, DemoLoadCallback*> m_callbacks;
    QHash<int, int> m_scanStatus;
    QHash<int, int> m_counts;
    // Texts handed out through IUIPluginSetting live here until the next call.
    QByteArray m_outputDir;
    QByteArray m_resourceDir;
    QByteArray m_pictureDir;
    DeviceEntry m_deviceEntry;
};

#endif // DEMOHOSTWINDOW_H
