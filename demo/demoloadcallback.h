#ifndef DEMOLOADCALLBACK_H
#define DEMOLOADCALLBACK_H

#include "contracts/iloadcallback.h"
#include "contracts/mmobiletypes.h"

#include <QPointer>

#include <atomic>

class DemoHostWindow;

// The host's load callback for one page: the engine's threads report the
// scan here and the reports go on, queued, to the host window's status line
// and category list. The host owns one per open page; the window is watched,
// not owned, so a report after the window is gone is dropped.
class DemoLoadCallback : public ILoadCallback
{
public:
    DemoLoadCallback(DemoHostWindow* host, MMobile::MDType type);
    virtual ~DemoLoadCallback();

    bool IsStopRequested() override;
    void OnScanStatus(int status) override;
    void OnScanPercent(int percent) override;
    void OnScanAborted() override;

    // Asks the engine to stop at its next report.
    void RequestStop();
    int lastStatus() const;

private:
    QPointer<DemoHostWindow> m_host;
    MMobile::MDType m_type;
    std::atomic<bool> m_stop;
    std::atomic<int> m_status;
    std::atomic<int> m_lastPercentShown;
};

#endif // DEMOLOADCALLBACK_H
