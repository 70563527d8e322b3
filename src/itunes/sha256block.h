#pragma once

#include <cstdint>

// One SHA-256 block operation on a bare chaining state, with the processor's SHA instructions
// where it has them and mbed TLS's routine elsewhere. The password derivation of modern backups
// runs twenty million of these; the instructions make it several times faster.
class Sha256Block
{
public:
    // Whether process() uses the processor's SHA instructions.
    static bool accelerated();
    // state: the eight chaining words (H0..H7); block: 64 bytes.
    static void process(std::uint32_t state[8], const unsigned char *block);
    // The same through mbed TLS only, for checking the accelerated path.
    static void processPortable(std::uint32_t state[8], const unsigned char *block);
};
