#include "noterecord.h"

NoteRecord::NoteRecord() : m_text(FieldCount) {}
NoteRecord::~NoteRecord() = default;

const char* NoteRecord::GetTitle()
{
    return m_text.Get(Title);
}
const char* NoteRecord::GetDate()
{
    return m_text.Get(Date);
}
const char* NoteRecord::GetBody()
{
    return m_text.Get(Body);
}
const char* NoteRecord::GetSnippet()
{
    return m_text.Get(Snippet);
}
const char* NoteRecord::GetFolder()
{
    return m_text.Get(Folder);
}
