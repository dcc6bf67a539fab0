#ifndef FAKEPHOTO_H
#define FAKEPHOTO_H

#include "faketext.h"

#include "contracts/iphoto.h"
#include "contracts/mmobiletypes.h"

#include <QByteArrayList>

#include <atomic>
#include <cstdint>

// The record of a file item (photos and attachments), wrapped in a FakeItem
// to put it in a getter. Every text is settable and may be null; the page's
// thumbnail writes and drop marks are kept for the test to read. A new photo
// is a picture (FILE_KIND_PICTURE) at time 0 with every text null.
//
// Texts are read and written on the GUI thread; a returned text stays valid
// until that text is set again. The drop mark is atomic.
class FakePhoto : public MMobile::IPhoto
{
public:
    void SetDropMark(bool drop) override
    {
        m_dropMark = drop;
        ++m_dropMarkCalls;
    }
    const char* GetFilePath() override { return m_filePath.get(); }
    const char* GetThumbnailPath() override { return m_thumbnailPath.get(); }
    void SetThumbnailPath(const char* path) override
    {
        m_thumbnailPath = FakeText(path);
        m_thumbnailWrites.append(path ? QByteArray(path) : QByteArray());
    }
    const char* GetDisplayText() override { return m_displayText.get(); }
    int GetFileKind() override { return m_fileKind; }
    std::uint64_t GetTime() override { return m_time; }
    const char* GetFormatName() override { return m_formatName.get(); }

    void setFilePath(const FakeText& path) { m_filePath = path; }
    // Sets the path the way the engine starts out; not counted as a page write.
    void setThumbnailPath(const FakeText& path) { m_thumbnailPath = path; }
    void setDisplayText(const FakeText& text) { m_displayText = text; }
    void setFileKind(int kind) { m_fileKind = kind; }
    void setTime(std::uint64_t secondsSinceEpoch) { m_time = secondsSinceEpoch; }
    void setFormatName(const FakeText& name) { m_formatName = name; }

    FakeText thumbnailPath() const { return m_thumbnailPath; }
    // Every SetThumbnailPath() argument in order (a null argument as a null array).
    QByteArrayList thumbnailPathWrites() const { return m_thumbnailWrites; }
    bool dropMark() const { return m_dropMark; }
    int dropMarkCalls() const { return m_dropMarkCalls; }

private:
    FakeText m_filePath;
    FakeText m_thumbnailPath;
    FakeText m_displayText;
    FakeText m_formatName;
    int m_fileKind = MMobile::FILE_KIND_PICTURE;
    std::uint64_t m_time = 0;
    QByteArrayList m_thumbnailWrites;
    std::atomic<bool> m_dropMark{false};
    std::atomic<int> m_dropMarkCalls{0};
};

#endif // FAKEPHOTO_H
