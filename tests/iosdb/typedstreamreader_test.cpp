// The archived message bodies of later phones, checked against byte sequences worked out by hand
// from the format's description.
#include "fixtures/typedstreamwriter.h"
#include "iosdb/typedstreamreader.h"
#include "model/msgfunctions.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

const QByteArray kHeader =
    QByteArray::fromHex("040B") + "streamtyped" + QByteArray::fromHex("81E803");
// The root attributed string's class chain, then the string object with its class, up to the
// "+" value's length.
const QByteArray kUpToString = QByteArray::fromHex("84014084848419") + "NSMutableAttributedString" +
                               QByteArray::fromHex("00848412") + "NSAttributedString" +
                               QByteArray::fromHex("00848408") + "NSObject" +
                               QByteArray::fromHex("008592848484") + QByteArray::fromHex("08") +
                               "NSString" + QByteArray::fromHex("019584012B");

QByteArray archive(const QByteArray &length, const QByteArray &text,
                   const QByteArray &tail = "\x86\x86")
{
    return kHeader + kUpToString + length + text + tail;
}

struct Case
{
    const char *name;
    QByteArray bytes;
    std::optional<QString> text;
};

} // namespace

TEST(TypedStreamReader, ReadsTheBodyOrNothing)
{
    const QByteArray long157(157, 'x');
    const QByteArray bigEndian = QByteArray::fromHex("040B") + "typedstream" +
                                 QByteArray::fromHex("8103E8") + kUpToString +
                                 QByteArray::fromHex("81009D") + long157 + "\x86\x86";
    const Case cases[] = {
        {"one-byte length", archive("\x0A", "Noter test"), QStringLiteral("Noter test")},
        {"two-byte length", archive(QByteArray::fromHex("819D00"), long157), QString(long157)},
        {"big-endian stream", bigEndian, QString(long157)},
        {"64-bit length", archive(QByteArray::fromHex("870500000000000000"), "hello"),
         QStringLiteral("hello")},
        {"text then cut short", archive("\x05", "hello", ""), QStringLiteral("hello")},
        {"an attachment body", msgAttaAttributeBody(QStringLiteral("AT-1")),
         QString(QChar(0xFFFC))},
        {"length past the end", archive("\x0A", "Noter"), std::nullopt},
        {"negative length", archive("\xF0", "Noter"), std::nullopt},
        {"tag as length", archive("\x84", "Noter"), std::nullopt},
        {"reference to no class",
         QByteArray(archive("\x02", "hi"))
             .replace(QByteArray::fromHex("019584"), QByteArray::fromHex("01A084")),
         std::nullopt},
        {"C string before the text",
         QByteArray(archive("\x02", "hi"))
             .replace(QByteArray::fromHex("008592"), QByteArray::fromHex("008584012A8484016992")),
         QStringLiteral("hi")},
        {"C string without its tag",
         QByteArray(archive("\x02", "hi"))
             .replace(QByteArray::fromHex("008592"), QByteArray::fromHex("008584012A016992")),
         std::nullopt},
        {"wrong signature", QByteArray(archive("\x02", "hi")).replace("streamtyped", "streamtypes"),
         std::nullopt},
        {"property list", QByteArrayLiteral("bplist00\xD0\x08"), std::nullopt},
        {"empty", QByteArray(), std::nullopt},
        {"header only", kHeader, std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TypedStreamReader::attributedText(c.bytes), c.text) << c.name;
}

TEST(TypedStreamReader, ReadsWhatTheFixtureWriterWrites)
{
    for (const QString &text : {QStringLiteral("plain"), QString(300, QLatin1Char('y')),
                                QStringLiteral("emoji \U0001F44B and \u00E9")})
        EXPECT_EQ(TypedStreamReader::attributedText(TypedStreamWriter::attributedString(text)),
                  text);
}

TEST(TypedStreamReader, NoPrefixOfAnArchiveCrashesOrInventsText)
{
    const QByteArray full = TypedStreamWriter::attributedString(QStringLiteral("abcdef"));
    const qsizetype textEnd = full.indexOf("abcdef") + 6;
    for (qsizetype size = 0; size < full.size(); ++size) {
        const auto text = TypedStreamReader::attributedText(full.left(size));
        if (size < textEnd)
            EXPECT_FALSE(text.has_value()) << size;
        else
            EXPECT_EQ(text, QStringLiteral("abcdef")) << size;
    }
}
