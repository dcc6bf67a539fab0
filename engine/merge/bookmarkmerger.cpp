#include "bookmarkmerger.h"

#include "mergedatabase.h"

namespace {
const QString Src = QStringLiteral("src");
const QString Main = QStringLiteral("main");
const QString Bookmarks = QStringLiteral("bookmarks");
const QString Parent = QStringLiteral("parent");
const QString Title = QStringLiteral("title");
// bookmarks.type of a bookmark and of a folder.
const int Leaf = 0;
const int Folder = 1;
// No folder path is deeper than this; a deeper one is a loop.
const int MaxDepth = 64;
} // namespace

QVariant BookmarkMerger::Root(MergeDatabase& db)
{
    const QVariant root = db.Scalar(QStringLiteral("SELECT id FROM main.bookmarks WHERE type = ? "
                                                   "AND parent IS NULL ORDER BY id LIMIT 1"),
                                    {Folder});
    return root.isValid() && !root.toString().isEmpty() ? root : QVariant(QString());
}

QVariant BookmarkMerger::NextPlace(MergeDatabase& db, const QVariant& folder)
{
    // The folder counts the child about to come, with those it has.
    if (db.HasColumn(Main, Bookmarks, QStringLiteral("num_children")) &&
        !db.Exec(QStringLiteral("UPDATE main.bookmarks SET num_children = 1 + (SELECT count(*) "
                                "FROM main.bookmarks WHERE parent IS ?) WHERE id IS ?"),
                 {folder, folder}))
        return QVariant();
    const QVariant next = db.Scalar(
        QStringLiteral(
            "SELECT ifnull(max(order_index) + 1, 0) FROM main.bookmarks WHERE parent IS ?"),
        {folder});
    return next;
}

QVariant BookmarkMerger::MapFolder(MergeDatabase& db, const QVariant& folder, int depth)
{
    if (folder.isNull() || depth > MaxDepth)
        return Root(db);
    const qint64 rowid = folder.toLongLong();
    const auto known = m_folders.find(rowid);
    if (known != m_folders.end())
        return known->second;
    const QVariant parent = db.Value(Src, Bookmarks, Parent, rowid);
    const QVariant title = db.Value(Src, Bookmarks, Title, rowid);
    QVariant mapped;
    if (parent.isNull() ||
        db.Value(Src, Bookmarks, QStringLiteral("type"), rowid).toInt() != Folder) {
        // The root (or a folder that is not one): the target's root.
        mapped = Root(db);
    } else {
        const QVariant into = MapFolder(db, parent, depth + 1);
        if (!into.isValid())
            return QVariant();
        const QVariant key = into.toString().isEmpty() ? QVariant() : into;
        qint64 row = db.FindRow(Bookmarks, {{Parent, key}, {Title, title}, {"type", Folder}});
        if (row < 0) {
            MergeDatabase::Values values{{Parent, key}, {Title, title}, {"type", Folder}};
            if (db.HasColumn(Main, Bookmarks, QStringLiteral("order_index")))
                values[QStringLiteral("order_index")] = NextPlace(db, key);
            row = db.Insert(Bookmarks, values);
        }
        if (row < 0)
            return QVariant();
        mapped = row;
    }
    m_folders[rowid] = mapped;
    return mapped;
}

bool BookmarkMerger::Merge(MergeDatabase& db, Selection selection)
{
    // Bookmarks.db keeps no mark of its own for deleted bookmarks.
    if (selection == PHONE_MARKED || !db.HasTable(Src, Bookmarks) || !db.HasTable(Main, Bookmarks))
        return true;
    m_folders.clear();
    const bool places = db.HasColumn(Main, Bookmarks, QStringLiteral("order_index"));
    for (const qint64 bookmark : db.SourceRowids(Bookmarks, QStringLiteral("type"), Leaf)) {
        const QVariant url = db.Value(Src, Bookmarks, QStringLiteral("url"), bookmark);
        if (url.isNull() || url.toString().isEmpty())
            continue;
        const QVariant folder = MapFolder(db, db.Value(Src, Bookmarks, Parent, bookmark), 0);
        if (!folder.isValid())
            return false;
        const QVariant parent = folder.toString().isEmpty() ? QVariant() : folder;
        // The same page in the same folder is the same bookmark.
        if (db.FindRow(Bookmarks, {{Parent, parent},
                                   {Title, db.Value(Src, Bookmarks, Title, bookmark)},
                                   {QStringLiteral("url"), url},
                                   {QStringLiteral("type"), Leaf}}) >= 0) {
            ++m_skipped;
            continue;
        }
        MergeDatabase::Values keys{{Parent, parent}};
        if (db.HasColumn(Main, Bookmarks, QStringLiteral("external_uuid")) &&
            db.HasColumn(Src, Bookmarks, QStringLiteral("external_uuid"))) {
            const QVariant uuid =
                db.Value(Src, Bookmarks, QStringLiteral("external_uuid"), bookmark);
            if (!uuid.isNull() &&
                db.FindRow(Bookmarks, {{QStringLiteral("external_uuid"), uuid}}) >= 0) {
                ++m_skipped;
                continue;
            }
        }
        if (places) {
            const QVariant place = NextPlace(db, parent);
            if (!place.isValid())
                return false;
            keys[QStringLiteral("order_index")] = place;
        }
        if (db.Copy(Bookmarks, bookmark, keys) < 0)
            return false;
        ++m_added;
    }
    return true;
}
