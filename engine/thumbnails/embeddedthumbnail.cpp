#include "embeddedthumbnail.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QString>

#include <libexif/exif-data.h>
#include <libheif/heif.h>

#include <memory>
#include <vector>

namespace {

// The brand of an ISO base media file ("ftyp" box at offset 4), for HEIF.
bool IsHeif(const QByteArray& head)
{
    if (head.size() < 12 || head.mid(4, 4) != "ftyp")
        return false;
    const QByteArray brand = head.mid(8, 4);
    return brand == "heic" || brand == "heix" || brand == "mif1" || brand == "msf1" ||
           brand == "heim" || brand == "heis" || brand == "hevc" || brand == "hevx";
}

bool IsJpeg(const QByteArray& head)
{
    return head.size() >= 3 && quint8(head[0]) == 0xFF && quint8(head[1]) == 0xD8 &&
           quint8(head[2]) == 0xFF;
}

struct HeifDeleter
{
    void operator()(heif_context* context) const { heif_context_free(context); }
    void operator()(const heif_image_handle* handle) const { heif_image_handle_release(handle); }
    void operator()(const heif_image* image) const { heif_image_release(image); }
};

// libheif counts its users: the image plugin of the toolkit initialises and
// releases it around each picture it reads, and the last release unloads the
// decoders. The engine holds one use for the life of the process.
void HoldHeif()
{
    static const bool held = heif_init(nullptr).code == heif_error_Ok;
    Q_UNUSED(held);
}

} // namespace

EmbeddedThumbnail::Result EmbeddedThumbnail::Read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result();
    const QByteArray head = file.read(16);
    file.close();
    const QByteArray name = QFile::encodeName(path);
    if (IsHeif(head)) {
        HoldHeif();
        std::unique_ptr<heif_context, HeifDeleter> context(heif_context_alloc());
        if (!context ||
            heif_context_read_from_file(context.get(), name.constData(), nullptr).code !=
                heif_error_Ok)
            return Result();
        return FromHeif(context.get());
    }
    if (IsJpeg(head)) {
        // The header alone gives the size of the picture.
        return FromExif(exif_data_new_from_file(name.constData()),
                        QImageReader(path, "JPG").size());
    }
    return Result();
}

EmbeddedThumbnail::Result EmbeddedThumbnail::FromContent(const QByteArray& content)
{
    if (IsHeif(content.left(16))) {
        HoldHeif();
        std::unique_ptr<heif_context, HeifDeleter> context(heif_context_alloc());
        // The content outlives the context.
        if (!context ||
            heif_context_read_from_memory_without_copy(context.get(), content.constData(),
                                                       static_cast<size_t>(content.size()), nullptr)
                    .code != heif_error_Ok)
            return Result();
        return FromHeif(context.get());
    }
    if (IsJpeg(content.left(16))) {
        QBuffer buffer;
        buffer.setData(content);
        buffer.open(QIODevice::ReadOnly);
        const auto* bytes = reinterpret_cast<const unsigned char*>(content.constData());
        return FromExif(exif_data_new_from_data(bytes, static_cast<unsigned>(content.size())),
                        QImageReader(&buffer, "JPG").size());
    }
    return Result();
}

EmbeddedThumbnail::Result EmbeddedThumbnail::FromHeif(heif_context* context)
{
    Result result;
    heif_image_handle* primaryRaw = nullptr;
    if (heif_context_get_primary_image_handle(context, &primaryRaw).code != heif_error_Ok)
        return result;
    std::unique_ptr<const heif_image_handle, HeifDeleter> primary(primaryRaw);
    // The handle's size already accounts for the picture's rotation.
    result.picture = QSize(heif_image_handle_get_width(primary.get()),
                           heif_image_handle_get_height(primary.get()));
    const int count = heif_image_handle_get_number_of_thumbnails(primary.get());
    if (count <= 0)
        return result;
    std::vector<heif_item_id> ids(static_cast<size_t>(count));
    heif_image_handle_get_list_of_thumbnail_IDs(primary.get(), ids.data(), count);
    // The largest preview gives the best picture after scaling.
    std::unique_ptr<const heif_image_handle, HeifDeleter> best;
    for (heif_item_id id : ids) {
        heif_image_handle* raw = nullptr;
        if (heif_image_handle_get_thumbnail(primary.get(), id, &raw).code != heif_error_Ok)
            continue;
        std::unique_ptr<const heif_image_handle, HeifDeleter> handle(raw);
        if (!best ||
            heif_image_handle_get_width(handle.get()) > heif_image_handle_get_width(best.get()))
            best = std::move(handle);
    }
    if (!best)
        return result;
    heif_image* decodedRaw = nullptr;
    if (heif_decode_image(best.get(), &decodedRaw, heif_colorspace_RGB, heif_chroma_interleaved_RGB,
                          nullptr)
            .code != heif_error_Ok)
        return result;
    std::unique_ptr<const heif_image, HeifDeleter> decoded(decodedRaw);
    int stride = 0;
    const uint8_t* pixels =
        heif_image_get_plane_readonly(decoded.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(decoded.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(decoded.get(), heif_channel_interleaved);
    if (!pixels || width <= 0 || height <= 0)
        return result;
    // The plane belongs to the decoded image: copy it out before that goes.
    result.image = QImage(pixels, width, height, stride, QImage::Format_RGB888).copy();
    return result;
}

// Takes the EXIF data (null when there is none) and releases it.
EmbeddedThumbnail::Result EmbeddedThumbnail::FromExif(_ExifData* exif, const QSize& picture)
{
    Result result;
    result.picture = picture;
    if (!exif)
        return result;
    if (exif->data && exif->size > 0)
        result.image = QImage::fromData(exif->data, int(exif->size), "JPG");
    exif_data_unref(exif);
    return result;
}
