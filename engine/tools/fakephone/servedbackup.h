#pragma once

#include "plistnode.h"

#include <cstdint>
#include <string>
#include <vector>

// The backup folder the fake phone serves as its content (what the sample
// generator writes): who the phone is (Info.plist), whether its backups are
// encrypted (Manifest.plist), and the files a backup of it sends. Read once at
// start; the folder is only ever read, never written.
class ServedBackup
{
public:
    struct File
    {
        std::string path; // relative to the folder, '/'-separated ("ab/ab12...")
        uint64_t size = 0;
    };

    // False with a reason when the folder is not a backup folder.
    bool Load(const std::string& folder, const std::string& udid, std::string* error);

    const std::string& Folder() const { return m_folder; }
    const std::string& Udid() const { return m_udid; }
    bool Encrypted() const { return m_encrypted; }
    // "Manifest.db" or "Manifest.mbdb" (the index of the folder's generation).
    const std::string& IndexName() const { return m_indexName; }
    // Content files, in the folder's sorted order; the index, Manifest.plist and
    // Status.plist are kept apart because a backup sends them last.
    const std::vector<File>& Files() const { return m_files; }
    const std::vector<File>& Closing() const { return m_closing; }
    std::string Path(const std::string& relative) const;

    // The answer of lockdown's GetValue without domain and key.
    PlistNode DeviceValues() const;
    std::string DeviceName() const;

private:
    std::string InfoString(const char* key, const char* fallback) const;

    std::string m_folder;
    std::string m_udid;
    std::string m_indexName;
    bool m_encrypted = false;
    PlistNode m_info;
    std::vector<File> m_files;
    std::vector<File> m_closing;
};
