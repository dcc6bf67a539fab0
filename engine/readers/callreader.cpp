#include "callreader.h"

#include "callrecord.h"
#include "engineitem.h"
#include "schemaprobe.h"
#include "sqlitedb.h"

namespace {

const char* const NewerStore = "Library/CallHistoryDB/CallHistory.storedata";
const char* const OlderStore = "Library/CallHistory/call_history.db";

using Row = SqliteDb::Row;

// "Outgoing", "Cancelled" (outgoing, hung up by the caller before anyone
// answered), "Unanswered" (outgoing, never picked up), "Incoming" or
// "Missed", then the kind of call when it is not a phone call.
QString CallType(bool outgoing, bool answered, bool cancelled, const QString& kind)
{
    const QString direction =
        outgoing ? (answered    ? QStringLiteral("Outgoing")
                    : cancelled ? QStringLiteral("Cancelled")
                                : QStringLiteral("Unanswered"))
                 : (answered ? QStringLiteral("Incoming") : QStringLiteral("Missed"));
    return kind.isEmpty() ? direction : QStringLiteral("%1 (%2)").arg(direction, kind);
}

} // namespace

bool CallReader::Read(ReaderContext::Items& items)
{
    SqliteDb db;
    ReaderContext::OpenResult open = m_context.OpenDatabase(
        QString::fromLatin1(ReaderContext::HomeDomain), QString::fromLatin1(NewerStore), db);
    if (open == ReaderContext::OPEN_ABSENT) {
        open = m_context.OpenDatabase(QString::fromLatin1(ReaderContext::WirelessDomain),
                                      QString::fromLatin1(OlderStore), db);
        if (open != ReaderContext::OPEN_OK)
            return open == ReaderContext::OPEN_ABSENT;
        return ReadOld(db, items);
    }
    if (open != ReaderContext::OPEN_OK)
        return false;
    SchemaProbe schema(db, QStringLiteral("CallHistory.storedata"));
    const QString table = QStringLiteral("ZCALLRECORD");
    if (!schema.HasTable(table))
        return m_context.Fail(QStringLiteral("CallHistory.storedata lacks the table ZCALLRECORD"));
    const bool ok = db.Query(
        QStringLiteral("SELECT ZADDRESS, %1, ZDATE, %2, %3, %4, %5, %6, %7, ROWID FROM ZCALLRECORD "
                       "ORDER BY ZDATE, Z_PK")
            .arg(schema.Column(table, QString(), QStringLiteral("ZNAME")),
                 schema.Column(table, QString(), QStringLiteral("ZDURATION")),
                 schema.Column(table, QString(), QStringLiteral("ZORIGINATED")),
                 schema.Column(table, QString(), QStringLiteral("ZANSWERED")),
                 schema.Column(table, QString(), QStringLiteral("ZCALLTYPE")),
                 schema.Column(table, QString(), QStringLiteral("ZSERVICE_PROVIDER")),
                 schema.Column(table, QString(), QStringLiteral("ZDISCONNECTED_CAUSE"))),
        [&](const Row& row) {
            // ZCALLTYPE 8 and 16 are FaceTime video and audio; another
            // provider than the phone's is an app's call.
            const qint64 type = row.Int(6);
            const QString provider = row.String(7);
            QString kind;
            if (type == 8)
                kind = QStringLiteral("FaceTime Video");
            else if (type == 16)
                kind = QStringLiteral("FaceTime Audio");
            else if (!provider.isEmpty() && !provider.startsWith(QLatin1String("com.apple.")))
                kind = provider.section(QLatin1Char('.'), -1);
            // Cause 0 is a call ended on this phone; an outgoing call that
            // ended so before anyone answered was cancelled by its caller,
            // any other cause (declined, no answer, busy) left it unanswered.
            const bool cancelled = !row.IsNull(8) && row.Int(8) == 0;
            // Since iOS 17 an outgoing call is never marked answered: one
            // that lasted connected.
            const bool outgoing = row.Int(4) != 0;
            const bool answered = row.Int(5) != 0 || (outgoing && row.Real(3) > 0);
            Add(items, row.String(0), row.String(1), m_context.DateText(row, 2),
                CallType(outgoing, answered, cancelled, kind), row.Real(3), NewerStore, row.Int(9));
            return m_context.Tick(static_cast<qint64>(items.size()), 0);
        });
    return ok || m_context.Fail(db.LastError());
}

bool CallReader::ReadOld(SqliteDb& db, ReaderContext::Items& items)
{
    SchemaProbe schema(db, QStringLiteral("call_history.db"));
    const QString table = QStringLiteral("call");
    if (!schema.HasTable(table))
        return m_context.Fail(QStringLiteral("call_history.db lacks the table call"));
    // Dated in seconds since 1970; flags: bit 0 outgoing, 4 incoming, 16 FaceTime.
    const bool ok = db.Query(
        QStringLiteral("SELECT address, %1, date, %2, %3, ROWID FROM call ORDER BY date, ROWID")
            .arg(schema.Column(table, QString(), QStringLiteral("name")),
                 schema.Column(table, QString(), QStringLiteral("duration")),
                 schema.Column(table, QString(), QStringLiteral("flags"))),
        [&](const Row& row) {
            const qint64 flags = row.Int(4);
            const bool answered = row.Int(3) > 0;
            const QString date = row.IsNull(2) ? QString() : m_context.Clock().UnixText(row.Int(2));
            Add(items, row.String(0), row.String(1), date.toUtf8(),
                // This store keeps no cause: a call not picked up is unanswered.
                CallType((flags & 1) != 0, answered, false,
                         (flags & 16) != 0 ? QStringLiteral("FaceTime") : QString()),
                row.Real(3), OlderStore, row.Int(5));
            return m_context.Tick(static_cast<qint64>(items.size()), 0);
        });
    return ok || m_context.Fail(db.LastError());
}

void CallReader::Add(ReaderContext::Items& items, const QString& address, QString name,
                     const QByteArray& date, const QString& type, double duration,
                     const char* store, qint64 rowid)
{
    auto record = std::make_unique<CallRecord>();
    record->SetRow(store, rowid);
    RecordText& text = record->Text();
    if (name.isEmpty())
        name = m_context.ContactNameOf(address);
    text.Set(CallRecord::Name, name);
    text.Set(CallRecord::Phone, address);
    text.Set(CallRecord::Date, date);
    text.Set(CallRecord::Type, type);
    text.Set(CallRecord::Duration, ReaderContext::DurationText(static_cast<qint64>(duration)));
    items.push_back(ReaderContext::MakeItem(std::move(record)));
}
