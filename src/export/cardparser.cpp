#include "export/cardparser.h"

#include <array>
#include <vector>

namespace {

enum State { kName = 0, kParamStart, kParamName, kValueStart, kParamValue, kData };
enum Encoding { kNone = 0, kQuoted, kBase64, k8Bit };

constexpr std::size_t kGrowStep = 128;
constexpr std::size_t kKeepCapacity = 1025;
constexpr std::size_t kNoValue = static_cast<std::size_t>(-1);

struct ParamOffsets
{
    std::size_t name = 0;
    std::size_t value = kNoValue;
};

bool isSpace(char c)
{
    // The C locale's white space; the C library's test depends on the process locale.
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool sameText(const char *a, const char *b)
{
    for (; *a && *b; ++a, ++b) {
        if (upper(*a) != upper(*b))
            return false;
    }
    return *a == *b;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    const char u = upper(c);
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

int base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

Encoding encodingNamed(const char *name)
{
    if (sameText(name, "QUOTED-PRINTABLE"))
        return kQuoted;
    if (sameText(name, "BASE64") || sameText(name, "B"))
        return kBase64;
    if (sameText(name, "8BIT"))
        return k8Bit;
    return kNone;
}

} // namespace

struct CardParserRecord
{
    bool atLineStart = true;
    bool folded = false;
    std::vector<char> line;
    State state = kName;
    bool dataStart = true;
    std::vector<ParamOffsets> params;
    bool escape = false;
    bool quoted = false;
    Encoding encoding = kNone;
    bool qpPending = false;
    std::array<char, 4> small{};
    int smallLength = 0;
    void *userData = nullptr;
    CARD_PropHandler propHandler = nullptr;
    CARD_DataHandler dataHandler = nullptr;

    bool append(char c);
    void resetLine();
    bool fail();
    bool feed(char c);
    bool feedHeader(char c);
    bool feedParamValue(char c);
    bool feedData(char c);
    bool decodeQuoted(char c);
    bool decodeBase64(char c);
    bool flushQuantum();
    bool endProperty();
    bool endData();
    bool softBreakPending() const;
    bool releaseLineBreak();
};

bool CardParserRecord::append(char c)
{
    if (line.size() >= kCardMaxLineLength)
        return false;
    if (line.size() == line.capacity()) {
        // Doubling rather than fixed steps: a photo of a few megabytes on one line would otherwise
        // be copied thousands of times.
        line.reserve(line.capacity() < kGrowStep ? kGrowStep : line.capacity() * 2);
    }
    line.push_back(c);
    return true;
}

void CardParserRecord::resetLine()
{
    state = kName;
    if (line.capacity() >= kKeepCapacity)
        std::vector<char>().swap(line);
    else
        line.clear();
    params.clear();
    escape = false;
    quoted = false;
    encoding = kNone;
    qpPending = false;
    smallLength = 0;
    dataStart = true;
}

bool CardParserRecord::fail()
{
    resetLine();
    return false;
}

bool CardParserRecord::endProperty()
{
    if (!append('\0'))
        return fail();
    std::vector<const char *> texts;
    texts.reserve(params.size() * 2 + 2);
    for (const ParamOffsets &param : params) {
        const char *name = line.data() + param.name;
        const char *value = param.value == kNoValue ? nullptr : line.data() + param.value;
        const Encoding named = value ? (sameText(name, "ENCODING") ? encodingNamed(value) : kNone)
                                     : encodingNamed(name);
        if (named != kNone)
            encoding = named;
        texts.push_back(name);
        texts.push_back(value);
    }
    texts.push_back(nullptr);
    texts.push_back(nullptr);
    if (propHandler)
        propHandler(userData, line.data(), texts.data());
    line.clear();
    params.clear();
    state = kData;
    dataStart = true;
    return true;
}

bool CardParserRecord::feedParamValue(char c)
{
    if (escape) {
        escape = false;
        if (c == ';' || c == '\\' || c == '"')
            return append(c) || fail();
        // Not an escape after all: keep the backslash and read the character as usual.
        if (!append('\\'))
            return fail();
    }
    if (c == '\\') {
        escape = true;
        return true;
    }
    if (c == '"') {
        quoted = !quoted;
        return true;
    }
    if (quoted)
        return append(c) || fail();
    if (isSpace(c))
        return true;
    if (c == ':') {
        if (!append('\0'))
            return fail();
        return endProperty();
    }
    if (c == ';') {
        state = kParamStart;
        return append('\0') || fail();
    }
    return append(c) || fail();
}

bool CardParserRecord::feedHeader(char c)
{
    if (c == '\n') {
        // A line that never reached its ":" holds no property.
        resetLine();
        return true;
    }
    if (state == kParamValue)
        return feedParamValue(c);
    if (isSpace(c))
        return true;
    switch (state) {
    case kName:
        if (c == ':')
            return endProperty();
        if (c == ';') {
            state = kParamStart;
            return append('\0') || fail();
        }
        return append(c) || fail();
    case kParamStart:
        if (c == ':')
            return fail();
        params.push_back({line.size(), kNoValue});
        state = kParamName;
        return append(c) || fail();
    case kParamName:
        if (c == ':')
            return endProperty();
        if (c == ';' || c == '=') {
            state = c == ';' ? kParamStart : kValueStart;
            return append('\0') || fail();
        }
        return append(c) || fail();
    case kValueStart:
        if (c == ':' || c == ';')
            return fail();
        params.back().value = line.size();
        state = kParamValue;
        return feedParamValue(c);
    default:
        return fail();
    }
}

bool CardParserRecord::decodeQuoted(char c)
{
    if (!qpPending) {
        if (c == '=') {
            qpPending = true;
            smallLength = 0;
            return true;
        }
        return append(c);
    }
    small[smallLength++] = c;
    if (smallLength < 2)
        return true;
    qpPending = false;
    smallLength = 0;
    const int high = hexValue(small[0]);
    const int low = hexValue(small[1]);
    if (high >= 0 && low >= 0)
        return append(static_cast<char>(high * 16 + low));
    // Not an escape: writers that forget to encode "=" are common, so keep the text as it stands.
    return append('=') && append(small[0]) && append(small[1]);
}

bool CardParserRecord::flushQuantum()
{
    std::array<int, 4> v{};
    for (int i = 0; i < 4; ++i)
        v[i] = small[i] == '=' ? -2 : base64Value(small[i]);
    smallLength = 0;
    if (v[0] < 0 || v[1] < 0)
        return false;
    if (!append(static_cast<char>((v[0] << 2) | (v[1] >> 4))))
        return false;
    if (v[2] == -2)
        return true;
    if (v[2] < 0)
        return false;
    if (!append(static_cast<char>(((v[1] & 0x0F) << 4) | (v[2] >> 2))))
        return false;
    if (v[3] == -2)
        return true;
    if (v[3] < 0)
        return false;
    return append(static_cast<char>(((v[2] & 0x03) << 6) | v[3]));
}

bool CardParserRecord::decodeBase64(char c)
{
    if (isSpace(c))
        return true;
    small[smallLength++] = c;
    return smallLength < 4 || flushQuantum();
}

bool CardParserRecord::endData()
{
    if (encoding == kBase64 && smallLength > 0) {
        // A single leftover character carries no whole byte; drop it rather than fail the card.
        if (smallLength == 1)
            smallLength = 0;
        while (smallLength > 0 && smallLength < 4)
            small[smallLength++] = '=';
        if (smallLength == 4 && !flushQuantum())
            return fail();
    }
    if (dataHandler) {
        if (!line.empty())
            dataHandler(userData, line.data(), line.size());
        dataHandler(userData, nullptr, 0);
    }
    resetLine();
    return true;
}

bool CardParserRecord::feedData(char c)
{
    if (c == '\r')
        return true;
    if (c == '\n')
        return endData();
    if (dataStart && isSpace(c))
        return true;
    dataStart = false;
    bool ok = true;
    switch (encoding) {
    case kQuoted:
        ok = decodeQuoted(c);
        break;
    case kBase64:
        ok = decodeBase64(c);
        break;
    default:
        ok = append(c);
        break;
    }
    return ok || fail();
}

bool CardParserRecord::feed(char c)
{
    return state == kData ? feedData(c) : feedHeader(c);
}

bool CardParserRecord::softBreakPending() const
{
    return state == kData && encoding == kQuoted && qpPending && smallLength == 0;
}

bool CardParserRecord::releaseLineBreak()
{
    atLineStart = false;
    if (softBreakPending()) {
        // "=" at the end of a quoted-printable line continues the value on the next line, whether
        // or not that line is indented; the break itself is not part of the value.
        qpPending = false;
        return true;
    }
    if (folded) {
        if (state == kData && qpPending) {
            qpPending = false;
            smallLength = 0;
        }
        return feed(' ');
    }
    return feed('\n');
}

CARD_Parser CARD_ParserCreate()
{
    // A plain handle for the callback interface; its owner frees it with CARD_ParserFree.
    return new CardParserRecord;
}

void CARD_ParserFree(CARD_Parser parser)
{
    delete parser;
}

const char *CARD_ParserVersion()
{
    return "1.0";
}

void CARD_SetUserData(CARD_Parser parser, void *userData)
{
    parser->userData = userData;
}

void *CARD_GetUserData(CARD_Parser parser)
{
    return parser->userData;
}

void CARD_SetPropHandler(CARD_Parser parser, CARD_PropHandler handler)
{
    parser->propHandler = handler;
}

void CARD_SetDataHandler(CARD_Parser parser, CARD_DataHandler handler)
{
    parser->dataHandler = handler;
}

int CARD_Parse(CARD_Parser parser, const char *bytes, std::size_t length, int final)
{
    for (std::size_t i = 0; i < length; ++i) {
        const char c = bytes[i];
        if (c == '\n') {
            parser->atLineStart = true;
            parser->folded = false;
            continue;
        }
        if (parser->atLineStart) {
            if (!parser->folded && isSpace(c)) {
                parser->folded = true;
                continue;
            }
            if (!parser->releaseLineBreak())
                return 0;
        }
        if (!parser->feed(c))
            return 0;
    }
    if (final) {
        parser->atLineStart = true;
        parser->folded = false;
        if (!parser->feed('\n'))
            return 0;
    }
    return 1;
}
