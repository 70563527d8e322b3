#pragma once

#include "model/qplist.h"

// The property-list values exchanged with a phone's services, under the names the device code
// uses; the node handling itself is QPlist's.
class CFType : public QPlist
{
public:
    enum Format { kXml = 100, kBinary = 200 };

    CFType() = default;
    CFType(const QPlist &node) : QPlist(node) {} // NOLINT: every QPlist is a CFType

    static CFType createCFDictionary() { return QPlist::newDict(); }
    static CFType createCFString(const QString &text) { return QPlist::fromString(text); }
    // Either format; a null handle when the bytes hold no property list.
    static CFType createCFPropertyList(const QByteArray &bytes);

    QString CFStringQString() const { return toString(); }
    // The number as a signed 64-bit value; def when this is no number.
    qint64 CFNumberInt64(qint64 def) const;
    bool CFNumberBool(bool def) const;
    QByteArray CFPropertyListToBytes(Format format) const;
};
