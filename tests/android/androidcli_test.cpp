#include "clirunner.h"
#include "companionphone.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

CliResult cli(const QString &dataDir, const QStringList &args)
{
    return runCli(QStringList{"--data-dir", dataDir, "--json", "--quiet"} + args);
}

class AndroidCli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_phone.addMessage(QStringLiteral("+12025550101"), QStringLiteral("one"), 1700000000000,
                           false);
        m_phone.addMessage(QStringLiteral("+12025550101"), QStringLiteral("two"), 1700000001000,
                           true);
        ASSERT_TRUE(m_phone.start());
    }

    QTemporaryDir m_data;
    CompanionPhone m_phone{QStringLiteral("R58M_12-AB")};
};

TEST_F(AndroidCli, DevicesLoadSourceAndTransfer)
{
    const auto ok = [this](const QStringList &args) {
        const CliResult r = cli(m_data.path(), args);
        EXPECT_EQ(r.exitCode, 0) << args.join(' ').toStdString() << ": " << r.err.toStdString();
        return r.jsonLines();
    };
    const QList<QJsonObject> devices = ok({"android", "devices"});
    ASSERT_EQ(devices.size(), 1);
    EXPECT_EQ(only(devices[0], {"serial", "state"}),
              (QJsonObject{{"serial", m_phone.serial()}, {"state", "device"}}));

    const QStringList loadArgs{"android", "load", m_phone.serial()};
    EXPECT_EQ(only(ok(loadArgs).value(0), {"device", "loaded"}),
              (QJsonObject{{"device", "Google Pixel 7"}, {"loaded", 2}}));
    EXPECT_EQ(ok(loadArgs).value(0).value("loaded").toInt(), 0);

    const QString wifi = QStringLiteral("android-wifi:127.0.0.1:%1").arg(m_phone.controlPort());
    EXPECT_EQ(ok({"messages", wifi}).size(), 2);

    ok({"save", "android:" + m_phone.serial(), "--to", "Archive"});
    EXPECT_EQ(only(ok({"android", "transfer", "Archive", "--to", m_phone.serial()}).value(0),
                   {"sent", "skipped"}),
              (QJsonObject{{"sent", 0}, {"skipped", 2}}));
}

TEST_F(AndroidCli, FailuresEndWithOneLine)
{
    struct Case
    {
        const char *name;
        QString listing;
        QByteArray adb;
        int version;
        QString message;
    };
    const QString serial = m_phone.serial();
    const Case cases[] = {
        {"unauthorized", QStringLiteral("List of devices attached\n%1\tunauthorized\n").arg(serial),
         TEXTLINK_ADB_STANDIN, 12, QStringLiteral("Always allow from this computer")},
        {"not attached", QStringLiteral("List of devices attached\n\n"), TEXTLINK_ADB_STANDIN, 12,
         QStringLiteral("No Android phone with serial")},
        {"missing adb", QString(), "/nonexistent/adb", 12, QStringLiteral("run adb failed.")},
        {"companion too old", QStringLiteral("List of devices attached\n%1\tdevice\n").arg(serial),
         TEXTLINK_ADB_STANDIN, 9, QStringLiteral("too old")},
    };
    for (const Case &c : cases) {
        m_phone.setListing(c.listing);
        m_phone.describe(c.version);
        qputenv("TEXTLINK_ADB", c.adb);
        const CliResult run = cli(m_data.path(), {"android", "load", serial});
        EXPECT_EQ(run.exitCode, 1) << c.name;
        EXPECT_TRUE(run.err.contains(c.message)) << c.name << ": " << run.err.toStdString();
        EXPECT_EQ(run.err.trimmed().count(QLatin1Char('\n')), 0) << c.name;
    }
    qputenv("TEXTLINK_ADB", TEXTLINK_ADB_STANDIN);
}

} // namespace
