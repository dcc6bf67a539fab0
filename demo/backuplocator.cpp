#include "backuplocator.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>

namespace {

QString Join(const QString& base, const char* relative)
{
    return base.isEmpty() ? QString() : QDir(base).filePath(QLatin1String(relative));
}

QStringList BackupsIn(const QString& folder)
{
    QStringList backups;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries)
        backups << entry.absoluteFilePath();
    return backups;
}

} // namespace

BackupLocator::System BackupLocator::CurrentSystem()
{
#if defined(Q_OS_WIN)
    return Windows;
#elif defined(Q_OS_MACOS)
    return MacOS;
#else
    return Linux;
#endif
}

BackupLocator::Places BackupLocator::CurrentPlaces()
{
    Places places;
    places.home = QDir::homePath();
    places.appData = QString::fromLocal8Bit(qgetenv("APPDATA"));
    places.userProfile = QString::fromLocal8Bit(qgetenv("USERPROFILE"));
    places.dataHome = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
    if (places.dataHome.isEmpty())
        places.dataHome = Join(places.home, ".local/share");
    return places;
}

QStringList BackupLocator::StandardFolders(System system, const Places& places)
{
    QStringList folders;
    switch (system) {
    case Windows:
        // The desktop program's own installer, then its store edition.
        folders << Join(places.appData, "Apple Computer/MobileSync/Backup")
                << Join(places.userProfile, "Apple/MobileSync/Backup");
        break;
    case MacOS:
        folders << Join(places.home, "Library/Application Support/MobileSync/Backup");
        break;
    case Linux:
        // Where the command-line backup tools are usually pointed: the
        // macOS layout under the data folder, or in the home folder.
        folders << Join(places.dataHome, "MobileSync/Backup")
                << Join(places.home, "MobileSync/Backup")
                << Join(places.home, ".MobileSync/Backup");
        break;
    }
    folders.removeAll(QString());
    return folders;
}

QList<BackupSummary> BackupLocator::Find(const QStringList& standardFolders,
                                         const QStringList& addedFolders)
{
    QStringList candidates;
    for (const QString& folder : standardFolders)
        candidates << BackupsIn(folder);
    QList<BackupSummary> unusable;
    for (const QString& folder : addedFolders) {
        if (BackupSummary::LooksLikeBackup(folder)) {
            candidates << folder;
            continue;
        }
        QStringList inside = BackupsIn(folder);
        inside.erase(
            std::remove_if(inside.begin(), inside.end(),
                           [](const QString& sub) { return !BackupSummary::LooksLikeBackup(sub); }),
            inside.end());
        if (inside.isEmpty())
            unusable << BackupSummary::Read(folder);
        candidates << inside;
    }

    QList<BackupSummary> found;
    QSet<QString> seen;
    for (const QString& folder : candidates) {
        const QString key = QFileInfo(folder).canonicalFilePath();
        if (key.isEmpty() || seen.contains(key))
            continue;
        seen.insert(key);
        found << BackupSummary::Read(folder);
    }
    std::stable_sort(
        found.begin(), found.end(),
        [](const BackupSummary& a, const BackupSummary& b) { return a.date > b.date; });
    return found + unusable;
}

QList<BackupSummary> BackupLocator::Sized(QList<BackupSummary> backups,
                                          const std::atomic<bool>* stop)
{
    for (BackupSummary& backup : backups) {
        if (backup.state != BackupSummary::NotABackup)
            backup.size = BackupSummary::FolderSize(backup.folder, stop);
    }
    return backups;
}
