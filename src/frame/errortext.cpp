#include "frame/errortext.h"

QString g_oneLine(const QString &text)
{
    QString line;
    line.reserve(text.size());
    bool space = false;
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator) {
            space = true;
            continue;
        }
        if (space && !line.isEmpty())
            line += QLatin1Char(' ');
        space = false;
        line += c == QChar::ReplacementCharacter ? QLatin1Char('?') : c;
    }
    return line.trimmed();
}
