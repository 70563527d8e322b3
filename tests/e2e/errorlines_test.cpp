// What goes wrong reaches the user as one readable line naming the file and the problem.
#include "clitest.h"

#include "fixtures/smsdbwriter.h"
#include "model/sqlite3db.h"
#include "phonebackupsample.h"
#include "testfiles.h"

#include <QCryptographicHash>
#include <QProcess>

namespace {

struct Case
{
    const char *what;
    QStringList args;
    int exitCode;
    QStringList needles; // each must be in the first line of standard error
};

class ErrorLines : public CliTest
{
protected:
    QString path(const QString &relative) const { return m_dir.filePath(relative); }

    // A phone folder whose message database is the given bytes, or a folder when isFolder.
    QString phoneWithDb(const QString &name, const QByteArray &bytes, bool isFolder = false) const
    {
        const QString db = SmsDbWriter::dbPathIn(QDir(path(name)));
        QDir().mkpath(isFolder ? db : QFileInfo(db).path());
        if (!isFolder)
            writeFile(db, bytes);
        return path(name);
    }

    // A phone folder of one chat with a picture.
    QString plainPhone(const QString &name) const
    {
        SmsDbWriter w(QDir(path(name)), SmsDbWriter::Layout::Extended);
        const qint64 ann = w.addHandle(QStringLiteral("+15550001"));
        SmsDbWriter::Message m;
        m.text = QStringLiteral("hello");
        const QByteArray picture("picture");
        w.addAttachment(w.addMessage(w.addChat(ann), m),
                        QStringLiteral("~/Library/SMS/Attachments/p.jpg"),
                        QStringLiteral("image/jpeg"), &picture);
        return path(name);
    }

    // An encrypted backup whose stored message database lost its last bytes.
    QString backupWithCutDb() const
    {
        const QString backup = path(QStringLiteral("backup"));
        PhoneBackupSample().write(backup, true);
        const QString stored = QDir(backup).filePath(QString::fromLatin1(
            QCryptographicHash::hash("HomeDomain-Library/SMS/sms.db", QCryptographicHash::Sha1)
                .toHex()));
        QFile file(stored);
        EXPECT_TRUE(file.exists()) << stored.toStdString();
        EXPECT_TRUE(file.resize(file.size() - 5));
        return backup;
    }

    static void expectOneClearLine(const Case &c, const CliResult &r)
    {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        const QStringList lines = r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_FALSE(lines.isEmpty());
        // A usage error adds the verb's usage below its line.
        EXPECT_EQ(lines.size(), c.exitCode == 2 ? 2 : 1) << r.err.toStdString();
        const QString &first = lines.first();
        EXPECT_TRUE(first.startsWith(QStringLiteral("textlink-cli: "))) << first.toStdString();
        for (const QString &needle : c.needles)
            EXPECT_TRUE(first.contains(needle))
                << first.toStdString() << " lacks " << needle.toStdString();
        for (const QChar ch : first)
            EXPECT_TRUE(ch.isPrint()) << "control character " << ch.unicode();
    }

    QTemporaryDir m_dir;
};

TEST_F(ErrorLines, EachFailureIsOneLineNamingFileAndProblem)
{
    const QString foreign = phoneWithDb(QStringLiteral("foreign"), QByteArray());
    {
        Sqlite3DB db;
        db.openThrow(SmsDbWriter::dbPathIn(QDir(foreign)), 6);
        db.executeThrow("create table notes (text)");
    }
    const QString empty = phoneWithDb(QStringLiteral("empty"), QByteArray());
    const QString folderDb = phoneWithDb(QStringLiteral("folderdb"), QByteArray(), true);
    const QString garbled = path(QString::fromUtf8("bad\x01\nname\x1b[31m"));
    const QString aFile = path(QStringLiteral("a-file"));
    writeFile(aFile, "not a folder");
    const QString backup = backupWithCutDb();
    const QString phone = plainPhone(QStringLiteral("phone"));
    const QString pw = QString::fromLatin1(PhoneBackupSample::kPassword);
    const QString longName(300, QLatin1Char('x'));
    const auto db = [](const QString &folder) { return SmsDbWriter::dbPathIn(QDir(folder)); };

    const QString noPhone = QStringLiteral("holds no phone's messages");
    const QString below = aFile + "/x";
    QList<Case> cases = {
        {"foreign database", {"messages", foreign}, 1, {db(foreign), noPhone}},
        {"empty database", {"messages", empty}, 1, {db(empty), noPhone}},
        {"database that is a folder", {"messages", folderDb}, 1, {folderDb}},
        {"control characters", {"messages", garbled}, 1, {"Unknown source"}},
        {"too long a name", {"save", empty, "--to", longName}, 2, {"longer than"}},
        {"empty name", {"save", empty, "--to", ""}, 2, {"may not be empty"}},
        {"data folder below a file", {"--data-dir", below, "sources"}, 1, {below}},
        {"data folder not writable", {"--data-dir", "/proc", "sources"}, 1, {"/proc"}},
        {"extract below a file", {"extract", phone, "--out", below}, 1, {aFile}},
        {"damaged encrypted file",
         {"import-backup", backup, "--password", pw, "--to", "B"},
         1,
         {"sms.db", "damaged"}},
    };
    for (const char *format : {"csv", "html", "pdf"})
        cases.append({"export below a file",
                      {"export", phone, "--format", format, "--out", below},
                      1,
                      {aFile}});
    for (const Case &c : std::as_const(cases))
        expectOneClearLine(c, cli(c.args));
}

// A disk that fills up: files may not grow past 1 MiB in this run, so seven of the eight pictures
// cannot be copied. The run fails with the counts instead of reporting success.
TEST_F(ErrorLines, ExtractWithFailedCopiesEndsInErrorWithCounts)
{
    const QString phone = path(QStringLiteral("phone"));
    {
        SmsDbWriter w(QDir(phone), SmsDbWriter::Layout::Extended);
        const qint64 ann = w.addHandle(QStringLiteral("+15550001"));
        const qint64 chat = w.addChat(ann);
        for (int i = 0; i < 8; ++i) {
            SmsDbWriter::Message m;
            m.text = QStringLiteral("picture %1").arg(i);
            m.date = 1000 + i;
            const QByteArray bytes(i == 0 ? 1000 : 2 * 1024 * 1024, char('a' + i));
            w.addAttachment(w.addMessage(chat, m),
                            QStringLiteral("~/Library/SMS/Attachments/%1/p%1.jpg").arg(i),
                            QStringLiteral("image/jpeg"), &bytes);
        }
    }
    QProcess run;
    // Writes past the limit fail with EFBIG once the signal they raise is ignored.
    run.start(QStringLiteral("/bin/sh"),
              {"-c", "trap '' XFSZ; ulimit -f 1024; exec \"$0\" \"$@\"", TEXTLINK_CLI_PATH,
               "--data-dir", m_data.path(), "--quiet", "extract", phone, "--out", path("out")});
    ASSERT_TRUE(run.waitForFinished(120000));
    const QString err = QString::fromUtf8(run.readAllStandardError());
    EXPECT_EQ(run.exitCode(), 1) << err.toStdString();
    EXPECT_EQ(err.count(QLatin1Char('\n')), 1) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("7 attachment files could not be copied")))
        << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("1 were copied"))) << err.toStdString();
}

} // namespace
