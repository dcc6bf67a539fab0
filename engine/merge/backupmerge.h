#ifndef BACKUPMERGE_H
#define BACKUPMERGE_H

#include "mmobileengine_global.h"
#include "recordrow.h"

#include <QString>

#include <functional>
#include <vector>

class EncryptedBackup;

// Makes a new backup folder OUT: a copy of backup TARGET whose category
// databases hold, as live records, the records of one category of backup
// SOURCE (or only those SOURCE lost or its phone marks deleted), written as
// the phone's apps write them; OUT's index tells the new sizes and digests.
// SOURCE and TARGET are only read. Blocking (seconds for large stores): run
// it on a worker thread. The categories merged are those canMergeCategory()
// accepts.
class MMOBILEENGINE_EXPORT BackupMerge
{
public:
    struct Options
    {
        int category = -1;        // an MMobile::MDType
        bool onlyDeleted = false; // only SOURCE's deleted records
        QString password;         // SOURCE's, when it is encrypted
        // SOURCE's keys, already unlocked (borrowed; instead of a password).
        EncryptedBackup* sourceKeys = nullptr;
        // Only these rows of SOURCE, as its scan read them (`chosenOnly`).
        bool chosenOnly = false;
        std::vector<RecordRow> rows;
        // TARGET's, when it is encrypted (empty: the same as SOURCE's); the
        // merged backup is encrypted with TARGET's keys.
        QString targetPassword;
    };
    // Percent done; false stops the merge.
    using Progress = std::function<bool(int percent)>;

    explicit BackupMerge(const Options& options, Progress progress = Progress());

    // Whether `category` is one a merge writes.
    static bool Merges(int category);
    // False with ErrorText() when anything fails; OUT is then removed.
    bool Run(const QString& source, const QString& target, const QString& out);
    QString ErrorText() const { return m_error; }
    // Records added to OUT, and those left out because TARGET had them.
    int AddedCount() const { return m_added; }
    int SkippedCount() const { return m_skipped; }

private:
    bool Merge(const QString& source, const QString& out);
    bool Fail(const QString& error);
    static bool CopyBackup(const QString& folder, const QString& copyFolder);

    Options m_options;
    Progress m_progress;
    QString m_error;
    int m_added = 0;
    int m_skipped = 0;
};

#endif // BACKUPMERGE_H
