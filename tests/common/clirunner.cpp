#include "clirunner.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

QList<QJsonObject> CliResult::jsonLines() const
{
    QList<QJsonObject> objects;
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(line.toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        EXPECT_TRUE(doc.isObject()) << line.toStdString();
        objects << doc.object();
    }
    return objects;
}

CliResult runCli(const QStringList &args, const QString &program)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(args);
    process.start();
    CliResult result;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "textlink-cli did not finish: " << args.join(' ').toStdString();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QString str(const QJsonObject &o, const char *key)
{
    return o.value(QLatin1String(key)).toString();
}

QStringList strs(const QList<QJsonObject> &lines, const char *key)
{
    QStringList values;
    for (const QJsonObject &line : lines)
        values << str(line, key);
    return values;
}

QList<QJsonObject> attachmentsOf(const QList<QJsonObject> &messages)
{
    QList<QJsonObject> all;
    for (const QJsonObject &m : messages) {
        for (const QJsonValue &a : m.value("attachments").toArray())
            all << a.toObject();
    }
    return all;
}

QJsonObject only(const QJsonObject &o, const QStringList &keys)
{
    QJsonObject picked;
    for (const QString &key : keys)
        picked.insert(key, o.value(key));
    return picked;
}
