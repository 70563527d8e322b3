#include "messageboxcloser.h"

#include "frame/abstips.h"
#include "ui/stylesheet.h"
#include "ui/tips.h"

#include <gtest/gtest.h>

#include <QAtomicInt>
#include <QTest>
#include <QThread>

#include <memory>

TEST(Tips, ErrorFramesTheTextAsAReportWithSupportAddress)
{
    MessageBoxCloser closer;
    Tips::error(QStringLiteral("The disk is full."));

    ASSERT_EQ(closer.count(), 1);
    const auto &seen = closer.last();
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.title, QStringLiteral("TextLink"));
    EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_TRUE(seen.text.startsWith(
        QStringLiteral("An Error Occurred.<br/><br/>The disk is full.<br/><br/>")));
    EXPECT_TRUE(seen.text.contains(QStringLiteral("support@textlink.example")));
}

TEST(Tips, EachKindShowsItsIconAndPlainText)
{
    struct Case
    {
        void (*show)(const QString &);
        QMessageBox::Icon icon;
    };
    const Case cases[] = {{&Tips::errorWithoutPrefix, QMessageBox::Critical},
                          {&Tips::warning, QMessageBox::Warning},
                          {&Tips::info, QMessageBox::Information}};
    for (const Case &c : cases) {
        MessageBoxCloser closer;
        const QString text = QStringLiteral("line one<br/><a href=\"https://x.example\">link</a>");
        c.show(text);
        ASSERT_EQ(closer.count(), 1);
        EXPECT_EQ(closer.last().icon, c.icon);
        EXPECT_EQ(closer.last().text, text);
        EXPECT_EQ(closer.last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
}

TEST(Tips, QuestionIsTrueOnlyForYes)
{
    {
        MessageBoxCloser closer(QMessageBox::Yes);
        EXPECT_TRUE(Tips::question(QStringLiteral("Delete it?")));
        ASSERT_EQ(closer.count(), 1);
        EXPECT_EQ(closer.last().icon, QMessageBox::Question);
        EXPECT_EQ(closer.last().buttons, QMessageBox::Yes | QMessageBox::No);
    }
    {
        MessageBoxCloser closer(QMessageBox::No);
        EXPECT_FALSE(Tips::question(QStringLiteral("Delete it?")));
    }
}

TEST(Tips, MessageBoxIsFramelessStyledRichTextAndReturnsThePressedButton)
{
    MessageBoxCloser closer(QMessageBox::Cancel);
    bool frameless = false;
    bool styled = false;
    bool richText = false;
    closer.setOnShown([&](QMessageBox &box) {
        frameless = box.windowFlags().testFlag(Qt::FramelessWindowHint);
        styled = box.styleSheet() == getStyleSheet();
        richText = box.textFormat() == Qt::RichText;
    });
    const auto pressed = g_showMessageBox(QMessageBox::Warning, QStringLiteral("Go on?"),
                                          QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(pressed, QMessageBox::Cancel);
    EXPECT_EQ(closer.last().buttons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_TRUE(frameless);
    EXPECT_TRUE(styled);
    EXPECT_TRUE(richText);
}

// Core code running in a worker thread asks through AbsTips; the box must still be shown and
// answered on the user-interface thread.
TEST(Tips, InstalledAsAbsTipsAnswersQuestionsFromAWorkerThread)
{
    Tips::installAsAbsTips();
    MessageBoxCloser closer(QMessageBox::Yes);
    bool boxOnUiThread = false;
    closer.setOnShown(
        [&](QMessageBox &) { boxOnUiThread = QThread::currentThread() == qApp->thread(); });

    QAtomicInt answered;
    QAtomicInt answer;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        answer.storeRelease(AbsTips::instance().question(QStringLiteral("Overwrite?")) ? 1 : 0);
        AbsTips::instance().warning(QStringLiteral("Careful."));
        answered.storeRelease(1);
    }));
    worker->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered.loadAcquire() == 1; }, 20000));
    worker->wait();
    AbsTips::install(nullptr);

    EXPECT_EQ(answer.loadAcquire(), 1);
    EXPECT_TRUE(boxOnUiThread);
    ASSERT_EQ(closer.count(), 2);
    EXPECT_EQ(closer.last().icon, QMessageBox::Warning);
}
