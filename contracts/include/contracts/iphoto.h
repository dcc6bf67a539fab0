#ifndef MMOBILE_IPHOTO_H
#define MMOBILE_IPHOTO_H

// Record of a file item: photos and the attachment categories.
// Texts are zero-terminated UTF-8 owned by the engine, possibly null.

#include "contracts/imdrecord.h"

#include <cstdint>

namespace MMobile {

class IPhoto : public IMDRecord
{
public:
    static constexpr RecordKind Kind = RECORD_PHOTO;
    RecordKind GetRecordKind() const override { return Kind; }

    virtual void SetDropMark(bool drop) = 0;
    virtual const char* GetFilePath() = 0;
    virtual const char* GetThumbnailPath() = 0;
    // The engine copies `path`.
    virtual void SetThumbnailPath(const char* path) = 0;
    virtual const char* GetDisplayText() = 0;
    // PhotoFileKind: 8 picture, 2 audio, 4 video, 16 contact card; anything else is "other".
    virtual int GetFileKind() = 0;
    // Seconds since 1970-01-01 UTC.
    virtual std::uint64_t GetTime() = 0;
    // Qt image format name ("jpg", "png", ...) to save the thumbnail in, or null.
    virtual const char* GetFormatName() = 0;

protected:
    ~IPhoto() = default;
};

} // namespace MMobile

#endif // MMOBILE_IPHOTO_H
