#include "linkedfilevfs.h"

#include <QFile>
#include <QtGlobal>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef Q_OS_UNIX
namespace {

const char kName[] = "mmobile-links";

sqlite3_vfs* DefaultVfs()
{
    static sqlite3_vfs* const vfs = sqlite3_vfs_find(nullptr);
    return vfs;
}

// A file reached through a link: the link's target, opened for reading and
// nothing else, with the log's index in this connection's own memory. Only
// read-only connections read such files, and nobody writes them meanwhile,
// so the locks have nothing to keep apart.
struct LinkedFile
{
    sqlite3_file base;
    int fd;
    void** regions; // the index's regions, sqlite3_malloc'ed
    int regionCount;
};

LinkedFile* Of(sqlite3_file* file)
{
    return reinterpret_cast<LinkedFile*>(file);
}

// The log's index goes when its connection unmaps it, or at the latest
// when the file closes.
void FreeRegions(LinkedFile* linked)
{
    for (int i = 0; i < linked->regionCount; ++i)
        sqlite3_free(linked->regions[i]);
    sqlite3_free(linked->regions);
    linked->regions = nullptr;
    linked->regionCount = 0;
}

int Close(sqlite3_file* file)
{
    FreeRegions(Of(file));
    ::close(Of(file)->fd);
    return SQLITE_OK;
}

int Read(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset)
{
    auto* out = static_cast<char*>(buffer);
    int done = 0;
    while (done < amount) {
        const ssize_t got =
            ::pread(Of(file)->fd, out + done, std::size_t(amount - done), off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return SQLITE_IOERR_READ;
        if (got == 0)
            break;
        done += int(got);
    }
    if (done == amount)
        return SQLITE_OK;
    // SQLite expects the rest of a short read zeroed.
    std::memset(out + done, 0, std::size_t(amount - done));
    return SQLITE_IOERR_SHORT_READ;
}

int Write(sqlite3_file*, const void*, int, sqlite3_int64)
{
    return SQLITE_READONLY;
}

int Truncate(sqlite3_file*, sqlite3_int64)
{
    return SQLITE_READONLY;
}

int Sync(sqlite3_file*, int)
{
    return SQLITE_OK;
}

int FileSize(sqlite3_file* file, sqlite3_int64* size)
{
    struct stat status
    {
    };
    if (::fstat(Of(file)->fd, &status) != 0)
        return SQLITE_IOERR_FSTAT;
    *size = sqlite3_int64(status.st_size);
    return SQLITE_OK;
}

int Lock(sqlite3_file*, int)
{
    return SQLITE_OK;
}

int CheckReservedLock(sqlite3_file*, int* reserved)
{
    *reserved = 0;
    return SQLITE_OK;
}

int FileControl(sqlite3_file*, int, void*)
{
    return SQLITE_NOTFOUND;
}

int SectorSize(sqlite3_file*)
{
    return 4096;
}

int DeviceCharacteristics(sqlite3_file*)
{
    return 0;
}

int ShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** at)
{
    LinkedFile* linked = Of(file);
    if (region >= linked->regionCount) {
        if (!extend) {
            *at = nullptr;
            return SQLITE_OK;
        }
        auto** regions = static_cast<void**>(
            sqlite3_realloc64(linked->regions, sqlite3_uint64(region + 1) * sizeof(void*)));
        if (!regions)
            return SQLITE_NOMEM;
        linked->regions = regions;
        for (; linked->regionCount <= region; ++linked->regionCount) {
            void* memory = sqlite3_malloc(size);
            if (!memory)
                return SQLITE_NOMEM;
            std::memset(memory, 0, std::size_t(size));
            linked->regions[linked->regionCount] = memory;
        }
    }
    *at = linked->regions[region];
    return SQLITE_OK;
}

int ShmLock(sqlite3_file*, int, int, int)
{
    return SQLITE_OK;
}

void ShmBarrier(sqlite3_file*)
{
    std::atomic_thread_fence(std::memory_order_seq_cst);
}

int ShmUnmap(sqlite3_file* file, int)
{
    FreeRegions(Of(file));
    return SQLITE_OK;
}

const sqlite3_io_methods kMethods = {2,
                                     Close,
                                     Read,
                                     Write,
                                     Truncate,
                                     Sync,
                                     FileSize,
                                     Lock,
                                     Lock,
                                     CheckReservedLock,
                                     FileControl,
                                     SectorSize,
                                     DeviceCharacteristics,
                                     ShmMap,
                                     ShmLock,
                                     ShmBarrier,
                                     ShmUnmap,
                                     nullptr,
                                     nullptr};

bool IsLink(const char* path)
{
    struct stat status
    {
    };
    return path && ::lstat(path, &status) == 0 && S_ISLNK(status.st_mode);
}

// A link is read through its target, opened without following a further
// link; anything else is the default VFS's.
int Open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    file->pMethods = nullptr;
    if (!IsLink(name))
        return DefaultVfs()->xOpen(DefaultVfs(), name, file, flags, outFlags);
    char target[4096];
    const ssize_t length = ::readlink(name, target, sizeof target - 1);
    if (length <= 0)
        return SQLITE_CANTOPEN;
    target[length] = '\0';
    const int fd = ::open(target, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return SQLITE_CANTOPEN;
    LinkedFile* linked = Of(file);
    linked->fd = fd;
    linked->regions = nullptr;
    linked->regionCount = 0;
    linked->base.pMethods = &kMethods;
    if (outFlags)
        *outFlags = (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY;
    return SQLITE_OK;
}

// The engine's paths are absolute and clean: kept as they are, links and all.
int FullPathname(sqlite3_vfs* vfs, const char* path, int size, char* out)
{
    if (!path || path[0] != '/')
        return DefaultVfs()->xFullPathname(DefaultVfs(), path, size, out);
    const std::size_t length = std::strlen(path);
    if (size <= 0 || length >= std::size_t(size))
        return SQLITE_CANTOPEN;
    std::memcpy(out, path, length + 1);
    return SQLITE_OK;
}

bool Register()
{
    static sqlite3_vfs vfs;
    sqlite3_vfs* base = DefaultVfs();
    if (!base)
        return false;
    vfs = *base;
    vfs.zName = kName;
    vfs.pNext = nullptr;
    vfs.szOsFile = std::max(base->szOsFile, int(sizeof(LinkedFile)));
    vfs.xOpen = &Open;
    vfs.xFullPathname = &FullPathname;
    return sqlite3_vfs_register(&vfs, 0) == SQLITE_OK;
}

} // namespace
#endif

QByteArray LinkedFileVfs::Name()
{
#ifdef Q_OS_UNIX
    static std::once_flag once;
    static bool registered = false;
    std::call_once(once, [] { registered = Register(); });
    return registered ? QByteArray(kName) : QByteArray();
#else
    return QByteArray();
#endif
}

bool LinkedFileVfs::Link(const QString& target, const QString& link)
{
#ifdef Q_OS_UNIX
    if (Name().isEmpty())
        return false;
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) ==
           0;
#else
    Q_UNUSED(target);
    Q_UNUSED(link);
    return false;
#endif
}
