#ifndef THUMBNAILMAKER_H
#define THUMBNAILMAKER_H

#include <QImage>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace MMobile {
class IPhoto;
}

// Makes the grid thumbnails of a scan's pictures on threads of Qt's global
// pool, one task per core at most, while the scan goes on reading (on its own
// threads Qt scales a large picture in one piece, instead of handing slices of
// it to the pool through locks that thread sanitizers cannot see): from the preview embedded in the
// file where there is a usable one, else from a decode at reduced size. Each thumbnail is written
// as a JPEG into the folder given (the device's), and the photo is given its path, so the photo
// store has nothing to decode on the GUI thread. A photo whose thumbnail cannot be made keeps an
// empty path, and the store then treats it as it treats any photo without one.
//
// Pictures whose content is not a plain file (an encrypted backup's) are read
// through the reader given: their content stays in memory, and only the
// thumbnails are written, into the folder given.
//
// The scan owns the maker and the photos; a photo handed to Submit must stay
// alive, and untouched by others, until Finish or Stop returns. A maker serves
// one scan: after Finish or Stop it takes no more pictures.
class ThumbnailMaker
{
public:
    // The box that the photo grid fits its thumbnails into.
    static const QSize Box;

    // Puts a picture's whole content into `content`; false when it cannot.
    // Called on the worker threads.
    using ContentReader = std::function<bool(const QString& path, QByteArray& content)>;

    explicit ThumbnailMaker(const QString& folder, unsigned threads = 0,
                            ContentReader reader = ContentReader());
    ~ThumbnailMaker();
    ThumbnailMaker(const ThumbnailMaker&) = delete;
    ThumbnailMaker& operator=(const ThumbnailMaker&) = delete;

    // Queues the picture at path for photo.
    void Submit(MMobile::IPhoto* photo, const QString& path);
    // Returns once every queued picture has its thumbnail (or failed); true.
    // `goOn` is asked every few ms meanwhile: once it answers false, this
    // stops as Stop() does and answers false.
    bool Finish(const std::function<bool()>& goOn = std::function<bool()>());
    // Drops the pictures not started yet and returns once the workers
    // stopped; a picture under way at the stop gets no thumbnail.
    void Stop();
    // How many thumbnails were written (for the tests).
    int MadeCount() const { return m_made.load(); }

    // The picture fitted into the box as the photo store fits it (aspect ratio
    // kept, smooth scaling); null when it cannot be read.
    static QImage Fitted(const QString& path);
    // The same for a picture's content in memory.
    static QImage FittedContent(const QByteArray& content);

private:
    struct Job
    {
        MMobile::IPhoto* photo;
        QString path;
        int number;
    };

    void Work();
    void Make(const Job& job);
    void Join();

    const QString m_folder;
    const unsigned m_threadCount;
    const ContentReader m_reader;
    std::mutex m_mutex;
    std::condition_variable m_idle; // a task left: Join() waits for the last
    std::deque<Job> m_jobs;
    unsigned m_workers = 0; // tasks taking jobs from the queue
    bool m_closing = false;
    int m_next = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_made{0};
};

#endif // THUMBNAILMAKER_H
