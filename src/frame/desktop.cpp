#include "frame/desktop.h"

#include "frame/framelog.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

constexpr int kQueryTimeoutMs = 5000;

QString mimeTypeOf(const QUrl &url)
{
    if (!url.isLocalFile())
        return QStringLiteral("x-scheme-handler/") + url.scheme();
    return QMimeDatabase().mimeTypeForFile(url.toLocalFile()).name();
}

bool openUrl(const QUrl &url)
{
    if (!url.isValid() || url.isEmpty()) {
        qCWarning(lcFrame) << "nothing to open:" << url;
        return false;
    }
    // The desktop's opener starts happily and then fails out of sight when nothing handles the
    // file; asked first, the user can be told.
    if (!g_hasDesktopHandler(mimeTypeOf(url))) {
        qCWarning(lcFrame) << "no application set for" << mimeTypeOf(url);
        return false;
    }
    const bool opened = QDesktopServices::openUrl(url);
    if (!opened)
        qCWarning(lcFrame) << "the desktop could not open" << url;
    return opened;
}

} // namespace

bool g_hasDesktopHandler(const QString &mimeType)
{
    const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (query.isEmpty())
        return true;
    QProcess process;
    process.start(query, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!process.waitForFinished(kQueryTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return true;
    }
    return !process.readAllStandardOutput().trimmed().isEmpty();
}

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
