#include "thumbnailmaker.h"

#include "embeddedthumbnail.h"

#include "contracts/iphoto.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QRunnable>
#include <QThreadPool>

#include <chrono>
#include <cmath>
#include <thread>

const QSize ThumbnailMaker::Box(113, 96);

namespace {

// Qt hands a task to a thread of its pool under its own lock, which thread
// sanitizers cannot see; this one, older than any pool thread, shows the task
// the maker that was made for it (its own mutex included).
std::mutex taskHandOver;

// A preview serves when it has the picture's proportions (within rounding)
// and enough pixels for the box: otherwise scaling it would crop, stretch or
// blur the thumbnail.
bool PreviewServes(const QImage& preview, const QSize& picture, const QSize& fit)
{
    if (preview.isNull() || picture.isEmpty())
        return false;
    const double previewRatio = double(preview.width()) / preview.height();
    const double pictureRatio = double(picture.width()) / picture.height();
    return std::abs(previewRatio - pictureRatio) <= 0.02 * pictureRatio &&
           preview.width() >= fit.width() && preview.height() >= fit.height();
}

// Decodes at reduced size where the decoder can (JPEG), keeping at least
// twice the final size for the smooth pass, as the photo store does.
QImage DecodeFitted(QImageReader& reader)
{
    reader.setDecideFormatFromContent(true);
    const QSize full = reader.size();
    if (full.isValid() && !full.isEmpty() && reader.supportsOption(QImageIOHandler::ScaledSize)) {
        const QSize fit = full.scaled(ThumbnailMaker::Box, Qt::KeepAspectRatio);
        int reduction = 1;
        while (reduction < 8 && full.width() / (reduction * 2) >= fit.width() * 2 &&
               full.height() / (reduction * 2) >= fit.height() * 2)
            reduction *= 2;
        if (reduction > 1) {
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
    return decoded.scaled(ThumbnailMaker::Box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

// The embedded preview where it serves, else a reduced decode.
QImage FromPreviewOrDecode(const EmbeddedThumbnail::Result& preview, QImageReader& reader)
{
    const QSize fit = preview.picture.scaled(ThumbnailMaker::Box, Qt::KeepAspectRatio);
    if (PreviewServes(preview.image, preview.picture, fit))
        return preview.image.scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return DecodeFitted(reader);
}

ThumbnailMaker::ThumbnailMaker(const QString& folder, unsigned threads, ContentReader reader)
    : m_folder(folder),
      m_threadCount(threads > 0 ? threads : qMax(1u, std::thread::hardware_concurrency())),
      m_reader(std::move(reader))
{
}

ThumbnailMaker::~ThumbnailMaker()
{
    Stop();
}

QImage ThumbnailMaker::Fitted(const QString& path)
{
    if (path.isEmpty())
        return QImage();
    QImageReader reader(path);
    return FromPreviewOrDecode(EmbeddedThumbnail::Read(path), reader);
}

QImage ThumbnailMaker::FittedContent(const QByteArray& content)
{
    if (content.isEmpty())
        return QImage();
    QBuffer buffer;
    buffer.setData(content);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return FromPreviewOrDecode(EmbeddedThumbnail::FromContent(content), reader);
}

void ThumbnailMaker::Submit(MMobile::IPhoto* photo, const QString& path)
{
    if (!photo || path.isEmpty())
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_closing)
        return;
    m_jobs.push_back(Job{photo, path, m_next++});
    if (m_workers < m_threadCount) {
        ++m_workers;
        // The task is whole before the hand-over: the pool thread takes the
        // lock before it reads what the task holds.
        QRunnable* task = QRunnable::create([this] {
            {
                std::lock_guard<std::mutex> taken(taskHandOver);
            }
            Work();
        });
        {
            std::lock_guard<std::mutex> handOver(taskHandOver);
        }
        QThreadPool::globalInstance()->start(task);
    }
}

void ThumbnailMaker::Work()
{
    for (;;) {
        Job job;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_jobs.empty()) {
                --m_workers;
                m_idle.notify_all();
                return;
            }
            job = m_jobs.front();
            m_jobs.pop_front();
        }
        Make(job);
    }
}

// Only this worker touches the photo until the maker is joined. A stop that
// comes while a picture is decoded writes nothing of it.
void ThumbnailMaker::Make(const Job& job)
{
    QImage image;
    if (m_reader) {
        QByteArray content;
        if (!m_stopping.load() && m_reader(job.path, content))
            image = FittedContent(content);
    } else if (!m_stopping.load()) {
        image = Fitted(job.path);
    }
    if (image.isNull() || m_stopping.load())
        return;
    const QString file = QDir(m_folder).filePath(QString::number(job.number) + ".jpg");
    if (!image.save(file, "JPG"))
        return;
    const QByteArray utf8 = file.toUtf8();
    job.photo->SetThumbnailPath(utf8.constData());
    ++m_made;
}

void ThumbnailMaker::Join()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_closing = true;
    m_idle.wait(lock, [this] { return m_workers == 0; });
}

bool ThumbnailMaker::Finish(const std::function<bool()>& goOn)
{
    constexpr auto Slice = std::chrono::milliseconds(10);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_closing = true;
    while (!m_idle.wait_for(lock, Slice, [this] { return m_workers == 0; })) {
        // Asked unlocked: it reports to the host.
        lock.unlock();
        const bool on = !goOn || goOn();
        lock.lock();
        if (!on) {
            lock.unlock();
            Stop();
            return false;
        }
    }
    return true;
}

void ThumbnailMaker::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.clear();
        m_stopping.store(true);
    }
    Join();
}
