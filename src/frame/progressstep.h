#pragma once

#include <QtGlobal>

// Helpers the workers share for their progress reports.

// Whether item done (1-based) of total deserves a report: the first, the last and every
// thousandth. A report per item would cost more than the work on large selections, and a
// thousandth is finer than any bar shows.
bool g_isProgressStep(int done, int total);

// done / total as a truncated percentage; 0 when total is not positive.
int g_progressPercent(qint64 done, qint64 total);
