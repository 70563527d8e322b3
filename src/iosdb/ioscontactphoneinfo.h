#pragma once

#include <QByteArray>
#include <QString>

// One address-book person found for a phone number; every field is empty when none matched.
struct _IOSContactPhoneInfo
{
    QString first;
    QString middle;
    QString last;
    QByteArray photo; // the address book's thumbnail (usually JPEG); empty without one

    // "First Middle Last" with the blanks of missing parts left out.
    QString displayName() const;
    bool isEmpty() const;
};
