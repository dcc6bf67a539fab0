#ifndef DATABASEIMAGE_H
#define DATABASEIMAGE_H

#include "mappedfile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace SqliteCarve {

class WalFile;

// The current state of a database: the file's bytes, read once into memory
// or mapped, with the committed frames of its write-ahead log laid over
// them, and the header fields the carver needs. Pages are 1-based; page()
// hands out views into memory this object (or the log it was given) owns.
class DatabaseImage
{
public:
    enum Encoding : uint8_t { Utf8 = 1, Utf16le = 2, Utf16be = 3 };

    bool load(const std::string& path, std::string* error);
    bool loadBytes(std::vector<uint8_t> bytes, std::string* error);
    // The file mapped, not read (see MappedFile: a private copy only).
    bool loadMapped(const std::string& path, std::string* error);
    // Lays the log's committed frames over the file; the log must outlive
    // this image. False when the result is no database.
    bool applyWal(const WalFile& wal, std::string* error);
    // Back to the file's own pages, as before applyWal.
    bool dropWal(std::string* error);

    uint32_t pageSize() const { return m_pageSize; }
    uint32_t usableSize() const { return m_usableSize; }
    uint32_t pageCount() const { return uint32_t(m_pages.size()); }
    Encoding encoding() const { return m_encoding; }
    uint32_t freelistTrunk() const { return m_freelistTrunk; }
    bool hasPointerMaps() const { return m_autoVacuum; }
    uint64_t byteSize() const { return m_size; }

    const uint8_t* page(uint32_t number) const
    {
        return number >= 1 && number <= m_pages.size() ? m_pages[number - 1] : nullptr;
    }
    // The file's own copy of a page, which a committed frame of the log may
    // have superseded; null past the file's end.
    const uint8_t* filePage(uint32_t number) const
    {
        return number >= 1 && uint64_t(number) * m_pageSize <= m_size
                   ? m_data + uint64_t(number - 1) * m_pageSize
                   : nullptr;
    }
    // Where the b-tree header starts: after the file header on page 1.
    static uint32_t headerOffset(uint32_t number) { return number == 1 ? 100 : 0; }

private:
    bool readHeader(const uint8_t* h, size_t available, std::string* error);

    std::vector<uint8_t> m_bytes; // the file read, or
    MappedFile m_mapped;          // the file mapped
    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    std::vector<const uint8_t*> m_pages;
    std::vector<uint8_t> m_blank; // for pages the log adds past the file's end
    uint32_t m_pageSize = 0;
    uint32_t m_usableSize = 0;
    uint32_t m_freelistTrunk = 0;
    Encoding m_encoding = Utf8;
    bool m_autoVacuum = false;
};

} // namespace SqliteCarve

#endif // DATABASEIMAGE_H
