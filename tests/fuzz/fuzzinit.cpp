// Linked into every fuzzer: the process becomes a quiet application before the first input.
#include "fuzzapp.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    g_fuzzQuietApp();
    return 0;
}
