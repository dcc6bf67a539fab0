#ifndef BACKUPUNLOCKER_H
#define BACKUPUNLOCKER_H

#include <QFutureWatcher>
#include <QObject>

class BackupDevice;

// Checks a backup password on a worker thread, so that the seconds of key
// derivation never block the GUI thread, and reports the result there. The
// device is borrowed and must outlive the unlocker; the unlocker waits for a
// running check when it goes.
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

    // Runs a check and waits for it in a local event loop; the GUI stays live.
    static int UnlockAndWait(BackupDevice& device, const QString& password);

signals:
    // A BackupDevice::UnlockResult.
    void finished(int result);

private:
    BackupDevice& m_device;
    QFutureWatcher<int> m_watcher;
};

#endif // BACKUPUNLOCKER_H
