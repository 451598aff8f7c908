#pragma once

#include "base/version.h"

#include "gametable.h"
#include "protocol/messages.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <deque>
#include <functional>

namespace velmora {

class Random;

// The host's connections: slots, login, per-connection queues, relaying,
// the just-watch switch and departures. The game itself is its GameTable,
// which it feeds the game requests it has checked and whose messages it
// carries. It owns no socket and no timer: it is fed connections, received
// messages and timer expiries, and it answers through an Output with the
// bytes to send (to which slot, in order), the connections to close and the
// timer requests. A seeded Random makes a whole game reproducible.
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
// one per ChatIntervalMs; game requests are never held back. With a turn
// limit set, a person who lets his turn or the dummy-hand offer run past it
// has that one move made for him by the computer, and the table is told.
class HostEngine : private GameTable::Host
{
public:
    static constexpr int TurnedAwaySlot = SlotCount + 1; // only ever used to send "CMD_full+"

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
    // Follows the name of a player whose turn ran out, as a system line to
    // everybody.
    static constexpr const char *OutOfTimeText = " ran out of time; the computer made the move.";

    // Milliseconds on a steady clock, for the chatter allowance.
    using Clock = std::function<qint64()>;

    using Timer = GameTable::Timer;

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
        // The turn clock: expire in `ms` from now (restarting it), or not.
        virtual void startTurnClock(qint64 ms) { (void)ms; }
        virtual void stopTurnClock() {}
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

    HostEngine(Output &out, Random &random, QByteArray version = VersionText);

    // In the program, slot 1 is the hosting player's own copy: when it leaves
    // the table is ending anyway, so its departure does not start the
    // computer. A headless table server has no such copy.
    void setSlotOneIsHost(bool hosted) { m_slotOneIsHost = hosted; }
    // How the computer plays the seats nobody plays, from its next move on.
    void setComputerStrength(ComputerStrength strength)
    {
        m_table.setComputerPlayer(makeComputerPlayer(strength, m_random));
    }
    // Tests drive the chatter allowance and the turn clock with a clock of
    // their own.
    void setClock(Clock clock) { m_clock = std::move(clock); }
    // How long a person may take over a turn or the dummy offer, in ms; 0
    // (the default) lets him take as long as he likes. A turn under way
    // starts its time afresh.
    void setTurnLimit(qint64 ms);
    qint64 turnLimit() const { return m_turnLimit; }

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
    void turnClockFired();

    bool isComputerDriven(int seat) const override;

    const Connection &connection(int slot) const { return m_slots[slot]; }
    int slotCount() const { return m_slotCount; }
    const GameTable &table() const { return m_table; }
    // Tests and benchmarks set up positions through it.
    GameTable &table() { return m_table; }

private:
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

    // The turn clock times one wait for a person: a seat's turn or offer,
    // told apart from the same seat's next one by the table's count.
    struct Wait
    {
        int seat = 0; // 0: nobody is waited for
        quint64 turn = 0;
        friend bool operator==(const Wait &, const Wait &) = default;
    };
    Wait personWaitedFor() const;
    // Starts, restarts or stops the clock after anything that may have
    // moved the turn, handed a seat to the computer or back.
    void updateTurnClock();
    void outOfTime(int seat);

    // connection handlers
    void loginInfo(int from, const QByteArray &rest);
    void relay(int from, Cmd cmd, const QByteArray &rest);
    void justWatch(int from, const QByteArray &rest);
    void startGameRequest(int from, const QByteArray &rest);
    void playCardRequest(int from, const QByteArray &rest);
    void buyTheDummyRequest(int from, const QByteArray &rest);

    // GameTable::Host
    void toPlayer(int player, QByteArray &message) override;
    void toAll(QByteArray &message) override { sendAllBut(0, message); }
    void timer(Timer request) override { m_out.timer(request); }

    Output &m_out;
    Random &m_random;
    QByteArray m_version;
    bool m_slotOneIsHost = true;

    std::array<Connection, TurnedAwaySlot + 1> m_slots{}; // 1..10; index 0 unused
    int m_slotCount = 0;
    GameTable m_table{*this, m_random};
    std::array<Inbox, SlotCount + 1> m_inboxes{}; // 1..9; index 0 unused
    qsizetype m_queued = 0;
    int m_lastServed = 0;
    Clock m_clock;
    qint64 m_turnLimit = 0;
    Wait m_timed;
    qint64 m_timedSince = 0;
    // Every outgoing message is built here, one at a time, and this one
    // array is handed to all its addressees: once it has grown to the
    // longest message, sending allocates nothing. An Output that keeps the
    // array shares it, and the next message then starts a fresh one.
    QByteArray m_message;
};

} // namespace velmora
