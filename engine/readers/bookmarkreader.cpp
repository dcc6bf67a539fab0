#include "bookmarkreader.h"

#include "bookmarkrecord.h"
#include "engineitem.h"
#include "sqlitedb.h"

bool BookmarkReader::Read(ReaderContext::Items& items)
{
    SqliteDb db;
    const ReaderContext::OpenResult open =
        m_context.OpenDatabase(QString::fromLatin1(ReaderContext::HomeDomain),
                               QStringLiteral("Library/Safari/Bookmarks.db"), db);
    if (open != ReaderContext::OPEN_OK)
        return open == ReaderContext::OPEN_ABSENT;
    if (!db.HasTable(QStringLiteral("bookmarks")))
        return m_context.Fail(QStringLiteral("Bookmarks.db lacks the table bookmarks"));
    const bool ok =
        db.Query(QStringLiteral("SELECT title, url FROM bookmarks WHERE type = 0 AND url "
                                "IS NOT NULL AND url <> '' ORDER BY id"),
                 [&](const SqliteDb::Row& row) {
                     auto record = std::make_unique<BookmarkRecord>();
                     record->Text().Set(BookmarkRecord::Title, row.Text(0));
                     record->Text().Set(BookmarkRecord::Url, row.Text(1));
                     items.push_back(ReaderContext::MakeItem(std::move(record)));
                     return m_context.Tick(static_cast<qint64>(items.size()), 0);
                 });
    return ok || m_context.Fail(db.LastError());
}
