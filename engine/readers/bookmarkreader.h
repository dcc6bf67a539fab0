#ifndef BOOKMARKREADER_H
#define BOOKMARKREADER_H

#include "readercontext.h"

// Reads Safari's Bookmarks.db: every bookmark (type 0) with an address, in
// the database's order, with the path of the folders (type 1) it lies in.
// The context is borrowed.
class BookmarkReader
{
public:
    explicit BookmarkReader(ReaderContext& context) : m_context(context) {}
    bool Read(ReaderContext::Items& items);

private:
    ReaderContext& m_context;
};

#endif // BOOKMARKREADER_H
