#include "picturefiles.h"

#include <QBuffer>
#include <QFile>

#include <libexif/exif-data.h>
#include <libheif/heif.h>

#include <cstdlib>
#include <cstring>

namespace PictureFiles {

bool WriteJpeg(const QString& path, const QImage& picture, const QImage& preview)
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "JPG", 90))
        return false;
    if (!preview.isNull()) {
        QByteArray small;
        QBuffer smallBuffer(&small);
        smallBuffer.open(QIODevice::WriteOnly);
        preview.save(&smallBuffer, "JPG", 90);
        ExifData* exif = exif_data_new();
        exif->data = static_cast<unsigned char*>(std::malloc(size_t(small.size())));
        std::memcpy(exif->data, small.constData(), size_t(small.size()));
        exif->size = unsigned(small.size());
        unsigned char* block = nullptr;
        unsigned int length = 0;
        exif_data_save_data(exif, &block, &length);
        exif_data_unref(exif);
        if (!block || length + 2 > 0xFFFF) {
            std::free(block);
            return false;
        }
        // APP1 right after the start-of-image marker.
        QByteArray segment("\xFF\xE1", 2);
        segment.append(char((length + 2) >> 8)).append(char((length + 2) & 0xFF));
        segment.append(reinterpret_cast<const char*>(block), int(length));
        std::free(block);
        jpeg.insert(2, segment);
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(jpeg) == jpeg.size();
}

bool WriteHeic(const QString& path, const QImage& picture, int previewBox, int quality)
{
    // Keeps the encoders loaded whatever the toolkit's image plugin does.
    static const bool held = heif_init(nullptr).code == heif_error_Ok;
    if (!held)
        return false;
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    heif_image* image = nullptr;
    if (heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB,
                          heif_chroma_interleaved_RGB, &image)
            .code != heif_error_Ok)
        return false;
    heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8);
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(plane + y * stride, rgb.constScanLine(y), size_t(rgb.width() * 3));
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    bool ok = heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code ==
              heif_error_Ok;
    heif_image_handle* handle = nullptr;
    if (ok) {
        heif_encoder_set_lossy_quality(encoder, quality);
        ok = heif_context_encode_image(context, image, encoder, nullptr, &handle).code ==
             heif_error_Ok;
    }
    if (ok && previewBox > 0) {
        heif_image_handle* thumbnail = nullptr;
        ok = heif_context_encode_thumbnail(context, image, handle, encoder, nullptr, previewBox,
                                           &thumbnail)
                 .code == heif_error_Ok;
        if (thumbnail)
            heif_image_handle_release(thumbnail);
    }
    if (handle)
        heif_image_handle_release(handle);
    if (encoder)
        heif_encoder_release(encoder);
    const QByteArray name = QFile::encodeName(path);
    ok = ok && heif_context_write_to_file(context, name.constData()).code == heif_error_Ok;
    heif_context_free(context);
    heif_image_release(image);
    return ok;
}

} // namespace PictureFiles
