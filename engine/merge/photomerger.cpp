#include "photomerger.h"

#include "mergedatabase.h"
#include "readercontext.h"

namespace {

const QString Src = QStringLiteral("src");
const QString Main = QStringLiteral("main");
const QString Attributes = QStringLiteral("ZADDITIONALASSETATTRIBUTES");
const QString AttributesKey = QStringLiteral("ZADDITIONALATTRIBUTES");

// Core Data indexes every to-one relationship column as
// <TABLE>_<COLUMN>_INDEX: those are the columns that hold other rows' keys.
QStringList RelationshipColumns(MergeDatabase& db, const QString& table)
{
    QStringList columns;
    for (qint64 row = 0;; ++row) {
        const QVariant column = db.Scalar(
            QStringLiteral("SELECT i.name FROM pragma_index_list(?1, 'main') l, "
                           "pragma_index_info(l.name, 'main') i WHERE l.name = ?1 || '_' || "
                           "i.name || '_INDEX' ORDER BY i.name LIMIT 1 OFFSET ?2"),
            {table, row});
        if (!column.isValid())
            return columns;
        columns << column.toString();
    }
}

} // namespace

qint64 PhotoMerger::CopyUnfiled(MergeDatabase& db, const QString& table, qint64 rowid,
                                const std::map<QString, QVariant>& overrides)
{
    MergeDatabase::Values values = overrides;
    for (const QString& column : RelationshipColumns(db, table))
        values.emplace(column, QVariant());
    return db.Copy(table, rowid, values);
}

bool PhotoMerger::AddAsset(MergeDatabase& db, const QString& table, qint64 asset)
{
    const QString directory = db.Value(Src, table, QStringLiteral("ZDIRECTORY"), asset).toString();
    const QString name = db.Value(Src, table, QStringLiteral("ZFILENAME"), asset).toString();
    const QString domain = QString::fromLatin1(ReaderContext::CameraRollDomain);
    const QString path = QStringLiteral("Media/%1/%2").arg(directory, name);
    // A name that leads elsewhere is no picture of the camera roll.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || directory.isEmpty() ||
        directory.contains(QLatin1String("..")))
        return true;
    const QString content = SourceFile(domain, path);
    if (content.isEmpty())
        return true;
    // Out of the trash, as the app puts a photo back.
    MergeDatabase::Values restored{{QStringLiteral("ZTRASHEDSTATE"), 0},
                                   {QStringLiteral("ZTRASHEDDATE"), QVariant()}};
    if (db.FindSame(table, asset, QStringLiteral("ZUUID"), restored,
                    RelationshipColumns(db, table)) >= 0) {
        ++m_skipped;
        return true;
    }
    // The camera's own names are kept: another of its folders takes the
    // picture when the target has one of that name.
    const QString into = FreePath(domain, path, true);
    if (into.isEmpty())
        return db.Refuse(QStringLiteral("no free name for %1").arg(path));
    MergeDatabase::Values values = restored;
    const int slash = into.lastIndexOf(QLatin1Char('/'));
    values[QStringLiteral("ZDIRECTORY")] = into.mid(6, slash - 6); // after "Media/"
    values[QStringLiteral("ZFILENAME")] = into.mid(slash + 1);
    const qint64 added = CopyUnfiled(db, table, asset, values);
    if (added < 0)
        return false;
    // The attributes row that names the picture's original file.
    const QVariant attributes = db.HasColumn(Src, table, AttributesKey)
                                    ? db.Value(Src, table, AttributesKey, asset)
                                    : QVariant();
    if (!attributes.isNull() && db.HasTable(Src, Attributes) && db.HasTable(Main, Attributes) &&
        db.HasColumn(Main, table, AttributesKey)) {
        const qint64 row = CopyUnfiled(db, Attributes, attributes.toLongLong(),
                                       {{QStringLiteral("ZASSET"), added}});
        if (row < 0 ||
            !db.Exec(QStringLiteral("UPDATE main.%1 SET %2 = ? WHERE Z_PK = ?")
                         .arg(MergeDatabase::Quote(table), MergeDatabase::Quote(AttributesKey)),
                     {row, added}))
            return false;
    }
    if (!AddFile(db, domain, into, content))
        return false;
    ++m_added;
    return true;
}

bool PhotoMerger::Merge(MergeDatabase& db, Selection selection)
{
    QString table;
    for (const QString& name : {QStringLiteral("ZASSET"), QStringLiteral("ZGENERICASSET")}) {
        if (db.HasTable(Src, name))
            table = name;
    }
    if (table.isEmpty())
        return true;
    if (!db.HasTable(Main, table))
        return db.Refuse(
            QStringLiteral("the target's photo library is of another generation (no %1)")
                .arg(table));
    // The phone's own mark: the assets in its "Recently Deleted" album.
    const std::vector<qint64> assets =
        selection == PHONE_MARKED
            ? db.SourceRowids(table, QStringLiteral("ZTRASHEDSTATE"), 1,
                              QStringLiteral("ZDATECREATED"))
            : db.SourceRowids(table, QString(), QVariant(), QStringLiteral("ZDATECREATED"));
    for (const qint64 asset : assets) {
        if (!AddAsset(db, table, asset))
            return false;
    }
    return true;
}
