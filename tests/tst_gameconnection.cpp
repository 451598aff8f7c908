// The connection to the table without a window: roles, the dispatch pump,
// its hold, and what it reports.

#include "base/version.h"
#include "fakehost.h"
#include "client/clientsession.h"
#include "client/options.h"
#include "cards/random.h"
#include "gameconnection.h"
#include "tserver.h"
#include "tsock.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace velmora;

namespace {

struct Client
{
    Options options;
    ClientSession session;
    Random random{7};
    GameConnection connection{session, options, random};
    QStringList lines;
    QStringList errors;

    Client()
    {
        QObject::connect(&session, &ClientSession::chatLine, &session,
                         [this](int, const QString &text, ColourValue) { lines << text; });
        QObject::connect(&connection, &GameConnection::error, &connection,
                         [this](const QString &text) { errors << text; });
    }
};

} // namespace

class TestGameConnection : public QObject
{
    Q_OBJECT
    QTcpServer m_presence;

private slots:
    void initTestCase()
    {
        QVERIFY(m_presence.listen(QHostAddress::LocalHost, 0));
        qputenv("VELMORA_PRESENCE_PORT", QByteArray::number(m_presence.serverPort()));
    }

    void init()
    {
        while (m_presence.hasPendingConnections())
            delete m_presence.nextPendingConnection();
        qputenv("VELMORA_PORT", "0");
    }

    void soloHostsAndLogsInAsPlayerOne()
    {
        Client c;
        QSignalSpy hosting(&c.connection, &GameConnection::hostingStarted);
        c.connection.start({});
        QCOMPARE(hosting.size(), 1);
        QVERIFY(c.connection.hosting());
        QVERIFY(c.connection.server().listeningPort() != 0);
        QTRY_VERIFY(c.session.loggedIn());
        QCOMPARE(c.session.ownPlayer(), 1);
        QCOMPARE(c.lines.value(0), QStringLiteral("Loading Solo Game..Please wait."));
        QTRY_VERIFY(!c.connection.dispatching()); // idle once the queue is empty
        QVERIFY(!m_presence.hasPendingConnections());
        QVERIFY(c.errors.isEmpty());

        c.connection.shutDown();
        QVERIFY(!c.connection.server().isListening());
    }

    void joinHoldsPresenceAndReportsTheHostLeaving()
    {
        FakeHost host;
        qputenv("VELMORA_PORT", QByteArray::number(host.port()));
        Client c;
        QSignalSpy closed(&c.connection, &GameConnection::hostClosed);
        c.connection.start(
            {QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("x")});
        QVERIFY(!c.connection.hosting());
        QTRY_VERIFY(host.peer());
        QTRY_VERIFY(m_presence.hasPendingConnections());
        host.send("CMD_sendlogininfo+3");
        QTRY_VERIFY(host.received(QByteArray("CMD_logininfo+3+") + VersionText + "+Bob"));
        host.peer()->socket()->disconnectFromHost();
        QTRY_COMPARE(closed.size(), 1);
        QCoreApplication::processEvents(); // a second close would be posted by now
        QCOMPARE(closed.size(), 1);
    }

    void waitingRoleOpensNothing()
    {
        FakeHost host;
        qputenv("VELMORA_PORT", QByteArray::number(host.port()));
        Client c;
        c.connection.start({QStringLiteral("Bob"), QStringLiteral("127.0.0.1")});
        QCOMPARE(c.lines, QStringList{QStringLiteral("Loading Multi-player Game.. Please Wait.")});
        // Opening makes a handle at once: none means no attempt was made.
        QVERIFY(!c.connection.sock().hasHandle());
        QVERIFY(!c.connection.presenceSock().hasHandle());
    }

    // A host that cannot be reached leaves the window waiting, without a
    // word: only a connection that was made can close.
    void unreachableHostIsNoClose()
    {
        quint16 port;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            port = probe.serverPort();
        }
        qputenv("VELMORA_PORT", QByteArray::number(port));
        Client c;
        QSignalSpy closed(&c.connection, &GameConnection::hostClosed);
        QSignalSpy sockClosed(&c.connection.sock(), &TSock::closed);
        c.connection.start(
            {QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("x")});
        QTRY_COMPARE(sockClosed.size(), 1);
        QCOMPARE(sockClosed[0][0].value<TSock::CloseReason>(), TSock::CloseReason::Refused);
        QCoreApplication::processEvents(); // a close would have been posted by now
        QCOMPARE(closed.size(), 0);
        QVERIFY(c.errors.isEmpty());
    }

    // While the window shows a box, messages wait in arrival order; a bad
    // message is reported and the next one is handled.
    void holdPausesDispatchAndErrorsAreReported()
    {
        FakeHost host;
        qputenv("VELMORA_PORT", QByteArray::number(host.port()));
        Client c;
        bool held = true;
        c.connection.setHold([&] { return held; });
        c.connection.start(
            {QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("x")});
        QTRY_VERIFY(host.peer());
        host.send("CMD_sendlogininfo+12");
        host.send("CMD_sendlogininfo+4");
        host.send("CMD_chat+4+Bob chats:  hi|clRed");
        QTRY_COMPARE(c.session.queued(), 3);
        // No tick is running, so nothing can be dispatched while held.
        QVERIFY(!c.connection.dispatching());

        held = false;
        c.connection.resumeDispatch();
        QTRY_COMPARE(c.session.queued(), 0);
        QCOMPARE(c.errors, QStringList{QStringLiteral("player number 12 is out of range")});
        QCOMPARE(c.session.ownPlayer(), 4);
        QTRY_VERIFY(c.lines.contains(QStringLiteral("Bob chats:  hi")));
        QVERIFY(!c.connection.dispatching());
    }

    // A host that floods is cut off after one error report.
    void floodingHostIsCutOff()
    {
        FakeHost host;
        qputenv("VELMORA_PORT", QByteArray::number(host.port()));
        Client c;
        c.connection.setHold([] { return true; });
        QSignalSpy closed(&c.connection, &GameConnection::hostClosed);
        c.connection.start(
            {QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("x")});
        QTRY_VERIFY(host.peer());
        QByteArray flood;
        for (qsizetype i = 0; i <= ClientSession::QueueLimit; ++i)
            flood += "CMD_full+\xFF";
        host.peer()->socket()->write(flood + flood);
        QTRY_COMPARE(closed.size(), 1);
        QTRY_COMPARE(host.peer()->socket()->state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(c.errors.size(), 1);
        QCOMPARE(c.session.queued(), ClientSession::QueueLimit);
    }
};

QTEST_GUILESS_MAIN(TestGameConnection)
#include "tst_gameconnection.moc"
