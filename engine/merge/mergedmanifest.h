#ifndef MERGEDMANIFEST_H
#define MERGEDMANIFEST_H

#include "mergedatabase.h"

#include <QString>

// The index of the merged backup (our own copy of the target, never the
// user's): where a listed file's content lies, and its Files row, rewritten
// with the archive of the new content when a merge replaces a file. Only an
// unencrypted Manifest.db is written. Owned by BackupMerge, on its thread.
class MergedManifest
{
public:
    explicit MergedManifest(const QString& folder);

    bool Open();
    // Checks the index and closes it; false when it is not consistent.
    bool Close();
    QString ErrorText() const { return m_error; }
    // The file ID of a listed file; empty when the index does not list it.
    QString FileIdOf(const QString& domain, const QString& relativePath);
    // The relative paths of the domain's listed files below `folder`.
    QStringList ListPaths(const QString& domain, const QString& folder);
    // Where the content of a file ID lies; empty for an ID that is not one or
    // content that is missing or not a plain file of the folder.
    QString ContentPath(const QString& fileId) const;
    // Makes the bytes of `file` the content of the listed (domain, path) and
    // its Files row's archive tell their size and digest.
    bool Replace(const QString& domain, const QString& relativePath, const QString& file);

    // Takes a listed file out of the index and the folder.
    bool Remove(const QString& domain, const QString& relativePath);

private:
    bool Fail(const QString& error);

    QString m_folder;
    QString m_error;
    MergeDatabase m_db;
};

#endif // MERGEDMANIFEST_H
