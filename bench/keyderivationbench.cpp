// Derives a key as an encrypted modern backup asks (PBKDF2-HMAC-SHA256, 10,000,000 rounds by
// default) and prints the processor seconds it took, for run-derivation.sh to compare. Processor
// time, not wall time: the machines this runs on are often shared.
#include "itunes/keyderivation.h"

#include <QByteArray>

#include <cstdio>
#include <cstdlib>
#include <ctime>

int main(int argc, char **argv)
{
    const quint32 rounds =
        argc > 1 ? static_cast<quint32>(std::strtoul(argv[1], nullptr, 10)) : 10'000'000u;
    const std::clock_t start = std::clock();
    const QByteArray key = KeyDerivation::pbkdf2(KeyDerivation::Hash::Sha256, "password",
                                                 QByteArray(20, 's'), rounds, 32);
    std::printf("%.3f %s\n", double(std::clock() - start) / CLOCKS_PER_SEC,
                key.toHex().constData());
    return 0;
}
