#ifndef EMBEDDEDTHUMBNAIL_H
#define EMBEDDEDTHUMBNAIL_H

#include <QImage>
#include <QSize>

class QByteArray;
class QString;
struct heif_context;
struct _ExifData;

// The small preview that a camera stores inside a picture file: the thumbnail
// item of a HEIF/HEIC file (read with libheif) or the EXIF thumbnail of a
// JPEG (read with libexif). Decoding it costs a fraction of decoding the
// picture. Stateless; safe to use from several threads at once.
class EmbeddedThumbnail
{
public:
    struct Result
    {
        QImage image;  // null when the file has no usable preview
        QSize picture; // the size of the picture itself, as a full decode gives it
    };

    // The preview of the picture at path, if it has one.
    static Result Read(const QString& path);
    // The same for a picture already in memory (decrypted content).
    static Result FromContent(const QByteArray& content);

private:
    static Result FromHeif(heif_context* context);
    static Result FromExif(_ExifData* exif, const QSize& picture);
};

#endif // EMBEDDEDTHUMBNAIL_H
