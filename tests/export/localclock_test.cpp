#include "export/localclock.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDateTime>
#include <QTimeZone>

namespace {

// Sets TZ for one test and puts the old value back.
class ZoneScope
{
public:
    explicit ZoneScope(const QByteArray &zone)
        : m_had(qEnvironmentVariableIsSet("TZ")), m_old(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
    }
    ~ZoneScope()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
    }

private:
    const bool m_had;
    const QByteArray m_old;
};

// Instants every 97 minutes through two years, and one second either side of each of the
// zone's offset changes in them.
QList<qint64> instantsOf(const QByteArray &zone)
{
    const QDateTime from(QDate(2013, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime to = from.addYears(2);
    QList<qint64> instants;
    for (qint64 s = from.toSecsSinceEpoch(); s < to.toSecsSinceEpoch(); s += 97 * 60)
        instants << s;
    for (const auto &change : QTimeZone(zone).transitions(from, to)) {
        const qint64 at = change.atUtc.toSecsSinceEpoch();
        instants << at - 1 << at << at + 1;
    }
    return instants;
}

} // namespace

class LocalClockTest : public ::testing::TestWithParam<const char *>
{};

TEST_P(LocalClockTest, AgreesWithTheSystemConversion)
{
    const QByteArray zone = GetParam();
    const ZoneScope scope(zone);
    const QList<qint64> instants = instantsOf(zone);
    ASSERT_GT(instants.size(), 10000);
    int mismatches = 0;
    for (const qint64 s : instants) {
        const QDateTime utc = QDateTime::fromSecsSinceEpoch(s, Qt::UTC);
        const QDateTime expected = utc.toLocalTime();
        const QDateTime local = LocalClock::toLocal(utc);
        const QString iso = expected.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        if (local.date() != expected.date() || local.time() != expected.time() ||
            LocalClock::isoText(local) != iso) {
            if (++mismatches <= 3)
                ADD_FAILURE() << zone.constData() << " at " << s << ": " << qPrintable(iso)
                              << " expected, " << qPrintable(LocalClock::isoText(local));
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// Zones with summer time in either hemisphere, a half-hour change, an odd offset and none.
INSTANTIATE_TEST_SUITE_P(Zones, LocalClockTest,
                         ::testing::Values("UTC", "Europe/Berlin", "America/New_York",
                                           "Australia/Lord_Howe", "Asia/Kathmandu"));

TEST(LocalClock, SeesAChangeOfZoneAtOnce)
{
    const QDateTime utc(QDate(2014, 7, 1), QTime(12, 0), Qt::UTC);
    {
        const ZoneScope scope("Europe/Berlin");
        EXPECT_EQ(LocalClock::toLocal(utc).time(), QTime(14, 0));
    }
    const ZoneScope scope("America/New_York");
    EXPECT_EQ(LocalClock::toLocal(utc).time(), QTime(8, 0));
}
