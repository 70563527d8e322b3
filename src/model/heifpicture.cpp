#include "model/heifpicture.h"

#include <QFile>
#include <QLoggingCategory>

#include <libheif/heif.h>

#include <memory>

namespace {

Q_LOGGING_CATEGORY(lcHeif, "textlink.model")

struct ContextFree
{
    void operator()(heif_context *context) const { heif_context_free(context); }
};
struct HandleRelease
{
    void operator()(heif_image_handle *handle) const { heif_image_handle_release(handle); }
};
struct ImageRelease
{
    void operator()(heif_image *image) const { heif_image_release(image); }
};

bool failed(const heif_error &error, const QString &path)
{
    if (error.code == heif_error_Ok)
        return false;
    qCWarning(lcHeif) << "cannot decode HEIF picture" << path << error.message;
    return true;
}

} // namespace

bool HeifPicture::isHeif(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(12);
    if (head.size() < 12 || head.mid(4, 4) != "ftyp")
        return false;
    const QByteArray brand = head.mid(8, 4);
    for (const char *known : {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1"}) {
        if (brand == known)
            return true;
    }
    return false;
}

QImage HeifPicture::read(const QString &path)
{
    if (!isHeif(path))
        return QImage();
    const std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
    if (failed(heif_context_read_from_file(context.get(), QFile::encodeName(path).constData(),
                                           nullptr),
               path))
        return QImage();
    heif_image_handle *rawHandle = nullptr;
    if (failed(heif_context_get_primary_image_handle(context.get(), &rawHandle), path))
        return QImage();
    const std::unique_ptr<heif_image_handle, HandleRelease> handle(rawHandle);
    heif_image *rawImage = nullptr;
    if (failed(heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                                 heif_chroma_interleaved_RGBA, nullptr),
               path))
        return QImage();
    const std::unique_ptr<heif_image, ImageRelease> image(rawImage);
    int stride = 0;
    const uint8_t *pixels =
        heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (!pixels || width <= 0 || height <= 0)
        return QImage();
    // Copied: the decoded planes go with the image handle.
    return QImage(pixels, width, height, stride, QImage::Format_RGBA8888).copy();
}
