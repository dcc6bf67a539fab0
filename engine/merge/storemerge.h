#ifndef STOREMERGE_H
#define STOREMERGE_H

#include "deletedrecords.h"
#include "recordrow.h"

#include <QString>

#include <map>
#include <set>
#include <vector>

class CategoryMerger;
class MergedManifest;
class ReaderContext;

// Merges one database of a category (a store: domain, path, its record
// tables) from the source backup into the merged backup: the target's
// database and its log are copied into the private work folder, the
// source's live rows and/or the rows it lost are added there in one
// transaction, the log is checkpointed, the integrity checked, and only then
// is the file put back in the merged backup with its Files row, its log
// left empty. Borrowed: context, manifest and merger; one thread.
class StoreMerge
{
public:
    StoreMerge(ReaderContext& source, MergedManifest& out, CategoryMerger& merger);
    // `onlyDeleted`: the rows the source lost and those its phone marks
    // deleted; else every record of the source. `targetPath`: where the
    // target keeps the store when its name differs (a per-account store).
    bool Run(const DeletedRecords::Store& store, bool onlyDeleted,
             const QString& targetPath = QString());
    // Takes only these rows (of any store; borrowed) instead: the records a
    // user chose, as the scan of the source read them.
    void SetRows(const std::vector<RecordRow>* rows) { m_rows = rows; }
    // Whether the rows the source lost are merged too (the default); off for
    // a category whose scan reads no lost rows.
    void SetCarving(bool carve) { m_carve = carve; }
    // Whether `store` holds any of `rows`.
    static bool Holds(const DeletedRecords::Store& store, const std::vector<RecordRow>& rows);
    QString ErrorText() const { return m_error; }

private:
    bool Fail(const QString& error);
    // The selection of the record tables for the rows found in `origin`.
    std::map<QString, std::set<qint64>> Selection(const DeletedRecords::Store& store,
                                                  const QByteArray& origin) const;

    ReaderContext& m_source;
    MergedManifest& m_out;
    CategoryMerger& m_merger;
    const std::vector<RecordRow>* m_rows = nullptr;
    bool m_carve = true;
    QString m_error;
};

#endif // STOREMERGE_H
