#pragma once

#include <QDateTime>
#include <QtGlobal>

// Local wall-clock time of UTC instants, for writers that show many of them. Each conversion by
// the system re-reads the time zone file; here the zone's offset is asked for once per UTC day
// (at both ends of it; when they differ the day holds a change of offset and each instant of it
// is converted on its own) and kept for a second, or until the TZ variable changes, so that a
// change of zone is still seen.
class LocalClock
{
public:
    // The instant with the local offset: date() and time() are the local wall clock. Its zone is
    // a fixed offset, so formats naming the zone ("t") must use QDateTime::toLocalTime() instead.
    static QDateTime toLocal(const QDateTime &utc);
    // "yyyy-MM-dd hh:mm:ss" of the local wall clock, written without parsing a format.
    static QString isoText(const QDateTime &local);
    // Seconds east of UTC at the instant (seconds since 1970).
    static int offsetAt(qint64 secsSinceEpoch);

private:
    static int systemOffset(qint64 secsSinceEpoch);
};
