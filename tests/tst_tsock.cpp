// TSock over real loopback connections.

#include "tsock.h"
#include "wsaerror.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <sys/socket.h>

using namespace velmora;
using Reason = TSock::CloseReason;

namespace {

// What one component signalled, in order.
struct Recorder
{
    QByteArray received;
    QList<Reason> closes;
    bool connected = false;
    QByteArray receivedAtClose;

    explicit Recorder(TSock &s)
    {
        QObject::connect(&s, &TSock::connected, &s, [this] { connected = true; });
        QObject::connect(&s, &TSock::received, &s,
                         [this](const QByteArray &bytes) { received += bytes; });
        QObject::connect(&s, &TSock::closed, &s, [this](Reason r) {
            closes << r;
            receivedAtClose = received;
        });
    }
};

// A listening TSock on a port the system chooses, keeping what it accepts.
struct Listener
{
    TSock sock;
    TSock *accepted = nullptr;
    std::unique_ptr<Recorder> acceptedLog;

    explicit Listener(qint64 pendingLimit = 0)
    {
        sock.setPortName(QStringLiteral("0"));
        sock.setPendingLimit(pendingLimit);
        QObject::connect(&sock, &TSock::pendingConnection, &sock, [this] {
            accepted = sock.Accept();
            acceptedLog = std::make_unique<Recorder>(*accepted);
        });
        sock.setListen(true);
    }
    quint16 port() const { return sock.localPort(); }
};

void aim(TSock &client, const QString &host, quint16 port)
{
    client.setHostName(host);
    client.setPortName(QString::number(port));
}

// The text a failing operation raised, as the player would read it.
template <typename F>
QString raised(F &&operation)
{
    return catchError(std::forward<F>(operation)).value_or(QString());
}

quint16 portNobodyListensOn()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

class TestTSock : public QObject
{
    Q_OBJECT
private slots:
    void lookups()
    {
        QCOMPARE(TSock::lookupPort(QStringLiteral("7772")), quint16(7772));
        QCOMPARE(TSock::lookupPort(QStringLiteral("http")), quint16(80));
        const QString noService = QStringLiteral("Port Lookup - Could Not Find Service Entry");
        QCOMPARE(raised([] { TSock::lookupPort(QStringLiteral("no-such-service-x")); }), noService);
        QCOMPARE(raised([] { TSock::lookupPort(QStringLiteral("99999")); }), noService);
        // A host that begins with a digit is parsed, never resolved by name;
        // a failed Open leaves nothing behind.
        TSock s;
        aim(s, QStringLiteral("1localhost"), 7772);
        QCOMPARE(raised([&] { s.Open(); }),
                 QStringLiteral("Host Lookup - Could Not Find Host Entry"));
        QVERIFY(!s.hasHandle());
    }

    void errorTexts()
    {
        QCOMPARE(socketErrorText(10061), QStringLiteral("Error #10061 (WSAECONNREFUSED)"));
        QCOMPARE(socketErrorText(10101), QStringLiteral("Error #10101 (WSAEDISCON)"));
        QCOMPARE(socketErrorText(10005), QStringLiteral("Error #10005 (UNKNOWN ERROR)"));
        QCOMPARE(socketErrorText(11004), QStringLiteral("Error #11004 (WSANO_DATA)"));
    }

    void operationsWithoutAConnection()
    {
        TSock s;
        Recorder r(s);
        QCOMPARE(raised([&] { s.Send("x"); }), QStringLiteral("Send - Socket Not Connected"));
        QCOMPARE(raised([&] { s.Accept(); }),
                 QStringLiteral("Accept - Socket Not In Listening Mode"));
        // Nothing was running, so nothing closes.
        QVERIFY(!s.Close());
        QVERIFY(r.closes.isEmpty());
    }

    void listenerRules()
    {
        Listener l;
        QVERIFY(l.sock.listen());
        QVERIFY(l.port() != 0);
        QCOMPARE(raised([&] { l.sock.Send("x"); }),
                 QStringLiteral("Send - Cannot Send On A Listener Socket"));
        l.sock.setListen(true); // already listening: no change
        QVERIFY(l.sock.listen());

        // The port is taken: binding fails, and the handle stays.
        TSock second;
        second.setPortName(QString::number(l.port()));
        QCOMPARE(raised([&] { second.setListen(true); }),
                 QStringLiteral("Listen - Error Binding Socket"));
        QCOMPARE(raised([&] { second.setListen(true); }),
                 QStringLiteral("Listen - Socket Already In Use"));

        l.sock.setListen(false);
        QVERIFY(!l.sock.listen());
        QVERIFY(!l.sock.hasHandle());
    }

    // A host name is resolved without blocking; an empty one is this machine.
    void connectSendReceiveClose_data()
    {
        QTest::addColumn<QString>("host");
        QTest::newRow("dotted") << QStringLiteral("127.0.0.1");
        QTest::newRow("name") << QStringLiteral("localhost");
        QTest::newRow("empty") << QString();
    }
    void connectSendReceiveClose()
    {
        QFETCH(QString, host);
        Listener l;
        TSock client;
        Recorder r(client);
        aim(client, host, l.port());
        QVERIFY(!client.Open());
        QVERIFY(!client.Open()); // already under way: starts nothing new
        // Bytes sent before the connection completes go out in order after it.
        client.Send(QByteArray("one\x00", 4));
        client.Send("\xFFtwo");
        QTRY_VERIFY(r.connected);
        QVERIFY(client.isConnected());
        QTRY_VERIFY(l.accepted);
        QTRY_COMPARE(l.acceptedLog->received, QByteArray("one\x00\xFFtwo", 8));
        QCOMPARE(l.accepted->hostName(), QStringLiteral("127.0.0.1"));
        QCOMPARE(l.accepted->portName(), QStringLiteral("0"));

        // The peer answers and closes at once: what it sent comes first,
        // then one close.
        l.accepted->Send("back\xFF");
        l.accepted->Close();
        QCOMPARE(l.acceptedLog->closes, QList<Reason>{Reason::LocalClose});
        QTRY_COMPARE(r.closes, QList<Reason>{Reason::PeerClosed});
        QCOMPARE(r.receivedAtClose, QByteArray("back\xFF"));
        QVERIFY(client.errorText().isEmpty());
        QVERIFY(!client.isConnected());
        QVERIFY(!client.hasHandle());
        QCOMPARE(raised([&] { client.Send("late"); }),
                 QStringLiteral("Send - Socket Not Connected"));
        QVERIFY(!client.Close());
        QCOMPARE(r.closes.size(), 1);
    }

    // How a connection ends is told by its reason, on each side.
    void closeReasons_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<Reason>("reason");
        QTest::addColumn<QString>("error");
        QTest::newRow("peer closes") << "close" << Reason::PeerClosed << QString();
        QTest::newRow("peer resets")
            << "reset" << Reason::Reset << QStringLiteral("Error #10054 (WSAECONNRESET)");
        QTest::newRow("this side closes") << "local" << Reason::LocalClose << QString();
    }
    void closeReasons()
    {
        QFETCH(QString, how);
        QFETCH(Reason, reason);
        QFETCH(QString, error);
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        TSock client;
        Recorder r(client);
        aim(client, QStringLiteral("127.0.0.1"), server.serverPort());
        client.Open();
        QTRY_VERIFY(r.connected);
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket *peer = server.nextPendingConnection();
        if (how == QLatin1String("close")) {
            peer->disconnectFromHost();
        } else if (how == QLatin1String("reset")) {
            const linger hard{1, 0};
            setsockopt(int(peer->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
            peer->abort();
        } else {
            client.Close();
            QTRY_COMPARE(peer->state(), QAbstractSocket::UnconnectedState);
        }
        QTRY_COMPARE(r.closes, QList<Reason>{reason});
        QCOMPARE(client.errorText(), error);
    }

    void refusedConnection()
    {
        TSock client;
        Recorder r(client);
        aim(client, QStringLiteral("127.0.0.1"), portNobodyListensOn());
        QVERIFY(!client.Open());
        QTRY_COMPARE(r.closes, QList<Reason>{Reason::Refused});
        QCOMPARE(client.errorText(), QStringLiteral("Error #10061 (WSAECONNREFUSED)"));
        QVERIFY(!r.connected);
        // Until Close, Open starts nothing new; the attempt closes only once.
        QVERIFY(!client.Open());
        QVERIFY(client.hasHandle());
        QVERIFY(client.Close());
        QVERIFY(!client.hasHandle());
        QCOMPARE(r.closes.size(), 1);
    }

    // A peer that stops reading is cut off once too much waits for it;
    // accepted connections take the listener's limit.
    void tooMuchPendingClosesTheConnection()
    {
        Listener l(256 * 1024);
        QTcpSocket reader;
        reader.setReadBufferSize(1); // takes (almost) nothing off the network
        reader.connectToHost(QHostAddress::LocalHost, l.port());
        QTRY_VERIFY(l.accepted);
        const QByteArray chunk(64 * 1024, 'x');
        QVERIFY(QTest::qWaitFor(
            [&] {
                if (l.accepted->isConnected())
                    l.accepted->Send(chunk);
                return !l.acceptedLog->closes.isEmpty();
            },
            20000));
        QCOMPARE(l.acceptedLog->closes, QList<Reason>{Reason::TooMuchPending});
    }
};

QTEST_GUILESS_MAIN(TestTSock)
#include "tst_tsock.moc"
