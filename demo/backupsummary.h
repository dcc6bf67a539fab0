#ifndef BACKUPSUMMARY_H
#define BACKUPSUMMARY_H

#include <QCoreApplication>
#include <QDateTime>
#include <QString>

#include <atomic>

// What the backup list shows of one backup folder, read from its Info.plist,
// Manifest.plist and Status.plist, with the file index (Manifest.db) of an
// unencrypted backup checked read-only (nothing is written): the device,
// the date, the size on disk and whether it is encrypted, or what is wrong
// with a folder that is not a usable backup. Read() reads the backup's own
// files, FolderSize() every file of the folder: call both off the GUI thread.
class BackupSummary
{
    Q_DECLARE_TR_FUNCTIONS(BackupSummary)

public:
    enum State {
        Ready,      // a complete backup the engine can open
        NotABackup, // none of the backup's files are there
        Damaged     // a backup, but a file is missing, unreadable or unfinished
    };

    // Without its size (-1), which a walk of a large backup takes long to find.
    static BackupSummary Read(const QString& folder);
    // Bytes of every file in `folder`; -1 when `stop` (if given) turned true.
    static qint64 FolderSize(const QString& folder, const std::atomic<bool>* stop = nullptr);
    // Whether `folder` holds any of a backup's own files (a quick look).
    static bool LooksLikeBackup(const QString& folder);

    QString folder;
    State state = NotABackup;
    QString problem; // why the state is not Ready
    QString deviceName;
    QString model;         // the product type, e.g. "iPhone15,2"
    QString systemVersion; // the iOS version
    QDateTime date;        // of the last backup (UTC)
    qint64 size = -1;      // bytes of every file in the folder; -1: not yet known
    bool encrypted = false;
    bool sample = false; // the generated sample backup, not a phone's

    // "Device name" or the folder's name when there is none; "(sample)" after
    // the generated sample's name.
    QString Title() const;
    // One line: model, iOS version, date and size, or the problem.
    QString Details() const;
};

#endif // BACKUPSUMMARY_H
