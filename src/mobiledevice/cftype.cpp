#include "mobiledevice/cftype.h"

CFType CFType::createCFPropertyList(const QByteArray &bytes)
{
    return QPlist::fromFileBin(bytes);
}

qint64 CFType::CFNumberInt64(qint64 def) const
{
    if (isUint())
        return static_cast<qint64>(toUint());
    if (isReal())
        return static_cast<qint64>(toReal());
    return def;
}

bool CFType::CFNumberBool(bool def) const
{
    return isBool() ? toBool() : def;
}

QByteArray CFType::CFPropertyListToBytes(Format format) const
{
    if (isNull())
        return QByteArray();
    return format == kBinary ? toBin() : toXml().toUtf8();
}
