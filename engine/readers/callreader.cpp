#include "callreader.h"

#include "callrecord.h"
#include "engineitem.h"
#include "schemaprobe.h"
#include "sqlitedb.h"

namespace {

using Row = SqliteDb::Row;

QString Duration(qint64 seconds)
{
    if (seconds < 0)
        seconds = 0;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

bool CallReader::Read(ReaderContext::Items& items)
{
    SqliteDb db;
    const ReaderContext::OpenResult open =
        m_context.OpenDatabase(QString::fromLatin1(ReaderContext::HomeDomain),
                               QStringLiteral("Library/CallHistoryDB/CallHistory.storedata"), db);
    if (open != ReaderContext::OPEN_OK)
        return open == ReaderContext::OPEN_ABSENT;
    SchemaProbe schema(db, QStringLiteral("CallHistory.storedata"));
    if (!schema.HasTable(QStringLiteral("ZCALLRECORD")))
        return m_context.Fail(QStringLiteral("CallHistory.storedata lacks the table ZCALLRECORD"));
    const QString table = QStringLiteral("ZCALLRECORD");
    const bool ok = db.Query(
        QStringLiteral("SELECT ZADDRESS, %1, ZDATE, %2, %3, %4 FROM ZCALLRECORD ORDER BY ZDATE, "
                       "Z_PK")
            .arg(schema.Column(table, QString(), QStringLiteral("ZNAME")),
                 schema.Column(table, QString(), QStringLiteral("ZDURATION")),
                 schema.Column(table, QString(), QStringLiteral("ZORIGINATED")),
                 schema.Column(table, QString(), QStringLiteral("ZANSWERED"))),
        [&](const Row& row) {
            auto record = std::make_unique<CallRecord>();
            RecordText& text = record->Text();
            const QString address = row.String(0);
            QString name = row.String(1);
            if (name.isEmpty())
                name = m_context.ContactNameOf(address);
            text.Set(CallRecord::Name, name);
            text.Set(CallRecord::Phone, row.Text(0));
            text.Set(CallRecord::Date, m_context.DateText(row, 2));
            const QString type = row.Int(4) != 0   ? QStringLiteral("Outgoing")
                                 : row.Int(5) != 0 ? QStringLiteral("Incoming")
                                                   : QStringLiteral("Missed");
            text.Set(CallRecord::Type, type);
            text.Set(CallRecord::Duration, Duration(static_cast<qint64>(row.Real(3))));
            items.push_back(ReaderContext::MakeItem(std::move(record)));
            return m_context.Tick(static_cast<qint64>(items.size()), 0);
        });
    return ok || m_context.Fail(db.LastError());
}
