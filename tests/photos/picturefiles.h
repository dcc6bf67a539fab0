#ifndef PICTUREFILES_H
#define PICTUREFILES_H

#include <QImage>
#include <QString>

// Writes camera-like picture files for the thumbnail tests and benchmarks:
// JPEG with or without an EXIF thumbnail, HEIC with or without a thumbnail
// item. The previews are the picture scaled smoothly, as a camera makes them.
namespace PictureFiles {

// A JPEG whose EXIF block carries `preview` as its thumbnail (none when null).
bool WriteJpeg(const QString& path, const QImage& picture, const QImage& preview = QImage());
// A HEIC; with previewBox > 0 it carries a thumbnail that fits that square.
bool WriteHeic(const QString& path, const QImage& picture, int previewBox, int quality = 90);

} // namespace PictureFiles

#endif // PICTUREFILES_H
