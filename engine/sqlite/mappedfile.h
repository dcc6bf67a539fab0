#ifndef MAPPEDFILE_H
#define MAPPEDFILE_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace SqliteCarve {

// A whole file mapped into memory, read-only, for as long as the object
// lives: its pages come from the system's cache with no copy. Only for a
// file nobody shortens meanwhile (a private working copy): reading past
// the end of a file cut short kills the process. Movable, not copyable.
class MappedFile
{
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // False (with a message) when the file cannot be opened or mapped; an
    // empty file maps to no bytes.
    bool open(const std::string& path, std::string* error);
    const uint8_t* data() const { return m_data; }
    size_t size() const { return m_size; }

private:
    void close();

    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
};

} // namespace SqliteCarve

#endif // MAPPEDFILE_H
