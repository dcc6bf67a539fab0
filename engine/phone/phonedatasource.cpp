#include "phonedatasource.h"

#include "backupdevice.h"
#include "capturecode.h"
#include "contracts/itaskctrl.h"
#include "enginetask.h"
#include "phonedevice.h"

#include <QByteArray>

#include <chrono>
#include <thread>

namespace {

const char* const PhaseBackup = "1";
constexpr auto PollInterval = std::chrono::milliseconds(50);

// What a phone capture reports of itself on the backup line, before the
// phone sends its first file.
int LinePercent(const CaptureJob::Snapshot& now)
{
    return now.stage == BackupCapture::STAGE_RECEIVING ? now.percent : 0;
}

} // namespace

PhoneDataSource::PhoneDataSource(PhoneDevice& phone, MMobile::MDType type)
    : m_phone(phone), m_type(type)
{
}

PhoneDataSource::~PhoneDataSource()
{
    // The inner scans stop with the tasks.
    m_tasks.StopAll();
    for (MMobile::ICategoryDataSource* inner : m_inner)
        inner->Release();
}

void PhoneDataSource::Release()
{
    delete this;
}

MMobile::IMDGetter* PhoneDataSource::GetNamedGetter(const char* name)
{
    MMobile::ICategoryDataSource* inner = m_current.load();
    return inner ? inner->GetNamedGetter(name) : nullptr;
}

MMobile::IMDGetter* PhoneDataSource::GetDataGetter()
{
    MMobile::ICategoryDataSource* inner = m_current.load();
    return inner ? inner->GetDataGetter() : nullptr;
}

MMobile::ITaskCtrl* PhoneDataSource::StartImport(const MMobile::ImportExportConfigure* config,
                                                 MMobile::TaskCallBack callback, void* context)
{
    // The scanned backup's source puts the items back on this phone (the
    // device of the configuration), as a restore of a merged backup.
    MMobile::ICategoryDataSource* inner = m_current.load();
    if (!inner || m_tasks.IsBusy())
        return nullptr;
    return inner->StartImport(config, callback, context);
}

MMobile::ITaskCtrl* PhoneDataSource::StartExport(const MMobile::ImportExportConfigure* config,
                                                 MMobile::TaskCallBack callback, void* context)
{
    MMobile::ICategoryDataSource* inner = m_current.load();
    if (!inner || m_tasks.IsBusy())
        return nullptr;
    return inner->StartExport(config, callback, context);
}

MMobile::ITaskCtrl* PhoneDataSource::StartScan(int mode, MMobile::TaskCallBack callback,
                                               void* context)
{
    if (m_tasks.IsBusy())
        return nullptr;
    return m_tasks.Add(std::make_unique<EngineTask>(
        callback, context, [this, mode](EngineTask& self) { return Scan(self, mode); }));
}

bool PhoneDataSource::Forward(void* context, MMobile::MDType type, int status, int percent,
                              const char* label)
{
    return static_cast<EngineTask*>(context)->Report(type, status, percent, label);
}

TASK_CTRL_STATUS PhoneDataSource::Scan(EngineTask& task, int mode)
{
    const auto none = static_cast<MMobile::MDType>(-1);
    if (!task.Report(none, MMobile::TASK_BEGIN, 0, PhaseBackup))
        return MMobile::TASK_STOP;
    CaptureJob& job = m_phone.Capture();
    job.Start();
    int reported = -1;
    const CaptureJob::Snapshot end = job.Wait([&](const CaptureJob::Snapshot& now) {
        const int percent = LinePercent(now);
        if (percent == reported)
            return !task.StopRequested();
        reported = percent;
        return task.Report(none, MMobile::TASK_PERCENT, percent, PhaseBackup);
    });
    if (task.StopRequested() || end.state == CaptureJob::RUNNING)
        return MMobile::TASK_STOP;
    if (end.state != CaptureJob::DONE) {
        if (end.code == CAPTURE_CANCELLED)
            return MMobile::TASK_STOP;
        const QByteArray code = QByteArray::number(end.code);
        task.Report(none, MMobile::TASK_ERROR, 0, code.constData());
        return MMobile::TASK_ERROR;
    }
    if (!task.Report(none, MMobile::TASK_PERCENT, 100, PhaseBackup))
        return MMobile::TASK_STOP;

    // An encrypted backup waits for the host's password (or its refusal).
    while (m_phone.NeedsPassword() && !m_phone.PasswordDeclined()) {
        if (task.StopRequested())
            return MMobile::TASK_STOP;
        std::this_thread::sleep_for(PollInterval);
    }
    BackupDevice* backup = m_phone.Backup();
    MMobile::ICategoryDataSource* inner = backup ? backup->GetDataSource(m_type) : nullptr;
    if (!inner) {
        task.Report(none, MMobile::TASK_ERROR, 0, "255");
        return MMobile::TASK_ERROR;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_inner.push_back(inner);
    }
    m_current.store(inner);
    MMobile::ITaskCtrl* scan = inner->StartScan(mode, &PhoneDataSource::Forward, &task);
    if (!scan || !scan->Start()) {
        task.Report(none, MMobile::TASK_ERROR, 0, "255");
        return MMobile::TASK_ERROR;
    }
    // The inner scan reports through Forward(); a stop asked of this task
    // reaches it through the answers Forward() gives.
    while (!MMobile::IsTaskEndStatus(scan->GetStatus())) {
        if (task.StopRequested())
            scan->Release();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return scan->GetStatus();
}
