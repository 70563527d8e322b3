#include "export/ctinfo.h"
#include "export/vcardthumbnail.h"
#include "frame/appdirs.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

QByteArray pngOf(const QColor &color)
{
    QImage image(30, 30, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class VCardThumbnail : public ::testing::Test
{
protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        writeFile(m_dir.filePath(name), bytes);
        return m_dir.filePath(name);
    }
    void TearDown() override
    {
        for (const QString &path : m_written)
            QFile::remove(vcard_thumbnailPath(path));
    }
    QString thumbnail(const QString &path)
    {
        m_written.append(path);
        return vcard_thumbnail(path);
    }

    QTemporaryDir m_dir;
    QStringList m_written;
};

ct_info withPhones(int count)
{
    ct_info info;
    info.name = QStringLiteral("Phone Owner");
    for (int i = 0; i < count; ++i)
        info.phones.append(QStringLiteral("+1 555 010%1").arg(i));
    return info;
}

} // namespace

TEST(CtInfo, ReadsFieldsOfACard)
{
    const QByteArray photo = pngOf(Qt::blue);
    const QList<QVCardParser::Card> cards = QVCardParser::parse(
        "BEGIN:VCARD\r\nfn:Jane Doe\r\nTITLE:Boss\r\nORG:Example\\, Inc.;Research\r\n"
        "TEL:1\r\nTEL:2\r\nEMAIL:old@x\r\nEMAIL:new@x\r\nBDAY:1980-04-23\r\n"
        "ADR:;;1 Main St;Town;;12345;\r\nPHOTO:data:image/png;base64," +
        photo.toBase64() + "\r\nEND:VCARD\r\n");
    ASSERT_EQ(cards.size(), 1);
    const ct_info info = ct_info::fromCard(cards[0]);
    EXPECT_EQ(QStringList({info.name, info.title, info.organisation, info.email, info.birthday,
                           info.address}),
              QStringList({"Jane Doe", "Boss", "Example, Inc., Research", "new@x", "1980-04-23",
                           "1 Main St, Town, 12345"}));
    EXPECT_EQ(info.phones, QStringList({"1", "2"}));
    EXPECT_EQ(info.photo, photo);

    // Cards that only have the structured name still get one.
    const ct_info structured = ct_info::fromCard(
        QVCardParser::parse("BEGIN:VCARD\r\nN:Smith;John;;Dr.;\r\nEND:VCARD\r\n").value(0));
    EXPECT_EQ(structured.name, QStringLiteral("Dr. John Smith"));
}

TEST(VCardRender, PhotoOrContactPicture)
{
    ct_info info = withPhones(1);
    info.photo = pngOf(QColor(255, 0, 0));
    const QImage withPhoto = vcard_renderCard(info);
    EXPECT_EQ(withPhoto.size(), QSize(200, 90));
    EXPECT_EQ(withPhoto.pixelColor(28, 28), QColor(255, 0, 0));
    EXPECT_EQ(withPhoto.pixelColor(100, 85), QColor(219, 226, 237));
    EXPECT_EQ(withPhoto.pixelColor(0, 0), QColor(185, 185, 187));

    // Without a photo, or with one that does not load, the contact picture stands in.
    info.photo.clear();
    const QImage without = vcard_renderCard(info);
    EXPECT_NE(without.pixelColor(28, 28), QColor(255, 0, 0));
    EXPECT_NE(without.pixelColor(28, 28), QColor(219, 226, 237));
    info.photo = "not an image";
    EXPECT_EQ(vcard_renderCard(info), without);
}

TEST(VCardRender, LongNumbersAndAddressesFitOnTheCard)
{
    struct Case
    {
        QString phone;
        QString email;
    };
    const Case cases[] = {
        {QStringLiteral("+44 (0) 20 7946 0000 ext. 12345"), QString()},
        {QStringLiteral("+1 555 0100"),
         QStringLiteral("someone.with.a.long.name@example-company.com")},
    };
    for (const Case &c : cases) {
        ct_info info;
        info.name = QStringLiteral("Card Owner");
        info.phones = {c.phone};
        info.email = c.email;
        const QImage card = vcard_renderCard(info);
        EXPECT_GT(card.width(), 200) << c.phone.toStdString();
        // Nothing is drawn into the right margin: no text ran into the card's edge.
        for (int x = card.width() - 4; x < card.width() - 1; ++x) {
            for (int y = 1; y < card.height() - 1; ++y)
                ASSERT_EQ(card.pixelColor(x, y), QColor(219, 226, 237)) << x << "," << y;
        }
    }
}

TEST(VCardRender, AtMostFourPhones)
{
    const QImage four = vcard_renderCard(withPhones(4));
    EXPECT_EQ(vcard_renderCard(withPhones(5)), four);
    EXPECT_NE(vcard_renderCard(withPhones(3)), four);
}

TEST_F(VCardThumbnail, MadeOnceAndKept)
{
    const QString path =
        write("card.vcf", "BEGIN:VCARD\r\nFN:Cached Person\r\nTEL:+1 555 0100\r\nEND:VCARD\r\n");
    const QString picture = thumbnail(path);
    ASSERT_FALSE(picture.isEmpty());
    EXPECT_EQ(picture, vcard_thumbnailPath(path));
    EXPECT_EQ(QFileInfo(picture).dir(), g_previewCacheDir());
    const QImage image(picture);
    EXPECT_EQ(image.size(), QSize(200, 90));
    const QByteArray firstBytes = readAll(picture);
    ASSERT_FALSE(firstBytes.isEmpty());

    // The file changes, but the kept picture is returned as it was.
    write("card.vcf", "BEGIN:VCARD\r\nFN:Someone Else Entirely\r\nEND:VCARD\r\n");
    EXPECT_EQ(thumbnail(path), picture);
    EXPECT_EQ(readAll(picture), firstBytes);

    // A different file gets a picture of its own.
    const QString other = write("other.vcf", "BEGIN:VCARD\r\nFN:Other\r\nEND:VCARD\r\n");
    EXPECT_NE(thumbnail(other), picture);
}

TEST_F(VCardThumbnail, CardWithPhotoShowsIt)
{
    const QByteArray photo = QVCardParser::encodeBase64(pngOf(QColor(0, 128, 0)), 60);
    const QString path = write("photo.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Green\r\n"
                                            "PHOTO;ENCODING=b;TYPE=PNG:" +
                                                photo + "\r\nEND:VCARD\r\n");
    const QImage image(thumbnail(path));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixelColor(28, 28), QColor(0, 128, 0));
}

TEST_F(VCardThumbnail, NothingForFilesWithoutCards)
{
    for (const QString &path : {write("text.vcf", "just some text\r\n"),
                                write("empty.vcf", QByteArray()), m_dir.filePath("missing.vcf")})
        EXPECT_TRUE(thumbnail(path).isEmpty()) << path.toStdString();
    EXPECT_FALSE(QFileInfo::exists(vcard_thumbnailPath(m_dir.filePath("text.vcf"))));
}
