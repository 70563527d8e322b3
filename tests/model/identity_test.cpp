#include "model/msgattachment.h"
#include "model/msghandle.h"
#include "model/msgidentity.h"
#include "model/msgmessage.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QSet>

#include <functional>

namespace {

QString md5Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

// A received message with two attachments, filled as a reader would fill it.
class LogicalHash : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_handle.id = QStringLiteral("+1 555 0100");
        m_photo.rowid = 7;
        m_photo.filename = QStringLiteral("~/Library/SMS/Attachments/ab/07/IMG_0001.JPG");
        m_card.rowid = 8;
        m_card.filename = QStringLiteral("Contact.vcf");
        m_msg = makeMessage();
    }

    _MsgMessage makeMessage()
    {
        _MsgMessage msg;
        msg.rowid = 41;
        msg.setGuid(QStringLiteral("0A1B2C3D-0000-1111-2222-333344445555"));
        msg.setService(QStringLiteral("iMessage"));
        msg.handle = &m_handle;
        msg.date = 0x12345678;
        msg.is_from_me = 1;
        msg.setText(QStringLiteral("Caf\u00e9 \uFFFC\uFFFC"));
        msg.attachmentMap.insert(QStringLiteral("7"), &m_photo);
        msg.attachmentMap.insert(QStringLiteral("8"), &m_card);
        return msg;
    }

    _MsgHandle m_handle;
    _MsgAttachment m_photo;
    _MsgAttachment m_card;
    _MsgMessage m_msg;
};

} // namespace

// Address, date little-endian, direction byte, text without placeholders, then the attachment
// names reduced, lower-cased and in code-unit order ("contact.vcf" < "img_0001.jpg"); without
// handle or attachments only the rest counts; a system item is its guid.
TEST_F(LogicalHash, DigestOfTheDocumentedBytes)
{
    const struct
    {
        const char *name;
        std::function<void(_MsgMessage &)> change;
        QByteArray bytes;
    } cases[] = {
        {"message", [](_MsgMessage &) {},
         QByteArray("+1 555 0100") + QByteArray::fromHex("7856341201") + "Caf\xc3\xa9 " +
             "contact.vcfimg_0001.jpg"},
        {"bare",
         [](_MsgMessage &m) {
             m.handle = nullptr;
             m.attachmentMap = {};
             m.date = -2;
             m.is_from_me = 0;
             m.setText(QStringLiteral("ok"));
         },
         QByteArray::fromHex("FEFFFFFF00") + "ok"},
        {"system item", [](_MsgMessage &m) { m.item_type = 2; }, m_msg.guid().toUtf8()},
    };
    for (const auto &c : cases) {
        _MsgMessage msg = makeMessage();
        c.change(msg);
        EXPECT_EQ(msg.logicalHash(), md5Hex(c.bytes)) << c.name;
    }
}

TEST_F(LogicalHash, IgnoresWhereAndHowTheMessageWasStored)
{
    _MsgMessage copy = makeMessage();
    copy.rowid = 9000;
    copy.setGuid(QStringLiteral("FFFFFFFF-0000-1111-2222-333344445555"));
    copy.setService(QStringLiteral("SMS"));
    copy.is_read = 1;
    copy.setSubject(QStringLiteral("other subject"));
    copy.srcRowId = 12;
    _MsgAttachment movedPhoto = m_photo;
    movedPhoto.filename = QStringLiteral("/elsewhere/img_0001.jpg"); // case and folder differ
    movedPhoto.mime_type = QStringLiteral("image/jpeg");
    copy.attachmentMap.clear();
    // Stored in the other order, under other keys.
    copy.attachmentMap.insert(QStringLiteral("1"), &m_card);
    copy.attachmentMap.insert(QStringLiteral("2"), &movedPhoto);
    copy.setText(QStringLiteral("\uFFFCCaf\u00e9 "));
    EXPECT_EQ(copy.logicalHash(), m_msg.logicalHash());
}

TEST_F(LogicalHash, EveryContentFieldCounts)
{
    const QString original = m_msg.logicalHash();
    QSet<QString> seen{original};
    const auto expectChanged = [&](const char *what, const std::function<void(_MsgMessage &)> &f) {
        _MsgMessage changed = makeMessage();
        f(changed);
        const QString hash = changed.logicalHash();
        EXPECT_FALSE(seen.contains(hash)) << what;
        seen.insert(hash);
    };
    _MsgHandle other;
    other.id = QStringLiteral("+1 555 0101");
    expectChanged("address", [&](_MsgMessage &m) { m.handle = &other; });
    expectChanged("date", [](_MsgMessage &m) { m.date += 1; });
    expectChanged("direction", [](_MsgMessage &m) { m.is_from_me = 0; });
    expectChanged("text", [](_MsgMessage &m) { m.setText(m.text() + QLatin1Char('!')); });
    expectChanged("attachment",
                  [](_MsgMessage &m) { m.attachmentMap.remove(QStringLiteral("8")); });
}

TEST_F(LogicalHash, MessagesWithoutAReadableDateStayApartByTheirGuid)
{
    _MsgMessage first = makeMessage();
    _MsgMessage second = makeMessage();
    first.date = second.date = 0;
    second.setGuid(first.guid() + QStringLiteral("-2"));
    EXPECT_NE(first.logicalHash(), second.logicalHash());
    second.setGuid(first.guid());
    EXPECT_EQ(first.logicalHash(), second.logicalHash());
}

TEST_F(LogicalHash, AttachmentsWithoutFileNameDoNotCount)
{
    _MsgAttachment nameless;
    nameless.rowid = 99;
    nameless.mime_type = QStringLiteral("image/png");
    _MsgMessage withNameless = makeMessage();
    withNameless.attachmentMap.insert(QStringLiteral("99"), &nameless);
    EXPECT_EQ(withNameless.logicalHash(), m_msg.logicalHash());

    _MsgMessage onlyNameless = makeMessage();
    onlyNameless.attachmentMap.clear();
    onlyNameless.attachmentMap.insert(QStringLiteral("99"), &nameless);
    _MsgMessage none = makeMessage();
    none.attachmentMap.clear();
    EXPECT_EQ(onlyNameless.logicalHash(), none.logicalHash());
}

TEST(HashUuid, GroupedUpperCaseMd5)
{
    EXPECT_EQ(hashUUID(QByteArray()), QStringLiteral("D41D8CD9-8F00-B204-E980-0998ECF8427E"));
    const QByteArray data("SMS;-;+1 555 0100");
    EXPECT_EQ(hashUUID(data), hashUUID(data));
    EXPECT_EQ(QString(hashUUID(data)).remove(QLatin1Char('-')), md5Hex(data).toUpper());
    EXPECT_NE(hashUUID(data), hashUUID(data + ' '));
}

TEST(GenUuid, UpperCaseWithoutBraces)
{
    static const QRegularExpression form(
        QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
    QSet<QString> seen;
    for (int i = 0; i < 50; ++i) {
        const QString uuid = genUUID();
        EXPECT_EQ(uuid.size(), 36);
        EXPECT_TRUE(form.match(uuid).hasMatch()) << uuid.toStdString();
        seen.insert(uuid);
    }
    EXPECT_EQ(seen.size(), 50);
}

TEST(GenChatIdentifier, FormAndStability)
{
    static const QRegularExpression form(QStringLiteral("^chat[0-9-]{18}$"));
    QSet<QString> seen;
    for (int i = 0; i < 200; ++i) {
        const QString seed = QStringLiteral("group %1 \u00e9").arg(i);
        const QString id = genChatIdentifier(seed);
        EXPECT_EQ(id.size(), 22);
        EXPECT_TRUE(form.match(id).hasMatch()) << id.toStdString();
        EXPECT_EQ(genChatIdentifier(seed), id);
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 200);
    EXPECT_EQ(genChatIdentifier(QString()).size(), 22);
}
