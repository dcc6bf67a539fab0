#include "plaintextfolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <atomic>
#include <mutex>

#ifdef Q_OS_UNIX
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/syscall.h>
#endif
#endif

const char* const PlaintextFolder::Prefix = "mmobile-backup-";

namespace {

const char* const LockName = ".owner";

#ifdef Q_OS_UNIX

// The folders a signal handler empties: their descriptors and paths, set
// before the descriptor is published, read by the handler without a lock.
struct Slot
{
    std::atomic<int> folder{-1};
    char path[4096] = {};
};
constexpr int SlotCount = 16;
Slot g_slots[SlotCount];
std::mutex g_slotMutex; // between registrations only

// Removes the entries of an open folder with system calls alone, as a signal
// handler may (no allocation, no lock).
void EmptyFolder(int folder)
{
#ifdef __linux__
    struct Entry
    {
        unsigned long long inode;
        long long offset;
        unsigned short length;
        unsigned char type;
        char name[1];
    };
    alignas(8) char buffer[8192];
    // Removing entries while listing may skip some: listed again until empty.
    for (int pass = 0; pass < 8; ++pass) {
        bool removed = false;
        lseek(folder, 0, SEEK_SET);
        long n;
        while ((n = syscall(SYS_getdents64, folder, buffer, sizeof buffer)) > 0) {
            for (long at = 0; at < n;) {
                const auto* entry = reinterpret_cast<const Entry*>(buffer + at);
                const char* name = entry->name;
                if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0)
                    removed = unlinkat(folder, name, 0) == 0 || removed;
                at += entry->length;
            }
        }
        if (!removed)
            return;
    }
#else
    // Elsewhere the directory stream is the only way; it allocates.
    const int copy = dup(folder);
    DIR* dir = copy >= 0 ? fdopendir(copy) : nullptr;
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            unlinkat(folder, entry->d_name, 0);
    }
    closedir(dir);
#endif
}

void OnSignal(int signal)
{
    for (Slot& slot : g_slots) {
        const int folder = slot.folder.exchange(-1);
        if (folder >= 0) {
            EmptyFolder(folder);
            rmdir(slot.path);
        }
    }
    // The handler was installed to run once (SA_RESETHAND): the signal,
    // raised again, ends the process as it would have.
    raise(signal);
}

void InstallHandlers()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) {
            struct sigaction old = {};
            // A host that handles or ignores the signal keeps it: it ends
            // the process itself, and the folder goes with the object.
            if (sigaction(signal, nullptr, &old) != 0 || (old.sa_flags & SA_SIGINFO) ||
                old.sa_handler != SIG_DFL)
                continue;
            struct sigaction action = {};
            action.sa_handler = OnSignal;
            sigemptyset(&action.sa_mask);
            action.sa_flags = SA_RESETHAND;
            sigaction(signal, &action, nullptr);
        }
    });
}

int Register(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    if (name.size() >= int(sizeof(Slot::path)))
        return -1;
    const int folder = open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return -1;
    InstallHandlers();
    std::lock_guard<std::mutex> lock(g_slotMutex);
    for (int i = 0; i < SlotCount; ++i) {
        Slot& slot = g_slots[i];
        if (slot.folder.load() >= 0)
            continue;
        std::memcpy(slot.path, name.constData(), std::size_t(name.size()) + 1);
        slot.folder.store(folder);
        return i;
    }
    close(folder);
    return -1;
}

void Unregister(int index)
{
    if (index < 0)
        return;
    const int folder = g_slots[index].folder.exchange(-1);
    if (folder >= 0)
        close(folder);
}

#endif

} // namespace

PlaintextFolder::PlaintextFolder()
{
    RemoveStaleOnce();
    QTemporaryDir folder(
        QDir(QDir::tempPath()).filePath(QString::fromLatin1(Prefix) + QStringLiteral("XXXXXX")));
    if (!folder.isValid() ||
        !QFile::setPermissions(folder.path(),
                               QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return;
#ifdef Q_OS_UNIX
    // The lock lasts as long as the process: a folder whose lock can be taken
    // belongs to nobody.
    const QByteArray lock = QFile::encodeName(QDir(folder.path()).filePath(LockName));
    m_lock = open(lock.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lock < 0 || flock(m_lock, LOCK_EX | LOCK_NB) != 0) {
        if (m_lock >= 0)
            close(m_lock);
        m_lock = -1;
        return;
    }
    m_slot = Register(folder.path());
#endif
    folder.setAutoRemove(false);
    m_path = folder.path();
}

PlaintextFolder::~PlaintextFolder()
{
#ifdef Q_OS_UNIX
    Unregister(m_slot);
#endif
    if (!m_path.isEmpty())
        QDir(m_path).removeRecursively();
#ifdef Q_OS_UNIX
    if (m_lock >= 0)
        close(m_lock);
#endif
}

int PlaintextFolder::RemoveStale(const QString& tempFolder)
{
    int removed = 0;
#ifdef Q_OS_UNIX
    const QFileInfoList folders =
        QDir(tempFolder)
            .entryInfoList({QString::fromLatin1(Prefix) + QLatin1Char('*')},
                           QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QFileInfo& info : folders) {
        if (info.ownerId() != uint(getuid()))
            continue;
        const QByteArray lock = QFile::encodeName(QDir(info.filePath()).filePath(LockName));
        const int fd = open(lock.constData(), O_RDWR | O_CLOEXEC);
        bool stale;
        if (fd >= 0) {
            stale = flock(fd, LOCK_EX | LOCK_NB) == 0;
            close(fd);
        } else {
            stale = info.lastModified().secsTo(QDateTime::currentDateTime()) > 3600;
        }
        if (stale && QDir(info.filePath()).removeRecursively())
            ++removed;
    }
#else
    Q_UNUSED(tempFolder)
#endif
    return removed;
}

void PlaintextFolder::RemoveStaleOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { RemoveStale(QDir::tempPath()); });
}
