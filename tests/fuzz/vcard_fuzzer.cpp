// Feeds arbitrary bytes to the contact-card parser. Besides crashes, leaks and undefined
// behaviour, it checks that feeding a file in two pieces collects the same cards as feeding it at
// once, and that what the writer makes of a parsed card can be parsed again.
#include "export/ctinfo.h"
#include "export/qvcardparser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QList<QVCardParser::Card> parseInTwo(const char *bytes, std::size_t size, std::size_t split)
{
    QVCardParser parser;
    if (parser.feed(bytes, split, false))
        parser.feed(bytes + split, size - split, true);
    return parser.cards();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto *bytes = reinterpret_cast<const char *>(data);
    const QList<QVCardParser::Card> cards =
        QVCardParser::parse(QByteArray(bytes, static_cast<qsizetype>(size)));

    const std::size_t split = size == 0 ? 0 : data[0] % (size + 1);
    if (parseInTwo(bytes, size, split) != cards)
        std::abort();

    for (const QVCardParser::Card &card : cards) {
        for (const QVCardParser::_Property &property : card)
            (void)property.toString();
        (void)ct_info::fromCard(card);
        (void)QVCardParser::parse(QVCardParser::vcard2Bytes(card));
        (void)QVCardParser::vCardPropertiesMap(card);
    }
    (void)QVCardParser::encodeQuoted(QByteArray(bytes, static_cast<qsizetype>(size)), split % 80);
    return 0;
}
