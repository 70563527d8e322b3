#include "model/countryinfo.h"

#include "model/modellog.h"

#include <QStringView>

namespace {

// Any letter, not only a-z: a sender named in another script must not be stripped down to
// nothing (or to its digits) and so merged with unrelated senders.
bool isNamedSender(const QString &address)
{
    for (const QChar c : address) {
        if (c.isLetter() || c == QLatin1Char('@'))
            return true;
    }
    return false;
}

// Keeps the digits and "+"; digits of other scripts become ASCII so that the mobile pattern and
// the length check see them.
QString cleanNumber(const QString &address)
{
    QString number;
    number.reserve(address.size());
    for (const QChar c : address) {
        if (c == QLatin1Char('+'))
            number.append(c);
        else if (c.isDigit() && c.digitValue() >= 0)
            number.append(QChar(QLatin1Char('0').unicode() + c.digitValue()));
    }
    return number;
}

QString international(const QString &callingCode, QStringView nationalNumber)
{
    QString result;
    result.reserve(1 + callingCode.size() + nationalNumber.size());
    return result.append(QLatin1Char('+')).append(callingCode).append(nationalNumber);
}

} // namespace

_CountryInfo::_CountryInfo(const QString &sn, const QString &n, const QString &ln,
                           const QString &pnum, const QString &mmc, const QString &numc,
                           const QString &r1)
    : sn(sn)
    , n(n)
    , ln(ln)
    , pnum(pnum)
    , mmc(mmc)
    , numc(numc)
    , m_mobileRx(r1.isEmpty() ? QString() : QRegularExpression::anchoredPattern(r1))
{}

bool _CountryInfo::_isLengthValid(int len) const
{
    const QStringList parts = numc.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        bool ok = false;
        if (part.trimmed().toInt(&ok, 10) == len && ok)
            return true;
    }
    return false;
}

bool _CountryInfo::_isMatch(const QString &number) const
{
    if (m_mobileRx.pattern().isEmpty())
        return false;
    if (!m_mobileRx.isValid()) {
        qCWarning(lcModel) << "invalid mobile pattern of" << sn << m_mobileRx.errorString();
        return false;
    }
    return m_mobileRx.match(number).hasMatch();
}

QString _CountryInfo::formatNumber(const QString &address) const
{
    if (isNamedSender(address))
        return address.toLower();

    const QString number = cleanNumber(address);
    // Nothing left (an address of punctuation only): keeping it avoids merging every such sender
    // into one empty address.
    if (number.isEmpty())
        return address.trimmed();
    if (number.contains(QLatin1Char('+')) || pnum.isEmpty())
        return number;

    const int len = int(number.size());
    if (_isLengthValid(len) && _isMatch(number))
        return international(pnum, number);

    const QStringView withoutTrunk = QStringView(number).mid(1);
    if (number.startsWith(QLatin1Char('0')) && _isLengthValid(len - 1) &&
        _isMatch(withoutTrunk.toString()))
        return international(pnum, withoutTrunk);

    // A number written with its calling code but without "+"; the mobile pattern is not asked
    // since the length already separates it from national numbers.
    if (number.startsWith(pnum) && _isLengthValid(len - int(pnum.size())))
        return QLatin1Char('+') + number;

    return number;
}
