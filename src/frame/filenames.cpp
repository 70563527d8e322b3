#include "frame/filenames.h"

#include "frame/framelog.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

bool entryExists(const QFileInfo &info)
{
    // exists() follows links and so misses a dangling one, which a writer would follow.
    return info.exists() || info.isSymLink();
}

// Cuts name to at most maxBytes of UTF-8 without splitting a character.
QString cutToBytes(const QString &name, int maxBytes)
{
    QString cut;
    int bytes = 0;
    for (int i = 0; i < name.size(); ++i) {
        const int length = name.at(i).isHighSurrogate() && i + 1 < name.size() ? 2 : 1;
        const int size = QStringView(name).mid(i, length).toUtf8().size();
        if (bytes + size > maxBytes)
            break;
        bytes += size;
        cut += QStringView(name).mid(i, length);
        i += length - 1;
    }
    return cut;
}

} // namespace

QString g_formatFileName(const QString &name)
{
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    QString result;
    result.reserve(name.size());
    for (const QChar c : name) {
        if (!forbidden.contains(c))
            result.append(c);
    }
    result = result.trimmed();
    if (result.toUtf8().size() <= kMaxFileNameBytes)
        return result;
    const QString hash = QLatin1Char('~') + g_pathHash(result).left(8);
    const QString suffix = QFileInfo(result).suffix();
    const QString tail =
        suffix.isEmpty() || suffix.size() > 10 ? hash : hash + QLatin1Char('.') + suffix;
    return cutToBytes(result, kMaxFileNameBytes - static_cast<int>(tail.toUtf8().size())) + tail;
}

bool g_isPlainFile(const QString &path)
{
    struct stat info;
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &info) == 0 &&
           S_ISREG(info.st_mode);
}

QString g_getValidFilePath(const QString &path)
{
    const QFileInfo info(path);
    if (!entryExists(info))
        return path;
    const QString base = info.baseName();
    const QString suffix = info.suffix();
    const QDir folder = info.dir();
    for (int n = 1;; ++n) {
        QString name = QStringLiteral("%1(%2)").arg(base).arg(n);
        if (!suffix.isEmpty())
            name += QLatin1Char('.') + suffix;
        const QString candidate = folder.filePath(name);
        if (!entryExists(QFileInfo(candidate)))
            return candidate;
    }
}

QString g_pathHash(const QString &text)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex());
}

bool g_delDirCascade(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        // A link given as the tree itself: the link goes, its target stays.
        return QFile::remove(path);
    }
    if (!info.exists())
        return true;
    if (!info.isDir()) {
        qCWarning(lcFrame) << "not a folder, not deleted:" << path;
        return false;
    }
    // removeRecursively() removes links to folders as links and does not descend into them.
    if (!QDir(path).removeRecursively()) {
        qCWarning(lcFrame) << "cannot delete folder completely:" << path;
        return false;
    }
    return true;
}

bool g_isSafeRelativePath(const QString &relativePath)
{
    if (relativePath.startsWith(QLatin1Char('/')) || relativePath.contains(QChar(0)))
        return false;
    const QStringList components = relativePath.split(QLatin1Char('/'));
    return !components.contains(QStringLiteral(".."));
}

QString g_safeChildPath(const QString &root, const QString &relativePath)
{
    if (!g_isSafeRelativePath(relativePath))
        return QString();
    const QString cleanRoot = QDir::cleanPath(root);
    const QString joined = QDir::cleanPath(cleanRoot + QLatin1Char('/') + relativePath);
    // Without ".." the cleaned path cannot climb above the root; the prefix test makes sure of
    // it whatever cleanPath does with odd input.
    const QString rootWithSlash =
        cleanRoot.endsWith(QLatin1Char('/')) ? cleanRoot : cleanRoot + QLatin1Char('/');
    if (joined != cleanRoot && !joined.startsWith(rootWithSlash))
        return QString();
    return joined;
}
