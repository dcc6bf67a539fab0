#pragma once

#include <cstdint>
#include <string>
#include <vector>

class BackupPlan;
class DeviceLink;
class PhoneState;
class ServedBackup;

// The phone's side of one Backup request, as a phone of iOS 10 and later plays
// it: locked phones answer "Device locked"; unless a full backup is forced the
// host's Status.plist, Manifest.plist and Manifest.db are fetched to decide what
// changed; the free space is asked; the files are uploaded in batches into
// <udid>/Snapshot/, moved into place, files the phone no longer has removed,
// and Status.plist (finished) comes last, so an interrupted backup leaves the
// host's previous one as it was. In the in-place scenario the files go straight
// onto their final names instead, as phones do on an incremental backup: then
// only the host can keep its previous backup whole. Progress: element 2 of each upload message is
// the overall percentage, element 3 the bytes of that batch. Borrows all.
class BackupSession
{
public:
    BackupSession(const ServedBackup& backup, PhoneState& state, DeviceLink& link,
                  const std::string& target, bool forceFull);
    // False when the connection is gone (unplugged, host left).
    bool Run();

private:
    bool FetchHostIndex(const std::string& scratch, std::string* indexPath);
    // Where a file of the backup is uploaded: Snapshot/ or its final name.
    std::string UploadName(const std::string& path) const;
    bool Directories(const BackupPlan& plan);
    bool EnoughSpace(uint64_t bytes, bool* enough);
    bool Upload(const BackupPlan& plan);
    bool UploadOne(const std::string& remote, const std::string& local, const std::string& bytes);
    bool MoveIntoPlace(const BackupPlan& plan);
    bool RemoveItems(const std::vector<std::string>& paths);
    bool StatusOk();

    const ServedBackup& m_backup;
    PhoneState& m_state;
    DeviceLink& m_link;
    std::string m_target;
    bool m_forceFull;
    uint64_t m_total = 0;
    uint64_t m_sent = 0;
};
