#pragma once

#include <QByteArray>
#include <QString>

// One address (phone number or e-mail address) of a message source. Field names are the columns
// of the phone's `handle` table, so a record can be written back column by column.
struct _MsgHandle
{
    qint64 rowid = 0;
    QString id; // as shown: phone numbers already formatted by the country library
    QString country;
    QString service;
    QString uncanonicalized_id;
    QString _ct_name;  // name of the matching contact, if any
    QByteArray _photo; // picture file bytes of the matching contact, if any

    // Without number: the contact's name, else the address. With number: "name (address)" when a
    // contact matched, else the address alone.
    QString displayName(bool withNumber) const;
};
