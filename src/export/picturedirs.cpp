#include "export/picturedirs.h"

#include "export/exportlog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {

bool holdsPictures(const QString &dir)
{
    return !dir.isEmpty() && QFileInfo(dir + QStringLiteral("/bubble")).isDir();
}

QString subDir(const QString &name)
{
    const QString base = g_pictureBaseDir();
    if (base.isEmpty())
        return QString();
    const QString dir = base + QLatin1Char('/') + name;
    return QFileInfo(dir).isDir() ? dir : QString();
}

QSet<QString> listEmojiCodes()
{
    QSet<QString> codes;
    const QString dir = g_emojiPictureDir();
    if (dir.isEmpty())
        return codes;
    const QStringList names = QDir(dir).entryList({QStringLiteral("*.png")}, QDir::Files);
    for (const QString &name : names)
        codes.insert(name.chopped(4).toUpper());
    qCDebug(lcExport) << codes.size() << "emoji pictures in" << dir;
    return codes;
}

} // namespace

QString g_pictureBaseDir()
{
    const QString appDir = QCoreApplication::applicationDirPath();
    if (holdsPictures(appDir))
        return appDir;
#ifdef TEXTLINK_SOURCE_RES_DIR
    if (holdsPictures(QStringLiteral(TEXTLINK_SOURCE_RES_DIR)))
        return QStringLiteral(TEXTLINK_SOURCE_RES_DIR);
#endif
    return QString();
}

QString g_bubblePictureDir()
{
    return subDir(QStringLiteral("bubble"));
}

QString g_emojiPictureDir()
{
    return subDir(QStringLiteral("emoji"));
}

bool g_hasEmojiPicture(const QString &code)
{
    // The folder is shipped with the program and does not change while it runs; listing it once
    // spares a file look-up per emoji of every page.
    static const QSet<QString> codes = listEmojiCodes();
    return codes.contains(code.toUpper());
}
