#include "companionphone.h"
#include "testfiles.h"
#include <QDir>
#include <QFile>

namespace {

// Values of the store's property files, which are read as UTF-8.
QString escaped(const QString &value)
{
    QString out;
    for (const QChar c : value) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else
            out += c;
    }
    return out;
}

} // namespace

CompanionPhone::CompanionPhone(const QString &serial) : m_serial(serial)
{
    QDir().mkpath(storePath() + QStringLiteral("/messages"));
    describe();
    setListing(QStringLiteral("List of devices attached\n%1\tdevice\n\n").arg(serial));
    qputenv("TEXTLINK_ADB", TEXTLINK_ADB_STANDIN);
    qputenv("TEXTLINK_ADB_STANDIN", m_dir.path().toUtf8());
}

CompanionPhone::~CompanionPhone()
{
    stop();
}

void CompanionPhone::describe(int version, const QString &extra)
{
    // Each phone of a test process has a cache of its own.
    static int phones = 0;
    if (m_imei.isEmpty())
        m_imei = QStringLiteral("3569380356%1").arg(++phones, 5, 10, QLatin1Char('0'));
    const QString text = QStringLiteral("version=%1\nmodel=Pixel 7\nmanufacturer=Google\n"
                                        "imei=%2\nuid=uid-%2\nsdk=13\nsdk_id=33\n"
                                        "root=0\nmmc=310\n%3\n")
                             .arg(version)
                             .arg(m_imei, extra);
    writeFile(storePath() + QStringLiteral("/device.properties"), text.toUtf8());
}

int CompanionPhone::addMessage(const QString &address, const QString &body, qint64 dateMillis,
                               bool fromMe, const QList<Part> &parts)
{
    const int n = m_next++;
    QString text = QStringLiteral("address=%1\ncontact_name=\nbody=%2\nsubject=\ndate=%3\n"
                                  "from_me=%4\nparts=%5\n")
                       .arg(escaped(address), escaped(body))
                       .arg(dateMillis)
                       .arg(fromMe ? 1 : 0)
                       .arg(parts.size());
    for (int k = 0; k < parts.size(); ++k) {
        text += QStringLiteral("part.%1.mime=%2\npart.%1.name=%3\n")
                    .arg(k)
                    .arg(escaped(parts.at(k).mimeType), escaped(parts.at(k).name));
        writeFile(storePath() + QStringLiteral("/messages/%1-%2.bin").arg(n).arg(k),
                  parts.at(k).data);
    }
    writeFile(storePath() + QStringLiteral("/messages/%1.properties").arg(n), text.toUtf8());
    return n;
}

void CompanionPhone::removeMessage(int number)
{
    QFile::remove(storePath() + QStringLiteral("/messages/%1.properties").arg(number));
}

int CompanionPhone::messageCount() const
{
    return int(QDir(storePath() + QStringLiteral("/messages"))
                   .entryList({QStringLiteral("*.properties")}, QDir::Files)
                   .size());
}

bool CompanionPhone::start()
{
    stop();
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("java"),
                    {QStringLiteral("-jar"), QStringLiteral(TEXTLINK_COMPANION_JAR),
                     QStringLiteral("--store"), storePath(), QStringLiteral("--port"),
                     QStringLiteral("0")});
    if (!m_process.waitForStarted(30000))
        return false;
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(30000))
            return false;
    }
    const QByteArray line = m_process.readLine().trimmed();
    if (!line.startsWith("control-port "))
        return false;
    m_port = line.mid(13).toInt();
    writeFile(m_dir.filePath(m_serial + QStringLiteral(".port")), QByteArray::number(m_port));
    return m_port > 0;
}

void CompanionPhone::stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
}

void CompanionPhone::setListing(const QString &listing, const QString &errorText)
{
    writeFile(m_dir.filePath(QStringLiteral("devices.txt")), listing.toUtf8());
    const QString errorPath = m_dir.filePath(QStringLiteral("devices.err"));
    if (errorText.isEmpty())
        QFile::remove(errorPath);
    else
        writeFile(errorPath, errorText.toUtf8());
}
