#include "mappedfile.h"

#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace SqliteCarve {

MappedFile::~MappedFile()
{
    close();
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0))
{
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept
{
    if (this != &other) {
        close();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

void MappedFile::close()
{
    if (m_data) {
#ifdef _WIN32
        UnmapViewOfFile(m_data);
#else
        munmap(const_cast<uint8_t*>(m_data), m_size);
#endif
    }
    m_data = nullptr;
    m_size = 0;
}

bool MappedFile::open(const std::string& path, std::string* error)
{
    close();
    const auto fail = [&](const char* what) {
        if (error)
            *error = what + path;
        return false;
    };
#ifdef _WIN32
    const int wide = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    std::wstring name(size_t(wide > 0 ? wide : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, &name[0], wide);
    HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return fail("cannot open ");
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || uint64_t(size.QuadPart) > SIZE_MAX) {
        CloseHandle(file);
        return fail("cannot read ");
    }
    if (size.QuadPart == 0) {
        CloseHandle(file);
        return true;
    }
    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    CloseHandle(file);
    if (!mapping)
        return fail("cannot map ");
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    CloseHandle(mapping);
    if (!view)
        return fail("cannot map ");
    m_data = static_cast<const uint8_t*>(view);
    m_size = size_t(size.QuadPart);
    return true;
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail("cannot open ");
    struct stat info
    {
    };
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        ::close(fd);
        return fail("cannot read ");
    }
    if (info.st_size == 0) {
        ::close(fd);
        return true;
    }
    void* view = mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (view == MAP_FAILED)
        return fail("cannot map ");
    m_data = static_cast<const uint8_t*>(view);
    m_size = size_t(info.st_size);
    return true;
#endif
}

} // namespace SqliteCarve
