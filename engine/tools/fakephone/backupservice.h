#pragma once

#include <string>

class PhoneState;
class ServedBackup;
class WireStream;

// The phone's backup service (com.apple.mobilebackup2) on one connection: the
// DeviceLink version exchange and Hello, then the host's requests until it
// disconnects. Backup runs a BackupSession, Restore a RestoreSession (kept in
// restoreInto); other requests are refused with an error the host reports.
// Borrows everything.
class BackupService
{
public:
    BackupService(const ServedBackup& backup, PhoneState& state, const std::string& restoreInto);
    void Run(WireStream& stream);

private:
    const ServedBackup& m_backup;
    PhoneState& m_state;
    std::string m_restoreInto;
};
