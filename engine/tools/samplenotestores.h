#ifndef SAMPLENOTESTORES_H
#define SAMPLENOTESTORES_H

class SampleStoreContext;

// The notes of a sample backup in both of the app's stores: notes.sqlite
// (HTML bodies) and NoteStore.sqlite (iOS 9 on: folders, gzip'd protocol
// buffers, locked and untitled notes, attachments by SampleNoteAttachments),
// the latter's last deletions in its log. Owns nothing.
class SampleNoteStores
{
public:
    // Appends the notes and their attachments to the context's content.
    static bool Write(SampleStoreContext& context);
};

#endif // SAMPLENOTESTORES_H
