#pragma once

#include "itunes/keybagpros.h"

#include <QByteArray>
#include <QMap>
#include <QString>

// A parsed backup keybag: the keybag-wide entries ("UUID", "WRAP", "VERS", "TYPE", "SALT",
// "ITER", ...) and the class keys by class number.
struct _KeybagInfo
{
    QMap<QString, QByteArray> attributes;
    QMap<int, _KeybagPros> classKeys;

    bool isEmpty() const { return attributes.isEmpty() && classKeys.isEmpty(); }
};
