#include "clitest.h"

#include "fixtures/legacymmsdbwriter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>

namespace {

constexpr qint64 kDate21Epoch = 978307200;
const char kSuccess[] = "Successfully updated local database. Please restart software.";

// A data folder holding one old single-file database below "data": two people, four old
// messages that become five (one picture part beside a body).
class LegacyUpdateCli : public CliTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_data.isValid());
        LegacyMmsDbWriter w(oldFolder());
        const qint64 ann = w.addHandle(QStringLiteral("+15550001"), QStringLiteral("Ann Lee"));
        const qint64 bob = w.addHandle(QStringLiteral("+15550002"));
        w.addMessage(ann, QStringLiteral("hello Ann"), kDate21Epoch + 100, true);
        const qint64 withPicture =
            w.addMessage(ann, QStringLiteral("look"), kDate21Epoch + 200, false);
        w.addJpegPart(withPicture, QStringLiteral("p.jpg"), 7);
        w.addMessage(bob, QStringLiteral("hi"), kDate21Epoch + 300, false);
        w.addMessage(bob, QStringLiteral("bye"), kDate21Epoch + 400, true);
        w.close();
    }

    QDir oldFolder() const { return QDir(m_data.filePath(QStringLiteral("data/Old Phone"))); }
};

TEST_F(LegacyUpdateCli, ConvertsOnceAtStartAndTheVerbSeesTheResult)
{
    const CliResult first = cli({"sources"});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_EQ(first.err.count(QLatin1String(kSuccess)), 1) << first.err.toStdString();
    const QList<QJsonObject> sources = first.jsonLines();
    ASSERT_EQ(sources.size(), 1);
    EXPECT_EQ(
        only(sources[0], {"kind", "name", "messages", "chats"}),
        (QJsonObject{{"kind", "local"}, {"name", "Old Phone"}, {"messages", 5}, {"chats", 2}}));
    EXPECT_TRUE(QFileInfo::exists(oldFolder().filePath("mms.db-bak")));
    EXPECT_FALSE(QFileInfo::exists(oldFolder().filePath("mms.db")));

    const CliResult second = cli({"sources"});
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_FALSE(second.err.contains(QLatin1String(kSuccess)));
    EXPECT_EQ(second.jsonLines(), sources);
}

TEST_F(LegacyUpdateCli, VersionLeavesOldDatabasesAlone)
{
    ok({"version"});
    EXPECT_TRUE(QFileInfo::exists(oldFolder().filePath("mms.db")));
    EXPECT_FALSE(QDir(m_data.filePath("local_databases/Old Phone")).exists());
}

TEST_F(LegacyUpdateCli, AFailedConversionEndsWithItsErrorAndKeepsTheOldFile)
{
    {
        LegacyMmsDbWriter broken(QDir(m_data.filePath(QStringLiteral("data/Zz Broken"))));
        broken.exec(QStringLiteral("drop table handle"));
        broken.close();
    }
    const CliResult r = cli({"sources"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QLatin1String("handle"))) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QLatin1String(kSuccess)));
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_TRUE(QFileInfo::exists(m_data.filePath("data/Zz Broken/mms.db")));
    // Folders converted before the failure stay converted.
    EXPECT_TRUE(QFileInfo::exists(oldFolder().filePath("mms.db-bak")));
}

} // namespace
