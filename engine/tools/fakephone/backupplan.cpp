#include "backupplan.h"

#include <sqlite3.h>

#include <fstream>
#include <map>
#include <set>

namespace {

struct Row
{
    int64_t flags = 0;
    std::string record;
};

// fileID -> row of a Manifest.db, opened read-only and immutable (no journal,
// no lock, no byte changed); false when it is not such a database.
bool ReadRows(const std::string& path, std::map<std::string, Row>* rows)
{
    sqlite3* db = nullptr;
    const std::string uri = "file:" + path + "?immutable=1";
    bool ok = sqlite3_open_v2(uri.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) ==
              SQLITE_OK;
    sqlite3_stmt* query = nullptr;
    ok = ok && sqlite3_prepare_v2(db, "SELECT fileID, flags, file FROM Files", -1, &query,
                                  nullptr) == SQLITE_OK;
    int step = SQLITE_DONE;
    while (ok && (step = sqlite3_step(query)) == SQLITE_ROW) {
        const unsigned char* id = sqlite3_column_text(query, 0);
        if (!id)
            continue;
        Row row;
        row.flags = sqlite3_column_int64(query, 1);
        const void* blob = sqlite3_column_blob(query, 2);
        row.record.assign(static_cast<const char*>(blob ? blob : ""),
                          static_cast<size_t>(sqlite3_column_bytes(query, 2)));
        (*rows)[reinterpret_cast<const char*>(id)] = std::move(row);
    }
    ok = ok && step == SQLITE_DONE;
    sqlite3_finalize(query);
    sqlite3_close(db);
    return ok;
}

bool SameBytes(const std::string& a, const std::string& b)
{
    std::ifstream left(a, std::ios::binary), right(b, std::ios::binary);
    if (!left || !right)
        return false;
    char x[65536], y[65536];
    for (;;) {
        left.read(x, sizeof x);
        right.read(y, sizeof y);
        if (left.gcount() != right.gcount() ||
            std::char_traits<char>::compare(x, y, static_cast<size_t>(left.gcount())) != 0)
            return false;
        if (!left || !right)
            return !left && !right;
    }
}

std::string FileId(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

void BackupPlan::Add(const ServedBackup::File& file)
{
    send.push_back(file);
    bytes += file.size;
}

BackupPlan BackupPlan::Full(const ServedBackup& backup)
{
    BackupPlan plan;
    for (const ServedBackup::File& file : backup.Files())
        plan.Add(file);
    for (const ServedBackup::File& file : backup.Closing())
        plan.Add(file);
    return plan;
}

BackupPlan BackupPlan::Incremental(const ServedBackup& backup, const std::string& hostIndexPath)
{
    const std::string servedIndex = backup.Path(backup.IndexName());
    std::map<std::string, Row> served, host;
    const bool rowsKnown = backup.IndexName() == "Manifest.db" && ReadRows(servedIndex, &served) &&
                           ReadRows(hostIndexPath, &host);
    const bool identical = !rowsKnown && SameBytes(servedIndex, hostIndexPath);
    if (!rowsKnown && !identical)
        return Full(backup);

    BackupPlan plan;
    std::set<std::string> servedIds;
    for (const ServedBackup::File& file : backup.Files()) {
        if (identical)
            continue;
        const std::string id = FileId(file.path);
        servedIds.insert(id);
        auto mine = served.find(id);
        auto theirs = host.find(id);
        const bool unchanged = mine != served.end() && theirs != host.end() &&
                               mine->second.flags == theirs->second.flags &&
                               mine->second.record == theirs->second.record;
        if (!unchanged)
            plan.Add(file);
    }
    for (const auto& entry : host) {
        // Files (flags 1) that the phone no longer has; their place in the
        // layout is the one the phone uses: the ID's first two characters.
        if (entry.second.flags != 1 || served.count(entry.first) > 0 || entry.first.size() < 2)
            continue;
        if (entry.first.find_first_not_of("0123456789abcdef") != std::string::npos)
            continue;
        plan.remove.push_back(entry.first.substr(0, 2) + "/" + entry.first);
    }
    for (const ServedBackup::File& file : backup.Closing())
        plan.Add(file);
    return plan;
}
