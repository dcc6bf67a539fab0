#include "capturejob.h"

#include "capturecode.h"

#include <QDir>

#include <chrono>

namespace {
constexpr auto PollInterval = std::chrono::milliseconds(50);
} // namespace

CaptureJob::CaptureJob(const QByteArray& udid, const QString& destination)
    : m_udid(udid), m_destination(destination)
{
}

CaptureJob::~CaptureJob()
{
    Cancel();
    if (m_thread.joinable())
        m_thread.join();
}

void CaptureJob::SetFinishedCallback(Finished callback)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_finished = std::move(callback);
}

void CaptureJob::SetPairingTimeout(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pairingTimeoutMs = ms;
}

void CaptureJob::JoinFinished()
{
    // Only a thread whose capture has ended is joined here.
    if (m_thread.joinable())
        m_thread.join();
}

void CaptureJob::Join()
{
    std::lock_guard<std::mutex> starting(m_startMutex);
    JoinFinished();
}

CaptureJob::State CaptureJob::Start()
{
    std::lock_guard<std::mutex> starting(m_startMutex);
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_now.state == RUNNING || m_now.state == DONE)
        return m_now.state;
    lock.unlock();
    JoinFinished();
    lock.lock();
    if (m_now.state == RUNNING || m_now.state == DONE)
        return m_now.state;
    auto capture = std::make_shared<BackupCapture>(m_udid, m_destination);
    capture->SetPairingTimeout(m_pairingTimeoutMs);
    m_capture = capture;
    m_now = Snapshot();
    m_now.state = RUNNING;
    ++m_runs;
    m_error.clear();
    m_thread = std::thread(&CaptureJob::Run, this, capture);
    return RUNNING;
}

void CaptureJob::Run(std::shared_ptr<BackupCapture> capture)
{
    capture->SetProgressCallback([this](BackupCapture::Stage stage, int percent) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_now.stage = stage;
        m_now.percent = percent;
    });
    const int code = capture->Run();
    Finished finished;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_now.code = code;
        m_now.state = code == CAPTURE_OK ? DONE : FAILED;
        if (code == CAPTURE_OK)
            m_now.percent = 100;
        m_error = capture->ErrorText();
        finished = m_finished;
    }
    if (finished)
        finished(code);
}

CaptureJob::Snapshot CaptureJob::Wait(const WaitCallback& callback)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_waiters;
    }
    while (true) {
        const Snapshot now = Now();
        if (now.state != RUNNING)
            break;
        if (callback && !callback(now)) {
            std::shared_ptr<BackupCapture> capture;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (--m_waiters == 0)
                    capture = m_capture;
            }
            // Nobody waits any more: the capture stops (within a second).
            if (capture)
                capture->Cancel();
            return Now();
        }
        std::this_thread::sleep_for(PollInterval);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    --m_waiters;
    return m_now;
}

CaptureJob::Snapshot CaptureJob::Now() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_now;
}

void CaptureJob::Cancel()
{
    std::shared_ptr<BackupCapture> capture;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        capture = m_capture;
    }
    if (capture)
        capture->Cancel();
}

QString CaptureJob::ErrorText() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_error;
}

QString CaptureJob::BackupFolder() const
{
    return QDir(m_destination).filePath(QString::fromLatin1(m_udid));
}

int CaptureJob::Runs() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_runs;
}
