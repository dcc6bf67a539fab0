// mmobile-capture [--udid U] [--password P] DEST: takes a backup of a connected
// phone into DEST/<UDID>; progress on stderr; exit status 0 or the backup error
// code the category pages show.
#include "backupcapture.h"
#include "backupdevice.h"
#include "capturecode.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void OnSignal(int)
{
    g_interrupted = 1;
}

const char* StageName(BackupCapture::Stage stage)
{
    switch (stage) {
    case BackupCapture::STAGE_CONNECTING:
        return "connecting";
    case BackupCapture::STAGE_WAITING_FOR_TRUST:
        return "waiting: answer \"Trust This Computer?\" on the phone";
    case BackupCapture::STAGE_WAITING_FOR_UNLOCK:
        return "waiting: unlock the phone";
    case BackupCapture::STAGE_PREPARING:
        return "the phone prepares its backup";
    case BackupCapture::STAGE_RECEIVING:
        return "receiving";
    case BackupCapture::STAGE_DONE:
        return "done";
    }
    return "";
}

int Usage()
{
    std::fprintf(stderr, "usage: mmobile-capture [--udid UDID] [--password PASSWORD] DEST\n");
    return CAPTURE_INTERNAL;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString udid;
    QString password;
    QString destination;
    bool havePassword = false;
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        if (arg == QLatin1String("--udid") && !args.isEmpty()) {
            udid = args.takeFirst();
        } else if (arg == QLatin1String("--password") && !args.isEmpty()) {
            password = args.takeFirst();
            havePassword = true;
        } else if (!arg.startsWith(QLatin1String("--")) && destination.isEmpty()) {
            destination = arg;
        } else {
            return Usage();
        }
    }
    if (destination.isEmpty())
        return Usage();
    if (!QDir().mkpath(destination)) {
        std::fprintf(stderr, "mmobile-capture: cannot create %s\n", qPrintable(destination));
        return CAPTURE_INTERNAL;
    }

    BackupCapture capture(udid.toLatin1(), destination);
    int lastStage = -1;
    int lastPercent = -1;
    capture.SetProgressCallback([&](BackupCapture::Stage stage, int percent) {
        if (int(stage) == lastStage && percent == lastPercent)
            return;
        lastStage = int(stage);
        lastPercent = percent;
        if (stage == BackupCapture::STAGE_RECEIVING || stage == BackupCapture::STAGE_DONE)
            std::fprintf(stderr, "%s %d%%\n", StageName(stage), percent);
        else
            std::fprintf(stderr, "%s\n", StageName(stage));
    });

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::atomic<bool> finished{false};
    // Signals only set a flag; this thread turns it into a cancel.
    std::thread watcher([&]() {
        while (!finished.load()) {
            if (g_interrupted) {
                capture.Cancel();
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    int code = capture.Run();
    finished.store(true);
    watcher.join();

    if (code == CAPTURE_CANCELLED) {
        std::fprintf(stderr, "mmobile-capture: stopped; the earlier backup is unchanged\n");
        return CAPTURE_FAILED;
    }
    if (code != CAPTURE_OK) {
        std::fprintf(stderr, "mmobile-capture: error %d: %s\n", code,
                     qPrintable(capture.ErrorText()));
        return code;
    }
    std::fprintf(stderr, "mmobile-capture: %s backup of %d file(s), %lld bytes, in %s\n",
                 capture.WasIncremental() ? "incremental" : "full", capture.FilesReceived(),
                 static_cast<long long>(capture.BytesReceived()),
                 qPrintable(capture.BackupFolder()));
    if (havePassword) {
        BackupDevice backup(capture.BackupFolder());
        if (backup.IsEncrypted() && backup.Unlock(password) != BackupDevice::UNLOCK_OK) {
            std::fprintf(stderr, "mmobile-capture: the password does not open the backup\n");
            return CAPTURE_INTERNAL;
        }
    }
    return CAPTURE_OK;
}
