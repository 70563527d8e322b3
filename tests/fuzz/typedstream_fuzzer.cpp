// Feeds arbitrary bytes to the reader of archived message bodies. Besides crashes, leaks and
// undefined behaviour, it checks that whatever follows a body that was read does not change it:
// the reader stops at the text, so bytes after it cannot matter.
#include "iosdb/typedstreamreader.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const auto text = TypedStreamReader::attributedText(bytes);
    if (text && TypedStreamReader::attributedText(bytes + QByteArray("\x84\x85\x86", 3)) != text)
        std::abort();
    return 0;
}
