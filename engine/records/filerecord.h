#ifndef FILERECORD_H
#define FILERECORD_H

#include "contracts/iphoto.h"
#include "enginerecord.h"
#include "recordtext.h"

#include <cstdint>

// A file item: a photo or video of the camera roll, or an attachment of a
// message store. The file path is the content file in the backup folder; the
// display text is the file's original name, under which an export copies it.
class FileRecord : public MMobile::IPhoto, public EngineRecord
{
public:
    enum Field { FilePath, ThumbnailPath, DisplayText, FormatName, FieldCount };

    FileRecord(int fileKind, std::uint64_t unixTime);
    ~FileRecord() override;
    MMobile::IMDRecord* Record() override { return this; }
    std::vector<SourceFile> SourceFiles() const override;
    RecordText& Text() { return m_text; }

    void SetDropMark(bool drop) override;
    const char* GetFilePath() override;
    const char* GetThumbnailPath() override;
    void SetThumbnailPath(const char* path) override;
    const char* GetDisplayText() override;
    int GetFileKind() override;
    std::uint64_t GetTime() override;
    const char* GetFormatName() override;

    // The file kind of a file name, by its extension (pictures, videos, audio, cards).
    static int KindOfName(const QString& name);

private:
    RecordText m_text;
    int m_fileKind;
    std::uint64_t m_time;
};

#endif // FILERECORD_H
