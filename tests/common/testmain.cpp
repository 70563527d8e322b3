// The main() of every test executable: a Qt application object on the offscreen platform, the
// embedded translation, and a data folder of its own so that no test touches a user's data.
#include "frame/translation.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <memory>

#ifdef TEXTLINK_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");

    // Always replaced, even when the caller's environment names a data folder. The temporary
    // folder is private too (and inherited by the programs a test starts), so that tests running
    // side by side never see each other's temporary files.
    QTemporaryDir root;
    if (!root.isValid() || !QDir(root.path()).mkpath(QStringLiteral("data")) ||
        !QDir(root.path()).mkpath(QStringLiteral("tmp")))
        return 3;
    qputenv("TEXTLINK_DATA_DIR", QDir(root.path()).filePath(QStringLiteral("data")).toUtf8());
    qputenv("TMPDIR", QDir(root.path()).filePath(QStringLiteral("tmp")).toUtf8());

    TestApplication app(argc, argv);
    g_installTranslation();
    return RUN_ALL_TESTS();
}
