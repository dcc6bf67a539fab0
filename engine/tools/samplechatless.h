#ifndef SAMPLECHATLESS_H
#define SAMPLECHATLESS_H

#include "samplebackupcontent.h"

class SampleRandom;
class SqliteWriter;

// Messages of sms.db that no chat holds, as a phone leaves them when a chat
// is deleted before its messages: a few received and sent messages of one
// number, with no chat_message_join row. Written into an open sms.db and
// recorded as the content's last conversation (marked chatless). The row of
// its first message, for an attachment, goes to `first`.
class SampleChatless
{
public:
    static bool Write(SqliteWriter& db, SampleRandom& random, double now,
                      SampleBackupContent& content, qint64& first);
};

#endif // SAMPLECHATLESS_H
