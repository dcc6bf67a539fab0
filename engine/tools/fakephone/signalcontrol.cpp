#include "signalcontrol.h"

#include "pairingstore.h"
#include "phonestate.h"

#include <csignal>
#include <cstdlib>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace {

sigset_t ControlSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGUSR1);
    sigaddset(&set, SIGUSR2);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

} // namespace

void SignalControl::Block()
{
    const sigset_t set = ControlSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

void SignalControl::Start(PhoneState& state, PairingStore& pairing, const std::string& socketPath)
{
    std::thread([&state, &pairing, socketPath] {
        const sigset_t set = ControlSignals();
        for (;;) {
            int received = 0;
            if (sigwait(&set, &received) != 0)
                continue;
            switch (received) {
            case SIGUSR1:
                state.Unlock();
                pairing.Accept();
                break;
            case SIGUSR2:
                pairing.Refuse();
                break;
            case SIGHUP:
                state.TogglePlug();
                break;
            default:
                ::unlink(socketPath.c_str());
                std::_Exit(0);
            }
        }
    }).detach();
}
