#include "export/htmlmarkup.h"

#include "export/picturedirs.h"
#include "model/msgfunctions.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace {

bool isXmlCharacter(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

QString withXmlCharactersOnly(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            result += c;
            result += text.at(++i);
        } else if (c.isSurrogate() || !isXmlCharacter(c.unicode())) {
            result += QChar::ReplacementCharacter;
        } else {
            result += c;
        }
    }
    return result;
}

QString emojiPicture(const QString &code, void *)
{
    if (g_hasEmojiPicture(code))
        return QStringLiteral("<img src=\"emoji/%1.png\" />").arg(code);
    bool ok = false;
    const char32_t codePoint = code.toUInt(&ok, 16);
    return ok ? QString::fromUcs4(&codePoint, 1) : QString();
}

// True when encoding would give the text back unchanged: printable ASCII without the characters
// markup reserves (no line breaks, no emoji, nothing outside XML), as most message texts are.
bool isPlainAscii(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u > 0x7E || u == u'&' || u == u'<' || u == u'>')
            return false;
    }
    return true;
}

// The opening of a bubble's frame: its side's class and the nine cells of the picture around it.
QString frameOpening(const char *side)
{
    static const char *const cells[] = {"top_left",    "top_middle",    "top_right",
                                        "middle_left", "middle_middle", "middle_right",
                                        "bottom_left", "bottom_middle", "bottom_right"};
    QString html = QStringLiteral("<div class=\"%1\">").arg(QLatin1String(side));
    for (const char *cell : cells)
        html += QStringLiteral("<div class=\"bb_bg %1\"></div>").arg(QLatin1String(cell));
    return html;
}

} // namespace

QString g_htmlEncode(const QString &text)
{
    if (isPlainAscii(text))
        return text;
    static const QRegularExpression lineBreak(QStringLiteral("\r?\n"));
    QString encoded = withXmlCharactersOnly(text);
    encoded.replace(QLatin1Char('&'), QLatin1String("&amp;"))
        .replace(QLatin1Char('<'), QLatin1String("&lt;"))
        .replace(QLatin1Char('>'), QLatin1String("&gt;"))
        .replace(lineBreak, QStringLiteral("<br/>"));
    return emoji_replace(encoded, emojiPicture, nullptr);
}

QString g_htmlAttribute(const QString &value)
{
    QString encoded = withXmlCharactersOnly(value);
    encoded.replace(QLatin1Char('&'), QLatin1String("&amp;"))
        .replace(QLatin1Char('<'), QLatin1String("&lt;"))
        .replace(QLatin1Char('>'), QLatin1String("&gt;"))
        .replace(QLatin1Char('"'), QLatin1String("&quot;"));
    return encoded;
}

QString g_relativeLinkAttribute(const QString &relativePath)
{
    QStringList segments = relativePath.split(QLatin1Char('/'));
    for (QString &segment : segments)
        segment = QString::fromLatin1(QUrl::toPercentEncoding(segment));
    return g_htmlAttribute(segments.join(QLatin1Char('/')));
}

QString bubbleContent(const QString &content, bool isFromMe, const QString &name)
{
    // The frame's nine cells are the same around every bubble of a side.
    static const QString received = frameOpening("bb1");
    static const QString sent = frameOpening("bb2");
    static const QString closeFrame = QStringLiteral("</div><div class=\"clear\"></div>");
    QString html;
    if (!name.isEmpty()) {
        html += QStringLiteral("<div class=\"ct_left\">%1</div><div class=\"clear\"></div>")
                    .arg(g_htmlEncode(name));
    }
    html += isFromMe ? sent : received;
    html += content;
    html += closeFrame;
    return html;
}

QString g_imgClickableHtml(const QString &href, const QString &src, const QString &attributes)
{
    return QStringLiteral("<a href=\"%1\"><img src=\"%2\" %3 /></a>").arg(href, src, attributes);
}

QString g_bubblePageHead(const QString &title, const QString &styleSheetHref)
{
    return QStringLiteral(
               "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
               "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n"
               "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n"
               "<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\n"
               "<title>%1</title>\n"
               "<link href=\"%2\" type=\"text/css\" rel=\"stylesheet\"/></head><body>\n")
        .arg(g_htmlEncode(title), g_relativeLinkAttribute(styleSheetHref));
}

QString g_bubblePageTail()
{
    return QStringLiteral("</body></html>");
}
