#ifndef SAMPLEMESSAGESTORE_H
#define SAMPLEMESSAGESTORE_H

#include <QStringList>

class SampleStoreContext;
class SqliteWriter;

// The messages app's store of a sample backup (sms.db and its log): one
// conversation a partner, texts and pictures sent with them, messages of no
// chat (SampleChatless), recently deleted ones from iOS 16 on, and the
// generation's later columns added by update halfway through. With
// deletions, single messages, older messages and one whole conversation go
// (SampleDeletions). Owns nothing.
class SampleMessageStore
{
public:
    // Appends the conversations to the context's content.
    static bool Write(SampleStoreContext& context);

private:
    // A picture sent with `message`, as the messages app files it; its name
    // is appended to `names`.
    static bool WriteAttachment(SampleStoreContext& context, SqliteWriter& db, qint64 message,
                                int number, double seconds, QStringList& names);
};

#endif // SAMPLEMESSAGESTORE_H
