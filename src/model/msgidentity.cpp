#include "model/msgidentity.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QUuid>
#include <QtEndian>

#include <limits>

namespace {

constexpr int kChatDigits = 18;

QByteArray md5(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5);
}

// The digest's four little-endian words folded by exclusive-or, as a signed value.
qint32 foldDigest(const QByteArray &digest)
{
    quint32 folded = 0;
    for (int i = 0; i < 4; ++i)
        folded ^= qFromLittleEndian<quint32>(digest.constData() + 4 * i);
    return static_cast<qint32>(folded);
}

// The absolute value in decimal. The most negative value has no positive counterpart and keeps
// its sign (negating it would overflow).
QString absoluteDecimal(qint32 value)
{
    if (value < 0 && value != std::numeric_limits<qint32>::min())
        value = -value;
    return QString::number(value);
}

} // namespace

QString hashUUID(const QByteArray &data)
{
    const QString hex = QString::fromLatin1(md5(data).toHex()).toUpper();
    return QStringList{hex.mid(0, 8), hex.mid(8, 4), hex.mid(12, 4), hex.mid(16, 4), hex.mid(20)}
        .join(QLatin1Char('-'));
}

QString genUUID()
{
    static const QRegularExpression notUuidChar(QStringLiteral("[^\\-A-Z0-9]"));
    return QUuid::createUuid().toString().toUpper().remove(notUuidChar);
}

QString genChatIdentifier(const QString &seed)
{
    const QByteArray seedBytes = seed.toUtf8();
    QString digits;
    for (quint32 counter = 0; digits.size() < kChatDigits; ++counter) {
        const quint32 le = qToLittleEndian(counter);
        const QByteArray input =
            QByteArray(reinterpret_cast<const char *>(&le), sizeof le) + seedBytes;
        digits += absoluteDecimal(foldDigest(md5(input)));
    }
    return QStringLiteral("chat") + digits.left(kChatDigits);
}
