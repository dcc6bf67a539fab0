#ifndef MBDBINDEX_H
#define MBDBINDEX_H

#include <QString>

#include <memory>

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
// "<domain>-<path>".
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

private:
    std::unique_ptr<QTemporaryFile> m_database;
    QString m_error;
};

#endif // MBDBINDEX_H
