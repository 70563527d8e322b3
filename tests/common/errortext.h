#pragma once

#include <QString>

#include <stdexcept>

// The text of the E that f throws, or "(no error)" when it throws none; other exceptions pass
// through and fail the calling test. For checks of what an error tells the user.
template <typename E = std::exception, typename F> QString errorText(F &&f)
{
    try {
        f();
    } catch (const E &e) {
        return QString::fromUtf8(e.what());
    }
    return QStringLiteral("(no error)");
}
