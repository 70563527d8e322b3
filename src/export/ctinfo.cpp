#include "export/ctinfo.h"

#include <QUrl>

namespace {

// Text values may escape their separators and line breaks with a backslash.
QString unescapeText(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            result.append(c);
            continue;
        }
        const QChar next = text.at(++i);
        result.append((next == QLatin1Char('n') || next == QLatin1Char('N'))
                          ? QChar(QLatin1Char('\n'))
                          : next);
    }
    return result;
}

// Splits a structured value at its unescaped ";" and joins the non-empty parts.
QString joinParts(const QString &text, const QString &separator)
{
    QStringList parts;
    QString part;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            part.append(c).append(text.at(++i));
        } else if (c == QLatin1Char(';')) {
            parts.append(part);
            part.clear();
        } else {
            part.append(c);
        }
    }
    parts.append(part);
    QStringList shown;
    for (const QString &p : parts) {
        const QString clean = unescapeText(p).trimmed();
        if (!clean.isEmpty())
            shown.append(clean);
    }
    return shown.join(separator);
}

// Given and family name from N (family;given;additional;prefix;suffix), for cards without FN.
QString nameFromN(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(';'));
    QStringList shown;
    for (const int index : {3, 1, 2, 0, 4}) {
        const QString part =
            index < parts.size() ? unescapeText(parts.at(index)).trimmed() : QString();
        if (!part.isEmpty())
            shown.append(part);
    }
    return shown.join(QLatin1Char(' '));
}

QByteArray photoBytes(const QVCardParser::_Property &property)
{
    // Version 4 cards carry the picture as a data: URI; links to elsewhere are not followed.
    if (!property.data.startsWith("data:"))
        return property.data;
    const qsizetype comma = property.data.indexOf(',');
    if (comma < 0)
        return QByteArray();
    const QByteArray header = property.data.mid(5, comma - 5).toLower();
    const QByteArray payload = property.data.mid(comma + 1);
    if (header.endsWith(";base64"))
        return QByteArray::fromBase64(payload);
    return QByteArray::fromPercentEncoding(payload);
}

bool is(const QVCardParser::_Property &property, const char *name)
{
    return property.name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

} // namespace

ct_info ct_info::fromCard(const QVCardParser::Card &card)
{
    ct_info info;
    QString structuredName;
    for (const QVCardParser::_Property &property : card) {
        if (is(property, "PHOTO")) {
            info.photo = photoBytes(property);
            continue;
        }
        const QString text = property.toString();
        if (is(property, "FN"))
            info.name = unescapeText(text).trimmed();
        else if (is(property, "N"))
            structuredName = nameFromN(text);
        else if (is(property, "BDAY"))
            info.birthday = text.trimmed();
        else if (is(property, "ADR"))
            info.address = joinParts(text, QStringLiteral(", "));
        else if (is(property, "TEL"))
            info.phones.append(unescapeText(text).trimmed());
        else if (is(property, "EMAIL"))
            info.email = unescapeText(text).trimmed();
        else if (is(property, "TITLE"))
            info.title = unescapeText(text).trimmed();
        else if (is(property, "ORG"))
            info.organisation = joinParts(text, QStringLiteral(", "));
    }
    if (info.name.isEmpty())
        info.name = structuredName;
    return info;
}
