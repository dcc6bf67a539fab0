#ifndef NOTERECORD_H
#define NOTERECORD_H

#include "contracts/inote.h"
#include "enginerecord.h"
#include "recordtext.h"

// One note, from either note store. Its texts are set by the category reader; owned by
// its EngineItem.
class NoteRecord : public MMobile::INote, public EngineRecord
{
public:
    enum Field { Title, Date, Body, Snippet, Folder, FieldCount };

    NoteRecord();
    ~NoteRecord() override;
    MMobile::IMDRecord* Record() override { return this; }
    RecordText& Text() { return m_text; }
    // The body shown for a locked note, whose text the store keeps encrypted.
    static QByteArray LockedBody() { return QByteArrayLiteral("This note is locked."); }

    const char* GetTitle() override;
    const char* GetDate() override;
    const char* GetBody() override;
    const char* GetSnippet() override;
    const char* GetFolder() override;

private:
    RecordText m_text;
};

#endif // NOTERECORD_H
