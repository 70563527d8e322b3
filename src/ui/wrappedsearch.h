#pragma once

#include <QList>

#include <functional>

// Searches the positions after current to the end, then from 0 up to and including current, and
// returns the first position that matches; -1 when none does. current -1 starts at position 0.
// The current position comes last, so a search whose only match is the current item finds it
// again.
int g_findWrapped(int count, int current, const std::function<bool(int)> &matches);

// The match to go to from the current row among the matching rows (ascending): the first after
// current going forward, the last before it going back, wrapping round at either end. -1 when
// there are no matches; current -1 starts before the first row.
int g_nextMatch(const QList<int> &matches, int current, bool forward);
