#include "mobiledevice/backup2tool.h"

#include "frame/translation.h"
#include "mobiledevice/absdevicelink.h"
#include "mobiledevice/iosdevice.h"
#include "mobiledevice/mobiledevicelog.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

#include <stdexcept>

namespace {

constexpr int kStartTimeoutMs = 60 * 1000;
constexpr int kPollMs = 200;
constexpr double kMaxRunningProgress = 99;
constexpr int kDefaultEstimateSeconds = 60;
constexpr qint64 kMiB = 1024 * 1024;

[[noreturn]] void fail(const QString &text)
{
    throw std::runtime_error(text.toStdString());
}

} // namespace

backup2tool::backup2tool(const IOSDevice &device, const QDir &root, QObject *parent)
    : QObject(parent), m_device(device), m_root(root)
{}

backup2tool::~backup2tool() = default;

void backup2tool::cancel()
{
    m_cancelled.storeRelease(1);
}

int backup2tool::estimateSeconds(qint64 usedBytes)
{
    if (usedBytes < kMiB)
        return kDefaultEstimateSeconds;
    return static_cast<int>(static_cast<double>(usedBytes / kMiB) * 0.03);
}

int backup2tool::parseProgress(const QByteArray &output, int previous)
{
    // The tool redraws a bar "[=====     ]  42%" in place with carriage returns.
    static const QRegularExpression bar(QStringLiteral("\\]\\s*(\\d{1,3})%"));
    int value = previous;
    for (const QRegularExpressionMatch &match : bar.globalMatch(QString::fromUtf8(output)))
        value = qMin(match.captured(1).toInt(), 100);
    return value;
}

bool backup2tool::succeeded(const QByteArray &output, int exitCode)
{
    return exitCode == 0 && output.contains("Backup Successful.");
}

QString backup2tool::lastWords(const QByteArray &output)
{
    static const QRegularExpression lineBreak(QStringLiteral("[\\r\\n]+"));
    const QStringList lines = QString::fromUtf8(output).split(lineBreak, Qt::SkipEmptyParts);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QString line = it->trimmed();
        if (!line.isEmpty())
            return line;
    }
    return QString();
}

QStringList backup2tool::arguments(const _backup2tool_req &req) const
{
    if (req.op != kBackup2ToolBackup)
        fail(g_tr("unknown backup2tool_op."));
    QStringList args{QStringLiteral("-u"), m_device.udid()};
    if (m_device.connection().network)
        args << QStringLiteral("-n");
    args << QStringLiteral("backup") << QDir::toNativeSeparators(m_root.absolutePath());
    return args;
}

void backup2tool::runThrow(const _backup2tool_req &req)
{
    m_cancelled.storeRelease(0);
    m_progress = 0;
    const int estimate = estimateSeconds(m_device.usedBytes());
    const QStringList args = arguments(req);
    const QString program = m_device.link().backupToolProgram();

    QProcess tool;
    tool.setProcessChannelMode(QProcess::SeparateChannels);
    qCInfo(lcMobileDevice) << "backup tool:" << program << args << "estimate" << estimate << "s";
    tool.start(program, args);
    if (!tool.waitForStarted(kStartTimeoutMs))
        fail(g_tr("IDS_IOS_BACKUP_TOOL_NOT_STARTED_%1").arg(program));

    QElapsedTimer clock;
    clock.start();
    QByteArray out;
    QByteArray err;
    int toolPercent = -1;
    while (!tool.waitForFinished(kPollMs)) {
        if (m_cancelled.loadAcquire()) {
            qCInfo(lcMobileDevice) << "backup cancelled: stopping the tool";
            tool.kill();
            tool.waitForFinished();
            return;
        }
        const QByteArray fresh = tool.readAllStandardOutput();
        out += fresh;
        err += tool.readAllStandardError();
        toolPercent = parseProgress(fresh, toolPercent);
        const qint64 seconds = clock.elapsed() / 1000;
        const double byTime = estimate > 0 ? static_cast<double>(seconds) / estimate * 99 : 99;
        m_progress = qMin(toolPercent >= 0 ? toolPercent : byTime, kMaxRunningProgress);
        Q_EMIT update(m_progress, QString(), g_tr("%1 seconds passed").arg(seconds));
    }
    out += tool.readAllStandardOutput();
    err += tool.readAllStandardError();
    const QByteArray output = err + '\n' + out;
    qCInfo(lcMobileDevice).noquote() << "backup tool ended with" << tool.exitCode() << ":"
                                     << QString::fromUtf8(output).right(2000);
    const int exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    if (!succeeded(output, exitCode)) {
        const QString why = lastWords(err).isEmpty() ? lastWords(out) : lastWords(err);
        fail(g_tr("IDS_IOS_BACKUP_FAILED_%1").arg(why.isEmpty() ? QString::number(exitCode) : why));
    }
}
