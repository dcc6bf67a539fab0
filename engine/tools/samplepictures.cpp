#include "samplepictures.h"

#include <QBuffer>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#ifdef MMOBILE_HAVE_LIBHEIF
#include <libheif/heif.h>
#endif

QByteArray SamplePictures::Picture(int index, const char* format)
{
    QImage image(320, 240, QImage::Format_RGB32);
    const QColor top = QColor::fromHsv((index * 37) % 360, 160, 230);
    const QColor bottom = QColor::fromHsv((index * 37 + 120) % 360, 200, 120);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 0, 240);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 240, 200));
    painter.drawEllipse(QPoint(60 + (index * 23) % 200, 50 + (index * 11) % 60), 28, 28);
    painter.setBrush(bottom.darker(150));
    painter.drawRect(0, 180 - (index % 5) * 10, 320, 80);
    painter.end();
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 80);
    return data;
}

QByteArray SamplePictures::Heic(int index)
{
#ifdef MMOBILE_HAVE_LIBHEIF
    // Read back as 32-bit pixels and copied into the encoder's RGB plane here:
    // Qt would convert a picture of this size in slices on its thread pool.
    QImage image = QImage::fromData(Picture(index, "PNG"));
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    QByteArray result;
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_image* heif = nullptr;
    if (heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code ==
            heif_error_Ok &&
        heif_image_create(image.width(), image.height(), heif_colorspace_RGB,
                          heif_chroma_interleaved_RGB, &heif)
                .code == heif_error_Ok &&
        heif_image_add_plane(heif, heif_channel_interleaved, image.width(), image.height(), 8)
                .code == heif_error_Ok) {
        int stride = 0;
        uint8_t* plane = heif_image_get_plane(heif, heif_channel_interleaved, &stride);
        for (int y = 0; y < image.height(); ++y) {
            const QRgb* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            uint8_t* out = plane + y * stride;
            for (int x = 0; x < image.width(); ++x) {
                *out++ = static_cast<uint8_t>(qRed(pixels[x]));
                *out++ = static_cast<uint8_t>(qGreen(pixels[x]));
                *out++ = static_cast<uint8_t>(qBlue(pixels[x]));
            }
        }
        heif_encoder_set_lossy_quality(encoder, 60);
        if (heif_context_encode_image(context, heif, encoder, nullptr, nullptr).code ==
            heif_error_Ok) {
            heif_writer writer;
            writer.writer_api_version = 1;
            writer.write = [](heif_context*, const void* data, size_t size, void* userdata) {
                static_cast<QByteArray*>(userdata)->append(static_cast<const char*>(data),
                                                           static_cast<int>(size));
                heif_error ok = {heif_error_Ok, heif_suberror_Unspecified, "ok"};
                return ok;
            };
            heif_context_write(context, &writer, &result);
        }
    }
    if (heif)
        heif_image_release(heif);
    if (encoder)
        heif_encoder_release(encoder);
    heif_context_free(context);
    return result;
#else
    Q_UNUSED(index);
    return QByteArray();
#endif
}
