#include "backupunlocker.h"

#include "backupdevice.h"

#include <QEventLoop>
#include <QtConcurrent/QtConcurrentRun>

BackupUnlocker::BackupUnlocker(BackupDevice& device, QObject* parent)
    : QObject(parent), m_device(device)
{
    connect(&m_watcher, &QFutureWatcher<int>::finished, this,
            [this]() { emit finished(m_watcher.result()); });
}

BackupUnlocker::~BackupUnlocker()
{
    // The worker uses the device: it may not outlive this object.
    Cancel();
    m_watcher.waitForFinished();
}

bool BackupUnlocker::Start(const QString& password)
{
    if (IsRunning())
        return false;
    BackupDevice* device = &m_device;
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    const std::shared_ptr<std::atomic<bool>> cancel = m_cancel;
    // The worker gets text of its own. A copy sharing the caller's (a line
    // edit's) would be freed by whichever thread lets go last, after a count
    // that Qt's compiled code lowers out of ThreadSanitizer's sight.
    const QString own(password.constData(), password.size());
    m_watcher.setFuture(QtConcurrent::run(
        [device, own, cancel]() { return static_cast<int>(device->Unlock(own, cancel.get())); }));
    return true;
}

void BackupUnlocker::Cancel()
{
    if (m_cancel)
        m_cancel->store(true);
}

bool BackupUnlocker::IsRunning() const
{
    return m_watcher.isRunning();
}

int BackupUnlocker::UnlockAndWait(BackupDevice& device, const QString& password)
{
    BackupUnlocker unlocker(device);
    QEventLoop loop;
    int result = BackupDevice::UNLOCK_DAMAGED;
    connect(&unlocker, &BackupUnlocker::finished, &loop, [&loop, &result](int value) {
        result = value;
        loop.quit();
    });
    unlocker.Start(password);
    loop.exec();
    return result;
}
