// Every sample card file, including inputs the fuzzer once tripped over, goes through the parser.
#include "export/ctinfo.h"
#include "export/qvcardparser.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

namespace {

QStringList sampleFiles()
{
    const QDir dir(QStringLiteral(TEXTLINK_TEST_DATA_DIR "/vcard"));
    QStringList paths;
    for (const QString &name : dir.entryList({"*.vcf", "crash-*", "leak-*", "crash_*", "leak_*"},
                                             QDir::Files, QDir::Name))
        paths.append(dir.filePath(name));
    return paths;
}

QList<QVCardParser::Card> parseByteByByte(const QByteArray &bytes)
{
    QVCardParser parser;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (!parser.feed(bytes.constData() + i, 1, false))
            return parser.cards();
    }
    parser.feed(nullptr, 0, true);
    return parser.cards();
}

ct_info sampleInfo(const QString &name)
{
    const QByteArray bytes = readAll(QStringLiteral(TEXTLINK_TEST_DATA_DIR "/vcard/") + name);
    return ct_info::fromCard(QVCardParser::parse(bytes).value(0));
}

} // namespace

TEST(VCardSamples, EveryFileParsesTheSameWholeOrByteByByte)
{
    const QStringList paths = sampleFiles();
    ASSERT_GE(paths.size(), 8);
    for (const QString &path : paths) {
        const QByteArray bytes = readAll(path);
        const QList<QVCardParser::Card> cards = QVCardParser::parse(bytes);
        EXPECT_EQ(parseByteByByte(bytes), cards) << path.toStdString();
        if (QFileInfo(path).fileName().startsWith(QLatin1String("good_"))) {
            ASSERT_FALSE(cards.isEmpty()) << path.toStdString();
            for (const QVCardParser::Card &card : cards)
                EXPECT_FALSE(ct_info::fromCard(card).name.isEmpty()) << path.toStdString();
        }
    }
}

TEST(VCardSamples, RealWorldShapes)
{
    const ct_info v21 = sampleInfo("good_v21_phone.vcf");
    EXPECT_EQ(v21.name, QStringLiteral("J\u00fcrgen M\u00fcller"));
    EXPECT_EQ(v21.address, QStringLiteral("Hauptstra\u00dfe 5, M\u00fcnchen, 80331, Deutschland"));
    EXPECT_EQ(v21.phones.size(), 2);
    EXPECT_FALSE(QImage::fromData(v21.photo).isNull());

    const ct_info v30 = sampleInfo("good_v30_folded.vcf");
    EXPECT_TRUE(v30.title.endsWith(QLatin1String("be cause it is long")));
    EXPECT_EQ(v30.organisation, QStringLiteral("Example Corp, Research"));
    EXPECT_FALSE(QImage::fromData(v30.photo).isNull());

    const ct_info v40 = sampleInfo("good_v40_datauri_lf.vcf");
    EXPECT_EQ(v40.name, QStringLiteral("Zo\u00eb \u00c5ngstr\u00f6m"));
    EXPECT_FALSE(QImage::fromData(v40.photo).isNull());

    EXPECT_EQ(sampleInfo("good_v21_shiftjis.vcf").name, QStringLiteral("\u5c71\u7530\u592a\u90ce"));
    EXPECT_EQ(sampleInfo("good_v21_gbk.vcf").organisation,
              QStringLiteral("\u5317\u4eac\u516c\u53f8"));
    const QList<QVCardParser::Card> multi = QVCardParser::parse(
        readAll(QStringLiteral(TEXTLINK_TEST_DATA_DIR "/vcard/good_multi_garbage.vcf")));
    EXPECT_EQ(multi.size(), 3);
}
