#include "filerecord.h"

#include "contracts/mmobiletypes.h"

#include <QFileInfo>

FileRecord::FileRecord(int fileKind, std::uint64_t unixTime)
    : m_text(FieldCount), m_fileKind(fileKind), m_time(unixTime)
{
    // Thumbnails are saved as JPEG whatever the source format.
    m_text.Set(FormatName, QByteArray("jpg"));
}

FileRecord::~FileRecord() = default;

std::vector<EngineRecord::SourceFile> FileRecord::SourceFiles() const
{
    if (!m_text.Get(FilePath))
        return {};
    return {{m_text.String(FilePath), m_text.String(DisplayText)}};
}

void FileRecord::SetDropMark(bool drop)
{
    MarkDropped(drop);
}
const char* FileRecord::GetFilePath()
{
    // Whoever asks for the path reads the file (a thumbnail, a preview).
    MakeReadable(m_text.Get(FilePath));
    return m_text.Get(FilePath);
}
const char* FileRecord::GetThumbnailPath()
{
    return m_text.Get(ThumbnailPath);
}

void FileRecord::SetThumbnailPath(const char* path)
{
    m_text.Set(ThumbnailPath, path ? QByteArray(path) : QByteArray());
}

const char* FileRecord::GetDisplayText()
{
    return m_text.Get(DisplayText);
}
int FileRecord::GetFileKind()
{
    return m_fileKind;
}
std::uint64_t FileRecord::GetTime()
{
    return m_time;
}
const char* FileRecord::GetFormatName()
{
    return m_text.Get(FormatName);
}

int FileRecord::KindOfName(const QString& name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    static const QStringList pictures = {"jpg", "jpeg", "heic", "heif", "png",
                                         "gif", "tif",  "tiff", "bmp",  "webp"};
    static const QStringList videos = {"mov", "mp4", "m4v", "3gp", "avi"};
    static const QStringList audio = {"m4a", "caf", "mp3", "aac", "amr", "wav", "opus"};
    if (pictures.contains(suffix))
        return MMobile::FILE_KIND_PICTURE;
    if (videos.contains(suffix))
        return MMobile::FILE_KIND_VIDEO;
    if (audio.contains(suffix))
        return MMobile::FILE_KIND_AUDIO;
    if (suffix == QLatin1String("vcf"))
        return MMobile::FILE_KIND_CONTACT_CARD;
    return 0;
}
