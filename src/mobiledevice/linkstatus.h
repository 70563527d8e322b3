#pragma once

#include <QString>

// How a request to the phone ended, as far as the callers must tell the cases apart.
enum class LinkResult {
    Ok,
    NoDevice,     // not (or no longer) connected
    Locked,       // passcode-locked: the user must unlock it first
    TrustPending, // the phone shows "Trust This Computer?" and waits for the user
    TrustRefused, // the user tapped "Don't Trust"
    Failed        // anything else; code and step say what
};

struct _LinkStatus
{
    LinkResult result = LinkResult::Ok;
    // The library's own error code and the call that returned it, for the error text and log.
    int code = 0;
    QString step;

    bool ok() const { return result == LinkResult::Ok; }
};
