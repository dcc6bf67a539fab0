#include "backupsession.h"

#include "backupplan.h"
#include "devicelink.h"
#include "phonestate.h"
#include "plistnode.h"
#include "servedbackup.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kBlockSize = 64 * 1024;
constexpr uint64_t kBatchBytes = 8u << 20;
constexpr size_t kBatchFiles = 256;
// A phone asks for the backup's size plus this much before it starts.
constexpr uint64_t kSpaceHeadroom = 128u << 20;
constexpr uint64_t kMaxHostIndex = 4ull << 30;

std::string Parent(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Removed when the session ends: the host's index, fetched for the comparison.
class ScratchFolder
{
public:
    ScratchFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "mmobile-fake-phone-XXXXXX").string();
        if (mkdtemp(&pattern[0]))
            m_path = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code error;
        if (!m_path.empty())
            fs::remove_all(m_path, error);
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

PlistNode StatusPlist()
{
    PlistNode status = PlistNode::Dict();
    plist_dict_set_item(status.Get(), "SnapshotState", plist_new_string("finished"));
    plist_dict_set_item(status.Get(), "BackupState", plist_new_string("new"));
    plist_dict_set_item(status.Get(), "IsFullBackup", plist_new_bool(0));
    plist_dict_set_item(status.Get(), "Version", plist_new_string("3.3"));
    return status;
}

} // namespace

BackupSession::BackupSession(const ServedBackup& backup, PhoneState& state, DeviceLink& link,
                             const std::string& target, bool forceFull)
    : m_backup(backup), m_state(state), m_link(link), m_target(target), m_forceFull(forceFull)
{
}

bool BackupSession::StatusOk()
{
    const DeviceLink::Status status = m_link.ReceiveStatus();
    return status.received;
}

bool BackupSession::Run()
{
    if (m_state.Locked())
        return m_link.SendProcessMessage(208, "Device locked (MBErrorDomain/208)");

    ScratchFolder scratch;
    std::string hostIndex;
    if (!m_forceFull && !FetchHostIndex(scratch.Path(), &hostIndex))
        return false;
    const BackupPlan plan = hostIndex.empty() ? BackupPlan::Full(m_backup)
                                              : BackupPlan::Incremental(m_backup, hostIndex);
    m_total = plan.bytes;
    bool enough = false;
    if (!EnoughSpace(plan.bytes, &enough))
        return false;
    if (!enough)
        return m_link.SendProcessMessage(
            105, "Insufficient free disk space on drive to back up (MBErrorDomain/105)");
    if (!Directories(plan) || !Upload(plan) || !MoveIntoPlace(plan))
        return false;
    return m_link.SendProcessMessage(0, std::string());
}

bool BackupSession::FetchHostIndex(const std::string& scratch, std::string* indexPath)
{
    if (scratch.empty())
        return true; // no scratch space: a full backup
    PlistNode request = DeviceLink::Message("DLMessageDownloadFiles");
    PlistNode names = PlistNode::Array();
    for (const char* name : {"Status.plist", "Manifest.plist", m_backup.IndexName().c_str()})
        plist_array_append_item(names.Get(), plist_new_string((m_target + "/" + name).c_str()));
    plist_array_append_item(request.Get(), names.Release());
    plist_array_append_item(request.Get(), plist_new_dict());
    plist_array_append_item(request.Get(), plist_new_real(0));
    std::vector<std::string> received;
    if (!m_link.Send(request) || !m_link.ReceiveFiles(scratch, kMaxHostIndex, &received) ||
        !StatusOk())
        return false;
    const std::string status = m_target + "/Status.plist";
    const std::string index = m_target + "/" + m_backup.IndexName();
    std::set<std::string> have(received.begin(), received.end());
    // Only a finished backup is a base for the next one.
    PlistNode statusPlist = PlistNode::ReadFile((fs::path(scratch) / status).string(), 1u << 20);
    if (have.count(index) && PlistNode::String(statusPlist.Get(), "SnapshotState") == "finished")
        *indexPath = (fs::path(scratch) / index).string();
    return true;
}

bool BackupSession::EnoughSpace(uint64_t bytes, bool* enough)
{
    PlistNode request = DeviceLink::Message("DLMessageGetFreeDiskSpace");
    if (!m_link.Send(request))
        return false;
    const DeviceLink::Status status = m_link.ReceiveStatus();
    if (!status.received)
        return false;
    uint64_t free = 0;
    if (status.payload && plist_get_node_type(status.payload.Get()) == PLIST_UINT)
        plist_get_uint_val(status.payload.Get(), &free);
    *enough = status.code == 0 && free >= bytes + kSpaceHeadroom && !m_state.DiskFull();
    return true;
}

std::string BackupSession::UploadName(const std::string& path) const
{
    return m_state.InPlace() ? m_target + "/" + path : m_target + "/Snapshot/" + path;
}

bool BackupSession::Directories(const BackupPlan& plan)
{
    std::set<std::string> folders = {m_target};
    if (!m_state.InPlace())
        folders.insert(m_target + "/Snapshot");
    for (const ServedBackup::File& file : plan.send) {
        for (std::string parent = Parent(file.path); !parent.empty(); parent = Parent(parent)) {
            folders.insert(UploadName(parent));
            folders.insert(m_target + "/" + parent);
        }
    }
    for (const std::string& folder : folders) {
        PlistNode request = DeviceLink::Message("DLMessageCreateDirectory");
        plist_array_append_item(request.Get(), plist_new_string(folder.c_str()));
        // An existing folder is reported as an error by some hosts: not a failure.
        if (!m_link.Send(request) || !StatusOk())
            return false;
    }
    return true;
}

bool BackupSession::UploadOne(const std::string& remote, const std::string& local,
                              const std::string& bytes)
{
    if (!m_link.SendName(remote) || !m_link.SendName(remote))
        return false;
    FILE* in = local.empty() ? nullptr : std::fopen(local.c_str(), "rb");
    if (!local.empty() && !in) {
        const std::string why = "cannot read " + local;
        return m_link.SendBlock(DeviceLink::CODE_ERROR_REMOTE, why.data(),
                                static_cast<uint32_t>(why.size()));
    }
    std::string buffer(kBlockSize, '\0');
    size_t offset = 0;
    bool ok = true;
    for (;;) {
        if (m_state.UnplugDue(m_sent, m_total))
            m_state.Unplug();
        if (!m_state.Plugged()) {
            ok = false;
            break;
        }
        size_t got = 0;
        if (in) {
            got = std::fread(&buffer[0], 1, kBlockSize, in);
        } else {
            got = std::min<size_t>(kBlockSize, bytes.size() - offset);
            buffer.assign(bytes, offset, got);
            offset += got;
        }
        if (got == 0)
            break;
        if (!m_link.SendBlock(DeviceLink::CODE_FILE_DATA, buffer.data(),
                              static_cast<uint32_t>(got))) {
            ok = false;
            break;
        }
        m_sent += got;
        if (m_state.SlowMilliseconds() > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(m_state.SlowMilliseconds()));
    }
    if (in)
        std::fclose(in);
    return ok && m_link.SendBlock(DeviceLink::CODE_SUCCESS, nullptr, 0);
}

bool BackupSession::Upload(const BackupPlan& plan)
{
    size_t next = 0;
    while (next < plan.send.size()) {
        size_t end = next;
        uint64_t batchBytes = 0;
        while (end < plan.send.size() && end - next < kBatchFiles &&
               (end == next || batchBytes + plan.send[end].size <= kBatchBytes) &&
               plan.send[end].path != "Status.plist") {
            batchBytes += plan.send[end].size;
            ++end;
        }
        if (end == next)
            break; // only Status.plist is left: it goes last, after the moves
        PlistNode request = DeviceLink::Message("DLMessageUploadFiles");
        PlistNode files = PlistNode::Dict();
        for (size_t i = next; i < end; ++i)
            plist_dict_set_item(files.Get(), UploadName(plan.send[i].path).c_str(),
                                plist_new_uint(plan.send[i].size));
        plist_array_append_item(request.Get(), files.Release());
        plist_array_append_item(request.Get(),
                                plist_new_real(m_total ? 100.0 * m_sent / m_total : 0.0));
        plist_array_append_item(request.Get(),
                                plist_new_uint(m_state.SendsSizes() ? batchBytes : 0));
        if (!m_link.Send(request))
            return false;
        for (size_t i = next; i < end; ++i) {
            if (!UploadOne(UploadName(plan.send[i].path), m_backup.Path(plan.send[i].path),
                           std::string()))
                return false;
        }
        if (!m_link.SendEndOfFiles() || !StatusOk())
            return false;
        next = end;
    }
    return true;
}

bool BackupSession::RemoveItems(const std::vector<std::string>& paths)
{
    if (paths.empty())
        return true;
    PlistNode request = DeviceLink::Message("DLMessageRemoveItems");
    PlistNode list = PlistNode::Array();
    for (const std::string& path : paths)
        plist_array_append_item(list.Get(), plist_new_string(path.c_str()));
    plist_array_append_item(request.Get(), list.Release());
    plist_array_append_item(request.Get(), plist_new_dict());
    plist_array_append_item(request.Get(), plist_new_real(100.0));
    return m_link.Send(request) && StatusOk();
}

bool BackupSession::MoveIntoPlace(const BackupPlan& plan)
{
    PlistNode moves = PlistNode::Dict();
    std::set<std::string> snapshotFolders;
    bool hasStatus = false;
    for (const ServedBackup::File& file : plan.send) {
        if (file.path == "Status.plist") {
            hasStatus = true;
            continue;
        }
        if (m_state.InPlace())
            continue; // already where it belongs
        plist_dict_set_item(moves.Get(), (m_target + "/Snapshot/" + file.path).c_str(),
                            plist_new_string((m_target + "/" + file.path).c_str()));
        for (std::string parent = Parent(file.path); !parent.empty(); parent = Parent(parent))
            snapshotFolders.insert(parent);
    }
    if (plist_dict_get_size(moves.Get()) > 0) {
        PlistNode request = DeviceLink::Message("DLMessageMoveItems");
        plist_array_append_item(request.Get(), moves.Release());
        plist_array_append_item(request.Get(), plist_new_dict());
        plist_array_append_item(request.Get(), plist_new_real(100.0));
        if (!m_link.Send(request) || !StatusOk())
            return false;
    }
    std::vector<std::string> removals;
    for (const std::string& path : plan.remove)
        removals.push_back(m_target + "/" + path);
    // Deepest first, so that each folder is empty when its turn comes.
    for (auto it = snapshotFolders.rbegin(); it != snapshotFolders.rend(); ++it)
        removals.push_back(m_target + "/Snapshot/" + *it);
    if (!m_state.InPlace())
        removals.push_back(m_target + "/Snapshot");
    if (!RemoveItems(removals))
        return false;

    // Status.plist last: finished means everything before it is in place.
    const std::string statusBytes = hasStatus ? std::string() : StatusPlist().Xml();
    uint64_t statusSize = statusBytes.size();
    if (hasStatus) {
        std::error_code error;
        statusSize = fs::file_size(m_backup.Path("Status.plist"), error);
    }
    PlistNode request = DeviceLink::Message("DLMessageUploadFiles");
    PlistNode files = PlistNode::Dict();
    plist_dict_set_item(files.Get(), (m_target + "/Status.plist").c_str(),
                        plist_new_uint(statusSize));
    plist_array_append_item(request.Get(), files.Release());
    plist_array_append_item(request.Get(), plist_new_real(100.0));
    plist_array_append_item(request.Get(), plist_new_uint(m_state.SendsSizes() ? statusSize : 0));
    return m_link.Send(request) &&
           UploadOne(m_target + "/Status.plist",
                     hasStatus ? m_backup.Path("Status.plist") : std::string(), statusBytes) &&
           m_link.SendEndOfFiles() && StatusOk();
}
