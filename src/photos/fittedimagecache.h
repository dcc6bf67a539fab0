#ifndef FITTEDIMAGECACHE_H
#define FITTEDIMAGECACHE_H

#include <QCache>
#include <QDateTime>
#include <QImage>
#include <QString>

// Thumbnails of the photo grid, loaded and fitted into the thumbnail box once
// and kept for later paints. An entry is good for as long as its file keeps
// the modification time and size it had when it was read, so a thumbnail
// written again on disk is read again, and a painted cell always looks as if
// its file had just been loaded. A file that did not load is remembered the
// same way. The delegate owns the cache; a few screens of cells fit in it.
class FittedImageCache
{
public:
    explicit FittedImageCache(const QSize& box, int capacity = 600);

    // The picture at path fitted into the box (aspect ratio kept, smooth), its
    // format taken from the content, failing that (with jpegFallback) read as
    // JPEG; null when it does not load.
    QImage fitted(const QString& path, bool jpegFallback = true);

private:
    struct Entry
    {
        QDateTime modified;
        qint64 size = -1;
        QImage image;
    };

    QImage load(const QString& path, bool jpegFallback) const;

    QSize m_box;
    QCache<QString, Entry> m_entries;
};

#endif // FITTEDIMAGECACHE_H
