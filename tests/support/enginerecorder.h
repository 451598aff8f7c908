#pragma once

#include "host/hostengine.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <functional>

namespace velmora {

// Stands in for the host's sockets and timers: keeps what the engine sends
// (in the order sent), the connections it closes, the timer requests and
// its log, and models the two one-shot timers as armed or not, so that a
// test or benchmark can play whole games by firing them itself. Under a
// GameTable of its own it stands in for the engine as well: a message to
// the whole table is kept as sent to slot ToAll, and the seats in
// `computerSeats` are the computer's.
class EngineRecorder : public HostEngine::Output, public GameTable::Host
{
public:
    using Timer = HostEngine::Timer;
    static constexpr int ToAll = 0;

    struct Sent
    {
        int slot;
        QByteArray message; // as sent, with its terminator
        friend bool operator==(const Sent &, const Sent &) = default;
    };

    // Keep the messages to every slot, ...
    static constexpr int EverySlot = 0;
    // ... or keep nothing but the timers' state and the byte count: what a
    // benchmark can afford.
    static constexpr int NoSlot = -1;

    // Keeps the messages to `keep` only when it names a slot.
    explicit EngineRecorder(int keep = EverySlot) : m_keep(keep) {}

    QList<Sent> sent;
    QList<int> closed;
    QList<Timer> timers;
    QStringList logs;
    bool computerArmed = false;
    bool roundOverArmed = false;
    qint64 turnClockMs = -1;   // the turn clock's interval while it runs, else -1
    bool unterminated = false; // a kept message lacked its terminator
    std::uint64_t bytes = 0;
    PerSeat<bool> computerSeats{true, true, true, true};
    // Runs after each send is recorded, to act in the middle of a broadcast
    // (not when nothing is kept).
    std::function<void(int, const QByteArray &)> onSend;

    // A benchmark's send and timer request cost no more than the count and
    // the timer's state: keeping is out of line, where its register saves
    // stay.
    void send(int slot, const QByteArray &message) override
    {
        bytes += std::uint64_t(message.size());
        if (m_keep != NoSlot)
            keep(slot, message);
    }
    void closeSlot(int slot) override
    {
        if (m_keep != NoSlot)
            closed.append(slot);
    }
    void timer(Timer request) override
    {
        switch (request) {
        case Timer::ComputerWithBotInterval:
        case Timer::ComputerUnchanged: computerArmed = true; break;
        case Timer::StopComputer: computerArmed = false; break;
        case Timer::StartRoundOver: roundOverArmed = true; break;
        case Timer::StopRoundOver: roundOverArmed = false; break;
        }
        if (m_keep != NoSlot)
            keepTimer(request);
    }
    void startTurnClock(qint64 ms) override { turnClockMs = ms; }
    void stopTurnClock() override { turnClockMs = -1; }
    void log(const QString &line) override
    {
        if (m_keep != NoSlot)
            logs.append(line);
    }

    void toPlayer(int player, QByteArray &message) override { send(player, message); }
    void toAll(QByteArray &message) override { send(ToAll, message); }
    bool isComputerDriven(int seat) const override
    {
        return isSeat(seat) && computerSeats[seat - 1];
    }

    // Forgets what was kept; the timers stay as they are.
    void clear()
    {
        sent.clear();
        closed.clear();
        timers.clear();
        logs.clear();
    }

    // The messages to `slot`, as sent.
    QByteArrayList to(int slot) const
    {
        QByteArrayList list;
        for (const Sent &s : sent)
            if (s.slot == slot)
                list.append(s.message);
        return list;
    }
    // The messages to `slot` without their terminators, only those of one
    // command word when `command` is given.
    QByteArrayList texts(int slot, const QByteArray &command = {}) const
    {
        QByteArrayList list;
        for (const Sent &s : sent)
            if (s.slot == slot && (command.isEmpty() || commandOf(s.message) == command))
                list.append(s.message.chopped(1));
        return list;
    }
    bool anySent(const QByteArray &command) const
    {
        return std::any_of(sent.begin(), sent.end(),
                           [&](const Sent &s) { return commandOf(s.message) == command; });
    }

    // Fires whichever timer is armed, the computer's first, as the server
    // would when it expires. False when none is: the table waits for a
    // person (or stalls).
    bool fireTimer(HostEngine &engine)
    {
        if (computerArmed) {
            computerArmed = false;
            engine.computerTimerFired();
        } else if (roundOverArmed) {
            roundOverArmed = false;
            engine.roundOverTimerFired();
        } else {
            return false;
        }
        return true;
    }

    static QByteArray commandOf(const QByteArray &message)
    {
        const qsizetype plus = message.indexOf('+');
        return plus < 0 ? message.chopped(message.endsWith('\xff') ? 1 : 0) : message.left(plus);
    }

    // A built request as the engine takes it: without its terminator.
    static QByteArray request(QByteArray message)
    {
        message.chop(1);
        return message;
    }

private:
    [[gnu::noinline]] void keep(int slot, const QByteArray &message)
    {
        if (m_keep == EverySlot || m_keep == slot) {
            unterminated = unterminated || !message.endsWith('\xff');
            sent.append({slot, message});
        }
        if (onSend)
            onSend(slot, message);
    }
    [[gnu::noinline]] void keepTimer(Timer request) { timers.append(request); }

    int m_keep;
};

// Put a table's game or one of its seats in another position: `edit`
// changes a copy, which the table then takes.
template <typename Edit>
void changeGame(GameTable &table, Edit edit)
{
    GameTable::Game game = table.game();
    edit(game);
    table.setGame(game);
}
template <typename Edit>
void changeSeat(GameTable &table, int seat, Edit edit)
{
    GameTable::Seat state = table.seat(seat);
    edit(state);
    table.setSeat(seat, state);
}

} // namespace velmora
