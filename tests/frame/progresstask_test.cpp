#include "frame/progresstask.h"

#include "frame/framelog.h"
#include "recordingprogress.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

enum class Ending { Returns, Throws, Cancelled };

struct EndCase
{
    const char *name;
    Ending ending;
    bool succeeded;
    bool failed;
    int reports; // success and error reports together
    QString text;
};

class ProgressTaskEndTest : public ::testing::TestWithParam<EndCase>
{};

// Every run ends with exactly one success or error report, none after a cancel.
TEST_P(ProgressTaskEndTest, EndsWithOneReport)
{
    const EndCase &c = GetParam();
    RecordingProgress progress;
    ProgressTask task(progress, lcFrame, "test", [&c](AbsProgress &p) {
        if (c.ending == Ending::Throws)
            throw std::runtime_error("disk full");
        if (c.ending == Ending::Cancelled) {
            static_cast<RecordingProgress &>(p).cancel();
            p.throwIfCancelled();
        }
    });
    EXPECT_EQ(progress.run(task), c.succeeded);
    EXPECT_EQ(progress.endCount(), c.reports);
    EXPECT_EQ(progress.endText(), c.text);
    EXPECT_EQ(task.failed(), c.failed);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, ProgressTaskEndTest,
    ::testing::Values(EndCase{"returns", Ending::Returns, true, false, 1, QString()},
                      EndCase{"throws", Ending::Throws, false, true, 1,
                              QStringLiteral("disk full")},
                      EndCase{"cancelled", Ending::Cancelled, false, false, 0, QString()}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ProgressTaskTest, SuccessfulRunClearsAnEarlierFailure)
{
    RecordingProgress progress;
    int runs = 0;
    ProgressTask task(progress, lcFrame, "test", [&runs](AbsProgress &) {
        if (++runs == 1)
            throw std::runtime_error("first run fails");
    });
    progress.run(task);
    ASSERT_TRUE(task.failed());
    progress.run(task);
    EXPECT_EQ(progress.callsOf(RecordingProgress::Kind::Succeed).size(), 1);
    EXPECT_FALSE(task.failed());
}

} // namespace
