#pragma once

#include <functional>

// Searches the positions after current to the end, then from 0 up to and including current, and
// returns the first position that matches; -1 when none does. current -1 starts at position 0.
// The current position comes last, so a search whose only match is the current item finds it
// again.
int g_findWrapped(int count, int current, const std::function<bool(int)> &matches);
