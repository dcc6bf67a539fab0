#ifndef MMOBILE_IVOICEMEMO_H
#define MMOBILE_IVOICEMEMO_H

// Record of a voice-memo item. Texts are zero-terminated UTF-8 owned by the
// engine, possibly null.

#include "contracts/imdrecord.h"

#include <cstdint>

namespace MMobile {

class IVoiceMemo : public IMDRecord
{
public:
    static constexpr RecordKind Kind = RECORD_VOICE_MEMO;
    RecordKind GetRecordKind() const override { return Kind; }

    virtual void SetDropMark(bool drop) = 0;
    virtual const char* GetDisplayText() = 0;
    // Seconds since 1970-01-01 UTC.
    virtual std::uint64_t GetTime() = 0;
    // VOICE_PROP_THUMBNAIL_PATH (10) is the picture the grid shows; other keys are the engine's.
    virtual const char* GetTextProperty(int key) = 0;
    // The engine copies `value`.
    virtual void SetTextProperty(int key, const char* value) = 0;

protected:
    ~IVoiceMemo() = default;
};

} // namespace MMobile

#endif // MMOBILE_IVOICEMEMO_H
