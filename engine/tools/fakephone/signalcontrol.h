#pragma once

#include <string>

class PairingStore;
class PhoneState;

// How a test plays the user's part: signals to the fake phone's process.
//   SIGUSR1  unlock the phone and accept the trust dialog ("Trust")
//   SIGUSR2  refuse the trust dialog ("Don't Trust")
//   SIGHUP   unplug the phone, or plug it in again
//   SIGTERM, SIGINT  remove the socket and end
// Block() must run before any thread starts, so that only the control thread
// ever receives these signals. Borrows the state; the thread runs until exit.
class SignalControl
{
public:
    static void Block();
    static void Start(PhoneState& state, PairingStore& pairing, const std::string& socketPath);
};
