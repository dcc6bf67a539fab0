#ifndef ARCHIVEDFILE_H
#define ARCHIVEDFILE_H

#include <QByteArray>

// What the manifest's file archive (the `file` column of Files, a keyed
// archive of one file's attributes) says about the file's content in an
// encrypted backup: its size, its protection class and its wrapped key.
// EncryptionKey is archived as data whose first 4 bytes are the protection
// class, little-endian, followed by the wrapped key.
class ArchivedFile
{
public:
    // An invalid record when the archive is damaged or holds no key.
    static ArchivedFile Parse(const QByteArray& archive);
    // The same from an older index's record (Manifest.mbdb): its size, its
    // protection class and its encryption key (class and wrapped key as above).
    static ArchivedFile FromFields(qint64 size, int protectionClass,
                                   const QByteArray& encryptionKey);

    bool IsValid() const { return m_valid; }
    qint64 Size() const { return m_size; }
    int ProtectionClass() const { return m_protectionClass; }
    QByteArray WrappedKey() const { return m_wrappedKey; }

private:
    bool m_valid = false;
    qint64 m_size = 0;
    int m_protectionClass = 0;
    QByteArray m_wrappedKey;
};

#endif // ARCHIVEDFILE_H
