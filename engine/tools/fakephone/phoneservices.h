#pragma once

#include <cstdint>
#include <mutex>
#include <string>

class ServedBackup;
class PhoneState;
class PairingStore;

// The services of the fake phone behind usbmux ports: lockdownd on 62078 and
// the services lockdownd starts (notification proxy, AFC, the backup service),
// each on a fixed port. Runs one connection to completion on the caller's
// thread. Borrows the served backup and the shared state; owns the AFC sync
// lock, which every AFC connection shares.
class PhoneServices
{
public:
    static constexpr uint16_t kLockdownPort = 62078;

    PhoneServices(const ServedBackup& backup, PhoneState& state, PairingStore& pairing,
                  const std::string& restoreInto);

    // 0 for a service the phone does not offer.
    static uint16_t PortOf(const std::string& service);
    bool Offers(uint16_t port) const;
    void Run(uint16_t port, int fd);

private:
    const ServedBackup& m_backup;
    PhoneState& m_state;
    PairingStore& m_pairing;
    std::string m_restoreInto;
    std::mutex m_afcLockMutex;
    uint64_t m_afcLockOwner = 0;
};
