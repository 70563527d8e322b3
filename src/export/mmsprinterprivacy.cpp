#include "export/mmsprinterprivacy.h"

#include "export/bubblepictures.h"
#include "export/exportlog.h"
#include "export/localclock.h"
#include "export/printbubble.h"
#include "export/vcardthumbnail.h"
#include "frame/filenames.h"
#include "frame/translation.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgfunctions.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"
#include "model/msgreactions.h"

#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPagedPaintDevice>

#include <utility>
#include <vector>

namespace {

// Texts longer than this are laid out in pieces of it; far more than a page holds.
constexpr int kTextPieceChars = 4000;

constexpr qreal kLayoutDpi = 96;
constexpr int kDateLineHeight = 24;
constexpr int kNameLineHeight = 19;
constexpr int kGroupEventGap = 8;
constexpr int kBubbleGap = 10;
constexpr int kImageMaxSize = 120;
constexpr int kHeadingHeight = 40;
constexpr int kBubbleInset = 12;
constexpr int kHeadingPixels = 20;

const QColor kTextColor(146, 146, 165);
const QColor kHeadingColor(64, 72, 86);

QFont pageFont(int pixelSize)
{
    QFont font(PrintBubble::bubbleFont());
    font.setPixelSize(pixelSize);
    return font;
}

// 12 and 10 points on the 96-units-per-inch page.
const QFont &normalFont()
{
    static const QFont font = pageFont(16);
    return font;
}

const QFont &smallFont()
{
    static const QFont font = pageFont(13);
    return font;
}

// The heading's bold comes from the page font's own face, emboldened: a document then embeds one
// face instead of two, and each embedded face costs a PDF more time than all its bubbles. The
// emboldening stroke has a fixed width in font units, so the letters are drawn at a fraction of
// their size and scaled up to look as bold as the separate bold face.
constexpr qreal kHeadingScale = 2.5;

const QFont &headingFont()
{
    static const QFont font = [] {
        QFont f = pageFont(static_cast<int>(kHeadingPixels / kHeadingScale));
        // Naming the regular style keeps the font database from picking the bold face.
        f.setStyleName(QFontInfo(normalFont()).styleName());
        f.setBold(true);
        f.setLetterSpacing(QFont::AbsoluteSpacing, normalFont().letterSpacing() / kHeadingScale);
        return f;
    }();
    return font;
}

bool isCard(const QString &mimeType)
{
    return mimeType.compare(QLatin1String("text/x-vCard"), Qt::CaseInsensitive) == 0 ||
           mimeType.compare(QLatin1String("text/vcard"), Qt::CaseInsensitive) == 0;
}

QString senderName(const _MsgMessage &message)
{
    if (message.is_from_me != 0 || !message.handle || !message.chat || !message.chat->isGroup())
        return QString();
    return message.handle->displayName(false);
}

// A picture file as shown in a bubble: the placeholder when it cannot be loaded.
QImage pictureOrPlaceholder(const QString &path)
{
    const QImage picture = BubblePictures::loadPicture(path);
    return picture.isNull() ? BubblePictures::instance().emptyPhoto() : picture;
}

} // namespace

MMSPrinterPrivacy::~MMSPrinterPrivacy()
{
    end();
}

bool MMSPrinterPrivacy::reset(QPagedPaintDevice *device)
{
    end();
    m_device = device;
    const qreal scale = device->logicalDpiX() / kLayoutDpi;
    const QMarginsF margins = device->pageLayout().margins(QPageLayout::Point);
    const int width = static_cast<int>(device->width() / scale);
    const int height = static_cast<int>(device->height() / scale);
    m_top = static_cast<int>(margins.top());
    m_left = static_cast<int>(margins.left());
    m_bottom = height - static_cast<int>(margins.bottom()) - 1;
    m_right = width - static_cast<int>(margins.right()) - 1;
    m_y = m_top;
    m_pageNumber = 1;
    m_lastDateLine = 0;
    if (!m_painter.begin(device)) {
        qCWarning(lcExport) << "cannot start painting a document";
        return false;
    }
    m_painter.scale(scale, scale);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform);
    startPage();
    return true;
}

bool MMSPrinterPrivacy::end()
{
    if (!m_painter.isActive())
        return true;
    return m_painter.end();
}

void MMSPrinterPrivacy::startPage()
{
    m_painter.setFont(normalFont());
    m_painter.setPen(kTextColor);
    m_painter.fillRect(contentRect(), PrintBubble::pageColor());
    m_painter.drawText(QRect(m_left, m_bottom + 2, m_right + 1 - m_left, 18),
                       Qt::AlignRight | Qt::AlignVCenter, QString::number(m_pageNumber));
}

int MMSPrinterPrivacy::spaceLeft() const
{
    // Measured from the content height rather than the bottom edge, as the page has always been
    // laid out: the last item of a page ends up to the top margin above the bottom.
    return (m_bottom + 1 - m_top) - m_y;
}

void MMSPrinterPrivacy::checkAndNextPage(int height)
{
    if (!isActive() || spaceLeft() >= height)
        return;
    m_device->newPage();
    m_y = m_top;
    ++m_pageNumber;
    startPage();
}

int MMSPrinterPrivacy::bubbleMaxWidth() const
{
    return static_cast<int>((m_right + 1 - m_left) * 0.8);
}

void MMSPrinterPrivacy::print(const _MsgMessage *message)
{
    if (!isActive() || !message)
        return;
    if (message->item_type != 0 || message->isReaction()) {
        printGroupEvent(*message);
        return;
    }
    const bool fromMe = message->is_from_me != 0;
    const QString name = senderName(*message);

    QString body;
    if (!message->subject().isEmpty())
        body = QStringLiteral("<Subject:%1>\n").arg(message->subject());
    body += message->bubbleText();
    const QList<_MsgAttachment *> attachments = message->attachments();
    std::vector<PrintBubble> bubbles;
    if (!body.isEmpty() || attachments.isEmpty()) {
        for (const QString &piece : PrintBubble::textPieces(body, kTextPieceChars))
            bubbles.push_back(PrintBubble::text_bubble(piece, bubbleMaxWidth(), fromMe));
    }
    for (const _MsgAttachment *attachment : attachments)
        bubbles.push_back(attachmentBubble(*attachment, fromMe));

    // A date line or a name line never stays alone at the foot of a page: it goes with (the
    // first page's worth of) the bubble below it.
    const auto withName = [&](const PrintBubble &bubble) {
        return (name.isEmpty() ? 0 : kNameLineHeight) + qMin(bubble.height(), pageSpace());
    };
    printDateLine(*message, withName(bubbles.front()));
    for (PrintBubble &bubble : bubbles) {
        printNameLine(name, qMin(bubble.height(), pageSpace()));
        place(std::move(bubble), fromMe);
    }
    const QString badges = MsgReactions::badgeLine(*message);
    if (!badges.isEmpty())
        printSmallLine(badges);
}

void MMSPrinterPrivacy::printHeading(const QString &title)
{
    if (!isActive())
        return;
    const int width = m_right + 1 - m_left;
    const QFont &font = headingFont();
    m_painter.save();
    // Drawn small and scaled up: the emboldening stroke then keeps in step with the letters.
    m_painter.scale(kHeadingScale, kHeadingScale);
    m_painter.setFont(font);
    m_painter.setPen(kHeadingColor);
    m_painter.drawText(
        QRectF(m_left / kHeadingScale, m_y / kHeadingScale, width / kHeadingScale,
               (kHeadingHeight - 8) / kHeadingScale),
        Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine,
        QFontMetricsF(font).elidedText(title, Qt::ElideRight, width / kHeadingScale));
    m_painter.restore();
    m_painter.setPen(kHeadingColor);
    m_painter.drawLine(m_left + width / 4, m_y + kHeadingHeight - 4, m_right - width / 4,
                       m_y + kHeadingHeight - 4);
    m_painter.setFont(normalFont());
    m_painter.setPen(kTextColor);
    m_y += kHeadingHeight;
}

int MMSPrinterPrivacy::pageSpace() const
{
    return (m_bottom + 1 - m_top) - m_top;
}

void MMSPrinterPrivacy::printGroupEvent(const _MsgMessage &message)
{
    printSmallLine(message.summary());
}

void MMSPrinterPrivacy::printSmallLine(const QString &text)
{
    m_painter.setFont(smallFont());
    const int width = m_right + 1 - m_left;
    const int flags = Qt::AlignHCenter | Qt::TextWordWrap;
    const int height =
        QFontMetrics(smallFont()).boundingRect(0, 0, width, 1 << 20, flags, text).height();
    checkAndNextPage(height + kGroupEventGap);
    m_painter.setFont(smallFont());
    m_painter.drawText(QRect(m_left, m_y, width, height), flags, text);
    m_y += height + kGroupEventGap;
    m_painter.setFont(normalFont());
}

void MMSPrinterPrivacy::printDateLine(const _MsgMessage &message, int keepWith)
{
    const QDateTime time = dtFromDate21(message.date);
    const qint64 seconds = time.toSecsSinceEpoch();
    if (seconds - m_lastDateLine <= kDateLineGap)
        return;
    m_lastDateLine = seconds;
    checkAndNextPage(kDateLineHeight + keepWith);
    m_painter.drawText(QRect(m_left, m_y, m_right + 1 - m_left, kDateLineHeight - 2),
                       Qt::AlignCenter,
                       LocalClock::toLocal(time).toString(QStringLiteral("dd MMM yyyy h:mm AP")));
    m_y += kDateLineHeight;
}

void MMSPrinterPrivacy::printNameLine(const QString &name, int keepWith)
{
    if (name.isEmpty())
        return;
    checkAndNextPage(kNameLineHeight + keepWith);
    m_painter.drawText(QRect(m_left + 25, m_y, m_right - 49 - m_left, kNameLineHeight - 1),
                       Qt::AlignLeft | Qt::AlignVCenter, name);
    m_y += kNameLineHeight;
}

PrintBubble MMSPrinterPrivacy::attachmentBubble(const _MsgAttachment &attachment, bool fromMe) const
{
    const QString &mime = attachment.mime_type;
    const auto label = [&](const char *key) {
        return PrintBubble::text_bubble(g_tr(key), bubbleMaxWidth(), fromMe);
    };
    if (mime.startsWith(QLatin1String("image/"), Qt::CaseInsensitive))
        return PrintBubble::pm_bubble(fitOnPage(pictureOrPlaceholder(attachment.thumbnail())),
                                      fromMe);
    if (mime.startsWith(QLatin1String("video/"), Qt::CaseInsensitive))
        return label("IDS_ATTA_VIDEO");
    if (mime.startsWith(QLatin1String("audio/"), Qt::CaseInsensitive))
        return label("IDS_ATTA_AUDIO");
    if (isCard(mime)) {
        const QString card =
            attachment.localPath.isEmpty() ? QString() : vcard_thumbnail(attachment.localPath);
        if (card.isEmpty() || !QFileInfo(card).isFile())
            return label("IDS_ATTA_VCARD");
        return PrintBubble::pm_bubble(fitOnPage(pictureOrPlaceholder(card)), fromMe);
    }
    if (mime.compare(QLatin1String("text/plain"), Qt::CaseInsensitive) == 0) {
        QFile file(attachment.localPath);
        if (!g_isPlainFile(attachment.localPath) || !file.open(QIODevice::ReadOnly))
            return PrintBubble();
        return PrintBubble::text_bubble(QString::fromUtf8(file.readAll()), bubbleMaxWidth(), fromMe,
                                        PrintBubble::Emoji::Keep);
    }
    return label("IDS_ATTA_ATTACHMENT");
}

QImage MMSPrinterPrivacy::fitOnPage(const QImage &picture) const
{
    // Previews are small already; a placeholder or card of unusual size must still fit in a
    // bubble on one page.
    const QSize limit(bubbleMaxWidth() - 50, (m_bottom + 1 - 2 * m_top) - 30);
    if (picture.isNull() ||
        (picture.width() <= limit.width() && picture.height() <= limit.height()))
        return picture;
    return picture.scaled(limit, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

void MMSPrinterPrivacy::place(PrintBubble bubble, bool fromMe)
{
    // A text taller than a whole page is cut between lines over as many pages as it needs;
    // everything else moves to the next page whole.
    while (bubble.height() > pageSpace()) {
        PrintBubble top = bubble.takeTop(spaceLeft());
        if (top.isEmpty()) {
            if (m_y == m_top)
                break; // not even one line fits on an empty page: draw it as it is
            checkAndNextPage(spaceLeft() + 1);
            continue;
        }
        drawBubble(top, fromMe);
        checkAndNextPage(spaceLeft() + 1);
    }
    checkAndNextPage(bubble.height());
    drawBubble(bubble, fromMe);
    m_y += kBubbleGap;
}

void MMSPrinterPrivacy::drawBubble(const PrintBubble &bubble, bool fromMe)
{
    // Set in from the edges of the coloured area, so that the tails do not look cut off there.
    const int x = fromMe ? m_right - kBubbleInset - bubble.width() : m_left + kBubbleInset;
    bubble.paint(m_painter, QPoint(x, m_y));
    m_painter.setFont(normalFont());
    m_painter.setPen(kTextColor);
    m_y += bubble.height();
}
