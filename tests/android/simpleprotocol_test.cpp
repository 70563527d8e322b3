#include "android/androidsmsrecord.h"
#include "android/simpleprotocol.h"
#include "android/simpleprotocolerrors.h"
#include "errortext.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A connected pair on the loopback: what the peer writes, the socket under test reads.
struct SocketPair
{
    SocketPair()
    {
        server.listen(QHostAddress::LocalHost);
        local.connectToHost(QHostAddress::LocalHost, server.serverPort());
        local.waitForConnected(5000);
        server.waitForNewConnection(5000);
        peer.reset(server.nextPendingConnection());
    }

    void peerWrites(const QByteArray &bytes)
    {
        peer->write(bytes);
        peer->flush();
        peer->waitForBytesWritten(5000);
    }

    QByteArray peerReads()
    {
        peer->waitForReadyRead(5000);
        return peer->readAll();
    }

    QTcpServer server;
    QTcpSocket local;
    std::unique_ptr<QTcpSocket> peer;
};

} // namespace

TEST(SimpleProtocol, LinesAndCommands)
{
    SocketPair pair;
    const QByteArray longLine(300, 'a');
    pair.peerWrites(longLine + "\r\n$count:7\n\n$error:" +
                    QStringLiteral("Speicher voll ü").toUtf8().toBase64() + "\n");
    EXPECT_EQ(simpleprotocol::readLine(pair.local, 5000), QString::fromLatin1(longLine));
    EXPECT_EQ(simpleprotocol::readCommand(pair.local, 5000), QStringLiteral("$count:7"));
    EXPECT_THROW(simpleprotocol::readCommand(pair.local, 5000), SocketDataTransferException);
    EXPECT_EQ(
        errorText<RemoteException>([&pair] { simpleprotocol::readCommand(pair.local, 5000); }),
        QStringLiteral("Speicher voll ü"));
}

TEST(SimpleProtocol, WrongFeedbackTellsThePeer)
{
    SocketPair pair;
    pair.peerWrites("$hello:version=12\n");
    EXPECT_THROW(simpleprotocol::readFeedback(pair.local, QStringLiteral("$ready:"), 5000),
                 LocalException);
    const QByteArray expected =
        "$error:" +
        QByteArray("invalid feedback [$hello:version=12], must be [$ready:]").toBase64() + "\n";
    EXPECT_EQ(pair.peerReads(), expected);
}

TEST(SimpleProtocol, OverlongLinesAreRefusedWithoutReadingThemWhole)
{
    SocketPair pair;
    // Sent in several writes, as a Base64 attachment line arrives.
    for (int i = 0; i < 8; ++i)
        pair.peerWrites(QByteArray(64 * 1024, 'Q'));
    EXPECT_THROW(simpleprotocol::readLineBytes(pair.local, 5000, 256 * 1024), LocalException);
    EXPECT_TRUE(pair.peerReads().startsWith("$error:"));

    SocketPair exact;
    exact.peerWrites(QByteArray(1000, 'Q') + "\n");
    EXPECT_EQ(simpleprotocol::readLineBytes(exact.local, 5000, 1000).size(), 1000);
}

TEST(SimpleProtocol, PeerThatGoesAwayEndsTheRead)
{
    SocketPair pair;
    pair.peerWrites("partial");
    pair.peer->disconnectFromHost();
    EXPECT_THROW(simpleprotocol::readLine(pair.local, 5000), SocketDataTransferException);
}

TEST(SimpleProtocol, MessageRecords)
{
    struct Case
    {
        const char *line;
        bool parsed;
        qint64 dateMillis;
        bool fromMe;
        int attachments;
    };
    const Case cases[] = {
        {"KzE=,,aGk=,,978307200000,1", true, 978307200000LL, true, 0},
        {"KzE=,,aGk=,,1700000000000,2,3", true, 1700000000000LL, false, 3},
        {"KzE=,,aGk=,,5,0,-4", true, 5, false, 0},
        {"KzE=,,aGk=,,5,0,999999999", true, 5, false, 0},
        {"KzE=,,aGk=,,5", false, 0, false, 0},
    };
    for (const Case &c : cases) {
        const auto record = AndroidSmsRecord::parse(QString::fromLatin1(c.line));
        ASSERT_EQ(record.has_value(), c.parsed) << c.line;
        if (!record)
            continue;
        EXPECT_EQ(QVariantList({record->address, record->body, record->dateMillis, record->fromMe,
                                record->attachments}),
                  QVariantList({"+1", "hi", c.dateMillis, c.fromMe, c.attachments}))
            << c.line;
    }
}
