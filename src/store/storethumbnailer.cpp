#include "store/storethumbnailer.h"

#include "contracts/iphoto.h"

#include <QImage>
#include <QImageReader>
#include <QThreadPool>

#include <deque>
#include <mutex>
#include <vector>

namespace {

const QSize kThumbnailBox(113, 96);

// The thumbnails of every store, made one after the other (two pictures with
// the same file name are written in the order they were asked for, the later
// one last) by one task at a time on a thread of Qt's global pool. On that
// pool's own threads Qt converts and scales a large picture in one piece;
// from any other thread it would hand slices of it to the pool's threads,
// through locks that thread sanitizers cannot see.
class SerialWorker
{
public:
    void Post(std::function<void()> job)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(std::move(job));
        if (m_draining)
            return;
        m_draining = true;
        QThreadPool::globalInstance()->start([this] { Drain(); });
    }

private:
    void Drain()
    {
        for (;;) {
            std::function<void()> job;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (m_jobs.empty()) {
                    m_draining = false;
                    return;
                }
                job = std::move(m_jobs.front());
                m_jobs.pop_front();
            }
            job();
        }
    }

    std::mutex m_mutex;
    std::deque<std::function<void()>> m_jobs;
    bool m_draining = false; // a task of the pool is taking the jobs
};

// Made when the library loads, before any thread of Qt's global pool that
// could take its jobs, and so before the pool itself, whose end waits for the
// last task.
SerialWorker worker;

SerialWorker& Worker()
{
    return worker;
}

} // namespace

struct StoreThumbnailer::Shared
{
    struct Result
    {
        int generation;
        MMobile::IPhoto* photo; // never dereferenced off the owner's thread
        QString path;
    };

    // A standard mutex: thread sanitizers see its hand-overs, not QMutex's.
    std::mutex mutex;
    StoreThumbnailer* owner = nullptr; // null once the owner is gone
    std::vector<Result> results;
    int generation = 0; // bumped by Forget(); guarded by the mutex too
};

StoreThumbnailer::StoreThumbnailer(QObject* parent)
    : QObject(parent), m_shared(std::make_shared<Shared>())
{
    m_shared->owner = this;
}

StoreThumbnailer::~StoreThumbnailer()
{
    // Posting happens under the lock, so no result is posted to a dead owner.
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->owner = nullptr;
    ++m_shared->generation;
}

void StoreThumbnailer::Submit(MMobile::IPhoto* photo, const QString& picture, const QString& target,
                              const QByteArray& format, const QString& fallback)
{
    ++m_pending;
    int generation = 0;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        generation = m_shared->generation;
    }
    std::shared_ptr<Shared> shared = m_shared;
    Worker().Post([=] {
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            if (shared->generation != generation)
                return; // forgotten before it started
        }
        const bool saved = MakeThumbnail(picture, target, format);
        std::lock_guard<std::mutex> lock(shared->mutex);
        if (!shared->owner || shared->generation != generation)
            return;
        const bool first = shared->results.empty();
        shared->results.push_back(Shared::Result{generation, photo, saved ? target : fallback});
        // By name: the call carries no argument block from this thread.
        if (first)
            QMetaObject::invokeMethod(shared->owner, "Deliver", Qt::QueuedConnection);
    });
}

void StoreThumbnailer::Forget()
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    ++m_shared->generation;
    m_shared->results.clear();
    m_pending = 0;
}

int StoreThumbnailer::Pending() const
{
    return m_pending;
}

void StoreThumbnailer::SetListener(std::function<void()> listener)
{
    m_listener = std::move(listener);
}

void StoreThumbnailer::Deliver()
{
    std::vector<Shared::Result> results;
    int generation = 0;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        results.swap(m_shared->results);
        generation = m_shared->generation;
    }
    bool delivered = false;
    for (const Shared::Result& result : results) {
        if (result.generation != generation)
            continue;
        const QByteArray utf8 = result.path.toUtf8();
        result.photo->SetThumbnailPath(utf8.constData());
        --m_pending;
        delivered = true;
    }
    if (delivered && m_listener)
        m_listener();
}

bool StoreThumbnailer::MakeThumbnail(const QString& picture, const QString& target,
                                     const QByteArray& format)
{
    const QImage image = ReadFittedImage(picture);
    return !image.isNull() && image.save(target, format.isEmpty() ? "JPG" : format.constData());
}

// Decoders that can scale while decoding (JPEG) are asked for a power-of-two
// reduction that still leaves at least twice the final size, so the smooth
// pass has enough source pixels and the result looks like a full decode scaled
// smoothly, at a fraction of the decode cost of a 12-megapixel photo.
QImage StoreThumbnailer::ReadFittedImage(const QString& path)
{
    if (path.isEmpty())
        return QImage();
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QSize full = reader.size();
    if (full.isValid() && !full.isEmpty() && reader.supportsOption(QImageIOHandler::ScaledSize)) {
        const QSize fit = full.scaled(kThumbnailBox, Qt::KeepAspectRatio);
        int reduction = 1;
        while (reduction < 8 && full.width() / (reduction * 2) >= fit.width() * 2 &&
               full.height() / (reduction * 2) >= fit.height() * 2)
            reduction *= 2;
        if (reduction > 1) {
            // Whole reductions let the decoder's own scaling give the exact size.
            reader.setScaledSize(QSize(full.width() / reduction, full.height() / reduction));
            reader.setQuality(100);
        }
        const QImage decoded = reader.read();
        if (decoded.isNull())
            return QImage();
        return decoded.scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    const QImage decoded = reader.read();
    if (decoded.isNull())
        return QImage();
    return decoded.scaled(kThumbnailBox, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}
