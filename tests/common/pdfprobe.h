#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

// Reads a PDF with poppler's command-line tools, an independent reader of what the exporters
// and printing write. Each call fails the running test (and returns an empty result) when the
// tool cannot run or rejects the file.
class PdfProbe
{
public:
    // The text of every page, in reading order (pdftotext -layout off, UTF-8).
    static QString text(const QString &path);
    // The page count from pdfinfo; 0 when the file cannot be read.
    static int pageCount(const QString &path);
    // The names of the fonts the document uses (pdffonts), one per font object.
    static QStringList fonts(const QString &path);
    // The pixel size of every image drawn, page by page (pdfimages -list; masks left out).
    static QList<QSize> images(const QString &path);

private:
    static QString run(const QString &program, const QStringList &arguments);
};
