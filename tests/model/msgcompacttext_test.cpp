#include "model/msgcompacttext.h"
#include "model/msgmessage.h"

#include <gtest/gtest.h>

namespace {

struct Case
{
    const char *name;
    QString given;
    QString readBack; // what the text reads back as
    bool packed;      // held as 16 bytes
};

} // namespace

// Each text reads back as it was given (or as its UTF-8 would store it), through the record's
// accessors as well; only a UUID in one letter case with its dashes in place is packed.
TEST(MsgCompactText, TextsReadBackAsGiven)
{
    const QString upper = QStringLiteral("C7E46095-1BAE-4EDD-B425-562290E7FB57");
    const QString nul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    const Case cases[] = {
        {"canonical uuid", upper, upper, true},
        {"lower-case uuid", upper.toLower(), upper.toLower(), true},
        {"digits only", QStringLiteral("12345678-1234-1234-1234-123456789012"),
         QStringLiteral("12345678-1234-1234-1234-123456789012"), true},
        {"mixed case", QStringLiteral("c7E46095-1BAE-4EDD-B425-562290E7FB57"),
         QStringLiteral("c7E46095-1BAE-4EDD-B425-562290E7FB57"), false},
        {"braces", QLatin1Char('{') + upper + QLatin1Char('}'),
         QLatin1Char('{') + upper + QLatin1Char('}'), false},
        {"dash moved", QStringLiteral("C7E4609-51BAE-4EDD-B425-562290E7FB57"),
         QStringLiteral("C7E4609-51BAE-4EDD-B425-562290E7FB57"), false},
        {"not hex", QStringLiteral("G7E46095-1BAE-4EDD-B425-562290E7FB57"),
         QStringLiteral("G7E46095-1BAE-4EDD-B425-562290E7FB57"), false},
        {"prefixed", QStringLiteral("p:0/") + upper, QStringLiteral("p:0/") + upper, false},
        {"empty", QStringLiteral(""), QString(), false},
        {"null", QString(), QString(), false},
        {"non-ASCII and emoji", QStringLiteral("Caf\u00e9 \U0001F600 \uFFFC"),
         QStringLiteral("Caf\u00e9 \U0001F600 \uFFFC"), false},
        {"NUL inside", nul, nul, false},
        {"lone surrogate", QStringLiteral("a") + QChar(0xD800), QStringLiteral("a?"), false},
    };
    for (const Case &c : cases) {
        const MsgCompactText text(c.given);
        EXPECT_EQ(text.toString(), c.readBack) << c.name;
        EXPECT_EQ(text.toString().isNull(), c.readBack.isNull()) << c.name;
        EXPECT_EQ(text.isPackedUuid(), c.packed) << c.name;
        MsgCompactText::Buffer buffer;
        EXPECT_EQ(text.utf8(buffer), c.given.toUtf8()) << c.name << ": what a save stores";
        const MsgCompactText copy = text;
        EXPECT_EQ(copy, text) << c.name;
        EXPECT_EQ(copy.toString(), c.readBack) << c.name;

        _MsgMessage message;
        message.setGuid(c.given);
        message.setText(c.given);
        EXPECT_EQ(message.guid(), c.readBack) << c.name;
        EXPECT_EQ(message.text(), c.readBack) << c.name;
    }
}

// Bytes from a database that are not valid UTF-8 read as QString::fromUtf8 reads them.
TEST(MsgCompactText, InvalidUtf8ReadsAsQStringReadsIt)
{
    for (const QByteArray &bytes : {QByteArray("ok"), QByteArray("caf\xc3\xa9"),
                                    QByteArray("bad \xff byte"), QByteArray("cut \xe2\x82")}) {
        EXPECT_EQ(MsgCompactText(QByteArrayView(bytes)).toString(), QString::fromUtf8(bytes))
            << bytes.toHex().constData();
    }
}

// Texts that differ in case or in one byte stay unequal; copies are independent.
TEST(MsgCompactText, DistinctTextsStayDistinct)
{
    const QString upper = QStringLiteral("C7E46095-1BAE-4EDD-B425-562290E7FB57");
    EXPECT_NE(MsgCompactText(upper), MsgCompactText(upper.toLower()));
    EXPECT_NE(MsgCompactText(QStringLiteral("ab")), MsgCompactText(QStringLiteral("ac")));
    EXPECT_NE(MsgCompactText(QStringLiteral("a")), MsgCompactText(QString()));
    MsgCompactText first(QStringLiteral("first"));
    MsgCompactText second = first;
    first = MsgCompactText(QStringLiteral("changed"));
    EXPECT_EQ(second.toString(), QStringLiteral("first"));
    second = MsgCompactText();
    EXPECT_TRUE(second.isEmpty());
    EXPECT_EQ(first.toString(), QStringLiteral("changed"));
}
