#ifndef NOTEREADER_H
#define NOTEREADER_H

#include "readercontext.h"

class SqliteDb;

// Reads the notes of both stores: the legacy notes.sqlite (ZNOTE with its
// HTML ZNOTEBODY and ZFOLDER) and then the newer NoteStore.sqlite
// (ZICCLOUDSYNCINGOBJECT). A store that cannot be read is logged and the
// other one still read; the category fails only when no store could be.
// The context is borrowed.
class NoteReader
{
public:
    explicit NoteReader(ReaderContext& context) : m_context(context) {}
    bool Read(ReaderContext::Items& items);

private:
    bool ReadLegacy(SqliteDb& db, ReaderContext::Items& items);
    bool ReadStore(SqliteDb& db, ReaderContext::Items& items);

    ReaderContext& m_context;
};

#endif // NOTEREADER_H
