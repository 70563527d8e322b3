#pragma once

#include "export/qvcardparser.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The fields of a contact card that its picture shows.
struct ct_info
{
    QByteArray photo; // the image file's bytes (also from a data: URI)
    QString name;
    QString title;
    QString organisation;
    QString birthday;
    QString email;
    QString address;
    QStringList phones; // in card order

    // Reads a card's properties by name, ignoring case; for repeated names other than TEL the last
    // one wins. Structured values (address, organisation) are shown with their parts joined.
    static ct_info fromCard(const QVCardParser::Card &card);
};
