#ifndef WHATSAPPREADER_H
#define WHATSAPPREADER_H

#include "readercontext.h"

class SchemaProbe;

// Reads WhatsApp's ChatStorage.sqlite of the personal app, then of the
// business app (its own shared container, the same schema): one chat per ZWACHATSESSION with its
// messages (ZWAMESSAGE) and the media files the backup holds (ZWAMEDIAITEM), or, for the
// attachments category, those files alone. Only a person's JID (…@s.whatsapp.net) is shown as a
// number; groups (…@g.us) show their subject and each received message its writer (ZWAGROUPMEMBER),
// @lid identifiers the name the database has for them (ZWAPROFILEPUSHNAME). The context is
// borrowed. One app's store that cannot be read leaves the other's records.
class WhatsAppReader
{
public:
    explicit WhatsAppReader(ReaderContext& context) : m_context(context) {}
    bool ReadChats(ReaderContext::Items& items);
    bool ReadAttachments(ReaderContext::Items& items);

private:
    // One app's opened store whose main tables are there.
    using StoreRead = bool (WhatsAppReader::*)(const QString&, SqliteDb&, SchemaProbe&,
                                               ReaderContext::Items&);
    bool ReadStores(StoreRead read, ReaderContext::Items& items);
    bool ReadChats(const QString& domain, SqliteDb& db, SchemaProbe& schema,
                   ReaderContext::Items& items);
    bool ReadAttachments(const QString& domain, SqliteDb& db, SchemaProbe& schema,
                         ReaderContext::Items& items);

    ReaderContext& m_context;
};

#endif // WHATSAPPREADER_H
