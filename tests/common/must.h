#pragma once

#include <stdexcept>

// The record a look-up found. Throws when there is none, which fails the calling test, so that
// the test reads on without a check of its own before each use.
template <typename T> T *must(T *record)
{
    if (!record)
        throw std::runtime_error("an expected record is missing");
    return record;
}
