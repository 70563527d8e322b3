#include "frame/progressstep.h"

bool g_isProgressStep(int done, int total)
{
    const int step = qMax(1, total / 1000);
    return done == 1 || done == total || done % step == 0;
}

int g_progressPercent(qint64 done, qint64 total)
{
    if (total <= 0)
        return 0;
    return static_cast<int>(done * 100 / total);
}
