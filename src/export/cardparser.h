#pragma once

// A streaming contact-card parser: bytes go in as they arrive, properties come out through two
// callbacks. Lines are unfolded, parameters split and the value decoded (quoted-printable or
// Base64) before it reaches the data handler.

#include <cstddef>

struct CardParserRecord;
using CARD_Parser = CardParserRecord *;

// params holds name/value pairs and ends with a null name; the value of a bare parameter is null.
using CARD_PropHandler = void (*)(void *userData, const char *propName, const char **params);
// Called with the decoded bytes of a property (only when there are some), then with (null, 0) to
// mark the end of the property.
using CARD_DataHandler = void (*)(void *userData, const char *data, std::size_t length);

// One property line (name, parameters and undecoded value) may not grow beyond this; a longer one
// fails the parse instead of letting hostile input take all memory.
inline constexpr std::size_t kCardMaxLineLength = 16 * 1024 * 1024;

CARD_Parser CARD_ParserCreate();
void CARD_ParserFree(CARD_Parser parser);
const char *CARD_ParserVersion();

void CARD_SetUserData(CARD_Parser parser, void *userData);
void *CARD_GetUserData(CARD_Parser parser);
void CARD_SetPropHandler(CARD_Parser parser, CARD_PropHandler handler);
void CARD_SetDataHandler(CARD_Parser parser, CARD_DataHandler handler);

// Non-zero on success, 0 on a syntax error (the parser then stops at the offending byte). With
// final set, the last property is completed and delivered.
int CARD_Parse(CARD_Parser parser, const char *bytes, std::size_t length, int final);
