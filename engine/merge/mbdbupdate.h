#ifndef MBDBUPDATE_H
#define MBDBUPDATE_H

#include <QByteArray>
#include <QString>

#include <map>

// The changes a merge makes to a backup indexed by Manifest.mbdb (iOS 9 and
// older), written into that index: the record of each changed file gets the
// new size, modification time and, where the record keeps one, the SHA-1 of
// the new content; the record of a removed file goes. Every other byte of the
// index stays as the phone wrote it. A plain value, used on one thread.
class MbdbUpdate
{
public:
    // Notes the new content of a file (by its file ID, SHA-1 of
    // "<domain>-<path>" in hexadecimal).
    void Changed(const QString& fileId, qint64 size, const QByteArray& sha1, quint32 modified);
    void Removed(const QString& fileId);
    bool IsEmpty() const { return m_changes.empty(); }

    // `index` with the changes; false with ErrorText() when it is not an
    // index whose records all read to its end.
    bool Apply(const QByteArray& index, QByteArray& updated);
    QString ErrorText() const { return m_error; }

private:
    struct Change
    {
        bool removed = false;
        qint64 size = 0;
        QByteArray sha1;
        quint32 modified = 0;
    };

    std::map<QByteArray, Change> m_changes; // hexadecimal file ID -> change
    QString m_error;
};

#endif // MBDBUPDATE_H
