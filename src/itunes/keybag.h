#pragma once

#include "itunes/keybaginfo.h"

#include <QByteArray>

// Parsing and unlocking the keybag of an encrypted backup ("BackupKeyBag" in Manifest.plist).
// A damaged keybag throws std::runtime_error; a wrong password is told apart from it: the
// unlocking functions return false or throw InvalidPasswordError.

// The first four bytes as a big-endian unsigned integer; 0 when there are fewer.
quint32 g_keybagInt32(const QByteArray &value);

// Throws std::runtime_error when an entry runs past the end of the data.
_KeybagInfo parseKeybag(const QByteArray &data);

// Unwraps every password-wrapped class key with a key derived from the password (UTF-8) and
// stores it as the class key's "KEY". Returns false when an unwrap fails its integrity check,
// that is, for a wrong password. Throws std::runtime_error when the keybag lacks its salt or
// iteration count or holds a wrapped key of impossible size.
bool unlockWithPasscode(const QByteArray &password, _KeybagInfo &keybag);

// Parses and unlocks in one step; throws InvalidPasswordError for a wrong password and
// std::runtime_error for a damaged keybag.
_KeybagInfo g_unlockKeybag(const QByteArray &keybagData, const QByteArray &password);

// A file's 32-byte key: the wrapped key (40 bytes, the manifest's encryptionKey without its first
// four bytes) unwrapped with the key of its protection class; empty when the class has no key or
// the wrapped key does not unwrap.
QByteArray unwrapKeyForClass(const _KeybagInfo &keybag, int protectionClass,
                             const QByteArray &wrappedKey);
