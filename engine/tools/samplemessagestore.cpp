#include "samplemessagestore.h"

#include "samplechatless.h"
#include "sampledeletions.h"
#include "sampleformats.h"
#include "sampleleafplaces.h"
#include "samplepictures.h"
#include "samplerandom.h"
#include "samplestorecontext.h"
#include "samplestoreschemas.h"
#include "samplewords.h"
#include "sqlitewriter.h"

#include <QSet>
#include <QUuid>

bool SampleMessageStore::Write(SampleStoreContext& context)
{
    SqliteWriter db;
    // The generation's own tables, every column in its place.
    if (!db.Open(context.AddFile(SampleStoreContext::Home, "Library/SMS/sms.db")) ||
        !db.Exec(SampleStoreSchemas::Messages(context.options.ios)))
        return context.Fail(db.LastError());
    // iOS 16 on: recently deleted messages, and texts kept only in attributedBody.
    const bool recent = context.options.ios >= 16;
    if (recent && !db.Exec("CREATE TABLE chat_recoverable_message_join (chat_id INTEGER "
                           "REFERENCES chat (ROWID) ON DELETE CASCADE, message_id INTEGER "
                           "REFERENCES message (ROWID) ON DELETE CASCADE, delete_date INTEGER, "
                           "ck_sync_state INTEGER DEFAULT 0, PRIMARY KEY (chat_id, message_id))"))
        return context.Fail(db.LastError());
    const int conversations = 40 * context.options.scale;
    const QStringList updates = SampleStoreSchemas::MessageUpdates(context.options.ios);
    const int messagesEach = 75;
    int attachmentNumber = 0;
    QSet<QString> handles;
    for (int c = 0; c < conversations; ++c) {
        SampleBackupContent::Conversation conversation;
        // Most partners are contacts, so the engine can name them; some are not.
        if (c % 5 == 4 || context.content.contacts.empty())
            conversation.handle = c % 2 ? context.random.PhoneNumber()
                                        : QStringLiteral("someone%1@%2")
                                              .arg(c)
                                              .arg(context.random.Pick(SampleWords::Domains));
        else {
            const auto& contact =
                context.content
                    .contacts[static_cast<std::size_t>(c) % context.content.contacts.size()];
            conversation.handle = contact.phones.first();
        }
        // Half the conversations in, the system update adds the message
        // table's newer columns; the messages deleted before stay shorter.
        if (c == conversations / 2 && !updates.isEmpty()) {
            if (!context.Forget(db, SampleDeletions::OlderMessages))
                return false;
            for (const QString& column : updates) {
                if (!db.Exec(QStringLiteral("ALTER TABLE message ADD COLUMN ") + column))
                    return context.Fail(db.LastError());
            }
        }
        // One conversation per partner: a number already taken gets a new one.
        while (handles.contains(conversation.handle))
            conversation.handle = context.random.PhoneNumber();
        handles.insert(conversation.handle);
        // The newest messages stay in the log, as on a phone between checkpoints.
        if (c == conversations - 1 && !db.Logging() &&
            (!context.Forget(db, SampleDeletions::Messages) || !db.StartLog()))
            return context.Fail(db.LastError());
        const qint64 handle = db.Insert("INSERT INTO handle (id, service) VALUES (?, ?)",
                                        {conversation.handle, QStringLiteral("iMessage")});
        const qint64 chat = db.Insert(
            "INSERT INTO chat (guid, style, state, chat_identifier, service_name) VALUES (?, 45, "
            "3, ?, 'iMessage')",
            {QStringLiteral("iMessage;-;%1").arg(conversation.handle), conversation.handle});
        if (handle < 0 || chat < 0)
            return context.Fail(db.LastError());
        db.Insert("INSERT INTO chat_handle_join (chat_id, handle_id) VALUES (?, ?)",
                  {chat, handle});
        // Conversations alternate between the older seconds and the newer nanoseconds.
        const bool nanoseconds = c % 2 == 1;
        conversation.deleted = recent && c == 2;
        double seconds = context.now - 86400.0 * context.random.Range(30, 400);
        for (int m = 0; m < messagesEach; ++m) {
            SampleBackupContent::Message message;
            seconds += context.random.Range(30, 20000);
            message.text = context.random.Sentence();
            message.sent = context.random.Range(0, 1) == 0;
            message.date = nanoseconds ? seconds * 1e9 : seconds;
            const bool archived = recent && m % 3 == 1;
            const bool attached = context.options.media && m % 37 == 5 && c < 20;
            // A phone keeps U+FFFC in the text where an attachment stands;
            // the pages show the text without it.
            const QString stored = attached ? QString(QChar(0xFFFC)) + message.text : message.text;
            const qint64 row = db.Insert(
                "INSERT INTO message (guid, text, handle_id, service, date, is_from_me, "
                "cache_has_attachments, attributedBody) VALUES (?, ?, ?, 'iMessage', ?, ?, 0, ?)",
                // Unique per seed, as two phones' messages are.
                {QUuid::createUuidV5(
                     QUuid(), QStringLiteral("m%1-%2-%3").arg(context.options.seed).arg(c).arg(m))
                     .toString(),
                 archived ? QVariant() : QVariant(stored), handle,
                 static_cast<qint64>(message.date), message.sent ? 1 : 0,
                 archived ? QVariant(SampleFormats::AttributedBody(stored)) : QVariant()});
            if (conversation.deleted)
                db.Insert("INSERT INTO chat_recoverable_message_join (chat_id, message_id, "
                          "delete_date) VALUES (?, ?, ?)",
                          {chat, row, static_cast<qint64>(context.now - 86400)});
            else if (context.options.ios >= 12)
                db.Insert("INSERT INTO chat_message_join (chat_id, message_id, message_date) "
                          "VALUES (?, ?, ?)",
                          {chat, row, static_cast<qint64>(message.date)});
            else
                db.Insert("INSERT INTO chat_message_join (chat_id, message_id) VALUES (?, ?)",
                          {chat, row});
            if (attached && !WriteAttachment(context, db, row, ++attachmentNumber, seconds,
                                             conversation.attachments))
                return false;
            conversation.messages.push_back(message);
            // Single messages go once the table's last leaf is full, so that
            // some stay in its gap and a freeblock, which the messages since,
            // in the log, leave as they were in the file; the conversation so
            // far counts as written.
            if (context.deletions && c == conversations - 2 && !db.Logging() &&
                SampleLeafPlaces::LastLeafFull(db, QStringLiteral("message"))) {
                context.content.conversations.push_back(conversation);
                const bool forgotten = context.Forget(db, SampleDeletions::Messages);
                context.content.conversations.pop_back();
                if (!forgotten || !db.StartLog())
                    return context.Fail(db.LastError());
            }
        }
        context.content.conversations.push_back(conversation);
    }
    qint64 withAttachment = -1;
    if (!SampleChatless::Write(db, context.random, context.now, context.content, withAttachment))
        return context.Fail(db.LastError());
    // A picture sent in the deleted chat stays with its message.
    if (context.options.media &&
        !WriteAttachment(context, db, withAttachment, ++attachmentNumber,
                         context.content.conversations.back().messages.front().date,
                         context.content.conversations.back().attachments))
        return false;
    return (context.Forget(db, SampleDeletions::Conversation) &&
            db.Close(context.AddFile(SampleStoreContext::Home, "Library/SMS/sms.db-wal"))) ||
           context.Fail(db.LastError());
}

bool SampleMessageStore::WriteAttachment(SampleStoreContext& context, SqliteWriter& db,
                                         qint64 message, int number, double seconds,
                                         QStringList& names)
{
    // Another phone's attachments are others (the default seed keeps the
    // names the samples always had).
    QString seeded = QStringLiteral("a%1").arg(number);
    if (context.options.seed != SampleBackupWriter::Options().seed)
        seeded += QStringLiteral("-%1").arg(context.options.seed);
    const QString guid =
        QUuid::createUuidV5(QUuid(), seeded).toString(QUuid::WithoutBraces).toUpper();
    const QString name = QStringLiteral("IMG_%1.jpeg").arg(number, 4, 10, QLatin1Char('0'));
    const QString path = QStringLiteral("Library/SMS/Attachments/%1/%2/%3/%4")
                             .arg(guid.left(2).toLower())
                             .arg(number % 100, 2, 10, QLatin1Char('0'))
                             .arg(guid, name);
    if (!context.WriteContent(SampleStoreContext::Media, path,
                              SamplePictures::Picture(number + 500, "JPEG")))
        return false;
    const qint64 attachment =
        // From iOS 12 on an attachment also keeps the GUID it first had.
        context.options.ios >= 12
            ? db.Insert(
                  "INSERT INTO attachment (guid, created_date, filename, mime_type, "
                  "transfer_name, original_guid) VALUES (?, ?, ?, 'image/jpeg', ?, ?)",
                  {guid, static_cast<qint64>(seconds), QStringLiteral("~/") + path, name, guid})
            : db.Insert("INSERT INTO attachment (guid, created_date, filename, mime_type, "
                        "transfer_name) VALUES (?, ?, ?, 'image/jpeg', ?)",
                        {guid, static_cast<qint64>(seconds), QStringLiteral("~/") + path, name});
    if (attachment < 0 || db.Insert("INSERT INTO message_attachment_join (message_id, "
                                    "attachment_id) VALUES (?, ?)",
                                    {message, attachment}) < 0)
        return context.Fail(db.LastError());
    names.append(name);
    return true;
}
