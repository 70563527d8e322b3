#include "clitest.h"

CliResult CliTest::cli(const QStringList &args) const
{
    return runCli(QStringList{"--data-dir", m_data.path(), "--json", "--quiet"} + args);
}

QList<QJsonObject> CliTest::ok(const QStringList &args) const
{
    const CliResult r = cli(args);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    return r.jsonLines();
}
