#pragma once

#include <QByteArray>
#include <QString>

// Identifiers for records this program creates. They keep no state.

// The MD5 of data in UUID form (8-4-4-4-12, upper case). Equal content gives an equal id; no
// version or variant bits are set, it only looks like a UUID.
QString hashUUID(const QByteArray &data);

// A new random UUID, upper case, without braces: 36 characters.
QString genUUID();

// A group chat identifier of the phone's form, "chat" and 18 digits, derived from seed: the same
// seed always gives the same identifier.
QString genChatIdentifier(const QString &seed);
