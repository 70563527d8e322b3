// Feeds arbitrary bytes to the desktop's reading of the companion's line protocol: commands are
// read from the stream until it ends or a line is refused, and each is parsed as a message record
// and as a hello line. Besides crashes, leaks and undefined behaviour, it checks that no line
// longer than the cap is ever returned.
#include "android/androiddevice.h"
#include "android/androidsmsrecord.h"
#include "android/simpleprotocol.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>

namespace {
constexpr qint64 kCap = 4096;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadWrite);
    try {
        while (true) {
            const QByteArray line = simpleprotocol::readLineBytes(stream, 0, kCap);
            if (line.size() > kCap || line.contains('\n') || line.contains('\r'))
                std::abort();
            const QString text = QString::fromLatin1(line);
            (void)AndroidSmsRecord::parse(text);
            AndroidDevice device;
            device.parseInfo(text);
            (void)device.displayName();
        }
    } catch (const std::exception &) {
        // End of input, or a line refused: both end the exchange.
    }
    return 0;
}
