#include "iosdb/plistarray.h"

#include <plist/plist.h>

#include <cstdlib>
#include <memory>

namespace {

struct PlistFree
{
    void operator()(void *node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

PlistPtr parse(const QByteArray &data)
{
    plist_t root = nullptr;
    const auto size = static_cast<uint32_t>(data.size());
    if (data.startsWith("bplist00"))
        plist_from_bin(data.constData(), size, &root);
    else
        plist_from_xml(data.constData(), size, &root);
    return PlistPtr(root);
}

} // namespace

QStringList g_plistStringArray(const QByteArray &data)
{
    QStringList result;
    // libplist takes a 32-bit size; anything larger is no participant list.
    if (data.isEmpty() || data.size() > 0x7FFFFFFF)
        return result;
    const PlistPtr root = parse(data);
    const auto array = static_cast<plist_t>(root.get());
    if (!array || plist_get_node_type(array) != PLIST_ARRAY)
        return result;
    const uint32_t count = plist_array_get_size(array);
    for (uint32_t i = 0; i < count; ++i) {
        const plist_t item = plist_array_get_item(array, i);
        if (plist_get_node_type(item) != PLIST_STRING)
            continue;
        char *text = nullptr;
        plist_get_string_val(item, &text);
        if (text) {
            result << QString::fromUtf8(text);
            std::free(text);
        }
    }
    return result;
}
