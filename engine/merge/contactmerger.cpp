#include "contactmerger.h"

#include "mergedatabase.h"

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

bool ContactMerger::Merge(MergeDatabase& db, Selection selection)
{
    // The address book keeps no mark of its own for deleted people.
    if (selection == PHONE_MARKED || !db.HasTable(Src, Person))
        return true;
    const bool entries = db.HasTable(Src, Entry) && db.HasTable(QStringLiteral("main"), Entry);
    for (const qint64 person : db.SourceRowids(Person)) {
        if (db.FindSame(Person, person, QStringLiteral("GUID")) >= 0) {
            ++m_skipped;
            continue;
        }
        const qint64 added = db.Copy(Person, person);
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
