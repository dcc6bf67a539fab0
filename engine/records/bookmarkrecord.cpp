#include "bookmarkrecord.h"

BookmarkRecord::BookmarkRecord() : m_text(FieldCount) {}
BookmarkRecord::~BookmarkRecord() = default;

const char* BookmarkRecord::GetTitle()
{
    return m_text.Get(Title);
}
const char* BookmarkRecord::GetUrl()
{
    return m_text.Get(Url);
}
