#ifndef BACKUPUNLOCKER_H
#define BACKUPUNLOCKER_H

#include "workers/backgroundcall.h"

#include <QObject>

#include <atomic>
#include <memory>

class BackupDevice;

// Checks a backup password on a worker thread, so that the seconds of key
// derivation never block the GUI thread, and reports the result there.
// Cancel() stops a running check within milliseconds; it then reports
// UNLOCK_CANCELLED and the backup stays locked. The device is borrowed and
// must outlive the unlocker; the unlocker cancels a running check and waits
// for it when it goes.
//
//     auto* unlocker = new BackupUnlocker(device, this);
//     connect(unlocker, &BackupUnlocker::finished, this, &Host::OnUnlocked);
//     unlocker->Start(password);
class BackupUnlocker : public QObject
{
    Q_OBJECT

public:
    explicit BackupUnlocker(BackupDevice& device, QObject* parent = nullptr);
    ~BackupUnlocker() override;

    // False (and nothing starts) while a check runs.
    bool Start(const QString& password);
    bool IsRunning() const;
    // Stops a running check; nothing when none runs.
    void Cancel();

    // Runs a check and waits for it in a local event loop; the GUI stays live.
    static int UnlockAndWait(BackupDevice& device, const QString& password);

signals:
    // A BackupDevice::UnlockResult.
    void finished(int result);

private:
    BackupDevice& m_device;
    BackgroundCall m_call;
    // One flag per check: a check that is cancelled never stops a later one.
    std::shared_ptr<std::atomic<bool>> m_cancel;
};

#endif // BACKUPUNLOCKER_H
