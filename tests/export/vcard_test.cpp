#include "export/cardparser.h"
#include "export/qvcardparser.h"

#include <gtest/gtest.h>

#include <QStringEncoder>
#include <string>
#include <vector>

namespace {

// Every callback of the streaming parser, in order, as text.
struct Recorder
{
    std::vector<std::string> events;

    static void onProp(void *user, const char *name, const char **params)
    {
        std::string event = std::string("prop ") + name;
        for (const char **p = params; *p; p += 2)
            event += std::string(" ") + p[0] + (p[1] ? std::string("=") + p[1] : std::string("!"));
        static_cast<Recorder *>(user)->events.push_back(event);
    }
    static void onData(void *user, const char *data, std::size_t length)
    {
        static_cast<Recorder *>(user)->events.push_back(data ? "data " + std::string(data, length)
                                                             : std::string("end ") +
                                                                   std::to_string(length));
    }
};

struct ParseRun
{
    int result = 1;
    std::vector<std::string> events;
};

ParseRun runParser(const std::string &text, std::size_t pieceSize)
{
    Recorder recorder;
    CARD_Parser parser = CARD_ParserCreate();
    CARD_SetUserData(parser, &recorder);
    CARD_SetPropHandler(parser, &Recorder::onProp);
    CARD_SetDataHandler(parser, &Recorder::onData);
    ParseRun run;
    for (std::size_t at = 0; run.result && at < text.size(); at += pieceSize)
        run.result = CARD_Parse(parser, text.data() + at, std::min(pieceSize, text.size() - at), 0);
    if (run.result)
        run.result = CARD_Parse(parser, nullptr, 0, 1);
    CARD_ParserFree(parser);
    run.events = recorder.events;
    return run;
}

QVCardParser::Card onlyCard(const QByteArray &text)
{
    const QList<QVCardParser::Card> cards = QVCardParser::parse(text);
    EXPECT_EQ(cards.size(), 1);
    return cards.value(0);
}

QByteArray dataOf(const QByteArray &text, const QString &name)
{
    return QVCardParser::vCardPropertiesMap(onlyCard(text)).value(name).data;
}

} // namespace

TEST(CardParser, CallbacksCarryNameParametersAndDecodedValue)
{
    EXPECT_STREQ(CARD_ParserVersion(), "1.0");
    const ParseRun run = runParser("TEL;HOME;TYPE=CELL:+1 555\r\nNOTE:\r\n", 1000);
    EXPECT_EQ(run.result, 1);
    const std::vector<std::string> expected = {"prop TEL HOME! TYPE=CELL", "data +1 555", "end 0",
                                               "prop NOTE", "end 0"};
    EXPECT_EQ(run.events, expected);
}

TEST(CardParser, PiecesOfAnySizeGiveTheSameCallbacks)
{
    const std::string text = "BEGIN:VCARD\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:a=3Db=\r\n"
                             " c=\r\nd\r\nPHOTO;ENCODING=b:QUJD\r\n REVG\r\n\tR0g=\r\n"
                             "X-P;A=\"x:y;z\";B=p\\;q:v\r\nEND:VCARD";
    const ParseRun whole = runParser(text, text.size());
    for (const std::size_t piece : {1, 2, 3, 7}) {
        const ParseRun pieces = runParser(text, piece);
        EXPECT_EQ(pieces.result, whole.result) << piece;
        EXPECT_EQ(pieces.events, whole.events) << piece;
    }
}

TEST(CardParser, LastPropertyNeedsTheFinalCall)
{
    Recorder recorder;
    CARD_Parser parser = CARD_ParserCreate();
    CARD_SetUserData(parser, &recorder);
    EXPECT_EQ(CARD_GetUserData(parser), &recorder);
    CARD_SetPropHandler(parser, &Recorder::onProp);
    CARD_SetDataHandler(parser, &Recorder::onData);
    const std::string text = "FN:Ann\r\n";
    EXPECT_EQ(CARD_Parse(parser, text.data(), text.size(), 0), 1);
    EXPECT_EQ(recorder.events.size(), 1u); // the property, but its line may still be folded
    EXPECT_EQ(CARD_Parse(parser, nullptr, 0, 1), 1);
    const std::vector<std::string> expected = {"prop FN", "data Ann", "end 0"};
    EXPECT_EQ(recorder.events, expected);
    CARD_ParserFree(parser);
}

TEST(CardParser, SyntaxErrorsFail)
{
    for (const char *bad : {"TEL;:123", "TEL;TYPE=:123", "TEL;TYPE=;X:123", "PHOTO;BASE64:=AAA",
                            "PHOTO;BASE64:AB$A", "PHOTO;BASE64:ABC$"})
        EXPECT_EQ(runParser(bad + std::string("\r\n"), 100).result, 0) << bad;
    // Padding makes the rest of the quantum unused, so what stands there does not matter.
    EXPECT_EQ(runParser("PHOTO;BASE64:QQ=$\r\n", 100).result, 1);
}

TEST(CardParser, OverlongLineFailsInsteadOfGrowingWithoutBound)
{
    const std::string value(kCardMaxLineLength + 10, 'x');
    EXPECT_EQ(runParser("NOTE:" + value + "\r\n", 1 << 20).result, 0);
    EXPECT_EQ(runParser("X-" + value + ":v\r\n", 1 << 20).result, 0);
    // The limit is on one line, not on the file.
    const std::string half(kCardMaxLineLength / 2, 'y');
    EXPECT_EQ(runParser("A:" + half + "\r\nB:" + half + "\r\n", 1 << 20).result, 1);
}

TEST(QVCardParserTest, SimpleCardWithCrLf)
{
    const QVCardParser::Card card = onlyCard("BEGIN:VCARD\r\nFN:John Smith\r\nEND:VCARD\r\n");
    ASSERT_EQ(card.size(), 1);
    EXPECT_EQ(card[0].name, QStringLiteral("FN"));
    EXPECT_TRUE(card[0].params.isEmpty());
    EXPECT_EQ(card[0].data, QByteArray("John Smith"));
}

// Folds, quoted-printable and base64 of every version decode to the same bytes.
TEST(QVCardParserTest, ValuesAreUnfoldedAndDecoded)
{
    const QByteArray bytes("\x00\xff\x10 binary\r\n", 11);
    const QByteArray b64 = bytes.toBase64();
    const struct
    {
        QByteArray body; // between BEGIN and END
        const char *name;
        QByteArray expected;
    } cases[] = {
        // A folded line is joined with one blank in place of the break and its white space.
        {"NOTE:first\r\n second\r\n", "NOTE", "first second"},
        {"NOTE:first\n\tsecond\n", "NOTE", "first second"},
        {"N;ENCODING=QUOTED-PRINTABLE:=41=42\r\n", "N", "AB"},
        // Soft line breaks: unindented as version 2.1 writers make them, and indented.
        {"NOTE;QUOTED-PRINTABLE:one=0D=0Atw=\r\no=\r\n three\r\n", "NOTE", "one\r\ntwothree"},
        // A "=" that starts no escape stays as written.
        {"NOTE;encoding=quoted-printable:1+1=2x\r\n", "NOTE", "1+1=2x"},
        // Version 2.1: a bare parameter, the value folded over indented lines up to a blank line.
        {"PHOTO;BASE64:\r\n " + b64.left(5) + "\r\n " + b64.mid(5) + "\r\n\r\n", "PHOTO", bytes},
        // Version 3.0: ENCODING=b, the fold splitting a quantum.
        {"PHOTO;ENCODING=b;TYPE=JPEG:" + b64.left(6) + "\r\n " + b64.mid(6) + "\r\n", "PHOTO",
         bytes},
        // Missing padding is supplied at the end of the value.
        {"X;ENCODING=BASE64:QUJD RA\r\n", "X", "ABCD"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(dataOf("BEGIN:VCARD\r\n" + c.body + "END:VCARD\r\n", QLatin1String(c.name)),
                  c.expected)
            << c.body.toStdString();
}

TEST(QVCardParserTest, FoldedNamesAndParameters)
{
    // Names and parameters may be folded too; blank lines vanish.
    const QVCardParser::Card card =
        onlyCard("BEGIN:VCARD\r\n\r\nTEL;TY\r\n PE=CELL:1\r\n\r\n2\r\nEND:VCARD\r\n");
    ASSERT_EQ(card.size(), 1);
    EXPECT_EQ(card[0].params.value("TYPE"), QStringLiteral("CELL"));
    EXPECT_EQ(card[0].data, QByteArray("1"));
}

TEST(QVCardParserTest, BareAndCharsetParameters)
{
    const QByteArray latin1 = QStringEncoder(QStringEncoder::Latin1)(QStringLiteral("Jos\u00e9"));
    const QVCardParser::Card card =
        onlyCard("BEGIN:VCARD\r\nTEL;HOME;CHARSET=ISO-8859-1:" + latin1 + "\r\nEND:VCARD\r\n");
    ASSERT_EQ(card.size(), 1);
    EXPECT_EQ(card[0].params.size(), 2);
    EXPECT_TRUE(card[0].params.contains("HOME"));
    EXPECT_TRUE(card[0].params.value("HOME").isEmpty());
    EXPECT_EQ(card[0].toString(), QStringLiteral("Jos\u00e9"));
}

TEST(QVCardParserTest, ParameterValuesQuotedOrEscaped)
{
    const QVCardParser::Card card = onlyCard(
        "BEGIN:VCARD\r\nADR;LABEL=\"1 Main St: Flat 2; Town\";X=a\\;b;Y=c\\d:;;1 Main St\r\n"
        "END:VCARD\r\n");
    ASSERT_EQ(card.size(), 1);
    EXPECT_EQ(card[0].params.value("LABEL"), QStringLiteral("1 Main St: Flat 2; Town"));
    EXPECT_EQ(card[0].params.value("X"), QStringLiteral("a;b"));
    EXPECT_EQ(card[0].params.value("Y"), QStringLiteral("c\\d"));
    EXPECT_EQ(card[0].data, QByteArray(";;1 Main St"));
}

TEST(QVCardParserTest, CharacterSets)
{
    const QString name = QStringLiteral("\u5c71\u7530\u592a\u90ce");
    for (const char *charset : {"Shift_JIS", "GBK", "UTF-8", "ISO-8859-1"}) {
        const QString text =
            QByteArray(charset) == "ISO-8859-1" ? QStringLiteral("M\u00fcller") : name;
        QStringEncoder encoder(charset);
        ASSERT_TRUE(encoder.isValid()) << charset;
        const QByteArray encoded = encoder(text);
        const QVCardParser::Card card =
            onlyCard("BEGIN:VCARD\r\nFN;CHARSET=" + QByteArray(charset) + ":" + encoded +
                     "\r\nEND:VCARD\r\n");
        EXPECT_EQ(card.value(0).toString(), text) << charset;
    }
    // Without a character set, or with one nobody knows: UTF-8, else ISO-8859-1.
    const QByteArray utf8 = QStringLiteral("Zo\u00eb").toUtf8();
    const QVCardParser::Card card =
        onlyCard("BEGIN:VCARD\r\nFN:" + utf8 + "\r\nN;CHARSET=X-NONE:" + utf8 +
                 "\r\nORG:Caf\xe9\r\nEND:VCARD\r\n");
    ASSERT_EQ(card.size(), 3);
    EXPECT_EQ(card[0].toString(), QStringLiteral("Zo\u00eb"));
    EXPECT_EQ(card[1].toString(), QStringLiteral("Zo\u00eb"));
    EXPECT_EQ(card[2].toString(), QStringLiteral("Caf\u00e9"));
}

TEST(QVCardParserTest, SeveralCardsAndGarbage)
{
    const QList<QVCardParser::Card> cards = QVCardParser::parse(
        "From: someone\r\nno colon here\r\nNOTE:outside\r\nBEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n"
        "junk junk\r\nTEL;HOME\r\nEMAIL:outside@example.com\r\nbegin:vcard\r\nFN:B\r\nTEL:1\r\n"
        "end:vcard\r\n");
    ASSERT_EQ(cards.size(), 2);
    ASSERT_EQ(cards[0].size(), 1);
    EXPECT_EQ(cards[0][0].data, QByteArray("A"));
    ASSERT_EQ(cards[1].size(), 2);
    EXPECT_EQ(cards[1][1].data, QByteArray("1"));
}

TEST(QVCardParserTest, PropertyOutsideCardLeavesPreviousDataAlone)
{
    const QList<QVCardParser::Card> cards =
        QVCardParser::parse("BEGIN:VCARD\r\nFN:Kept\r\nEND:VCARD\r\nFN:Stray\r\n");
    ASSERT_EQ(cards.size(), 1);
    EXPECT_EQ(cards[0].value(0).data, QByteArray("Kept"));
}

TEST(QVCardParserTest, SyntaxErrorKeepsWhatCameBefore)
{
    const QList<QVCardParser::Card> cards = QVCardParser::parse(
        "BEGIN:VCARD\r\nFN:One\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:Two\r\nTEL;:1\r\nEMAIL:x\r\n"
        "END:VCARD\r\n");
    ASSERT_EQ(cards.size(), 2);
    ASSERT_EQ(cards[1].size(), 1);
    EXPECT_EQ(cards[1][0].data, QByteArray("Two"));

    QVCardParser parser;
    const QByteArray bad("BEGIN:VCARD\r\nTEL;:1\r\n");
    EXPECT_FALSE(parser.feed(bad.constData(), bad.size(), false));
    const QByteArray good("FN:Later\r\n");
    EXPECT_FALSE(parser.feed(good.constData(), good.size(), true));
    EXPECT_EQ(parser.cards().value(0).size(), 0);
}

TEST(QVCardParserTest, NotACard)
{
    for (const QByteArray &text : {QByteArray(), QByteArray("hello world\nsecond line\n"),
                                   QByteArray("\x00\x01\x02\xff:\n", 6)})
        EXPECT_TRUE(QVCardParser::parse(text).isEmpty()) << text.toStdString();
}
