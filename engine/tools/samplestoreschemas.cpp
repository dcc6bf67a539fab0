#include "samplestoreschemas.h"

#include <algorithm>
#include <iterator>

namespace {

// The message table of the iOS 6 and 7 store; each later group of columns
// came at the end, in this order.
const char* const MessageColumns =
    "ROWID INTEGER PRIMARY KEY AUTOINCREMENT, guid TEXT UNIQUE NOT NULL, text TEXT, replace "
    "INTEGER DEFAULT 0, service_center TEXT, handle_id INTEGER DEFAULT 0, subject TEXT, country "
    "TEXT, attributedBody BLOB, version INTEGER DEFAULT 0, type INTEGER DEFAULT 0, service TEXT, "
    "account TEXT, account_guid TEXT, error INTEGER DEFAULT 0, date INTEGER, date_read INTEGER, "
    "date_delivered INTEGER, is_delivered INTEGER DEFAULT 0, is_finished INTEGER DEFAULT 0, "
    "is_emote INTEGER DEFAULT 0, is_from_me INTEGER DEFAULT 0, is_empty INTEGER DEFAULT 0, "
    "is_delayed INTEGER DEFAULT 0, is_auto_reply INTEGER DEFAULT 0, is_prepared INTEGER DEFAULT "
    "0, is_read INTEGER DEFAULT 0, is_system_message INTEGER DEFAULT 0, is_sent INTEGER DEFAULT "
    "0, has_dd_results INTEGER DEFAULT 0, is_service_message INTEGER DEFAULT 0, is_forward "
    "INTEGER DEFAULT 0, was_downgraded INTEGER DEFAULT 0, is_archive INTEGER DEFAULT 0, "
    "cache_has_attachments INTEGER DEFAULT 0, cache_roomnames TEXT, was_data_detected INTEGER "
    "DEFAULT 0, was_deduplicated INTEGER DEFAULT 0";

struct Added
{
    int since;
    const char* columns;
};

// Audio messages and named groups (iOS 8), then apps, effects and iCloud
// sync (iOS 10 and 11), replies and mentions (iOS 14), shared links, Focus,
// edit and undo send (iOS 15 and 16), satellite, key verification, emoji
// reactions and scheduled sends (iOS 17 and 18).
const Added MessageAdded[] = {
    {12, "is_audio_message INTEGER DEFAULT 0, is_played INTEGER DEFAULT 0, date_played INTEGER, "
         "item_type INTEGER DEFAULT 0, other_handle INTEGER DEFAULT 0, group_title TEXT, "
         "group_action_type INTEGER DEFAULT 0, share_status INTEGER DEFAULT 0, share_direction "
         "INTEGER DEFAULT 0, is_expirable INTEGER DEFAULT 0, expire_state INTEGER DEFAULT 0, "
         "message_action_type INTEGER DEFAULT 0, message_source INTEGER DEFAULT 0"},
    {12, "associated_message_guid TEXT, associated_message_type INTEGER DEFAULT 0, "
         "balloon_bundle_id TEXT, payload_data BLOB, expressive_send_style_id TEXT, "
         "associated_message_range_location INTEGER DEFAULT 0, associated_message_range_length "
         "INTEGER DEFAULT 0, time_expressive_send_played INTEGER, message_summary_info BLOB, "
         "ck_sync_state INTEGER DEFAULT 0, ck_record_id TEXT, ck_record_change_tag TEXT, "
         "destination_caller_id TEXT, is_corrupt INTEGER DEFAULT 0"},
    {14, "reply_to_guid TEXT, sort_id INTEGER, is_spam INTEGER DEFAULT 0, has_unseen_mention "
         "INTEGER DEFAULT 0, thread_originator_guid TEXT, thread_originator_part TEXT"},
    {16, "syndication_ranges TEXT, synced_syndication_ranges TEXT, was_delivered_quietly INTEGER "
         "DEFAULT 0, did_notify_recipient INTEGER DEFAULT 0, date_retracted INTEGER, date_edited "
         "INTEGER, was_detonated INTEGER DEFAULT 0, part_count INTEGER"},
    {18, "is_stewie INTEGER DEFAULT 0, is_sos INTEGER DEFAULT 0, is_critical INTEGER DEFAULT 0, "
         "bia_reference_id TEXT, is_kt_verified INTEGER DEFAULT 0, fallback_hash TEXT, "
         "associated_message_emoji TEXT, is_pending_satellite_send INTEGER DEFAULT 0, needs_relay "
         "INTEGER DEFAULT 0, schedule_type INTEGER DEFAULT 0, schedule_state INTEGER DEFAULT 0, "
         "sent_or_received_off_grid INTEGER DEFAULT 0, date_recovered INTEGER DEFAULT 0"}};

// Stickers and iCloud sync (iOS 10 and 11), the communication-safety flag
// (iOS 16), generated emoji (iOS 18).
const Added AttachmentAdded[] = {
    {12, "is_sticker INTEGER DEFAULT 0, sticker_user_info BLOB, attribution_info BLOB, "
         "hide_attachment INTEGER DEFAULT 0, ck_sync_state INTEGER DEFAULT 0, "
         "ck_server_change_token_blob BLOB, ck_record_id TEXT, original_guid TEXT UNIQUE NOT NULL"},
    {16, "is_commsafety_sensitive INTEGER DEFAULT 0"},
    {18, "emoji_image_content_identifier TEXT, emoji_image_short_description TEXT, "
         "preview_generation_state INTEGER DEFAULT 0"}};

QString Columns(const char* first, const Added* added, std::size_t count, int ios)
{
    QString columns = QLatin1String(first);
    for (std::size_t i = 0; i < count; ++i) {
        if (ios >= added[i].since)
            columns += QLatin1String(", ") + QLatin1String(added[i].columns);
    }
    return columns;
}

// The chat table: iOS 7's; iOS 12's, whose sync columns a later system
// replaced when it rebuilt the table; that one, grown by shared links and
// recently deleted messages (iOS 15 and 16).
QString ChatColumns(int ios)
{
    QString columns = QStringLiteral(
        "ROWID INTEGER PRIMARY KEY AUTOINCREMENT, guid TEXT UNIQUE NOT NULL, style INTEGER, "
        "state INTEGER, account_id TEXT, properties BLOB, chat_identifier TEXT, service_name "
        "TEXT, room_name TEXT, account_login TEXT, is_archived INTEGER DEFAULT 0, "
        "last_addressed_handle TEXT");
    if (ios < 12)
        return columns;
    columns += ios < 14 ? QStringLiteral(", display_name TEXT, group_id TEXT, is_filtered "
                                         "INTEGER, successful_query INTEGER, engram_id TEXT, "
                                         "server_change_token TEXT, ck_sync_state INTEGER DEFAULT "
                                         "0, original_group_id TEXT, last_read_message_timestamp "
                                         "INTEGER DEFAULT 0, ck_record_system_property_blob BLOB")
                        : QStringLiteral(
                              ", display_name TEXT, group_id TEXT, is_filtered INTEGER DEFAULT 0, "
                              "successful_query INTEGER, engram_id TEXT, server_change_token TEXT, "
                              "ck_sync_state INTEGER DEFAULT 0, original_group_id TEXT, "
                              "last_read_message_timestamp INTEGER DEFAULT 0, cloudkit_record_id "
                              "TEXT, last_addressed_sim_id TEXT, is_blackholed INTEGER DEFAULT 0");
    if (ios >= 16)
        columns += QStringLiteral(", syndication_date INTEGER DEFAULT 0, syndication_type INTEGER "
                                  "DEFAULT 0, is_recovered INTEGER DEFAULT 0, "
                                  "is_deleting_incoming_messages INTEGER DEFAULT 0");
    return columns;
}

} // namespace

QString SampleStoreSchemas::Messages(int ios)
{
    const QString handle = ios >= 14 ? QStringLiteral(", person_centric_id TEXT") : QString();
    const QString messageDate =
        ios >= 12 ? QStringLiteral(" message_date INTEGER DEFAULT 0,") : QString();
    QString sql =
        QStringLiteral("CREATE TABLE _SqliteDatabaseProperties (key TEXT, value TEXT, "
                       "UNIQUE(key));"
                       "CREATE TABLE handle (ROWID INTEGER PRIMARY KEY AUTOINCREMENT UNIQUE, id "
                       "TEXT NOT NULL, country TEXT, service TEXT NOT NULL, uncanonicalized_id "
                       "TEXT%1, UNIQUE (id, service));")
            .arg(handle);
    sql += QStringLiteral("CREATE TABLE chat (%1);").arg(ChatColumns(ios));
    sql +=
        QStringLiteral("CREATE TABLE message (%1);")
            .arg(Columns(MessageColumns, MessageAdded, std::size(MessageAdded), std::min(ios, 12)));
    sql += QStringLiteral(
               "CREATE TABLE chat_message_join (chat_id INTEGER REFERENCES chat (ROWID) ON DELETE "
               "CASCADE, message_id INTEGER REFERENCES message (ROWID) ON DELETE CASCADE,%1 "
               "PRIMARY KEY (chat_id, message_id));"
               "CREATE TABLE chat_handle_join (chat_id INTEGER REFERENCES chat (ROWID) ON DELETE "
               "CASCADE, handle_id INTEGER REFERENCES handle (ROWID) ON DELETE CASCADE, "
               "UNIQUE(chat_id, handle_id));"
               "CREATE TABLE message_attachment_join (message_id INTEGER REFERENCES message "
               "(ROWID) ON DELETE CASCADE, attachment_id INTEGER REFERENCES attachment (ROWID) ON "
               "DELETE CASCADE, UNIQUE(message_id, attachment_id));")
               .arg(messageDate);
    // Where iOS 6's table stopped, and what iOS 9 had added by then.
    sql += QStringLiteral("CREATE TABLE attachment (%1);")
               .arg(Columns("ROWID INTEGER PRIMARY KEY AUTOINCREMENT, guid TEXT UNIQUE NOT NULL, "
                            "created_date INTEGER DEFAULT 0, start_date INTEGER DEFAULT 0, "
                            "filename TEXT, uti TEXT, mime_type TEXT, transfer_state INTEGER "
                            "DEFAULT 0, is_outgoing INTEGER DEFAULT 0, user_info BLOB, "
                            "transfer_name TEXT, total_bytes INTEGER DEFAULT 0",
                            AttachmentAdded, std::size(AttachmentAdded), ios));
    if (ios >= 12)
        sql += QStringLiteral("CREATE TABLE deleted_messages (ROWID INTEGER PRIMARY KEY "
                              "AUTOINCREMENT UNIQUE, guid TEXT NOT NULL);");
    return sql;
}

QStringList SampleStoreSchemas::MessageUpdates(int ios)
{
    QStringList columns;
    for (const Added& added : MessageAdded) {
        if (added.since > 12 && ios >= added.since)
            columns << QString::fromLatin1(added.columns).split(QStringLiteral(", "));
    }
    return columns;
}

QString SampleStoreSchemas::CallRecord(int ios)
{
    if (ios < 14)
        return QStringLiteral(
            "CREATE TABLE ZCALLRECORD (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
            "ZANSWERED INTEGER, ZCALL_CATEGORY INTEGER, ZCALLTYPE INTEGER, ZDISCONNECTED_CAUSE "
            "INTEGER, ZFACE_TIME_DATA INTEGER, ZHANDLE_TYPE INTEGER, ZNUMBER_AVAILABILITY "
            "INTEGER, ZORIGINATED INTEGER, ZREAD INTEGER, ZDATE TIMESTAMP, ZDURATION FLOAT, "
            "ZDEVICE_ID VARCHAR, ZISO_COUNTRY_CODE VARCHAR, ZLOCATION VARCHAR, ZNAME VARCHAR, "
            "ZSERVICE_PROVIDER VARCHAR, ZUNIQUE_ID VARCHAR UNIQUE, ZADDRESS BLOB)");
    // Core Data orders a model's attributes by kind, then name: integers,
    // dates, floats, strings, data.
    if (ios < 18)
        return QStringLiteral(
            "CREATE TABLE ZCALLRECORD (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
            "ZANSWERED INTEGER, ZCALL_CATEGORY INTEGER, ZCALLTYPE INTEGER, ZDISCONNECTED_CAUSE "
            "INTEGER, ZFACE_TIME_DATA INTEGER, ZFILTERED_OUT_REASON INTEGER, ZHANDLE_TYPE "
            "INTEGER, ZJUNKCONFIDENCE INTEGER, ZNUMBER_AVAILABILITY INTEGER, ZORIGINATED INTEGER, "
            "ZREAD INTEGER, ZVERIFICATIONSTATUS INTEGER, ZDATE TIMESTAMP, ZDURATION FLOAT, "
            "ZADDRESS VARCHAR, ZISO_COUNTRY_CODE VARCHAR, ZJUNKIDENTIFICATIONCATEGORY VARCHAR, "
            "ZLOCATION VARCHAR, ZNAME VARCHAR, ZSERVICE_PROVIDER VARCHAR, ZUNIQUE_ID VARCHAR, "
            "ZCONVERSATIONID BLOB, ZLOCALPARTICIPANTUUID BLOB, ZOUTGOINGLOCALPARTICIPANTUUID BLOB, "
            "ZPARTICIPANTGROUPUUID BLOB)");
    return QStringLiteral(
        "CREATE TABLE ZCALLRECORD ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
        "ZANSWERED INTEGER, ZAUTOANSWEREDREASON INTEGER, ZCALLDIRECTORYIDENTITYTYPE INTEGER, "
        "ZCALL_CATEGORY INTEGER, ZCALLTYPE INTEGER, ZDISCONNECTED_CAUSE INTEGER, ZFACE_TIME_DATA "
        "INTEGER, ZFILTERED_OUT_REASON INTEGER, ZHANDLE_TYPE INTEGER, ZHASMESSAGE INTEGER, "
        "ZJUNKCONFIDENCE INTEGER, ZNUMBER_AVAILABILITY INTEGER, ZORIGINATED INTEGER, ZREAD "
        "INTEGER, ZSCREENSHARINGTYPE INTEGER, ZUSEDEMERGENCYVIDEOSTREAMING INTEGER, "
        "ZVERIFICATIONSTATUS INTEGER, ZWASEMERGENCYCALL INTEGER, ZDATE TIMESTAMP, ZDURATION "
        "FLOAT, ZADDRESS VARCHAR, ZBLOCKEDBYEXTENSION VARCHAR, ZIDENTITYEXTENSION VARCHAR, "
        "ZISO_COUNTRY_CODE VARCHAR, ZJUNKIDENTIFICATIONCATEGORY VARCHAR, ZLOCATION VARCHAR, "
        "ZNAME VARCHAR, ZSERVICE_PROVIDER VARCHAR, ZUNIQUE_ID VARCHAR, ZCONVERSATIONID BLOB, "
        "ZIMAGEURL VARCHAR, ZLOCALPARTICIPANTUUID BLOB, ZOUTGOINGLOCALPARTICIPANTUUID BLOB, "
        "ZPARTICIPANTGROUPUUID BLOB )");
}

QStringList SampleStoreSchemas::CallRecordAdded(int ios)
{
    if (ios < 18)
        return {};
    return {QStringLiteral("ZINITIATOR INTEGER"),
            QStringLiteral("ZBLOCKEDBYEXTENSIONNAME VARCHAR"),
            QStringLiteral("ZREMINDERUUID BLOB"),
            QStringLiteral("ZNEEDEDSCANNOUNCEMENT INTEGER"),
            QStringLiteral("ZCOMMUNICATIONTRUSTSCORE INTEGER"),
            QStringLiteral("ZORIGINATINGUITYPE INTEGER")};
}
