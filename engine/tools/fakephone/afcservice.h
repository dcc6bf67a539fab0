#pragma once

#include <cstdint>
#include <mutex>
#include <string>

class PhoneState;
class WireStream;

// Just enough of the phone's file service (AFC) for a host's backup and
// restore: the sync lock file "/com.apple.itunes.lock_sync" can be opened,
// locked exclusively (one holder across all connections; others are told the
// lock would block, as they are while the phone is busy with another sync),
// unlocked and closed; the folder "/iTunesRestore" can be
// made and files in it written (what a restoring host leaves there is not
// kept); every other path does not exist. Borrows the shared lock owner and its
// mutex from PhoneServices.
class AfcService
{
public:
    AfcService(const PhoneState& state, std::mutex& lockMutex, uint64_t& lockOwner);
    void Run(WireStream& stream);

private:
    bool Send(WireStream& stream, uint64_t operation, const std::string& payload);
    bool SendStatus(WireStream& stream, uint64_t status);
    void ReleaseLock(uint64_t handle);

    const PhoneState& m_state;
    std::mutex& m_lockMutex;
    uint64_t& m_lockOwner;
    uint64_t m_packetNumber = 0;
};
