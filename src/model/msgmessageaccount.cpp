#include "model/msgmessageaccount.h"

#include <algorithm>
#include <array>

namespace MsgMessageAccount {

namespace {

// Blocks this thread made or met last, most recent first. Readers set the four values one at a
// time, so the blocks on the way to a message's values are kept here too; a handful covers the
// few accounts of a phone.
constexpr size_t kRecent = 16;
thread_local std::array<Pointer, kRecent> t_recent;

// Readers hand over a value equal to the row before's as that very string, and blocks keep the
// strings they were given: most comparisons end at the pointers.
bool same(const QString &a, const QString &b)
{
    return (a.constData() == b.constData() && a.size() == b.size()) || a == b;
}

} // namespace

const _MsgMessageAccount &none()
{
    static const _MsgMessageAccount empty;
    return empty;
}

Pointer with(const Pointer &current, QString _MsgMessageAccount::*field, const QString &value)
{
    const _MsgMessageAccount &from = current ? *current : none();
    if (same(from.*field, value))
        return current;
    // Compared in place: copying the four strings for every value set cost a tenth of a load.
    const auto isWanted = [&](const _MsgMessageAccount &block) {
        for (QString _MsgMessageAccount::*other :
             {&_MsgMessageAccount::country, &_MsgMessageAccount::service,
              &_MsgMessageAccount::account, &_MsgMessageAccount::account_guid}) {
            if (!same(block.*other, other == field ? value : from.*other))
                return false;
        }
        return true;
    };
    if (isWanted(none()))
        return Pointer();
    for (size_t i = 0; i < kRecent; ++i) {
        if (t_recent[i] && isWanted(*t_recent[i])) {
            Pointer found = t_recent[i];
            std::move_backward(t_recent.begin(), t_recent.begin() + i, t_recent.begin() + i + 1);
            t_recent[0] = found;
            return found;
        }
    }
    Pointer made(new _MsgMessageAccount(from));
    (*made).*field = value;
    std::move_backward(t_recent.begin(), t_recent.end() - 1, t_recent.end());
    t_recent[0] = made;
    return made;
}

} // namespace MsgMessageAccount
