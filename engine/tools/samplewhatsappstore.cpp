#include "samplewhatsappstore.h"

#include "sampledeletions.h"
#include "samplepictures.h"
#include "samplerandom.h"
#include "samplestorecontext.h"
#include "samplewords.h"
#include "sqlitewriter.h"

#include <QUuid>

namespace {

const char* const WhatsApp = "AppDomainGroup-group.net.whatsapp.WhatsApp.shared";
const char* const WhatsAppBusiness = "AppDomainGroup-group.net.whatsapp.WhatsAppSMB.shared";

} // namespace

bool SampleWhatsAppStore::Write(SampleStoreContext& context)
{
    // The business app keeps the same store in its own shared container.
    const QString domain =
        QString::fromLatin1(context.options.whatsAppBusiness ? WhatsAppBusiness : WhatsApp);
    SqliteWriter db;
    if (!db.Open(context.AddFile(domain, "ChatStorage.sqlite")) ||
        !db.Exec("CREATE TABLE ZWACHATSESSION (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, "
                 "ZSESSIONTYPE INTEGER, ZLASTMESSAGEDATE TIMESTAMP, ZCONTACTJID VARCHAR, "
                 "ZPARTNERNAME VARCHAR);"
                 "CREATE TABLE ZWAMESSAGE (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, ZISFROMME "
                 "INTEGER, ZCHATSESSION INTEGER, ZGROUPMEMBER INTEGER, ZMEDIAITEM INTEGER, "
                 "ZMESSAGEDATE TIMESTAMP, ZFROMJID VARCHAR, ZTOJID VARCHAR, ZPUSHNAME VARCHAR, "
                 "ZTEXT VARCHAR);"
                 "CREATE TABLE ZWAMEDIAITEM (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, ZMESSAGE "
                 "INTEGER, ZFILESIZE INTEGER, ZMEDIALOCALPATH VARCHAR, ZTITLE VARCHAR);"
                 "CREATE TABLE ZWAGROUPMEMBER (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, "
                 "ZCHATSESSION INTEGER, ZCONTACTNAME VARCHAR, ZFIRSTNAME VARCHAR, ZMEMBERJID "
                 "VARCHAR);"
                 "CREATE TABLE ZWAPROFILEPUSHNAME (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, ZJID "
                 "VARCHAR, ZPUSHNAME VARCHAR);"))
        return context.Fail(db.LastError());
    int media = 0;
    for (int c = 0; c < 10 * context.options.scale; ++c) {
        SampleBackupContent::Chat chat;
        // Every fourth chat is a group (…@g.us, session type 1); chat 2 is a
        // person known by an @lid identifier only.
        const bool group = c % 4 == 1;
        if (group) {
            chat.jid = QStringLiteral("4477009%1-16%2@g.us").arg(10000 + c).arg(c);
            chat.partner = QStringLiteral("%1 club").arg(context.random.Pick(SampleWords::Words));
        } else if (c == 2) {
            chat.jid = QStringLiteral("2%1318@lid").arg(70000 + c);
            chat.partner = context.random.Pick(SampleWords::FirstNames);
        } else {
            chat.jid = QStringLiteral("4477009%1@s.whatsapp.net").arg(10000 + c);
            chat.phone = QLatin1Char('+') + chat.jid.section(QLatin1Char('@'), 0, 0);
            chat.partner = context.random.Pick(SampleWords::FirstNames) + QLatin1Char(' ') +
                           context.random.Pick(SampleWords::LastNames);
        }
        double date = context.now - 86400.0 * context.random.Range(10, 200);
        const qint64 session = db.Insert(
            "INSERT INTO ZWACHATSESSION (Z_ENT, ZSESSIONTYPE, ZLASTMESSAGEDATE, ZCONTACTJID, "
            "ZPARTNERNAME) VALUES (4, ?, ?, ?, ?)",
            {group ? 1 : 0, date, chat.jid, chat.partner});
        // A group's members: one saved as a contact, one with only the name
        // it pushes (an @lid member), one with nothing but its number, and
        // one who left, whose member row is gone while its messages keep the
        // name it pushed.
        struct Member
        {
            qint64 row;
            QString jid, shown, pushed;
        };
        std::vector<Member> members;
        if (group) {
            const QString named = context.random.Pick(SampleWords::FirstNames) + QLatin1Char(' ') +
                                  context.random.Pick(SampleWords::LastNames);
            const QString pushed = context.random.Pick(SampleWords::FirstNames);
            const QString number = QStringLiteral("4479001%1").arg(20000 + c);
            const QString lid = QStringLiteral("1%1555@lid").arg(80000 + c);
            const QString gone =
                context.random.Pick(SampleWords::FirstNames) + QStringLiteral(" (left)");
            // The one who left first: its row is not the last, so no later
            // member takes its key (Core Data never reuses one).
            members.push_back({0, number + QStringLiteral("3@s.whatsapp.net"), gone, gone});
            members.push_back({0, number + QStringLiteral("1@s.whatsapp.net"), named, QString()});
            members.push_back({0, lid, pushed, pushed});
            members.push_back({0, number + QStringLiteral("2@s.whatsapp.net"),
                               QLatin1Char('+') + number + QLatin1Char('2'), QString()});
            for (std::size_t k = 0; k < members.size(); ++k)
                members[k].row = db.Insert(
                    "INSERT INTO ZWAGROUPMEMBER (Z_ENT, ZCHATSESSION, ZCONTACTNAME, ZMEMBERJID) "
                    "VALUES (7, ?, ?, ?)",
                    {session, k == 1 ? QVariant(named) : QVariant(), members[k].jid});
            if (!db.Exec(QStringLiteral("DELETE FROM ZWAGROUPMEMBER WHERE Z_PK = %1")
                             .arg(members.front().row)))
                return context.Fail(db.LastError());
            db.Insert("INSERT INTO ZWAPROFILEPUSHNAME (Z_ENT, ZJID, ZPUSHNAME) VALUES (10, ?, ?)",
                      {lid, pushed});
        }
        for (int m = 0; m < 50; ++m) {
            SampleBackupContent::Message message;
            date += context.random.Range(60, 30000);
            message.date = date;
            message.sent = context.random.Range(0, 1) == 0;
            message.text = context.random.Sentence();
            QVariant member, pushName;
            // A message received in a group comes from the group's JID; its
            // writer is the member it links and the name it carries.
            const QString from = chat.jid;
            if (message.sent) {
                message.sender = QStringLiteral("Me");
            } else if (group) {
                const Member& writer = members[static_cast<std::size_t>(m) % members.size()];
                member = writer.row;
                if (!writer.pushed.isEmpty())
                    pushName = writer.pushed;
                message.sender = writer.shown;
            } else {
                message.sender = chat.partner;
            }
            const qint64 row =
                db.Insert("INSERT INTO ZWAMESSAGE (Z_ENT, ZISFROMME, ZCHATSESSION, ZGROUPMEMBER, "
                          "ZMESSAGEDATE, ZFROMJID, ZTOJID, ZPUSHNAME, ZTEXT) VALUES (9, ?, ?, ?, "
                          "?, ?, ?, ?, ?)",
                          {message.sent ? 1 : 0, session, member, message.date,
                           message.sent ? QVariant() : QVariant(from),
                           message.sent ? QVariant(chat.jid) : QVariant(), pushName, message.text});
            if (context.options.media && m == 20 + c % 5) {
                ++media;
                const QString name = QStringLiteral("%1.jpg").arg(
                    QUuid::createUuidV5(QUuid(), QStringLiteral("w%1").arg(media))
                        .toString(QUuid::WithoutBraces));
                const QString local = QStringLiteral("Media/%1/%2/%3/%4")
                                          .arg(chat.jid)
                                          .arg(name.at(0))
                                          .arg(name.at(1))
                                          .arg(name);
                if (!context.WriteContent(domain, QStringLiteral("Message/") + local,
                                          SamplePictures::Picture(media + 800, "JPEG")))
                    return false;
                const qint64 item = db.Insert(
                    "INSERT INTO ZWAMEDIAITEM (Z_ENT, ZMESSAGE, ZMEDIALOCALPATH) VALUES (8, ?, ?)",
                    {row, local});
                db.Insert("UPDATE ZWAMESSAGE SET ZMEDIAITEM = ? WHERE Z_PK = ?", {item, row});
                chat.media.append(name);
            }
            chat.messages.push_back(message);
        }
        context.content.chats.push_back(chat);
    }
    return (context.Forget(db, SampleDeletions::WhatsApp) && db.Close()) ||
           context.Fail(db.LastError());
}
