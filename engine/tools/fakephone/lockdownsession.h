#pragma once

#include <string>

class PairingStore;
class PhoneState;
class PlistNode;
class ServedBackup;
class WireStream;

// One connection to the fake phone's lockdownd: QueryType, GetValue (the
// device's values, the backup domain's WillEncrypt), Pair/ValidatePair/Unpair
// through the trust dialog of the scenario, StartSession (never switching to
// SSL), StartService and Goodbye. Borrows everything; lives for one connection.
class LockdownSession
{
public:
    LockdownSession(const ServedBackup& backup, PhoneState& state, PairingStore& pairing);
    void Run(WireStream& stream);

private:
    PlistNode Answer(const PlistNode& request);
    PlistNode Value(const std::string& domain, const std::string& key);
    PlistNode Pair(const PlistNode& request, const std::string& verb);

    const ServedBackup& m_backup;
    PhoneState& m_state;
    PairingStore& m_pairing;
    std::string m_sessionId;
    bool m_done = false;
};
