#include "fixtures/backupwriter.h"
#include "fixtures/ios5smsdbwriter.h"
#include "fixtures/phonetreebackup.h"
#include "fixtures/smsdbwriter.h"
#include "frame/abstips.h"
#include "iosdb/ios6messagedb.h"
#include "itunes/backupmanifest.h"
#include "itunes/itunesimport.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgdata.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"
#include "phonebackupsample.h"
#include "recordingprogress.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <stdexcept>

namespace {

ITunesImport::WorkerRunner runner(RecordingProgress &progress)
{
    return [&progress](QThread &worker) { return progress.run(worker); };
}

QString contactOf(const _MsgMessage &message)
{
    return message.handle ? message.handle->_ct_name : QString();
}

} // namespace

TEST(ITunesImport, EncryptedBackupLoadsMessagesAttachmentsAndContactNames)
{
    QTemporaryDir dir;
    const PhoneBackupSample sample;
    sample.write(dir.filePath(QStringLiteral("backup")), true);
    BackupManifest backup(dir.filePath(QStringLiteral("backup")));
    backup.readManifestInfo();

    RecordingProgress locked;
    ITunesImport refused(backup, QDir(dir.filePath(QStringLiteral("cache"))), locked);
    MsgData nothing;
    EXPECT_THROW(refused.run(runner(locked), nothing), std::runtime_error);
    EXPECT_EQ(locked.endCount(), 0);

    backup.unlock(QString::fromLatin1(PhoneBackupSample::kPassword));
    RecordingProgress progress;
    ITunesImport import(backup, QDir(dir.filePath(QStringLiteral("cache"))), progress);
    MsgData data;
    ASSERT_TRUE(import.run(runner(progress), data)) << progress.endText().toStdString();

    const QList<_MsgMessage *> messages = data.messages();
    ASSERT_EQ(messages.size(), sample.contactOfText.size());
    int photos = 0;
    for (const _MsgMessage *message : messages) {
        ASSERT_TRUE(sample.contactOfText.contains(message->text()))
            << message->text().toStdString();
        // Numbers kept in national form in the book still name their senders.
        if (!message->is_from_me) {
            EXPECT_EQ(contactOf(*message), sample.contactOfText.value(message->text()))
                << message->text().toStdString();
        }
        for (const _MsgAttachment *attachment : message->attachmentMap) {
            ++photos;
            EXPECT_EQ(readAll(attachment->localPath), sample.photo);
        }
    }
    EXPECT_EQ(photos, 1);
}

TEST(ITunesImport, PhoneCountryIsTheOneItsAddressesNameMostOften)
{
    QTemporaryDir dir;
    const QDir folder(dir.path());
    {
        SmsDbWriter sms(folder, SmsDbWriter::Layout::Original);
        sms.addHandle(QStringLiteral("+4915123456789"), QStringLiteral("SMS"),
                      QStringLiteral("de"));
        sms.addHandle(QStringLiteral("+13105551234"), QStringLiteral("SMS"), QStringLiteral("US"));
        sms.addHandle(QStringLiteral("+4915123456780"), QStringLiteral("SMS"),
                      QStringLiteral("De "));
        sms.addHandle(QStringLiteral("foo@example.com"), QStringLiteral("iMessage"), QString());
        sms.addHandle(QStringLiteral("bar@example.com"), QStringLiteral("iMessage"), QString());
        sms.addHandle(QStringLiteral("baz@example.com"), QStringLiteral("iMessage"), QString());
    }
    EXPECT_EQ(ITunesImport::phoneCountryCode(SmsDbWriter::dbPathIn(folder)), QStringLiteral("de"));

    QTemporaryDir empty;
    {
        SmsDbWriter sms(QDir(empty.path()), SmsDbWriter::Layout::Original);
    }
    EXPECT_EQ(ITunesImport::phoneCountryCode(SmsDbWriter::dbPathIn(QDir(empty.path()))), QString());
    EXPECT_THROW(ITunesImport::phoneCountryCode(dir.filePath(QStringLiteral("none.db"))),
                 std::runtime_error);
}

TEST(ITunesImport, WithoutThePhoneCountryNationalNumbersFindNoContact)
{
    // The reason the import reads the country from the phone: the same cache read without it
    // leaves the senders nameless.
    QTemporaryDir dir;
    PhoneBackupSample().write(dir.filePath(QStringLiteral("backup")), false);
    BackupManifest backup(dir.filePath(QStringLiteral("backup")));
    backup.readManifestInfo();
    RecordingProgress progress;
    const QDir cache(dir.filePath(QStringLiteral("cache")));
    ASSERT_TRUE(ITunesImport(backup, cache, progress).extract(runner(progress)));

    auto named = [](AbsIOSMessageDb &db) {
        MsgData data;
        db.messages(data, 0);
        int count = 0;
        for (const _MsgHandle *handle : data.p()->handles)
            count += handle->_ct_name.isEmpty() ? 0 : 1;
        return count;
    };
    IOS6MessageDb plain(cache, QString(), false);
    EXPECT_EQ(named(plain), 0);
    plain.close();
    // The lookup built for another country must not be reused as it is.
    QFile::remove(cache.filePath(QStringLiteral("ct-phone.db")));
    EXPECT_EQ(named(*ITunesImport::openCachedDb(cache)), 2);
}

TEST(ITunesImport, DefaultDatabaseNameIsUsableAsFolderName)
{
    QTemporaryDir dir;
    PhoneBackupSample sample;
    sample.device.deviceName = QStringLiteral("Ann/Lee's: iPhone");
    sample.write(dir.filePath(QStringLiteral("backup")), false);
    BackupManifest backup(dir.filePath(QStringLiteral("backup")));
    backup.readManifestInfo();
    EXPECT_EQ(ITunesImport::defaultDbName(backup), QStringLiteral("AnnLee's iPhone_Backup"));
}

TEST(ITunesImport, IOS5BackupLoadsGroupsIMessagesAndEveryMmsPicture)
{
    QTemporaryDir dir;
    const QByteArray first("first picture bytes");
    const QByteArray second("second picture, other bytes");
    {
        QTemporaryDir phone;
        {
            IOS5SmsDbWriter sms{QDir(phone.path())};
            const qint64 group = sms.addGroup(
                {{QStringLiteral("+13105551234")}, {QStringLiteral("(201) 555-0123")}});
            IOS5SmsDbWriter::Sms hello;
            hello.text = QStringLiteral("hello group");
            hello.unixDate = 1400000000;
            hello.address = QStringLiteral("+13105551234");
            sms.addSms(group, hello);
            IOS5SmsDbWriter::Sms mms = hello;
            mms.text.clear();
            mms.unixDate = 1400000100;
            sms.addMms(group, mms,
                       {{QStringLiteral("application/smil"), QStringLiteral("s.smil"), "<smil/>"},
                        {QStringLiteral("text/plain"), QStringLiteral("t.txt"), "look"},
                        {QStringLiteral("image/jpeg"), QStringLiteral("a.jpg"), first},
                        {QStringLiteral("image/jpeg"), QStringLiteral("b.jpg"), second}});
            sms.addIMessageChat(QStringLiteral("+13105551234"), {QStringLiteral("+13105551234")});
            IOS5SmsDbWriter::IMessage im;
            im.text = QStringLiteral("over iMessage");
            im.date = 420000000;
            im.handle = QStringLiteral("+13105551234");
            sms.addIMessage(im);
        }
        BackupWriter writer;
        ASSERT_EQ(PhoneTreeBackup::addHome(writer, QDir(phone.path())), 1);
        ASSERT_TRUE(writer.write(dir.filePath(QStringLiteral("backup"))));
    }
    BackupManifest backup(dir.filePath(QStringLiteral("backup")));
    backup.readManifestInfo();

    RecordingProgress progress;
    ITunesImport import(backup, QDir(dir.filePath(QStringLiteral("cache"))), progress);
    MsgData once;
    ASSERT_TRUE(import.run(runner(progress), once)) << progress.endText().toStdString();
    EXPECT_EQ(import.openMessageDb()->type(), AbsIOSMessageDb::kIOS5);

    QStringList texts;
    QList<QByteArray> pictures;
    for (const _MsgMessage *message : once.messages()) {
        texts << message->text();
        for (const _MsgAttachment *attachment : message->attachmentMap)
            pictures << readAll(attachment->localPath);
    }
    texts.sort();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("hello group"), QStringLiteral("look\uFFFC"),
                                  QStringLiteral("over iMessage"), QStringLiteral("\uFFFC")}));
    std::sort(pictures.begin(), pictures.end());
    EXPECT_EQ(pictures, (QList<QByteArray>{first, second}));
    // The group's identifier is made as the reader tests check it; here: it is a group.
    QStringList guids;
    for (const _MsgChat *chat : once.chats())
        guids << chat->guid;
    EXPECT_TRUE(guids.join(' ').contains(QStringLiteral("SMS;+;chat")));
}

namespace {

// Answers every question as told and keeps what it was shown.
class AnsweringTips : public AbsTips
{
public:
    explicit AnsweringTips(bool yes) : m_yes(yes) { AbsTips::install(this); }
    ~AnsweringTips() override { AbsTips::install(nullptr); }
    void error(const QString &text) override { shown << text; }
    void errorWithoutPrefix(const QString &text) override { shown << text; }
    void warning(const QString &text) override { shown << text; }
    void info(const QString &text) override { shown << text; }
    bool question(const QString &text) override
    {
        shown << text;
        return m_yes;
    }
    QStringList shown;

private:
    const bool m_yes;
};

} // namespace

TEST(ITunesImport, ADamagedDatabaseIsRefusedUnlessTheUserSalvagesIt)
{
    QTemporaryDir dir;
    {
        QTemporaryDir phone;
        {
            SmsDbWriter sms(QDir(phone.path()), SmsDbWriter::Layout::Extended);
            const qint64 chat = sms.addChat(sms.addHandle(QStringLiteral("+15550001")));
            for (int i = 0; i < 300; ++i) {
                SmsDbWriter::Message m;
                m.text = QStringLiteral("message %1 ").arg(i) + QString(40, QLatin1Char('x'));
                m.date = 1000 + i;
                sms.addMessage(chat, m);
            }
        }
        QFile db(SmsDbWriter::dbPathIn(QDir(phone.path())));
        ASSERT_TRUE(db.resize(db.size() - 3 * 1024));
        BackupWriter writer;
        ASSERT_EQ(PhoneTreeBackup::addHome(writer, QDir(phone.path())), 1);
        ASSERT_TRUE(writer.write(dir.filePath(QStringLiteral("backup"))));
    }
    BackupManifest backup(dir.filePath(QStringLiteral("backup")));
    backup.readManifestInfo();

    const struct
    {
        ITunesImport::Damaged policy;
        bool answer;
        bool loads;
    } cases[] = {{ITunesImport::Damaged::Ask, false, false},
                 {ITunesImport::Damaged::Ask, true, true},
                 {ITunesImport::Damaged::Refuse, true, false},
                 {ITunesImport::Damaged::Salvage, false, true}};
    for (const auto &c : cases) {
        AnsweringTips tips(c.answer);
        RecordingProgress progress;
        ITunesImport import(backup, QDir(dir.filePath(QStringLiteral("cache"))), progress);
        import.setDamagedPolicy(c.policy);
        MsgData data;
        if (!c.loads) {
            EXPECT_THROW(import.run(runner(progress), data), std::runtime_error);
            continue;
        }
        ASSERT_TRUE(import.run(runner(progress), data));
        const qsizetype found = data.messages().size();
        EXPECT_GT(found, 0);
        EXPECT_LT(found, 300);
        ASSERT_FALSE(tips.shown.isEmpty());
        EXPECT_TRUE(tips.shown.last().contains(QString::number(found)));
    }
}
