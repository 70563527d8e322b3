#pragma once

#include "export/absbubblelinks.h"

#include <QDir>
#include <QString>

// The "files" folder of an HTML export: attachment files and previews are copied into it and
// linked relative to the pages beside it ("files/NAME").
class HtmlExportFiles : public AbsBubbleLinks
{
public:
    // exportDir is the folder holding the pages; its "files" folder is created when missing.
    explicit HtmlExportFiles(const QString &exportDir);

    QString filesDir() const { return m_files.path(); }

    // Copies the file into the folder under its own name, or a free variant of it when that is
    // taken, so that equal names from different messages do not overwrite each other. Returns
    // the stored name, or empty when the copy failed.
    QString saveAttaFile(const QString &path);

    // A copied attachment's link, or "#" when the file is missing or cannot be copied.
    QString fileLink(const QString &localPath) override;
    // A copied preview's link; the shipped empty photo when the preview is missing.
    QString pictureLink(const QString &picturePath) override;

    // The folder "files" of the export folder.
    static QString filesDirOf(const QString &exportDir);

private:
    static bool isExistingFile(const QString &path);

    QDir m_files;
};
