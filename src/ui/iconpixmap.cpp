#include "ui/iconpixmap.h"

#include <QGuiApplication>
#include <QImage>

QPixmap g_iconPixmap(const QImage &image, Qt::Orientation side, int logicalSize)
{
    if (image.isNull())
        return QPixmap();
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    const int pixels = qRound(logicalSize * ratio);
    QPixmap pixmap = QPixmap::fromImage(
        side == Qt::Horizontal ? image.scaledToWidth(pixels, Qt::SmoothTransformation)
                               : image.scaledToHeight(pixels, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}
