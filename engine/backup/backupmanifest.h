#ifndef BACKUPMANIFEST_H
#define BACKUPMANIFEST_H

#include "sqlitedb.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <utility>
#include <vector>

class EncryptedBackup;
class MbdbIndex;

// The file index of one backup folder (Manifest.plist and Manifest.db).
// Open() checks the folder and answers one of the BackupError codes; after a
// successful Open() the manifest finds files by domain and relative path.
// Made and used by one scan or export task, on that task's thread.
//
// An encrypted backup is read through its EncryptedBackup (borrowed from the
// device): the manifest opens the decrypted Manifest.db, and content paths
// are the private plaintext paths of the files, decrypted on demand.
class BackupManifest
{
public:
    // The codes a failed Open() answers; the scan reports them as the phase
    // code of its callback, which the page shows as a backup error.
    enum BackupError {
        BACKUP_OK = 0,
        BACKUP_FOLDER_MISSING = 2,   // no backup folder, or no Manifest.db in it
        BACKUP_MANIFEST_DAMAGED = 3, // Manifest.db is not a readable database or lacks Files
        BACKUP_ENCRYPTED = 255       // an encrypted backup that is not unlocked
    };

    struct Entry
    {
        QString fileId;
        QString domain;
        QString relativePath;
        // Where the content lies in the folder; empty when it is missing.
        QString contentPath;
    };

    explicit BackupManifest(const QString& folder, EncryptedBackup* encryption = nullptr);
    ~BackupManifest();

    // Where a Manifest.db with a log beside it is read from (a private folder).
    void SetWorkFolder(const QString& folder) { m_workFolder = folder; }
    BackupError Open();
    QString ErrorText() const { return m_error; }
    // Number of rows of Files, known after Open().
    qint64 FileCount() const { return m_fileCount; }

    // The content file of `domain`-`relativePath`; empty when the backup has no
    // such file or its content is missing from the folder.
    QString FindFile(const QString& domain, const QString& relativePath);
    // FindFile(), with the content decrypted into place first in an encrypted
    // backup; for files that are opened at once, like databases. Given
    // `inMemory`, content of an encrypted backup small enough to stay in
    // memory is decrypted there instead (and `inMemory` is not null).
    QString FetchFile(const QString& domain, const QString& relativePath,
                      QByteArray* inMemory = nullptr);
    // Whether Files lists the path, whatever the folder holds.
    bool Lists(const QString& domain, const QString& relativePath);
    // Whether "not listed" answers can be trusted: false when a lookup in
    // Manifest.db failed or, checked on the first call, SQLite's quick check
    // finds the database damaged (a damaged index can miss rows silently).
    bool IsDamaged();
    // Rows of Files that cannot be what they say: a domain or path that is no
    // text, flags that are none of file, folder and link, or a file ID that is
    // not the SHA-1 of its domain and path. SQLite's checks pass them; a
    // category whose files hide behind them finds nothing. Counted once
    // (it reads the whole index).
    int DamagedRows();
    // Rows ListFiles() passed over because their flags are damaged; the count
    // goes to the caller, and starts again from 0.
    int TakePassedOver() { return std::exchange(m_passedOver, 0); }
    // Whether Files holds a row of `fileId` (in any case), whatever its names.
    bool HoldsFileId(const QString& fileId);
    // Content paths refused so far: a file ID that is not one, or a file that
    // leads (through links) out of the backup folder.
    int RefusedCount() const { return m_refused; }
    // Files (not folders) of `domain` whose path starts with `prefix`, by path.
    std::vector<Entry> ListFiles(const QString& domain, const QString& prefix);

    // The content location of a file ID: <first two digits>/<fileID>; empty
    // for an ID that is not 40 hexadecimal digits.
    QString ContentPath(const QString& fileId) const;
    static bool IsFileId(const QString& fileId);
    // `path` is a regular file whose real location, links followed, lies
    // inside `folder`.
    static bool IsInsideFolder(const QString& folder, const QString& path);
    // The plist `name` of a backup folder (Info.plist, Manifest.plist);
    // invalid when missing, damaged or outside the folder.
    static QVariant ReadPlist(const QString& folder, const QString& name);
    // Where a listed file's content can be read: its content path, or in an
    // encrypted backup its private path; empty when missing or unusable.
    QString ReadablePath(const QString& fileId, const QByteArray& archive) const;
    static QString FileIdOf(const QString& domain, const QString& relativePath);

private:
    static bool IsInside(const QString& canonicalFolder, const QString& path);

    QString m_folder;
    QString m_workFolder;
    QString m_canonicalFolder; // links resolved, known after Open()
    QString m_error;
    qint64 m_fileCount = 0;
    EncryptedBackup* m_encryption;
    bool m_encrypted = false;
    std::unique_ptr<MbdbIndex> m_mbdb; // the index of an older backup (Manifest.mbdb)
    mutable int m_refused = 0;
    bool m_damaged = false;
    bool m_checked = false; // the quick check ran
    int m_damagedRows = -1; // not counted yet
    int m_passedOver = 0;
    SqliteDb m_db;
};

#endif // BACKUPMANIFEST_H
