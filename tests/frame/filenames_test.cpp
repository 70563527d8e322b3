#include "frame/filenames.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

void touch(const QString &path)
{
    writeFile(path, "x");
}

} // namespace

TEST(FormatFileName, RemovesForbiddenCharactersAndOuterBlanks)
{
    EXPECT_EQ(g_formatFileName(QStringLiteral("  Ann/Bob: *who?*  ")),
              QStringLiteral("AnnBob who"));
    EXPECT_EQ(g_formatFileName(QStringLiteral("a\\b\"c<d>e|f")), QStringLiteral("abcdef"));
    // Inner blanks, dots and non-ASCII letters are kept.
    EXPECT_EQ(g_formatFileName(QStringLiteral(" Zoë  & Co. ")), QStringLiteral("Zoë  & Co."));
    EXPECT_EQ(g_formatFileName(QStringLiteral(" /:*?\"<>| ")), QString());
}

TEST(FormatFileName, LongNamesAreCutToWhatFileSystemsTakeAndStayApart)
{
    const QString a = QString(300, QChar(0x00E9)) + QStringLiteral("-a.pdf");
    const QString b = QString(300, QChar(0x00E9)) + QStringLiteral("-b.pdf");
    const QString cutA = g_formatFileName(a);
    EXPECT_LE(cutA.toUtf8().size(), kMaxFileNameBytes);
    EXPECT_TRUE(cutA.endsWith(QStringLiteral(".pdf")));
    EXPECT_NE(cutA, g_formatFileName(b));
    QTemporaryDir dir;
    touch(dir.filePath(cutA));
    EXPECT_TRUE(QFileInfo(dir.filePath(cutA)).isFile());
    // A name that fits is left as it is.
    EXPECT_EQ(g_formatFileName(QString(200, QLatin1Char('x'))), QString(200, QLatin1Char('x')));
}

TEST(IsPlainFile, OnlyRegularFilesWithoutFollowingLinks)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("file");
    touch(file);
    ASSERT_TRUE(QFile::link(file, dir.filePath("link")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600), 0);
    const struct
    {
        QString path;
        bool plain;
    } cases[] = {
        {file, true},        {dir.filePath("link"), false},    {dir.filePath("fifo"), false},
        {dir.path(), false}, {dir.filePath("missing"), false}, {QString(), false}};
    for (const auto &c : cases)
        EXPECT_EQ(g_isPlainFile(c.path), c.plain) << c.path.toStdString();
}

class ValidFilePath : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

TEST_F(ValidFilePath, TakenNamesAreNumberedUntilFree)
{
    const struct
    {
        const char *asked;
        QStringList taken; // made before asking
        const char *given;
    } cases[] = {
        {"free.txt", {}, "free.txt"},
        {"x.txt", {"x.txt"}, "x(1).txt"},
        {"y.txt", {"y.txt", "y(1).txt"}, "y(2).txt"},
        {"x", {"x"}, "x(1)"},
        {"a.b.c", {"a.b.c"}, "a(1).c"},
    };
    for (const auto &c : cases) {
        for (const QString &name : c.taken)
            touch(path(name));
        EXPECT_EQ(g_getValidFilePath(path(c.asked)), path(c.given)) << c.asked;
    }
}

TEST_F(ValidFilePath, FoldersAndDanglingLinksCountAsTaken)
{
    ASSERT_TRUE(QDir().mkpath(path("export")));
    EXPECT_EQ(g_getValidFilePath(path("export")), path("export(1)"));

    // Writing through a dangling link would create its target somewhere else.
    ASSERT_TRUE(QFile::link(path("nowhere/missing"), path("report.csv")));
    EXPECT_EQ(g_getValidFilePath(path("report.csv")), path("report(1).csv"));
}

TEST(PathHash, MatchesReferenceMd5)
{
    // Reference digests from the MD5 definition's test suite, and one computed elsewhere over
    // the UTF-8 bytes of a non-ASCII text.
    EXPECT_EQ(g_pathHash(QString()), QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));
    EXPECT_EQ(g_pathHash(QStringLiteral("abc")),
              QStringLiteral("900150983cd24fb0d6963f7d28e17f72"));
    EXPECT_EQ(g_pathHash(QStringLiteral("message digest")),
              QStringLiteral("f96b697d7cb7938d525a2f31aaf161d0"));
    EXPECT_EQ(g_pathHash(QStringLiteral("Zoë 日本/ä.jpg")),
              QStringLiteral("8af7a59df512d2f65efa40bcc89f0fec"));
}

class DelDirCascade : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_tree = m_dir.filePath("tree");
        ASSERT_TRUE(QDir().mkpath(m_tree + "/sub/.hidden_dir/deeper"));
        touch(m_tree + "/.hidden");
        touch(m_tree + "/plain.txt");
        touch(m_tree + "/sub/.hidden_dir/deeper/file.db");
        touch(m_tree + "/sub/.hidden_dir/.dotfile");
    }

    QTemporaryDir m_dir;
    QString m_tree;
};

TEST_F(DelDirCascade, RemovesNestedAndHiddenEntries)
{
    EXPECT_TRUE(g_delDirCascade(m_tree));
    EXPECT_FALSE(QFileInfo::exists(m_tree));
    EXPECT_TRUE(QFileInfo::exists(m_dir.path()));
}

TEST_F(DelDirCascade, LinksInsideAreRemovedNotFollowed)
{
    const QString outside = m_dir.filePath("outside");
    ASSERT_TRUE(QDir().mkpath(outside + "/inner"));
    touch(outside + "/keep.txt");
    touch(outside + "/inner/keep.txt");
    touch(m_dir.filePath("single.txt"));
    ASSERT_TRUE(QFile::link(outside, m_tree + "/sub/link_to_dir"));
    ASSERT_TRUE(QFile::link(m_dir.filePath("single.txt"), m_tree + "/link_to_file"));

    EXPECT_TRUE(g_delDirCascade(m_tree));
    EXPECT_FALSE(QFileInfo::exists(m_tree));
    EXPECT_TRUE(QFileInfo::exists(outside + "/keep.txt"));
    EXPECT_TRUE(QFileInfo::exists(outside + "/inner/keep.txt"));
    EXPECT_TRUE(QFileInfo::exists(m_dir.filePath("single.txt")));
}

TEST_F(DelDirCascade, LinkGivenAsTreeRemovesOnlyTheLink)
{
    const QString link = m_dir.filePath("link");
    ASSERT_TRUE(QFile::link(m_tree, link));
    EXPECT_TRUE(g_delDirCascade(link));
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(m_tree + "/plain.txt"));
}

TEST_F(DelDirCascade, MissingFolderIsSuccessAndFileIsRefused)
{
    EXPECT_TRUE(g_delDirCascade(m_dir.filePath("never-made")));
    EXPECT_FALSE(g_delDirCascade(m_tree + "/plain.txt"));
    EXPECT_TRUE(QFileInfo::exists(m_tree + "/plain.txt"));
}

TEST(SafePaths, SafeRelativePaths)
{
    for (const char *path : {"", "Library/SMS/sms.db", "a/./b", "..a/b..", "a/...", "a//b"})
        EXPECT_TRUE(g_isSafeRelativePath(QString::fromUtf8(path))) << path;
    for (const char *path : {"..", "../x", "a/../../x", "a/..", "/etc/passwd", "a/b/../.."})
        EXPECT_FALSE(g_isSafeRelativePath(QString::fromUtf8(path))) << path;
    EXPECT_FALSE(g_isSafeRelativePath(QStringLiteral("a") + QChar(0) + "b"));
}

TEST(SafePaths, OutputPathsStayBelowTheirRoot)
{
    const QString root = QStringLiteral("/tmp/cache/file-relay");
    EXPECT_EQ(g_safeChildPath(root, "Library/SMS/sms.db"), root + "/Library/SMS/sms.db");
    EXPECT_EQ(g_safeChildPath(root + "/", "./a//b"), root + "/a/b");
    EXPECT_EQ(g_safeChildPath(root, ""), root);
    EXPECT_EQ(g_safeChildPath(root, "../file-relay2/x"), "");
    EXPECT_EQ(g_safeChildPath(root, "a/../../x"), "");
    EXPECT_EQ(g_safeChildPath(root, "/etc/passwd"), "");
}
