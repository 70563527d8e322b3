#pragma once

#include "clirunner.h"

#include <gtest/gtest.h>

#include <QJsonObject>
#include <QTemporaryDir>

#include <string>

// A command-line test with a data folder of its own: every run is quiet and prints JSON lines.
class CliTest : public ::testing::Test
{
protected:
    CliResult cli(const QStringList &args) const;
    // The printed lines of a run that must succeed; a failing run fails the calling test.
    QList<QJsonObject> ok(const QStringList &args) const;
    // The standard error of a run that must end with exitCode (1: it failed, 2: misused).
    std::string failure(const QStringList &args, int exitCode = 1) const;

    QTemporaryDir m_data;
};

// A phone folder inside the data folder: Ann (a text with a quote, a comma and a line break, then
// a picture from the user), Bob ("=1+1") and a group of both ("group hello" from Bob).
class PhoneCliTest : public CliTest
{
protected:
    void SetUp() override;

    static constexpr int kMessages = 4;
    QString m_phone;
    const QByteArray m_picture{"\xFF\xD8\xFF picture bytes", 17};
};
