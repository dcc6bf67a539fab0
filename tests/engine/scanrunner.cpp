#include "scanrunner.h"

#include "contracts/icategorydatasource.h"
#include "contracts/idevice.h"
#include "contracts/imdgetter.h"
#include "contracts/importexportconfigure.h"
#include "contracts/itaskctrl.h"

#include <QElapsedTimer>
#include <QThread>

#include <vector>

void SourceRelease::operator()(MMobile::ICategoryDataSource* source) const
{
    if (source)
        source->Release();
}

ScanRunner::ScanRunner(MMobile::ICategoryDataSource* source) : m_source(source) {}

bool ScanRunner::Callback(void* context, MMobile::MDType type, int status, int percent,
                          const char* lable)
{
    auto* self = static_cast<ScanRunner*>(context);
    MMobile::IMDGetter* getter = self->m_source->GetDataGetter();
    std::lock_guard<std::mutex> lock(self->m_mutex);
    self->m_reports.append({static_cast<int>(type), status, percent,
                            lable ? QByteArray(lable) : QByteArray(),
                            getter ? getter->GetCount() : 0u});
    return self->m_reports.size() != self->m_stopReport.load();
}

int ScanRunner::Wait(MMobile::ITaskCtrl* task)
{
    if (!task)
        return -1;
    // A scan waits for Start(); an export already runs and refuses a second one.
    task->Start();
    QElapsedTimer timer;
    timer.start();
    while (!MMobile::IsTaskEndStatus(task->GetStatus())) {
        if (timer.elapsed() > 300000)
            return -1;
        QThread::msleep(2);
    }
    return task->GetStatus();
}

int ScanRunner::Scan()
{
    return Wait(m_source->StartScan(1, &ScanRunner::Callback, this));
}

int ScanRunner::Export(const MMobile::ImportExportConfigure& config)
{
    return Wait(m_source->StartExport(&config, &ScanRunner::Callback, this));
}

int ScanRunner::ExportAll(MMobile::MDType type, const QString& folder)
{
    MMobile::IMDGetter* getter = m_source->GetDataGetter();
    std::vector<unsigned int> all(getter ? getter->GetCount() : 0u);
    for (unsigned int i = 0; i < all.size(); ++i)
        all[i] = i;
    MMobile::ImportExportConfigure config;
    config.nType = type;
    config.nMode = MMobile::RECOVER_TO_PC;
    config.SetPath(folder.toUtf8().constData());
    config.SetIndexs(all.data(), static_cast<int>(all.size()));
    return Export(config);
}

MMobile::IMDGetter* ScanRunner::ScanInto(SourcePtr& source, MMobile::IDevice& device,
                                         MMobile::MDType type)
{
    source.reset(device.GetDataSource(type));
    if (!source || ScanRunner(source.get()).Scan() != MMobile::TASK_COMPLETE)
        return nullptr;
    return source->GetDataGetter();
}

QVector<ScanRunner::Report> ScanRunner::Reports()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_reports;
}

QByteArray ScanRunner::BackupError()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const Report& report : m_reports) {
        if (report.label != "0" && report.label != "1" && report.label != "9" &&
            !report.label.isNull())
            return report.label;
    }
    return QByteArray();
}
