#ifndef SYNCLOCK_H
#define SYNCLOCK_H

#include <QString>

#include <libimobiledevice/afc.h>
#include <libimobiledevice/libimobiledevice.h>
#include <libimobiledevice/notification_proxy.h>

#include <atomic>

// The phone's sync lock, taken around a backup as desktop sync programs do:
// the notification proxy announces the sync, and an exclusive lock on the
// file service's sync lock file keeps another sync (or the phone's own
// settings pages) out until Release() or the destructor. Borrows the device.
class SyncLock
{
public:
    enum Result { LOCKED, BUSY, UNAVAILABLE, CANCELLED };

    explicit SyncLock(idevice_t device) : m_device(device) {}
    ~SyncLock();
    SyncLock(const SyncLock&) = delete;
    SyncLock& operator=(const SyncLock&) = delete;

    // Tries for about ten seconds while the lock is held elsewhere.
    Result Acquire(const std::atomic<bool>& cancel);
    void Release();
    QString ErrorText() const { return m_error; }

private:
    void Post(const char* notification);

    idevice_t m_device;
    np_client_t m_notifications = nullptr;
    afc_client_t m_files = nullptr;
    uint64_t m_lockFile = 0;
    bool m_locked = false;
    QString m_error;
};

#endif // SYNCLOCK_H
