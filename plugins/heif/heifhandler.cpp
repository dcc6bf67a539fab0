#include "heifhandler.h"

#include <QIODevice>
#include <QVariant>

#include <libheif/heif.h>

#include <cstring>
#include <memory>

namespace {

// Larger files are not pictures a phone takes; refusing them bounds the memory.
constexpr qint64 kMaxFileBytes = 512 * 1024 * 1024;

struct HeifDeleter
{
    void operator()(heif_context* context) const { heif_context_free(context); }
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
    void operator()(heif_image* image) const { heif_image_release(image); }
};

bool IsHeifBrand(const QByteArray& brand)
{
    static const char* const kBrands[] = {"heic", "heix", "heim", "heis",
                                          "hevc", "hevx", "mif1", "msf1"};
    for (const char* known : kBrands) {
        if (brand == known)
            return true;
    }
    return false;
}

QImage Decode(const QByteArray& bytes)
{
    // libheif's plug-ins load once per process; the reference is never given back.
    static const bool initialised = heif_init(nullptr).code == heif_error_Ok;
    if (!initialised)
        return QImage();
    std::unique_ptr<heif_context, HeifDeleter> context(heif_context_alloc());
    if (!context || heif_context_read_from_memory_without_copy(context.get(), bytes.constData(),
                                                               size_t(bytes.size()), nullptr)
                            .code != heif_error_Ok)
        return QImage();
    heif_image_handle* rawHandle = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &rawHandle).code != heif_error_Ok)
        return QImage();
    std::unique_ptr<heif_image_handle, HeifDeleter> handle(rawHandle);
    const bool alpha = heif_image_handle_has_alpha_channel(handle.get());
    heif_image* rawImage = nullptr;
    if (heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                          nullptr)
            .code != heif_error_Ok)
        return QImage();
    std::unique_ptr<heif_image, HeifDeleter> image(rawImage);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    int stride = 0;
    const uint8_t* plane =
        heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    if (!plane || width <= 0 || height <= 0)
        return QImage();
    QImage result(width, height, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    if (result.isNull())
        return QImage();
    const size_t rowBytes = size_t(width) * (alpha ? 4 : 3);
    for (int y = 0; y < height; ++y)
        std::memcpy(result.scanLine(y), plane + size_t(y) * size_t(stride), rowBytes);
    return result;
}

} // namespace

bool HeifHandler::canRead(QIODevice* device)
{
    if (!device)
        return false;
    const QByteArray head = device->peek(12);
    return head.size() == 12 && head.mid(4, 4) == "ftyp" && IsHeifBrand(head.mid(8, 4));
}

bool HeifHandler::canRead() const
{
    if (m_state == State::Read)
        return true;
    return m_state == State::Unread && canRead(device());
}

bool HeifHandler::load()
{
    if (m_state != State::Unread)
        return m_state == State::Read;
    m_state = State::Failed;
    QIODevice* source = device();
    if (!source || !canRead(source))
        return false;
    if (!source->isSequential() && source->size() - source->pos() > kMaxFileBytes)
        return false;
    const QByteArray bytes = source->read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes)
        return false;
    m_image = Decode(bytes);
    if (m_image.isNull())
        return false;
    m_state = State::Read;
    return true;
}

bool HeifHandler::read(QImage* image)
{
    if (!image || !load())
        return false;
    *image = m_image;
    return true;
}

bool HeifHandler::supportsOption(ImageOption option) const
{
    return option == Size;
}

QVariant HeifHandler::option(ImageOption option) const
{
    if (option != Size)
        return QVariant();
    // Reading the size decodes the picture once; read() then hands it over.
    if (!const_cast<HeifHandler*>(this)->load())
        return QVariant();
    return m_image.size();
}
