#include "export/qvcardparser.h"

#include <gtest/gtest.h>

namespace {

QVCardParser::_Property property(const QString &name, const QByteArray &data,
                                 const QMap<QString, QString> &params = {})
{
    QVCardParser::_Property p;
    p.name = name;
    p.params = params;
    p.data = data;
    return p;
}

QByteArray allBytes()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(static_cast<char>(i));
    return bytes;
}

// What a parser reads back from an encoded value.
QByteArray decoded(const QByteArray &encoding, const QByteArray &value)
{
    const QList<QVCardParser::Card> cards = QVCardParser::parse(
        "BEGIN:VCARD\r\nX;ENCODING=" + encoding + ":" + value + "\r\nEND:VCARD\r\n");
    return cards.value(0).value(0).data;
}

} // namespace

TEST(VCardWriter, WriteThenParseGivesTheSameProperties)
{
    const QByteArray photo = allBytes().repeated(3);
    QVCardParser::_Property photoProperty = property("PHOTO", QVCardParser::encodeBase64(photo, 72),
                                                     {{"ENCODING", "b"}, {"TYPE", "JPEG"}});
    const QVCardParser::Card card = {
        property("VERSION", "3.0"),
        property("FN", QStringLiteral("Zo\u00eb \u00c5ngstr\u00f6m").toUtf8()),
        property("TEL", "+1 555 0100", {{"HOME", ""}, {"TYPE", "CELL"}}),
        property("ADR", ";;1 Main St;Town", {{"LABEL", "1 Main St: Flat 2; \"Town\" \\ x"}}),
        property("NOTE", "first line\r\nsecond line\n  indented"),
        property("X-SPACE", "  leading blanks"),
        photoProperty,
    };
    const QList<QVCardParser::Card> cards = QVCardParser::parse(QVCardParser::vcard2Bytes(card));
    ASSERT_EQ(cards.size(), 1);
    const QVCardParser::Card &back = cards[0];
    ASSERT_EQ(back.size(), card.size());
    for (qsizetype i = 0; i < card.size(); ++i) {
        EXPECT_EQ(back[i].name, card[i].name);
        EXPECT_EQ(back[i].params.value("LABEL"), card[i].params.value("LABEL"));
        EXPECT_EQ(back[i].params.value("TYPE"), card[i].params.value("TYPE"));
    }
    EXPECT_EQ(back[2].params, card[2].params);
    EXPECT_EQ(back[6].data, photo);
    // Values with line breaks or leading blanks were written quoted-printable and come back whole.
    for (const int i : {0, 1, 2, 3, 4, 5})
        EXPECT_EQ(back[i].data, card[i].data) << i;
}

TEST(VCardWriter, LayoutOfWrittenCard)
{
    const QByteArray bytes = QVCardParser::vcard2Bytes(
        {property("TEL", "1", {{"TYPE", "WORK"}, {"A", "x"}}), property("FN", "N")});
    EXPECT_EQ(bytes, QByteArray("BEGIN:VCARD\r\nTEL;A=x;TYPE=WORK:1\r\nFN:N\r\nEND:VCARD\r\n"));
}

TEST(VCardWriter, QuotedPrintableSurvivesEveryByteAndLineLength)
{
    const QByteArray bytes = allBytes();
    for (const int lineLength : {0, 1, 4, 8, 10, 76}) {
        const QByteArray encoded = QVCardParser::encodeQuoted(bytes, lineLength);
        EXPECT_EQ(decoded("QUOTED-PRINTABLE", encoded), bytes) << lineLength;
        for (const char c : encoded) {
            const auto byte = static_cast<uchar>(c);
            EXPECT_TRUE((byte >= 0x21 && byte <= 0x7E) || c == '\r' || c == '\n' || c == ' ');
        }
        if (lineLength == 0) {
            EXPECT_FALSE(encoded.contains('\n'));
        } else {
            // Too short a limit still makes progress: one piece per line at least.
            EXPECT_GE(encoded.count('\n'), encoded.size() / (qMax(lineLength, 5) + 3) - 1)
                << lineLength;
        }
        for (const QByteArray &line : encoded.split('\n')) {
            if (lineLength >= 8) {
                EXPECT_LE(line.size() - (line.endsWith('\r') ? 1 : 0), lineLength) << lineLength;
            }
        }
    }
    EXPECT_EQ(QVCardParser::encodeQuoted("a=b\xff", 0), QByteArray("a=3Db=FF"));
}

TEST(VCardWriter, Base64Lines)
{
    const QByteArray bytes = allBytes();
    for (const int lineLength : {0, 1, 5, 76}) {
        const QByteArray encoded = QVCardParser::encodeBase64(bytes, lineLength);
        EXPECT_EQ(decoded("BASE64", encoded), bytes) << lineLength;
        const QList<QByteArray> lines = encoded.split('\n');
        if (lineLength == 0) {
            EXPECT_EQ(lines.size(), 1);
        }
        for (qsizetype i = 0; lineLength > 0 && i < lines.size(); ++i) {
            // Every line but the first starts with the folding blank; all but the last end in CR.
            const qsizetype extra = (i > 0 ? 1 : 0) + (i + 1 < lines.size() ? 1 : 0);
            EXPECT_LE(lines[i].size() - extra, lineLength);
        }
    }
}

TEST(VCardWriter, PropertiesMapLastOfANameWins)
{
    const QMap<QString, QVCardParser::_Property> map = QVCardParser::vCardPropertiesMap(
        {property("EMAIL", "a@x"), property("FN", "F"), property("EMAIL", "b@x")});
    EXPECT_EQ(map.size(), 2);
    EXPECT_EQ(map.value("EMAIL").data, QByteArray("b@x"));
}
