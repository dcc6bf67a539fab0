#include "databaseimage.h"

#include "filebytes.h"
#include "sqliteformat.h"
#include "walfile.h"

#include <cstring>

namespace SqliteCarve {

namespace {

const char kMagic[] = "SQLite format 3";

} // namespace

bool DatabaseImage::load(const std::string& path, std::string* error)
{
    std::vector<uint8_t> bytes;
    return readFileBytes(path, bytes, error) && loadBytes(std::move(bytes), error);
}

bool DatabaseImage::loadBytes(std::vector<uint8_t> bytes, std::string* error)
{
    m_bytes = std::move(bytes);
    m_pages.clear();
    const uint8_t* h = m_bytes.data();
    if (m_bytes.size() < 512 || std::memcmp(h, kMagic, sizeof kMagic) != 0) {
        if (error)
            *error = "not an SQLite 3 database";
        return false;
    }
    m_pageSize = be16(h + 16);
    if (m_pageSize == 1)
        m_pageSize = 65536;
    const uint32_t reserved = h[20];
    if (m_pageSize < 512 || m_pageSize > 65536 || (m_pageSize & (m_pageSize - 1)) ||
        m_pageSize - reserved < 480) {
        if (error)
            *error = "database header with a bad page size";
        return false;
    }
    m_usableSize = m_pageSize - reserved;
    m_freelistTrunk = be32(h + 32);
    m_autoVacuum = be32(h + 52) != 0;
    const uint32_t encoding = be32(h + 56);
    m_encoding = encoding == 2 ? Utf16le : encoding == 3 ? Utf16be : Utf8;
    const size_t count = m_bytes.size() / m_pageSize;
    m_pages.reserve(count);
    for (size_t i = 0; i < count; ++i)
        m_pages.push_back(h + i * m_pageSize);
    return true;
}

void DatabaseImage::applyWal(const WalFile& wal)
{
    if (wal.pageSize() != m_pageSize || wal.committedSize() == 0)
        return;
    m_blank.assign(m_pageSize, 0);
    m_pages.resize(wal.committedSize(), m_blank.data());
    for (const WalFile::Frame& frame : wal.frames()) {
        if (frame.committed && frame.page <= m_pages.size())
            m_pages[frame.page - 1] = frame.data;
    }
    // The log's copy of page 1 carries the header in force.
    const uint8_t* h = m_pages[0];
    m_freelistTrunk = be32(h + 32);
}

} // namespace SqliteCarve
