#include "msgbuilder.h"

#include "export/exporterfactory.h"
#include "export/smsxmlreader.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>

namespace {

QStringList hashes(const QList<_MsgMessage *> &messages)
{
    QStringList result;
    for (const _MsgMessage *m : messages)
        result << m->logicalHash();
    result.sort();
    return result;
}

const _MsgMessage *withHash(const MsgData &data, const QString &hash)
{
    for (const _MsgMessage *m : data.messages()) {
        if (m->logicalHash() == hash)
            return m;
    }
    return nullptr;
}

} // namespace

// Messages of every shape exported and read back: the same messages (logical hashes), the same
// group members and directions, the same attachment bytes.
TEST(SmsXmlRoundTrip, ExportThenReadGivesTheSameMessages)
{
    QTemporaryDir dir;
    const QByteArray picture("\xFF\xD8\xFF\x00 picture", 12);
    const QString picturePath = dir.filePath("p.jpg");
    writeFile(picturePath, picture);

    MsgBuilder b;
    _MsgHandle *ann = b.handle("+15550001");
    _MsgHandle *bob = b.handle("+15550002");
    _MsgHandle *cal = b.handle("+15550003");
    ann->_ct_name = "Ann Example";
    _MsgChat *withAnn = b.chat(ann);
    _MsgChat *withBob = b.chat(bob);
    _MsgChat *group = b.groupChat("chat100200300400500600", {ann, cal});

    QList<_MsgMessage *> kept;
    kept << b.message(withAnn, ann, 1000, QStringLiteral("Hi \U0001F600\nthere"));
    _MsgMessage *reply = b.message(withAnn, nullptr, 2000, "Reply <b> & \"quoted\" 'it'");
    reply->handle = ann; // the phone names the other party of a one-to-one chat both ways
    kept << reply;
    _MsgMessage *photo = b.message(withAnn, ann, 3000, QString(QChar(0xFFFC)) + "caption");
    b.attachment(photo, "~/Library/SMS/Attachments/aa/IMG_7.JPG", picturePath);
    kept << photo;
    kept << b.message(group, cal, 4000, "group hello");
    _MsgMessage *answer = b.message(group, nullptr, 5000, "answer");
    _MsgAttachment *gone = b.attachment(answer, "~/Library/SMS/Attachments/bb/Doc.PDF", QString());
    gone->mime_type = "application/pdf";
    kept << answer;
    kept << b.message(withBob, bob, 6000, QString()); // an empty body is still a message
    _MsgMessage *named = b.message(group, cal, 7000, QString());
    named->item_type = 2; // a group event has no form in the file
    _MsgMessage *control = b.message(withBob, bob, 8000,
                                     QStringLiteral("a\x01"
                                                    "b"));

    const QString path = dir.filePath("out.xml");
    MessageExporter exporter = g_createExporter(ExportFormat::Xml, path);
    exporter->init();
    for (_MsgMessage *m : kept + QList<_MsgMessage *>{named, control})
        exporter->write(*m);
    exporter->uninit();

    const QByteArray xml = readAll(path);
    const QRegularExpressionMatch count =
        QRegularExpression(QStringLiteral(R"re(<smses count="(\d+)")re"))
            .match(QString::fromUtf8(xml));
    ASSERT_TRUE(count.hasMatch()) << xml.left(200).toStdString();
    EXPECT_EQ(count.captured(1).toInt(), kept.size() + 1);

    MsgData back;
    SmsXmlReader(path, QDir(dir.filePath("cache"))).read(back);
    ASSERT_EQ(back.messages().size(), kept.size() + 1);
    QStringList expected = hashes(kept);
    control->setText(QStringLiteral("ab")); // XML cannot carry the control character
    expected << control->logicalHash();
    expected.sort();
    EXPECT_EQ(hashes(back.messages()), expected);

    const _MsgMessage *photoBack = withHash(back, photo->logicalHash());
    ASSERT_NE(photoBack, nullptr);
    ASSERT_EQ(photoBack->attachments().size(), 1);
    EXPECT_EQ(readAll(photoBack->attachments().first()->localPath), picture);
    EXPECT_EQ(photoBack->attachments().first()->mime_type, "image/jpeg");
    EXPECT_EQ(photoBack->text(), photo->text()) << "the picture stays before its caption";
    EXPECT_EQ(photoBack->handle->_ct_name, "Ann Example");

    const _MsgMessage *answerBack = withHash(back, answer->logicalHash());
    ASSERT_NE(answerBack, nullptr);
    EXPECT_EQ(answerBack->is_from_me, 1);
    ASSERT_NE(answerBack->chat, nullptr);
    EXPECT_EQ(answerBack->chat->handleMap.size(), 2) << "the group keeps its members";
    const _MsgMessage *helloBack = withHash(back, kept.at(3)->logicalHash());
    ASSERT_NE(helloBack, nullptr);
    EXPECT_EQ(helloBack->chat, answerBack->chat);
    EXPECT_EQ(helloBack->is_from_me, 0);
}
