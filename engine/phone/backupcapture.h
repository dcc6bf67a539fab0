#ifndef BACKUPCAPTURE_H
#define BACKUPCAPTURE_H

#include "phoneinfo.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>

// Takes a backup of a connected phone through its backup service into
// `destination`/<UDID>, in the standard layout, incrementally when a complete
// earlier backup is there. The phone writes into a working copy
// (BackupStaging); only a complete backup replaces the earlier one, so a
// failure or a stop leaves that one as it was.
//
// Run() blocks on the calling thread (a worker's, never the GUI's) and
// answers a CaptureCode; Cancel() may be called from any thread and makes
// Run() return CAPTURE_CANCELLED within a second (every wait for the phone
// looks at the flag between short slices).
//
//     BackupCapture capture(udid, folder);
//     capture.SetProgressCallback([](BackupCapture::Stage, int percent) { ... });
//     const int code = capture.Run();
class BackupCapture
{
public:
    enum Stage {
        STAGE_CONNECTING,
        STAGE_WAITING_FOR_TRUST,  // the phone shows "Trust This Computer?"
        STAGE_WAITING_FOR_UNLOCK, // the phone must be unlocked to be asked
        STAGE_PREPARING,          // the phone prepares its backup
        STAGE_RECEIVING,          // files arrive; the percentage moves
        STAGE_DONE
    };
    using ProgressCallback = std::function<void(Stage stage, int percent)>;
    using FreeSpaceProbe = std::function<qint64(const QString& folder)>;

    // An empty `udid` takes the first phone connected.
    BackupCapture(const QByteArray& udid, const QString& destination);
    ~BackupCapture();
    BackupCapture(const BackupCapture&) = delete;
    BackupCapture& operator=(const BackupCapture&) = delete;

    void SetProgressCallback(ProgressCallback callback) { m_progress = std::move(callback); }
    // How long a trust prompt may stay unanswered (default two minutes).
    void SetPairingTimeout(int ms) { m_pairingTimeoutMs = ms; }
    void SetForceFull(bool full) { m_forceFull = full; }
    void SetFreeSpaceProbe(FreeSpaceProbe probe) { m_freeSpace = std::move(probe); }

    int Run();
    void Cancel();
    bool IsCancelled() const { return m_cancel.load(); }

    // After Run(): why it failed (for the log), what it did.
    QString ErrorText() const { return m_error; }
    QByteArray Udid() const { return m_udid; }
    PhoneInfo Info() const { return m_info; }
    QString BackupFolder() const;
    bool WasIncremental() const { return m_incremental; }
    qint64 BytesReceived() const { return m_bytes; }
    int FilesReceived() const { return m_files; }

private:
    int Fail(int code, const QString& reason);
    void Report(Stage stage, int percent);

    QByteArray m_udid;
    QString m_destination;
    ProgressCallback m_progress;
    FreeSpaceProbe m_freeSpace;
    int m_pairingTimeoutMs = 120000;
    bool m_forceFull = false;
    std::atomic<bool> m_cancel{false};
    QString m_error;
    PhoneInfo m_info;
    bool m_incremental = false;
    qint64 m_bytes = 0;
    int m_files = 0;
};

#endif // BACKUPCAPTURE_H
