#include "frame/consoleprogress.h"

#include "frame/abstips.h"
#include "frame/consoletips.h"
#include "frame/translation.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QThread>

#include <csignal>
#include <functional>
#include <memory>
#include <vector>

namespace {

class ConsoleProgressTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_out.open(QIODevice::WriteOnly)); }

    QString output() const { return QString::fromUtf8(m_out.data()); }

    QBuffer m_out;
};

// A worker that reports through the given progress as the test tells it to.
std::unique_ptr<QThread> makeWorker(std::function<void()> body)
{
    return std::unique_ptr<QThread>(QThread::create(std::move(body)));
}

// Works until cancelled, then ends without a report as cancelled workers do.
std::unique_ptr<QThread> makeCancellableWorker(AbsProgress &progress,
                                               std::function<void()> onStart = {})
{
    return makeWorker([&progress, onStart] {
        try {
            if (onStart)
                onStart();
            for (int i = 0;; ++i) {
                progress.throwIfCancelled();
                progress.invokeUpdateProgress(QStringLiteral("Working"), i % 100, QString());
                QThread::msleep(2);
            }
        } catch (int code) {
            EXPECT_EQ(code, kUserCancelled);
        }
    });
}

} // namespace

TEST_F(ConsoleProgressTest, PlainOutputPrintsALinePerNewStatusOnly)
{
    ConsoleProgress progress(ConsoleProgress::Output::Lines, &m_out);
    progress.invokeUpdateProgress("Reading messages", 0, QString());
    for (int value = 1; value <= 100; ++value)
        progress.invokeUpdateProgress(QString(), value, QString());
    progress.invokeUpdateProgress("Reading messages", 100, QString());
    progress.invokeUpdateProgress("Copying attachments", -1, "3 of 7");
    progress.invokeSucceed("Done");

    EXPECT_EQ(output(), QStringLiteral("Reading messages\nCopying attachments\n"));
}

TEST_F(ConsoleProgressTest, BarIsRedrawnInPlaceOnlyWhenItChanges)
{
    ConsoleProgress progress(ConsoleProgress::Output::Bar, &m_out);
    progress.invokeUpdateProgress("Exporting", 0, QString());
    progress.invokeUpdateProgress(QString(), 0, QString());
    progress.invokeUpdateProgress(QString(), 50, QString());
    progress.invokeUpdateProgress(QString(), -1, QString());
    progress.invokeUpdateProgress(QString(), 100, QString());
    progress.invokeSucceed(QString());

    const QString text = output();
    EXPECT_EQ(text.count('\r'), 3);
    EXPECT_FALSE(text.contains("\n\r")) << "every drawing replaces the one before";
    EXPECT_TRUE(text.endsWith("100%\x1b[K\n")) << text.toStdString();
    const QString half = text.section('\r', 2, 2);
    EXPECT_TRUE(half.startsWith("Exporting [")) << half.toStdString();
    EXPECT_TRUE(half.contains(" 50%"));
    EXPECT_EQ(half.count('#'), half.count('-'));
}

TEST_F(ConsoleProgressTest, QuietPrintsNothingButRecordsTheEnd)
{
    ConsoleProgress progress(ConsoleProgress::Output::Quiet, &m_out);
    progress.invokeUpdateProgress("Saving", 40, QString());
    progress.invokeErrorOccurred("Disk full");
    EXPECT_TRUE(output().isEmpty());
    EXPECT_EQ(progress.outcome(), ConsoleProgress::Outcome::Failed);
    EXPECT_EQ(progress.endText(), "Disk full");
}

TEST_F(ConsoleProgressTest, ConcurrentReportersGiveWholeLines)
{
    ConsoleProgress progress(ConsoleProgress::Output::Lines, &m_out);
    std::vector<std::unique_ptr<QThread>> threads;
    for (int t = 0; t < 4; ++t) {
        threads.push_back(makeWorker([&progress, t] {
            for (int n = 0; n < 200; ++n)
                progress.invokeUpdateProgress(QStringLiteral("step %1-%2").arg(t).arg(n), n / 2,
                                              QString());
        }));
        threads.back()->start();
    }
    for (const auto &thread : threads)
        thread->wait();

    for (const QString &line : output().split('\n', Qt::SkipEmptyParts))
        EXPECT_TRUE(QRegularExpression("^step \\d-\\d+$").match(line).hasMatch())
            << line.toStdString();
}

TEST_F(ConsoleProgressTest, WorkerSuccessAndFailureAreRecorded)
{
    ConsoleProgress ok(ConsoleProgress::Output::Quiet, &m_out);
    auto good = makeWorker([&ok] {
        ok.invokeUpdateProgress("Loading", 50, QString());
        ok.invokeSucceed("Loaded 3 messages");
    });
    EXPECT_TRUE(ok.runWorker(*good));
    EXPECT_EQ(ok.outcome(), ConsoleProgress::Outcome::Succeeded);
    EXPECT_EQ(ok.endText(), "Loaded 3 messages");
    EXPECT_FALSE(ok.isFinishedWithoutSuccess());

    ConsoleProgress failing(ConsoleProgress::Output::Quiet, &m_out);
    auto bad = makeWorker([&failing] {
        failing.invokeErrorOccurred("Cannot open database");
        // Anything after the first end is ignored.
        failing.invokeSucceed("too late");
    });
    EXPECT_FALSE(failing.runWorker(*bad));
    EXPECT_EQ(failing.outcome(), ConsoleProgress::Outcome::Failed);
    EXPECT_EQ(failing.endText(), "Cannot open database");
    EXPECT_TRUE(failing.isFinishedWithoutSuccess());
}

TEST_F(ConsoleProgressTest, WorkerEndingWithoutReportHasFailed)
{
    ConsoleProgress progress(ConsoleProgress::Output::Quiet, &m_out);
    auto silent = makeWorker([&progress] { progress.invokeUpdateProgress("Half", 50, QString()); });
    EXPECT_FALSE(progress.runWorker(*silent));
    EXPECT_EQ(progress.outcome(), ConsoleProgress::Outcome::Failed);
    EXPECT_EQ(progress.endText(), g_tr("IDS_WORKER_NO_REPORT"));
    EXPECT_NE(progress.endText(), QStringLiteral("IDS_WORKER_NO_REPORT"));
}

TEST_F(ConsoleProgressTest, CancelStopsTheWorkerAndIsNotASuccess)
{
    ConsoleProgress progress(ConsoleProgress::Output::Lines, &m_out);
    const QSignalSpy cancelled(&progress, &AbsProgress::userCacel);
    auto worker = makeCancellableWorker(progress);
    // Cancelled from the event loop the run spins, once the worker is under way.
    QObject::connect(worker.get(), &QThread::started, &progress, &ConsoleProgress::cancel,
                     Qt::QueuedConnection);

    EXPECT_FALSE(progress.runWorker(*worker));
    EXPECT_EQ(progress.outcome(), ConsoleProgress::Outcome::Cancelled);
    EXPECT_EQ(progress.endText(), g_tr("IDS_OPERATION_CANCELLED"));
    EXPECT_TRUE(progress.isFinishedWithoutSuccess());
    EXPECT_EQ(cancelled.count(), 1);

    // A cancel after the end changes nothing.
    progress.cancel();
    EXPECT_EQ(cancelled.count(), 1);
}

TEST_F(ConsoleProgressTest, FirstInterruptCancelsAndHandlerIsRestored)
{
    struct sigaction before = {};
    ASSERT_EQ(sigaction(SIGINT, nullptr, &before), 0);

    ConsoleProgress progress(ConsoleProgress::Output::Quiet, &m_out);
    const QSignalSpy cancelled(&progress, &AbsProgress::userCacel);
    auto worker = makeCancellableWorker(progress, [] { std::raise(SIGINT); });

    EXPECT_FALSE(progress.runWorker(*worker));
    EXPECT_EQ(progress.outcome(), ConsoleProgress::Outcome::Cancelled);
    EXPECT_EQ(cancelled.count(), 1);

    struct sigaction after = {};
    ASSERT_EQ(sigaction(SIGINT, nullptr, &after), 0);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

TEST_F(ConsoleProgressTest, TipsGoThroughTheInstalledBoxesWithoutWaiting)
{
    QBuffer tipsOut;
    ASSERT_TRUE(tipsOut.open(QIODevice::WriteOnly));
    ConsoleTips tips(false, &tipsOut);
    AbsTips::install(&tips);
    ConsoleProgress progress(ConsoleProgress::Output::Bar, &m_out);
    progress.invokeUpdateProgress("Backing up", 10, QString());
    progress.invokeTipsWait("Unlock the phone<br/>then continue.");
    AbsTips::install(nullptr);

    EXPECT_FALSE(progress.isWaitingForUser());
    EXPECT_EQ(QString::fromUtf8(tipsOut.data()), "Unlock the phone\nthen continue.\n");
    EXPECT_TRUE(output().endsWith('\n')) << "the bar line is ended before the text is shown";
}

TEST(ConsoleTips, RichTextBecomesPlainLines)
{
    EXPECT_EQ(ConsoleTips::toPlainText("One<br/>Two<BR>Three<br />"), "One\nTwo\nThree");
    EXPECT_EQ(ConsoleTips::toPlainText("See <a href=\"https://x.example\">the <b>guide</b></a>."),
              "See the guide.");
    EXPECT_EQ(ConsoleTips::toPlainText("a &lt;b&gt; &amp;lt; &quot;c&quot;"), "a <b> &lt; \"c\"");
    EXPECT_EQ(ConsoleTips::toPlainText("<p>First</p><p>Second</p>"), "First\nSecond");
}

TEST(ConsoleTips, QuestionsTakeTheAnswerChosenAtConstruction)
{
    QBuffer out;
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    ConsoleTips cautious(false, &out);
    ConsoleTips willing(true, &out);
    EXPECT_FALSE(cautious.question("Delete 3 messages?"));
    EXPECT_TRUE(willing.question("Delete 3 messages?"));
    const QStringList lines = QString::fromUtf8(out.data()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("Delete 3 messages? "));
    EXPECT_TRUE(lines[0].endsWith(g_tr("IDS_CONSOLE_ANSWER_NO")));
    EXPECT_TRUE(lines[1].endsWith(g_tr("IDS_CONSOLE_ANSWER_YES")));
}

TEST(ConsoleTips, ErrorIsFramedOthersAreNot)
{
    QBuffer out;
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    ConsoleTips tips(false, &out);
    tips.error("Backup is damaged.");
    const QString framed = QString::fromUtf8(out.data());
    EXPECT_TRUE(framed.startsWith(g_tr("IDS_ERROR_OCCURRED") + "\n\nBackup is damaged.\n\n"));
    EXPECT_TRUE(framed.endsWith(ConsoleTips::toPlainText(g_tr("IDS_ERROR_SUPPORT")) + "\n"));
    EXPECT_TRUE(framed.contains("support@textlink.example"));

    out.buffer().clear();
    out.seek(0);
    tips.errorWithoutPrefix("Plain error");
    tips.warning("A warning");
    tips.info("Some info");
    EXPECT_EQ(QString::fromUtf8(out.data()), "Plain error\nA warning\nSome info\n");
}
