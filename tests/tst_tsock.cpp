// TSock over real loopback connections.

#include "tsock.h"
#include "wsaerror.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace velmora;

namespace {

struct Events
{
    QStringList log; // "Kind: message" and event names, in order
    QByteArray received;

    void attach(TSock &s)
    {
        s.OnInfo = [this](TSock &, TSocketInfo info, const QString &m) {
            log.append(QLatin1String(socketInfoName(info)) + QStringLiteral(": ") + m);
        };
        s.OnConnect = [this](TSock &) { log.append(QStringLiteral("OnConnect")); };
        s.OnDisconnect = [this](TSock &) { log.append(QStringLiteral("OnDisconnect")); };
        s.OnRead = [this](TSock &sock, int) { received += sock.Receive(); };
    }
};

// A listening TSock on a free port, with the accepted connection captured.
struct Listener
{
    TSock sock;
    Events events;
    TSock *accepted = nullptr;
    Events acceptedEvents;

    Listener()
    {
        sock.setPortName(QStringLiteral("0"));
        acceptedEvents.attach(sock); // copied onto accepted connections
        sock.OnAccept = [this](TSock &l) { l.Accept(accepted); };
        sock.setListen(true);
    }
    quint16 port() const { return sock.localPort(); }
};

} // namespace

class TestTSock : public QObject
{
    Q_OBJECT
private slots:
    void lookups()
    {
        QCOMPARE(TSock::lookupPort(QStringLiteral("7772")), quint16(7772));
        QCOMPARE(TSock::lookupPort(QStringLiteral("http")), quint16(80));
        QVERIFY_THROWS_EXCEPTION(ESockException,
                                 TSock::lookupPort(QStringLiteral("no-such-service-x")));
        QVERIFY_THROWS_EXCEPTION(ESockException, TSock::lookupPort(QStringLiteral("99999")));
        QCOMPARE(TSock::lookupHost(QStringLiteral("127.0.0.1")),
                 QHostAddress(QStringLiteral("127.0.0.1")));
        QCOMPARE(TSock::lookupHost(QString()), QHostAddress(QHostAddress::AnyIPv4));
        // A host that begins with a digit is parsed, never resolved by name.
        QVERIFY_THROWS_EXCEPTION(ESockException, TSock::lookupHost(QStringLiteral("1localhost")));
        QCOMPARE(TSock::lookupHost(QStringLiteral("localhost")).isLoopback(), true);
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
        QVERIFY_THROWS_EXCEPTION(ESockException, s.Send("x"));
        QVERIFY_THROWS_EXCEPTION(ESockException, s.Receive());
        TSock *none = nullptr;
        QVERIFY_THROWS_EXCEPTION(ESockException, s.Accept(none));
        Events e;
        e.attach(s);
        QVERIFY(!s.Close());
        QCOMPARE(e.log, QStringList{QStringLiteral("Close: Socket Closed")});
    }

    void listenerRules()
    {
        Listener l;
        QVERIFY(l.sock.listen());
        QVERIFY(l.port() != 0);
        QVERIFY_THROWS_EXCEPTION(ESockException, l.sock.Send("x"));
        Events e;
        e.attach(l.sock);
        l.sock.setListen(true);
        QCOMPARE(e.log.last(), QStringLiteral("Listen: Listening Already Running"));

        // The port is taken: binding fails, and the handle stays.
        TSock second;
        second.setPortName(QString::number(l.port()));
        QVERIFY_THROWS_EXCEPTION(ESockException, second.setListen(true));
        try {
            second.setListen(true);
            QFAIL("listening twice on one port");
        } catch (const ESockException &ex) {
            QCOMPARE(ex.message(), QStringLiteral("Listen - Socket Already In Use"));
        }

        l.sock.setListen(false);
        QVERIFY(!l.sock.listen());
        QCOMPARE(e.log.last(), QStringLiteral("Listen: Listening Stopped"));
    }

    void connectSendReceiveClose()
    {
        Listener l;
        TSock client;
        Events ce;
        ce.attach(client);
        client.setHostName(QStringLiteral("127.0.0.1"));
        client.setPortName(QString::number(l.port()));
        QVERIFY(!client.Open());
        // Bytes sent before the connection completes go out in order after it.
        client.Send(QByteArray("one\x00", 4));
        client.Send("\xFFtwo");
        QTRY_VERIFY(client.connected());
        QTRY_VERIFY(l.accepted);
        QTRY_COMPARE(l.acceptedEvents.received, QByteArray("one\x00\xFFtwo", 8));
        QVERIFY(ce.log.contains(QStringLiteral("Connect: Non-Blocking Socket Connected")));
        QVERIFY(ce.log.contains(QStringLiteral("OnConnect")));
        QCOMPARE(ce.log.first(),
                 QStringLiteral("Lookup: Lookup Of Port ") + QString::number(l.port()));
        // The accepted connection reported its host and port settings.
        QVERIFY(l.acceptedEvents.log.contains(
            QStringLiteral("Lookup: Setting HostName While Connected Has No Effect")));
        QCOMPARE(l.accepted->hostName(), QStringLiteral("127.0.0.1"));

        l.accepted->Send("back");
        QTRY_COMPARE(ce.received, QByteArray("back"));

        // The peer closes: OnDisconnect comes before "Socket Closed".
        l.accepted->Close();
        QTRY_VERIFY(ce.log.contains(QStringLiteral("Close: Socket Closed")));
        QVERIFY(ce.log.indexOf(QStringLiteral("OnDisconnect")) <
                ce.log.indexOf(QStringLiteral("Close: Socket Closed")));
        QVERIFY(!client.connected());
        QVERIFY_THROWS_EXCEPTION(ESockException, client.Receive());
    }

    void dataArrivingWithTheCloseIsKept()
    {
        Listener l;
        TSock client;
        Events ce;
        ce.attach(client);
        client.setHostName(QStringLiteral("127.0.0.1"));
        client.setPortName(QString::number(l.port()));
        client.Open();
        QTRY_VERIFY(l.accepted);
        l.accepted->Send("last words\xFF");
        l.accepted->Close();
        QTRY_VERIFY(ce.log.contains(QStringLiteral("Close: Socket Closed")));
        QCOMPARE(ce.received, QByteArray("last words\xFF"));
    }

    void refusedConnection()
    {
        // Find a port nobody listens on.
        quint16 port;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            port = probe.serverPort();
        }
        TSock client;
        Events ce;
        ce.attach(client);
        client.setHostName(QStringLiteral("127.0.0.1"));
        client.setPortName(QString::number(port));
        QVERIFY(!client.Open());
        QTRY_VERIFY(ce.log.contains(QStringLiteral("Error: Error #10061 (WSAECONNREFUSED)")));
        QTest::qWait(50);
        // Only the error: no disconnect, no close, and Open starts nothing new.
        QVERIFY(!ce.log.contains(QStringLiteral("OnDisconnect")));
        QVERIFY(!ce.log.contains(QStringLiteral("Close: Socket Closed")));
        QVERIFY(!client.Open());
        QVERIFY(client.hasHandle());
        client.Close();
        QVERIFY(!client.hasHandle());
    }

    void infoHandlerErrorsBecomeErrorHere()
    {
        TSock s;
        s.OnInfo = [](TSock &, TSocketInfo, const QString &) { throw std::runtime_error("boom"); };
        s.setPortName(QStringLiteral("0"));
        try {
            s.setListen(true);
            QFAIL("no exception");
        } catch (const ESockException &e) {
            QCOMPARE(e.message(), QStringLiteral("Error here"));
        }
        // ... except inside Close, which swallows it.
        TSock t;
        t.OnInfo = s.OnInfo;
        t.Close();
    }
};

QTEST_GUILESS_MAIN(TestTSock)
#include "tst_tsock.moc"
