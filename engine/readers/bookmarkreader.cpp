#include "bookmarkreader.h"

#include "bookmarkrecord.h"
#include "engineitem.h"
#include "schemaprobe.h"
#include "sqlitedb.h"

namespace {
const char* const Store = "Library/Safari/Bookmarks.db";
}

bool BookmarkReader::Read(ReaderContext::Items& items)
{
    SqliteDb db;
    const ReaderContext::OpenResult open = m_context.OpenDatabase(
        QString::fromLatin1(ReaderContext::HomeDomain), QString::fromLatin1(Store), db);
    if (open != ReaderContext::OPEN_OK)
        return open == ReaderContext::OPEN_ABSENT;
    SchemaProbe schema(db, QStringLiteral("Bookmarks.db"));
    const QString table = QStringLiteral("bookmarks");
    if (!schema.HasTable(table))
        return m_context.Fail(QStringLiteral("Bookmarks.db lacks the table bookmarks"));
    // Folders (type 1) by id: their parent and title. The root has no parent
    // and no place in a path.
    struct Folder
    {
        qint64 parent;
        bool root;
        QString title;
    };
    QHash<qint64, Folder> folders;
    const QString parent = schema.Column(table, QString(), QStringLiteral("parent"));
    db.Query(QStringLiteral("SELECT id, %1, title FROM bookmarks WHERE type = 1").arg(parent),
             [&folders](const SqliteDb::Row& row) {
                 folders.insert(row.Int(0), {row.Int(1), row.IsNull(1), row.String(2)});
                 return true;
             });
    QHash<qint64, QByteArray> paths;
    const auto pathOf = [&](qint64 id) {
        const auto known = paths.constFind(id);
        if (known != paths.constEnd())
            return known.value();
        QStringList titles;
        // A damaged table may loop: no path is deeper than its folder count.
        for (qint64 at = id; titles.size() <= folders.size();) {
            const auto folder = folders.constFind(at);
            if (folder == folders.constEnd() || folder->root)
                break;
            titles.prepend(folder->title);
            at = folder->parent;
        }
        return *paths.insert(id, titles.join(QLatin1Char('/')).toUtf8());
    };
    const bool ok = db.Query(
        QStringLiteral("SELECT title, url, %1, ROWID FROM bookmarks WHERE type = 0 AND url "
                       "IS NOT NULL AND url <> '' ORDER BY id")
            .arg(parent),
        [&](const SqliteDb::Row& row) {
            auto record = std::make_unique<BookmarkRecord>();
            record->Text().Set(BookmarkRecord::Title, row.Text(0));
            record->Text().Set(BookmarkRecord::Url, row.Text(1));
            record->Text().Set(BookmarkRecord::Folder, pathOf(row.Int(2)));
            record->SetRow(Store, row.Int(3));
            items.push_back(ReaderContext::MakeItem(std::move(record)));
            return m_context.Tick(static_cast<qint64>(items.size()), 0);
        });
    return ok || m_context.Fail(db.LastError());
}
