#include "samplebackupcontent.h"

int SampleBackupContent::MessageCount() const
{
    int count = 0;
    for (const Conversation& conversation : conversations)
        count += static_cast<int>(conversation.messages.size());
    return count;
}

int SampleBackupContent::AttachmentCount() const
{
    int count = 0;
    for (const Conversation& conversation : conversations)
        count += conversation.attachments.size();
    return count;
}

int SampleBackupContent::MediaCount() const
{
    int count = 0;
    for (const Chat& chat : chats)
        count += chat.media.size();
    return count;
}
