#ifndef BACKUPHEALTHCHECK_H
#define BACKUPHEALTHCHECK_H

#include <QCoreApplication>
#include <QString>

// Looks into a backup's file index (Manifest.db) the way a scan will need
// it: the database opens, the Files table is there with its columns, and
// SQLite's quick check finds every page of it. Opens the file read-only and
// immutable, so not a byte of the backup (nor a journal beside it) is
// written. Reads the whole file: call it off the GUI thread.
class BackupHealthCheck
{
    Q_DECLARE_TR_FUNCTIONS(BackupHealthCheck)

public:
    // Empty when the index is usable, else why not, in plain words. An
    // encrypted backup's index is encrypted too: it is checked only after
    // unlocking, by the scan.
    static QString ManifestProblem(const QString& folder);
    // What the user can do about a damaged backup.
    static QString Advice();
};

#endif // BACKUPHEALTHCHECK_H
