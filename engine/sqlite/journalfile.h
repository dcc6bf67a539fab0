#ifndef JOURNALFILE_H
#define JOURNALFILE_H

#include <cstdint>
#include <string>
#include <vector>

namespace SqliteCarve {

// A rollback journal read into memory: the original images of the pages a
// transaction changed, also from a journal captured before its first sync
// (magic and record count still zero). Page views point into bytes the
// object owns.
class JournalFile
{
public:
    struct Page
    {
        uint32_t page = 0;
        const uint8_t* data = nullptr;
    };

    // pageSize is the database's, used when a persisted journal's header was
    // zeroed at commit.
    bool load(const std::string& path, uint32_t pageSize, std::string* error);
    bool loadBytes(std::vector<uint8_t> bytes, uint32_t pageSize, std::string* error);

    uint32_t pageSize() const { return m_pageSize; }
    const std::vector<Page>& pages() const { return m_pages; }

private:
    std::vector<uint8_t> m_bytes;
    std::vector<Page> m_pages;
    uint32_t m_pageSize = 0;
};

} // namespace SqliteCarve

#endif // JOURNALFILE_H
