#include "model/msghandle.h"

QString _MsgHandle::displayName(bool withNumber) const
{
    if (_ct_name.isEmpty())
        return id;
    if (!withNumber)
        return _ct_name;
    return QStringLiteral("%1 (%2)").arg(_ct_name, id);
}
