#ifndef SAMPLEWHATSAPPSTORE_H
#define SAMPLEWHATSAPPSTORE_H

class SampleStoreContext;

// WhatsApp's chat store of a sample backup (ChatStorage.sqlite in the
// personal or the business app's shared container): chats with people and
// groups, group members known in every way the app knows them, and media
// files. Owns nothing.
class SampleWhatsAppStore
{
public:
    // Appends the chats to the context's content.
    static bool Write(SampleStoreContext& context);
};

#endif // SAMPLEWHATSAPPSTORE_H
