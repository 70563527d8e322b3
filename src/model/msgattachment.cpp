#include "model/msgattachment.h"

#include "frame/appdirs.h"
#include "frame/filenames.h"
#include "model/heifpicture.h"
#include "model/modellog.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLoggingCategory>
#include <QSaveFile>

namespace {

constexpr int kThumbnailSide = 120;

void makeThumbnail(const QString &source, const QString &target)
{
    // Asked first: for a file that is missing, the image reader tries the name with every
    // picture suffix it knows, dozens of failed opens for each message of a large export.
    if (!QFileInfo(source).isFile())
        return;
    QImage image;
    const char *format = "JPG";
    if (!image.load(source, format)) {
        format = "PNG";
        if (!image.load(source, format)) {
            // Later phones' pictures; previewed as JPEG.
            format = "JPG";
            image = HeifPicture::read(source);
            if (image.isNull())
                return;
        }
    }
    const QImage scaled = image.height() > image.width()
                              ? image.scaledToHeight(kThumbnailSide, Qt::FastTransformation)
                              : image.scaledToWidth(kThumbnailSide, Qt::FastTransformation);
    // Written aside and renamed, so that a reader never finds a half-written preview and takes
    // it for a finished one.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || !scaled.save(&file, format) || !file.commit())
        qCWarning(lcModel) << "cannot write preview" << target << file.errorString();
}

} // namespace

QString _MsgAttachment::jpegRendering() const
{
    if (localPath.isEmpty() || !HeifPicture::isHeif(localPath))
        return QString();
    const QString path =
        g_previewCacheDir().filePath(g_pathHash(localPath) + QStringLiteral(".jpg"));
    if (QFileInfo::exists(path))
        return path;
    const QImage image = HeifPicture::read(localPath);
    QSaveFile file(path);
    if (image.isNull() || !file.open(QIODevice::WriteOnly) || !image.save(&file, "JPG") ||
        !file.commit()) {
        qCWarning(lcModel) << "cannot write JPEG rendering" << path << file.errorString();
        return QString();
    }
    return path;
}

QString _MsgAttachment::thumbnail() const
{
    const QString path =
        g_previewCacheDir().filePath(g_pathHash(localPath) + QStringLiteral(".thumb"));
    if (g_isPlainFile(localPath) && !QFileInfo::exists(path))
        makeThumbnail(localPath, path);
    return path;
}
