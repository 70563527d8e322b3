#pragma once

#include <QExplicitlySharedDataPointer>
#include <QSharedData>
#include <QString>

// The columns saying how a message travelled, which nearly every message fills and which repeat
// from message to message: the service, the account, its guid and the phone's country. Messages
// with the same four values share one block (see MsgMessageAccount::with); a block is never
// changed once made, so sharing it between threads is safe.
struct _MsgMessageAccount : QSharedData
{
    QString country;
    QString service; // "SMS" or "iMessage"
    QString account;
    QString account_guid;

    bool operator==(const _MsgMessageAccount &o) const
    {
        return country == o.country && service == o.service && account == o.account &&
               account_guid == o.account_guid;
    }
};

namespace MsgMessageAccount {

using Pointer = QExplicitlySharedDataPointer<_MsgMessageAccount>;

// The block of current with field set to value: one recently made by this thread when its values
// are the same, else a new one; null when every value is empty.
Pointer with(const Pointer &current, QString _MsgMessageAccount::*field, const QString &value);

// The values of a message that has no block.
const _MsgMessageAccount &none();

} // namespace MsgMessageAccount
