#ifndef MMOBILE_IMESSAGEENTRY_H
#define MMOBILE_IMESSAGEENTRY_H

// One message of a conversation (messages, WhatsApp, WeChat). Texts are
// zero-terminated UTF-8 owned by the engine, possibly null. The search reads
// the text and then the sender; the rest is for detail views.

namespace MMobile {

class IMessageEntry
{
public:
    virtual const char* GetText() = 0;
    virtual const char* GetSender() = 0;
    // "yyyy-MM-dd HH:mm:ss", local time.
    virtual const char* GetDate() = 0;
    // True for a message sent from the device, false for one received.
    virtual bool IsSent() = 0;

protected:
    ~IMessageEntry() = default;
};

} // namespace MMobile

#endif // MMOBILE_IMESSAGEENTRY_H
