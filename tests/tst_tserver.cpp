// The host over real loopback TCP, seen from plain protocol clients.

#include "base/version.h"
#include "enginerecorder.h"
#include "cards/random.h"
#include "tserver.h"
#include "protocol/framer.h"
#include "protocol/messages.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <map>
#include <memory>

#include <sys/socket.h>

using namespace velmora;

namespace {

QByteArray ff(const QByteArray &text) { return text + '\xFF'; }

// Runs the event loop until `done` holds, waking for every event (unlike
// QTest::qWaitFor, which sleeps 10 ms between rounds).
template <typename Pred>
bool spinUntil(Pred done, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    QTimer wake;
    wake.start(50);
    QEventLoop loop;
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// A protocol client that knows nothing but the wire format.
class RawClient
{
public:
    // `from` is the loopback address it comes from.
    explicit RawClient(quint16 port, const QHostAddress &from = {})
    {
        QObject::connect(&m_socket, &QTcpSocket::readyRead,
                         [this] { m_framer.feed(m_socket.readAll(), m_messages); });
        if (!from.isNull())
            m_socket.bind(from);
        m_socket.connectToHost(QHostAddress::LocalHost, port);
    }
    QTcpSocket &socket() { return m_socket; }
    QList<QByteArray> &messages() { return m_messages; }
    void send(const QByteArray &bytes) { m_socket.write(bytes); }
    bool waitFor(const QByteArray &message, int ms = 5000)
    {
        return QTest::qWaitFor([&] { return m_messages.contains(message); }, ms);
    }
    bool closed() const { return m_socket.state() == QAbstractSocket::UnconnectedState; }
    int slot() const
    {
        for (const QByteArray &m : m_messages)
            if (m.startsWith("CMD_sendlogininfo+"))
                return m.mid(18).toInt();
        return 0;
    }

private:
    QTcpSocket m_socket;
    Framer m_framer;
    QList<QByteArray> m_messages;
};

} // namespace

class TestTServer : public QObject
{
    Q_OBJECT
    Random m_random{1};
    std::unique_ptr<TServer> m_server;
    QStringList m_log;

    std::unique_ptr<RawClient> join(const QByteArray &name, const QHostAddress &from = {})
    {
        auto c = std::make_unique<RawClient>(m_server->listeningPort(), from);
        if (!QTest::qWaitFor([&] { return c->slot() != 0; }, 5000))
            return c;
        c->send(wire::loginInfo(c->slot(), VersionText, name));
        c->waitFor(wire::newPlayerInfo(c->slot(), name).chopped(1));
        return c;
    }

private slots:
    void init()
    {
        m_server = std::make_unique<TServer>(m_random);
        m_server->setPortName(QStringLiteral("0"));
        m_log.clear();
        connect(m_server.get(), &TServer::logLine, this, [this](const QString &l) { m_log << l; });
        m_server->startListening();
        QVERIFY(m_server->listeningPort() != 0);
    }
    void cleanup() { m_server.reset(); }

    void nineSlotsThenFull()
    {
        std::vector<std::unique_ptr<RawClient>> clients;
        for (int i = 1; i <= 9; ++i) {
            clients.push_back(std::make_unique<RawClient>(m_server->listeningPort()));
            QTRY_COMPARE(clients.back()->slot(), i);
        }
        RawClient tenth(m_server->listeningPort());
        QTRY_VERIFY(tenth.closed());
        QCOMPARE(tenth.messages(), QList<QByteArray>{"CMD_full+"});
        // The nine stay connected.
        QTest::qWait(20);
        for (auto &c : clients)
            QVERIFY(!c->closed());
    }

    void slotReuseAndDepartures()
    {
        std::vector<std::unique_ptr<RawClient>> c;
        for (int i = 1; i <= 5; ++i)
            c.push_back(join("p" + QByteArray::number(i)));
        QCOMPARE(c[4]->slot(), 5);
        c[2]->socket().disconnectFromHost();
        QVERIFY(c[0]->waitFor("CMD_playerdisconnected+3+p3"));
        QVERIFY(c[4]->waitFor("CMD_playerdisconnected+3+p3"));
        auto a = std::make_unique<RawClient>(m_server->listeningPort());
        QTRY_COMPARE(a->slot(), 3);
        auto b = std::make_unique<RawClient>(m_server->listeningPort());
        QTRY_COMPARE(b->slot(), 6);

        // A reset is a departure like any other; the log says how it ended.
        const linger hard{1, 0};
        setsockopt(int(c[3]->socket().socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard,
                   sizeof hard);
        c[3]->socket().abort();
        QVERIFY(c[0]->waitFor("CMD_playerdisconnected+4+p4"));
        QVERIFY(m_log.contains(QStringLiteral("player 3 left")));
        QVERIFY(m_log.contains(QStringLiteral("player 4 left: Error #10054 (WSAECONNRESET)")));
    }

    void loginChatAndNamesWithPlus()
    {
        auto alice = join("Al+ice");
        auto bob = join("B+b");
        QCOMPARE(bob->messages(),
                 (QList<QByteArray>{"CMD_sendlogininfo+2", "CMD_newplayerinfo+2+B+b",
                                    "CMD_existingplayers+1+Al+ice"}));
        QVERIFY(alice->waitFor("CMD_newplayerinfo+2+B+b"));
        bob->send(ff("CMD_chat+2+hi+all|clRed") + ff("CMD_action+2+waves|clBlue"));
        QVERIFY(alice->waitFor("CMD_chat+2+B+b chats: hi+all|clRed"));
        QVERIFY(alice->waitFor("CMD_action+2+B+b waves|clBlue"));
        QVERIFY(bob->waitFor("CMD_action+2+B+b waves|clBlue"));
    }

    void versionMismatchWarnsBoth()
    {
        auto alice = join("Alice");
        RawClient old(m_server->listeningPort());
        QTRY_COMPARE(old.slot(), 2);
        old.send(wire::loginInfo(2, "1.0.0", "Oldie"));
        QVERIFY(old.waitFor("CMD_wrongversion+"));
        QVERIFY(alice->waitFor("CMD_havewrongversion+Oldie"));
        QVERIFY(!old.closed());
    }

    void messageSplitAcrossWrites()
    {
        auto alice = join("Alice");
        alice->send("CMD_chat+1+sp");
        alice->socket().flush();
        QTest::qWait(30);
        alice->send(QByteArray("lit\x00|clRed\xFF", 11));
        QVERIFY(alice->waitFor(QByteArray("CMD_chat+1+Alice chats: split\x00|clRed", 36)));
    }

    void spoofedRequestIsDroppedOverTheWire()
    {
        auto alice = join("Alice");
        auto mallory = join("Mallory");
        mallory->send(ff("CMD_chat+1+I am Alice|clRed"));
        mallory->send(ff("CMD_chat+2+honest|clRed"));
        QVERIFY(alice->waitFor("CMD_chat+2+Mallory chats: honest|clRed"));
        QVERIFY(!alice->messages().contains("CMD_chat+1+Alice chats: I am Alice|clRed"));
        QVERIFY(m_log.join(QLatin1Char('\n')).contains(QStringLiteral("another player's name")));
    }

    void oversizedMessageClosesTheConnection()
    {
        auto alice = join("Alice");
        auto flood = join("Flood");
        const QByteArray chunk(16 * 1024, 'x');
        for (int i = 0; i < 6 && !flood->closed(); ++i) {
            flood->send(chunk);
            flood->socket().flush();
            QTest::qWait(5);
        }
        QTRY_VERIFY(flood->closed());
        QVERIFY(alice->waitFor("CMD_playerdisconnected+2+Flood"));
        // The table carries on.
        alice->send(ff("CMD_chat+1+still here|clRed"));
        QVERIFY(alice->waitFor("CMD_chat+1+Alice chats: still here|clRed"));
    }

    void removeFromGame()
    {
        auto alice = join("Alice");
        auto bob = join("Bob");
        m_server->disconnectsock(2);
        QTRY_VERIFY(bob->closed());
        QVERIFY(alice->waitFor("CMD_playerdisconnected+2+Bob"));
    }

    // A whole game over the wire: this client sits at seat 1 and plays by
    // the rules; the host plays the other three seats.
    void wholeGameAgainstTheComputer()
    {
        m_server->setBotInterval([] { return 1; });
        m_server->setRoundPause(1);
        auto me = join("Me");
        std::map<int, int> hand; // hand slot -> card
        int lastCard = 0;
        int wrong = 0;
        qsizetype seen = 0;
        bool won = false;
        me->send(wire::startGameRequest("Me", 100, "4", true));
        const bool finished = QTest::qWaitFor(
            [&] {
                auto &msgs = me->messages();
                for (; seen < msgs.size(); ++seen) {
                    const QList<QByteArray> f = msgs[seen].split('+');
                    const QByteArray &cmd = f[0];
                    if (cmd == "CMD_newcard" || cmd == "CMD_thedummyhand") {
                        hand.clear();
                        for (int i = 2; i + 1 < f.size(); i += 2)
                            hand[f[i].toInt()] = f[i + 1].toInt();
                    } else if (cmd == "CMD_hiscard") {
                        lastCard = f[2].toInt();
                        if (f[1] == "1")
                            hand.erase(f[3].toInt());
                    } else if (cmd == "CMD_wrongcard") {
                        ++wrong;
                    } else if (cmd == "CMD_winner") {
                        won = true;
                    } else if (cmd == "CMD_nextplayer" && f[2] == "1") {
                        if (f[3] == "b") {
                            me->send(wire::buyTheDummy(1, false));
                            continue;
                        }
                        int pick = 0;
                        for (const auto &[slot, card] : hand) {
                            const bool ok =
                                f[3] == "f" ? card == lastCard + 1
                                            : std::none_of(hand.begin(), hand.end(), [&](auto &o) {
                                                  return o.second < card &&
                                                         (o.second - 1) / 13 == (card - 1) / 13;
                                              });
                            if (ok) {
                                pick = slot;
                                break;
                            }
                        }
                        if (pick)
                            me->send(wire::playCard(1, pick));
                    }
                }
                return won;
            },
            60000);
        QVERIFY(finished);
        QCOMPARE(wrong, 0);
        int startRounds = 0;
        for (const QByteArray &m : me->messages())
            startRounds += m.startsWith("CMD_startround+");
        QVERIFY(startRounds >= 4);
    }

    // A player who drops out on a follow turn and comes back is told to
    // follow, and the card that follows is taken.
    void rejoinOnAFollowTurn()
    {
        m_server->setBotInterval([] { return 60000; });
        auto alice = join("Alice");
        auto bob = join("Bob");
        alice->send(wire::startGameRequest("Alice", 100, "4", false));
        QVERIFY(bob->waitFor("CMD_nextplayer+1+2+l+"));
        GameTable &table = m_server->engine().table();
        changeSeat(table, 2, [](GameTable::Seat &s) { s.hand = Hand{5, 9}; });
        changeGame(table, [](GameTable::Game &g) { g.tableCard = 4; }); // the 4 of clubs to follow
        bob->socket().disconnectFromHost();
        QVERIFY(alice->waitFor("CMD_playerdisconnected+2+Bob"));

        auto again = join("Bob");
        QCOMPARE(again->slot(), 2);
        QVERIFY(again->waitFor("CMD_nextplayer+1+2+f+"));
        again->send(wire::playCard(2, 1));
        QVERIFY(alice->waitFor("CMD_hiscard+2+5+1+1+"));
        QVERIFY(std::none_of(again->messages().begin(), again->messages().end(),
                             [](const QByteArray &m) { return m.startsWith("CMD_wrongcard"); }));
    }

    // A burst is handled in order; past the chatter allowance its lines are
    // dropped and the sender alone hears about it, once.
    void burstIsHandledInOrderAndLimited()
    {
        auto alice = join("Alice");
        auto bob = join("Bob");
        QByteArray burst;
        for (int i = 0; i < 50; ++i)
            burst += ff("CMD_chat+1+" + QByteArray::number(i) + "|clRed");
        alice->send(burst);
        const QByteArray notice =
            "CMD_chat+0+" + QByteArray(HostEngine::TooFastNotice) + "|clGreen";
        QVERIFY(alice->waitFor(notice));
        QTRY_COMPARE(m_server->engine().queued(), 0);
        QList<QByteArray> chats;
        for (const QByteArray &m : alice->messages())
            if (m.startsWith("CMD_chat+1+"))
                chats << m;
        QVERIFY(chats.size() >= HostEngine::ChatBurst && chats.size() < 10);
        for (int i = 0; i < chats.size(); ++i)
            QVERIFY(chats[i].startsWith("CMD_chat+1+Alice chats: "));
        for (int i = 0; i < HostEngine::ChatBurst; ++i)
            QCOMPARE(chats[i], "CMD_chat+1+Alice chats: " + QByteArray::number(i) + "|clRed");
        QVERIFY(!bob->messages().contains(notice));
    }

    // One connection flooding does not hold the others up: the queues take
    // turns.
    void othersAreServedDuringAFlood()
    {
        auto alice = join("Alice");
        auto flood = join("Flood");
        QByteArray burst;
        for (int i = 0; i < 200; ++i)
            burst += ff("CMD_chat+2+flood " + QByteArray::number(i) + "|clRed");
        flood->send(burst);
        QTRY_VERIFY(m_server->engine().queued(2) > 150);
        alice->send(ff("CMD_justwatch+1+2"));
        QVERIFY(alice->waitFor("CMD_justwatching+1+2"));
        QVERIFY(m_server->engine().queued(2) > 100);
        QVERIFY(!flood->closed());
    }

    // Past its queue limit a connection is closed and departs like any
    // other; the table carries on.
    void floodPastTheQueueLimitIsCutOff()
    {
        auto alice = join("Alice");
        auto flood = join("Flood");
        QByteArray burst;
        for (int i = 0; i < 10000; ++i)
            burst += ff("CMD_chat+2+flood " + QByteArray::number(i) + "|clRed");
        flood->send(burst);
        QTRY_VERIFY(flood->closed());
        QVERIFY(alice->waitFor("CMD_playerdisconnected+2+Flood"));
        QCOMPARE(m_server->engine().queued(2), 0);
        QVERIFY(!m_server->engine().connection(2).inUse);
        alice->send(ff("CMD_chat+1+still here|clRed"));
        QVERIFY(alice->waitFor("CMD_chat+1+Alice chats: still here|clRed"));
        QVERIFY(!alice->closed());
    }

    // A request that finds the host idle is answered at once (no waiting for
    // the next tick); requests that wait keep the 10 ms pace.
    void idleHostAnswersAtOnceAndKeepsThePace()
    {
        auto alice = join("Alice");
        QElapsedTimer clock;
        qint64 fastest = std::numeric_limits<qint64>::max();
        for (int i = 0; i < 10; ++i) {
            QTest::qWait(25); // idle again
            alice->messages().clear();
            clock.start();
            alice->send(ff("CMD_justwatch+1+2"));
            alice->socket().flush();
            QVERIFY(spinUntil([&] { return alice->messages().contains("CMD_justwatching+1+2"); }));
            fastest = std::min(fastest, clock.nsecsElapsed());
        }
        // Waiting for a tick would take 10 ms every time.
        QVERIFY2(fastest < 8000000, QByteArray::number(fastest).constData());

        QTest::qWait(25);
        alice->messages().clear();
        QByteArray burst;
        for (int i = 0; i < 21; ++i)
            burst += ff("CMD_justwatch+1+2");
        clock.start();
        alice->send(burst);
        QVERIFY(QTest::qWaitFor([&] { return alice->messages().size() == 21; }, 5000));
        QVERIFY(clock.elapsed() >= 20 * 10 - 5);
    }

    // A connection that never logs in is closed at the deadline, unheard
    // of; its slot goes to the next comer. A player who logged in stays.
    void loginDeadline()
    {
        m_server->setLoginDeadline(300);
        auto alice = join("Alice");
        RawClient silent(m_server->listeningPort());
        QTRY_COMPARE(silent.slot(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(silent.closed(), 3000);
        QTRY_COMPARE(join("Bob")->slot(), 2);
        QTest::qWait(400);
        QVERIFY(!alice->closed());
        for (const QByteArray &m : alice->messages())
            QVERIFY2(!m.startsWith("CMD_playerdisconnected+2+") ||
                         m == "CMD_playerdisconnected+2+Bob",
                     m.constData());
    }

    // One address comes in at most six times a minute; the seventh is
    // closed before it takes a slot, and the table hears nothing of it.
    // Other addresses, and exempt ones, are not held back.
    void arrivalsPerAddress()
    {
        qint64 now = 0;
        m_server->arrivalLimit().setClock([&now] { return now; });
        m_server->arrivalLimit().setExempt({QHostAddress(QStringLiteral("127.0.0.1"))});
        const QHostAddress flooder(QStringLiteral("127.0.0.2"));
        auto alice = join("Alice");
        for (int i = 0; i < 6; ++i) {
            auto c = join("Flood", flooder);
            QCOMPARE(c->slot(), 2);
            c->socket().disconnectFromHost();
            QVERIFY(alice->waitFor("CMD_playerdisconnected+2+Flood"));
            alice->messages().clear();
        }
        RawClient seventh(m_server->listeningPort(), flooder);
        QTRY_VERIFY(seventh.closed());
        QVERIFY(seventh.messages().isEmpty());
        const auto carol = join("Carol", QHostAddress(QStringLiteral("127.0.0.3")));
        QCOMPARE(carol->slot(), 2);
        QCOMPARE(alice->messages(), QList<QByteArray>{"CMD_newplayerinfo+2+Carol"});
        for (int i = 0; i < 7; ++i)
            QVERIFY(join("Own")->slot() != 0);
        now += 60000;
        QVERIFY(join("Flood again", flooder)->slot() != 0);
    }
};

QTEST_GUILESS_MAIN(TestTServer)
#include "tst_tserver.moc"
