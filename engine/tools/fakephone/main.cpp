// mmobile-fake-phone: a phone on the real wire protocols, for tests without one.
//
//   mmobile-fake-phone --socket PATH --backup DIR [--udid U] [--scenario NAME[,NAME...]]
//                      [--restore-into FOLDER]
//
// Listens on the Unix socket PATH as usbmuxd does; libimobiledevice and its
// tools reach it with USBMUXD_SOCKET_ADDRESS=UNIX:PATH (idevice_id -l,
// ideviceinfo, idevicebackup2 backup). Behind it answer lockdownd (a session
// without SSL), the notification proxy, AFC (the sync lock) and the backup
// service, which sends the backup folder DIR (the sample generator's output)
// as the phone's content: a backup of the fake phone is a copy of DIR in the
// standard layout. A host that already holds a backup of the phone gets only
// what changed. The UDID is U, else the one DIR's Info.plist names, else DIR's
// name when it looks like one, else the SHA-1 of DIR's path. The phone's
// backups are encrypted when DIR is (its WillEncrypt).
//
// Scenarios (comma-separated): normal; locked (a backup answers "Device locked"
// until unlocked); pairing-pending (pairing waits on the trust dialog);
// pairing-refused (pairing is refused until accepted); unplug-at=PERCENT
// (unplugged once PERCENT of the backup's bytes are sent); slow[=MS] (MS
// milliseconds, default 20, after every 64 KiB); disk-full (after asking the
// host's free space, a backup ends with "Insufficient free disk space"); busy
// (another sync holds the sync lock until SIGUSR1); in-place (files are
// uploaded onto their final names in the host's backup, not into Snapshot/);
// no-sizes (upload requests give 0 for the batch's byte count).
// A restore to the phone (idevicebackup2 restore) is kept as FOLDER/<udid>/ in
// the standard layout, with the request's options beside it in
// FOLDER/<udid>.restore-options.plist; without --restore-into it is refused.
// The user's part is played with signals: SIGUSR1 unlocks, ends the other sync and
// accepts the trust dialog, SIGUSR2 refuses it, SIGHUP unplugs or plugs the phone back in.
// The socket's path appears once the phone answers. It runs until killed and
// writes nothing to stdout; errors go to stderr.

#include "pairingstore.h"
#include "phoneservices.h"
#include "phonestate.h"
#include "scenario.h"
#include "servedbackup.h"
#include "signalcontrol.h"
#include "usbmuxserver.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int Usage(const char* reason)
{
    std::fprintf(stderr,
                 "mmobile-fake-phone: %s\n"
                 "usage: mmobile-fake-phone --socket PATH --backup DIR [--udid U] "
                 "[--scenario NAME[,NAME...]] [--restore-into FOLDER]\n"
                 "scenarios: normal, locked, pairing-pending, pairing-refused, "
                 "unplug-at=PERCENT, slow[=MS], disk-full, busy, in-place, no-sizes\n",
                 reason);
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    std::string socketPath, folder, udid, restoreInto, scenarioText = "normal";
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            return Usage(("missing value after " + option).c_str());
        const std::string value = argv[++i];
        if (option == "--socket")
            socketPath = value;
        else if (option == "--backup")
            folder = value;
        else if (option == "--udid")
            udid = value;
        else if (option == "--scenario")
            scenarioText = value;
        else if (option == "--restore-into")
            restoreInto = value;
        else
            return Usage(("unknown option " + option).c_str());
    }
    if (socketPath.empty() || folder.empty())
        return Usage("--socket and --backup are required");
    Scenario scenario;
    std::string error;
    if (!Scenario::Parse(scenarioText, &scenario, &error))
        return Usage(error.c_str());
    ServedBackup backup;
    if (!backup.Load(folder, udid, &error)) {
        std::fprintf(stderr, "mmobile-fake-phone: %s\n", error.c_str());
        return 1;
    }

    SignalControl::Block();
    PhoneState state(scenario);
    PairingStore pairing(scenario.pairing, backup.Udid());
    PhoneServices services(backup, state, pairing, restoreInto);
    UsbmuxServer server(backup, state, pairing, services);
    if (!server.Listen(socketPath, &error)) {
        std::fprintf(stderr, "mmobile-fake-phone: %s\n", error.c_str());
        return 1;
    }
    SignalControl::Start(state, pairing, socketPath);
    server.Run();
    return 1;
}
