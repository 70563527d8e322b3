#include "messageboxcloser.h"

#include "ui/progressform.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <memory>

namespace {

QString statusText(const ProgressForm &form)
{
    return form.findChild<QLabel *>(QStringLiteral("lbStatus"))->text();
}

QString progressText(const ProgressForm &form)
{
    return form.findChild<QLabel *>(QStringLiteral("lbProgress"))->text();
}

QProgressBar *bar(const ProgressForm &form)
{
    return form.findChild<QProgressBar *>(QStringLiteral("progressBar"));
}

QPushButton *cancelButton(const ProgressForm &form)
{
    return form.findChild<QPushButton *>(QStringLiteral("btnCancel"));
}

// A worker as the launchers write them: a thread that reports only through AbsProgress.
std::unique_ptr<QThread> makeWorker(std::function<void()> run)
{
    return std::unique_ptr<QThread>(QThread::create(std::move(run)));
}

} // namespace

TEST(ProgressForm, StartsWithTheTitleAsStatusFramelessAndCancelable)
{
    ProgressForm form(QStringLiteral("Loading backup"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Loading backup"));
    EXPECT_EQ(statusText(form), QStringLiteral("Loading backup"));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(form.styleSheet().isEmpty());
    EXPECT_EQ(cancelButton(form)->text(), QStringLiteral("Cancel"));
    EXPECT_TRUE(cancelButton(form)->isEnabled());
    form.setCancelable(false);
    EXPECT_FALSE(cancelButton(form)->isEnabled());
}

TEST(ProgressForm, UpdateProgressKeepsWhatIsLeftOutAndDefaultsThePercentText)
{
    ProgressForm form(QStringLiteral("Export"));
    form.updateProgress(QStringLiteral("Writing chat 1"), 40, QString());
    EXPECT_EQ(statusText(form), QStringLiteral("Writing chat 1"));
    EXPECT_EQ(bar(form)->value(), 40);
    EXPECT_EQ(progressText(form), QStringLiteral("Progress:40%"));

    // Empty status, negative value and empty text: status and bar stay, the percent is re-shown.
    form.updateProgress(QString(), -1, QStringLiteral("12 of 30"));
    EXPECT_EQ(progressText(form), QStringLiteral("12 of 30"));
    form.updateProgress(QString(), -1, QString());
    EXPECT_EQ(statusText(form), QStringLiteral("Writing chat 1"));
    EXPECT_EQ(bar(form)->value(), 40);
    EXPECT_EQ(progressText(form), QStringLiteral("Progress:40%"));

    form.updateProgress(QString(), 0, QString());
    EXPECT_EQ(progressText(form), QStringLiteral("Progress:0%"));

    // Overshooting still fills the bar instead of leaving it where it was.
    form.updateProgress(QString(), 101, QString());
    EXPECT_EQ(bar(form)->value(), 100);
}

// A success without a text closes quietly; an end with a text shows its box over a closed progress
// dialog, never over a finished one still shown.
TEST(ProgressForm, AnEndClosesTheDialogThenShowsItsText)
{
    const struct
    {
        bool success;
        const char *text;
        QMessageBox::Icon icon;
    } cases[] = {{true, "", QMessageBox::NoIcon},
                 {true, "Saved 12 messages.", QMessageBox::Information},
                 {false, "Database locked.", QMessageBox::Critical}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        MessageBoxCloser closer;
        ProgressForm form(QStringLiteral("Save"));
        form.show();
        bool progressShownWithBox = true;
        closer.setOnShown([&](QMessageBox &) { progressShownWithBox = form.isVisible(); });
        if (c.success)
            form.succeed(QLatin1String(c.text));
        else
            form.errorOccurred(QLatin1String(c.text));
        const bool box = *c.text != '\0';
        EXPECT_EQ(progressShownWithBox, !box);
        ASSERT_EQ(closer.count(), box ? 1 : 0);
        EXPECT_TRUE(!box || closer.last().icon == c.icon);
        EXPECT_TRUE(!box || closer.last().text.contains(QLatin1String(c.text)));
        EXPECT_EQ(form.result(), c.success ? 1 : 0);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.progress().isFinishedWithoutSuccess(), !c.success);
    }
}

TEST(ProgressForm, CancelButtonSignalsTheWorkerAndEndsWithoutSuccess)
{
    ProgressForm form(QStringLiteral("Load"));
    form.show();
    QSignalSpy formSpy(&form, &ProgressForm::userCacel);
    QSignalSpy workerSpy(&form.progress(), &AbsProgress::userCacel);
    bool flagSeenBySignal = false;
    QObject::connect(&form.progress(), &AbsProgress::userCacel, &form.progress(),
                     [&] { flagSeenBySignal = form.progress().isFinishedWithoutSuccess(); });

    QTest::mouseClick(cancelButton(form), Qt::LeftButton);

    EXPECT_EQ(formSpy.count(), 1);
    EXPECT_EQ(workerSpy.count(), 1);
    EXPECT_TRUE(flagSeenBySignal);
    EXPECT_EQ(form.result(), 0);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.progress().isFinishedWithoutSuccess());
    EXPECT_THROW(form.progress().throwIfCancelled(), int);
}

TEST(ProgressForm, EscapeCancelsOnlyWhenCancelIsEnabled)
{
    for (const bool cancelable : {false, true}) {
        ProgressForm form(QStringLiteral("Update"));
        form.setCancelable(cancelable);
        form.show();
        QSignalSpy spy(&form, &ProgressForm::userCacel);
        QTest::keyClick(&form, Qt::Key_Escape);
        if (!cancelable)
            form.close(); // neither may a close end a dialog that cannot be cancelled
        EXPECT_EQ(form.isVisible(), !cancelable);
        EXPECT_EQ(spy.count(), cancelable ? 1 : 0);
        EXPECT_EQ(form.progress().isFinishedWithoutSuccess(), cancelable);
    }
}

TEST(ProgressForm, ReportsAfterTheEndAreIgnored)
{
    MessageBoxCloser closer;
    ProgressForm form(QStringLiteral("Load"));
    form.show();
    form.cancel();
    form.succeed(QStringLiteral("Loaded."));
    form.errorOccurred(QStringLiteral("Failed."));
    form.cancel();
    EXPECT_EQ(closer.count(), 0);
    EXPECT_EQ(form.result(), 0);
    EXPECT_TRUE(form.progress().isFinishedWithoutSuccess());
}

TEST(ProgressForm, WorkerReportsArriveInOrderAndRunWorkerTellsSuccess)
{
    constexpr int kSteps = 100;
    MessageBoxCloser closer;
    ProgressForm form(QStringLiteral("Export"));
    QList<int> values;
    QObject::connect(bar(form), &QProgressBar::valueChanged, [&](int value) { values << value; });

    bool reportedFromOtherThread = false;
    auto worker = makeWorker([&] {
        AbsProgress &progress = form.progress();
        reportedFromOtherThread = QThread::currentThread() != form.thread();
        for (int i = 1; i <= kSteps; ++i)
            progress.invokeUpdateProgress(QStringLiteral("Chat %1").arg(i), i, QString());
        progress.invokeUpdateProgress(QString(), -1, QStringLiteral("all written"));
        progress.invokeSucceed(QString());
    });

    EXPECT_TRUE(form.runWorker(*worker));
    EXPECT_TRUE(worker->isFinished());
    EXPECT_TRUE(reportedFromOtherThread);
    EXPECT_EQ(closer.count(), 0);
    ASSERT_EQ(values.size(), kSteps);
    for (int i = 0; i < kSteps; ++i)
        EXPECT_EQ(values[i], i + 1);
    EXPECT_EQ(statusText(form), QStringLiteral("Chat %1").arg(kSteps));
    EXPECT_EQ(progressText(form), QStringLiteral("all written"));
}

TEST(ProgressForm, WorkerSeesTheCancelThroughItsFlag)
{
    ProgressForm form(QStringLiteral("Backup"));
    bool cancelled = false;
    auto worker = makeWorker([&] {
        AbsProgress &progress = form.progress();
        try {
            for (;;) {
                progress.throwIfCancelled();
                QThread::msleep(5);
            }
        } catch (int code) {
            cancelled = code == kUserCancelled;
        }
    });
    QTimer::singleShot(20, &form, [&] { QTest::mouseClick(cancelButton(form), Qt::LeftButton); });
    EXPECT_FALSE(form.runWorker(*worker));
    EXPECT_TRUE(cancelled);
}

TEST(ProgressForm, TipsWaitHoldsTheWorkerUntilTheBoxIsClosed)
{
    MessageBoxCloser closer;
    ProgressForm form(QStringLiteral("Transfer"));
    bool waitingWhileBoxOpen = false;
    closer.setOnShown(
        [&](QMessageBox &) { waitingWhileBoxOpen = form.progress().isWaitingForUser(); });
    bool waitingAfterInvoke = false;
    bool waitingAfterWait = true;
    auto worker = makeWorker([&] {
        AbsProgress &progress = form.progress();
        progress.invokeTipsWait(QStringLiteral("Unlock the phone, then press OK."));
        waitingAfterInvoke = progress.isWaitingForUser();
        progress.waitForUser();
        waitingAfterWait = progress.isWaitingForUser();
        progress.invokeSucceed(QString());
    });
    EXPECT_TRUE(form.runWorker(*worker));
    ASSERT_EQ(closer.count(), 1);
    EXPECT_EQ(closer.last().icon, QMessageBox::Information);
    EXPECT_EQ(closer.last().text, QStringLiteral("Unlock the phone, then press OK."));
    EXPECT_TRUE(waitingAfterInvoke);
    EXPECT_TRUE(waitingWhileBoxOpen);
    EXPECT_FALSE(waitingAfterWait);
    EXPECT_FALSE(form.isWaitingForUser());
}

// After a cancel no box will be shown; a worker asking the user must not wait for ever.
TEST(ProgressForm, TipsWaitAfterTheEndDoesNotHoldTheWorker)
{
    MessageBoxCloser closer;
    ProgressForm form(QStringLiteral("Transfer"));
    bool waitingAfterInvoke = true;
    auto worker = makeWorker([&] {
        AbsProgress &progress = form.progress();
        while (!progress.isFinishedWithoutSuccess())
            QThread::msleep(5);
        progress.invokeTipsWait(QStringLiteral("Unlock the phone."));
        waitingAfterInvoke = progress.isWaitingForUser();
        progress.invokeSucceed(QString());
    });
    QTimer::singleShot(20, &form, &ProgressForm::cancel);
    EXPECT_FALSE(form.runWorker(*worker));
    QCoreApplication::processEvents();
    EXPECT_FALSE(waitingAfterInvoke);
    EXPECT_EQ(closer.count(), 0);
    EXPECT_TRUE(form.progress().isFinishedWithoutSuccess());
}

// A worker that reports an error, or ends without any report, fails the run with an error box.
TEST(ProgressForm, AWorkerErrorOrNoReportFailsTheRunWithAnErrorBox)
{
    for (const bool reports : {true, false}) {
        MessageBoxCloser closer;
        ProgressForm form(QStringLiteral("Import"));
        auto worker = makeWorker([&] {
            form.progress().invokeUpdateProgress(QStringLiteral("Half way"), 50, QString());
            if (reports)
                form.progress().invokeErrorOccurred(QStringLiteral("Wrong password."));
        });
        EXPECT_FALSE(form.runWorker(*worker));
        ASSERT_EQ(closer.count(), 1) << reports;
        EXPECT_EQ(closer.last().icon, QMessageBox::Critical);
        EXPECT_EQ(closer.last().text.contains("Wrong password."), reports);
        EXPECT_EQ(statusText(form), "Half way");
        EXPECT_TRUE(form.isFinishedWithoutSuccess());
    }
}
