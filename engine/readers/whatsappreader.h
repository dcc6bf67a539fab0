#ifndef WHATSAPPREADER_H
#define WHATSAPPREADER_H

#include "readercontext.h"

// Reads WhatsApp's ChatStorage.sqlite: one chat per ZWACHATSESSION with its
// messages (ZWAMESSAGE) and the media files the backup holds (ZWAMEDIAITEM),
// or, for the attachments category, those files alone. The context is
// borrowed.
class WhatsAppReader
{
public:
    explicit WhatsAppReader(ReaderContext& context) : m_context(context) {}
    bool ReadChats(ReaderContext::Items& items);
    bool ReadAttachments(ReaderContext::Items& items);

private:
    ReaderContext& m_context;
};

#endif // WHATSAPPREADER_H
