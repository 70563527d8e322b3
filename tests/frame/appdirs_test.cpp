#include "frame/appdirs.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

namespace {

// Points the per-user data location at a temporary folder and clears every data-folder choice;
// puts the test process's own data folder back afterwards.
class DataFolders : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        m_savedDataDir = qgetenv("TEXTLINK_DATA_DIR");
        m_savedXdg = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_home.filePath("share").toUtf8());
        qunsetenv("TEXTLINK_DATA_DIR");
        g_setDataSaveDirOverride(QString());
    }

    void TearDown() override
    {
        restore("TEXTLINK_DATA_DIR", m_savedDataDir);
        restore("XDG_DATA_HOME", m_savedXdg);
        g_setDataSaveDirOverride(QString());
    }

    static void restore(const char *name, const QByteArray &value)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }

    QString path(const QString &relative) const { return m_home.filePath(relative); }

    QString defaultDataDir() const
    {
        return path("share/QuorVandale/9A3C5E7B1D2F4A6C8E0B2D4F6A8C0E1F");
    }

    void writeRedirect(const QByteArray &content) const
    {
        writeFile(g_dataSaveDirLinkFile(), content);
    }

    QTemporaryDir m_home;
    QByteArray m_savedDataDir;
    QByteArray m_savedXdg;
};

} // namespace

TEST_F(DataFolders, DefaultIsCompanyFolderPlusProductIdentifier)
{
    EXPECT_EQ(g_osAppDir(), path("share"));
    EXPECT_EQ(g_defaultSaveDirPath(), path("share/QuorVandale"));
    EXPECT_EQ(g_dataSaveDirLinkFile(),
              path("share/QuorVandale/9A3C5E7B1D2F4A6C8E0B2D4F6A8C0E1F.redirect"));
    EXPECT_EQ(g_dataSaveDirLink(), QString());
    EXPECT_EQ(g_dataSaveDir().path(), defaultDataDir());
    EXPECT_TRUE(QFileInfo(defaultDataDir()).isDir());
}

TEST_F(DataFolders, RedirectFileMovesTheDataFolder)
{
    const QString target = path("elsewhere/Zoë's data");
    ASSERT_TRUE(QDir().mkpath(target));
    ASSERT_TRUE(g_setDataSaveDirLink(target));
    EXPECT_EQ(g_dataSaveDirLink(), target);
    EXPECT_EQ(g_dataSaveDir().path(), target + "/9A3C5E7B1D2F4A6C8E0B2D4F6A8C0E1F");

    // A trailing line break left by an editor is not part of the path.
    writeRedirect((target + "\n").toUtf8());
    EXPECT_EQ(g_dataSaveDirLink(), target);
}

TEST_F(DataFolders, RedirectToMissingFolderIsIgnored)
{
    writeRedirect(path("gone").toUtf8());
    EXPECT_EQ(g_dataSaveDirLink(), QString());
    EXPECT_EQ(g_dataSaveDir().path(), defaultDataDir());
    EXPECT_FALSE(QFileInfo::exists(path("gone")));

    writeRedirect(QByteArray());
    EXPECT_EQ(g_dataSaveDirLink(), QString());
}

TEST_F(DataFolders, OverrideBeatsEnvironmentBeatsRedirect)
{
    const QString redirected = path("redirected");
    ASSERT_TRUE(QDir().mkpath(redirected));
    ASSERT_TRUE(g_setDataSaveDirLink(redirected));

    // Both name the data folder itself and are made with all missing levels.
    qputenv("TEXTLINK_DATA_DIR", path("from-env/a/b").toUtf8());
    g_resetDataSaveDirCache();
    EXPECT_EQ(g_dataSaveDir().path(), path("from-env/a/b"));
    EXPECT_TRUE(QFileInfo(path("from-env/a/b")).isDir());

    g_setDataSaveDirOverride(path("from-option/"));
    EXPECT_EQ(g_dataSaveDir().path(), path("from-option"));

    g_setDataSaveDirOverride(QString());
    qunsetenv("TEXTLINK_DATA_DIR");
    EXPECT_EQ(g_dataSaveDir().path(), redirected + "/9A3C5E7B1D2F4A6C8E0B2D4F6A8C0E1F");
}

TEST_F(DataFolders, ChoiceIsCachedUntilReset)
{
    qputenv("TEXTLINK_DATA_DIR", path("first").toUtf8());
    g_resetDataSaveDirCache();
    EXPECT_EQ(g_dataSaveDir().path(), path("first"));
    qputenv("TEXTLINK_DATA_DIR", path("second").toUtf8());
    EXPECT_EQ(g_dataSaveDir().path(), path("first"));
    g_resetDataSaveDirCache();
    EXPECT_EQ(g_dataSaveDir().path(), path("second"));
}

TEST_F(DataFolders, SubFoldersAreMadeOnUseExceptLegacy)
{
    g_setDataSaveDirOverride(path("data-root"));
    EXPECT_EQ(QStringList({g_localDbDir().path(), g_logDir().path(), g_previewCacheDir().path()}),
              QStringList({path("data-root/local_databases"), path("data-root/qlogs"),
                           path("data-root/preview_cache")}));
    EXPECT_TRUE(QFileInfo(path("data-root/local_databases")).isDir());
    EXPECT_TRUE(QFileInfo(path("data-root/qlogs")).isDir());

    EXPECT_EQ(g_legacyDataDir().path(), path("data-root/data"));
    EXPECT_FALSE(QFileInfo::exists(path("data-root/data")));

    // Removed behind its back, the data folder is made again on the next call.
    ASSERT_TRUE(QDir(path("data-root")).removeRecursively());
    EXPECT_TRUE(g_dataSaveDir().exists());
}
