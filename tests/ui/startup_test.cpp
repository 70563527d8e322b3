#include "app/startup.h"

#include <gtest/gtest.h>

#include <QProcess>

TEST(Startup, DisplayIsAvailableOnlyWhenNamedOrPlatformChosen)
{
    QProcessEnvironment env;
    EXPECT_FALSE(g_displayAvailable(env));
    env.insert(QStringLiteral("DISPLAY"), QString());
    EXPECT_FALSE(g_displayAvailable(env));

    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        QProcessEnvironment named;
        named.insert(QLatin1String(name), QStringLiteral(":99"));
        EXPECT_TRUE(g_displayAvailable(named)) << name;
    }
}

// Without a display the program must explain itself instead of letting Qt abort.
TEST(Startup, ProgramWithoutDisplayExplainsHowToRunItAndFails)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));

    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TEXTLINK_GUI_PATH), {});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
    const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
    EXPECT_TRUE(errors.contains(QStringLiteral("xvfb-run -a"))) << errors.toStdString();
}
