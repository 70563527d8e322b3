#include "ui/wrappedsearch.h"

#include <algorithm>

int g_findWrapped(int count, int current, const std::function<bool(int)> &matches)
{
    if (count <= 0)
        return -1;
    const int start = current >= 0 && current < count ? current + 1 : 0;
    for (int step = 0; step < count; ++step) {
        const int position = (start + step) % count;
        if (matches(position))
            return position;
    }
    return -1;
}

int g_nextMatch(const QList<int> &matches, int current, bool forward)
{
    if (matches.isEmpty())
        return -1;
    if (forward) {
        const auto next = std::upper_bound(matches.cbegin(), matches.cend(), current);
        return next == matches.cend() ? matches.first() : *next;
    }
    const auto next = std::lower_bound(matches.cbegin(), matches.cend(), current);
    if (current < 0 || next == matches.cbegin())
        return matches.last();
    return *(next - 1);
}
