#pragma once

#include "scenario.h"

#include <map>
#include <mutex>
#include <set>
#include <string>

// Trust between the fake phone and hosts, both halves: the pair records that
// usbmuxd keeps for hosts (ReadPairRecord/SavePairRecord) and the host ids that
// the phone's lockdownd trusts, with the state of the "Trust This Computer?"
// dialog. A phone of the normal scenario starts with one record that is trusted
// on both sides, as a phone paired long ago. Thread-safe.
class PairingStore
{
public:
    enum Answer { ACCEPTED, PENDING, REFUSED };

    PairingStore(Scenario::Pairing start, const std::string& udid);

    std::string ReadRecord(const std::string& udid) const; // empty when none
    void SaveRecord(const std::string& udid, const std::string& record);
    void DeleteRecord(const std::string& udid);
    std::string Buid() const { return m_buid; }

    bool Trusts(const std::string& hostId) const;
    // What the dialog answers a Pair request; an accepted host is trusted.
    Answer Pair(const std::string& hostId);
    void Unpair(const std::string& hostId);
    void Accept();
    void Refuse();

    // The phone's RSA public key as PEM (PKCS#1), made on first use: a host
    // signs its new pair record's device certificate with it.
    std::string DevicePublicKey();
    std::string EscrowBag() const { return m_escrowBag; }

private:
    mutable std::mutex m_mutex;
    Scenario::Pairing m_dialog;
    std::string m_buid;
    std::string m_escrowBag;
    std::string m_publicKey;
    std::map<std::string, std::string> m_records;
    std::set<std::string> m_trusted;
};
