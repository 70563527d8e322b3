#include "frame/desktop.h"

#include "frame/framelog.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {

bool openUrl(const QUrl &url)
{
    if (!url.isValid() || url.isEmpty()) {
        qCWarning(lcFrame) << "nothing to open:" << url;
        return false;
    }
    const bool opened = QDesktopServices::openUrl(url);
    if (!opened)
        qCWarning(lcFrame) << "the desktop could not open" << url;
    return opened;
}

} // namespace

bool g_openLink(const QString &url)
{
    return openUrl(QUrl::fromUserInput(url.trimmed()));
}

bool g_openFileOrFolder(const QString &path)
{
    if (path.isEmpty())
        return openUrl(QUrl());
    // A relative path would otherwise be resolved by whichever program handles the URL.
    return openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}
