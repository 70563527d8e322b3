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

bool isEmpty(const _MsgMessageAccount &block)
{
    return block.country.isEmpty() && block.service.isEmpty() && block.account.isEmpty() &&
           block.account_guid.isEmpty();
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
    if (from.*field == value)
        return current;
    _MsgMessageAccount wanted = from;
    wanted.*field = value;
    if (isEmpty(wanted))
        return Pointer();
    for (size_t i = 0; i < kRecent; ++i) {
        if (t_recent[i] && *t_recent[i] == wanted) {
            Pointer found = t_recent[i];
            std::move_backward(t_recent.begin(), t_recent.begin() + i, t_recent.begin() + i + 1);
            t_recent[0] = found;
            return found;
        }
    }
    Pointer made(new _MsgMessageAccount(wanted));
    std::move_backward(t_recent.begin(), t_recent.end() - 1, t_recent.end());
    t_recent[0] = made;
    return made;
}

} // namespace MsgMessageAccount
