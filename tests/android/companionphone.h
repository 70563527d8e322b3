#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// "A phone" for the tests: the companion's real protocol core (the Java PhoneMain) serving a
// folder store on 127.0.0.1, reached through the adb stand-in for USB or its control port for
// Wi-Fi. Setting one up points TEXTLINK_ADB and TEXTLINK_ADB_STANDIN at it.
class CompanionPhone
{
public:
    struct Part
    {
        QString mimeType;
        QString name;
        QByteArray data;
    };

    explicit CompanionPhone(const QString &serial = QStringLiteral("emulator-5554"));
    ~CompanionPhone();

    // Writes the phone's description; extra lines ("needs_default_sms_app=1") are appended.
    void describe(int version = 12, const QString &extra = QString());
    // Adds one message to the phone's store; returns its number.
    int addMessage(const QString &address, const QString &body, qint64 dateMillis, bool fromMe,
                   const QList<Part> &parts = {});
    void removeMessage(int number);
    int messageCount() const;
    // Starts (or restarts) the core; false when it did not come up.
    bool start();
    void stop();
    int controlPort() const { return m_port; }
    // What adb's device listing prints.
    void setListing(const QString &listing, const QString &errorText = QString());

    const QString &serial() const { return m_serial; }
    QString storePath() const { return m_dir.filePath(QStringLiteral("store")); }

private:
    QString m_serial;
    QString m_imei;
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    int m_next = 1;
};
