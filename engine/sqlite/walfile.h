#ifndef WALFILE_H
#define WALFILE_H

#include <cstdint>
#include <string>
#include <vector>

namespace SqliteCarve {

// A write-ahead log read into memory: its frames in file order, each marked
// committed when its salts and running checksum hold and a commit frame at or
// after it closes the transaction. Frames view the bytes the object owns.
class WalFile
{
public:
    struct Frame
    {
        uint32_t page = 0;
        uint32_t databaseSize = 0; // non-zero on a commit frame
        const uint8_t* data = nullptr;
        bool committed = false;
    };

    bool load(const std::string& path, std::string* error);
    bool loadBytes(std::vector<uint8_t> bytes, std::string* error);

    uint32_t pageSize() const { return m_pageSize; }
    const std::vector<Frame>& frames() const { return m_frames; }
    // Database size in pages after the last committed transaction, 0 if none.
    uint32_t committedSize() const { return m_committedSize; }

private:
    std::vector<uint8_t> m_bytes;
    std::vector<Frame> m_frames;
    uint32_t m_pageSize = 0;
    uint32_t m_committedSize = 0;
};

} // namespace SqliteCarve

#endif // WALFILE_H
