#ifndef MESSAGEREADER_H
#define MESSAGEREADER_H

#include "readercontext.h"

// Reads sms.db: one conversation per chat with its participants (handles,
// named from the address book), its messages oldest first and the files
// attached to them; or, for the attachments category, every attachment whose
// file the backup holds. The context is borrowed.
class MessageReader
{
public:
    explicit MessageReader(ReaderContext& context) : m_context(context) {}
    bool ReadConversations(ReaderContext::Items& items);
    bool ReadAttachments(ReaderContext::Items& items);

private:
    ReaderContext& m_context;
};

#endif // MESSAGEREADER_H
