#include "export/localclock.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <cstdlib>

namespace {

constexpr qint64 kSecsPerDay = 86400;
// How long a learnt offset is trusted before the system is asked again.
constexpr qint64 kFreshMsecs = 1000;

struct OffsetCache
{
    QMutex mutex;
    QHash<qint64, int> byDay; // UTC day number -> offset for the whole day
    QElapsedTimer age;
    QByteArray zone; // the TZ variable the offsets were learnt under
};

OffsetCache &cache()
{
    static OffsetCache instance;
    return instance;
}

qint64 dayOf(qint64 secs)
{
    return secs >= 0 ? secs / kSecsPerDay : (secs - kSecsPerDay + 1) / kSecsPerDay;
}

void putDigits(QChar *out, int value, int count)
{
    for (int i = count - 1; i >= 0; --i) {
        out[i] = QLatin1Char(static_cast<char>('0' + value % 10));
        value /= 10;
    }
}

} // namespace

int LocalClock::systemOffset(qint64 secsSinceEpoch)
{
    return QDateTime::fromSecsSinceEpoch(secsSinceEpoch, Qt::UTC).toLocalTime().offsetFromUtc();
}

int LocalClock::offsetAt(qint64 secsSinceEpoch)
{
    const qint64 day = dayOf(secsSinceEpoch);
    OffsetCache &c = cache();
    {
        const QMutexLocker lock(&c.mutex);
        const char *zone = std::getenv("TZ");
        // An unset TZ (the system's zone) differs from an empty one (UTC).
        const bool sameZone = zone ? !c.zone.isNull() && c.zone == zone : c.zone.isNull();
        if (!c.age.isValid() || c.age.elapsed() > kFreshMsecs || !sameZone) {
            c.byDay.clear();
            c.age.start();
            c.zone = zone ? QByteArray(zone) : QByteArray();
        }
        const auto found = c.byDay.constFind(day);
        if (found != c.byDay.cend())
            return *found;
    }
    const int first = systemOffset(day * kSecsPerDay);
    const int last = systemOffset(day * kSecsPerDay + kSecsPerDay - 1);
    if (first != last)
        return systemOffset(secsSinceEpoch);
    const QMutexLocker lock(&c.mutex);
    c.byDay.insert(day, first);
    return first;
}

QDateTime LocalClock::toLocal(const QDateTime &utc)
{
    const qint64 secs = utc.toSecsSinceEpoch();
    return QDateTime::fromSecsSinceEpoch(secs, Qt::OffsetFromUTC, offsetAt(secs));
}

QString LocalClock::isoText(const QDateTime &local)
{
    const QDate date = local.date();
    const QTime time = local.time();
    if (date.year() < 1000 || date.year() > 9999)
        return local.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    QString text(19, Qt::Uninitialized);
    QChar *out = text.data();
    putDigits(out, date.year(), 4);
    out[4] = QLatin1Char('-');
    putDigits(out + 5, date.month(), 2);
    out[7] = QLatin1Char('-');
    putDigits(out + 8, date.day(), 2);
    out[10] = QLatin1Char(' ');
    putDigits(out + 11, time.hour(), 2);
    out[13] = QLatin1Char(':');
    putDigits(out + 14, time.minute(), 2);
    out[16] = QLatin1Char(':');
    putDigits(out + 17, time.second(), 2);
    return text;
}
