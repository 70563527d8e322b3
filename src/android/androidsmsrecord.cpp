#include "android/androidsmsrecord.h"

#include "android/simpleprotocol.h"

#include <QStringList>

std::optional<AndroidSmsRecord> AndroidSmsRecord::parse(const QString &line)
{
    const QStringList f = line.split(QLatin1Char(','));
    if (f.size() < 6)
        return std::nullopt;
    AndroidSmsRecord record;
    record.address = simpleprotocol::fromBase64(f.at(0));
    record.contactName = simpleprotocol::fromBase64(f.at(1));
    record.body = simpleprotocol::fromBase64(f.at(2));
    record.subject = simpleprotocol::fromBase64(f.at(3));
    record.dateMillis = f.at(4).trimmed().toLongLong();
    record.fromMe = f.at(5).trimmed() == QLatin1String("1");
    // A count the phone cannot mean is no count: nothing is waited for.
    const int count = f.size() > 6 ? f.at(6).trimmed().toInt() : 0;
    record.attachments = count > 0 && count <= 10000 ? count : 0;
    return record;
}
