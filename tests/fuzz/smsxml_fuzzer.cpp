// Feeds arbitrary bytes to the Android XML backup reader. Besides crashes, leaks and undefined
// behaviour, it checks that the character-reference repair gives the same bytes whether its
// source hands it the input at once or one byte at a time.
#include "export/charrefrepairdevice.h"
#include "export/smsxmlreader.h"
#include "model/msgmessage.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

namespace {

// Hands out one byte per read.
class ByteDevice : public QIODevice
{
public:
    explicit ByteDevice(const QByteArray &bytes) : m_bytes(bytes) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_pos >= m_bytes.size() || maxSize < 1)
            return 0;
        *data = m_bytes.at(m_pos++);
        return 1;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    const QByteArray m_bytes;
    qsizetype m_pos = 0;
};

QByteArray repairAll(QIODevice &source)
{
    CharRefRepairDevice device(source);
    return device.readAll();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    QBuffer whole;
    whole.setData(bytes);
    whole.open(QIODevice::ReadOnly);
    ByteDevice trickle(bytes);
    if (repairAll(whole) != repairAll(trickle))
        std::abort();

    static QTemporaryDir cache;
    QBuffer input;
    input.setData(bytes);
    input.open(QIODevice::ReadOnly);
    MsgData messages;
    try {
        SmsXmlReader(QStringLiteral("fuzz.xml"), QDir(cache.path())).read(input, messages);
    } catch (const std::runtime_error &) {
        // Malformed input is reported, which is all it may do.
    }
    for (const _MsgMessage *message : messages.messages())
        (void)message->logicalHash();
    return 0;
}
