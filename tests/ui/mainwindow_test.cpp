#include "messageboxcloser.h"

#include "ui/mainwindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QStandardItem>
#include <QTemporaryDir>
#include <QTreeView>

namespace {

QStringList childTexts(const QStandardItem *item)
{
    QStringList texts;
    for (int row = 0; row < item->rowCount(); ++row)
        texts << item->child(row)->text();
    return texts;
}

} // namespace

TEST(MainWindow, SourceTreeListsTheLocalDatabaseFoldersUnderTheirRoot)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Work phone")));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Archive 2012")));
    QFile stray(dir.filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
    stray.close();

    const MainWindow window(dir.path());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("TextLink"));
    EXPECT_EQ(window.devicesRoot()->text(), QStringLiteral("Devices"));
    EXPECT_EQ(window.localDbRoot()->text(), QStringLiteral("Local Databases"));
    EXPECT_EQ(window.devicesRoot()->rowCount(), 0);
    EXPECT_EQ(childTexts(window.localDbRoot()),
              QStringList({QStringLiteral("Archive 2012"), QStringLiteral("Work phone")}));

    const auto *tree = window.findChild<QTreeView *>(QStringLiteral("treeViewDS"));
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->model()->rowCount(), 2);
    EXPECT_NE(window.findChild<QTreeView *>(QStringLiteral("treeViewSMS")), nullptr);
}

TEST(MainWindow, MissingOrUnnamedLocalDatabaseFolderListsNothing)
{
    const MainWindow unnamed{QString()};
    EXPECT_EQ(unnamed.localDbRoot()->rowCount(), 0);
    const MainWindow missing(QDir::temp().filePath(QStringLiteral("textlink-no-such-folder")));
    EXPECT_EQ(missing.localDbRoot()->rowCount(), 0);
}

TEST(MainWindow, AboutShowsTheVersion)
{
    MainWindow window{QString()};
    auto *about = window.findChild<QAction *>(QStringLiteral("actionAbout"));
    ASSERT_NE(about, nullptr);
    MessageBoxCloser closer;
    about->trigger();
    ASSERT_EQ(closer.count(), 1);
    EXPECT_TRUE(closer.last().text.contains(QStringLiteral(TEXTLINK_VERSION)));
}
