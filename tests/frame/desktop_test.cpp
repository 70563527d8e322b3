#include "frame/desktop.h"
#include "testfiles.h"
#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>
#include <QUrl>

namespace {

// Stands in for the desktop: receives what would have been opened.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl &url) { urls.append(url); }
};

class DesktopOpen : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The desktop's answer to "which application opens this?" comes from a stand-in too.
        m_oldPath = qgetenv("PATH");
        qputenv("PATH", m_bin.path().toUtf8() + ':' + m_oldPath);
        setHandlerAnswer("viewer.desktop");
        QDesktopServices::setUrlHandler("file", &m_catcher, "open");
        QDesktopServices::setUrlHandler("https", &m_catcher, "open");
        QDesktopServices::setUrlHandler("mailto", &m_catcher, "open");
    }

    void TearDown() override
    {
        QDesktopServices::unsetUrlHandler("file");
        QDesktopServices::unsetUrlHandler("https");
        QDesktopServices::unsetUrlHandler("mailto");
        qputenv("PATH", m_oldPath);
    }

    void setHandlerAnswer(const QByteArray &answer)
    {
        const QString script = m_bin.filePath(QStringLiteral("xdg-mime"));
        writeFile(script, "#!/bin/sh\necho '" + answer + "'\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QTemporaryDir m_bin;
    QByteArray m_oldPath;
    UrlCatcher m_catcher;
};

} // namespace

TEST_F(DesktopOpen, LinksKeepTheirScheme)
{
    EXPECT_TRUE(g_openLink("https://quorvandale.example/help?topic=backup#top"));
    EXPECT_TRUE(g_openLink("mailto:support@textlink.example"));
    ASSERT_EQ(m_catcher.urls.size(), 2);
    EXPECT_EQ(m_catcher.urls[0], QUrl("https://quorvandale.example/help?topic=backup#top"));
    EXPECT_EQ(m_catcher.urls[1].scheme(), "mailto");
}

TEST_F(DesktopOpen, FilesAndFoldersBecomeAbsoluteFileUrls)
{
    EXPECT_TRUE(g_openFileOrFolder("/tmp/Zoë export/a b#1.html"));
    EXPECT_TRUE(g_openFileOrFolder("relative/folder"));
    ASSERT_EQ(m_catcher.urls.size(), 2);
    EXPECT_EQ(m_catcher.urls[0].toLocalFile(), "/tmp/Zoë export/a b#1.html");
    EXPECT_EQ(m_catcher.urls[1].toLocalFile(), QDir::current().absoluteFilePath("relative/folder"));
}

TEST_F(DesktopOpen, EmptyArgumentsAreRefused)
{
    EXPECT_FALSE(g_openLink(QString()));
    EXPECT_FALSE(g_openLink("   "));
    EXPECT_FALSE(g_openFileOrFolder(QString()));
    EXPECT_TRUE(m_catcher.urls.isEmpty());
}

TEST_F(DesktopOpen, NothingIsHandedOnWhenNoApplicationIsSet)
{
    setHandlerAnswer(QByteArray());
    EXPECT_FALSE(g_hasDesktopHandler(QStringLiteral("image/png")));
    EXPECT_FALSE(g_openFileOrFolder("/tmp/photo.png"));
    EXPECT_FALSE(g_openLink("https://quorvandale.example/download"));
    EXPECT_TRUE(m_catcher.urls.isEmpty());
}

#include "desktop_test.moc"
