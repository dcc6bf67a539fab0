#ifndef MBDBINDEX_H
#define MBDBINDEX_H

#include <QString>

#include <memory>

class ArchivedFile;
class QTemporaryFile;

// The file index of a backup written before Manifest.db existed (iOS 9 and
// older): Manifest.mbdb, read into a private SQLite file with the Files table
// of Manifest.db (fileID, domain, relativePath, flags, file), so that the
// manifest finds files the same way in both. The private file lives in the
// given folder as long as this object.
//
// Manifest.mbdb is "mbdb" 5 0, then one record per file, all numbers
// big-endian: domain, path, link target, data hash and encryption key as
// strings (two-byte length, 0xFFFF for none), mode (2 bytes: 0x8000 file,
// 0x4000 folder, 0xA000 link), inode (8), user and group (4 each), three
// times (4 each), size (8), protection class (1), property count (1), then
// that many name and value strings. The file ID is the SHA-1 of
// "<domain>-<path>". The index itself is never encrypted; in an encrypted
// backup the encryption key of a file is its protection class (4 bytes,
// little-endian) and its wrapped key, and the size is that of the plaintext.
// Such a file's size, class and key go into the `file` column, read back
// with KeyOf().
class MbdbIndex
{
public:
    MbdbIndex();
    ~MbdbIndex();
    MbdbIndex(const MbdbIndex&) = delete;
    MbdbIndex& operator=(const MbdbIndex&) = delete;

    // Reads `mbdb` into a new database in `folder`; false with ErrorText()
    // when it is not a readable index.
    bool Convert(const QString& mbdb, const QString& folder);
    // The database written by Convert().
    QString DatabasePath() const;
    QString ErrorText() const { return m_error; }
    // The key of a file of an encrypted backup from the `file` column of the
    // database; invalid when the file has none.
    static ArchivedFile KeyOf(const QByteArray& stored);

private:
    std::unique_ptr<QTemporaryFile> m_database;
    QString m_error;
};

#endif // MBDBINDEX_H
