#pragma once

#include "android/adbdevice.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// Runs the adb program with one argument list and reads its output. Keeps no state; each call
// runs its own process and blocks until it ends.
class AdbHelper
{
public:
    // TEXTLINK_ADB when set; else "../bin/adb" beside the program when it exists; else adb on
    // PATH. Empty when none is found.
    static QString adbPath();

    // Standard output, or standard error ahead of it (throwOnError: thrown). A missing adb gives
    // "run adb failed.".
    QString execute(const QStringList &args, bool throwOnError) const;

    QList<AdbDevice> devices() const;
    QSet<QString> packages(const QString &serial) const;
    void install(const QString &serial, const QString &apkPath) const;
    void uninstall(const QString &serial, const QString &package) const;
    void forward(const QString &serial, int localPort, int remotePort) const;
    void trigger(const QString &serial, const QString &amCommand, const QString &component,
                 const QString &action, const QString &data, const QStringList &categories,
                 const QString &mimeType) const;
    QString logcatd(const QString &serial) const;
    void killProcess(const QString &serial, const QString &package) const;
    void killServer() const;

    // The parsers of adb's printed output.
    static QList<AdbDevice> parseDevices(const QString &output);
    static QSet<QString> parsePackages(const QString &output);
    // True when some trimmed line equals "Success".
    static bool hasSuccessLine(const QString &output);
    // True when some trimmed line begins with "error:".
    static bool hasErrorLine(const QString &output);
};
