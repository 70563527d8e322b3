#include "frame/logsaver.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <functional>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

class LogSaver : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_root = m_dir.filePath("qlogs");
    }

    void TearDown() override
    {
        logsaver_uninstall_msghandler();
        logsaver_set_echo(true);
    }

    QStringList logFiles() const
    {
        return QDir(m_root).entryList({"log-*.txt"}, QDir::Files, QDir::Name);
    }

    // The lines of the one log file written since installing.
    QStringList logLines() const
    {
        const QStringList files = logFiles();
        EXPECT_EQ(files.size(), 1);
        if (files.isEmpty())
            return {};
        QString content = QString::fromUtf8(readAll(QDir(m_root).filePath(files.first())));
        EXPECT_TRUE(content.endsWith('\n'));
        content.chop(1);
        return content.split('\n');
    }

    QTemporaryDir m_dir;
    QString m_root;
};

// Runs a piece of code with standard output sent to a file, and returns what it printed.
QByteArray captureStdout(const std::function<void()> &code)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("stdout");
    std::fflush(stdout);
    const int saved = ::dup(STDOUT_FILENO);
    FILE *sink = std::fopen(path.toLocal8Bit().constData(), "w");
    ::dup2(::fileno(sink), STDOUT_FILENO);
    code();
    std::fflush(stdout);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    std::fclose(sink);
    // Unreadable must not look like "printed nothing".
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

TEST_F(LogSaver, OneLinePerMessageWithTypeAndTime)
{
    logsaver_set_echo(false);
    logsaver_install_msghandler(m_root, 10);
    EXPECT_FALSE(QDir(m_root).exists()) << "made only when the first message comes";

    qDebug("plain debug");
    qWarning("Zoë warns");
    qCritical("critical %d", 3);
    qInfo("for information");
    logsaver_uninstall_msghandler();
    qWarning("after uninstall, not logged");

    const QStringList lines = logLines();
    const QStringList expected = {"(D @) plain debug", "(W @) Zoë warns", "(C @) critical 3",
                                  "(@) for information"};
    ASSERT_EQ(lines.size(), expected.size());
    for (int i = 0; i < lines.size(); ++i) {
        const QString pattern =
            QRegularExpression::escape(expected[i]).replace("\\@", "\\d\\d:\\d\\d:\\d\\d");
        EXPECT_TRUE(QRegularExpression('^' + pattern + '$').match(lines[i]).hasMatch())
            << lines[i].toStdString();
    }

    const QString expectedName = "log-" + QDate::currentDate().toString("yyyyMMdd") + ".txt";
    const QString otherDayName =
        "log-" + QDate::currentDate().addDays(-1).toString("yyyyMMdd") + ".txt";
    // Just after midnight the file may carry the day before.
    EXPECT_TRUE(logFiles().first() == expectedName || logFiles().first() == otherDayName);
}

TEST_F(LogSaver, KeepsTheLastFilesInNameOrder)
{
    ASSERT_TRUE(QDir().mkpath(m_root));
    QStringList names;
    for (int day = 1; day <= 12; ++day)
        names << QStringLiteral("log-202401%1.txt").arg(day, 2, 10, QLatin1Char('0'));
    // Created out of order, so that only the names can decide.
    for (const QString &name : QStringList(names.crbegin(), names.crend()))
        writeFile(QDir(m_root).filePath(name), QByteArray());
    const QString other = QDir(m_root).filePath("a-notes.txt");
    writeFile(other, QByteArray());

    logsaver_install_msghandler(m_root, 10);
    logsaver_uninstall_msghandler();

    EXPECT_EQ(logFiles(), names.mid(2));
    EXPECT_TRUE(QFileInfo::exists(other)) << "files that are not logs are left alone";
}

TEST_F(LogSaver, ConcurrentWritersGiveWholeLines)
{
    logsaver_set_echo(false);
    logsaver_install_msghandler(m_root, 10);
    constexpr int kThreads = 6;
    constexpr int kPerThread = 300;
    const QString padding(200, QLatin1Char('x'));
    std::vector<std::unique_ptr<QThread>> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back(QThread::create([t, &padding] {
            for (int n = 0; n < kPerThread; ++n)
                qWarning().noquote()
                    << QStringLiteral("writer %1 line %2 %3").arg(t).arg(n).arg(padding);
        }));
        threads.back()->start();
    }
    for (const auto &thread : threads)
        thread->wait();
    logsaver_uninstall_msghandler();

    const QRegularExpression whole(
        "^\\(W \\d\\d:\\d\\d:\\d\\d\\) writer (\\d+) line (\\d+) x{200}$");
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), kThreads * kPerThread);
    QSet<QString> seen;
    for (const QString &line : lines) {
        const QRegularExpressionMatch match = whole.match(line);
        ASSERT_TRUE(match.hasMatch()) << line.left(80).toStdString();
        seen.insert(match.captured(1) + '/' + match.captured(2));
    }
    EXPECT_EQ(seen.size(), kThreads * kPerThread);
}

TEST_F(LogSaver, DebugEchoOnStandardOutputCanBeSwitchedOff)
{
    logsaver_install_msghandler(m_root, 10);
    const QByteArray echoed = captureStdout([] {
        qDebug("shown on stdout");
        qWarning("only in the file");
    });
    EXPECT_EQ(echoed, QByteArray("shown on stdout\n"));

    logsaver_set_echo(false);
    const QByteArray silent = captureStdout([] { qDebug("quiet now"); });
    EXPECT_TRUE(silent.isEmpty()) << silent.toStdString();
    logsaver_uninstall_msghandler();
    EXPECT_EQ(logLines().size(), 3);
}

TEST_F(LogSaver, UnwritableRootLosesLinesQuietly)
{
    const QString blocker = m_dir.filePath("blocker");
    writeFile(blocker, QByteArray());
    logsaver_set_echo(false);
    logsaver_install_msghandler(blocker + "/qlogs", 10);
    qWarning("nowhere to go");
    logsaver_uninstall_msghandler();
    EXPECT_FALSE(QFileInfo::exists(blocker + "/qlogs"));
}

TEST_F(LogSaver, FatalMessageIsWrittenThenAborts)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_DEATH(
        {
            logsaver_set_echo(false);
            logsaver_install_msghandler(m_root, 10);
            qFatal("the end %d", 42);
        },
        "");
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(
        QRegularExpression("^\\(F \\d\\d:\\d\\d:\\d\\d\\) the end 42$").match(lines[0]).hasMatch())
        << lines[0].toStdString();
}
