#include "scripteddevicelink.h"

#include "fixtures/cpiowriter.h"
#include "fixtures/ios5smsdbwriter.h"
#include "frame/translation.h"
#include "mobiledevice/filerelayarchive.h"
#include "mobiledevice/iosdevice.h"
#include "mobiledevice/iosdeviceimport.h"
#include "mobiledevice/iosloadfilerelaythread.h"
#include "model/absiosmessagedb.h"
#include "model/msgdata.h"
#include "model/msgmessage.h"
#include "recordingprogress.h"
#include "recordingsteps.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

// A phone's tree as file relay sends it: folders, a database and a file with odd characters.
struct PhoneTree
{
    QTemporaryDir dir;
    QStringList entries{"var", "var/mobile", "var/mobile/Library/SMS/sms.db",
                        "var/mobile/Library/SMS/Parts/a:b?.jpg"};
    PhoneTree()
    {
        writeFile(dir.filePath(QStringLiteral("var/mobile/Library/SMS/sms.db")), "database");
        writeFile(dir.filePath(QStringLiteral("var/mobile/Library/SMS/Parts/a:b?.jpg")), "jpeg");
    }
};

struct FormatCase
{
    const char *format;
    bool gzip;
};

class Unpack : public ::testing::TestWithParam<FormatCase>
{};

TEST_P(Unpack, EveryCpioFormatGzipOrNot)
{
    PhoneTree phone;
    QTemporaryDir out;
    const QString archive = out.filePath(QStringLiteral("relay.cpio"));
    CpioWriter::write(archive,
                      CpioWriter::archive(QDir(phone.dir.path()), phone.entries,
                                          QString::fromLatin1(GetParam().format), GetParam().gzip));
    const QDir target(out.filePath(QStringLiteral("file-relay")));
    const FileRelayArchive::_Result result = FileRelayArchive::extract(archive, target);
    EXPECT_EQ(result.files, 2);
    EXPECT_EQ(result.skipped, 0);
    EXPECT_EQ(readAll(target.filePath(QStringLiteral("var/mobile/Library/SMS/sms.db"))),
              "database");
    // Characters other file systems refuse are dropped from names.
    EXPECT_EQ(readAll(target.filePath(QStringLiteral("var/mobile/Library/SMS/Parts/ab.jpg"))),
              "jpeg");
}

INSTANTIATE_TEST_SUITE_P(FileRelay, Unpack,
                         ::testing::Values(FormatCase{"newc", false}, FormatCase{"newc", true},
                                           FormatCase{"odc", false}, FormatCase{"odc", true},
                                           FormatCase{"bin", false}, FormatCase{"bin", true}));

TEST(FileRelay, HostileEntriesNeverLeaveTheTargetFolder)
{
    QTemporaryDir root;
    const QDir work(root.filePath(QStringLiteral("work")));
    writeFile(work.filePath(QStringLiteral("ok.txt")), "fine");
    writeFile(root.filePath(QStringLiteral("escape.txt")), "outside");
    ASSERT_TRUE(QFile::link(QStringLiteral("/etc/passwd"), work.filePath(QStringLiteral("link"))));
    ASSERT_EQ(mkfifo(QFile::encodeName(work.filePath(QStringLiteral("fifo"))).constData(), 0600),
              0);
    const QString absolute = root.filePath(QStringLiteral("absolute.txt"));
    writeFile(absolute, "absolute");
    const QByteArray bytes = CpioWriter::archive(
        work, {"ok.txt", "../escape.txt", absolute, "link", "fifo"}, "newc", false);
    // Once unpacked into a fresh folder, nothing may appear beside it.
    QFile::remove(root.filePath(QStringLiteral("escape.txt")));
    QFile::remove(absolute);
    const QString archive = root.filePath(QStringLiteral("hostile.cpio"));
    CpioWriter::write(archive, bytes);

    const QDir target(root.filePath(QStringLiteral("out/file-relay")));
    const FileRelayArchive::_Result result = FileRelayArchive::extract(archive, target);
    EXPECT_EQ(result.files, 1);
    EXPECT_EQ(result.skipped, 4);
    EXPECT_EQ(readAll(target.filePath(QStringLiteral("ok.txt"))), "fine");
    EXPECT_FALSE(QFileInfo::exists(root.filePath(QStringLiteral("escape.txt"))));
    EXPECT_FALSE(QFileInfo::exists(root.filePath(QStringLiteral("out/escape.txt"))));
    EXPECT_FALSE(QFileInfo::exists(absolute));
    const QStringList written =
        target.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    EXPECT_EQ(written, QStringList{QStringLiteral("ok.txt")});
}

TEST(FileRelay, TruncatedArchiveFailsAndLeavesNoHalfFile)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("big.bin")), QByteArray(200000, 'z'));
    QByteArray bytes = CpioWriter::archive(QDir(dir.path()), {QStringLiteral("big.bin")},
                                           QStringLiteral("newc"), false);
    bytes.truncate(100000);
    const QString archive = dir.filePath(QStringLiteral("cut.cpio"));
    CpioWriter::write(archive, bytes);
    const QDir target(dir.filePath(QStringLiteral("out")));
    EXPECT_THROW(FileRelayArchive::extract(archive, target), std::runtime_error);
    EXPECT_FALSE(QFileInfo::exists(target.filePath(QStringLiteral("big.bin"))));
}

TEST(FileRelay, EntryPathsAreKeptOnlyBelowTheTarget)
{
    const std::pair<const char *, const char *> cases[] = {
        {"./var/mobile/Library/SMS/sms.db", "var/mobile/Library/SMS/sms.db"},
        {"var/a:b?c.jpg", "var/abc.jpg"},
        {"var/<x>|\"*", "var/x"},
        {"var/", "var"},
        {"../etc/passwd", ""},
        {"var/../../x", ""},
        {"/etc/passwd", ""},
        {".:./x", ""},
        {".", ""},
        {"./", ""},
        {"", ""}};
    for (const auto &[entry, clean] : cases)
        EXPECT_EQ(FileRelayArchive::cleanEntryPath(QString::fromUtf8(entry)),
                  QString::fromUtf8(clean))
            << entry;
}

// A phone that answers the relay request and then sends the given chunks.
struct RelayPhone
{
    ScriptedDeviceLink link;
    IOSDevice device;

    // udid: each test's own, so that no two share a cache folder.
    RelayPhone(const char *udid, const QList<ScriptedDeviceLink::Chunk> &archive)
        : device(link, {QString::fromLatin1(udid), false})
    {
        QPlist ack = QPlist::newDict();
        ack.put(QStringLiteral("Status"), QPlist::fromString(QStringLiteral("Acknowledged")));
        link.serviceScript << ScriptedDeviceLink::message(ack) << archive;
    }
};

QByteArray phoneArchive()
{
    QTemporaryDir phone;
    {
        IOS5SmsDbWriter writer{QDir(phone.path())};
        const qint64 group = writer.addGroup({{QStringLiteral("+15551230001")}});
        IOS5SmsDbWriter::Sms sms;
        sms.text = QStringLiteral("Relayed hello");
        sms.unixDate = 1340000000;
        writer.addSms(group, sms);
        writer.close();
    }
    return CpioWriter::archive(QDir(phone.filePath(QStringLiteral("file-relay"))),
                               {QStringLiteral("./var/mobile/Library/SMS/sms.db")},
                               QStringLiteral("newc"), true);
}

TEST(FileRelay, ReceivedArchiveIsUnpackedAndRead)
{
    const QByteArray archive = phoneArchive();
    RelayPhone phone("relay-read", {ScriptedDeviceLink::bytes(archive.left(300)),
                                    ScriptedDeviceLink::bytes(archive.mid(300))});
    // A journal of an earlier relay must not survive into this one.
    const QString stale = phone.device.cacheDir().filePath(
        QStringLiteral("file-relay/var/mobile/Library/SMS/sms.db-wal"));
    writeFile(stale, "old journal");

    IOSDeviceImport import(phone.device);
    ASSERT_TRUE(import.fetch(g_recordingSteps(), [](BackupManifest &) { return QString(); }));
    EXPECT_EQ(phone.link.startedServices,
              QStringList{QStringLiteral("com.apple.mobile.file_relay")});
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_FALSE(
        QFileInfo::exists(phone.device.cacheDir().filePath(QStringLiteral("file-relay.cpio"))));
    MsgData data;
    const auto db = import.openMessageDb();
    db->messages(data, 0);
    ASSERT_EQ(data.messages().size(), 1);
    EXPECT_EQ(data.messages().first()->text(), QStringLiteral("Relayed hello"));
}

TEST(FileRelay, ArchiveThatStopsArrivingIsAnErrorAndNotUnpacked)
{
    const QByteArray archive = phoneArchive();
    RelayPhone phone("relay-silent", {ScriptedDeviceLink::bytes(archive.left(archive.size() / 2)),
                                      ScriptedDeviceLink::timeout()});
    RecordingProgress progress;
    IOSLoadFileRelayThread worker(phone.device, progress);
    EXPECT_FALSE(progress.run(worker));
    EXPECT_TRUE(progress.endText().startsWith(g_tr("IDS_IOS_STOPPED_SENDING_%1").arg(0).left(20)))
        << progress.endText().toStdString();
    const QDir cache = phone.device.cacheDir();
    EXPECT_FALSE(QFileInfo::exists(cache.filePath(QStringLiteral("file-relay"))));
    EXPECT_FALSE(QFileInfo::exists(cache.filePath(QStringLiteral("file-relay.cpio"))));
}

TEST(FileRelay, CancelWhileReceivingEndsWithoutMessage)
{
    RelayPhone phone("relay-cancel", {ScriptedDeviceLink::bytes(QByteArray(2000000, 'x'))});
    RecordingProgress progress;
    progress.cancelAtUpdate(2);
    IOSLoadFileRelayThread worker(phone.device, progress);
    EXPECT_FALSE(progress.run(worker));
    EXPECT_EQ(progress.endCount(), 0);
    EXPECT_FALSE(QFileInfo::exists(phone.device.cacheDir().filePath(QStringLiteral("file-relay"))));
}

} // namespace
