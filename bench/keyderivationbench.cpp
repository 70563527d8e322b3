// Derives a key as an encrypted modern backup asks (PBKDF2-HMAC-SHA256, 10,000,000 rounds by
// default) and prints the seconds it took, for run-derivation.sh to compare.
#include "itunes/keyderivation.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    const quint32 rounds =
        argc > 1 ? static_cast<quint32>(std::strtoul(argv[1], nullptr, 10)) : 10'000'000u;
    QElapsedTimer timer;
    timer.start();
    const QByteArray key = KeyDerivation::pbkdf2(KeyDerivation::Hash::Sha256, "password",
                                                 QByteArray(20, 's'), rounds, 32);
    std::printf("%.3f %s\n", timer.nsecsElapsed() / 1e9, key.toHex().constData());
    return 0;
}
