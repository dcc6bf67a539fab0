#ifndef BOOKMARKRECORD_H
#define BOOKMARKRECORD_H

#include "contracts/isafaribookmark.h"
#include "enginerecord.h"
#include "recordtext.h"

// One Safari bookmark. Its texts are set by the category reader; owned by
// its EngineItem.
class BookmarkRecord : public MMobile::ISafariBookmark, public EngineRecord
{
public:
    enum Field { Title, Url, FieldCount };

    BookmarkRecord();
    ~BookmarkRecord() override;
    MMobile::IMDRecord* Record() override { return this; }
    RecordText& Text() { return m_text; }

    const char* GetTitle() override;
    const char* GetUrl() override;

private:
    RecordText m_text;
};

#endif // BOOKMARKRECORD_H
