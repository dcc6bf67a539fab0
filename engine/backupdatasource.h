#ifndef BACKUPDATASOURCE_H
#define BACKUPDATASOURCE_H

#include "contracts/icategorydatasource.h"
#include "enginetasklist.h"
#include "leftovers.h"

#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class BackupDevice;
class EngineTask;
class ItemGetter;
class RangeGetter;
struct WeChatAccount;

// The data source of one category of a backup. A scan runs a backup phase
// (phase code 1: the folder and its manifest are checked) and an analysis
// phase (phase code 0: the category's database is read, and the items are
// published in batches with status 1), then ends with 3. A backup that cannot
// be opened is reported with its BackupManifest::BackupError code as the
// phase code; a category database that cannot be read ends the scan with 4.
//
// Exports go to a folder (mode 3); imports (mode 1) and exports to a device
// (mode 4) start only for a device that takes records back (RecoveryTarget,
// a phone), with the rows of the items whose drop mark is not set. An export writes the
// items of the last scan whose drop mark is not set; for the WeChat
// categories only those of the account whose index the configuration holds
// (every account for -1).
//
// Owned by the caller, who calls Release() once; that stops and waits for
// every task the source made, and the tasks and the items of its scans go
// with it (the items' memory on the engine's freeing thread, BackgroundFree).
// The device is borrowed and must outlive the source.
class BackupDataSource final : public MMobile::ICategoryDataSource
{
public:
    BackupDataSource(BackupDevice& device, MMobile::MDType type);

    MMobile::IMDGetter* GetNamedGetter(const char* name) override;
    MMobile::ITaskCtrl* StartScan(int mode, MMobile::TaskCallBack callback, void* context) override;
    MMobile::IMDGetter* GetDataGetter() override;
    MMobile::ITaskCtrl* StartImport(const MMobile::ImportExportConfigure* config,
                                    MMobile::TaskCallBack callback, void* context) override;
    MMobile::ITaskCtrl* StartExport(const MMobile::ImportExportConfigure* config,
                                    MMobile::TaskCallBack callback, void* context) override;
    void Release() override;

private:
    ~BackupDataSource();
    // Puts the items whose drop mark is not set back on the configuration's
    // device, when it is a RecoveryTarget that takes the category.
    MMobile::ITaskCtrl* StartRecovery(const MMobile::ImportExportConfigure* config,
                                      MMobile::TaskCallBack callback, void* context);
    TASK_CTRL_STATUS Scan(EngineTask& task, ItemGetter* getter);
    // Publishes the accounts of a WeChat scan as named data sets.
    void SetWeChatAccounts(const std::shared_ptr<ItemGetter>& getter,
                           const std::vector<WeChatAccount>& accounts);

    BackupDevice& m_device;
    MMobile::MDType m_type;
    std::atomic<ItemGetter*> m_getter{nullptr};
    // The items of every scan of this source: a page's store points into
    // them until it releases the source; an export holds its own reference.
    std::mutex m_getterMutex;
    std::vector<std::shared_ptr<ItemGetter>> m_getters;
    // WeChat categories: "WeChatAccounts" lists the accounts of the last scan
    // (their own contact records, in account order) and "WeChatAccount<i>"
    // is account i's run of the items. Earlier scans' sets stay valid too.
    struct WeChatSets
    {
        std::shared_ptr<ItemGetter> accounts;
        std::vector<std::unique_ptr<RangeGetter>> perAccount;
    };
    std::vector<std::unique_ptr<WeChatSets>> m_weChatSets;
    // What stopped scans had read, freed with the source, not by the stop.
    Leftovers m_leftovers;
    EngineTaskList m_tasks;
};

#endif // BACKUPDATASOURCE_H
