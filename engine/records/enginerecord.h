#ifndef ENGINERECORD_H
#define ENGINERECORD_H

#include <QString>

#include <atomic>
#include <vector>

namespace MMobile {
class IMDRecord;
}

// What every record of this engine has besides its data interface: a
// virtual destructor (the interfaces have none), the drop mark that both
// IMDCommon and the file records set, and the backup files that an export
// copies. Owned by its EngineItem.
class EngineRecord
{
public:
    struct SourceFile
    {
        QString path; // content file in the backup folder
        QString name; // the file's original name on the phone
    };

    virtual ~EngineRecord();
    virtual MMobile::IMDRecord* Record() = 0;
    virtual std::vector<SourceFile> SourceFiles() const;

    bool IsDropped() const { return m_dropped.load(); }
    void MarkDropped(bool drop) { m_dropped.store(drop); }

private:
    std::atomic<bool> m_dropped{false};
};

#endif // ENGINERECORD_H
