#ifndef MERGEDMANIFEST_H
#define MERGEDMANIFEST_H

#include "mbdbupdate.h"
#include "mergedatabase.h"

#include <QString>

#include <memory>

class EncryptedBackup;
class MbdbIndex;
class QTemporaryDir;

// The index of the merged backup (our own copy of the target, never the
// user's): where a listed file's content lies, and its Files row, rewritten
// with the archive of the new content when a merge replaces a file. In an
// encrypted copy (`encryption` unlocked, borrowed) the index and contents are
// read decrypted in its private folder, and what the merge writes is
// encrypted again with the backup's keys: a fresh key per changed file,
// wrapped by its class key, and Manifest.db with the manifest key on Close().
// A plain copy indexed by Manifest.mbdb (iOS 9 and older) is looked up
// through a private conversion of that index, and its records of the changed
// files are rewritten on Close().
// Owned by BackupMerge, on its thread.
class MergedManifest
{
public:
    explicit MergedManifest(const QString& folder, EncryptedBackup* encryption = nullptr);
    ~MergedManifest();

    bool Open();
    // Checks the index and closes it; false when it is not consistent.
    bool Close();
    QString ErrorText() const { return m_error; }
    // The file ID of a listed file; empty when the index does not list it.
    QString FileIdOf(const QString& domain, const QString& relativePath);
    // The relative paths of the domain's listed files below `folder`.
    QStringList ListPaths(const QString& domain, const QString& folder);
    // Where the content of a file ID can be read (decrypted, in the private
    // folder, for an encrypted backup); empty for an ID that is not one or
    // content that is missing or not a plain file of the folder.
    QString ContentPath(const QString& fileId);
    // A private folder for working copies: the encrypted backup's own, so
    // that no plaintext outlives the process; empty for a plain backup.
    QString PrivateFolder() const;
    // Makes the bytes of `file` the content of the listed (domain, path) and
    // its Files row's archive tell their size and digest.
    bool Replace(const QString& domain, const QString& relativePath, const QString& file);

    // Makes the bytes of `file` a new listed file (domain, path) of the
    // backup, with a fresh archive (and, encrypted, a fresh key); false for
    // a path the index lists already.
    bool Add(const QString& domain, const QString& relativePath, const QString& file);

    // Takes a listed file out of the index and the folder.
    bool Remove(const QString& domain, const QString& relativePath);

private:
    bool Fail(const QString& error);
    bool OpenMbdb(const QString& mbdb);
    bool CloseMbdb();
    // Writes the bytes of `file` (encrypted, for an encrypted backup) to
    // `content`, with `updated` the archive made of `archive` for them.
    bool Store(const QString& file, const QString& relativePath, const QByteArray& archive,
               const QString& content, QByteArray& updated);
    // The content file of a file ID in the folder, as stored.
    QString StoredPath(const QString& fileId) const;

    QString m_folder;
    EncryptedBackup* m_encryption;
    QString m_error;
    MergeDatabase m_db;
    // Set for a copy indexed by Manifest.mbdb: its private conversion.
    std::unique_ptr<QTemporaryDir> m_mbdbFolder;
    std::unique_ptr<MbdbIndex> m_mbdb;
    MbdbUpdate m_mbdbChanges;
};

#endif // MERGEDMANIFEST_H
