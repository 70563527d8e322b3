#pragma once

#include <QString>
#include <QStringList>

// What a generated page holds, read as XML the way a strict browser would read XHTML.
struct XhtmlPageCheck
{
    QString error;       // the parser's complaint; empty for a well-formed page
    QStringList links;   // every href and src value, as written (decoded from XML)
    QStringList missing; // links that name no file relative to the page's folder
    QStringList classes; // every class attribute value

    bool wellFormed() const { return error.isEmpty(); }
};

// Parses the page at path; links are resolved relative to its folder after percent-decoding;
// "#" names nothing and is never missing.
XhtmlPageCheck checkXhtmlPage(const QString &path);
// The same for markup that is not a whole page: it is wrapped in an element first.
XhtmlPageCheck checkXhtmlFragment(const QString &markup, const QString &baseDir);
