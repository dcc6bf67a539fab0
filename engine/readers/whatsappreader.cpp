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

bool WhatsAppReader::ReadChats(ReaderContext::Items& items)
{
    return ReadStores(&WhatsAppReader::ReadChats, items);
}

bool WhatsAppReader::ReadAttachments(ReaderContext::Items& items)
{
    return ReadStores(&WhatsAppReader::ReadAttachments, items);
}

bool WhatsAppReader::ReadStores(StoreRead read, ReaderContext::Items& items)
{
    // A store that cannot be read costs only its own records, and is counted
    // as skipped; the category fails when no store it has could be read.
    int present = 0;
    int failed = 0;
    QString error;
    for (const char* domain :
         {ReaderContext::WhatsAppDomain, ReaderContext::WhatsAppBusinessDomain}) {
        const QString name = QString::fromLatin1(domain);
        present += m_context.Manifest().Lists(name, ChatStorage) ? 1 : 0;
        SqliteDb db;
        const ReaderContext::OpenResult open = m_context.OpenDatabase(name, ChatStorage, db);
        bool ok = open == ReaderContext::OPEN_ABSENT;
        if (open == ReaderContext::OPEN_OK) {
            SchemaProbe schema(db, ChatStorage);
            const QString missing = MissingTable(schema);
            ok = missing.isEmpty()
                     ? (this->*read)(name, db, schema, items)
                     : m_context.Fail(
                           QStringLiteral("%1 lacks the table %2").arg(ChatStorage, missing));
        }
        if (ok)
            continue;
        if (m_context.Stopped())
            return false;
        ++failed;
        error = m_context.ErrorText();
        qCWarning(lcReaders).noquote() << "WhatsApp:" << name << ":" << error;
        m_context.Skip();
    }
    return failed == 0 || failed < present || m_context.Fail(error);
}

bool WhatsAppReader::ReadAttachments(const QString& domain, SqliteDb& db, SchemaProbe& schema,
                                     ReaderContext::Items& items)
{
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
            if (path.isEmpty()) {
                m_context.Skip();
                return true;
            }
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

bool WhatsAppReader::ReadChats(const QString& domain, SqliteDb& db, SchemaProbe& schema,
                               ReaderContext::Items& items)
{
    const QString session = QStringLiteral("ZWACHATSESSION");
    const QString message = QStringLiteral("ZWAMESSAGE");

    // The names people push with their messages, by JID (the only name an
    // @lid member may have).
    QHash<QString, QByteArray> pushNames;
    if (schema.HasTable(QStringLiteral("ZWAPROFILEPUSHNAME")))
        db.Query(QStringLiteral("SELECT ZJID, ZPUSHNAME FROM ZWAPROFILEPUSHNAME"),
                 [&pushNames](const Row& row) {
                     pushNames.insert(row.String(0), row.Text(1));
                     return true;
                 });
    const auto shownJid = [&pushNames](const QString& jid, const QByteArray& name) {
        if (!name.isEmpty())
            return name;
        const QByteArray pushed = pushNames.value(jid);
        if (!pushed.isEmpty())
            return pushed;
        // A number where the JID is one; other identifiers as they are.
        if (jid.endsWith(QLatin1String("@s.whatsapp.net")))
            return (QLatin1Char('+') + jid.section(QLatin1Char('@'), 0, 0)).toUtf8();
        return jid.toUtf8();
    };
    // Group members: who wrote a message received in a group.
    QHash<qint64, QByteArray> members;
    if (schema.HasTable(QStringLiteral("ZWAGROUPMEMBER"))) {
        const QString table = QStringLiteral("ZWAGROUPMEMBER");
        db.Query(QStringLiteral("SELECT Z_PK, %1, %2, %3 FROM ZWAGROUPMEMBER")
                     .arg(schema.Column(table, QString(), QStringLiteral("ZMEMBERJID")),
                          schema.Column(table, QString(), QStringLiteral("ZCONTACTNAME")),
                          schema.Column(table, QString(), QStringLiteral("ZFIRSTNAME"))),
                 [&](const Row& row) {
                     const QByteArray name = row.IsNull(2) ? row.Text(3) : row.Text(2);
                     members.insert(row.Int(0), shownJid(row.String(1), name));
                     return true;
                 });
    }

    struct Chat
    {
        WhatsAppRecord* record;
        bool group;
        QByteArray partner;
    };
    QHash<qint64, Chat> chats;
    ReaderContext::Items read;
    bool ok =
        db.Query(QStringLiteral("SELECT Z_PK, %1, %2 FROM ZWACHATSESSION ORDER BY Z_PK")
                     .arg(schema.Column(session, QString(), QStringLiteral("ZCONTACTJID")),
                          schema.Column(session, QString(), QStringLiteral("ZPARTNERNAME"))),
                 [&](const Row& row) {
                     auto record = std::make_unique<WhatsAppRecord>();
                     RecordText& text = record->Text();
                     const QString jid = row.String(1);
                     const bool group = jid.endsWith(QLatin1String("@g.us"));
                     const QByteArray name =
                         group ? row.Text(2) : QByteArray(shownJid(jid, row.Text(2)));
                     text.Set(WhatsAppRecord::ChatName, name);
                     text.Set(WhatsAppRecord::PartnerName, name);
                     // Only a person's JID is a phone number; groups and @lid are not.
                     text.Set(WhatsAppRecord::PartnerPhone,
                              jid.endsWith(QLatin1String("@s.whatsapp.net"))
                                  ? QString(QLatin1Char('+') + jid.section(QLatin1Char('@'), 0, 0))
                                  : QString(QLatin1String("")));
                     chats.insert(row.Int(0), {record.get(), group, name});
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
    const QString groupMember = schema.HasColumn(message, QStringLiteral("ZGROUPMEMBER"))
                                    ? QStringLiteral("m.ZGROUPMEMBER")
                                    : QStringLiteral("NULL");
    const QString from = schema.HasColumn(message, QStringLiteral("ZFROMJID"))
                             ? QStringLiteral("m.ZFROMJID")
                             : QStringLiteral("NULL");
    const QString pushName = schema.HasColumn(message, QStringLiteral("ZPUSHNAME"))
                                 ? QStringLiteral("m.ZPUSHNAME")
                                 : QStringLiteral("NULL");
    // In a group the writer, not the group, is the sender: the member the
    // message links, else the name it carries, else the JID it came from
    // when that is a member's (a received group message comes from the
    // group's); the group only when nothing tells.
    const auto groupSender = [&](const Row& row) -> QByteArray {
        const QByteArray member = row.IsNull(5) ? QByteArray() : members.value(row.Int(5));
        if (!member.isEmpty())
            return member;
        if (!row.Text(7).isEmpty())
            return row.Text(7);
        const QString jid = row.String(6);
        if (!jid.isEmpty() && !jid.endsWith(QLatin1String("@g.us")))
            return shownJid(jid, QByteArray());
        return chats.value(row.Int(0)).partner;
    };
    BackupManifest& manifest = m_context.Manifest();
    const QByteArray me("Me");
    qint64 done = 0;
    ok = db.Query(
        QStringLiteral("SELECT m.ZCHATSESSION, %1, %2, m.ZMESSAGEDATE, %3, %4, %5, %7 FROM "
                       "ZWAMESSAGE m%6 ORDER BY m.ZCHATSESSION, m.ZMESSAGEDATE, m.Z_PK")
            .arg(schema.Column(message, QStringLiteral("m"), QStringLiteral("ZISFROMME")),
                 schema.Column(message, QStringLiteral("m"), QStringLiteral("ZTEXT")),
                 media ? QStringLiteral("mi.ZMEDIALOCALPATH") : QStringLiteral("NULL"), groupMember,
                 from,
                 media ? QStringLiteral(" LEFT JOIN ZWAMEDIAITEM mi ON mi.ZMESSAGE = m.Z_PK")
                       : QString(),
                 pushName),
        [&](const Row& row) {
            const auto chat = chats.constFind(row.Int(0));
            if (chat != chats.constEnd()) {
                WhatsAppRecord* record = chat->record;
                const bool sent = row.Int(1) != 0;
                QByteArray sender = me;
                if (!sent)
                    sender = chat->group ? groupSender(row) : chat->partner;
                record->AddEntry(sent, row.Piece(2), sender, m_context.DateStamp(row, 3).Piece());
                if (!row.IsNull(4)) {
                    const QString local = row.String(4);
                    const QString path =
                        manifest.FindFile(domain, QStringLiteral("Message/") + local);
                    if (!path.isEmpty())
                        record->AddAttachment({path, QFileInfo(local).fileName()});
                    else
                        m_context.Skip();
                }
            }
            return m_context.Tick(++done, total);
        });
    // A stop, or a query it interrupted, leaves what was read.
    m_context.Leave(read);
    if (!ok)
        return m_context.Fail(db.LastError());
    for (auto& item : read)
        items.push_back(std::move(item));
    return true;
}
