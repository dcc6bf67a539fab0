#include "samplecalls.h"

#include "sampledeletions.h"
#include "sampleleafplaces.h"
#include "samplerandom.h"
#include "samplestorecontext.h"
#include "samplestoreschemas.h"
#include "samplewords.h"
#include "sqlitewriter.h"

#include <QUuid>

bool SampleCalls::Write(SqliteWriter& db, SampleRandom& random, double now, int scale, int ios,
                        SampleBackupContent& content, const std::function<bool()>& early,
                        const std::function<bool()>& beforeUpdate,
                        const std::function<bool()>& late)
{
    const bool old = ios <= 7;
    // The old store is dated in seconds since 1970, with flags for the
    // direction and FaceTime.
    if (!db.Exec(old ? QStringLiteral(
                           "CREATE TABLE call (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, address "
                           "TEXT, date INTEGER, duration INTEGER, flags INTEGER, id INTEGER, name "
                           "TEXT, country_code TEXT, network_code TEXT, read INTEGER, assisted "
                           "INTEGER, face_time_data BLOB, originalAddress TEXT)")
                     : SampleStoreSchemas::CallRecord(ios) +
                           QStringLiteral(
                               "; CREATE TABLE ZCALLDBPROPERTIES (Z_PK INTEGER PRIMARY KEY, Z_ENT "
                               "INTEGER, Z_OPT INTEGER, ZTIMER_ALL FLOAT, ZTIMER_INCOMING FLOAT, "
                               "ZTIMER_LAST FLOAT, ZTIMER_LIFETIME FLOAT, ZTIMER_OUTGOING FLOAT); "
                               // Core Data keeps each entity's last key, which
                               // the app's next call takes from, whatever went.
                               "CREATE TABLE Z_PRIMARYKEY (Z_ENT INTEGER PRIMARY KEY, Z_NAME "
                               "VARCHAR, Z_SUPER INTEGER, Z_MAX INTEGER); INSERT INTO "
                               "Z_PRIMARYKEY VALUES (2, 'CallRecord', 0, 0)")))
        return false;
    const int count = 200 * scale;
    // The columns a later update added come once part of the calls are in.
    const QStringList added = old ? QStringList() : SampleStoreSchemas::CallRecordAdded(ios);
    bool grown = !early;
    double date = now - 86400.0 * 200;
    for (int i = 0; i < count; ++i) {
        if (i == count * 2 / 5 && !added.isEmpty()) {
            if (beforeUpdate && !beforeUpdate())
                return false;
            for (const QString& column : added) {
                if (!db.Exec(QStringLiteral("ALTER TABLE ZCALLRECORD ADD COLUMN ") + column))
                    return false;
            }
        }
        SampleBackupContent::Call call;
        date += random.Range(600, 80000) + (old ? 0 : 0.25);
        call.date = date;
        call.outgoing = random.Range(0, 2) == 0;
        // Some outgoing calls are not answered either.
        call.answered = random.Range(0, 3) != 0;
        call.duration = call.answered ? random.Range(5, 3600) + (old ? 0 : 0.5) : 0;
        // The newer store tells a call its caller hung up apart (cause 0).
        call.cancelled = !old && call.outgoing && !call.answered && i % 2 == 0;
        call.kind = i % 7 == 3            ? SampleBackupContent::Call::FaceTimeVideo
                    : i % 7 == 5 && !old  ? SampleBackupContent::Call::FaceTimeAudio
                    : i % 11 == 6 && !old ? SampleBackupContent::Call::OtherApp
                                          : SampleBackupContent::Call::Phone;
        if (i % 4 == 0 && !content.contacts.empty()) {
            const auto& contact =
                content.contacts[static_cast<std::size_t>(i) % content.contacts.size()];
            call.address = contact.phones.first();
            // Half keep no name: the engine names them from the address book.
            if (i % 8 == 0)
                call.name = contact.first + QLatin1Char(' ') + contact.last;
        } else if (call.kind == SampleBackupContent::Call::FaceTimeVideo && i % 2) {
            call.address =
                QStringLiteral("caller%1@%2").arg(i).arg(random.Pick(SampleWords::Domains));
        } else {
            call.address = random.PhoneNumber();
        }
        const QVariant name = call.name.isEmpty() ? QVariant() : QVariant(call.name);
        if (old) {
            // 4 incoming, 5 outgoing; 16 marks FaceTime.
            const int flags = (call.outgoing ? 5 : 4) |
                              (call.kind == SampleBackupContent::Call::FaceTimeVideo ? 16 : 0);
            db.Insert("INSERT INTO call (address, date, duration, flags, id, name) VALUES (?, ?, "
                      "?, ?, -1, ?)",
                      {call.address, static_cast<qint64>(call.date) + 978307200,
                       static_cast<qint64>(call.duration), flags, name});
        } else {
            // ZCALLTYPE: 1 phone (or an app's call), 8 FaceTime video, 16 FaceTime audio.
            const int type = call.kind == SampleBackupContent::Call::FaceTimeVideo   ? 8
                             : call.kind == SampleBackupContent::Call::FaceTimeAudio ? 16
                                                                                     : 1;
            const QString provider = call.kind == SampleBackupContent::Call::OtherApp
                                         ? QStringLiteral("net.whatsapp.WhatsApp")
                                     : type == 1 ? QStringLiteral("com.apple.Telephony")
                                                 : QStringLiteral("com.apple.FaceTime");
            // ZDISCONNECTED_CAUSE: 0 ended on this phone, 6 declined or not answered.
            const int cause = call.answered || call.cancelled ? 0 : 6;
            // Watched until the table outgrows its root page.
            const bool leaf =
                !grown && SampleLeafPlaces::RootIsLeaf(db, QStringLiteral("ZCALLRECORD"));
            // ZCALL_CATEGORY: 1 audio, 2 video; ZHANDLE_TYPE: 2 a number, 3 an address.
            const bool email = call.address.contains(QLatin1Char('@'));
            const QString unique =
                QUuid::createUuidV5(QUuid(), QStringLiteral("call-%1-%2").arg(call.date).arg(i))
                    .toString(QUuid::WithoutBraces)
                    .toUpper();
            if (db.Insert("INSERT INTO ZCALLRECORD (Z_PK, Z_ENT, Z_OPT, ZANSWERED, "
                          "ZCALL_CATEGORY, ZCALLTYPE, ZDISCONNECTED_CAUSE, ZHANDLE_TYPE, "
                          "ZNUMBER_AVAILABILITY, ZORIGINATED, ZREAD, ZDATE, ZDURATION, ZADDRESS, "
                          "ZISO_COUNTRY_CODE, ZNAME, ZSERVICE_PROVIDER, ZUNIQUE_ID) VALUES "
                          "((SELECT Z_MAX + 1 FROM Z_PRIMARYKEY WHERE Z_ENT = 2), 2, 1, ?, ?, ?, "
                          "?, ?, 0, ?, 1, ?, ?, ?, ?, ?, ?, ?)",
                          {call.answered && !(call.outgoing && ios >= 17) ? 1 : 0,
                           type == 8 ? 2 : 1, type, cause, email ? 3 : 2, call.outgoing ? 1 : 0,
                           call.date, call.duration, call.address,
                           email ? QVariant() : QVariant(QStringLiteral("gb")), name, provider,
                           unique}) < 0 ||
                !db.Exec(
                    QStringLiteral("UPDATE Z_PRIMARYKEY SET Z_MAX = Z_MAX + 1 WHERE Z_ENT = 2")))
                return false;
            if (leaf && !SampleLeafPlaces::RootIsLeaf(db, QStringLiteral("ZCALLRECORD"))) {
                grown = true;
                if (!early())
                    return false;
            }
            grown = grown || !leaf;
        }
        content.calls.push_back(call);
        if (late && i >= count * 4 / 5 && !late())
            return false;
    }
    return true;
}

bool SampleCalls::WriteStore(SampleStoreContext& context)
{
    // Up to iOS 7 the call history is call_history.db of the wireless domain.
    const bool old = context.options.ios <= 7;
    SqliteWriter db;
    const QString domain =
        old ? QStringLiteral("WirelessDomain") : QString::fromLatin1(SampleStoreContext::Home);
    const QString path = old ? QStringLiteral("Library/CallHistory/call_history.db")
                             : QStringLiteral("Library/CallHistoryDB/CallHistory.storedata");
    const QString file = context.AddFile(domain, path);
    // With deletions, calls go once the table's last leaf is full (see WriteContacts()).
    const auto late = [&context, &db, old] {
        return !context.deletions || db.Logging() ||
               !SampleLeafPlaces::LastLeafFull(db, old ? QStringLiteral("call")
                                                       : QStringLiteral("ZCALLRECORD")) ||
               (context.Forget(db, SampleDeletions::Calls) && db.StartLog());
    };
    // The phone's settings: freed bytes, and a page's old cells, stay.
    if (!db.Open(file) || !db.Exec(QStringLiteral("PRAGMA secure_delete=OFF")) ||
        !SampleCalls::Write(
            db, context.random, context.now, context.options.scale, context.options.ios,
            context.content,
            [&context, &db] { return context.Forget(db, SampleDeletions::EarlyCalls); },
            [&context, &db] { return context.Forget(db, SampleDeletions::OlderCalls); }, late))
        return context.Fail(db.LastError());
    return context.LogDeletions(db, SampleDeletions::Calls, SampleDeletions::LoggedCalls,
                                QStringLiteral("calls"), domain, path);
}
