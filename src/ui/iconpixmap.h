#pragma once

#include <QPixmap>

class QImage;

// A picture as a list or tree icon of the given logical size, drawn with as many pixels as the
// screen has per logical pixel, so that icons stay sharp at 150 % or 200 % scaling. A null
// picture gives a null pixmap.
QPixmap g_iconPixmap(const QImage &image, Qt::Orientation side, int logicalSize);
