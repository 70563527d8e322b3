#include "export/smsxmlformat.h"

#include <algorithm>
#include <limits>

namespace {

constexpr qint64 kSecondsFrom1970To2001 = 978307200;

qint64 floorDiv(qint64 value, qint64 divisor)
{
    const qint64 quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

} // namespace

int SmsXmlFormat::date21FromMillis(qint64 millis)
{
    const qint64 seconds = floorDiv(millis, 1000) - kSecondsFrom1970To2001;
    return int(std::clamp<qint64>(seconds, std::numeric_limits<int>::min(),
                                  std::numeric_limits<int>::max()));
}

qint64 SmsXmlFormat::millisFromDate21(int seconds)
{
    return qint64(quint32(qint64(seconds) + kSecondsFrom1970To2001)) * 1000;
}

bool SmsXmlFormat::isSmsFromMe(int type)
{
    return type != kSmsReceived;
}

bool SmsXmlFormat::isMmsFromMe(int msgBox, int pduType)
{
    if (msgBox > 0)
        return msgBox != kBoxInbox;
    return pduType == kPduSendRequest;
}

QString SmsXmlFormat::orEmpty(const QString &value)
{
    return value == QLatin1String("null") ? QString() : value;
}
