#include "backupunlocker.h"

#include "backupdevice.h"

#include <QEventLoop>

BackupUnlocker::BackupUnlocker(BackupDevice& device, QObject* parent)
    : QObject(parent), m_device(device), m_call(this)
{
}

BackupUnlocker::~BackupUnlocker()
{
    // The worker uses the device: it may not outlive this object.
    Cancel();
    m_call.Wait();
}

bool BackupUnlocker::Start(const QString& password)
{
    if (IsRunning())
        return false;
    BackupDevice* device = &m_device;
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    const std::shared_ptr<std::atomic<bool>> cancel = m_cancel;
    const QString own = BackgroundCall::OwnCopy(password);
    return m_call.Run<int>(
        [device, own, cancel]() { return static_cast<int>(device->Unlock(own, cancel.get())); },
        [this](const int& result) { emit finished(result); });
}

void BackupUnlocker::Cancel()
{
    if (m_cancel)
        m_cancel->store(true);
}

bool BackupUnlocker::IsRunning() const
{
    return m_call.IsRunning();
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
