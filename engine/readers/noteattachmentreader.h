#ifndef NOTEATTACHMENTREADER_H
#define NOTEATTACHMENTREADER_H

#include "readercontext.h"

// Reads the attachments of the newer note store (NoteStore.sqlite in the
// notes app group): rows of ZICCLOUDSYNCINGOBJECT with a type identifier
// (ZTYPEUTI) that belong to a note (ZNOTE) and, for files, name their media
// object (ZMEDIA: ZIDENTIFIER and ZFILENAME). The file lies under
// Accounts/<account>/Media/<media identifier>/ (in newer versions one
// generation folder deeper); a drawing has no media object, only its
// picture under Accounts/<account>/FallbackImages/<attachment identifier>.
// Items are dated by their note, in note order, and deleted with it.
// Attachments without a file (tables, links, inline text) are not items.
// The context is borrowed.
class NoteAttachmentReader
{
public:
    explicit NoteAttachmentReader(ReaderContext& context) : m_context(context) {}
    bool Read(ReaderContext::Items& items);

private:
    ReaderContext& m_context;
};

#endif // NOTEATTACHMENTREADER_H
