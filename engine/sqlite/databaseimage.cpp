#include "databaseimage.h"

#include "filebytes.h"
#include "sqliteformat.h"
#include "walfile.h"

#include <algorithm>
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
    m_mapped = MappedFile();
    m_bytes = std::move(bytes);
    m_data = m_bytes.data();
    m_size = m_bytes.size();
    return dropWal(error);
}

bool DatabaseImage::loadMapped(const std::string& path, std::string* error)
{
    m_bytes = std::vector<uint8_t>();
    m_data = nullptr;
    m_size = 0;
    if (!m_mapped.open(path, error))
        return false;
    m_data = m_mapped.data();
    m_size = m_mapped.size();
    return dropWal(error);
}

bool DatabaseImage::dropWal(std::string* error)
{
    m_pages.clear();
    m_blank.clear();
    m_pageSize = m_usableSize = 0;
    // A database in WAL mode that was never checkpointed is an empty file;
    // its pages are all in the log.
    if (m_size == 0)
        return true;
    if (!readHeader(m_data, m_size, error))
        return false;
    const size_t count = m_size / m_pageSize;
    m_pages.reserve(count);
    for (size_t i = 0; i < count; ++i)
        m_pages.push_back(m_data + i * m_pageSize);
    return true;
}

bool DatabaseImage::readHeader(const uint8_t* h, size_t available, std::string* error)
{
    if (available < 512 || std::memcmp(h, kMagic, sizeof kMagic) != 0) {
        if (error)
            *error = "not an SQLite 3 database";
        return false;
    }
    uint32_t pageSize = be16(h + 16);
    if (pageSize == 1)
        pageSize = 65536;
    const uint32_t reserved = h[20];
    if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) ||
        pageSize - reserved < 480 || (m_pageSize && pageSize != m_pageSize)) {
        if (error)
            *error = "database header with a bad page size";
        return false;
    }
    m_pageSize = pageSize;
    m_usableSize = m_pageSize - reserved;
    m_freelistTrunk = be32(h + 32);
    m_autoVacuum = be32(h + 52) != 0;
    const uint32_t encoding = be32(h + 56);
    m_encoding = encoding == 2 ? Utf16le : encoding == 3 ? Utf16be : Utf8;
    return true;
}

bool DatabaseImage::applyWal(const WalFile& wal, std::string* error)
{
    if (m_pageSize == 0)
        m_pageSize = wal.pageSize();
    if (wal.pageSize() != m_pageSize) {
        if (error)
            *error = "the write-ahead log's page size is not the database's";
        return false;
    }
    if (wal.committedSize() != 0) {
        // The size a commit frame claims is a number of the file: past every
        // page the database and the log hold, it names only blank pages.
        size_t highest = m_pages.size();
        for (const WalFile::Frame& frame : wal.frames()) {
            if (frame.committed)
                highest = std::max<size_t>(highest, frame.page);
        }
        m_blank.assign(m_pageSize, 0);
        m_pages.resize(std::min<size_t>(wal.committedSize(), highest), m_blank.data());
        for (const WalFile::Frame& frame : wal.frames()) {
            if (frame.committed && frame.page <= m_pages.size())
                m_pages[frame.page - 1] = frame.data;
        }
    }
    // The log's copy of page 1 carries the header in force.
    if (m_pages.empty()) {
        if (error)
            *error = "not an SQLite 3 database";
        return false;
    }
    return readHeader(m_pages[0], m_pageSize, error);
}

} // namespace SqliteCarve
