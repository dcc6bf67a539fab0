#include "walfile.h"

#include "filebytes.h"
#include "sqliteformat.h"

namespace SqliteCarve {

namespace {

const uint32_t kMagicLittle = 0x377f0682;
const uint32_t kMagicBig = 0x377f0683;
const size_t kHeaderSize = 32;
const size_t kFrameHeaderSize = 24;

uint32_t le32(const uint8_t* p)
{
    return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

// The log's running checksum over 32-bit word pairs.
void checksum(bool bigEndian, const uint8_t* p, size_t n, uint32_t& s0, uint32_t& s1)
{
    for (size_t i = 0; i + 8 <= n; i += 8) {
        const uint32_t x0 = bigEndian ? be32(p + i) : le32(p + i);
        const uint32_t x1 = bigEndian ? be32(p + i + 4) : le32(p + i + 4);
        s0 += x0 + s1;
        s1 += x1 + s0;
    }
}

} // namespace

bool WalFile::load(const std::string& path, std::string* error)
{
    std::vector<uint8_t> bytes;
    return readFileBytes(path, bytes, error) && loadBytes(std::move(bytes), error);
}

bool WalFile::loadBytes(std::vector<uint8_t> bytes, std::string* error)
{
    m_bytes = std::move(bytes);
    m_frames.clear();
    m_committedSize = 0;
    const uint8_t* h = m_bytes.data();
    const uint32_t magic = m_bytes.size() >= kHeaderSize ? be32(h) : 0;
    if (magic != kMagicLittle && magic != kMagicBig) {
        if (error)
            *error = "not a write-ahead log";
        return false;
    }
    m_pageSize = be32(h + 8);
    if (m_pageSize == 1)
        m_pageSize = 65536;
    if (m_pageSize < 512 || m_pageSize > 65536 || (m_pageSize & (m_pageSize - 1))) {
        if (error)
            *error = "write-ahead log with a bad page size";
        return false;
    }
    const bool big = magic == kMagicBig;
    uint32_t s0 = 0, s1 = 0;
    checksum(big, h, 24, s0, s1);
    bool chainIntact = s0 == be32(h + 24) && s1 == be32(h + 28);
    size_t lastCommit = 0;
    const size_t frameSize = kFrameHeaderSize + m_pageSize;
    for (size_t off = kHeaderSize; off + frameSize <= m_bytes.size(); off += frameSize) {
        const uint8_t* f = h + off;
        Frame frame;
        frame.page = be32(f);
        frame.databaseSize = be32(f + 4);
        frame.data = f + kFrameHeaderSize;
        if (chainIntact) {
            checksum(big, f, 8, s0, s1);
            checksum(big, frame.data, m_pageSize, s0, s1);
            chainIntact = be32(f + 8) == be32(h + 16) && be32(f + 12) == be32(h + 20) &&
                          s0 == be32(f + 16) && s1 == be32(f + 20) && frame.page != 0;
        }
        m_frames.push_back(frame);
        if (chainIntact && frame.databaseSize != 0) {
            lastCommit = m_frames.size();
            m_committedSize = frame.databaseSize;
        }
    }
    for (size_t i = 0; i < lastCommit; ++i)
        m_frames[i].committed = true;
    return true;
}

} // namespace SqliteCarve
