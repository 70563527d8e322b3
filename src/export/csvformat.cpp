#include "export/csvformat.h"

#include <QRegularExpression>

namespace {

bool looksLikeFormula(const QString &text)
{
    static const QString triggers = QStringLiteral("=+-@\t\r");
    if (text.isEmpty() || !triggers.contains(text.front()))
        return false;
    static const QRegularExpression plainNumber(
        QStringLiteral("^[+-]?[0-9 ().+-]*[0-9][0-9 ().+-]*$"));
    return !plainNumber.match(text).hasMatch();
}

bool needsQuotes(const QString &text)
{
    for (const QChar c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char(',') ||
            c == QLatin1Char('"'))
            return true;
    }
    return false;
}

} // namespace

QString g_csvFormat(const QString &text)
{
    QString cell = looksLikeFormula(text) ? QLatin1Char('\'') + text : text;
    if (!needsQuotes(cell))
        return cell;
    cell.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + cell + QLatin1Char('"');
}
