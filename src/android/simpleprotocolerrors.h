#pragma once

#include <QString>

#include <stdexcept>

class QIODevice;

// The connection failed, timed out, closed, or delivered an empty line.
class SocketDataTransferException : public std::runtime_error
{
public:
    explicit SocketDataTransferException(const QString &message);
};

// The peer ended the exchange with an error line.
class RemoteException : public std::runtime_error
{
public:
    explicit RemoteException(const QString &message);
};

// This side found the peer's data wrong. Building one tells the peer why, with an error line.
class LocalException : public std::runtime_error
{
public:
    LocalException(QIODevice &socket, const QString &message);
};
