#include "samplebookmarkstore.h"

#include "sampledeletions.h"
#include "samplerandom.h"
#include "samplestorecontext.h"
#include "samplewords.h"
#include "sqlitewriter.h"

bool SampleBookmarkStore::Write(SampleStoreContext& context)
{
    SqliteWriter db;
    if (!db.Open(context.AddFile(SampleStoreContext::Home, "Library/Safari/Bookmarks.db")) ||
        !db.Exec("CREATE TABLE bookmarks (id INTEGER PRIMARY KEY AUTOINCREMENT, special_id INTEGER "
                 "DEFAULT 0, parent INTEGER, type INTEGER, title TEXT, url TEXT, num_children "
                 "INTEGER DEFAULT 0, order_index INTEGER NOT NULL DEFAULT 0);"
                 "INSERT INTO bookmarks (special_id, parent, type, title) VALUES (0, NULL, 1, "
                 "'Root'), (1, 1, 1, 'BookmarksBar'), (0, 2, 1, 'Travel'), (0, 1, 1, 'Recipes'), "
                 "(0, 4, 1, 'Weekend');"))
        return context.Fail(db.LastError());
    // Folder rows 2-5 and their paths below the root.
    const QStringList paths = {QStringLiteral("BookmarksBar"),
                               QStringLiteral("BookmarksBar/Travel"), QStringLiteral("Recipes"),
                               QStringLiteral("Recipes/Weekend")};
    for (int i = 0; i < 50 * context.options.scale; ++i) {
        SampleBackupContent::Bookmark bookmark;
        bookmark.title = QStringLiteral("%1, %2 and more")
                             .arg(context.random.Pick(SampleWords::Words),
                                  context.random.Pick(SampleWords::Words));
        bookmark.url = QStringLiteral("https://%1.%2/page?id=%3")
                           .arg(context.random.Pick(SampleWords::Words))
                           .arg(context.random.Pick(SampleWords::Domains))
                           .arg(i);
        const int folder = i % 4;
        bookmark.folder = paths[folder];
        db.Insert(
            "INSERT INTO bookmarks (parent, type, title, url, order_index) VALUES (?, 0, ?, ?, ?)",
            {folder + 2, bookmark.title, bookmark.url, i});
        context.content.bookmarks.push_back(bookmark);
    }
    return (context.Forget(db, SampleDeletions::Bookmarks) && db.Close()) ||
           context.Fail(db.LastError());
}
