#pragma once

#include <QRegularExpression>
#include <QString>

// One country of the country library, and the normalisation of the phone numbers of that country
// to their international form, so that one contact's messages from different sources meet in one
// chat. A default-constructed info is the "no country" case: numbers only lose their punctuation.
struct _CountryInfo
{
    QString sn;   // ISO 3166-1 code, upper case ("DE")
    QString n;    // English name
    QString ln;   // name in the country's own language
    QString pnum; // international calling code, digits only ("49")
    QString mmc;  // mobile country codes, comma-separated
    QString numc; // valid lengths of a national number without trunk prefix, comma-separated

    _CountryInfo() = default;
    // r1: the national mobile-number pattern as stored in the library, not anchored.
    _CountryInfo(const QString &sn, const QString &n, const QString &ln, const QString &pnum,
                 const QString &mmc, const QString &numc, const QString &r1);

    bool isEmpty() const { return sn.isEmpty(); }

    // The mobile pattern anchored to the whole number; empty when the country has none.
    QString mobilePattern() const { return m_mobileRx.pattern(); }

    // The address in international form ("+4915123456789") when it is recognised as a number of
    // this country; otherwise cleaned of punctuation. Named senders and e-mail addresses come
    // back in lower case.
    QString formatNumber(const QString &address) const;

    // True when the whole number matches the mobile pattern.
    bool _isMatch(const QString &number) const;
    // True when len is one of the valid national-number lengths.
    bool _isLengthValid(int len) const;

private:
    // Compiled once on first use and shared by every copy of this info.
    QRegularExpression m_mobileRx;
};
