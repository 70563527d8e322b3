#pragma once

#include <QByteArray>

#include <functional>

// PBKDF2 with HMAC-SHA1 or HMAC-SHA256 over mbed TLS's block functions. The keyed inner and
// outer hash states are computed once, so that each round costs two block operations: phones ask
// for ten million rounds, and the generic mbed TLS routine would rehash the key every round.
class KeyDerivation
{
public:
    // Called every kCheckpointRounds rounds with the rounds done and the total; it may throw to
    // stop the derivation (a cancel).
    using Checkpoint = std::function<void(quint64 done, quint64 total)>;
    static constexpr quint32 kCheckpointRounds = 1U << 16;

    enum class Hash { Sha1, Sha256 };

    // Empty when iterations is 0 or keyLength is not positive.
    static QByteArray pbkdf2(Hash hash, const QByteArray &password, const QByteArray &salt,
                             quint32 iterations, int keyLength,
                             const Checkpoint &checkpoint = Checkpoint());
};
