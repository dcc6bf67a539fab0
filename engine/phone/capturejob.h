#ifndef CAPTUREJOB_H
#define CAPTUREJOB_H

#include "backupcapture.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// The one capture of a phone that all its category pages share: the first
// page's scan starts it, the others join it and see the same progress. It
// runs on a thread of its own. When every page waiting for it has stopped
// waiting, the capture is cancelled; a failed or cancelled capture may be
// started again (a page's Retry). Owned by the phone's device; the
// destructor cancels and joins.
class CaptureJob
{
public:
    enum State { IDLE, RUNNING, DONE, FAILED };
    struct Snapshot
    {
        State state = IDLE;
        BackupCapture::Stage stage = BackupCapture::STAGE_CONNECTING;
        int percent = 0;
        int code = 0; // the CaptureCode of a finished capture
    };
    // Progress for a waiter; answers false to stop waiting.
    using WaitCallback = std::function<bool(const Snapshot& now)>;
    using Finished = std::function<void(int code)>;

    CaptureJob(const QByteArray& udid, const QString& destination);
    ~CaptureJob();
    CaptureJob(const CaptureJob&) = delete;
    CaptureJob& operator=(const CaptureJob&) = delete;

    // Starts a capture unless one runs or one has succeeded. Answers the state
    // after the call.
    State Start();
    // Blocks until the capture ends or `callback` answers false; calls it
    // every 50 ms while waiting. The last waiter that
    // stops waiting cancels the capture.
    Snapshot Wait(const WaitCallback& callback);
    Snapshot Now() const;
    void Cancel();
    // Waits for the capture's thread (after Cancel(): within a second).
    void Join();
    // Called on the capture's thread when a capture ends.
    void SetFinishedCallback(Finished callback);
    void SetPairingTimeout(int ms);
    QString ErrorText() const;
    QString BackupFolder() const;
    // How many captures were started.
    int Runs() const;

private:
    void Run(std::shared_ptr<BackupCapture> capture);
    void JoinFinished();

    QByteArray m_udid;
    QString m_destination;
    std::mutex m_startMutex; // one Start() at a time: it may join the last thread
    mutable std::mutex m_mutex;
    Snapshot m_now;
    QString m_error;
    int m_waiters = 0;
    int m_runs = 0;
    int m_pairingTimeoutMs = 120000;
    Finished m_finished;
    std::shared_ptr<BackupCapture> m_capture;
    std::thread m_thread;
};

#endif // CAPTUREJOB_H
