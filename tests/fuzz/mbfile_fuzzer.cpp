// Feeds arbitrary bytes to the reader of Manifest.db file records (keyed archives). Besides
// crashes, leaks and undefined behaviour, it checks what the rest of the reader relies on: the
// key field keeps its bytes, and a record never changes the domain and path it was given.
#include "itunes/manifestdbreader.h"
#include "itunes/mbfilerecord.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray blob(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    MBDBParser::_MBDBItem base;
    base.domain.length = 10;
    base.domain.data = "HomeDomain";
    const std::optional<MBDBParser::_MBDBItem> item = MBFileRecord::parse(blob, base);
    if (item) {
        if (item->domain.data != base.domain.data || item->path.isValid())
            std::abort();
        if (item->encryptionKey.isValid() &&
            item->encryptionKey.data.size() != item->encryptionKey.length)
            std::abort();
    }
    // The whole row: a file row must name its stored file by its own id only.
    const std::optional<ManifestDbReader::Entry> entry = ManifestDbReader::entryOf(
        QStringLiteral("3d0d7e5fb2ce288813306e4d4636395e047a3d28"), QStringLiteral("HomeDomain"),
        QStringLiteral("Library/SMS/sms.db"), size == 0 ? 0 : data[0] % 8, blob);
    if (entry && !entry->storedName.isEmpty() &&
        entry->storedName != QLatin1String("3d/3d0d7e5fb2ce288813306e4d4636395e047a3d28"))
        std::abort();
    return 0;
}
