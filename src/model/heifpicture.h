#pragma once

#include <QImage>
#include <QString>

// Pictures of later phones (HEIC/HEIF), decoded through libheif: Qt reads neither.
class HeifPicture
{
public:
    // Whether the file starts as a HEIF container does (an "ftyp" box of a HEIF brand).
    static bool isHeif(const QString &path);
    // The primary image, with its rotation applied; null when the file cannot be decoded.
    static QImage read(const QString &path);
};
