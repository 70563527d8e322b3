#include "android/simpleprotocolerrors.h"

#include "android/androidlog.h"
#include "android/simpleprotocol.h"

SocketDataTransferException::SocketDataTransferException(const QString &message)
    : std::runtime_error(message.toStdString())
{}

RemoteException::RemoteException(const QString &message) : std::runtime_error(message.toStdString())
{}

LocalException::LocalException(QIODevice &socket, const QString &message)
    : std::runtime_error(message.toStdString())
{
    try {
        simpleprotocol::sendCommand(socket, QStringLiteral("$error:"),
                                    simpleprotocol::toBase64(message), true, -1);
    } catch (const std::exception &e) {
        // The peer is gone already; the error this one describes is what matters.
        qCInfo(lcAndroid) << "could not tell the phone about an error:" << e.what();
    }
}
