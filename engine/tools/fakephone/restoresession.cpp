#include "restoresession.h"

#include "devicelink.h"
#include "phonestate.h"
#include "plistnode.h"

#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kMaxFile = 64ull << 30;
constexpr size_t kBatchFiles = 64;
constexpr int kMaxDepth = 4;

// The fileIDs of the files (flags 1) a Manifest.db lists; false when it is not
// a readable one (absent, encrypted, damaged).
bool ListedFiles(const std::string& path, std::vector<std::string>* ids)
{
    sqlite3* db = nullptr;
    const std::string uri = "file:" + path + "?immutable=1";
    bool ok = sqlite3_open_v2(uri.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) ==
              SQLITE_OK;
    sqlite3_stmt* query = nullptr;
    ok = ok && sqlite3_prepare_v2(db, "SELECT fileID FROM Files WHERE flags = 1", -1, &query,
                                  nullptr) == SQLITE_OK;
    int step = SQLITE_DONE;
    while (ok && (step = sqlite3_step(query)) == SQLITE_ROW) {
        const unsigned char* id = sqlite3_column_text(query, 0);
        const std::string text = id ? reinterpret_cast<const char*>(id) : "";
        // Only names that stay inside the folder: hex IDs of two or more characters.
        if (text.size() >= 2 && text.find_first_not_of("0123456789abcdef") == std::string::npos)
            ids->push_back(text);
    }
    ok = ok && step == SQLITE_DONE;
    sqlite3_finalize(query);
    sqlite3_close(db);
    return ok;
}

} // namespace

RestoreSession::RestoreSession(PhoneState& state, DeviceLink& link, const std::string& phoneUdid,
                               const std::string& source, const PlistNode& options,
                               const std::string& into)
    : m_state(state), m_link(link), m_udid(phoneUdid), m_source(source), m_options(options),
      m_into(into)
{
}

bool RestoreSession::Download(const std::vector<std::string>& names, const std::string& staging,
                              std::vector<std::string>* received, double progress)
{
    PlistNode request = DeviceLink::Message("DLMessageDownloadFiles");
    PlistNode list = PlistNode::Array();
    for (const std::string& name : names)
        plist_array_append_item(list.Get(), plist_new_string(name.c_str()));
    plist_array_append_item(request.Get(), list.Release());
    plist_array_append_item(request.Get(), plist_new_dict());
    plist_array_append_item(request.Get(), plist_new_real(progress));
    return m_link.Send(request) && m_link.ReceiveFiles(staging, kMaxFile, received) &&
           m_link.ReceiveStatus().received;
}

bool RestoreSession::List(const std::string& folder, std::vector<std::string>* files)
{
    std::vector<std::pair<std::string, int>> pending = {{folder, 0}};
    while (!pending.empty()) {
        const auto [path, depth] = pending.back();
        pending.pop_back();
        PlistNode request = DeviceLink::Message("DLContentsOfDirectory");
        plist_array_append_item(request.Get(), plist_new_string(path.c_str()));
        if (!m_link.Send(request))
            return false;
        const DeviceLink::Status status = m_link.ReceiveStatus();
        if (!status.received)
            return false;
        plist_t entries = status.payload.Get();
        if (status.code != 0 || !entries || plist_get_node_type(entries) != PLIST_DICT)
            continue;
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(entries, &it);
        for (;;) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(entries, it, &key, &value);
            if (!value)
                break;
            const std::string name = key ? key : "";
            free(key);
            if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
                continue;
            const std::string type = PlistNode::String(value, "DLFileType");
            if (type == "DLFileTypeRegular")
                files->push_back(path + "/" + name);
            else if (type == "DLFileTypeDirectory" && depth < kMaxDepth && name != "Snapshot")
                pending.push_back({path + "/" + name, depth + 1});
        }
        free(it);
    }
    return true;
}

bool RestoreSession::Finish(uint64_t code, const std::string& description,
                            const std::string& staging)
{
    std::error_code error;
    if (code == 0) {
        const fs::path target = fs::path(m_into) / m_udid;
        fs::remove_all(target, error);
        fs::rename(fs::path(staging) / m_source, target, error);
        if (error) {
            code = 100;
        } else {
            PlistNode options(plist_copy(m_options.Get()));
            if (!options || plist_get_node_type(options.Get()) != PLIST_DICT)
                options = PlistNode::Dict();
            const bool password = plist_dict_get_item(options.Get(), "Password") != nullptr;
            plist_dict_remove_item(options.Get(), "Password");
            plist_dict_set_item(options.Get(), "PasswordGiven", plist_new_bool(password));
            std::ofstream(target.string() + ".restore-options.plist") << options.Xml();
        }
    }
    fs::remove_all(staging, error);
    return m_link.SendProcessMessage(code,
                                     code == 100 ? "Cannot keep the restored files" : description);
}

bool RestoreSession::Run()
{
    if (m_state.Locked())
        return m_link.SendProcessMessage(208, "Device locked (MBErrorDomain/208)");
    std::error_code error;
    const std::string staging = (fs::path(m_into) / (".incoming-" + m_udid)).string();
    fs::remove_all(staging, error);
    // The source names a folder below the staging one: a plain name only.
    const bool plainName = !m_source.empty() && m_source != "." && m_source != ".." &&
                           m_source.find_first_of("/\\") == std::string::npos;
    if (m_into.empty() || !plainName || !fs::create_directories(staging, error))
        return m_link.SendProcessMessage(1, "The fake phone keeps no restores: start it with "
                                            "--restore-into DIR");
    std::vector<std::string> first;
    for (const char* name :
         {"Status.plist", "Manifest.plist", "Info.plist", "Manifest.db", "Manifest.mbdb"})
        first.push_back(m_source + "/" + name);
    std::vector<std::string> received;
    if (!Download(first, staging, &received, 0))
        return false;

    std::vector<std::string> wanted;
    std::vector<std::string> ids;
    const bool indexed = ListedFiles((fs::path(staging) / m_source / "Manifest.db").string(), &ids);
    if (indexed) {
        for (const std::string& id : ids)
            wanted.push_back(m_source + "/" + id.substr(0, 2) + "/" + id);
    } else {
        std::vector<std::string> listed;
        if (!List(m_source, &listed))
            return false;
        const std::set<std::string> already(received.begin(), received.end());
        for (const std::string& name : listed)
            if (!already.count(name))
                wanted.push_back(name);
    }

    size_t got = 0;
    for (size_t next = 0; next < wanted.size(); next += kBatchFiles) {
        if (m_state.UnplugDue(next, wanted.size()))
            m_state.Unplug();
        if (!m_state.Plugged())
            return false;
        const std::vector<std::string> batch(
            wanted.begin() + next, wanted.begin() + std::min(wanted.size(), next + kBatchFiles));
        std::vector<std::string> arrived;
        if (!Download(batch, staging, &arrived, 100.0 * next / wanted.size()))
            return false;
        got += arrived.size();
        if (m_state.SlowMilliseconds() > 0)
            std::this_thread::sleep_for(
                std::chrono::milliseconds(m_state.SlowMilliseconds() * batch.size()));
    }
    if (indexed && got != wanted.size())
        return Finish(205, "Multiple errors downloading files (MBErrorDomain/205)", staging);
    return Finish(0, std::string(), staging);
}
