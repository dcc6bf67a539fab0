#ifndef PHONEDATASOURCE_H
#define PHONEDATASOURCE_H

#include "contracts/icategorydatasource.h"
#include "enginetasklist.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class EngineTask;
class PhoneDevice;

// The data source of one category of a phone. A scan joins (or starts) the
// phone's one capture and reports it as the backup line (phase code 1, the
// capture's percentage), or its failure as the backup error code; then it
// scans the captured folder with a BackupDevice's data source of the same
// category and passes that scan's reports on unchanged (the analysis, phase
// code 0). Getters and exports are that inner source's.
//
// Owned by the caller, who calls Release() once; that stops and waits for its
// tasks and releases the inner sources. The phone device must outlive it.
class PhoneDataSource final : public MMobile::ICategoryDataSource
{
public:
    PhoneDataSource(PhoneDevice& phone, MMobile::MDType type);

    MMobile::IMDGetter* GetNamedGetter(const char* name) override;
    MMobile::ITaskCtrl* StartScan(int mode, MMobile::TaskCallBack callback, void* context) override;
    MMobile::IMDGetter* GetDataGetter() override;
    MMobile::ITaskCtrl* StartImport(const MMobile::ImportExportConfigure* config,
                                    MMobile::TaskCallBack callback, void* context) override;
    MMobile::ITaskCtrl* StartExport(const MMobile::ImportExportConfigure* config,
                                    MMobile::TaskCallBack callback, void* context) override;
    void Release() override;

private:
    ~PhoneDataSource();
    TASK_CTRL_STATUS Scan(EngineTask& task, int mode);
    static bool Forward(void* context, MMobile::MDType type, int status, int percent,
                        const char* label);

    PhoneDevice& m_phone;
    MMobile::MDType m_type;
    std::mutex m_mutex;
    std::vector<MMobile::ICategoryDataSource*> m_inner; // every scan's, released last
    std::atomic<MMobile::ICategoryDataSource*> m_current{nullptr};
    EngineTaskList m_tasks;
};

#endif // PHONEDATASOURCE_H
