#include "companionphone.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct CliRun
{
    int exitCode = -1;
    QList<QJsonObject> records;
    QString err;
};

CliRun cli(const QString &dataDir, const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(TEXTLINK_CLI_PATH),
                  QStringList{QStringLiteral("--data-dir"), dataDir, QStringLiteral("--json"),
                              QStringLiteral("--quiet")} +
                      args);
    process.waitForFinished(120000);
    CliRun run;
    run.exitCode = process.exitCode();
    run.err = QString::fromUtf8(process.readAllStandardError());
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        if (!line.isEmpty())
            run.records << QJsonDocument::fromJson(line).object();
    }
    return run;
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
    const CliRun devices =
        cli(m_data.path(), {QStringLiteral("android"), QStringLiteral("devices")});
    ASSERT_EQ(devices.exitCode, 0) << devices.err.toStdString();
    ASSERT_EQ(devices.records.size(), 1);
    EXPECT_EQ(devices.records.at(0).value(QStringLiteral("serial")).toString(), m_phone.serial());
    EXPECT_EQ(devices.records.at(0).value(QStringLiteral("state")).toString(),
              QStringLiteral("device"));

    const QStringList loadArgs{QStringLiteral("android"), QStringLiteral("load"), m_phone.serial()};
    const CliRun first = cli(m_data.path(), loadArgs);
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_EQ(first.records.at(0).value(QStringLiteral("device")).toString(),
              QStringLiteral("Google Pixel 7"));
    EXPECT_EQ(first.records.at(0).value(QStringLiteral("loaded")).toInt(), 2);
    EXPECT_EQ(cli(m_data.path(), loadArgs).records.at(0).value(QStringLiteral("loaded")).toInt(),
              0);

    const CliRun messages = cli(
        m_data.path(), {QStringLiteral("messages"),
                        QStringLiteral("android-wifi:127.0.0.1:%1").arg(m_phone.controlPort())});
    ASSERT_EQ(messages.exitCode, 0) << messages.err.toStdString();
    EXPECT_EQ(messages.records.size(), 2);

    const CliRun saved =
        cli(m_data.path(), {QStringLiteral("save"), QStringLiteral("android:") + m_phone.serial(),
                            QStringLiteral("--to"), QStringLiteral("Archive")});
    ASSERT_EQ(saved.exitCode, 0) << saved.err.toStdString();
    const CliRun sent =
        cli(m_data.path(), {QStringLiteral("android"), QStringLiteral("transfer"),
                            QStringLiteral("Archive"), QStringLiteral("--to"), m_phone.serial()});
    ASSERT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    EXPECT_EQ(sent.records.at(0).value(QStringLiteral("sent")).toInt(), 0);
    EXPECT_EQ(sent.records.at(0).value(QStringLiteral("skipped")).toInt(), 2);
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
        const CliRun run =
            cli(m_data.path(), {QStringLiteral("android"), QStringLiteral("load"), serial});
        EXPECT_EQ(run.exitCode, 1) << c.name;
        EXPECT_TRUE(run.err.contains(c.message)) << c.name << ": " << run.err.toStdString();
        EXPECT_EQ(run.err.trimmed().count(QLatin1Char('\n')), 0) << c.name;
    }
    qputenv("TEXTLINK_ADB", TEXTLINK_ADB_STANDIN);
}

} // namespace
