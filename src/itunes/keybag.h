#pragma once

#include "itunes/keybaginfo.h"
#include "itunes/keyderivation.h"

#include <QByteArray>

// Parsing and unlocking the keybag of an encrypted backup ("BackupKeyBag" in Manifest.plist).
// A damaged keybag throws std::runtime_error; a wrong password is told apart from it: the
// unlocking functions return false or throw InvalidPasswordError.

// The first four bytes as a big-endian unsigned integer; 0 when there are fewer.
quint32 g_keybagInt32(const QByteArray &value);

// Throws std::runtime_error when an entry runs past the end of the data.
_KeybagInfo parseKeybag(const QByteArray &data);

// The key that unwraps the class keys: PBKDF2-HMAC-SHA1 (SALT, ITER) of the password, and in
// keybags with "DPSL"/"DPIC" (iOS 10.2 on) of the PBKDF2-HMAC-SHA256 (DPSL, DPIC) of the password
// instead. The checkpoint sees the rounds of both stages together and may throw to cancel.
// Throws std::runtime_error when a salt or count is missing or a count is far beyond any phone's.
QByteArray g_keybagPasswordKey(const QByteArray &password, const _KeybagInfo &keybag,
                               const KeyDerivation::Checkpoint &checkpoint = {});

// Unwraps every password-wrapped class key with the password key (above; password in UTF-8) and
// stores it as the class key's "KEY". Returns false when an unwrap fails its integrity check,
// that is, for a wrong password. Throws std::runtime_error when the keybag lacks its salt or
// iteration count or holds a wrapped key of impossible size.
bool unlockWithPasscode(const QByteArray &password, _KeybagInfo &keybag,
                        const KeyDerivation::Checkpoint &checkpoint = {});

// Parses and unlocks in one step; throws InvalidPasswordError for a wrong password and
// std::runtime_error for a damaged keybag.
_KeybagInfo g_unlockKeybag(const QByteArray &keybagData, const QByteArray &password,
                           const KeyDerivation::Checkpoint &checkpoint = {});

// A file's 32-byte key: the wrapped key (40 bytes, the manifest's encryptionKey without its first
// four bytes) unwrapped with the key of its protection class; empty when the class has no key or
// the wrapped key does not unwrap.
QByteArray unwrapKeyForClass(const _KeybagInfo &keybag, int protectionClass,
                             const QByteArray &wrappedKey);
