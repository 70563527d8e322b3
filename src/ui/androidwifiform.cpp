#include "ui/androidwifiform.h"

#include "android/androidconnectwithwifithread.h"
#include "frame/translation.h"
#include "ui/progressform.h"
#include "ui/tips.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

AndroidWIFIForm::AndroidWIFIForm(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Connect Android via WiFi"));
    auto *label = new QLabel(g_tr("IDS_ANDROID_WIFI_FORM_TIPS"), this);
    label->setObjectName(QStringLiteral("label"));
    label->setWordWrap(true);
    m_txtWifiSocket = new QLineEdit(this);
    m_txtWifiSocket->setObjectName(QStringLiteral("txtWifiSocket"));
    auto *connect = new QPushButton(QStringLiteral("Connect"), this);
    connect->setObjectName(QStringLiteral("btnConnect"));
    auto *close = new QPushButton(QStringLiteral("Cancel"), this);
    close->setObjectName(QStringLiteral("btnClose"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(connect);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_txtWifiSocket);
    layout->addLayout(buttons);
    QObject::connect(connect, &QPushButton::clicked, this, &AndroidWIFIForm::onBtnConnect);
    QObject::connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

QString AndroidWIFIForm::matchAddress(const QString &text)
{
    static const QRegularExpression address(
        QStringLiteral("^(\\d{1,3}\\.\\d{1,3}\\.\\d{1,3}\\.\\d{1,3})$"));
    const QRegularExpressionMatch match = address.match(text.trimmed());
    return match.hasMatch() ? match.captured(1) : QString();
}

void AndroidWIFIForm::onBtnConnect()
{
    const QString host = matchAddress(m_txtWifiSocket->text());
    if (host.isEmpty()) {
        Tips::warning(g_tr("IDS_WIFI_SOCK_WRONG_FOR_EXAMPLE"));
        return;
    }
    ProgressForm progress(g_tr("IDS_CONNECTING_ANDROID_DEVICE"), this);
    AndroidConnectWithWiFiThread worker(host, AndroidDevice::kWifiControlPort, progress.progress());
    if (!progress.runWorker(worker))
        return;
    m_device = worker.device();
    accept();
}
