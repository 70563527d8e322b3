#pragma once

#include "model/absdb.h"
#include "model/countryinfo.h"

#include <QString>
#include <optional>

// The read-only library of countries (calling codes, MCCs, number lengths, mobile patterns). The
// embedded copy is placed in the data folder on first use and opened from there, together with
// the default country: the one of the MCC the library was created with (the phone's country).
class CountryLibDb : public AbsDb
{
public:
    // mcc: the phone's mobile country code; empty when unknown. Opens nothing.
    explicit CountryLibDb(const QString &mcc);
    ~CountryLibDb() override;

    // Where the library lives: "countries.db" in the data folder.
    static QString dbPath();

    // Opens the library (copying it into the data folder when it is not there) and finds the
    // default country. Throws std::runtime_error when the library cannot be provided.
    void openCheck() override;

    // The country of the MCC given at construction; empty when that MCC is empty or unknown.
    const _CountryInfo &defCountryInfo();
    // The country of an MCC; the default country (found = false) when the MCC is unknown.
    _CountryInfo infoByMMC(const QString &mcc, bool *found = nullptr);
    // The country of an ISO code in either case; the default country (found = false) when unknown.
    _CountryInfo infoByCode(const QString &code, bool *found = nullptr);

    const QString &mcc() const { return m_mcc; }

private:
    std::optional<_CountryInfo> firstCountry(const Sqlite3Sql &sql);
    _CountryInfo orDefault(const std::optional<_CountryInfo> &info, bool *found) const;
    bool hasLibraryTables();

    const QString m_mcc;
    _CountryInfo m_defCountryInfo;
};
