#include "itunes/keybagpros.h"

#include "itunes/keybag.h"

quint32 _KeybagPros::getInt32(const QString &tag) const
{
    return g_keybagInt32(values.value(tag));
}
