#include "clitest.h"
#include "testfiles.h"

#include "fixtures/smsdbwriter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QProcess>

#include <algorithm>

#include <sys/stat.h>

namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;

constexpr int kMessages = 300;

// Every entry below folder with a hash of its content (links and FIFOs by their kind only).
QStringList snapshot(const QString &folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QByteArray content = "other";
        QFile file(path);
        if (it.fileInfo().isSymLink())
            content = "link";
        else if (it.fileInfo().isFile() && file.open(QIODevice::ReadOnly))
            content = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
        entries << path + QLatin1Char(' ') + QString::fromLatin1(content.toHex());
    }
    entries.sort();
    return entries;
}

// A phone folder of one chat with many messages, a text part and a picture.
class PhoneFolder : public CliTest
{
protected:
    void SetUp() override { writePhone(m_phone, false); }

    // wal: the rows stay in the write-ahead log, as a phone copied while in use leaves them.
    void writePhone(const QString &folder, bool wal)
    {
        SmsDbWriter w(QDir(folder), SmsDbWriter::Layout::Extended, wal);
        const qint64 ann = w.addHandle(m_address);
        const qint64 chat = w.addChat(ann);
        for (int i = 0; i < kMessages; ++i) {
            SmsDbWriter::Message m;
            m.text = QStringLiteral("message %1 ").arg(i) + QString(40, QLatin1Char('x'));
            m.date = 1000 + i;
            m.handle = i % 2 ? ann : 0;
            m.fromMe = i % 2 == 0;
            const qint64 id = w.addMessage(chat, m);
            if (i == 1)
                w.addAttachment(id, kTextPart, QStringLiteral("text/plain"), &m_partBytes);
            if (i == 2)
                w.addAttachment(id, kPicture, QStringLiteral("image/jpeg"), &m_partBytes);
        }
        if (!wal) {
            w.close();
            return;
        }
        // Copied while the writer is still open: the rows are only in the log.
        const QString db = SmsDbWriter::dbPathIn(QDir(folder));
        const QString copy = m_data.filePath(QStringLiteral("walphone"));
        QDir().mkpath(QFileInfo(SmsDbWriter::dbPathIn(QDir(copy))).path());
        ASSERT_TRUE(QFile::copy(db, SmsDbWriter::dbPathIn(QDir(copy))));
        ASSERT_TRUE(QFile::copy(db + "-wal", SmsDbWriter::dbPathIn(QDir(copy)) + "-wal"));
        m_phone = copy;
    }

    QString partPath(const char *relative) const
    {
        return m_phone + QStringLiteral("/file-relay/var/mobile/") +
               QString::fromLatin1(relative).mid(2);
    }

    static constexpr const char *kTextPart = "~/Library/SMS/Attachments/aa/00/note.txt";
    static constexpr const char *kPicture = "~/Library/SMS/Attachments/bb/01/p.jpg";
    QString m_phone = m_data.filePath(QStringLiteral("phone"));
    QString m_address = QStringLiteral("+15550001");
    const QByteArray m_partBytes = "the part's bytes";
};

TEST_F(PhoneFolder, ReadingNeverWritesIntoThePhoneFolder)
{
    writePhone(m_data.filePath(QStringLiteral("inuse")), true);
    const QStringList before = snapshot(m_phone);
    EXPECT_EQ(ok({"messages", m_phone}).size(), kMessages);
    ok({"save", m_phone, "--to", "Archive"});
    ok({"export", m_phone, "--format", "html", "--out", m_data.filePath("x")});
    EXPECT_EQ(snapshot(m_phone), before);
}

TEST_F(PhoneFolder, ADamagedDatabaseFailsUnlessSalvaged)
{
    QFile db(SmsDbWriter::dbPathIn(QDir(m_phone)));
    ASSERT_TRUE(db.resize(db.size() - 3 * 1024));

    const std::string refused = failure({"messages", m_phone});
    EXPECT_THAT(refused, AllOf(HasSubstr("damaged"), HasSubstr(db.fileName().toStdString())));
    EXPECT_EQ(std::count(refused.begin(), refused.end(), '\n'), 1) << refused;

    const CliResult salvaged = cli({"--salvage", "messages", m_phone});
    ASSERT_EQ(salvaged.exitCode, 0) << salvaged.err.toStdString();
    const qsizetype found = salvaged.jsonLines().size();
    EXPECT_GT(found, 0);
    EXPECT_LT(found, kMessages);
    EXPECT_TRUE(salvaged.err.contains(QStringLiteral("%1 messages salvaged").arg(found)))
        << salvaged.err.toStdString();
}

// Attachments a reader must not open as files: a link to a file of this computer, a FIFO.
TEST_F(PhoneFolder, OnlyRegularFilesAreReadAsAttachments)
{
    const QString secret = m_data.filePath(QStringLiteral("secret"));
    writeFile(secret, "this computer's secret");
    ASSERT_TRUE(QFile::remove(partPath(kPicture)));
    ASSERT_TRUE(QFile::link(secret, partPath(kPicture)));
    ASSERT_TRUE(QFile::remove(partPath(kTextPart)));
    ASSERT_EQ(::mkfifo(QFile::encodeName(partPath(kTextPart)).constData(), 0600), 0);

    for (const char *format : {"html", "pdf"})
        ok({"export", m_phone, "--format", format, "--out", m_data.filePath(format)});
    ok({"save", m_phone, "--to", "Archive"});
    for (const QString &entry : snapshot(m_data.filePath("local_databases")))
        EXPECT_FALSE(entry.contains("p.jpg")) << entry.toStdString();
}

TEST_F(PhoneFolder, AChatWhoseNameIsTooLongForAFileIsExported)
{
    m_address = QString(400, QLatin1Char('7'));
    writePhone(m_phone, false);
    for (const char *format : {"html", "pdf"}) {
        ok({"export", m_phone, "--format", format, "--out", m_data.filePath(format)});
        EXPECT_EQ(QDir(m_data.filePath(format) + "-" + format).entryList(QDir::Files).size(), 1)
            << format;
    }
}

TEST_F(PhoneFolder, TwoSavesIntoOneArchiveAtOnceBothFinish)
{
    QProcess first;
    QProcess second;
    for (QProcess *run : {&first, &second}) {
        run->start(QStringLiteral(TEXTLINK_CLI_PATH),
                   {"--data-dir", m_data.path(), "--quiet", "save", m_phone, "--to", "Archive"});
    }
    for (QProcess *run : {&first, &second}) {
        ASSERT_TRUE(run->waitForFinished(120000));
        EXPECT_EQ(run->exitCode(), 0) << run->readAllStandardError().toStdString();
    }
    EXPECT_EQ(ok({"messages", "Archive"}).size(), kMessages);
}

} // namespace
