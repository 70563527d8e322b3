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

namespace {

// The block of current (whose values are from) with field set to value, which differs.
Pointer find(const Pointer &current, QString _MsgMessageAccount::*field, const QString &value)
{
    const _MsgMessageAccount &from = current ? *current : none();
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

// The steps taken last. A reader sets the values of every row in the same order, so nearly every
// step is one of these, and is found without comparing blocks.
struct Step
{
    Pointer from;
    QString _MsgMessageAccount::*field = nullptr;
    QString value;
    Pointer to;
};
constexpr size_t kSteps = 8;
thread_local std::array<Step, kSteps> t_steps;
thread_local size_t t_nextStep = 0;

} // namespace

Pointer with(const Pointer &current, QString _MsgMessageAccount::*field, const QString &value)
{
    const _MsgMessageAccount &from = current ? *current : none();
    if (same(from.*field, value))
        return current;
    for (const Step &step : t_steps) {
        if (step.field == field && step.from == current && same(step.value, value))
            return step.to;
    }
    Pointer to = find(current, field, value);
    t_steps[t_nextStep] = Step{current, field, value, to};
    t_nextStep = (t_nextStep + 1) % kSteps;
    return to;
}

} // namespace MsgMessageAccount
