#include "iosdb/ioscontactphoneinfo.h"

QString _IOSContactPhoneInfo::displayName() const
{
    QString name = first;
    for (const QString &part : {middle.trimmed(), last.trimmed()}) {
        if (!part.isEmpty())
            name += QLatin1Char(' ') + part;
    }
    // A missing first name would otherwise leave the name starting with a blank.
    return name.trimmed();
}

bool _IOSContactPhoneInfo::isEmpty() const
{
    return first.isEmpty() && middle.isEmpty() && last.isEmpty() && photo.isEmpty();
}
