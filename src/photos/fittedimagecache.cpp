#include "photos/fittedimagecache.h"

#include <QFileInfo>

FittedImageCache::FittedImageCache(const QSize& box, int capacity) : m_box(box), m_entries(capacity)
{
}

QImage FittedImageCache::load(const QString& path, bool jpegFallback) const
{
    for (const char* format : {static_cast<const char*>(nullptr), "JPG"}) {
        if (format && !jpegFallback)
            break;
        QImage image;
        image.load(path, format);
        if (!image.isNull())
            return image.scaled(m_box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    return QImage();
}

QImage FittedImageCache::fitted(const QString& path, bool jpegFallback)
{
    if (path.isEmpty())
        return QImage();
    // One stat per paint: far cheaper than decoding and scaling the file.
    const QFileInfo info(path);
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    const qint64 size = info.exists() ? info.size() : -1;
    // The two ways of reading a file may disagree, so they are kept apart.
    const QString key = jpegFallback ? path : QLatin1Char('\0') + path;
    if (const Entry* entry = m_entries.object(key)) {
        if (entry->modified == modified && entry->size == size)
            return entry->image;
    }
    auto* entry = new Entry{modified, size, load(path, jpegFallback)};
    const QImage image = entry->image;
    m_entries.insert(key, entry);
    return image;
}
