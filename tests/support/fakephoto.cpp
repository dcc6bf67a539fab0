#include "fakephoto.h"

FakePhoto::FakePhoto() = default;

FakePhoto::~FakePhoto() = default;

void FakePhoto::SetDropMark(bool drop)
{
    m_dropMark = drop;
    ++m_dropMarkCalls;
}

const char* FakePhoto::GetFilePath()
{
    return m_filePath.get();
}

const char* FakePhoto::GetThumbnailPath()
{
    return m_thumbnailPath.get();
}

void FakePhoto::SetThumbnailPath(const char* path)
{
    m_thumbnailPath = FakeText(path);
    m_thumbnailWrites.append(path ? QByteArray(path) : QByteArray());
}

const char* FakePhoto::GetDisplayText()
{
    return m_displayText.get();
}

int FakePhoto::GetFileKind()
{
    return m_fileKind;
}

std::uint64_t FakePhoto::GetTime()
{
    return m_time;
}

const char* FakePhoto::GetFormatName()
{
    return m_formatName.get();
}
