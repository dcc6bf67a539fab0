#ifndef CATEGORYMERGER_H
#define CATEGORYMERGER_H

#include "contracts/mmobiletypes.h"

#include <QString>

#include <memory>

class MergeDatabase;

// Adds the records of one category from the attached source database to the
// target's copy, as the phone's app writes them: the record row and the rows
// that hang on it, keys mapped to the target's rows, a record the target
// already has (same identity or same values) left out. One subclass per
// category family; made by the merge of one store and used on its thread.
class CategoryMerger
{
public:
    // Which rows of the source are records to add: all of them, or only
    // those the phone itself marks deleted (its "recently deleted").
    enum Selection { ALL_ROWS, PHONE_MARKED };

    virtual ~CategoryMerger() = default;
    // The merger of a category; null for one that is not merged.
    static std::unique_ptr<CategoryMerger> For(MMobile::MDType type);

    // Adds the selected records of src to main; false with the reason in
    // `db`'s LastError().
    virtual bool Merge(MergeDatabase& db, Selection selection) = 0;
    int Added() const { return m_added; }
    int Skipped() const { return m_skipped; }

protected:
    int m_added = 0;
    int m_skipped = 0; // already in the target
};

#endif // CATEGORYMERGER_H
