// The host's connection handling, driven directly: slots, login, relaying,
// just-watch, departures, and requests that must not be believed.

#include "base/version.h"
#include "enginerecorder.h"
#include "cards/random.h"
#include "host/hostengine.h"

#include <QTest>

#include <functional>

using namespace velmora;

namespace {

QByteArray ff(const QByteArray &text) { return text + '\xFF'; }

using Sent = EngineRecorder::Sent;

struct Table
{
    EngineRecorder out;
    Random random{42};
    HostEngine engine{out, random};
    qint64 now = 100000; // the engine's clock, in ms

    Table()
    {
        engine.setClock([this] { return now; });
    }

    int connect()
    {
        const int slot = engine.acceptSlot();
        engine.connected(slot);
        return slot;
    }
    int join(const QByteArray &name, const QByteArray &version = VersionText)
    {
        const int slot = connect();
        engine.handle(slot, wire::loginInfo(slot, version, name).chopped(1));
        return slot;
    }
    // Alice (seat 1, the dealer) and Bob (seat 2) at a game with a turn
    // limit; the dummy hand is offered to Alice first, or Bob leads.
    void startTimedGame(bool dummy, const QByteArray &bob = "Bob")
    {
        join("Alice");
        join(bob);
        engine.setTurnLimit(TurnLimit);
        engine.handle(1, QByteArray("CMD_startgame+Alice+100+16+") + (dummy ? "1+" : "0+"));
    }
    // Lets the turn clock run out after `ms`, as the server's timer would.
    void expireAfter(qint64 ms)
    {
        now += ms;
        engine.turnClockFired();
    }
    static constexpr qint64 TurnLimit = 30000;
};

// The lowest card of a hand is the lowest of its suit: always a lead the
// rules take.
int lowestSlot(const Hand &hand)
{
    int best = 0;
    for (int k = 1; k <= HandSlots; ++k)
        if (inSlot(hand, k) != NoCard && (best == 0 || inSlot(hand, k) < inSlot(hand, best)))
            best = k;
    return best;
}

} // namespace

class TestHostEngine : public QObject
{
    Q_OBJECT
private slots:
    void slotsAndTheTenthConnection()
    {
        Table t;
        for (int i = 1; i <= 9; ++i) {
            QCOMPARE(t.connect(), i);
            QCOMPARE(t.out.to(i),
                     QList<QByteArray>{ff("CMD_sendlogininfo+" + QByteArray::number(i))});
        }
        t.out.clear();
        QCOMPARE(t.connect(), HostEngine::TurnedAwaySlot);
        QCOMPARE(t.out.sent, (QList<Sent>{{10, ff("CMD_full+")}}));
        QCOMPARE(t.out.closed, QList<int>{10});
        QCOMPARE(t.engine.slotCount(), 9);
        // The turned-away connection's close changes nothing.
        t.engine.closed(10);
        QCOMPARE(t.engine.slotCount(), 9);
    }

    void slotReuse()
    {
        Table t;
        for (int i = 1; i <= 5; ++i)
            t.join("p" + QByteArray::number(i));
        t.engine.closed(3);
        QCOMPARE(t.connect(), 3);
        QCOMPARE(t.connect(), 6);
        QCOMPARE(t.engine.slotCount(), 6);
    }

    // A connection logs in once; a second login changes nothing and is
    // announced to nobody.
    void secondLoginIsDropped()
    {
        Table t;
        t.join("Alice");
        const int spy = t.join("Eve");
        t.out.clear();
        t.engine.handle(spy, wire::loginInfo(spy, VersionText, "Mallory").chopped(1));
        QVERIFY(t.out.sent.isEmpty());
        QCOMPARE(t.engine.connection(spy).name, QByteArray("Eve"));
        // The slot's next connection logs in afresh.
        t.engine.closed(spy);
        QCOMPARE(t.join("Bob"), spy);
        QCOMPARE(t.engine.connection(spy).name, QByteArray("Bob"));
    }

    void loginOrder()
    {
        Table t;
        t.join("Alice");
        t.connect(); // slot 2 in use, not logged in yet: still hears broadcasts
        t.join("Carol");
        t.out.clear();
        const int n = t.join("D+ave", "1.1.0");
        QCOMPARE(n, 4);
        QCOMPARE(t.out.to(4), (QList<QByteArray>{
                                  ff("CMD_sendlogininfo+4"),
                                  ff("CMD_newplayerinfo+4+D+ave"),
                                  ff("CMD_existingplayers+1+Alice"),
                                  ff("CMD_existingplayers+2+"),
                                  ff("CMD_existingplayers+3+Carol"),
                                  ff("CMD_wrongversion+"),
                              }));
        QCOMPARE(t.out.to(1), (QList<QByteArray>{ff("CMD_newplayerinfo+4+D+ave"),
                                                 ff("CMD_havewrongversion+D+ave")}));
        QCOMPARE(t.out.to(2), QList<QByteArray>{ff("CMD_newplayerinfo+4+D+ave")});
        QVERIFY(t.engine.connection(4).inUse);
        QCOMPARE(t.engine.connection(4).name, QByteArray("D+ave"));
    }

    void relayTexts()
    {
        Table t;
        t.join("Al+ice");
        t.join("Bob");
        t.out.clear();
        t.engine.handle(2, "CMD_chat+2+hello+world|clRed");
        t.engine.handle(1, "CMD_action+1+waves|$00123456");
        t.engine.handle(2, "CMD_playasound+2+wave7+");
        const QList<QByteArray> expected{ff("CMD_chat+2+Bob chats: hello+world|clRed"),
                                         ff("CMD_action+1+Al+ice waves|$00123456"),
                                         ff("CMD_playasound+2+wave7+")};
        QCOMPARE(t.out.to(1), expected);
        QCOMPARE(t.out.to(2), expected);
    }

    void departureDuringABroadcast()
    {
        // The server may learn of a departure while it is handing out a
        // message; the departure's own broadcast must not overwrite the
        // message that the rest of the table has still to receive.
        Table t;
        t.join("Alice");
        t.join("Bob");
        t.join("Carol");
        t.out.clear();
        t.out.onSend = [&t](int slot, const QByteArray &) {
            if (slot == 1) {
                t.out.onSend = nullptr;
                t.engine.closed(3);
            }
        };
        t.engine.handle(1, "CMD_chat+1+hi|clRed");
        QCOMPARE(t.out.sent, (QList<Sent>{
                                 {1, ff("CMD_chat+1+Alice chats: hi|clRed")},
                                 {1, ff("CMD_playerdisconnected+3+Carol")},
                                 {2, ff("CMD_playerdisconnected+3+Carol")},
                                 {2, ff("CMD_chat+1+Alice chats: hi|clRed")},
                             }));
    }

    void departure()
    {
        Table t;
        t.join("Alice");
        t.join("Bob");
        t.join("Watcher");
        t.engine.handle(2, "CMD_justwatch+2+1");
        t.out.clear();
        t.engine.closed(2);
        QCOMPARE(t.out.to(1), QList<QByteArray>{ff("CMD_playerdisconnected+2+Bob")});
        QCOMPARE(t.out.to(3), QList<QByteArray>{ff("CMD_playerdisconnected+2+Bob")});
        QVERIFY(t.out.to(2).isEmpty());
        QVERIFY(!t.engine.connection(2).inUse);
        QVERIFY(!t.engine.connection(2).justWatch);
        QVERIFY(t.engine.connection(2).name.isEmpty());
        // A second close report for the same slot does nothing.
        t.out.clear();
        t.engine.closed(2);
        QVERIFY(t.out.sent.isEmpty());
        // A connection that never logged in leaves as unheard as it came.
        const int silent = t.connect();
        t.out.clear();
        t.engine.closed(silent);
        QVERIFY(t.out.sent.isEmpty());
        QVERIFY(!t.engine.connection(silent).inUse);
    }

    void departedConnectionsQueueIsDropped()
    {
        Table t;
        t.join("Alice");
        t.join("Bob");
        t.engine.received(2, "CMD_chat+2+last words|clRed");
        t.engine.closed(2);
        QCOMPARE(t.join("Eve"), 2);
        t.out.clear();
        while (t.engine.dispatchOne()) {
        }
        QVERIFY(t.out.sent.isEmpty());
    }

    void queueTakesOneMessagePerDispatch()
    {
        Table t;
        t.join("Alice");
        t.out.clear();
        t.engine.received(1, "CMD_chat+1+a|clRed");
        t.engine.received(1, "garbage");
        t.engine.received(1, "CMD_chat+1+b|clRed");
        QCOMPARE(t.engine.queued(), 3);
        QVERIFY(t.engine.dispatchOne());
        QCOMPARE(t.out.sent.size(), 1);
        QVERIFY(t.engine.dispatchOne()); // unknown word: nothing
        QCOMPARE(t.out.sent.size(), 1);
        QVERIFY(t.engine.dispatchOne());
        QCOMPARE(t.out.to(1).last(), ff("CMD_chat+1+Alice chats: b|clRed"));
        QVERIFY(!t.engine.dispatchOne());
    }

    // The queues take turns, each keeping its own order; a queue that runs
    // dry drops out of the turn and one that fills up joins it again.
    void roundRobin()
    {
        Table t;
        for (int i = 1; i <= 4; ++i)
            t.join("p" + QByteArray::number(i));
        auto chat = [&](int slot, const char *text) {
            QVERIFY(t.engine.received(slot, "CMD_chat+" + QByteArray::number(slot) + "+" + text +
                                                "|clRed"));
        };
        chat(1, "a1");
        chat(1, "a2");
        chat(1, "a3");
        chat(3, "c1");
        chat(4, "d1");
        chat(4, "d2");
        QCOMPARE(t.engine.queued(), 6);
        QCOMPARE(t.engine.queued(4), 2);
        t.out.clear();
        auto next = [&] {
            if (!t.engine.dispatchOne())
                return QByteArray("none");
            const QByteArray m = t.out.to(2).last();
            return m.mid(m.indexOf(':') + 2).chopped(7);
        };
        QCOMPARE(next(), "a1");
        QCOMPARE(next(), "c1");
        QCOMPARE(next(), "d1");
        chat(2, "b1"); // slot 2 is after slot 1 in the turn: it waits one round
        QCOMPARE(next(), "a2");
        QCOMPARE(next(), "b1");
        QCOMPARE(next(), "d2");
        QCOMPARE(next(), "a3");
        QCOMPARE(next(), "none");
        QCOMPARE(t.engine.queued(), 0);
    }

    // Past its limit a connection's queue is dropped and the connection
    // closed; the others keep theirs.
    void queueLimit_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("closes");
        QTest::newRow("256 messages") << 256 << 10 << false;
        QTest::newRow("257 messages") << 257 << 10 << true;
        QTest::newRow("256 KiB") << 4 << 64 * 1024 << false;
        QTest::newRow("256 KiB and a byte") << 5 << 52429 << true;
    }
    void queueLimit()
    {
        QFETCH(int, count);
        QFETCH(int, size);
        QFETCH(bool, closes);
        Table t;
        t.join("Alice");
        t.join("Flood");
        QVERIFY(t.engine.received(1, "CMD_chat+1+still here|clRed"));
        const QByteArray message = QByteArray("CMD_hiscard+").leftJustified(size, 'x');
        bool allQueued = true;
        for (int i = 0; i < count; ++i)
            allQueued = t.engine.received(2, message) && allQueued;
        QCOMPARE(allQueued, !closes);
        QCOMPARE(t.out.closed, closes ? QList<int>{2} : QList<int>{});
        QCOMPARE(t.engine.queued(2), closes ? 0 : count);
        QCOMPARE(t.engine.queued(1), 1);
        if (!closes)
            return;
        // The socket's close comes back as a departure like any other.
        t.out.clear();
        t.engine.closed(2);
        QCOMPARE(t.out.to(1), QList<QByteArray>{ff("CMD_playerdisconnected+2+Flood")});
        QVERIFY(t.engine.dispatchOne());
        QCOMPARE(t.out.to(1).last(), ff("CMD_chat+1+Alice chats: still here|clRed"));
        QVERIFY(!t.engine.dispatchOne());
    }

    // Chat, actions and chatter sounds share one allowance per connection:
    // five at once, then one every 500 ms. The sender alone hears that it
    // was too fast, once until it pauses long enough to fill up again.
    void chatterRateLimit_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("relayed");
        QTest::newRow("chat") << QByteArray("CMD_chat+2+hi|clRed")
                              << QByteArray("CMD_chat+2+Bob chats: hi|clRed");
        QTest::newRow("action") << QByteArray("CMD_action+2+waves|clBlack")
                                << QByteArray("CMD_action+2+Bob waves|clBlack");
        QTest::newRow("sound") << QByteArray("CMD_playasound+2+wave3+")
                               << QByteArray("CMD_playasound+2+wave3+");
    }
    void chatterRateLimit()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, relayed);
        Table t;
        t.join("Alice");
        t.join("Bob");
        const QByteArray notice =
            ff("CMD_chat+0+" + QByteArray(HostEngine::TooFastNotice) + "|clGreen");
        auto send = [&](int times) {
            t.out.clear();
            for (int i = 0; i < times; ++i)
                t.engine.handle(2, request);
            return std::pair(t.out.to(1).count(ff(relayed)), t.out.to(2).count(notice));
        };
        QCOMPARE(send(8), std::pair(qsizetype(5), qsizetype(1)));
        QCOMPARE(t.out.to(1).count(notice), 0); // nobody else hears of it
        t.now += 499;
        QCOMPARE(send(1), std::pair(qsizetype(0), qsizetype(0)));
        t.now += 1;
        QCOMPARE(send(2), std::pair(qsizetype(1), qsizetype(0))); // one refilled; same burst
        t.now += 1000;
        QCOMPARE(send(3), std::pair(qsizetype(2), qsizetype(0)));
        t.now += 2499; // one short of full: still the same burst
        QCOMPARE(send(6), std::pair(qsizetype(4), qsizetype(0)));
        t.now += 60000; // the bucket holds no more than a burst; a new burst
        QCOMPARE(send(6), std::pair(qsizetype(5), qsizetype(1)));
        // Each connection has its own allowance, and a new connection in
        // the slot starts afresh.
        t.out.clear();
        t.engine.handle(1, "CMD_chat+1+mine|clRed");
        QCOMPARE(t.out.to(1), QList<QByteArray>{ff("CMD_chat+1+Alice chats: mine|clRed")});
        t.engine.closed(2);
        t.join("Bob");
        QCOMPARE(send(5), std::pair(qsizetype(5), qsizetype(0)));
    }

    void gameRequestsAreNeverLimited()
    {
        Table t;
        t.join("Alice");
        for (int i = 0; i < 10; ++i)
            t.engine.handle(1, "CMD_chat+1+spam|clRed");
        t.out.clear();
        for (int i = 0; i < 50; ++i)
            t.engine.handle(1, i % 2 ? "CMD_justwatch+1+1" : "CMD_justwatch+1+2");
        QCOMPARE(t.out.to(1).size(), 50);
    }

    void justWatch()
    {
        Table t;
        t.join("Alice");
        t.join("Bob");
        t.out.clear();
        t.engine.handle(2, "CMD_justwatch+2+1");
        QVERIFY(t.engine.connection(2).justWatch);
        QVERIFY(t.engine.isComputerDriven(2));
        t.engine.handle(2, "CMD_justwatch+2+3"); // other values do nothing
        QVERIFY(t.engine.connection(2).justWatch);
        t.engine.handle(1, "CMD_justwatch+2+2"); // the hosting player's seat menu
        QVERIFY(!t.engine.connection(2).justWatch);
        QCOMPARE(t.out.to(1),
                 (QList<QByteArray>{ff("CMD_justwatching+2+1"), ff("CMD_justwatching+2+2")}));
        QVERIFY(t.out.timers.isEmpty()); // no game: nobody's turn
    }

    // Requests are acted on only for the connection's own player number.
    void spoofedRequestsAreDropped_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::newRow("chat") << QByteArray("CMD_chat+1+I am Alice|clRed");
        QTest::newRow("action") << QByteArray("CMD_action+1+x|clRed");
        QTest::newRow("sound") << QByteArray("CMD_playasound+1+wave1+");
        QTest::newRow("login") << QByteArray("CMD_logininfo+1+") + VersionText + "+Mallory";
        QTest::newRow("just watch") << QByteArray("CMD_justwatch+1+1");
        QTest::newRow("play card") << QByteArray("CMD_playcard+1+1+");
        QTest::newRow("dummy") << QByteArray("CMD_buythedummy+1+y+");
        QTest::newRow("start game") << QByteArray("CMD_startgame+Mallory+100+16+1+");
    }
    void spoofedRequestsAreDropped()
    {
        QFETCH(QByteArray, request);
        Table t;
        t.join("Alice");
        t.join("Mallory");
        t.out.clear();
        t.engine.handle(2, request);
        QVERIFY(t.out.sent.isEmpty());
        QVERIFY(t.out.timers.isEmpty());
        QCOMPARE(t.out.logs.size(), 1);
        QCOMPARE(t.engine.connection(1).name, QByteArray("Alice"));
        QVERIFY(!t.engine.connection(1).justWatch);
        QVERIFY(!t.engine.table().game().inProgress);
    }

    void malformedRequestsChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::newRow("login without version") << QByteArray("CMD_logininfo+2");
        QTest::newRow("login bad number") << QByteArray("CMD_logininfo+x+") + VersionText + "+Bob";
        QTest::newRow("chat bad number") << QByteArray("CMD_chat+2x+hi|clRed");
        QTest::newRow("chat no fields") << QByteArray("CMD_chat+");
        QTest::newRow("just watch seat 5") << QByteArray("CMD_justwatch+5+1");
        QTest::newRow("play card no slot") << QByteArray("CMD_playcard+2+");
        QTest::newRow("play card text slot") << QByteArray("CMD_playcard+2+a+");
        QTest::newRow("dummy no answer") << QByteArray("CMD_buythedummy+2");
        QTest::newRow("start game short") << QByteArray("CMD_startgame+100+16+");
        QTest::newRow("start game text rounds") << QByteArray("CMD_startgame+A+100+x+1+");
    }
    void malformedRequestsChangeNothing()
    {
        QFETCH(QByteArray, request);
        Table t;
        t.join("Alice");
        t.join("Bob");
        t.out.clear();
        // Slot 1 may start games; send the start requests from there.
        t.engine.handle(request.startsWith("CMD_startgame") ? 1 : 2, request);
        QVERIFY(t.out.sent.isEmpty());
        QCOMPARE(t.out.logs.size(), 1);
        QCOMPARE(t.engine.connection(2).name, QByteArray("Bob"));
        QVERIFY(!t.engine.table().game().inProgress);
    }

    void lateJoinerIsBroughtUpToDate()
    {
        Table t;
        t.join("Alice");
        t.join("Bob");
        t.engine.handle(1, "CMD_startgame+Alice+100+16+0+");
        QVERIFY(t.engine.table().game().inProgress);
        // Round 1: seat 1 deals, seat 2 leads. Bob leaves and comes back.
        QCOMPARE(t.engine.table().game().currentPlayer, 2);
        const Hand hand = t.engine.table().seat(2).hand;
        t.engine.closed(2);
        t.out.clear();
        QCOMPARE(t.join("Bob again"), 2);
        const auto got = t.out.to(2);
        QCOMPARE(got.size(), 6);
        QCOMPARE(got[2], ff("CMD_existingplayers+1+Alice"));
        QCOMPARE(got[3], ff("CMD_gamestats+1+16+91+91+91+91+0+2+"));
        QCOMPARE(got[4], wire::yourCards(2, hand));
        QCOMPARE(got[5], ff("CMD_nextplayer+1+2+l+"));
        // A newcomer takes the lowest free slot: seat 3, computer-played so
        // far, with its cards; it is not seat 3's turn.
        t.out.clear();
        QCOMPARE(t.join("Carol"), 3);
        QVERIFY(t.out.to(3).at(t.out.to(3).size() - 2).startsWith("CMD_gamestats+1+16+"));
        QCOMPARE(t.out.to(3).last(), wire::yourCards(3, t.engine.table().seat(3).hand));
    }

    // Between rounds the seat that went out is still the current player,
    // but there is no turn to hand to it when it comes back.
    void returnBetweenRoundsIsNoTurn()
    {
        Table t;
        t.join("Alice");
        t.join("Bob");
        t.engine.handle(1, "CMD_startgame+Alice+100+16+0+");
        changeGame(t.engine.table(), [](GameTable::Game &g) { g.roundOver = true; });
        QCOMPARE(t.engine.table().game().currentPlayer, 2);
        t.engine.closed(2);
        t.out.clear();
        QCOMPARE(t.join("Bob again"), 2);
        for (const QByteArray &m : t.out.to(2))
            QVERIFY2(!m.startsWith("CMD_nextplayer"), m.constData());
    }

    void departureDuringTurnStartsTheComputer()
    {
        Table t;
        t.join("Alice");
        t.join("Bob");
        t.engine.handle(1, "CMD_startgame+Alice+100+16+0+");
        t.out.clear();
        t.engine.closed(2); // Bob's turn: the computer takes over after the bot interval
        QCOMPARE(t.out.timers,
                 QList<HostEngine::Timer>{HostEngine::Timer::ComputerWithBotInterval});
    }

    void hostingCopyLeavingOnItsTurn()
    {
        // Inside the program the hosting copy's departure ends the table:
        // no computer. A headless server plays the seat on.
        for (const bool hosted : {true, false}) {
            Table t;
            t.engine.setSlotOneIsHost(hosted);
            t.join("Alice");
            t.engine.handle(1, "CMD_startgame+Alice+100+16+0+");
            // Make it seat 1's turn.
            changeGame(t.engine.table(), [](GameTable::Game &g) { g.currentPlayer = 1; });
            t.out.clear();
            t.engine.closed(1);
            QCOMPARE(t.out.timers.isEmpty(), hosted);
        }
    }

    // Only the departure of the seat whose turn it is hands the seat to the
    // computer; in the program the hosting copy's own departure ends the
    // table instead.
    void departureOnTurn_data()
    {
        QTest::addColumn<int>("leaver");
        QTest::addColumn<int>("turn");
        QTest::addColumn<bool>("hosted");
        QTest::addColumn<bool>("computer");
        QTest::newRow("seat 1, hosting copy") << 1 << 1 << true << false;
        QTest::newRow("seat 1, headless") << 1 << 1 << false << true;
        QTest::newRow("seat 2") << 2 << 2 << true << true;
        QTest::newRow("seat 3") << 3 << 3 << true << true;
        QTest::newRow("seat 4") << 4 << 4 << true << true;
        QTest::newRow("seat 4, headless") << 4 << 4 << false << true;
        QTest::newRow("seat 4 while seat 3 plays") << 4 << 3 << false << false;
        QTest::newRow("seat 3 while seat 4 plays") << 3 << 4 << false << false;
        QTest::newRow("watcher while seat 4 plays") << 5 << 4 << false << false;
    }
    void departureOnTurn()
    {
        QFETCH(int, leaver);
        QFETCH(int, turn);
        QFETCH(bool, hosted);
        QFETCH(bool, computer);
        Table t;
        t.engine.setSlotOneIsHost(hosted);
        for (int i = 1; i <= 5; ++i)
            QCOMPARE(t.join("p" + QByteArray::number(i)), i);
        t.engine.handle(1, "CMD_startgame+p1+100+16+0+");
        QVERIFY(t.engine.table().game().inProgress);
        changeGame(t.engine.table(), [turn](GameTable::Game &g) {
            g.offerSeat = 0;
            g.currentPlayer = turn;
        });
        t.out.clear();
        t.engine.closed(leaver);
        QCOMPARE(t.out.timers.contains(HostEngine::Timer::ComputerWithBotInterval), computer);
        QCOMPARE(t.out.timers.size(), computer ? 1 : 0);
    }

    // Garbage and half-right requests from every connection, mixed with
    // timer expiries, joins and departures: the host keeps its books.
    void randomRequestsKeepTheTableSound()
    {
        Table t;
        for (int i = 0; i < 4; ++i)
            t.join("p" + QByteArray::number(i));
        t.engine.setTurnLimit(30000);
        t.engine.handle(1, "CMD_startgame+p0+100+8+1+");
        Random r(77);
        // (No game starts: a start with other cash would change the total.)
        const QByteArray words[] = {"CMD_logininfo",   "CMD_chat",      "CMD_action",
                                    "CMD_playasound",  "CMD_justwatch", "CMD_playcard",
                                    "CMD_buythedummy", "CMD_hiscard"};
        const QByteArray junk[] = {"", "-", "y", "n", "1", "2", "+", "1.2.0", "99999999999"};
        for (int i = 0; i < 20000; ++i) {
            const int slot = int(r.below(5)) + 1;
            switch (r.below(20)) {
            case 0: t.engine.computerTimerFired(); break;
            case 1: t.engine.roundOverTimerFired(); break;
            case 2: t.engine.closed(slot); break;
            case 3: t.connect(); break;
            case 4:
                t.now += 20000;
                t.engine.turnClockFired();
                break;
            default: {
                QByteArray m = words[r.below(std::size(words))];
                const int fields = int(r.below(6));
                for (int k = 0; k < fields; ++k)
                    m += '+' + (r.below(3) ? QByteArray::number(int(r.below(14)) - 1)
                                           : junk[r.below(std::size(junk))]);
                t.engine.handle(slot, m);
            }
            }
            if (t.engine.table().game().inProgress) {
                int money = 0;
                for (int s = 1; s <= 4; ++s)
                    money += t.engine.table().seat(s).cash;
                for (int p = 1; p <= 9; ++p)
                    money += t.engine.table().game().pots[p];
                QCOMPARE(money, 400);
            }
        }
    }

    // A turn or offer a person lets run past the limit is made for him by
    // the computer, after a system line that names him. A timer that fires
    // early runs again for the rest.
    void turnClock_data()
    {
        QTest::addColumn<bool>("dummy");
        QTest::addColumn<qint64>("waited");
        QTest::newRow("turn at the limit") << false << Table::TurnLimit;
        QTest::newRow("turn just before it") << false << Table::TurnLimit - 1;
        QTest::newRow("offer at the limit") << true << Table::TurnLimit;
        QTest::newRow("offer just before it") << true << Table::TurnLimit - 1;
    }
    void turnClock()
    {
        QFETCH(bool, dummy);
        QFETCH(qint64, waited);
        const bool moved = waited == Table::TurnLimit;
        Table t;
        t.startTimedGame(dummy, dummy ? "Alice" : "B|ob");
        QCOMPARE(t.out.turnClockMs, Table::TurnLimit);
        t.out.clear();
        t.expireAfter(waited);
        // Alice is the dealer, offered the dummy hand first; a "|" in a name
        // would cut the line and spoil its colour.
        const QByteArray line = ff("CMD_chat+0+" + QByteArray(dummy ? "Alice" : "B/ob") +
                                   HostEngine::OutOfTimeText + "|clGreen");
        const QByteArrayList toBob = t.out.to(2);
        QCOMPARE(toBob.value(0) == line, moved);
        if (!moved) {
            QCOMPARE(t.out.turnClockMs, 1);
            return;
        }
        // The move goes out like any other, after the line.
        const QByteArrayList next =
            dummy ? QByteArrayList{"CMD_nextplayer+1+2+b+", "CMD_boughtdummy+1+"}
                  : QByteArrayList{"CMD_addtocash+2+", "CMD_hiscard+2+"};
        QVERIFY2(toBob.value(1).startsWith(next[0]) || toBob.value(1).startsWith(next[1]),
                 toBob.value(1).constData());
    }

    // Time spent in a wait that has ended never counts: not a turn played
    // just before the limit, not the time the seat was the computer's. A
    // player who leaves on his turn takes his clock with him.
    void turnClockStartsAfresh()
    {
        Table t;
        t.startTimedGame(false);
        t.now += Table::TurnLimit - 1;
        t.engine.handle(2, "CMD_playcard+2+" +
                               QByteArray::number(lowestSlot(t.engine.table().seat(2).hand)) + "+");
        QVERIFY(t.engine.table().seat(2).lastCard != NoCard);
        t.out.clear();
        t.expireAfter(1);
        QVERIFY(!t.out.anySent("CMD_chat"));

        Table w;
        w.startTimedGame(false);
        w.now += 20000;
        w.engine.handle(2, "CMD_justwatch+2+1");
        QCOMPARE(w.out.turnClockMs, -1);
        w.engine.handle(2, "CMD_justwatch+2+2");
        QCOMPARE(w.out.turnClockMs, Table::TurnLimit);
        w.out.clear();
        w.engine.computerTimerFired(); // started by the switch: finds a person there
        w.expireAfter(Table::TurnLimit - 1);
        QVERIFY(!w.out.anySent("CMD_hiscard"));
        w.expireAfter(1);
        QVERIFY(w.out.anySent("CMD_hiscard"));

        Table left;
        left.startTimedGame(false);
        left.engine.closed(2);
        QCOMPARE(left.out.turnClockMs, -1);
        // Off, there is no clock at all.
        left.engine.setTurnLimit(0);
        left.join("Bob");
        QCOMPARE(left.out.turnClockMs, -1);
    }

    void disconnectSockClosesOnlySlotsInUse()
    {
        Table t;
        t.join("Alice");
        t.engine.disconnectSock(1);
        t.engine.disconnectSock(2);
        t.engine.disconnectSock(0);
        t.engine.disconnectSock(11);
        QCOMPARE(t.out.closed, QList<int>{1});
    }
};

QTEST_GUILESS_MAIN(TestHostEngine)
#include "tst_hostengine.moc"
