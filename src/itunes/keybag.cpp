#include "itunes/keybag.h"

#include "frame/translation.h"
#include "itunes/backupcrypto.h"
#include "itunes/invalidpassworderror.h"
#include "itunes/ituneslog.h"

#include <mbedtls/platform_util.h>

#include <QSet>
#include <QtEndian>

#include <stdexcept>
#include <utility>

namespace {

constexpr int kEntryHeader = 8;
constexpr int kDerivedKeyLength = 32;
// A class key whose "WRAP" has this bit is wrapped with the password-derived key.
constexpr quint32 kWrappedWithPassword = 2;

// Phones use 10,000,000 SHA-256 rounds and 10,000 SHA-1 rounds; counts far above that come from
// a damaged keybag.
constexpr quint32 kMaxFirstStageRounds = 100'000'000;
constexpr quint32 kMaxIterations = 10'000'000;

void checkRounds(quint32 rounds, quint32 limit)
{
    if (rounds > limit)
        throw std::runtime_error(g_tr("IDS_KEYBAG_TOO_MANY_ROUNDS_%1").arg(rounds).toStdString());
}

[[noreturn]] void throwDamaged()
{
    throw std::runtime_error(g_tr("IDS_KEYBAG_DAMAGED").toStdString());
}

bool isClassTag(const QString &tag)
{
    static const QSet<QString> tags{QStringLiteral("CLAS"), QStringLiteral("WRAP"),
                                    QStringLiteral("WPKY"), QStringLiteral("KTYP"),
                                    QStringLiteral("PBKY")};
    return tags.contains(tag);
}

// Adds one entry; a class key lasts from its "UUID" to the next one.
void addEntry(_KeybagInfo &keybag, _KeybagPros &current, const QString &tag,
              const QByteArray &value)
{
    static const QString uuid = QStringLiteral("UUID");
    static const QString wrap = QStringLiteral("WRAP");
    static const QString clas = QStringLiteral("CLAS");
    // The keybag's own UUID and WRAP come first; later ones belong to class keys.
    if (tag == uuid && !keybag.attributes.contains(uuid)) {
        keybag.attributes.insert(tag, value);
    } else if (tag == wrap && !keybag.attributes.contains(wrap)) {
        keybag.attributes.insert(tag, value);
    } else if (tag == uuid) {
        current = _KeybagPros();
        current.values.insert(tag, value);
    } else if (isClassTag(tag)) {
        current.values.insert(tag, value);
    } else {
        keybag.attributes.insert(tag, value);
    }
    // Stored after every entry, so that the last class key needs no closing "UUID".
    if (current.values.contains(clas))
        keybag.classKeys.insert(static_cast<int>(current.getInt32(clas)), current);
}

bool isPasswordWrapped(const _KeybagPros &pros)
{
    return pros.values.contains(QStringLiteral("WPKY")) &&
           (pros.getInt32(QStringLiteral("WRAP")) & kWrappedWithPassword);
}

// A wrapped key is at least three and a whole number of 64-bit blocks.
bool isWrappedKeySize(int size)
{
    return size >= 24 && size % 8 == 0;
}

} // namespace

quint32 g_keybagInt32(const QByteArray &value)
{
    return value.size() < 4 ? 0 : qFromBigEndian<quint32>(value.constData());
}

_KeybagInfo parseKeybag(const QByteArray &data)
{
    _KeybagInfo keybag;
    _KeybagPros current;
    qsizetype pos = 0;
    while (pos < data.size()) {
        const qsizetype remaining = data.size() - pos;
        if (remaining < kEntryHeader)
            throwDamaged();
        const quint32 length = qFromBigEndian<quint32>(data.constData() + pos + 4);
        if (length > static_cast<quint64>(remaining - kEntryHeader)) {
            qCWarning(lcItunes) << "keybag entry at" << pos << "claims" << length << "bytes, only"
                                << remaining - kEntryHeader << "remain";
            throwDamaged();
        }
        const QString tag = QString::fromLatin1(data.constData() + pos, 4);
        addEntry(keybag, current, tag, data.mid(pos + kEntryHeader, length));
        pos += kEntryHeader + length;
    }
    return keybag;
}

QByteArray g_keybagPasswordKey(const QByteArray &password, const _KeybagInfo &keybag,
                               const KeyDerivation::Checkpoint &checkpoint)
{
    const QByteArray salt = keybag.attributes.value(QStringLiteral("SALT"));
    const quint32 iterations = g_keybagInt32(keybag.attributes.value(QStringLiteral("ITER")));
    if (salt.isEmpty() || iterations == 0)
        throw std::runtime_error(g_tr("IDS_KEYBAG_NO_SALT").toStdString());
    const QByteArray firstSalt = keybag.attributes.value(QStringLiteral("DPSL"));
    const quint32 firstRounds = g_keybagInt32(keybag.attributes.value(QStringLiteral("DPIC")));
    const bool twoStages = keybag.attributes.contains(QStringLiteral("DPSL")) ||
                           keybag.attributes.contains(QStringLiteral("DPIC"));
    if (twoStages && (firstSalt.isEmpty() || firstRounds == 0))
        throw std::runtime_error(g_tr("IDS_KEYBAG_NO_SALT").toStdString());
    // A damaged count would keep the derivation busy for days; refuse it before starting.
    checkRounds(iterations, kMaxIterations);
    if (twoStages)
        checkRounds(firstRounds, kMaxFirstStageRounds);

    const quint64 total = (twoStages ? firstRounds : 0) + quint64(iterations);
    QByteArray secret = password;
    quint64 before = 0;
    const auto stage = [&](KeyDerivation::Hash hash, const QByteArray &stageSalt, quint32 rounds) {
        const KeyDerivation::Checkpoint shifted = [&](quint64 done, quint64) {
            if (checkpoint)
                checkpoint(before + done, total);
        };
        secret = KeyDerivation::pbkdf2(hash, secret, stageSalt, rounds, kDerivedKeyLength, shifted);
        before += rounds;
    };
    // Since iOS 10.2 the password first goes through SHA-256 rounds of its own salt and count.
    if (twoStages)
        stage(KeyDerivation::Hash::Sha256, firstSalt, firstRounds);
    stage(KeyDerivation::Hash::Sha1, salt, iterations);
    if (secret.isEmpty())
        throwDamaged();
    return secret;
}

bool unlockWithPasscode(const QByteArray &password, _KeybagInfo &keybag,
                        const KeyDerivation::Checkpoint &checkpoint)
{
    // Sizes are checked before the costly derivation, so that a damaged keybag is never taken
    // for a wrong password.
    for (const _KeybagPros &pros : std::as_const(keybag.classKeys)) {
        if (isPasswordWrapped(pros) &&
            !isWrappedKeySize(pros.values.value(QStringLiteral("WPKY")).size()))
            throwDamaged();
    }

    QByteArray derived = g_keybagPasswordKey(password, keybag, checkpoint);
    bool unlocked = true;
    for (auto it = keybag.classKeys.begin(); it != keybag.classKeys.end(); ++it) {
        _KeybagPros &pros = it.value();
        if (!isPasswordWrapped(pros))
            continue;
        const QByteArray key = aes_key_unwrap(derived, pros.values.value(QStringLiteral("WPKY")));
        if (key.isEmpty()) {
            qCInfo(lcItunes) << "class key" << it.key() << "did not unwrap: wrong password";
            unlocked = false;
            break;
        }
        pros.values.insert(QStringLiteral("KEY"), key);
    }
    mbedtls_platform_zeroize(derived.data(), static_cast<size_t>(derived.size()));
    return unlocked;
}

_KeybagInfo g_unlockKeybag(const QByteArray &keybagData, const QByteArray &password,
                           const KeyDerivation::Checkpoint &checkpoint)
{
    _KeybagInfo keybag = parseKeybag(keybagData);
    if (!unlockWithPasscode(password, keybag, checkpoint))
        throw InvalidPasswordError();
    return keybag;
}

QByteArray unwrapKeyForClass(const _KeybagInfo &keybag, int protectionClass,
                             const QByteArray &wrappedKey)
{
    const auto it = keybag.classKeys.constFind(protectionClass);
    if (it == keybag.classKeys.constEnd() || wrappedKey.size() != 40)
        return QByteArray();
    const QByteArray classKey = it->values.value(QStringLiteral("KEY"));
    return classKey.isEmpty() ? QByteArray() : aes_key_unwrap(classKey, wrappedKey);
}
