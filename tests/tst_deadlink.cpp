// A link that dies without a word, for real: the player sits in a network
// namespace of his own, joined to the host's by a veth pair, and his end goes
// down on his turn. Needs root (CI has it); elsewhere the test says why not.

#include "cards/random.h"
#include "client/clientsession.h"
#include "client/options.h"
#include "gameconnection.h"
#include "protocol/messages.h"
#include "tserver.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

using namespace velmora;

namespace {

const QString Host = QStringLiteral("velmora-h%1").arg(::getpid());
const QString Player = QStringLiteral("velmora-p%1").arg(::getpid());
const QString HostAddress = QStringLiteral("10.231.77.1");

// Runs `ip` once for each line; false when one fails.
bool ip(const QString &lines)
{
    for (const QString &line : lines.split(u'\n', Qt::SkipEmptyParts)) {
        QProcess p;
        p.start(QStringLiteral("ip"), line.split(u' '));
        if (!p.waitForFinished(5000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return false;
    }
    return true;
}

// Sockets this thread makes from now on belong to the namespace `fd` (or
// the one named); those made before stay where they are.
bool enter(int fd) { return fd >= 0 && ::setns(fd, CLONE_NEWNET) == 0; }
bool enter(const QString &name)
{
    const int fd = ::open(qPrintable(QStringLiteral("/run/netns/") + name), O_RDONLY | O_CLOEXEC);
    const bool ok = enter(fd);
    ::close(fd);
    return ok;
}

} // namespace

class TestDeadLink : public QObject
{
    Q_OBJECT
    int m_own = -1; // the namespace the test started in, which gets nothing
private slots:
    void init()
    {
        if (!ip(QStringLiteral("netns add %1\nnetns add %2\n").arg(Host, Player))) {
            cleanup();
            QSKIP("'ip netns add' failed: needs root and iproute2");
        }
        const bool paired = ip(QStringLiteral("-n %1 link add vh type veth peer name vp netns %2\n"
                                              "-n %1 addr add %3/24 dev vh\n"
                                              "-n %2 addr add 10.231.77.2/24 dev vp\n"
                                              "-n %1 link set lo up\n-n %1 link set vh up\n"
                                              "-n %2 link set vp up\n")
                                   .arg(Host, Player, HostAddress));
        m_own = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        if (!paired || m_own < 0) {
            cleanup(); // not called after a failed init
            QFAIL("cannot set up the veth pair");
        }
    }
    void cleanup()
    {
        enter(m_own);
        ::close(m_own);
        ip(QStringLiteral("netns del %1\nnetns del %2\n").arg(Host, Player));
    }

    // With the link timers shortened to 3 s, the host departs the player
    // and plays his seat within a few seconds, and the player's own copy
    // finds its host gone.
    void deadLinkOnTurn()
    {
        constexpr int DeadLinkSeconds = 3;
        QVERIFY(enter(Host));
        Random random(5);
        TServer server(random);
        server.setPortName(QStringLiteral("0"));
        server.setSlotOneIsHost(false);
        server.setBotInterval([] { return 100; });
        server.setDeadLinkSeconds(DeadLinkSeconds);
        server.startListening();
        // Alice, on the host's loopback, deals; the player's seat leads.
        QTcpSocket alice;
        alice.connectToHost(QHostAddress::LocalHost, server.listeningPort());

        QVERIFY(enter(Player));
        ClientSession session;
        Options options;
        GameConnection bob(session, options, random);
        bob.sock().setDeadLinkSeconds(DeadLinkSeconds);
        bob.sock().setPortName(QString::number(server.listeningPort()));
        QSignalSpy hostGone(&bob, &GameConnection::hostClosed);
        bob.start({QStringLiteral("Bob"), HostAddress, QStringLiteral("x")});
        QVERIFY(enter(m_own));

        const HostEngine &engine = server.engine();
        QTRY_VERIFY(alice.state() == QAbstractSocket::ConnectedState);
        alice.write(wire::loginInfo(1, VersionText, "Alice"));
        QTRY_VERIFY(engine.connection(1).loggedIn && engine.connection(2).loggedIn);
        alice.write(QByteArray("CMD_startgame+Alice+100+16+0+\xFF"));
        QTRY_VERIFY(engine.table().game().inProgress);
        QCOMPARE(engine.table().game().currentPlayer, 2);
        const int cards = engine.table().cardsHeld(2);

        QVERIFY(ip(QStringLiteral("-n %1 link set vp down\n").arg(Player)));
        QElapsedTimer clock;
        clock.start();
        QTRY_VERIFY_WITH_TIMEOUT(engine.table().cardsHeld(2) < cards, 10000);
        QVERIFY2(clock.elapsed() < (DeadLinkSeconds + 3) * 1000,
                 qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!engine.connection(2).inUse);
        QVERIFY(alice.readAll().contains("CMD_playerdisconnected+2+Bob\xFF"));
        QTRY_COMPARE_WITH_TIMEOUT(hostGone.count(), 1, 10000);
    }
};

QTEST_GUILESS_MAIN(TestDeadLink)
#include "tst_deadlink.moc"
