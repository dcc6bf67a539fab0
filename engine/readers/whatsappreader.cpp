#include "whatsappreader.h"

#include "appletime.h"
#include "backupmanifest.h"
#include "engineitem.h"
#include "filerecord.h"
#include "messageentryrecord.h"
#include "schemaprobe.h"
#include "sqlitedb.h"
#include "whatsapprecord.h"

#include <QFileInfo>

namespace {

using Row = SqliteDb::Row;

const QString ChatStorage = QStringLiteral("ChatStorage.sqlite");

QString MissingTable(SchemaProbe& schema)
{
    return schema.MissingTable({QStringLiteral("ZWACHATSESSION"), QStringLiteral("ZWAMESSAGE")});
}

} // namespace

bool WhatsAppReader::ReadAttachments(ReaderContext::Items& items)
{
    const QString domain = QString::fromLatin1(ReaderContext::WhatsAppDomain);
    SqliteDb db;
    const ReaderContext::OpenResult open = m_context.OpenDatabase(domain, ChatStorage, db);
    if (open != ReaderContext::OPEN_OK)
        return open == ReaderContext::OPEN_ABSENT;
    SchemaProbe schema(db, ChatStorage);
    const QString missing = MissingTable(schema);
    if (!missing.isEmpty())
        return m_context.Fail(QStringLiteral("%1 lacks the table %2").arg(ChatStorage, missing));
    if (!schema.Optional(QStringLiteral("ZWAMEDIAITEM"), QStringLiteral("media files")) ||
        !schema.HasColumn(QStringLiteral("ZWAMEDIAITEM"), QStringLiteral("ZMEDIALOCALPATH"))) {
        schema.Column(QStringLiteral("ZWAMEDIAITEM"), QString(), QStringLiteral("ZMEDIALOCALPATH"));
        return true;
    }
    BackupManifest& manifest = m_context.Manifest();
    const bool ok = db.Query(
        QStringLiteral("SELECT mi.ZMEDIALOCALPATH, m.ZMESSAGEDATE FROM ZWAMEDIAITEM mi JOIN "
                       "ZWAMESSAGE m ON m.Z_PK = mi.ZMESSAGE WHERE mi.ZMEDIALOCALPATH IS NOT "
                       "NULL ORDER BY m.ZMESSAGEDATE, mi.Z_PK"),
        [&](const Row& row) {
            const QString local = row.String(0);
            const QString path = manifest.FindFile(domain, QStringLiteral("Message/") + local);
            if (path.isEmpty())
                return true;
            const QString name = QFileInfo(local).fileName();
            auto record = std::make_unique<FileRecord>(
                FileRecord::KindOfName(name),
                static_cast<std::uint64_t>(qMax<qint64>(0, AppleTime::ToUnix(row.Real(1)))));
            record->Text().Set(FileRecord::FilePath, path);
            record->Text().Set(FileRecord::DisplayText, name);
            items.push_back(ReaderContext::MakeItem(std::move(record)));
            return m_context.Tick(static_cast<qint64>(items.size()), 0);
        });
    return ok || m_context.Fail(db.LastError());
}

bool WhatsAppReader::ReadChats(ReaderContext::Items& items)
{
    const QString domain = QString::fromLatin1(ReaderContext::WhatsAppDomain);
    SqliteDb db;
    const ReaderContext::OpenResult open = m_context.OpenDatabase(domain, ChatStorage, db);
    if (open != ReaderContext::OPEN_OK)
        return open == ReaderContext::OPEN_ABSENT;
    SchemaProbe schema(db, ChatStorage);
    const QString missing = MissingTable(schema);
    if (!missing.isEmpty())
        return m_context.Fail(QStringLiteral("%1 lacks the table %2").arg(ChatStorage, missing));
    const QString session = QStringLiteral("ZWACHATSESSION");
    const QString message = QStringLiteral("ZWAMESSAGE");

    QHash<qint64, WhatsAppRecord*> chats;
    ReaderContext::Items read;
    bool ok = db.Query(QStringLiteral("SELECT Z_PK, %1, %2 FROM ZWACHATSESSION ORDER BY Z_PK")
                           .arg(schema.Column(session, QString(), QStringLiteral("ZCONTACTJID")),
                                schema.Column(session, QString(), QStringLiteral("ZPARTNERNAME"))),
                       [&](const Row& row) {
                           auto record = std::make_unique<WhatsAppRecord>();
                           RecordText& text = record->Text();
                           text.Set(WhatsAppRecord::ChatName, row.Text(2));
                           text.Set(WhatsAppRecord::PartnerName, row.Text(2));
                           const QString jid = row.String(1);
                           const QString user = jid.section(QLatin1Char('@'), 0, 0);
                           text.Set(WhatsAppRecord::PartnerPhone,
                                    jid.endsWith(QLatin1String("@s.whatsapp.net"))
                                        ? QLatin1Char('+') + user
                                        : user);
                           chats.insert(row.Int(0), record.get());
                           read.push_back(ReaderContext::MakeItem(std::move(record)));
                           return true;
                       });
    qint64 total = 0;
    ok =
        ok && db.Query(QStringLiteral("SELECT count(*) FROM ZWAMESSAGE"), [&total](const Row& row) {
            total = row.Int(0);
            return false;
        });
    if (!ok)
        return m_context.Fail(db.LastError());
    // Media paths when the database has them; the messages are read either way.
    const bool media =
        schema.Optional(QStringLiteral("ZWAMEDIAITEM"), QStringLiteral("media files")) &&
        schema.Column(QStringLiteral("ZWAMEDIAITEM"), QString(),
                      QStringLiteral("ZMEDIALOCALPATH")) != QLatin1String("NULL");
    BackupManifest& manifest = m_context.Manifest();
    qint64 done = 0;
    ok = db.Query(
        QStringLiteral("SELECT m.ZCHATSESSION, %1, %2, m.ZMESSAGEDATE, %3 FROM ZWAMESSAGE m%4 "
                       "ORDER BY m.ZCHATSESSION, m.ZMESSAGEDATE, m.Z_PK")
            .arg(schema.Column(message, QStringLiteral("m"), QStringLiteral("ZISFROMME")),
                 schema.Column(message, QStringLiteral("m"), QStringLiteral("ZTEXT")),
                 media ? QStringLiteral("mi.ZMEDIALOCALPATH") : QStringLiteral("NULL"),
                 media ? QStringLiteral(" LEFT JOIN ZWAMEDIAITEM mi ON mi.ZMESSAGE = m.Z_PK")
                       : QString()),
        [&](const Row& row) {
            WhatsAppRecord* chat = chats.value(row.Int(0));
            if (chat) {
                const bool sent = row.Int(1) != 0;
                MessageEntryRecord& entry = chat->AddEntry(sent);
                entry.Texts().Set(MessageEntryRecord::Text, row.Text(2));
                entry.Texts().Set(MessageEntryRecord::Sender,
                                  sent ? QStringLiteral("Me")
                                       : chat->Text().String(WhatsAppRecord::PartnerName));
                entry.Texts().Set(MessageEntryRecord::Date, m_context.DateText(row, 3));
                if (!row.IsNull(4)) {
                    const QString local = row.String(4);
                    const QString path =
                        manifest.FindFile(domain, QStringLiteral("Message/") + local);
                    if (!path.isEmpty())
                        chat->AddAttachment({path, QFileInfo(local).fileName()});
                }
            }
            return m_context.Tick(++done, total);
        });
    if (!ok)
        return m_context.Fail(db.LastError());
    for (auto& item : read)
        items.push_back(std::move(item));
    return true;
}
