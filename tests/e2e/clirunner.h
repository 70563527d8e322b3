#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// Runs textlink-cli as a user would and keeps what it printed.
struct CliResult
{
    int exitCode = -1;
    QString out;
    QString err;

    // Every stdout line parsed as a JSON object; a line that is not one fails the calling test.
    QList<QJsonObject> jsonLines() const;
};

CliResult runCli(const QStringList &args);

// A string field of a printed JSON line ("" when it is missing).
QString str(const QJsonObject &o, const char *key);
