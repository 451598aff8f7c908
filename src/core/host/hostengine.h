#pragma once

#include "base/version.h"

#include "cards/deck.h"
#include "cards/pots.h"
#include "protocol/messages.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <deque>
#include <functional>

namespace velmora {

class Random;

// The host's brain: connection slots, login, relaying, the just-watch switch,
// departures, and the rules of a game (deal, dummy-hand sale, judging plays,
// pots, round and game end, computer players). It owns no socket and no
// timer: it is fed connections, received messages and timer expiries, and it
// answers through an Output with the bytes to send (to which slot, in order),
// the connections to close and the timer requests. A seeded Random makes a
// whole game reproducible.
//
// Requests are acted on only for the slot of the connection they came on:
// a request naming another player number is dropped and logged. The one
// exception is "CMD_justwatch" from slot 1 (the hosting player's seat menu).
// A game start is taken from slot 1 only. Every request is checked whole
// before anything changes.
//
// Nobody at the table can stall it: each connection has its own queue, the
// queues take turns (one message per dispatch), a connection that lets more
// than QueueLimit messages or QueueBytesLimit bytes pile up is closed, and
// chat, actions and chatter sounds pass at most ChatBurst at once and then
// one per ChatIntervalMs; game requests are never held back.
class HostEngine
{
public:
    static constexpr int MaxSlots = 9; // 1..4 seats, 5..9 watchers
    static constexpr int Seats = 4;
    static constexpr int TurnedAwaySlot = 10; // only ever used to send "CMD_full+"

    // What one connection may have waiting: far more than a person sends
    // between two of its turns, far less than it takes to hurt the host.
    static constexpr qsizetype QueueLimit = 256;
    static constexpr qsizetype QueueBytesLimit = 256 * 1024;
    // Chatter allowance per connection: a burst of five lines, then two a
    // second.
    static constexpr int ChatBurst = 5;
    static constexpr qint64 ChatIntervalMs = 500;
    // Sent to a connection whose chatter was dropped, once per burst: not
    // again until its allowance has filled up again.
    static constexpr const char *TooFastNotice =
        "You are sending too fast; some lines or sounds were not sent.";

    // Milliseconds on a steady clock, for the chatter allowance.
    using Clock = std::function<qint64()>;

    enum class Timer {
        ComputerWithBotInterval, // set the computer timer to the bot interval and start it
        ComputerUnchanged,       // start the computer timer with the interval it has
        StopComputer,
        StartRoundOver,
        StopRoundOver,
    };

    class Output
    {
    public:
        virtual ~Output() = default;
        // `message` is the engine's own reusable array: copying it (which
        // shares it) is the way to keep it beyond the call.
        virtual void send(int slot, const QByteArray &message) = 0;
        virtual void closeSlot(int slot) = 0;
        virtual void timer(Timer request) = 0;
        virtual void log(const QString &line) { (void)line; }
    };

    struct Connection
    {
        QByteArray name;
        bool inUse = false;
        bool loggedIn = false; // a connection logs in once
        bool justWatch = false;
        // The chatter allowance as a token bucket kept in one number: the
        // moment the bucket is full again. Each line moves it one interval
        // later; a line that would move it more than a burst ahead of now
        // is dropped.
        qint64 chatFullAt = 0;
        bool chatNoticeSent = false;
    };

    struct Seat
    {
        int cash = 0;
        int lastCard = NoCard;
        int cardBeforeLast = NoCard;
        Hand hand{}; // hand slots 1..11 at indexes 0..10
    };

    struct Game
    {
        bool inProgress = false;
        bool roundOver = false; // between a round's end and the next round
        int round = 0;
        int roundsPerGame = 0;
        std::array<int, PotCount + 1> pots{}; // pots 1..9; index 0 unused
        Hand dummy{};
        int tableCard = NoCard;
        int dealer = 0;
        int currentPlayer = 0;
        int offerSeat = 0;
        bool dummyHandsOn = false;
    };

    HostEngine(Output &out, Random &random, QByteArray version = VersionText);

    // In the program, slot 1 is the hosting player's own copy: when it leaves
    // the table is ending anyway, so its departure does not start the
    // computer. A headless table server has no such copy.
    void setSlotOneIsHost(bool hosted) { m_slotOneIsHost = hosted; }
    // Tests drive the chatter allowance with a clock of their own.
    void setClock(Clock clock) { m_clock = std::move(clock); }

    // A connection is waiting: picks its slot (the lowest free one), marks it
    // in use and returns it. Returns TurnedAwaySlot when all nine are taken.
    int acceptSlot();
    // The connection now sits in `slot`: asks it to log in, or turns it away
    // with "CMD_full+" and closes it.
    void connected(int slot);
    // The connection of `slot` closed: the departure.
    void closed(int slot);
    // The hosting user removes a player or watcher.
    void disconnectSock(int slot);

    // A complete message (without its 0xFF) from `slot`'s connection joins
    // that connection's queue. Returns false when it was not queued: the
    // slot is not in use, or its queue is over the limit and the connection
    // is being closed (the departure follows through closed()).
    bool received(int slot, const QByteArray &message);
    // Handles one queued message: the oldest of the next connection in turn
    // after the one served last. Returns false when none was queued.
    bool dispatchOne();
    bool hasQueued() const { return m_queued > 0; }
    qsizetype queued() const { return m_queued; }
    qsizetype queued(int slot) const;

    // Handles one message at once, bypassing the queue.
    void handle(int slot, const QByteArray &message);

    void computerTimerFired();
    void roundOverTimerFired();

    bool isComputerDriven(int seat) const;

    const Connection &connection(int slot) const { return m_slots[slot]; }
    int slotCount() const { return m_slotCount; }
    const Game &game() const { return m_game; }
    const Seat &seat(int seat) const { return m_seats[seat]; }

private:
    // Tests and benchmarks set up positions directly (tests/engineaccess.h).
    friend struct EngineAccess;

    struct Inbox
    {
        std::deque<QByteArray> messages;
        qsizetype bytes = 0;
    };

    // Hand out a message built in m_message (see there).
    void sendTo(int slot, QByteArray &message);
    void sendAll(QByteArray &message);
    void sendAllBut(int except, QByteArray &message);
    void drop(int slot, const QByteArray &message, const char *why);
    void dropQueue(int slot);
    bool chatterAllowed(int slot);
    std::array<int, 4> cashOfSeats() const;
    int cardsHeld(int seat) const;

    // connection handlers
    void loginInfo(int from, const QByteArray &rest);
    void relay(int from, Cmd cmd, const QByteArray &rest);
    void justWatch(int from, const QByteArray &rest);
    void sendGameState(int player);

    // rules (hostrules.cpp)
    void startGameRequest(int from, const QByteArray &rest);
    void playCardRequest(int from, const QByteArray &rest);
    void buyTheDummyRequest(int from, const QByteArray &rest);

    void startGame(const QByteArray &starter, int cash, int rounds, bool dummyOn);
    void startRound();
    void findPlayer();
    void dealCards();
    void buyTheDummy(int seat, bool buy);
    void startComputerFor(int seat);
    void playCard(int seat, int handSlot);
    bool checkForLowest(int seat, int handSlot) const;
    void setCard(int seat, int handSlot);
    void addToCash(int seat, int pot);
    void endRound(int seat);
    bool checkForWin();
    void computerBuyDummy(int seat);
    void computerPlay(int seat);
    void computerLowest(int seat);

    Output &m_out;
    Random &m_random;
    QByteArray m_version;
    bool m_slotOneIsHost = true;

    std::array<Connection, TurnedAwaySlot + 1> m_slots{}; // 1..10; index 0 unused
    std::array<Seat, Seats + 1> m_seats{};                // 1..4; index 0 unused
    int m_slotCount = 0;
    Game m_game;
    Deck m_deck;
    std::array<Inbox, MaxSlots + 1> m_inboxes{}; // 1..9; index 0 unused
    qsizetype m_queued = 0;
    int m_lastServed = 0;
    Clock m_clock;
    // Every outgoing message is built here, one at a time, and this one
    // array is handed to all its addressees: once it has grown to the
    // longest message, sending allocates nothing. An Output that keeps the
    // array shares it, and the next message then starts a fresh one.
    QByteArray m_message;
};

} // namespace velmora
