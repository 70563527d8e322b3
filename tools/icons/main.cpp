// Draws the icons of the source tree and the message list into res/: devices, databases, an
// iPhone, an Android phone, a database, a group of contacts, and the received/sent marks of SMS
// and iMessage. The output is committed; run this again after changing the drawing:
//     make-icons res
//
// Every icon is drawn on a 32-unit grid and shown at 16 to 32 pixels, so shapes stay bold and
// strokes at least two units wide.

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <functional>

namespace {

constexpr int kGrid = 32;
// The contact and group tiles match res/contact.png (64 pixels, grey-blue with a white figure).
constexpr int kTileSize = 64;

const QColor kSlate(0x4a, 0x5a, 0x6e);
const QColor kScreen(0xd9, 0xe6, 0xf5);
const QColor kDbBlue(0x3b, 0x78, 0xc2);
const QColor kDbLight(0x8f, 0xbb, 0xee);
const QColor kAndroidGreen(0x5c, 0xb8, 0x4a);
const QColor kSmsGreen(0x4c, 0xb0, 0x5b);
const QColor kImsgBlue(0x2f, 0x8a, 0xf0);
const QColor kTileBack(0xa9, 0xb6, 0xc6);

using Drawing = std::function<void(QPainter &)>;

QImage render(int size, const Drawing &draw)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(qreal(size) / kGrid, qreal(size) / kGrid);
    draw(painter);
    return image;
}

// A phone seen from the front: body, screen, and a home button or a speaker slot.
void drawPhone(QPainter &p, const QRectF &body, const QColor &colour, bool homeButton)
{
    const qreal radius = body.width() * 0.22;
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(body, radius, radius);
    const qreal margin = body.width() * 0.14;
    const QRectF screen = body.adjusted(margin, body.height() * 0.14, -margin,
                                        -body.height() * (homeButton ? 0.2 : 0.12));
    p.setBrush(kScreen);
    p.drawRect(screen);
    if (homeButton) {
        const qreal r = body.width() * 0.09;
        p.setBrush(kScreen);
        p.drawEllipse(QPointF(body.center().x(), body.bottom() - body.height() * 0.1), r, r);
    }
}

// A database drum: a cylinder with two bands.
void drawDrum(QPainter &p, const QRectF &box)
{
    const qreal capHeight = box.height() * 0.28;
    QPainterPath body;
    body.moveTo(box.left(), box.top() + capHeight / 2);
    body.lineTo(box.left(), box.bottom() - capHeight / 2);
    body.arcTo(QRectF(box.left(), box.bottom() - capHeight, box.width(), capHeight), 180, 180);
    body.lineTo(box.right(), box.top() + capHeight / 2);
    body.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kDbBlue);
    p.drawPath(body);
    p.setPen(QPen(kDbLight, 1.6));
    p.setBrush(Qt::NoBrush);
    for (const qreal at : {0.42, 0.68}) {
        const qreal y = box.top() + box.height() * at;
        p.drawArc(QRectF(box.left(), y - capHeight / 2, box.width(), capHeight), 180 * 16,
                  180 * 16);
    }
    p.setPen(QPen(kDbBlue.darker(130), 1.0));
    p.setBrush(kDbLight);
    p.drawEllipse(QRectF(box.left(), box.top(), box.width(), capHeight));
}

void drawDevices(QPainter &p)
{
    drawPhone(p, QRectF(3, 4, 14, 24), kSlate, true);
    // The second phone overlaps the first; its outline keeps the two apart.
    p.setPen(QPen(Qt::white, 2.0));
    p.setBrush(kAndroidGreen);
    p.drawRoundedRect(QRectF(14, 8, 15, 22), 3, 3);
    drawPhone(p, QRectF(15, 9, 13, 20), kAndroidGreen.darker(115), false);
}

void drawDatabases(QPainter &p)
{
    drawDrum(p, QRectF(12, 2, 17, 22));
    p.setPen(QPen(Qt::white, 1.5));
    drawDrum(p, QRectF(3, 8, 17, 22));
}

void drawDatabase(QPainter &p)
{
    drawDrum(p, QRectF(5, 2, 22, 28));
}

void drawIPhone(QPainter &p)
{
    drawPhone(p, QRectF(8, 1, 16, 30), kSlate, true);
}

void drawAndroid(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kAndroidGreen);
    // Head: a half disc with two antennae.
    QPainterPath head;
    head.moveTo(6, 14);
    head.arcTo(QRectF(6, 4, 20, 20), 180, -180);
    head.closeSubpath();
    p.drawPath(head);
    p.setPen(QPen(kAndroidGreen, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.5, 6.5), QPointF(8, 2.5));
    p.drawLine(QPointF(21.5, 6.5), QPointF(24, 2.5));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(12, 10), 1.6, 1.6);
    p.drawEllipse(QPointF(20, 10), 1.6, 1.6);
    // Body, arms and legs.
    p.setBrush(kAndroidGreen);
    p.drawRoundedRect(QRectF(6, 15, 20, 12), 3, 3);
    p.drawRect(QRectF(6, 15, 20, 4));
    p.drawRoundedRect(QRectF(1, 15, 4, 10), 2, 2);
    p.drawRoundedRect(QRectF(27, 15, 4, 10), 2, 2);
    p.drawRoundedRect(QRectF(10, 24, 4, 7), 2, 2);
    p.drawRoundedRect(QRectF(18, 24, 4, 7), 2, 2);
}

// One white figure of the contact tile: head and shoulders.
void drawFigure(QPainter &p, const QPointF &head, qreal scale, const QColor &outline)
{
    p.setPen(outline.isValid() ? QPen(outline, 1.2) : Qt::NoPen);
    p.setBrush(Qt::white);
    QPainterPath shoulders;
    const QRectF body(head.x() - 8 * scale, head.y() + 5 * scale, 16 * scale, 18 * scale);
    shoulders.moveTo(body.left(), body.bottom());
    shoulders.arcTo(body, 180, -180);
    shoulders.closeSubpath();
    p.drawPath(shoulders);
    p.drawEllipse(head, 4.6 * scale, 4.6 * scale);
}

void drawGroup(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kTileBack);
    p.drawRect(QRectF(0, 0, kGrid, kGrid));
    p.setClipRect(QRectF(0, 0, kGrid, kGrid));
    drawFigure(p, QPointF(20.5, 11), 0.85, QColor());
    drawFigure(p, QPointF(12, 14), 1.0, kTileBack);
}

// A speech bubble with its tail on the left (received) or right (sent) and an arrow that points
// into it or out of it.
void drawMessageMark(QPainter &p, const QColor &colour, bool sent)
{
    if (sent) {
        p.translate(kGrid, 0);
        p.scale(-1, 1);
    }
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(3, 3, 27, 20), 8, 8);
    QPainterPath tail;
    tail.moveTo(6, 18);
    tail.lineTo(2, 29);
    tail.lineTo(14, 21);
    tail.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(bubble.united(tail));
    if (sent) {
        // The arrow reads left to right whatever side the tail is on.
        p.translate(kGrid, 0);
        p.scale(-1, 1);
    }
    p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const qreal y = 13;
    if (sent) {
        p.drawLine(QPointF(9, y), QPointF(22, y));
        p.drawPolyline(QPolygonF({QPointF(17.5, y - 4.5), QPointF(22, y), QPointF(17.5, y + 4.5)}));
    } else {
        p.drawLine(QPointF(10, y), QPointF(23, y));
        p.drawPolyline(QPolygonF({QPointF(14.5, y - 4.5), QPointF(10, y), QPointF(14.5, y + 4.5)}));
    }
}

struct Icon
{
    const char *file;
    int size;
    Drawing draw;
};

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: make-icons OUTPUT_FOLDER\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists()) {
        err << "no folder " << folder.path() << "\n";
        return 1;
    }
    const Icon icons[] = {
        {"devices.png", kGrid, drawDevices},
        {"databases.png", kGrid, drawDatabases},
        {"database.png", kGrid, drawDatabase},
        {"iphone.png", kGrid, drawIPhone},
        {"android.png", kGrid, drawAndroid},
        {"group.png", kTileSize, drawGroup},
        {"icon_sms-receive.png", kGrid, [](QPainter &p) { drawMessageMark(p, kSmsGreen, false); }},
        {"icon_sms-sent.png", kGrid, [](QPainter &p) { drawMessageMark(p, kSmsGreen, true); }},
        {"imsg-rec.png", kGrid, [](QPainter &p) { drawMessageMark(p, kImsgBlue, false); }},
        {"imsg-send.png", kGrid, [](QPainter &p) { drawMessageMark(p, kImsgBlue, true); }},
    };
    for (const Icon &icon : icons) {
        if (!render(icon.size, icon.draw).save(folder.filePath(QLatin1String(icon.file)), "PNG")) {
            err << "cannot write " << icon.file << " into " << folder.path() << "\n";
            return 1;
        }
    }
    return 0;
}
