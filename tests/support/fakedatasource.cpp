#include "fakedatasource.h"

#include "fakegetter.h"
#include "faketask.h"

#include "contracts/idevice.h"
#include "contracts/ideviceinfo.h"

#include <QStringList>

#include <algorithm>

QString FakeDataSource::StartCall::text() const
{
    QStringList indexes;
    for (int i = 0; config.pIndexs && i < config.nIndexCount; ++i)
        indexes << QString::number(config.pIndexs[i]);
    MMobile::IDeviceInfo* info = config.pDevice ? config.pDevice->GetDeviceInfo() : nullptr;
    const char* device =
        info ? info->GetTextProperty(MMobile::DEVICE_PROP_DISPLAY_NAME, 0) : "none";
    return QStringLiteral("%1 type %2 mode %3 option %4 to %5 items %6 in %7")
        .arg(QLatin1String(kind == Scan     ? "Scan"
                           : kind == Import ? "Import"
                                            : "Export"))
        .arg(config.nType)
        .arg(config.nMode)
        .arg(config.nOption)
        .arg(QString::fromUtf8(device), indexes.join(QLatin1Char(',')),
             QString::fromUtf8(config.szPath));
}

FakeDataSource::FakeDataSource(MMobile::MDType type)
    : m_type(type), m_dataGetter(std::make_unique<FakeGetter>())
{
}

MMobile::IMDGetter* FakeDataSource::GetNamedGetter(const char*)
{
    return nullptr;
}

MMobile::ITaskCtrl* FakeDataSource::StartScan(int mode, MMobile::TaskCallBack callback,
                                              void* context)
{
    return start(Scan, mode, nullptr, callback, context);
}

MMobile::IMDGetter* FakeDataSource::GetDataGetter()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_dataGetterRequests;
    return m_dataGetterHidden ? nullptr : m_dataGetter.get();
}

MMobile::ITaskCtrl* FakeDataSource::StartImport(const MMobile::ImportExportConfigure* config,
                                                MMobile::TaskCallBack callback, void* context)
{
    return start(Import, 0, config, callback, context);
}

MMobile::ITaskCtrl* FakeDataSource::StartExport(const MMobile::ImportExportConfigure* config,
                                                MMobile::TaskCallBack callback, void* context)
{
    return start(Export, 0, config, callback, context);
}

void FakeDataSource::Release()
{
    ++m_releaseCalls;
}

void FakeDataSource::setDataGetterHidden(bool hidden)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_dataGetterHidden = hidden;
}

void FakeDataSource::setScript(Kind kind, const FakeTaskScript& script)
{
    m_scripts[kind] = script;
}

void FakeDataSource::setStartFails(Kind kind, bool fails)
{
    m_startFails[kind] = fails;
}

int FakeDataSource::startCount(Kind kind) const
{
    return int(std::count_if(m_calls.begin(), m_calls.end(),
                             [kind](const StartCall& call) { return call.kind == kind; }));
}

FakeDataSource::StartCall FakeDataSource::lastStart(Kind kind) const
{
    for (auto it = m_calls.rbegin(); it != m_calls.rend(); ++it) {
        if (it->kind == kind)
            return *it;
    }
    StartCall none;
    none.kind = kind;
    return none;
}

FakeTask* FakeDataSource::lastTask() const
{
    return m_tasks.empty() ? nullptr : m_tasks.back().get();
}

int FakeDataSource::dataGetterRequests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_dataGetterRequests;
}

int FakeDataSource::releaseCalls() const
{
    return m_releaseCalls;
}

MMobile::ITaskCtrl* FakeDataSource::start(Kind kind, int mode,
                                          const MMobile::ImportExportConfigure* config,
                                          MMobile::TaskCallBack callback, void* context)
{
    StartCall call;
    call.kind = kind;
    call.mode = mode;
    call.context = context;
    if (config)
        call.config = *config;
    // Import and export need a configuration.
    if (!m_startFails[kind] && (config || kind == Scan)) {
        m_tasks.push_back(std::make_unique<FakeTask>(m_type, m_scripts[kind], callback, context));
        call.task = m_tasks.back().get();
    }
    m_calls.push_back(call);
    // Like the engine, import and export tasks run from the start call on;
    // a scan waits for the page's Start().
    if (call.task && kind != Scan)
        call.task->Start();
    return call.task;
}
