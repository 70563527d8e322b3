#include "ui/stylesheet.h"

#include "ui/uilogging.h"

#include <QFile>

namespace {

QString loadStyleSheet()
{
    QFile file(QStringLiteral(":/style.css"));
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcUi) << "style sheet missing from the resources";
        return QString();
    }
    QByteArray bytes = file.readAll();
    // Whatever follows a stray NUL byte is not style sheet text.
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    return QString::fromUtf8(bytes);
}

} // namespace

const QString &getStyleSheet()
{
    static const QString sheet = loadStyleSheet();
    return sheet;
}
