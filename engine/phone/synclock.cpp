#include "synclock.h"

#include <chrono>
#include <thread>

namespace {
const char* const Label = "mmobile";
const char* const LockPath = "/com.apple.itunes.lock_sync";
constexpr int LockAttempts = 50;
constexpr int LockWaitMs = 200;
} // namespace

SyncLock::~SyncLock()
{
    Release();
    if (m_files)
        afc_client_free(m_files);
    if (m_notifications)
        np_client_free(m_notifications);
}

void SyncLock::Post(const char* notification)
{
    if (m_notifications)
        np_post_notification(m_notifications, notification);
}

SyncLock::Result SyncLock::Acquire(const std::atomic<bool>& cancel)
{
    if (np_client_start_service(m_device, &m_notifications, Label) != NP_E_SUCCESS)
        m_notifications = nullptr;
    Post(NP_SYNC_WILL_START);
    if (afc_client_start_service(m_device, &m_files, Label) != AFC_E_SUCCESS) {
        m_files = nullptr;
        m_error = QStringLiteral("the phone's file service did not start");
        return UNAVAILABLE;
    }
    if (afc_file_open(m_files, LockPath, AFC_FOPEN_RW, &m_lockFile) != AFC_E_SUCCESS ||
        m_lockFile == 0) {
        m_lockFile = 0;
        m_error = QStringLiteral("the phone's sync lock file cannot be opened");
        return UNAVAILABLE;
    }
    Post(NP_SYNC_LOCK_REQUEST);
    for (int attempt = 0; attempt < LockAttempts; ++attempt) {
        if (cancel.load())
            return CANCELLED;
        const afc_error_t error = afc_file_lock(m_files, m_lockFile, AFC_LOCK_EX);
        if (error == AFC_E_SUCCESS) {
            m_locked = true;
            Post(NP_SYNC_DID_START);
            return LOCKED;
        }
        if (error != AFC_E_OP_WOULD_BLOCK) {
            m_error = QStringLiteral("the phone refused its sync lock (file service error %1)")
                          .arg(int(error));
            return UNAVAILABLE;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(LockWaitMs));
    }
    m_error = QStringLiteral("another sync holds the phone");
    return BUSY;
}

void SyncLock::Release()
{
    if (m_files && m_lockFile) {
        if (m_locked)
            afc_file_lock(m_files, m_lockFile, AFC_LOCK_UN);
        afc_file_close(m_files, m_lockFile);
        if (m_locked)
            Post(NP_SYNC_DID_FINISH);
    }
    m_lockFile = 0;
    m_locked = false;
}
