#include "export/bubblemessagemarkup.h"

#include "export/absbubblelinks.h"
#include "export/exportlog.h"
#include "export/htmlmarkup.h"
#include "export/localclock.h"
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
#include <QLocale>

namespace {

constexpr int kImageMaxSize = 120;
// Contact cards are drawn to hold their text; shrinking them would make it unreadable.
constexpr int kCardMaxSize = 420;

bool isCard(const QString &mimeType)
{
    return mimeType.compare(QLatin1String("text/x-vCard"), Qt::CaseInsensitive) == 0 ||
           mimeType.compare(QLatin1String("text/vcard"), Qt::CaseInsensitive) == 0;
}

// The text of a plain-text part, or empty when it cannot be read.
QString plainTextPart(const QString &localPath)
{
    QFile file(localPath);
    if (!g_isPlainFile(localPath) || !file.open(QIODevice::ReadOnly)) {
        qCDebug(lcExport) << "text part not readable:" << localPath;
        return QString();
    }
    return g_htmlEncode(QString::fromUtf8(file.readAll()));
}

} // namespace

BubbleMessageMarkup::BubbleMessageMarkup(AbsBubbleLinks &links) : m_links(links) {}

QString BubbleMessageMarkup::message(const _MsgMessage &message)
{
    // A reaction whose target is absent shows as a line of its own, like a group event.
    if (message.item_type != 0 || message.isReaction())
        return QStringLiteral("<div class=\"sysif\">%1</div>").arg(g_htmlEncode(message.summary()));

    const bool fromMe = message.is_from_me != 0;
    const QString name = senderName(message);
    QString html = dateLine(message);

    QString body;
    if (!message.subject().isEmpty())
        body = QStringLiteral("<Subject:%1>\n").arg(message.subject());
    body += message.bubbleText();
    const QList<_MsgAttachment *> attachments = message.attachments();
    if (!body.isEmpty() || attachments.isEmpty())
        html += bubbleContent(g_htmlEncode(body), fromMe, name);

    for (const _MsgAttachment *attachment : attachments) {
        const QString content = attachmentContent(*attachment);
        if (!content.isEmpty())
            html += bubbleContent(content, fromMe, name);
    }
    const QString badges = MsgReactions::badgeLine(message);
    if (!badges.isEmpty()) {
        html += QStringLiteral("<div class=\"tapback%1\">%2</div>")
                    .arg(fromMe ? QStringLiteral(" me") : QString(), g_htmlEncode(badges));
    }
    return html;
}

QString BubbleMessageMarkup::senderName(const _MsgMessage &message)
{
    if (message.is_from_me != 0 || !message.handle || !message.chat || !message.chat->isGroup())
        return QString();
    return message.handle->displayName(false);
}

QString BubbleMessageMarkup::dateLine(const _MsgMessage &message)
{
    const QDateTime time = dtFromDate21(message.date);
    const qint64 seconds = time.toSecsSinceEpoch();
    if (seconds - m_lastDateLine <= kDateLineGap)
        return QString();
    m_lastDateLine = seconds;
    const QDateTime local = LocalClock::toLocal(time);
    if (!m_daySeparators)
        return QStringLiteral("<div class=\"dt\">%1</div>")
            .arg(g_htmlEncode(local.toString(QStringLiteral("dd MMM yyyy h:mm AP"))));
    QString html;
    if (local.date() != m_lastDay) {
        m_lastDay = local.date();
        html = QStringLiteral("<div class=\"day\">%1</div>")
                   .arg(g_htmlEncode(QLocale().toString(m_lastDay, QLocale::LongFormat)));
    }
    return html + QStringLiteral("<div class=\"dt\">%1</div>")
                      .arg(g_htmlEncode(local.toString(QStringLiteral("h:mm AP"))));
}

QString BubbleMessageMarkup::attachmentContent(const _MsgAttachment &attachment)
{
    const QString &mime = attachment.mime_type;
    const QString href = m_links.fileLink(attachment.localPath);
    if (mime.startsWith(QLatin1String("image/"), Qt::CaseInsensitive)) {
        // Browsers show no HEIC: the picture opens as its JPEG rendering, the original beside.
        const QString rendering = attachment.jpegRendering();
        if (!rendering.isEmpty()) {
            return previewLink(m_links.fileLink(rendering), attachment.thumbnail(), kImageMaxSize,
                               "IDS_ATTA_IMAGE") +
                   QStringLiteral("<br/>") + labelLink(href, "IDS_ATTA_ORIGINAL");
        }
        return previewLink(href, attachment.thumbnail(), kImageMaxSize, "IDS_ATTA_IMAGE");
    }
    if (mime.startsWith(QLatin1String("video/"), Qt::CaseInsensitive))
        return labelLink(href, "IDS_ATTA_VIDEO");
    if (mime.startsWith(QLatin1String("audio/"), Qt::CaseInsensitive))
        return labelLink(href, "IDS_ATTA_AUDIO");
    if (isCard(mime)) {
        const QString card =
            attachment.localPath.isEmpty() ? QString() : vcard_thumbnail(attachment.localPath);
        if (!card.isEmpty() && QFileInfo(card).isFile())
            return previewLink(href, card, kCardMaxSize, "IDS_ATTA_VCARD");
        return labelLink(href, "IDS_ATTA_VCARD");
    }
    if (mime.compare(QLatin1String("text/plain"), Qt::CaseInsensitive) == 0)
        return plainTextPart(attachment.localPath);
    return labelLink(href, "IDS_ATTA_ATTACHMENT");
}

QString BubbleMessageMarkup::labelLink(const QString &href, const char *labelKey) const
{
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(href, g_htmlEncode(g_tr(labelKey)));
}

QString BubbleMessageMarkup::previewLink(const QString &href, const QString &picturePath,
                                         int maxSize, const char *labelKey)
{
    const QString src = m_links.pictureLink(picturePath);
    if (src.isEmpty())
        return labelLink(href, labelKey);
    const QString style = QStringLiteral("style=\"max-width:%1px;max-height:%1px\"").arg(maxSize);
    return g_imgClickableHtml(href, src, style);
}
