#pragma once

#include "export/ctinfo.h"

#include <QImage>
#include <QString>

// The picture shown in place of a contact-card attachment: the first card of the file at path
// drawn as a small card, kept in the temporary folder under the hash of path. Later calls for the
// same path return the kept picture at once, even when the file has changed since. Empty when the
// file cannot be read or holds no card.
QString vcard_thumbnail(const QString &path);

// Where vcard_thumbnail keeps the picture of the file at path.
QString vcard_thumbnailPath(const QString &path);

// Draws a card: photo (or the contact picture) at the left, name, title and organisation,
// birthday, up to four phones, e-mail and address at the right.
QImage vcard_renderCard(const ct_info &info);
