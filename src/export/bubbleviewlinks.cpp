#include "export/bubbleviewlinks.h"

#include "export/htmlmarkup.h"

#include <QFileInfo>
#include <QUrl>

namespace {

QString fileUrlAttribute(const QString &path)
{
    return g_htmlAttribute(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
}

} // namespace

QString BubbleViewLinks::fileLink(const QString &localPath)
{
    // A missing file keeps its URL so that clicking it can say which file is missing; only a
    // path that was never known has nothing to link.
    return localPath.isEmpty() ? QStringLiteral("#") : fileUrlAttribute(localPath);
}

QString BubbleViewLinks::pictureLink(const QString &picturePath)
{
    if (!picturePath.isEmpty() && QFileInfo(picturePath).isFile())
        return fileUrlAttribute(picturePath);
    return QStringLiteral("bubble/empty_photo.jpg");
}
