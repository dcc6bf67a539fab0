#include "demoloadcallback.h"

#include "demohostwindow.h"
#include "plugin/queuedemitscope.h"

#include <QMetaObject>

DemoLoadCallback::DemoLoadCallback(DemoHostWindow* host, MMobile::MDType type)
    : m_host(host), m_type(type), m_stop(false), m_status(MMobile::TASK_BEGIN),
      m_lastPercentShown(-1)
{
}

DemoLoadCallback::~DemoLoadCallback() = default;

bool DemoLoadCallback::IsStopRequested()
{
    return m_stop;
}

void DemoLoadCallback::OnScanStatus(int status)
{
    m_status = status;
    if (!MMobile::IsTaskEndStatus(status))
        return;
    // QPointer is read on an engine thread here; the window outlives every
    // page, whose closing waits for the scan, so it cannot go meanwhile.
    DemoHostWindow* host = m_host.data();
    const int type = int(m_type);
    if (host) {
        // Called on the engine's thread: see QueuedEmitScope.
        const QueuedEmitScope queued;
        QMetaObject::invokeMethod(
            host, [host, type, status] { host->OnPageScanEnded(type, status); },
            Qt::QueuedConnection);
    }
}

void DemoLoadCallback::OnScanPercent(int percent)
{
    // One status line update per step of five is plenty.
    if (percent / 5 == m_lastPercentShown.exchange(percent / 5))
        return;
    DemoHostWindow* host = m_host.data();
    const int type = int(m_type);
    if (host) {
        // Called on the engine's thread: see QueuedEmitScope.
        const QueuedEmitScope queued;
        QMetaObject::invokeMethod(
            host, [host, type, percent] { host->OnPageScanPercent(type, percent); },
            Qt::QueuedConnection);
    }
}

void DemoLoadCallback::OnScanAborted()
{
    m_status = MMobile::TASK_STOP;
    DemoHostWindow* host = m_host.data();
    const int type = int(m_type);
    if (host) {
        // Called on the engine's thread: see QueuedEmitScope.
        const QueuedEmitScope queued;
        QMetaObject::invokeMethod(
            host, [host, type] { host->OnPageScanAborted(type); }, Qt::QueuedConnection);
    }
}

void DemoLoadCallback::RequestStop()
{
    m_stop = true;
}

int DemoLoadCallback::lastStatus() const
{
    return m_status;
}
