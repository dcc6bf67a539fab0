#ifndef MMOBILE_INOTE_H
#define MMOBILE_INOTE_H

// Record of the notes category. Texts are zero-terminated UTF-8 owned by the
// engine, possibly null; the date is "yyyy-MM-dd HH:mm:ss".

#include "contracts/imdrecord.h"

namespace MMobile {

class INote : public IMDRecord
{
public:
    static constexpr RecordKind Kind = RECORD_NOTE;
    RecordKind GetRecordKind() const override { return Kind; }

    virtual const char* GetTitle() = 0;
    virtual const char* GetDate() = 0;
    // The note's text.
    virtual const char* GetBody() = 0;
    // A short summary line, where the note store keeps one.
    virtual const char* GetSnippet() = 0;
    // The folder or account the note belongs to.
    virtual const char* GetFolder() = 0;

protected:
    ~INote() = default;
};

} // namespace MMobile

#endif // MMOBILE_INOTE_H
