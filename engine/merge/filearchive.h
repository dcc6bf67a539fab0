#ifndef FILEARCHIVE_H
#define FILEARCHIVE_H

#include "mmobileengine_global.h"

#include <QByteArray>
#include <QString>

// The `file` column of a Files row of Manifest.db: a keyed archive of one
// file's attributes (an MBFile). A merge that changes a file's content makes
// the archive say so: its size and modification time, and its digest where
// the archive keeps one. A stateless helper over libplist.
class MMOBILEENGINE_EXPORT FileArchive
{
public:
    // The protection class of a fresh archive's file: readable once the
    // phone was unlocked after it started, as its apps' files are.
    static constexpr int NewFileClass = 3;

    // The archive of a file of `size` bytes whose SHA-1 is `sha1`, made from
    // `archive` (every other attribute kept); a fresh one, of a regular file
    // readable by the phone's apps, when `archive` is empty or no archive.
    static QByteArray Updated(const QByteArray& archive, const QString& relativePath, qint64 size,
                              const QByteArray& sha1, qint64 modified);
    // `archive` with `key` (the class, then the wrapped file key) as the
    // EncryptionKey of an encrypted backup's file.
    static QByteArray WithEncryptionKey(const QByteArray& archive, const QByteArray& key);
    // The Size an archive records; -1 when it records none.
    static qint64 SizeOf(const QByteArray& archive);
};

#endif // FILEARCHIVE_H
