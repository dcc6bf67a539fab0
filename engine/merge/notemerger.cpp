#include "notemerger.h"

#include "mergedatabase.h"

namespace {
const QString Src = QStringLiteral("src");
const QString Main = QStringLiteral("main");
const QString Note = QStringLiteral("ZNOTE");
const QString Body = QStringLiteral("ZNOTEBODY");
const QString Objects = QStringLiteral("ZICCLOUDSYNCINGOBJECT");
const QString NoteData = QStringLiteral("ZICNOTEDATA");
const QString Marked = QStringLiteral("ZMARKEDFORDELETION");
const QString FolderType = QStringLiteral("ZFOLDERTYPE");
const QString FolderTitle = QStringLiteral("ZTITLE2");
// ZFOLDERTYPE of the "Recently Deleted" folder.
const int TrashFolder = 1;
} // namespace

bool NoteMerger::MergeLegacy(MergeDatabase& db)
{
    const QString folders = QStringLiteral("ZFOLDER");
    const bool named =
        db.HasTable(Src, folders) && db.HasTable(Main, folders) && db.HasColumn(Src, Note, folders);
    const bool bodies = db.HasTable(Src, Body) && db.HasTable(Main, Body);
    for (const qint64 note : db.SourceRowids(Note)) {
        MergeDatabase::Values keys;
        const QVariant folder = named ? db.Value(Src, Note, folders, note) : QVariant();
        if (!folder.isNull()) {
            const QVariant title =
                db.Value(Src, folders, QStringLiteral("ZNAME"), folder.toLongLong());
            qint64 mapped = title.isNull() ? -1 : db.FindRow(folders, {{"ZNAME", title}});
            if (mapped < 0 && !title.isNull())
                mapped = db.Copy(folders, folder.toLongLong());
            if (mapped < 0 && !title.isNull())
                return false;
            keys[folders] = mapped < 0 ? QVariant() : QVariant(mapped);
        }
        if (db.FindSame(Note, note, QStringLiteral("ZGUID"), keys, {QStringLiteral("ZBODY")}) >=
            0) {
            ++m_skipped;
            continue;
        }
        keys[QStringLiteral("ZBODY")] = QVariant();
        const qint64 added = db.Copy(Note, note, keys);
        if (added < 0)
            return false;
        for (const qint64 body : bodies ? db.SourceRowids(Body, QStringLiteral("ZOWNER"), note)
                                        : std::vector<qint64>()) {
            const qint64 copied = db.Copy(Body, body, {{QStringLiteral("ZOWNER"), added}});
            if (copied < 0 ||
                !db.Exec(QStringLiteral("UPDATE main.ZNOTE SET ZBODY = ? WHERE Z_PK = ?"),
                         {copied, added}))
                return false;
        }
        ++m_added;
    }
    return true;
}

QVariant NoteMerger::DefaultFolder(MergeDatabase& db)
{
    const QVariant found = db.Scalar(
        QStringLiteral("SELECT Z_PK FROM main.ZICCLOUDSYNCINGOBJECT WHERE %1 IS NOT NULL AND "
                       "ifnull(%2, 0) = 0 AND ifnull(%3, 0) <> ? ORDER BY Z_PK LIMIT 1")
            .arg(FolderTitle, Marked, FolderType),
        {TrashFolder});
    return found.isValid() && !found.toString().isEmpty() ? found : QVariant(QString());
}

QVariant NoteMerger::MapFolder(MergeDatabase& db, const QVariant& folder)
{
    if (folder.isNull())
        return DefaultFolder(db);
    const auto known = m_folders.find(folder.toLongLong());
    if (known != m_folders.end())
        return known->second;
    const qint64 rowid = folder.toLongLong();
    const QVariant title = db.Value(Src, Objects, FolderTitle, rowid);
    const QVariant type = db.Value(Src, Objects, FolderType, rowid);
    QVariant mapped;
    if (title.isNull() || type.toInt() == TrashFolder) {
        // Put back, a note leaves "Recently Deleted" for an ordinary folder.
        mapped = DefaultFolder(db);
    } else {
        MergeDatabase::Values same{{FolderTitle, title}};
        if (db.HasColumn(Main, Objects, Marked))
            same[Marked] = 0;
        qint64 row = db.FindRow(Objects, same);
        if (row < 0) {
            MergeDatabase::Values live;
            if (db.HasColumn(Main, Objects, Marked))
                live[Marked] = 0;
            row = db.Copy(Objects, rowid, live);
        }
        if (row < 0)
            return QVariant();
        mapped = row;
    }
    m_folders[rowid] = mapped;
    return mapped;
}

bool NoteMerger::MergeStore(MergeDatabase& db, Selection selection)
{
    const bool data = db.HasColumn(Src, Objects, QStringLiteral("ZNOTEDATA")) &&
                      db.HasColumn(Main, Objects, QStringLiteral("ZNOTEDATA")) &&
                      db.HasTable(Src, NoteData) && db.HasTable(Main, NoteData);
    const bool folders = db.HasColumn(Src, Objects, QStringLiteral("ZFOLDER")) &&
                         db.HasColumn(Src, Objects, FolderTitle);
    for (const qint64 object : db.SourceRowids(Objects, QString(), QVariant(),
                                               db.HasColumn(Src, Objects, "ZMODIFICATIONDATE1")
                                                   ? QStringLiteral("ZMODIFICATIONDATE1")
                                                   : QString())) {
        // A note has its text (or, in older stores, a title); folders and
        // accounts share the table. A copy whose text row is lost counts as
        // text-less: the app shows no note without a title or a text.
        QVariant text =
            data ? db.Value(Src, Objects, QStringLiteral("ZNOTEDATA"), object) : QVariant();
        if (!text.isNull() && db.SourceRowids(NoteData, QStringLiteral("Z_PK"), text).empty())
            text = QVariant();
        const QVariant title = db.Value(Src, Objects, QStringLiteral("ZTITLE1"), object);
        if (text.isNull() && title.isNull())
            continue;
        const QVariant folder =
            folders ? db.Value(Src, Objects, QStringLiteral("ZFOLDER"), object) : QVariant();
        const bool marked =
            db.Value(Src, Objects, Marked, object).toInt() != 0 ||
            (!folder.isNull() &&
             db.Value(Src, Objects, FolderType, folder.toLongLong()).toInt() == TrashFolder);
        if (selection == PHONE_MARKED && !marked)
            continue;
        MergeDatabase::Values keys;
        if (db.HasColumn(Main, Objects, Marked))
            keys[Marked] = 0;
        if (folders) {
            const QVariant mapped = MapFolder(db, folder);
            if (!mapped.isValid())
                return false;
            keys[QStringLiteral("ZFOLDER")] =
                mapped.toString().isEmpty() ? QVariant() : QVariant(mapped);
        }
        const qint64 same = db.FindSame(Objects, object, QStringLiteral("ZIDENTIFIER"), keys,
                                        {QStringLiteral("ZNOTEDATA")});
        if (same >= 0) {
            // Another copy of a note this merge added (a live row and its
            // older copy, or two carved copies): one row, with what either
            // copy kept.
            if (m_addedRows.count(same) > 0 && !Complete(db, same, object, title, text))
                return false;
            if (m_addedRows.count(same) == 0)
                ++m_skipped;
            continue;
        }
        if (data)
            keys[QStringLiteral("ZNOTEDATA")] = QVariant();
        const qint64 added = db.Copy(Objects, object, keys);
        if (added < 0 || (!text.isNull() && !CopyText(db, added, text)))
            return false;
        m_addedRows.insert(added);
        ++m_added;
    }
    return true;
}

bool NoteMerger::CopyText(MergeDatabase& db, qint64 note, const QVariant& text)
{
    const qint64 copied = db.Copy(NoteData, text.toLongLong(), {{"ZNOTE", note}});
    return copied >= 0 &&
           db.Exec(QStringLiteral("UPDATE main.ZICCLOUDSYNCINGOBJECT SET ZNOTEDATA = ? WHERE "
                                  "Z_PK = ?"),
                   {copied, note});
}

bool NoteMerger::Complete(MergeDatabase& db, qint64 note, qint64 object, const QVariant& title,
                          const QVariant& text)
{
    if (!title.isNull() && db.Value(Main, Objects, QStringLiteral("ZTITLE1"), note).isNull() &&
        !db.Exec(QStringLiteral("UPDATE main.ZICCLOUDSYNCINGOBJECT SET ZTITLE1 = ? WHERE Z_PK = ?"),
                 {title, note}))
        return false;
    const QString snippet = QStringLiteral("ZSNIPPET");
    const QVariant kept = db.Value(Src, Objects, snippet, object);
    if (!kept.isNull() && db.HasColumn(Main, Objects, snippet) &&
        db.Value(Main, Objects, snippet, note).isNull() &&
        !db.Exec(
            QStringLiteral("UPDATE main.ZICCLOUDSYNCINGOBJECT SET ZSNIPPET = ? WHERE Z_PK = ?"),
            {kept, note}))
        return false;
    return text.isNull() || !db.Value(Main, Objects, QStringLiteral("ZNOTEDATA"), note).isNull() ||
           CopyText(db, note, text);
}

bool NoteMerger::Merge(MergeDatabase& db, Selection selection)
{
    m_folders.clear();
    if (db.HasTable(Src, Objects) && db.HasTable(Main, Objects))
        return MergeStore(db, selection);
    // The older store keeps no mark of its own for deleted notes.
    if (db.HasTable(Src, Note) && db.HasTable(Main, Note))
        return selection == PHONE_MARKED || MergeLegacy(db);
    return true;
}
