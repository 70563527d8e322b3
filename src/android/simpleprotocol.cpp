#include "android/simpleprotocol.h"

#include "android/simpleprotocolerrors.h"

#include <QIODevice>

namespace simpleprotocol {

namespace {

constexpr qint64 kPeekBytes = 1 << 20;

void waitForData(QIODevice &socket, int timeout)
{
    if (!socket.waitForReadyRead(timeout))
        throw SocketDataTransferException(socket.errorString());
}

} // namespace

void sendBytes(QIODevice &socket, const QByteArray &data, bool flush, int timeout)
{
    qint64 written = 0;
    while (written < data.size()) {
        const qint64 n = socket.write(data.constData() + written, data.size() - written);
        if (n < 0)
            throw SocketDataTransferException(socket.errorString());
        written += n;
        if (n == 0 && !socket.waitForBytesWritten(timeout))
            throw SocketDataTransferException(socket.errorString());
    }
    if (flush) {
        // Hands everything to the system; a peer that stops reading makes this time out.
        while (socket.bytesToWrite() > 0) {
            if (!socket.waitForBytesWritten(timeout))
                throw SocketDataTransferException(socket.errorString());
        }
    }
}

void sendString(QIODevice &socket, const QString &text, bool flush, int timeout)
{
    sendBytes(socket, text.toUtf8(), flush, timeout);
}

void sendCommand(QIODevice &socket, const QString &command, const QString &parameter, bool flush,
                 int timeout)
{
    sendString(socket, command + parameter + QLatin1Char('\n'), flush, timeout);
}

QByteArray readLineBytes(QIODevice &socket, int timeout, qint64 maxBytes)
{
    // Takes what has arrived in blocks up to the line feed, so a long Base64 line costs a few
    // appends rather than one per byte.
    QByteArray line;
    while (true) {
        if (socket.bytesAvailable() == 0)
            waitForData(socket, timeout);
        const QByteArray block = socket.peek(qMin(socket.bytesAvailable(), kPeekBytes));
        const qsizetype feed = block.indexOf('\n');
        const qsizetype content = feed < 0 ? block.size() : feed;
        if (line.size() + content > maxBytes) {
            throw LocalException(
                socket,
                QStringLiteral("line longer than %1 MiB refused.").arg(maxBytes / (1024 * 1024)));
        }
        line.append(block.constData(), content);
        socket.skip(feed < 0 ? block.size() : feed + 1);
        if (feed >= 0) {
            line.replace("\r", "");
            return line;
        }
    }
}

QString readLine(QIODevice &socket, int timeout)
{
    return QString::fromLatin1(readLineBytes(socket, timeout));
}

QString readCommand(QIODevice &socket, int timeout)
{
    static const QString kError = QStringLiteral("$error:");
    const QString line = readLine(socket, timeout);
    if (line.isEmpty())
        throw SocketDataTransferException(QStringLiteral("Null command."));
    if (line.startsWith(kError))
        throw RemoteException(fromBase64(line.mid(kError.size())));
    return line;
}

QString readFeedback(QIODevice &socket, const QString &expected, int timeout)
{
    const QString line = readCommand(socket, timeout);
    if (!line.startsWith(expected)) {
        throw LocalException(
            socket, QStringLiteral("invalid feedback [%1], must be [%2]").arg(line, expected));
    }
    return line;
}

QString toBase64(const QString &text)
{
    return QString::fromLatin1(text.toUtf8().toBase64());
}

QString fromBase64(const QString &base64)
{
    return QString::fromUtf8(QByteArray::fromBase64(base64.toLatin1()));
}

} // namespace simpleprotocol
