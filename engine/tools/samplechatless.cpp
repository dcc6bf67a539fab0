#include "samplechatless.h"

#include "samplerandom.h"
#include "sqlitewriter.h"

#include <QUuid>

bool SampleChatless::Write(SqliteWriter& db, SampleRandom& random, double now,
                           SampleBackupContent& content, qint64& first)
{
    SampleBackupContent::Conversation conversation;
    conversation.chatless = true;
    conversation.handle = random.PhoneNumber();
    const qint64 handle =
        db.Insert("INSERT INTO handle (id, service) VALUES (?, 'SMS')", {conversation.handle});
    if (handle < 0)
        return false;
    double seconds = now - 86400.0 * 3;
    for (int m = 0; m < 4; ++m) {
        SampleBackupContent::Message message;
        seconds += random.Range(60, 4000);
        message.date = seconds;
        message.text = random.Sentence();
        message.sent = m % 2 == 1;
        const qint64 row = db.Insert(
            "INSERT INTO message (guid, text, handle_id, service, date, is_from_me) "
            "VALUES (?, ?, ?, 'SMS', ?, ?)",
            {QUuid::createUuidV5(QUuid(), QStringLiteral("chatless-%1").arg(m)).toString(),
             message.text, handle, static_cast<qint64>(message.date), message.sent ? 1 : 0});
        if (row < 0)
            return false;
        if (m == 0)
            first = row;
        conversation.messages.push_back(message);
    }
    content.conversations.push_back(conversation);
    return true;
}
