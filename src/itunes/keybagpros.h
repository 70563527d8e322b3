#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// One class key of a backup keybag: its entries ("UUID", "CLAS", "WRAP", "WPKY", "KTYP", "PBKY")
// as found, plus "KEY", the unwrapped class key, once the keybag is unlocked.
struct _KeybagPros
{
    QMap<QString, QByteArray> values;

    // The first four bytes of the value as a big-endian unsigned integer; 0 when the value is
    // missing or shorter than four bytes.
    quint32 getInt32(const QString &tag) const;
};
