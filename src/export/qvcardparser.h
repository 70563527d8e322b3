#pragma once

#include "export/cardparser.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <memory>

// Collects the streaming parser's callbacks into cards, and writes cards back as bytes.
class QVCardParser
{
public:
    struct _Property
    {
        QString name;
        QMap<QString, QString> params; // a bare parameter has an empty value
        QByteArray data;               // the decoded value

        // The value as text in the character set its CHARSET parameter names; UTF-8 (or
        // ISO-8859-1 when the bytes are not UTF-8) when none is named or the name is unknown.
        QString toString() const;
        bool operator==(const _Property &other) const;
    };
    using Card = QList<_Property>;

    QVCardParser();
    ~QVCardParser();
    QVCardParser(const QVCardParser &) = delete;
    QVCardParser &operator=(const QVCardParser &) = delete;

    // Feeds the next piece of a file; false after a syntax error, which ends the parse (later
    // pieces are ignored). With final set, the last property is completed.
    bool feed(const char *bytes, std::size_t length, bool final);
    // What was collected so far, the card in progress included.
    const QList<Card> &cards() const { return m_cards; }

    // Parses a whole file; after a syntax error, the cards collected until then.
    static QList<Card> parse(const QByteArray &data);

    // BEGIN:VCARD, the properties (parameters in key order) and END:VCARD, lines ended by CR LF.
    // A value that would not survive as it stands (line breaks, leading white space) and has no
    // ENCODING parameter is written as quoted-printable.
    static QByteArray vcard2Bytes(const Card &properties);
    // The Base64 text of data cut into lines of lineLength characters, folded with "\r\n ".
    static QByteArray encodeBase64(const QByteArray &data, int lineLength);
    // Quoted-printable text of data; with lineLength > 0, soft line breaks "=\r\n " keep each line
    // below lineLength characters.
    static QByteArray encodeQuoted(const QByteArray &data, int lineLength);
    // Each property name mapped to its property; the last one of a name wins.
    static QMap<QString, _Property> vCardPropertiesMap(const Card &properties);

private:
    static void onProperty(void *userData, const char *name, const char **params);
    static void onData(void *userData, const char *data, std::size_t length);

    struct ParserDeleter
    {
        void operator()(CardParserRecord *parser) const { CARD_ParserFree(parser); }
    };
    std::unique_ptr<CardParserRecord, ParserDeleter> m_parser;
    QList<Card> m_cards;
    // Indices rather than pointers: appending to the lists may move their elements.
    qsizetype m_currentCard = -1;
    qsizetype m_currentProperty = -1;
    bool m_failed = false;
};
