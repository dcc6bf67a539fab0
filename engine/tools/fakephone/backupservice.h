#pragma once

class PhoneState;
class ServedBackup;
class WireStream;

// The phone's backup service (com.apple.mobilebackup2) on one connection: the
// DeviceLink version exchange and Hello, then the host's requests until it
// disconnects. Backup runs a BackupSession; other requests are refused with an
// error the host reports. Borrows everything.
class BackupService
{
public:
    BackupService(const ServedBackup& backup, PhoneState& state);
    void Run(WireStream& stream);

private:
    const ServedBackup& m_backup;
    PhoneState& m_state;
};
