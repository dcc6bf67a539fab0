#ifndef EMBEDDEDTHUMBNAIL_H
#define EMBEDDEDTHUMBNAIL_H

#include <QImage>
#include <QSize>

class QString;

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

private:
    static Result ReadHeif(const QString& path);
    static Result ReadExif(const QString& path);
};

#endif // EMBEDDEDTHUMBNAIL_H
