#include "export/qvcardparser.h"

#include "export/exportlog.h"

#include <QStringDecoder>

namespace {

bool needsEncoding(const QByteArray &data)
{
    if (data.contains('\r') || data.contains('\n'))
        return true;
    // The parser drops white space before a value.
    return !data.isEmpty() && QByteArrayView(" \t\v\f").contains(data.front());
}

bool hasEncodingParam(const QMap<QString, QString> &params)
{
    for (auto it = params.cbegin(); it != params.cend(); ++it) {
        if (it.key().compare(QLatin1String("ENCODING"), Qt::CaseInsensitive) == 0)
            return true;
        for (const char *name : {"QUOTED-PRINTABLE", "BASE64", "B", "8BIT"}) {
            if (it.value().isEmpty() &&
                it.key().compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return false;
}

// Names and parameter keys cannot carry the characters that delimit them.
QByteArray cleanName(const QString &name, const char *forbidden)
{
    QByteArray result;
    for (const char c : name.toUtf8()) {
        if (!QByteArrayView(forbidden).contains(c) && !QChar::isSpace(static_cast<uchar>(c)))
            result.append(c);
    }
    return result;
}

QByteArray paramValueBytes(const QString &value)
{
    const QByteArray bytes = value.toUtf8();
    bool plain = true;
    for (const char c : bytes) {
        if (QByteArrayView(":;\"\\,").contains(c) || QChar::isSpace(static_cast<uchar>(c)))
            plain = false;
    }
    if (plain)
        return bytes;
    QByteArray quoted("\"");
    for (const char c : bytes) {
        if (c == '"' || c == '\\')
            quoted.append('\\');
        quoted.append(c);
    }
    return quoted.append('"');
}

void writeProperty(QByteArray &out, const QVCardParser::_Property &property)
{
    out.append(cleanName(property.name, ":;"));
    QMap<QString, QString> params = property.params;
    QByteArray data = property.data;
    if (needsEncoding(data) && !hasEncodingParam(params)) {
        params.insert(QStringLiteral("ENCODING"), QStringLiteral("QUOTED-PRINTABLE"));
        data = QVCardParser::encodeQuoted(data, 76);
    }
    for (auto it = params.cbegin(); it != params.cend(); ++it) {
        out.append(';').append(cleanName(it.key(), ":;=\""));
        // An empty value would read back as a syntax error; such a parameter is a bare one.
        if (!it.value().isEmpty())
            out.append('=').append(paramValueBytes(it.value()));
    }
    out.append(':').append(data).append("\r\n");
}

QString decodeWith(QStringDecoder &decoder, const QByteArray &data)
{
    QString text = decoder.decode(data);
    return decoder.hasError() ? QString() : text;
}

} // namespace

QString QVCardParser::_Property::toString() const
{
    for (auto it = params.cbegin(); it != params.cend(); ++it) {
        if (it.key().compare(QLatin1String("CHARSET"), Qt::CaseInsensitive) != 0)
            continue;
        QStringDecoder named(it.value().toLatin1().constData(), QStringDecoder::Flag::Stateless);
        if (named.isValid())
            return named.decode(data);
        qCDebug(lcExport) << "unknown character set" << it.value();
    }
    // Stateless, so that a sequence cut off at the end counts as an error, not as pending.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decodeWith(utf8, data);
    if (!text.isNull() || data.isEmpty())
        return text;
    return QString::fromLatin1(data);
}

bool QVCardParser::_Property::operator==(const _Property &other) const
{
    return name == other.name && params == other.params && data == other.data;
}

QVCardParser::QVCardParser() : m_parser(CARD_ParserCreate())
{
    CARD_SetUserData(m_parser.get(), this);
    CARD_SetPropHandler(m_parser.get(), &QVCardParser::onProperty);
    CARD_SetDataHandler(m_parser.get(), &QVCardParser::onData);
}

QVCardParser::~QVCardParser() = default;

bool QVCardParser::feed(const char *bytes, std::size_t length, bool final)
{
    if (m_failed)
        return false;
    if (!CARD_Parse(m_parser.get(), bytes, length, final ? 1 : 0)) {
        qCDebug(lcExport) << "contact card syntax error after" << m_cards.size() << "cards";
        m_failed = true;
    }
    return !m_failed;
}

QList<QVCardParser::Card> QVCardParser::parse(const QByteArray &data)
{
    QVCardParser parser;
    parser.feed(data.constData(), static_cast<std::size_t>(data.size()), true);
    return parser.m_cards;
}

void QVCardParser::onProperty(void *userData, const char *name, const char **params)
{
    auto *self = static_cast<QVCardParser *>(userData);
    const QString propName = QString::fromUtf8(name);
    self->m_currentProperty = -1;
    if (propName.compare(QLatin1String("BEGIN"), Qt::CaseInsensitive) == 0) {
        self->m_cards.append(Card());
        self->m_currentCard = self->m_cards.size() - 1;
        return;
    }
    if (propName.compare(QLatin1String("END"), Qt::CaseInsensitive) == 0) {
        self->m_currentCard = -1;
        return;
    }
    if (self->m_currentCard < 0)
        return;
    _Property property;
    property.name = propName;
    for (const char **p = params; *p; p += 2)
        property.params.insert(QString::fromUtf8(p[0]), p[1] ? QString::fromUtf8(p[1]) : QString());
    Card &card = self->m_cards[self->m_currentCard];
    card.append(property);
    self->m_currentProperty = card.size() - 1;
}

void QVCardParser::onData(void *userData, const char *data, std::size_t length)
{
    auto *self = static_cast<QVCardParser *>(userData);
    if (length == 0 || self->m_currentCard < 0 || self->m_currentProperty < 0)
        return;
    self->m_cards[self->m_currentCard][self->m_currentProperty].data =
        QByteArray(data, static_cast<qsizetype>(length));
}

QByteArray QVCardParser::vcard2Bytes(const Card &properties)
{
    QByteArray out("BEGIN:VCARD\r\n");
    for (const _Property &property : properties)
        writeProperty(out, property);
    return out.append("END:VCARD\r\n");
}

QByteArray QVCardParser::encodeBase64(const QByteArray &data, int lineLength)
{
    const QByteArray text = data.toBase64();
    if (lineLength <= 0)
        return text;
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); i += lineLength) {
        if (i > 0)
            out.append("\r\n ");
        out.append(text.mid(i, lineLength));
    }
    return out;
}

QByteArray QVCardParser::encodeQuoted(const QByteArray &data, int lineLength)
{
    static const char hex[] = "0123456789ABCDEF";
    // An escape is never split by a soft break, so each line holds at least one piece.
    const int limit = qMax(1, lineLength - 3);
    QByteArray out;
    int column = 0;
    for (const char c : data) {
        const auto byte = static_cast<uchar>(c);
        const bool keep = byte >= 0x21 && byte <= 0x7E && c != '=';
        if (lineLength > 0 && column >= limit) {
            out.append("=\r\n ");
            column = 1;
        }
        if (keep) {
            out.append(c);
            ++column;
        } else {
            out.append('=').append(hex[byte >> 4]).append(hex[byte & 0x0F]);
            column += 3;
        }
    }
    return out;
}

QMap<QString, QVCardParser::_Property> QVCardParser::vCardPropertiesMap(const Card &properties)
{
    QMap<QString, _Property> map;
    for (const _Property &property : properties)
        map.insert(property.name, property);
    return map;
}
