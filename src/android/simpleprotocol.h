#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

// The line protocol of the companion: one command per line, a command word such as "$sms:"
// followed by its parameter; everything that is not ASCII travels as Base64. Time-outs are in
// milliseconds; -1 waits without limit. Failures throw the classes of simpleprotocolerrors.h.
namespace simpleprotocol {

// How long a reply may keep us waiting where the exchange has no time limit of its own: a phone
// that stops answering ends the operation instead of hanging it.
constexpr int kIdleTimeoutMs = 120000;

// The longest line accepted, a Base64 attachment line included.
constexpr qint64 kMaxLineBytes = 64 * 1024 * 1024;

void sendBytes(QIODevice &socket, const QByteArray &data, bool flush, int timeout);
void sendString(QIODevice &socket, const QString &text, bool flush, int timeout);
void sendCommand(QIODevice &socket, const QString &command, const QString &parameter, bool flush,
                 int timeout);
// One line without its line feed, carriage returns dropped, as 8-bit bytes. A line longer than
// maxBytes fails without being read further.
QByteArray readLineBytes(QIODevice &socket, int timeout, qint64 maxBytes = kMaxLineBytes);
QString readLine(QIODevice &socket, int timeout);
// A line that is not empty and not an error line.
QString readCommand(QIODevice &socket, int timeout);
// A command that begins with expected; anything else ends the exchange.
QString readFeedback(QIODevice &socket, const QString &expected, int timeout);

QString toBase64(const QString &text);
QString fromBase64(const QString &base64);

} // namespace simpleprotocol
