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

CliResult runCli(const QStringList &args, const QString &program);
#ifdef TEXTLINK_CLI_PATH
// textlink-cli of this build (the test executables' build names it).
inline CliResult runCli(const QStringList &args)
{
    return runCli(args, QStringLiteral(TEXTLINK_CLI_PATH));
}
#endif

// A string field of a printed JSON line ("" when it is missing).
QString str(const QJsonObject &o, const char *key);
// The string field key of every line, in order.
QStringList strs(const QList<QJsonObject> &lines, const char *key);
// The attachments of every message line, in order.
QList<QJsonObject> attachmentsOf(const QList<QJsonObject> &messages);
// The fields of o named in keys, to compare several of them at once.
QJsonObject only(const QJsonObject &o, const QStringList &keys);
