// Feeds arbitrary bytes to the keybag parser of encrypted backups, then asks every class key it
// found to unwrap a file key. The password derivation is left out: its cost is set by the keybag
// itself and is bounded by the unlocking code, not by the parser.
#include "itunes/keybag.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    try {
        _KeybagInfo keybag = parseKeybag(bytes);
        // As after a successful unlock: every class key holds an unwrapped key.
        for (_KeybagPros &classKey : keybag.classKeys)
            classKey.values.insert(QStringLiteral("KEY"), QByteArray(32, '\x5a'));
        const QByteArray wrapped = bytes.left(40).leftJustified(40, '\0');
        for (auto it = keybag.classKeys.cbegin(); it != keybag.classKeys.cend(); ++it)
            (void)unwrapKeyForClass(keybag, it.key(), wrapped);
        for (const QByteArray &value : keybag.attributes)
            (void)g_keybagInt32(value);
    } catch (const std::runtime_error &) {
        // A damaged keybag is refused with a text for the user: the expected outcome.
    }
    return 0;
}
