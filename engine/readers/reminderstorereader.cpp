#include "reminderstorereader.h"

#include "backupmanifest.h"
#include "engineitem.h"
#include "reminderrecord.h"
#include "schemaprobe.h"
#include "sqlitedb.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <limits>

const char* const ReminderStoreReader::Domain = "AppDomainGroup-group.com.apple.reminders";

namespace {

// The first of `columns` the table has, for a SELECT list; else NULL, logged
// under the first name.
QString FirstColumn(SchemaProbe& schema, const QString& table, const QString& alias,
                    const QStringList& columns)
{
    for (const QString& column : columns) {
        if (schema.HasColumn(table, column))
            return schema.Column(table, alias, column);
    }
    return schema.Column(table, alias, columns.first());
}

} // namespace

bool ReminderStoreReader::Read(DatedItems& reminders)
{
    static const QRegularExpression storeName(QStringLiteral("^Data-[^/]+\\.sqlite$"));
    const QString domain = QString::fromLatin1(Domain);
    for (const BackupManifest::Entry& entry :
         m_context.Manifest().ListFiles(domain, QStringLiteral("Container_v1/Stores/"))) {
        const QString name = QFileInfo(entry.relativePath).fileName();
        if (!storeName.match(name).hasMatch())
            continue;
        SqliteDb db;
        // Absent while the context reads another database's deleted rows.
        const ReaderContext::OpenResult open =
            m_context.OpenDatabase(domain, entry.relativePath, db);
        if (open == ReaderContext::OPEN_ABSENT)
            continue;
        if (open != ReaderContext::OPEN_OK)
            return false;
        if (!ReadStore(db, entry.relativePath, reminders))
            return false;
        if (m_context.Stopped())
            return true;
    }
    return true;
}

bool ReminderStoreReader::ReadStore(SqliteDb& db, const QString& path, DatedItems& reminders)
{
    const QString name = QFileInfo(path).fileName();
    // The store's records share their store's path.
    const QByteArray store = path.toUtf8();
    SchemaProbe schema(db, name);
    const QString table = QStringLiteral("ZREMCDREMINDER");
    if (!schema.HasTable(table))
        return m_context.Fail(QStringLiteral("%1 lacks the table ZREMCDREMINDER").arg(name));
    // Lists moved between tables over the generations; their name column too.
    const QString lists =
        schema.FirstTable({QStringLiteral("ZREMCDBASELIST"), QStringLiteral("ZREMCDLIST"),
                           QStringLiteral("ZREMCDOBJECT")});
    QString listName = QStringLiteral("NULL");
    if (lists.isEmpty())
        schema.Optional(QStringLiteral("ZREMCDBASELIST"), QStringLiteral("reminder lists"));
    else
        listName = FirstColumn(schema, lists, QStringLiteral("l"),
                               {QStringLiteral("ZNAME"), QStringLiteral("ZNAME1")});
    const bool joinList =
        listName != QLatin1String("NULL") && schema.HasColumn(table, QStringLiteral("ZLIST"));
    const QString r = QStringLiteral("r");
    const QString due = schema.Column(table, r, QStringLiteral("ZDUEDATE"));
    const QString sql =
        QStringLiteral("SELECT %1, %2, %3, %4, %5, %6, %7, %8, %9, r.Z_PK FROM ZREMCDREMINDER r")
            .arg(FirstColumn(schema, table, r,
                             {QStringLiteral("ZTITLE"), QStringLiteral("ZTITLE1")}),
                 schema.Column(table, r, QStringLiteral("ZNOTES")), due,
                 schema.Column(table, r, QStringLiteral("ZCOMPLETED")),
                 schema.Column(table, r, QStringLiteral("ZCOMPLETIONDATE")),
                 schema.Column(table, r, QStringLiteral("ZPRIORITY")),
                 joinList ? listName : QStringLiteral("NULL"),
                 schema.Column(table, r, QStringLiteral("ZMARKEDFORDELETION")),
                 schema.LinkColumn(table, r, QStringLiteral("ZDACALENDARITEMUNIQUEIDENTIFIER"))) +
        (joinList ? QStringLiteral(" LEFT JOIN %1 l ON l.Z_PK = r.ZLIST").arg(lists) : QString()) +
        QStringLiteral(" ORDER BY %1, r.Z_PK").arg(due);
    const bool ok = db.Query(sql, [&](const SqliteDb::Row& row) {
        auto record = std::make_unique<ReminderRecord>();
        RecordText& text = record->Text();
        text.Set(ReminderRecord::Title, row.Text(0));
        text.Set(ReminderRecord::Note, row.Text(1));
        text.Set(ReminderRecord::Date, m_context.DateText(row, 2));
        // Without the completion mark, a completion date says it.
        const bool completed = row.IsNull(3) ? !row.IsNull(4) : row.Int(3) != 0;
        text.Set(ReminderRecord::Status, ReminderRecord::StatusText(completed));
        text.Set(ReminderRecord::Priority, ReminderRecord::PriorityText(row.Int(5)));
        text.Set(ReminderRecord::ListName, row.Text(6));
        // The calendar item it came from names it, else its row in this store.
        record->SetIdentity(row.IsNull(8) || row.String(8).isEmpty()
                                ? QStringLiteral("%1#%2").arg(name).arg(row.Int(9))
                                : row.String(8));
        record->SetRow(store, row.Int(9));
        reminders.push_back(
            {row.IsNull(2) ? std::numeric_limits<double>::lowest() : row.Real(2),
             ReaderContext::MakeItem(std::move(record), row.Int(7) != 0),
             row.IsNull(8) ? QStringList() : QStringList{QString::fromUtf8(row.Text(8))}});
        return m_context.Tick(static_cast<qint64>(reminders.size()), 0);
    });
    return ok || m_context.Fail(db.LastError());
}
