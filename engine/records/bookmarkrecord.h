#ifndef BOOKMARKRECORD_H
#define BOOKMARKRECORD_H

#include "contracts/isafaribookmark.h"
#include "enginerecord.h"
#include "recordtext.h"

// One Safari bookmark with the path of the folder it lies in ("BookmarksBar/
// Travel"; not part of the page's interface, the export writes it). Its texts
// are set by the category reader; owned by its EngineItem.
class BookmarkRecord : public MMobile::ISafariBookmark, public EngineRecord
{
public:
    enum Field { Title, Url, Folder, FieldCount };

    BookmarkRecord();
    ~BookmarkRecord() override;
    MMobile::IMDRecord* Record() override { return this; }
    RecordText& Text() { return m_text; }

    const char* GetTitle() override;
    const char* GetUrl() override;
    const char* GetFolder() const { return m_text.Get(Folder); }

private:
    RecordText m_text;
};

#endif // BOOKMARKRECORD_H
