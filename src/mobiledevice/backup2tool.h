#pragma once

#include <QAtomicInt>
#include <QByteArray>
#include <QDir>
#include <QObject>
#include <QString>
#include <QStringList>

class IOSDevice;

enum backup2tool_op { kBackup2ToolBackup = 0 };

struct _backup2tool_req
{
    backup2tool_op op = kBackup2ToolBackup;
};

// Runs the backup tool (idevicebackup2) on one phone and watches it: the backup lands in
// root/<identifier>. Progress comes from the percentages the tool prints; until it prints one, from
// the time elapsed against an estimate made from the phone's disk usage.
class backup2tool : public QObject
{
    Q_OBJECT
public:
    backup2tool(const IOSDevice &device, const QDir &root, QObject *parent = nullptr);
    ~backup2tool() override;

    // Runs one operation to its end. A cancel kills the tool and returns normally. A tool that
    // cannot start, fails or does not report success throws std::runtime_error with its last
    // words.
    void runThrow(const _backup2tool_req &req);

    QStringList arguments(const _backup2tool_req &req) const;
    // The expected duration in seconds: 0.03 s per MiB in use, 60 s when less than 1 MiB or
    // unknown (negative).
    static int estimateSeconds(qint64 usedBytes);
    // The last percentage of a progress bar in the tool's output, or previous when there is none.
    static int parseProgress(const QByteArray &output, int previous);
    // Whether the tool's output and exit status tell of a finished backup.
    static bool succeeded(const QByteArray &output, int exitCode);
    // The last non-empty line of the output, for an error text.
    static QString lastWords(const QByteArray &output);

Q_SIGNALS:
    void update(double progress, const QString &status, const QString &text);

public Q_SLOTS:
    void cancel();

private:
    const IOSDevice &m_device;
    const QDir m_root;
    double m_progress = 0;
    QAtomicInt m_cancelled;
};
