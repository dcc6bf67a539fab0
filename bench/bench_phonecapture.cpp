// Receiving a backup from a phone against copying the same files, on the same
// disk, in the same run: BM_PlainCopy copies every file of a backup folder,
// BM_CaptureFromPhone receives the same folder from the fake phone over its
// usbmuxd socket through libimobiledevice (a full backup into a working copy,
// then the swap into place). Prints the ratio capture/copy (target at most
// 1.3) and the host's CPU time per second of capture (the fake phone runs in
// its own process and is not counted).
//
// The backup is the sample backup's files plus large files of random bytes,
// MMOBILE_BENCH_CAPTURE_MB megabytes in all (default 2048), in 8 MB files.
#include "backupcapture.h"
#include "capturecode.h"
#include "samplebackupwriter.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <memory>

namespace {

const char* const Udid = "00008030-0000BE4C40000001";
constexpr qint64 FileSize = 8 << 20;

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// The served folder and the fake phone serving it, made once.
class Phone
{
public:
    Phone()
    {
        m_served = m_dir.filePath(QStringLiteral("served"));
        SampleBackupWriter::Options options;
        options.media = false;
        SampleBackupWriter writer(options);
        if (!writer.Write(m_served))
            return;
        const qint64 megabytes = qEnvironmentVariableIsSet("MMOBILE_BENCH_CAPTURE_MB")
                                     ? qEnvironmentVariableIntValue("MMOBILE_BENCH_CAPTURE_MB")
                                     : 2048;
        QByteArray block(FileSize, Qt::Uninitialized);
        auto* words = reinterpret_cast<quint32*>(block.data());
        QRandomGenerator random(7);
        for (qint64 written = 0, index = 0; written < megabytes << 20; ++index) {
            random.fillRange(words, int(FileSize / 4));
            const QString folder =
                QDir(m_served).filePath(QStringLiteral("%1").arg(index % 256, 2, 16, QChar('0')));
            QDir().mkpath(folder);
            QFile file(QDir(folder).filePath(QStringLiteral("bench%1").arg(index)));
            if (!file.open(QIODevice::WriteOnly) || file.write(block) != block.size())
                return;
            written += FileSize;
        }
        for (QDirIterator it(m_served, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            it.next();
            m_bytes += it.fileInfo().size();
        }
        const QString socket = m_dir.filePath(QStringLiteral("phone.sock"));
        qputenv("USBMUXD_SOCKET_ADDRESS", "UNIX:" + QFile::encodeName(socket));
        m_process.start(QStringLiteral(FAKE_PHONE_PROGRAM),
                        {QStringLiteral("--socket"), socket, QStringLiteral("--backup"), m_served,
                         QStringLiteral("--udid"), QString::fromLatin1(Udid)});
        for (int i = 0; i < 1000 && !QFile::exists(socket); ++i)
            QThread::msleep(20);
        m_ready = QFile::exists(socket);
    }
    ~Phone()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    bool Ready() const { return m_ready; }
    QString Served() const { return m_served; }
    QString Scratch() const { return m_dir.filePath(QStringLiteral("scratch")); }
    qint64 Bytes() const { return m_bytes; }

private:
    QTemporaryDir m_dir{QDir::current().filePath(QStringLiteral("bench-phone-XXXXXX"))};
    QString m_served;
    QProcess m_process;
    qint64 m_bytes = 0;
    bool m_ready = false;
};

Phone& ThePhone()
{
    static Phone phone;
    return phone;
}

double g_copySeconds = 0;
double g_captureSeconds = 0;
double g_captureCpu = 0;

bool CopyTree(const QString& from, const QString& to)
{
    const QDir source(from);
    for (QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        const QString target = QDir(to).filePath(source.relativeFilePath(path));
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (!QFile::copy(path, target))
            return false;
    }
    return true;
}

void BM_PlainCopy(benchmark::State& state)
{
    Phone& phone = ThePhone();
    if (!phone.Ready()) {
        state.SkipWithError("no fake phone");
        return;
    }
    double best = 1e30;
    for (auto _ : state) {
        QDir(phone.Scratch()).removeRecursively();
        QElapsedTimer clock;
        clock.start();
        if (!CopyTree(phone.Served(), QDir(phone.Scratch()).filePath(Udid)))
            state.SkipWithError("copy failed");
        best = std::min(best, clock.nsecsElapsed() * 1e-9);
    }
    g_copySeconds = best;
    state.SetBytesProcessed(int64_t(state.iterations()) * phone.Bytes());
}

void BM_CaptureFromPhone(benchmark::State& state)
{
    Phone& phone = ThePhone();
    if (!phone.Ready()) {
        state.SkipWithError("no fake phone");
        return;
    }
    double best = 1e30;
    for (auto _ : state) {
        QDir(phone.Scratch()).removeRecursively();
        QDir().mkpath(phone.Scratch());
        const double cpu = CpuSeconds();
        QElapsedTimer clock;
        clock.start();
        BackupCapture capture(Udid, phone.Scratch());
        capture.SetForceFull(true);
        if (capture.Run() != CAPTURE_OK)
            state.SkipWithError(qPrintable(capture.ErrorText()));
        const double seconds = clock.nsecsElapsed() * 1e-9;
        if (seconds < best) {
            best = seconds;
            g_captureCpu = CpuSeconds() - cpu;
        }
    }
    g_captureSeconds = best;
    state.SetBytesProcessed(int64_t(state.iterations()) * phone.Bytes());
}

BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_CaptureFromPhone)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::signal(SIGPIPE, SIG_IGN);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_copySeconds > 0 && g_captureSeconds > 0) {
        const double megabytes = double(ThePhone().Bytes()) / 1e6;
        std::printf("\n%.0f MB: plain copy %.2f s (%.0f MB/s), capture %.2f s (%.0f MB/s), "
                    "ratio %.2f (target <= 1.3); host CPU %.2f s (%.0f%% of one core)\n",
                    megabytes, g_copySeconds, megabytes / g_copySeconds, g_captureSeconds,
                    megabytes / g_captureSeconds, g_captureSeconds / g_copySeconds, g_captureCpu,
                    100.0 * g_captureCpu / g_captureSeconds);
    }
    QDir(ThePhone().Scratch()).removeRecursively();
    return 0;
}
