#pragma once

#include "android/androiddevice.h"

#include <QDialog>

class QLineEdit;

// "Connect Android via WiFi": asks for the phone's address and connects to its companion.
class AndroidWIFIForm : public QDialog
{
    Q_OBJECT
public:
    explicit AndroidWIFIForm(QWidget *parent = nullptr);

    // The connected phone; complete once the dialog was accepted.
    const AndroidDevice &device() const { return m_device; }
    // The address typed, when it has the form of an IPv4 address; else empty.
    static QString matchAddress(const QString &text);

public Q_SLOTS:
    void onBtnConnect();

private:
    QLineEdit *m_txtWifiSocket = nullptr;
    AndroidDevice m_device;
};
