#pragma once

#include "servedbackup.h"

#include <cstdint>
#include <string>
#include <vector>

// Which files a backup of the fake phone sends. A full backup sends every file
// of the served folder. An incremental one compares the host's index of its
// last backup (the Manifest.db it holds) with the served one, row by row: a
// file whose row (flags and file record) the host already has is not sent
// again, a file the host lists that the phone no longer has is removed. When
// the host's index cannot be read (none, damaged, encrypted, or the older
// Manifest.mbdb), only an identical index saves work; otherwise all is sent.
class BackupPlan
{
public:
    static BackupPlan Full(const ServedBackup& backup);
    static BackupPlan Incremental(const ServedBackup& backup, const std::string& hostIndexPath);

    std::vector<ServedBackup::File> send; // content files, then the closing ones
    std::vector<std::string> remove;      // relative paths the host should drop
    uint64_t bytes = 0;                   // total of send

private:
    void Add(const ServedBackup::File& file);
};
