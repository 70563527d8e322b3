#include "ui/wrappedsearch.h"

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
