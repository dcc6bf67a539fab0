#ifndef SAMPLEBOOKMARKSTORE_H
#define SAMPLEBOOKMARKSTORE_H

class SampleStoreContext;

// The browser's bookmarks of a sample backup (Bookmarks.db): a few folders,
// nested, and the bookmarks in them. Owns nothing.
class SampleBookmarkStore
{
public:
    // Appends the bookmarks to the context's content.
    static bool Write(SampleStoreContext& context);
};

#endif // SAMPLEBOOKMARKSTORE_H
