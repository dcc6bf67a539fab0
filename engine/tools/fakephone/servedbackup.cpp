#include "servedbackup.h"

#include <openssl/evp.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kMaxPlistSize = 64u << 20;

bool LooksLikeUdid(const std::string& name)
{
    return name.size() >= 24 && name.size() <= 40 &&
           name.find_first_not_of("0123456789abcdefABCDEF-") == std::string::npos;
}

// A stable identity for a folder that carries none: the SHA-1 of its path.
std::string PathDigest(const std::string& path)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(path.data(), path.size(), digest, &length, EVP_sha1(), nullptr);
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < length; ++i) {
        out += hex[digest[i] >> 4];
        out += hex[digest[i] & 15];
    }
    return out;
}

} // namespace

bool ServedBackup::Load(const std::string& folder, const std::string& udid, std::string* error)
{
    std::error_code code;
    const fs::path root = fs::canonical(folder, code);
    if (code || !fs::is_directory(root, code)) {
        *error = "not a folder: " + folder;
        return false;
    }
    m_folder = root.string();
    PlistNode manifest = PlistNode::ReadFile(Path("Manifest.plist"), kMaxPlistSize);
    if (!manifest || plist_get_node_type(manifest.Get()) != PLIST_DICT) {
        *error = "no readable Manifest.plist in " + m_folder;
        return false;
    }
    m_encrypted = PlistNode::Bool(manifest.Get(), "IsEncrypted");
    if (fs::is_regular_file(Path("Manifest.db"), code))
        m_indexName = "Manifest.db";
    else if (fs::is_regular_file(Path("Manifest.mbdb"), code))
        m_indexName = "Manifest.mbdb";
    else {
        *error = "no Manifest.db or Manifest.mbdb in " + m_folder;
        return false;
    }
    m_info = PlistNode::ReadFile(Path("Info.plist"), kMaxPlistSize);
    if (m_info && plist_get_node_type(m_info.Get()) != PLIST_DICT)
        m_info = PlistNode();

    m_udid = udid;
    if (m_udid.empty())
        m_udid = PlistNode::String(m_info.Get(), "Target Identifier");
    if (m_udid.empty())
        m_udid = PlistNode::String(m_info.Get(), "Unique Identifier");
    if (m_udid.empty() && LooksLikeUdid(root.filename().string()))
        m_udid = root.filename().string();
    if (m_udid.empty())
        m_udid = PathDigest(m_folder);
    // The UDID names folders on hosts and in --restore-into: letters, digits
    // and dashes only, whatever a backup's Info.plist says.
    if (m_udid.size() > 64 ||
        m_udid.find_first_not_of(
            "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-") !=
            std::string::npos) {
        *error = "not a usable UDID: " + m_udid;
        return false;
    }

    m_files.clear();
    m_closing.clear();
    // Links are never followed: only regular files inside the folder are served.
    for (fs::recursive_directory_iterator it(root, fs::directory_options::none, code), end;
         !code && it != end; it.increment(code)) {
        const fs::file_status status = it->symlink_status(code);
        if (code || !fs::is_regular_file(status))
            continue;
        const std::string relative = it->path().lexically_relative(root).generic_string();
        File file{relative, static_cast<uint64_t>(it->file_size(code))};
        if (code)
            continue;
        if (relative == "Info.plist")
            continue; // the host writes its own
        if (relative == m_indexName || relative == "Manifest.plist" || relative == "Status.plist")
            m_closing.push_back(file);
        else
            m_files.push_back(file);
    }
    if (code) {
        *error = "cannot list " + m_folder + ": " + code.message();
        return false;
    }
    auto byPath = [](const File& a, const File& b) { return a.path < b.path; };
    std::sort(m_files.begin(), m_files.end(), byPath);
    // The index first, then Manifest.plist, then Status.plist: the order a phone
    // closes a backup in, so that a finished Status.plist means a complete folder.
    auto rank = [this](const File& f) {
        return f.path == m_indexName ? 0 : f.path == "Manifest.plist" ? 1 : 2;
    };
    std::sort(m_closing.begin(), m_closing.end(),
              [&](const File& a, const File& b) { return rank(a) < rank(b); });
    return true;
}

std::string ServedBackup::Path(const std::string& relative) const
{
    return (fs::path(m_folder) / relative).string();
}

std::string ServedBackup::InfoString(const char* key, const char* fallback) const
{
    const std::string value = PlistNode::String(m_info.Get(), key);
    return value.empty() ? std::string(fallback) : value;
}

std::string ServedBackup::DeviceName() const
{
    return InfoString("Device Name", "Test Phone");
}

PlistNode ServedBackup::DeviceValues() const
{
    PlistNode values = PlistNode::Dict();
    plist_t dict = values.Get();
    auto set = [dict](const char* key, const std::string& value) {
        if (!value.empty())
            plist_dict_set_item(dict, key, plist_new_string(value.c_str()));
    };
    set("DeviceName", DeviceName());
    set("ProductType", InfoString("Product Type", "iPhone15,2"));
    set("ProductVersion", InfoString("Product Version", "17.5"));
    set("BuildVersion", InfoString("Build Version", "21F79"));
    set("SerialNumber", InfoString("Serial Number", "FAKEPHONE001"));
    set("UniqueDeviceID", m_udid);
    set("PhoneNumber", InfoString("Phone Number", ""));
    set("InternationalMobileEquipmentIdentity", InfoString("IMEI", ""));
    set("IntegratedCircuitCardIdentity", InfoString("ICCID", ""));
    set("DeviceClass", "iPhone");
    set("ProductName", "iPhone OS");
    set("HardwareModel", "D73AP");
    set("CPUArchitecture", "arm64e");
    set("ActivationState", "Activated");
    set("WiFiAddress", "02:00:00:fa:4e:01");
    set("BluetoothAddress", "02:00:00:fa:4e:02");
    plist_dict_set_item(dict, "PasswordProtected", plist_new_bool(0));
    plist_dict_set_item(dict, "UniqueChipID", plist_new_uint(0xfa4e01));
    return values;
}
