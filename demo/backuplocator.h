#ifndef BACKUPLOCATOR_H
#define BACKUPLOCATOR_H

#include "backupsummary.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>

// Finds the phone backups on this computer: every sub-folder of the folders
// the desktop's backup programs write to, and the folders the user added
// (a backup itself, or a folder of backups as a command-line backup tool
// leaves them, one sub-folder per device). Reads only the summaries; the
// folders are never written.
class BackupLocator
{
public:
    enum System { Windows, MacOS, Linux };

    // The user's folders the standard places are found under.
    struct Places
    {
        QString home;
        QString appData;     // Windows: the roaming application data folder
        QString userProfile; // Windows: the user's profile folder
        QString dataHome;    // Linux: the XDG data folder (~/.local/share)
    };

    static System CurrentSystem();
    static Places CurrentPlaces();
    // The folders holding one backup per sub-folder on `system`.
    static QStringList StandardFolders(System system, const Places& places);

    // Every backup in `standardFolders` and `addedFolders`, newest first,
    // each folder once; an added folder that is neither a backup nor holds
    // any is listed with its problem.
    // Their sizes are not known yet (see Sized()).
    static QList<BackupSummary> Find(const QStringList& standardFolders,
                                     const QStringList& addedFolders);
    // `backups` with the size of each backup folder; those not reached when
    // `stop` (if given) turns true keep theirs unknown.
    static QList<BackupSummary> Sized(QList<BackupSummary> backups,
                                      const std::atomic<bool>* stop = nullptr);
};

#endif // BACKUPLOCATOR_H
