#include "contactmerger.h"

#include "mergedatabase.h"

#include <QUuid>

namespace {
const QString Src = QStringLiteral("src");
const QString Person = QStringLiteral("ABPerson");
const QString Value = QStringLiteral("ABMultiValue");
const QString Entry = QStringLiteral("ABMultiValueEntry");
} // namespace

QVariant ContactMerger::MapText(MergeDatabase& db, const QString& table, const QVariant& rowid)
{
    if (rowid.isNull() || !db.HasTable(Src, table))
        return QVariant();
    const QVariant text = db.Value(Src, table, QStringLiteral("value"), rowid.toLongLong());
    if (text.isNull())
        return QVariant();
    const qint64 mapped = db.FindOrAdd(table, QStringLiteral("value"), text);
    return mapped < 0 ? QVariant() : QVariant(mapped);
}

qint64 ContactMerger::Same(MergeDatabase& db, qint64 person)
{
    // People known only by values they left have no name to tell them
    // apart: one is another only when he is nameless too and has the same
    // values, listed in one order.
    const QString main = QStringLiteral("main");
    const QString guid = QStringLiteral("GUID");
    if (!db.HasTable(Src, Value) || !db.HasTable(main, Value) ||
        (db.HasColumn(Src, Person, guid) && !db.Value(Src, Person, guid, person).isNull()))
        return db.FindSame(Person, person, guid);
    QStringList nameless;
    for (const char* part : {"First", "Last", "Middle", "Organization", "Nickname"}) {
        const QString column = QLatin1String(part);
        if (!db.HasColumn(Src, Person, column) || !db.HasColumn(main, Person, column))
            continue;
        if (!db.Value(Src, Person, column, person).toString().isEmpty())
            return db.FindSame(Person, person, guid, {}, {guid});
        nameless << QStringLiteral("ifnull(m.%1, '') = ''").arg(MergeDatabase::Quote(column));
    }
    if (nameless.isEmpty())
        return db.FindSame(Person, person, guid, {}, {guid});
    const auto values = [](const QString& schema, const QString& owner) {
        return QStringLiteral("(SELECT ifnull(group_concat(v, char(31)), '') FROM (SELECT "
                              "property || ':' || ifnull(value, '') AS v FROM %1.ABMultiValue "
                              "WHERE record_id = %2 ORDER BY v))")
            .arg(schema, owner);
    };
    const QVariant found = db.Scalar(
        QStringLiteral("SELECT m.ROWID FROM main.ABPerson m WHERE %1 AND %2 = %3 LIMIT 1")
            .arg(nameless.join(QLatin1String(" AND ")), values(main, QStringLiteral("m.ROWID")),
                 values(Src, QStringLiteral("?"))),
        {person});
    return found.isValid() && !found.toString().isEmpty() ? found.toLongLong() : -1;
}

bool ContactMerger::Merge(MergeDatabase& db, Selection selection)
{
    // The address book keeps no mark of its own for deleted people.
    if (selection == PHONE_MARKED || !db.HasTable(Src, Person))
        return true;
    const bool entries = db.HasTable(Src, Entry) && db.HasTable(QStringLiteral("main"), Entry);
    for (const qint64 person : db.SourceRowids(Person)) {
        if (Same(db, person) >= 0) {
            ++m_skipped;
            continue;
        }
        // A person known only from what other tables kept has no record id;
        // the phone's table demands one, which its own function would make.
        MergeDatabase::Values overrides;
        for (const QString& column : db.Columns(QStringLiteral("main"), Person)) {
            if (column.compare(QLatin1String("guid"), Qt::CaseInsensitive) == 0 &&
                db.Value(Src, Person, column, person).isNull())
                overrides[column] = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() +
                                    QStringLiteral(":ABPerson");
        }
        const qint64 added = db.Copy(Person, person, overrides);
        if (added < 0)
            return false;
        for (const qint64 value :
             db.SourceRowids(Value, QStringLiteral("record_id"), QVariant(person))) {
            const QVariant label = MapText(db, QStringLiteral("ABMultiValueLabel"),
                                           db.Value(Src, Value, QStringLiteral("label"), value));
            const qint64 uid =
                db.Copy(Value, value,
                        {{QStringLiteral("record_id"), added}, {QStringLiteral("label"), label}});
            if (uid < 0)
                return false;
            if (!entries)
                continue;
            for (const qint64 entry :
                 db.SourceRowids(Entry, QStringLiteral("parent_id"), QVariant(value))) {
                const QVariant key = MapText(db, QStringLiteral("ABMultiValueEntryKey"),
                                             db.Value(Src, Entry, QStringLiteral("key"), entry));
                if (db.Copy(Entry, entry,
                            {{QStringLiteral("parent_id"), uid}, {QStringLiteral("key"), key}}) < 0)
                    return false;
            }
        }
        ++m_added;
    }
    return true;
}
