#ifndef ENGINERECORD_H
#define ENGINERECORD_H

#include "../recordrow.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <vector>

class ContentFiles;

namespace MMobile {
class IMDRecord;
}

// What every record of this engine has besides its data interface: a
// virtual destructor (the interfaces have none), the drop mark that both
// IMDCommon and the file records set, and the backup files that an export
// copies. Owned by its EngineItem. In an encrypted backup the content paths
// are private plaintext paths that the backup's keys fill on demand.
class EngineRecord
{
public:
    struct SourceFile
    {
        QString path; // content file in the backup folder
        QString name; // the file's original name on the phone
    };

    using RowKey = RecordRow;

    virtual ~EngineRecord();
    virtual MMobile::IMDRecord* Record() = 0;
    virtual std::vector<SourceFile> SourceFiles() const;

    // The rows this record was read from (a conversation: its messages').
    virtual void AppendRows(std::vector<RowKey>& rows) const;
    // `store` is a path with static lifetime (the reader's constant).
    void SetRow(const char* store, qint64 rowid)
    {
        m_store = QByteArray::fromRawData(store, int(qstrlen(store)));
        m_rowid = rowid;
    }
    // A store whose path the backup names (one per account): the records of
    // one store share the text.
    void SetRow(const QByteArray& store, qint64 rowid)
    {
        m_store = store;
        m_rowid = rowid;
    }
    void SetOrigin(const QByteArray& origin) { m_origin = origin; }
    const char* Store() const { return m_store.isNull() ? nullptr : m_store.constData(); }

    bool IsDropped() const { return m_dropped.load(); }
    void MarkDropped(bool drop) { m_dropped.store(drop); }

    // Set by the scan of an encrypted backup; the device owns the object.
    void SetEncryption(ContentFiles* encryption) { m_encryption = encryption; }

protected:
    // Decrypts `path` into place first when it is a file of an encrypted
    // backup that no one has read yet.
    void MakeReadable(const char* path) const;

private:
    ContentFiles* m_encryption = nullptr;
    std::atomic<bool> m_dropped{false};
    QByteArray m_store;
    qint64 m_rowid = -1;
    QByteArray m_origin;
};

#endif // ENGINERECORD_H
