#include "journalfile.h"

#include "filebytes.h"
#include "sqliteformat.h"

#include <algorithm>
#include <cstring>

namespace SqliteCarve {

namespace {

const uint8_t kMagic[8] = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};
const size_t kHeaderFields = 28;

} // namespace

bool JournalFile::load(const std::string& path, uint32_t pageSize, std::string* error)
{
    std::vector<uint8_t> bytes;
    return readFileBytes(path, bytes, error) && loadBytes(std::move(bytes), pageSize, error);
}

bool JournalFile::loadBytes(std::vector<uint8_t> bytes, uint32_t pageSize, std::string* error)
{
    m_bytes = std::move(bytes);
    m_pages.clear();
    if (m_bytes.size() < kHeaderFields) {
        if (error)
            *error = "not a rollback journal";
        return false;
    }
    const uint8_t* h = m_bytes.data();
    uint32_t sector = 0;
    m_pageSize = pageSize;
    const auto zero = [](uint8_t b) { return b == 0; };
    const auto powerOfTwo = [](uint32_t v, uint32_t low) {
        return v >= low && v <= 65536 && !(v & (v - 1));
    };
    if (std::equal(kMagic, kMagic + 8, h)) {
        sector = be32(h + 20);
        m_pageSize = be32(h + 24);
    } else if (std::all_of(h, h + 12, zero) && powerOfTwo(be32(h + 20), 32) &&
               powerOfTwo(be32(h + 24), 512)) {
        // Captured before its first sync: SQLite writes the magic and the
        // record count last, the nonce, sizes and records first.
        sector = be32(h + 20);
        m_pageSize = be32(h + 24);
    } else if (!std::all_of(h, h + kHeaderFields, zero)) {
        if (error)
            *error = "not a rollback journal";
        return false;
    }
    if (m_pageSize < 512 || m_pageSize > 65536 || (m_pageSize & (m_pageSize - 1))) {
        if (error)
            *error = "rollback journal with a bad page size";
        return false;
    }
    if (sector == 0) {
        // A persisted journal's header was zeroed at commit, its sector size
        // with it: the first record is where a page number and a b-tree page
        // start on a sector boundary.
        for (uint32_t candidate = 512; candidate <= 65536 && !sector; candidate *= 2) {
            if (candidate + 4 + m_pageSize > m_bytes.size())
                break;
            const uint8_t* page = h + candidate + 4;
            const uint8_t flag = page[0];
            const bool firstPage = std::memcmp(page, "SQLite format 3", 16) == 0;
            if (be32(h + candidate) != 0 &&
                (firstPage || flag == InteriorIndexPage || flag == InteriorTablePage ||
                 flag == LeafIndexPage || flag == LeafTablePage))
                sector = candidate;
        }
    }
    if (sector < 32 || sector > 65536 || (sector & (sector - 1))) {
        if (error)
            *error = "rollback journal without records";
        return false;
    }
    // Every record is taken, whatever the header's count says: records past
    // it are older transactions' pages and still worth carving.
    const size_t recordSize = 8 + size_t(m_pageSize);
    for (size_t off = sector; off + recordSize <= m_bytes.size(); off += recordSize) {
        const uint32_t page = be32(h + off);
        if (std::equal(kMagic, kMagic + 8, h + off)) {
            // A later segment's header: records resume at the next sector.
            off = off + sector - recordSize;
            continue;
        }
        if (page != 0)
            m_pages.push_back({page, h + off + 4});
    }
    return true;
}

} // namespace SqliteCarve
