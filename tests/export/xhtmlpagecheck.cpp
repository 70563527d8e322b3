#include "xhtmlpagecheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QXmlStreamReader>

namespace {

XhtmlPageCheck check(const QByteArray &xml, const QString &baseDir)
{
    XhtmlPageCheck result;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        if (attributes.hasAttribute(QStringLiteral("class")))
            result.classes << attributes.value(QStringLiteral("class")).toString();
        for (const char *name : {"href", "src"}) {
            if (!attributes.hasAttribute(QLatin1String(name)))
                continue;
            const QString link = attributes.value(QLatin1String(name)).toString();
            result.links << link;
            const QString path = QUrl::fromPercentEncoding(link.toUtf8());
            if (link != QLatin1String("#") && !QFileInfo(QDir(baseDir).filePath(path)).isFile())
                result.missing << link;
        }
    }
    if (reader.hasError()) {
        result.error = QStringLiteral("%1 at line %2 column %3")
                           .arg(reader.errorString())
                           .arg(reader.lineNumber())
                           .arg(reader.columnNumber());
    }
    return result;
}

} // namespace

XhtmlPageCheck checkXhtmlPage(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        XhtmlPageCheck result;
        result.error = file.errorString();
        return result;
    }
    return check(file.readAll(), QFileInfo(path).absolutePath());
}

XhtmlPageCheck checkXhtmlFragment(const QString &markup, const QString &baseDir)
{
    return check(QStringLiteral("<div>%1</div>").arg(markup).toUtf8(), baseDir);
}
