#include "android/adbdevice.h"

bool _AdbDevice::isOn() const
{
    return state.compare(QLatin1String("device"), Qt::CaseInsensitive) == 0;
}

bool _AdbDevice::isOff() const
{
    return state.compare(QLatin1String("offline"), Qt::CaseInsensitive) == 0 ||
           state.compare(QLatin1String("unauthorized"), Qt::CaseInsensitive) == 0;
}
