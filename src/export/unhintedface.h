#pragma once

#include <QByteArray>
#include <QString>

class QFont;
class QRawFont;

// A copy of a TrueType face made to be embedded in PDF files quickly, registered under a family
// of its own.
//
// A PDF embeds a subset of each face it draws with. To make it, Qt loads every glyph used at the
// face's design size, which runs the glyph's hinting program, and looks up every character of
// the basic plane in the character map. At that size hinting moves nothing visibly, yet it was a
// seventh of the processor time of exporting one PDF per chat, and the look-ups another tenth.
// The copy has no hinting and a character map read as an array; it keeps everything else:
// outlines, metrics, which glyph each character has, shaping tables and the PostScript name a
// PDF shows.
class UnhintedFace
{
public:
    // Registers the copy of font's face once and returns its family; font's own family when the
    // face is not TrueType outlines or cannot be copied.
    static QString install(const QFont &font);
    // The face as such a font file, named family; empty when its tables cannot be read as
    // TrueType.
    static QByteArray strip(const QRawFont &face, const QString &family);
};
