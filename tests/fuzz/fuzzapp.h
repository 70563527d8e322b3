#pragma once

// Makes the process a quiet application once: a core application with the English translation
// (so that error texts are built as the program builds them) and no log output at all, since every
// malformed input would log and the output would cost more than the parsing.
void g_fuzzQuietApp();
