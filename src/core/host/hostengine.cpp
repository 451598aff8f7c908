#include "hostengine.h"

#include "protocol/command.h"
#include "protocol/fieldreader.h"
#include "protocol/table.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace velmora {

HostEngine::HostEngine(Output &out, Random &random, QByteArray version)
    : m_out(out), m_random(random), m_version(std::move(version)), m_clock([] {
          return qint64(std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count());
      })
{
}

int HostEngine::acceptSlot()
{
    int slot = 0;
    for (int s = 1; s <= m_slotCount; ++s) {
        if (!m_slots[s].inUse) {
            slot = s;
            break;
        }
    }
    if (slot == 0) {
        if (m_slotCount >= SlotCount)
            return TurnedAwaySlot;
        slot = ++m_slotCount;
    }
    // A fresh connection starts with a clean record; the seat's cash and
    // cards stay for whoever takes it.
    m_slots[slot] = Connection{};
    m_slots[slot].inUse = true;
    return slot;
}

void HostEngine::connected(int slot)
{
    if (slot == TurnedAwaySlot) {
        sendTo(slot, wire::full(m_message));
        m_out.closeSlot(slot);
        return;
    }
    if (!isSlot(slot) || !m_slots[slot].inUse)
        return;
    sendTo(slot, wire::sendLoginInfo(m_message, slot));
    // A person in the seat whose turn it is: his time starts now.
    updateTurnClock();
}

void HostEngine::closed(int slot)
{
    if (!isSlot(slot) || !m_slots[slot].inUse)
        return;
    // A connection that never logged in was never announced either.
    if (m_slots[slot].loggedIn)
        sendAllBut(slot, wire::playerDisconnected(m_message, slot, m_slots[slot].name));
    m_slots[slot] = Connection{};
    // What the departed connection still had queued is no longer anybody's:
    // acting on it later would act for whoever takes the slot next.
    dropQueue(slot);

    updateTurnClock();
    const GameTable::Game &game = m_table.game();
    if (!game.inProgress || game.roundOver || !isSeat(slot))
        return;
    const bool turn = slot == game.currentPlayer && !(slot == 1 && m_slotOneIsHost);
    // The table would otherwise wait for a stranger to answer the offer.
    const bool offer = slot == game.offerSeat;
    if (turn || offer)
        m_out.timer(Timer::ComputerWithBotInterval);
}

void HostEngine::computerTimerFired()
{
    m_table.computerTimerFired();
    updateTurnClock();
}

void HostEngine::roundOverTimerFired()
{
    m_table.roundOverTimerFired();
    updateTurnClock();
}

void HostEngine::setTurnLimit(qint64 ms)
{
    m_turnLimit = std::max<qint64>(ms, 0);
    m_timed = Wait{};
    m_out.stopTurnClock();
    updateTurnClock();
}

HostEngine::Wait HostEngine::personWaitedFor() const
{
    const GameTable::Game &game = m_table.game();
    if (m_turnLimit == 0 || !game.inProgress || game.roundOver)
        return {};
    const int seat = game.offerSeat != 0 ? game.offerSeat : game.currentPlayer;
    if (!isSeat(seat) || isComputerDriven(seat))
        return {};
    return {seat, m_table.turnsHandedOut()};
}

void HostEngine::updateTurnClock()
{
    const Wait wait = personWaitedFor();
    if (wait == m_timed)
        return;
    m_timed = wait;
    if (wait.seat == 0) {
        m_out.stopTurnClock();
        return;
    }
    m_timedSince = m_clock();
    m_out.startTurnClock(m_turnLimit);
}

void HostEngine::turnClockFired()
{
    const Wait wait = personWaitedFor();
    if (wait.seat == 0 || !(wait == m_timed)) {
        // A late expiry of a wait that has ended since.
        updateTurnClock();
        return;
    }
    // A timer may fire a little early; the rest of the time still counts.
    const qint64 waited = m_clock() - m_timedSince;
    if (waited < m_turnLimit) {
        m_out.startTurnClock(m_turnLimit - waited);
        return;
    }
    outOfTime(wait.seat);
    updateTurnClock();
}

void HostEngine::outOfTime(int seat)
{
    QByteArray name = m_slots[seat].name;
    if (name.isEmpty())
        name = "Player " + QByteArray::number(seat);
    // A "|" would end the line early and make the rest a colour.
    name.replace('|', '/');
    m_out.log(QStringLiteral("slot %1: out of time; the computer moves").arg(seat));
    m_message = "CMD_chat+0+" + name + OutOfTimeText + "|clGreen\xFF";
    sendAll(m_message);
    m_table.moveFor(seat);
}

void HostEngine::disconnectSock(int slot)
{
    if (isSlot(slot) && m_slots[slot].inUse)
        m_out.closeSlot(slot);
}

bool HostEngine::received(int slot, const QByteArray &message)
{
    if (!isSlot(slot) || !m_slots[slot].inUse)
        return false;
    Inbox &inbox = m_inboxes[slot];
    if (qsizetype(inbox.messages.size()) >= QueueLimit ||
        inbox.bytes + message.size() > QueueBytesLimit) {
        m_out.log(QStringLiteral("slot %1: more than %2 messages or %3 KiB waiting; closing")
                      .arg(slot)
                      .arg(QueueLimit)
                      .arg(QueueBytesLimit / 1024));
        dropQueue(slot);
        m_out.closeSlot(slot);
        return false;
    }
    inbox.messages.push_back(message);
    inbox.bytes += message.size();
    ++m_queued;
    return true;
}

qsizetype HostEngine::queued(int slot) const
{
    return isSlot(slot) ? qsizetype(m_inboxes[slot].messages.size()) : 0;
}

void HostEngine::dropQueue(int slot)
{
    Inbox &inbox = m_inboxes[slot];
    m_queued -= qsizetype(inbox.messages.size());
    inbox.messages.clear();
    inbox.bytes = 0;
}

bool HostEngine::dispatchOne()
{
    if (m_queued == 0)
        return false;
    for (int i = 1; i <= SlotCount; ++i) {
        const int slot = (m_lastServed + i - 1) % SlotCount + 1;
        Inbox &inbox = m_inboxes[slot];
        if (inbox.messages.empty())
            continue;
        m_lastServed = slot;
        const QByteArray message = std::move(inbox.messages.front());
        inbox.messages.pop_front();
        inbox.bytes -= message.size();
        --m_queued;
        handle(slot, message);
        return true;
    }
    return false;
}

void HostEngine::handle(int slot, const QByteArray &message)
{
    const SplitMessage split = splitMessage(message);
    if (!split.cmd)
        return;
    switch (*split.cmd) {
    case Cmd::LoginInfo: loginInfo(slot, split.rest); break;
    case Cmd::Chat:
    case Cmd::Action:
    case Cmd::PlayASound: relay(slot, *split.cmd, split.rest); break;
    case Cmd::JustWatch: justWatch(slot, split.rest); break;
    case Cmd::StartGame: startGameRequest(slot, split.rest); break;
    case Cmd::PlayCard: playCardRequest(slot, split.rest); break;
    case Cmd::BuyTheDummy: buyTheDummyRequest(slot, split.rest); break;
    default: break; // host-to-client words are not requests
    }
    updateTurnClock();
}

// The message's array is lent out while it is handed over and taken back
// after: should an Output call back into the engine, a message built
// meanwhile gets an array of its own instead of overwriting this one halfway
// through a broadcast.
void HostEngine::sendTo(int slot, QByteArray &message)
{
    QByteArray lent = std::exchange(message, QByteArray());
    m_out.send(slot, lent);
    message = std::move(lent);
}

void HostEngine::sendAll(QByteArray &message) { sendAllBut(0, message); }

void HostEngine::toPlayer(int player, QByteArray &message)
{
    if (isSlot(player) && m_slots[player].inUse)
        sendTo(player, message);
}

void HostEngine::sendAllBut(int except, QByteArray &message)
{
    QByteArray lent = std::exchange(message, QByteArray());
    for (int s = 1; s <= m_slotCount; ++s)
        if (s != except && m_slots[s].inUse)
            m_out.send(s, lent);
    message = std::move(lent);
}

void HostEngine::drop(int slot, const QByteArray &message, const char *why)
{
    QByteArray shown = message.left(120);
    for (char &c : shown)
        if (static_cast<unsigned char>(c) < 0x20)
            c = '.';
    m_out.log(QStringLiteral("slot %1: dropped %2: %3")
                  .arg(slot)
                  .arg(QString::fromLatin1(why), QString::fromLatin1(shown)));
}

bool HostEngine::isComputerDriven(int seat) const
{
    return isSeat(seat) && (!m_slots[seat].inUse || m_slots[seat].justWatch);
}

void HostEngine::loginInfo(int from, const QByteArray &rest)
{
    FieldReader reader(rest);
    const auto player = reader.number(1, SlotCount);
    const auto version = reader.field();
    if (!player || !version) {
        drop(from, rest, "malformed CMD_logininfo");
        return;
    }
    if (*player != from) {
        drop(from, rest, "CMD_logininfo for another player");
        return;
    }
    const int n = *player;
    // A second login would announce the player again, and every watchers
    // list would keep a line that no departure removes.
    if (m_slots[n].loggedIn) {
        drop(from, rest, "a second CMD_logininfo");
        return;
    }
    m_slots[n].name = reader.rest();
    m_slots[n].inUse = true;
    m_slots[n].loggedIn = true;

    sendAll(wire::newPlayerInfo(m_message, n, m_slots[n].name));
    for (int k = 1; k <= m_slotCount; ++k)
        if (k != n && m_slots[k].inUse)
            sendTo(n, wire::existingPlayers(m_message, k, m_slots[k].name));
    if (*version != m_version) {
        if (m_slots[1].inUse)
            sendTo(1, wire::haveWrongVersion(m_message, m_slots[n].name));
        sendTo(n, wire::wrongVersion(m_message));
    }
    m_table.bringUpToDate(n);
}

void HostEngine::relay(int from, Cmd cmd, const QByteArray &rest)
{
    FieldReader reader(rest);
    const auto player = reader.number(1, SlotCount);
    if (!player) {
        drop(from, rest, "malformed relay request");
        return;
    }
    if (*player != from) {
        drop(from, rest, "relay request in another player's name");
        return;
    }
    if (!chatterAllowed(from))
        return;
    const QByteArray text = reader.rest();
    const QByteArray &name = m_slots[from].name;
    switch (cmd) {
    case Cmd::Chat: sendAll(wire::chat(m_message, from, name, text)); break;
    case Cmd::Action: sendAll(wire::action(m_message, from, name, text)); break;
    default: sendAll(wire::playASound(m_message, from, text)); break;
    }
}

bool HostEngine::chatterAllowed(int slot)
{
    Connection &c = m_slots[slot];
    const qint64 now = m_clock();
    // A full bucket means the sender paused: a later flood is a new burst
    // and earns a new notice. One that keeps going hears of it only once.
    if (now >= c.chatFullAt)
        c.chatNoticeSent = false;
    const qint64 fullAt = std::max(c.chatFullAt, now) + ChatIntervalMs;
    if (fullAt - now <= ChatBurst * ChatIntervalMs) {
        c.chatFullAt = fullAt;
        return true;
    }
    if (!c.chatNoticeSent) {
        c.chatNoticeSent = true;
        m_out.log(QStringLiteral("slot %1: chatting too fast; dropping lines").arg(slot));
        m_message = "CMD_chat+0+" + QByteArray(TooFastNotice) + "|clGreen\xFF";
        sendTo(slot, m_message);
    }
    return false;
}

void HostEngine::justWatch(int from, const QByteArray &rest)
{
    FieldReader reader(rest);
    const auto seat = reader.number(1, SeatCount);
    const QByteArray value = reader.rest();
    if (!seat) {
        drop(from, rest, "malformed CMD_justwatch");
        return;
    }
    // Slot 1 is the hosting player, whose seat menu switches any seat.
    if (*seat != from && from != 1) {
        drop(from, rest, "CMD_justwatch for another seat");
        return;
    }
    const int n = *seat;
    if (!m_slots[n].inUse) {
        drop(from, rest, "CMD_justwatch for an empty seat");
        return;
    }
    if (value == "2") {
        m_slots[n].justWatch = false;
        sendAll(wire::justWatching(m_message, n, JustWatchOff));
    } else if (value == "1") {
        m_slots[n].justWatch = true;
        sendAll(wire::justWatching(m_message, n, JustWatchOn));
        if (n == m_table.game().currentPlayer || n == m_table.game().offerSeat)
            m_out.timer(Timer::ComputerUnchanged);
    }
}

void HostEngine::startGameRequest(int from, const QByteArray &rest)
{
    if (from != 1) {
        drop(from, rest, "CMD_startgame from a slot other than the host's");
        return;
    }
    // The starter's name may contain "+", so the numbers are read from the
    // right: cash, rounds per game and dummy flag are the last three fields.
    const auto fields = splitFromRight(rest, 3);
    if (!fields) {
        drop(from, rest, "malformed CMD_startgame");
        return;
    }
    const QList<QByteArray> &parts = *fields; // name, cash, rounds, dummy flag
    const auto cash = FieldReader::toNumber(parts[1]);
    const auto rounds = FieldReader::toNumber(parts[2]);
    // Bounds keep every sum of cash and pots far from overflow.
    if (!cash || !rounds || *cash < -MaxStartCash || *cash > MaxStartCash || *rounds < 0 ||
        *rounds > 10000) {
        drop(from, rest, "malformed CMD_startgame");
        return;
    }
    // A new game hands every seat back to its player.
    for (int s = 1; s <= SeatCount; ++s)
        m_slots[s].justWatch = false;
    m_table.startGame(parts[0], *cash, *rounds, parts[3] == "1");
}

void HostEngine::playCardRequest(int from, const QByteArray &rest)
{
    FieldReader reader(rest);
    const auto seat = reader.number(1, SeatCount);
    const auto slot = reader.number();
    if (!seat || !slot) {
        drop(from, rest, "malformed CMD_playcard");
        return;
    }
    if (*seat != from) {
        drop(from, rest, "CMD_playcard for another seat");
        return;
    }
    m_table.play(*seat, *slot);
}

void HostEngine::buyTheDummyRequest(int from, const QByteArray &rest)
{
    FieldReader reader(rest);
    const auto seat = reader.number(1, SeatCount);
    const auto answer = reader.field();
    if (!seat || !answer) {
        drop(from, rest, "malformed CMD_buythedummy");
        return;
    }
    if (*seat != from) {
        drop(from, rest, "CMD_buythedummy for another seat");
        return;
    }
    m_table.answerOffer(*seat, *answer == "y");
}

} // namespace velmora
