#ifndef BOOKMARKMERGER_H
#define BOOKMARKMERGER_H

#include "categorymerger.h"

#include <QVariant>

#include <map>

// Safari bookmarks (Bookmarks.db): the bookmark row in the target's folder of
// the same path below the root (folders it lacks are made, as the app makes
// them), last in its folder, the folder's count of children kept right.
class BookmarkMerger : public CategoryMerger
{
public:
    bool Merge(MergeDatabase& db, Selection selection) override;

private:
    // The target's folder for src folder `folder`; null on an error.
    QVariant MapFolder(MergeDatabase& db, const QVariant& folder, int depth);
    QVariant Root(MergeDatabase& db);
    // Adds one child to `folder`: the next place in it.
    QVariant NextPlace(MergeDatabase& db, const QVariant& folder);

    std::map<qint64, QVariant> m_folders; // src folder -> target folder
};

#endif // BOOKMARKMERGER_H
