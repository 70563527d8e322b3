#pragma once

#include <QString>

// Markup pieces shared by the bubble view, the HTML export and printing. Every page is XHTML, so
// everything written here is well-formed XML.

// Message text as page content: "&", "<" and ">" escaped, line breaks ("\n" or "\r\n") as
// "<br/>", emoji as pictures "<img src=\"emoji/CODE.png\" />" (an emoji without a shipped
// picture stays a character). Characters XML cannot carry (control characters, stray surrogates,
// U+FFFE, U+FFFF) become U+FFFD, so that a damaged message cannot break the page.
QString g_htmlEncode(const QString &text);

// A value for a double-quoted attribute: "&", "<", ">" and '"' escaped.
QString g_htmlAttribute(const QString &value);

// A relative link ("files/a&b #1.jpg") as an attribute value: every path segment percent-encoded
// so that "#", "?" and "%" in a file name do not cut the link, then escaped for the attribute.
QString g_relativeLinkAttribute(const QString &relativePath);

// One speech bubble: the sender's name line when name is not empty, then the bubble ("bb2" sent,
// "bb1" received) with its nine background cells around content, which is markup already.
QString bubbleContent(const QString &content, bool isFromMe, const QString &name);

// A picture that opens its file: href and src are attribute values already encoded.
QString g_imgClickableHtml(const QString &href, const QString &src, const QString &attributes);

// The start of a bubble page up to and including "<body>": XHTML 1.0 Transitional document type,
// UTF-8 content type, the title and the style sheet at styleSheetHref (a relative link).
QString g_bubblePageHead(const QString &title, const QString &styleSheetHref);

// The end of a bubble page.
QString g_bubblePageTail();
