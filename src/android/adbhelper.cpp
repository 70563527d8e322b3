#include "android/adbhelper.h"

#include "android/androidlog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <stdexcept>

namespace {

constexpr int kStartTimeoutMs = 10000;

QStringList trimmedLines(const QString &output)
{
    QStringList lines = output.split(QLatin1Char('\n'));
    for (QString &line : lines)
        line = line.trimmed();
    return lines;
}

QString untilZero(const QByteArray &bytes)
{
    const int zero = bytes.indexOf('\0');
    return QString::fromUtf8(zero < 0 ? bytes : bytes.left(zero));
}

[[noreturn]] void fail(const QString &text)
{
    throw std::runtime_error(text.toStdString());
}

} // namespace

QString AdbHelper::adbPath()
{
    const QString overridden = qEnvironmentVariable("TEXTLINK_ADB");
    if (!overridden.isEmpty())
        return overridden;
    const QString beside =
        QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../bin/adb"));
    if (QFileInfo(beside).isExecutable())
        return QDir::cleanPath(beside);
    return QStandardPaths::findExecutable(QStringLiteral("adb"));
}

QString AdbHelper::execute(const QStringList &args, bool throwOnError) const
{
    static const QString kRunFailed = QStringLiteral("run adb failed.");
    const QString program = adbPath();
    QProcess process;
    if (!program.isEmpty())
        process.start(program, args, QIODevice::ReadWrite);
    if (program.isEmpty() || !process.waitForStarted(kStartTimeoutMs)) {
        qCWarning(lcAndroid) << "adb did not start:" << program << process.errorString();
        if (throwOnError)
            fail(kRunFailed);
        return kRunFailed;
    }
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(-1);
    const QString err = untilZero(process.readAllStandardError());
    const QString out = untilZero(process.readAllStandardOutput());
    if (!finished)
        process.kill();
    if (err.isEmpty())
        return out;
    if (throwOnError)
        fail(err.trimmed());
    return QStringLiteral("%0\n%1").arg(err, out);
}

QList<AdbDevice> AdbHelper::parseDevices(const QString &output)
{
    // The serial is the first word and the state the second, split at white space: a serial of
    // a phone attached over the network ("192.168.1.5:5555") stays whole.
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QList<AdbDevice> devices;
    bool listing = false;
    for (const QString &line : trimmedLines(output)) {
        if (!listing) {
            // Daemon start-up notices come before the header.
            listing =
                line.compare(QLatin1String("List of devices attached"), Qt::CaseInsensitive) == 0;
            continue;
        }
        const QStringList words = line.split(blanks, Qt::SkipEmptyParts);
        if (words.size() >= 2)
            devices.append({line, words.at(0), words.at(1)});
    }
    return devices;
}

QSet<QString> AdbHelper::parsePackages(const QString &output)
{
    QSet<QString> packages;
    for (const QString &line : trimmedLines(output)) {
        if (line.startsWith(QLatin1String("package:")))
            packages.insert(line.mid(8).trimmed());
    }
    return packages;
}

bool AdbHelper::hasSuccessLine(const QString &output)
{
    const QStringList lines = trimmedLines(output);
    return std::any_of(lines.begin(), lines.end(), [](const QString &line) {
        return line.compare(QLatin1String("Success"), Qt::CaseInsensitive) == 0;
    });
}

bool AdbHelper::hasErrorLine(const QString &output)
{
    const QStringList lines = trimmedLines(output);
    return std::any_of(lines.begin(), lines.end(), [](const QString &line) {
        return line.toLower().startsWith(QLatin1String("error:"));
    });
}

QList<AdbDevice> AdbHelper::devices() const
{
    return parseDevices(execute({QStringLiteral("devices")}, true));
}

QSet<QString> AdbHelper::packages(const QString &serial) const
{
    return parsePackages(execute({QStringLiteral("-s"), serial, QStringLiteral("shell"),
                                  QStringLiteral("pm"), QStringLiteral("-l")},
                                 false));
}

void AdbHelper::install(const QString &serial, const QString &apkPath) const
{
    const QString output =
        execute({QStringLiteral("-s"), serial, QStringLiteral("install"), apkPath}, false);
    if (!hasSuccessLine(output))
        fail(output.trimmed());
}

void AdbHelper::uninstall(const QString &serial, const QString &package) const
{
    const QString output =
        execute({QStringLiteral("-s"), serial, QStringLiteral("uninstall"), package}, true);
    if (!hasSuccessLine(output))
        fail(output.trimmed());
}

void AdbHelper::forward(const QString &serial, int localPort, int remotePort) const
{
    execute({QStringLiteral("-s"), serial, QStringLiteral("forward"),
             QStringLiteral("tcp:%0").arg(localPort), QStringLiteral("tcp:%0").arg(remotePort)},
            true);
}

void AdbHelper::trigger(const QString &serial, const QString &amCommand, const QString &component,
                        const QString &action, const QString &data, const QStringList &categories,
                        const QString &mimeType) const
{
    QStringList args{QStringLiteral("-s"), serial, QStringLiteral("shell"), QStringLiteral("am"),
                     amCommand};
    const auto addPair = [&args](const char *flag, const QString &value) {
        if (!value.isEmpty())
            args << QString::fromLatin1(flag) << value;
    };
    addPair("-n", component);
    addPair("-a", action);
    addPair("-d", data);
    for (const QString &category : categories)
        args << QStringLiteral("-c") << category;
    addPair("-t", mimeType);
    const QString output = execute(args, false);
    if (hasErrorLine(output))
        fail(output.trimmed());
}

QString AdbHelper::logcatd(const QString &serial) const
{
    return execute({QStringLiteral("-s"), serial, QStringLiteral("shell"), QStringLiteral("logcat"),
                    QStringLiteral("-d")},
                   false);
}

void AdbHelper::killProcess(const QString &serial, const QString &package) const
{
    execute({QStringLiteral("-s"), serial, QStringLiteral("shell"), QStringLiteral("am"),
             QStringLiteral("force-stop"), package},
            false);
}

void AdbHelper::killServer() const
{
    execute({QStringLiteral("kill-server")}, false);
}
