#ifndef MMOBILE_IMESSAGEENTRYORIGIN_H
#define MMOBILE_IMESSAGEENTRYORIGIN_H

// What an engine knows of one message's past: whether it was deleted on the
// device and where it was found then ("recently deleted", "freeblock",
// "WAL frame 12", ...). An engine's message entries may implement it beside
// IMessageEntry; a separate interface, so IMessageEntry's table of
// operations stays as plug-ins built against it know it. Ask for it with
// MessageEntryOrigin(entry); null: the engine does not say. Texts are
// zero-terminated UTF-8 owned by the engine.

#include "contracts/imessageentry.h"

namespace MMobile {

class IMessageEntryOrigin
{
public:
    virtual bool IsDeleted() = 0;
    // Where a deleted message was found; null or empty for a live one.
    virtual const char* GetFoundIn() = 0;

protected:
    ~IMessageEntryOrigin() = default;
};

inline IMessageEntryOrigin* MessageEntryOrigin(IMessageEntry* entry)
{
    return dynamic_cast<IMessageEntryOrigin*>(entry);
}

} // namespace MMobile

#endif // MMOBILE_IMESSAGEENTRYORIGIN_H
