#include "companionphone.h"
#include "msgbuilder.h"
#include "recordingprogress.h"
#include "testfiles.h"

#include "android/androidconnectwithusbthread.h"
#include "android/androidconnectwithwifithread.h"
#include "android/androidloadsmsthread.h"
#include "android/androidrestoresmsthread.h"
#include "iosdb/ios6messagedb.h"
#include "model/msgattachment.h"
#include "model/msgdata.h"
#include "model/msgmessage.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr qint64 kDay0 = 1700000000000LL;

QByteArray jpegPicture()
{
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPEG");
    return bytes;
}

class AndroidLink : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Temporary attachment files must all be gone after each operation.
        qputenv("TMPDIR", m_tmp.path().toUtf8());
    }

    AndroidDevice connect()
    {
        RecordingProgress progress;
        AndroidConnectWithUSBThread worker(m_phone.serial(), progress);
        EXPECT_TRUE(progress.run(worker)) << progress.endText().toStdString();
        return worker.device();
    }

    // Loads the phone; returns processed/loaded/deleted, or fails.
    QList<int> load(const AndroidDevice &device, int cancelAtUpdate = 0)
    {
        RecordingProgress progress;
        progress.cancelAtUpdate(cancelAtUpdate);
        AndroidLoadSMSThread worker(device, progress);
        const bool ok = progress.run(worker);
        EXPECT_TRUE(ok || cancelAtUpdate > 0) << progress.endText().toStdString();
        return {worker.processedCount(), worker.loadedCount(), worker.deletedCount()};
    }

    static QStringList plainTexts(const MsgData &data)
    {
        QStringList texts;
        for (const _MsgMessage *m : data.messages())
            texts << m->plainText();
        texts.sort();
        return texts;
    }

    static MsgData cache(const AndroidDevice &device)
    {
        MsgData data;
        IOS6MessageDb db(device.cacheDir(), device.mmc, true);
        db.messages(data, 0);
        return data;
    }

    QStringList leftoverTemporaryFiles() const
    {
        return QDir(m_tmp.path()).entryList({QStringLiteral("textlink-atta-*")}, QDir::Files);
    }

    QTemporaryDir m_tmp;
    CompanionPhone m_phone;
};

TEST_F(AndroidLink, HandshakeOverUsbAndWifiDescribesThePhone)
{
    ASSERT_TRUE(m_phone.start());
    const AndroidDevice usb = connect();
    EXPECT_EQ(usb.displayName(), QStringLiteral("Google Pixel 7"));
    EXPECT_EQ(usb.version, 12);
    EXPECT_EQ(usb.mmc, QStringLiteral("310"));

    RecordingProgress progress;
    AndroidConnectWithWiFiThread wifi(QStringLiteral("127.0.0.1"), m_phone.controlPort(), progress);
    ASSERT_TRUE(progress.run(wifi)) << progress.endText().toStdString();
    EXPECT_EQ(wifi.device().uid, usb.uid);
    EXPECT_EQ(wifi.device().devId(), usb.uid);
}

TEST_F(AndroidLink, CompanionTooOldIsRefused)
{
    m_phone.describe(9);
    ASSERT_TRUE(m_phone.start());
    RecordingProgress progress;
    AndroidConnectWithUSBThread worker(m_phone.serial(), progress);
    EXPECT_FALSE(progress.run(worker));
    EXPECT_TRUE(progress.endText().contains(QStringLiteral("too old")))
        << progress.endText().toStdString();
}

TEST_F(AndroidLink, LoadIsIncrementalAndFollowsDeletions)
{
    const int first = m_phone.addMessage("+1 202 555 0101", "hi 😀", kDay0, false);
    m_phone.addMessage("+1 202 555 0101", "back", kDay0 + 1000, true);
    m_phone.addMessage("+1 202 555 0199", "other", kDay0 + 2000, false);
    ASSERT_TRUE(m_phone.start());
    const AndroidDevice device = connect();

    EXPECT_EQ(load(device), (QList<int>{3, 3, 0}));
    EXPECT_EQ(load(device), (QList<int>{3, 0, 0}));
    m_phone.removeMessage(first);
    EXPECT_EQ(load(device), (QList<int>{2, 0, 1}));

    EXPECT_EQ(plainTexts(cache(device)), QStringList({"back", "other"}));
}

TEST_F(AndroidLink, MmsPartsBecomeMessagesAndHostileNamesStayInside)
{
    const QByteArray picture = jpegPicture();
    m_phone.addMessage(
        QStringLiteral("+1 202 555 0101"), QStringLiteral("look"), kDay0, false,
        {{QStringLiteral("text/plain"), QStringLiteral("t.txt"), "caption"},
         {QStringLiteral("image/jpeg"), QStringLiteral("../../../evil.jpg"), picture},
         {QStringLiteral("application/smil"), QStringLiteral("s.smil"), "<smil/>"}});
    ASSERT_TRUE(m_phone.start());
    const AndroidDevice device = connect();
    EXPECT_EQ(load(device), (QList<int>{1, 3, 0}));
    EXPECT_TRUE(leftoverTemporaryFiles().isEmpty());

    const MsgData data = cache(device);
    EXPECT_EQ(plainTexts(data), QStringList({"", "caption", "look"}));
    const _MsgAttachment *attachment = nullptr;
    for (const _MsgMessage *m : data.messages())
        attachment = m->attachments().isEmpty() ? attachment : m->attachments().first();
    ASSERT_NE(attachment, nullptr);
    EXPECT_EQ(attachment->transfer_name, QStringLiteral("evil.jpg"));
    const QString root = device.cacheDir().absolutePath();
    EXPECT_TRUE(attachment->localPath.startsWith(root)) << attachment->localPath.toStdString();
    EXPECT_EQ(readAll(attachment->localPath), picture);
    EXPECT_FALSE(QFile::exists(QDir(root).filePath(QStringLiteral("../evil.jpg"))));

    // Known now: the phone is told not to send the parts again.
    EXPECT_EQ(load(device), (QList<int>{1, 0, 0}));
}

TEST_F(AndroidLink, CancelledLoadLeavesTheCacheAsItWas)
{
    m_phone.addMessage("+1 202 555 0101", "kept", kDay0, false);
    ASSERT_TRUE(m_phone.start());
    const AndroidDevice device = connect();
    load(device);
    for (int i = 0; i < 120; ++i)
        m_phone.addMessage(QStringLiteral("+1 202 555 0102"), QStringLiteral("n%1").arg(i),
                           kDay0 + 1000 * (i + 1), i % 2 == 0,
                           {{QStringLiteral("image/jpeg"), QStringLiteral("p.jpg"), "x"}});
    load(device, 60);
    EXPECT_EQ(cache(device).messages().size(), 1);
    EXPECT_TRUE(leftoverTemporaryFiles().isEmpty());
}

class AndroidTransfer : public AndroidLink
{
protected:
    // 250 one-to-one messages of two people, every tenth with a picture file.
    void build()
    {
        m_picturePath = m_tmp.filePath(QStringLiteral("photo.jpg"));
        writeFile(m_picturePath, jpegPicture());
        _MsgHandle *ann = m_builder.handle(QStringLiteral("+12025550111"));
        _MsgHandle *bob = m_builder.handle(QStringLiteral("+12025550122"));
        _MsgChat *annChat = m_builder.chat(ann);
        _MsgChat *bobChat = m_builder.chat(bob);
        for (int i = 0; i < 250; ++i) {
            _MsgMessage *m = m_builder.message(i % 2 ? annChat : bobChat, i % 2 ? ann : bob,
                                               1000 + i, QStringLiteral("message %1").arg(i));
            m->is_from_me = i % 3 == 0;
            if (i % 10 == 0)
                m_builder
                    .attachment(m, QStringLiteral("~/Library/SMS/Attachments/p%1.jpg").arg(i),
                                m_picturePath)
                    ->mime_type = QStringLiteral("image/jpeg");
        }
    }

    QList<int> transfer(const AndroidDevice &device, bool expectSuccess = true)
    {
        RecordingProgress progress;
        AndroidRestoreSMSThread worker(device, m_builder.data().messages(), progress);
        EXPECT_EQ(progress.run(worker), expectSuccess) << progress.endText().toStdString();
        return {worker.sentCount(), worker.skippedCount(), worker.failedCount()};
    }

    MsgBuilder m_builder;
    QString m_picturePath;
};

TEST_F(AndroidTransfer, SendsOnceAndSkipsWhatThePhoneHas)
{
    build();
    ASSERT_TRUE(m_phone.start());
    const AndroidDevice device = connect();
    EXPECT_EQ(transfer(device), (QList<int>{250, 0, 0}));
    EXPECT_EQ(m_phone.messageCount(), 250);
    EXPECT_EQ(transfer(device), (QList<int>{0, 250, 0}));
    EXPECT_EQ(m_phone.messageCount(), 250);
}

TEST_F(AndroidTransfer, DroppedConnectionLosesNothing)
{
    build();
    // The phone vanishes after storing 150 messages, in the middle of the second batch.
    m_phone.describe(12, QStringLiteral("drop_after_inserts=150"));
    ASSERT_TRUE(m_phone.start());
    const AndroidDevice device = connect();
    transfer(device, false);
    EXPECT_EQ(m_phone.messageCount(), 150);

    m_phone.describe(12);
    ASSERT_TRUE(m_phone.start());
    // Only the confirmed first batch counts as sent; the rest goes again, and the phone keeps
    // one copy of what it had stored before the drop.
    EXPECT_EQ(transfer(device), (QList<int>{150, 100, 0}));
    EXPECT_EQ(m_phone.messageCount(), 250);
}

QString writePicture(const QString &path, int width, int height, const char *format)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    picture.save(path, format);
    return path;
}

QString writeBytes(const QString &path, const QByteArray &bytes)
{
    writeFile(path, bytes);
    return path;
}

TEST_F(AndroidTransfer, AttachmentsArriveAsThePhoneCanShowThem)
{
    _MsgHandle *ann = m_builder.handle(QStringLiteral("+12025550111"));
    _MsgChat *chat = m_builder.chat(ann);
    const QByteArray gif("GIF89a not decodable here");
    QByteArray blob(524288, 'b');
    blob[0] = 'a';
    const struct
    {
        QString path;
        const char *mime;
    } files[] = {
        {writePicture(m_tmp.filePath("big.jpg"), 3000, 2000, "JPEG"), "image/jpeg"},
        {writePicture(m_tmp.filePath("small.png"), 500, 400, "PNG"), "image/png"},
        {writeBytes(m_tmp.filePath("anim.gif"), gif), "image/gif"},
        {writeBytes(m_tmp.filePath("blob.bin"), blob), "application/octet-stream"},
        {m_tmp.filePath("missing.pdf"), "application/pdf"},
    };
    int date = 100;
    for (const auto &f : files) {
        _MsgMessage *m = m_builder.message(chat, ann, date++, QString());
        m_builder.attachment(m, QStringLiteral("~/Library/SMS/Attachments/x"), f.path)->mime_type =
            QString::fromLatin1(f.mime);
    }
    ASSERT_TRUE(m_phone.start());
    EXPECT_EQ(transfer(connect()), (QList<int>{5, 0, 1}));

    const QDir store(m_phone.storePath() + QStringLiteral("/messages"));
    EXPECT_EQ(QImage(store.filePath("1-0.bin")).size(), QSize(1080, 720));
    EXPECT_TRUE(readAll(store.filePath("2-0.bin")).startsWith("\x89PNG"));
    EXPECT_EQ(QImage(store.filePath("2-0.bin")).size(), QSize(500, 400));
    EXPECT_EQ(readAll(store.filePath("3-0.bin")), gif);
    EXPECT_EQ(readAll(store.filePath("4-0.bin")), blob);
}

TEST_F(AndroidTransfer, DefaultAppSwitchIsAskedForAndUndone)
{
    build();
    m_phone.describe(12, QStringLiteral("needs_default_sms_app=1"));
    ASSERT_TRUE(m_phone.start());
    RecordingProgress progress;
    AndroidRestoreSMSThread worker(connect(), m_builder.data().messages().mid(0, 3), progress);
    ASSERT_TRUE(progress.run(worker)) << progress.endText().toStdString();
    EXPECT_EQ(progress.callsOf(RecordingProgress::Kind::TipsWait).size(), 1);
    EXPECT_TRUE(progress.endText().startsWith("Successfully Transferred 3 Messages."));
    EXPECT_TRUE(progress.endText().contains("resume your default"));
    // The phone puts its default app back after the desktop's goodbye, which it does not answer.
    const QString log = m_phone.storePath() + QStringLiteral("/events.log");
    const QByteArray expected("default sms app: companion\ndefault sms app: restored\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return readAll(log) == expected; }, 10000))
        << readAll(log).toStdString();
}

} // namespace
