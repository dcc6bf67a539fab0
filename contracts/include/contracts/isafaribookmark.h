#ifndef MMOBILE_ISAFARIBOOKMARK_H
#define MMOBILE_ISAFARIBOOKMARK_H

// Record of the Safari bookmarks category. Texts are zero-terminated UTF-8
// owned by the engine, possibly null.

#include "contracts/imdrecord.h"

namespace MMobile {

class ISafariBookmark : public IMDRecord
{
public:
    static constexpr RecordKind Kind = RECORD_SAFARI_BOOKMARK;
    RecordKind GetRecordKind() const override { return Kind; }

    virtual const char* GetTitle() = 0;
    virtual const char* GetUrl() = 0;

protected:
    ~ISafariBookmark() = default;
};

} // namespace MMobile

#endif // MMOBILE_ISAFARIBOOKMARK_H
