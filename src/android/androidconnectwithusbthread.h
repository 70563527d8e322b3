#pragma once

#include "android/absandroidconnectthread.h"

// Connects to a phone attached by USB: installs the companion when the phone lacks it, then asks
// it for the phone's description.
class AndroidConnectWithUSBThread : public AbsAndroidConnectThread
{
    Q_OBJECT
public:
    AndroidConnectWithUSBThread(const QString &serial, AbsProgress &progress,
                                QObject *parent = nullptr);

protected:
    bool prepare() override;
    QString errorText(const std::exception &e) const override;

private:
    // False when the install failed (reported) or the user cancelled.
    bool ensureInstalled();
};
