#ifndef FAKEHOST_H
#define FAKEHOST_H

#include "contracts/deviceentry.h"
#include "contracts/iloadcallback.h"
#include "contracts/iuipluginsetting.h"

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

class QWidget;

namespace MMobile {
class IDevice;
}

// The host as a page sees it: its settings and notifications (IUIPluginSetting)
// and its load callback (ILoadCallback). Every notification and callback call
// is recorded in order, under a lock, because the engine's threads make some
// of them; each event is a text such as "OnRecoverResult(3,0,1)". Make the
// host on the GUI thread: events from other threads are told apart from the
// ones it makes there.
//
// The settings (parent widget, folders, devices) and the recovery results,
// which also come typed, are read and written on the GUI thread only, where
// pages use them; a returned text or device array stays valid until the same
// setting changes. Parent widget and devices are borrowed.
class FakeHost : public IUIPluginSetting, public ILoadCallback
{
public:
    struct RecoverResult
    {
        int mode;
        int type;
        int ok;
    };

    FakeHost();

    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    // IUIPluginSetting
    QWidget* GetParentWidget() override;
    const char* GetOutputDir() override;
    void SetOutputDir(const char* dir) override;
    const char* GetSkinDir(int type) override;
    DeviceEntry* GetDeviceList(unsigned int* count) override;
    void OnPluginClose(MMobile::MDType type) override;
    void OnOperationFailed(MMobile::MDType type) override;
    void OnRecoverResult(int mode, MMobile::MDType type, int ok) override;

    // ILoadCallback
    bool IsStopRequested() override;
    void OnScanStatus(int status) override;
    void OnScanPercent(int percent) override;
    void OnScanAborted() override;

    void setParentWidget(QWidget* parent);
    // Not recorded as a SetOutputDir event.
    void setOutputDir(const QString& dir);
    // -1 is the common resource folder; unset folders answer "".
    void setSkinDir(int type, const QString& dir);
    // One entry per device, state 0; a null device makes a slot without one.
    void setDevices(const QVector<MMobile::IDevice*>& devices);
    void setStopRequested(bool stop) { m_stopRequested = stop; }

    // The events in order; with a prefix, those starting with it; optionally
    // only those made on a thread other than the one that made the host.
    QStringList events(const QString& prefix = QString(), bool offGuiThreadOnly = false) const;
    bool hasEvent(const QString& prefix) const { return !events(prefix).isEmpty(); }
    // Waits, processing events, until an event starting with `prefix` has been
    // recorded (also one recorded before the call). False on timeout.
    bool waitForEvent(const QString& prefix, int timeoutMs);

    QVector<RecoverResult> recoverResults() const { return m_recoverResults; }

private:
    struct Event
    {
        QString text;
        bool offGuiThread;
    };
    void record(const QString& text);

    const std::thread::id m_guiThread;
    mutable std::mutex m_mutex;
    std::vector<Event> m_events;
    QVector<RecoverResult> m_recoverResults;
    std::atomic<bool> m_stopRequested{false};

    QPointer<QWidget> m_parent;
    QByteArray m_outputDir;
    std::map<int, QByteArray> m_skinDirs;
    std::vector<DeviceEntry> m_devices;
};

#endif // FAKEHOST_H
