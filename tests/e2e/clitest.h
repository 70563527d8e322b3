#pragma once

#include "clirunner.h"

#include <gtest/gtest.h>

#include <QJsonObject>
#include <QTemporaryDir>

// A command-line test with a data folder of its own: every run is quiet and prints JSON lines.
class CliTest : public ::testing::Test
{
protected:
    CliResult cli(const QStringList &args) const;
    // The printed lines of a run that must succeed; a failing run fails the calling test.
    QList<QJsonObject> ok(const QStringList &args) const;

    QTemporaryDir m_data;
};
