// Draws the pictures of res/bubble: the nine background cells of the received ("bb1") and sent
// ("bb2") speech bubbles, and the picture shown where a thumbnail is missing. The output is
// committed; run this again after changing the drawing:
//     make-bubbles res/bubble

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

namespace {

// Cell edge in pixels; res/bubble/style.css positions the cells with the same size.
constexpr int kCell = 16;
// Room left beside the body for the tail.
constexpr int kTail = 6;
constexpr qreal kRadius = 9.5;

struct BubbleColours
{
    QColor fill;
    QColor border;
};

// The outline of a received bubble: a rounded body with a tail at its bottom left. The straight
// parts of the outline run through the edge cells only, so that those cells can be repeated.
QPainterPath receivedOutline()
{
    const QRectF body(kTail + 0.5, 0.5, 3 * kCell - kTail - 1.0, 3 * kCell - 1.0);
    QPainterPath path;
    path.addRoundedRect(body, kRadius, kRadius);
    QPainterPath tail;
    tail.moveTo(body.left(), 2 * kCell + 2);
    tail.cubicTo(body.left(), body.bottom() - 3, body.left() - 2, body.bottom(), 0.5,
                 body.bottom());
    tail.cubicTo(kTail + 2, body.bottom() + 0.5, kTail + 6, body.bottom() - 1, kCell - 1,
                 body.bottom());
    tail.lineTo(body.left() + 4, body.bottom() - 6);
    tail.closeSubpath();
    return path.united(tail);
}

QImage drawBubble(const BubbleColours &colours, bool mirrored)
{
    QImage image(3 * kCell, 3 * kCell, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (mirrored) {
        painter.translate(3 * kCell, 0);
        painter.scale(-1, 1);
    }
    painter.setPen(QPen(colours.border, 1.0));
    painter.setBrush(colours.fill);
    painter.drawPath(receivedOutline());
    return image;
}

bool saveCells(const QImage &bubble, const QString &folder, const QString &prefix)
{
    static const char *const rows[] = {"top", "middle", "bottom"};
    static const char *const columns[] = {"left", "middle", "right"};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const QString name =
                QStringLiteral("%1_%2_%3.png")
                    .arg(prefix, QLatin1String(rows[row]), QLatin1String(columns[column]));
            const QImage cell = bubble.copy(column * kCell, row * kCell, kCell, kCell);
            if (!cell.save(QDir(folder).filePath(name), "PNG"))
                return false;
        }
    }
    return true;
}

// A grey frame with a mountain and a sun: "a picture should be here".
QImage drawEmptyPhoto()
{
    constexpr int kSize = 120;
    QImage image(kSize, kSize, QImage::Format_RGB32);
    image.fill(QColor(0xe4, 0xe7, 0xeb));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0xb8, 0xc2, 0xcc), 2.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(24, 30, 72, 60), 6, 6);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xb8, 0xc2, 0xcc));
    painter.drawEllipse(QPointF(78, 46), 7, 7);
    QPainterPath hills;
    hills.moveTo(28, 86);
    hills.lineTo(50, 58);
    hills.lineTo(64, 74);
    hills.lineTo(72, 66);
    hills.lineTo(92, 86);
    hills.closeSubpath();
    painter.drawPath(hills);
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: make-bubbles OUTPUT_FOLDER\n";
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        err << "cannot create " << folder << "\n";
        return 1;
    }
    const BubbleColours received{QColor(0xec, 0xef, 0xf3), QColor(0xc3, 0xcb, 0xd4)};
    const BubbleColours sent{QColor(0xcf, 0xe6, 0xff), QColor(0x9c, 0xc3, 0xec)};
    const bool ok =
        saveCells(drawBubble(received, false), folder, QStringLiteral("bb1")) &&
        saveCells(drawBubble(sent, true), folder, QStringLiteral("bb2")) &&
        drawEmptyPhoto().save(QDir(folder).filePath(QStringLiteral("empty_photo.jpg")), "JPEG", 90);
    if (!ok) {
        err << "cannot write the pictures into " << folder << "\n";
        return 1;
    }
    return 0;
}
