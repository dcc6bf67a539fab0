#ifndef BACKUPSTAGING_H
#define BACKUPSTAGING_H

#include <QString>

// The working copy a capture writes into, so that a failed or interrupted
// capture never touches the last complete backup of the phone.
//
// Layout, all under the destination folder D (same disk, so the last step is
// two renames): the backup is D/<UDID>; the capture works in
// D/.mmobile-capture-<UDID>/<UDID>, which starts as hard links to every file
// of the previous backup (copies where the disk has no hard links). The
// capture only ever replaces whole files (remove, then write a new one), so
// the previous backup's bytes are never written through a link. Commit()
// swaps the folders; Discard() removes the working copy. A working copy left
// by a crash is removed by the next Prepare().
class BackupStaging
{
public:
    BackupStaging(const QString& destination, const QString& udid);
    ~BackupStaging();
    BackupStaging(const BackupStaging&) = delete;
    BackupStaging& operator=(const BackupStaging&) = delete;

    // Makes the working copy; false with ErrorText() on failure.
    bool Prepare();
    // The folder the phone's paths are relative to (it holds <UDID>/).
    QString Root() const { return m_root; }
    // The working copy of the backup, Root()/<UDID>.
    QString WorkFolder() const;
    // The backup the capture replaces, D/<UDID>.
    QString BackupFolder() const;
    // Whether a complete earlier backup was there to start from.
    bool HadPrevious() const { return m_hadPrevious; }
    // Puts the working copy in place of the backup; the old one goes.
    bool Commit();
    // Removes the working copy; the backup stays as it was.
    void Discard();
    QString ErrorText() const { return m_error; }

private:
    bool LinkTree(const QString& from, const QString& to);
    bool ValidIdentifier() const;

    QString m_destination;
    QString m_udid;
    QString m_root;
    QString m_error;
    bool m_hadPrevious = false;
    bool m_committed = false;
};

#endif // BACKUPSTAGING_H
