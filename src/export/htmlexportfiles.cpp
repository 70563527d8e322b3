#include "export/htmlexportfiles.h"

#include "export/exportlog.h"
#include "export/htmlmarkup.h"
#include "frame/filenames.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kFilesFolder = QStringLiteral("files");
const QString kEmptyPhoto = QStringLiteral("empty_photo.jpg");

} // namespace

HtmlExportFiles::HtmlExportFiles(const QString &exportDir) : m_files(filesDirOf(exportDir))
{
    if (!QDir().mkpath(m_files.path()))
        qCWarning(lcExport) << "cannot create" << m_files.path();
}

QString HtmlExportFiles::filesDirOf(const QString &exportDir)
{
    return QDir(exportDir).filePath(kFilesFolder);
}

bool HtmlExportFiles::isExistingFile(const QString &path)
{
    return g_isPlainFile(path);
}

QString HtmlExportFiles::saveAttaFile(const QString &path)
{
    const QString target = g_getValidFilePath(m_files.filePath(QFileInfo(path).fileName()));
    if (!QFile::copy(path, target)) {
        qCWarning(lcExport) << "cannot copy" << path << "to" << target;
        return QString();
    }
    return QFileInfo(target).fileName();
}

QString HtmlExportFiles::fileLink(const QString &localPath)
{
    if (!isExistingFile(localPath))
        return QStringLiteral("#");
    const QString stored = saveAttaFile(localPath);
    return stored.isEmpty() ? QStringLiteral("#")
                            : g_relativeLinkAttribute(kFilesFolder + u'/' + stored);
}

QString HtmlExportFiles::pictureLink(const QString &picturePath)
{
    const QString stored = isExistingFile(picturePath) ? saveAttaFile(picturePath) : QString();
    if (!stored.isEmpty())
        return g_relativeLinkAttribute(kFilesFolder + u'/' + stored);
    // The bubble pictures, the empty photo among them, are copied into "files" before the pages.
    if (m_files.exists(kEmptyPhoto))
        return g_relativeLinkAttribute(kFilesFolder + u'/' + kEmptyPhoto);
    return QString();
}
