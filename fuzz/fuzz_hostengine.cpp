// The host engine driven as a table of hostile and unlucky players would
// drive it: connections come and go, requests (well-formed, wrong and
// garbage) arrive from any slot and are dispatched at any moment, and the
// computer and round-over timers expire whenever they are running. After
// every step the table must be sound:
//   * money is conserved across the seats and the pots (a new game sets it
//     anew; a game's end may lose only the pots' remainder of the division
//     by four);
//   * no card is in two places at once, and while the dummy hand is on
//     offer the hands and the dummy hold the whole deck;
//   * the turn, the dealer and the offer are always a seat or none;
//   * a table whose next move is the computer's has its timer running, so
//     nobody can stall it;
//   * everything the host sends is read by the game's own client without
//     an error.

#include "fuzzsupport.h"

#include "../tests/support/enginerecorder.h"

#include "base/config.h"
#include "base/error.h"
#include "cards/random.h"
#include "client/clientsession.h"
#include "client/tablemodel.h"
#include "host/hostengine.h"
#include "protocol/framer.h"

#include <array>
#include <memory>
#include <set>

using namespace velmora;

namespace {

constexpr int Slots = SlotCount;

// The game's own client on the far end of one slot.
struct Client
{
    ClientSession session;
    Random random{7};
    TableModel table{random};
    QList<QByteArray> requests;

    explicit Client(const QByteArray &name)
    {
        session.setLoginName(name);
        session.setTable(&table);
        QObject::connect(&session, &ClientSession::request,
                         [this](const QByteArray &m) { requests.append(m); });
    }
};

// The recorder keeps the two timers' state (computerArmed, roundOverArmed:
// the server's single-shot timers, running or not) and nothing else.
struct Harness : EngineRecorder
{
    Random random;
    HostEngine engine{*this, random};
    std::array<std::unique_ptr<Client>, Slots + 1> clients;
    QList<int> toClose;
    bool hostLeft = false; // the hosting copy's slot 1 closed: the table ends
    bool slotOneIsHost = true;
    // The turn clock runs on the input's own time, so that an expiry may come
    // early, on time, late or after its wait ended.
    qint64 now = 0;
    bool turnClockArmed = false;

    explicit Harness(std::uint32_t seed) : EngineRecorder(NoSlot), random(seed)
    {
        engine.setClock([this] { return now; });
    }

    void startTurnClock(qint64 ms) override
    {
        FUZZ_CHECK(ms > 0);
        turnClockArmed = true;
    }
    void stopTurnClock() override { turnClockArmed = false; }

    void send(int slot, const QByteArray &message) override
    {
        EngineRecorder::send(slot, message);
        FUZZ_CHECK(slot >= 1 && slot <= HostEngine::TurnedAwaySlot);
        FUZZ_CHECK(message.endsWith(Framer::Terminator));
        FUZZ_CHECK(message.count(Framer::Terminator) == 1);
        if (slot == HostEngine::TurnedAwaySlot) {
            FUZZ_CHECK(message == "CMD_full+\xFF");
            return;
        }
        FUZZ_CHECK(engine.connection(slot).inUse);
        if (Client *client = clients[slot].get()) {
            client->session.receive(message);
            while (client->session.hasQueued()) {
                // The host's own messages must always read cleanly.
                const auto error = catchError([&] { client->session.dispatchOne(); });
                if (error) {
                    std::fprintf(stderr, "client %d rejected %s: %s\n", slot, message.constData(),
                                 qPrintable(*error));
                    FUZZ_CHECK(!error);
                }
            }
        }
    }
    void closeSlot(int slot) override
    {
        FUZZ_CHECK(slot >= 1 && slot <= HostEngine::TurnedAwaySlot);
        toClose.append(slot);
    }

    // What the socket layer does after the engine asked for a close.
    void settle()
    {
        while (!toClose.isEmpty()) {
            const int slot = toClose.takeFirst();
            if (slot == HostEngine::TurnedAwaySlot)
                continue;
            close(slot);
        }
        // The clients' answers (the login) travel back as requests.
        for (int s = 1; s <= Slots; ++s) {
            if (!clients[s])
                continue;
            const QList<QByteArray> requests = std::exchange(clients[s]->requests, {});
            for (const QByteArray &r : requests)
                engine.received(s, r.chopped(1));
        }
    }

    void connect(const QByteArray &name)
    {
        const int slot = engine.acceptSlot();
        FUZZ_CHECK((slot >= 1 && slot <= Slots) || slot == HostEngine::TurnedAwaySlot);
        if (slot != HostEngine::TurnedAwaySlot) {
            FUZZ_CHECK(!clients[slot]);
            clients[slot] = std::make_unique<Client>(name);
        }
        engine.connected(slot);
    }

    void close(int slot)
    {
        if (!engine.connection(slot).inUse)
            return;
        clients[slot].reset();
        engine.closed(slot);
        FUZZ_CHECK(!engine.connection(slot).inUse);
        if (slot == 1 && slotOneIsHost)
            hostLeft = true;
    }
};

qint64 money(const GameTable &table)
{
    qint64 total = 0;
    for (int s = 1; s <= SeatCount; ++s)
        total += table.seat(s).cash;
    for (int p = 1; p <= PotCount; ++p)
        total += table.game().pots[p];
    return total;
}

bool isSeatOrNone(int seat) { return seat >= 0 && seat <= SeatCount; }
bool isCardOrNone(int card) { return card >= NoCard && card <= DeckSize; }

// The state right after a game has started: one round's antes taken from
// equal cash, nothing played, nothing bought.
bool isFreshGame(const GameTable &table)
{
    const GameTable::Game &g = table.game();
    if (!g.inProgress || g.roundOver || g.round != 1 || g.tableCard != NoCard)
        return false;
    for (int p = 1; p <= PotCount; ++p)
        if (g.pots[p] != SeatCount)
            return false;
    for (int s = 2; s <= SeatCount; ++s)
        if (table.seat(s).cash != table.seat(1).cash)
            return false;
    return true;
}

void checkCards(const GameTable &table)
{
    const GameTable::Game &g = table.game();
    std::array<int, DeckSize + 1> where{}; // how often a card is held
    for (int s = 1; s <= SeatCount; ++s) {
        const GameTable::Seat &seat = table.seat(s);
        FUZZ_CHECK(isCardOrNone(seat.lastCard));
        FUZZ_CHECK(isCardOrNone(seat.cardBeforeLast));
        for (int card : seat.hand) {
            FUZZ_CHECK(isCardOrNone(card));
            if (card != NoCard)
                FUZZ_CHECK(++where[card] == 1);
        }
    }
    // A played card is in nobody's hand.
    FUZZ_CHECK(isCardOrNone(g.tableCard));
    if (g.tableCard != NoCard)
        FUZZ_CHECK(where[g.tableCard] == 0);
    if (g.inProgress) {
        for (int s = 1; s <= SeatCount; ++s) {
            const GameTable::Seat &seat = table.seat(s);
            if (seat.lastCard != NoCard)
                FUZZ_CHECK(where[seat.lastCard] == 0);
            if (seat.cardBeforeLast != NoCard)
                FUZZ_CHECK(where[seat.cardBeforeLast] == 0);
        }
    }
    if (g.inProgress && !g.roundOver && g.offerSeat != 0) {
        for (int card : g.dummy) {
            FUZZ_CHECK(isCard(card));
            FUZZ_CHECK(++where[card] == 1);
        }
        for (int card = 1; card <= DeckSize; ++card)
            FUZZ_CHECK(where[card] == 1);
    }
}

void checkTable(Harness &h, qint64 &expectedMoney, bool wasInProgress)
{
    const HostEngine &engine = h.engine;
    const GameTable &table = engine.table();
    const GameTable::Game &g = table.game();
    FUZZ_CHECK(isSeatOrNone(g.currentPlayer));
    FUZZ_CHECK(isSeatOrNone(g.dealer));
    FUZZ_CHECK(isSeatOrNone(g.offerSeat));
    FUZZ_CHECK(g.round >= 0);
    FUZZ_CHECK(engine.slotCount() >= 0 && engine.slotCount() <= Slots);
    if (g.inProgress && !g.roundOver) {
        FUZZ_CHECK(g.currentPlayer >= 1 && g.dealer >= 1);
        FUZZ_CHECK(g.offerSeat == 0 || g.dummyHandsOn);
    }
    for (int p = 1; p <= PotCount; ++p)
        FUZZ_CHECK(g.pots[p] >= 0);
    checkCards(table);

    const qint64 now = money(table);
    if (now != expectedMoney) {
        const bool started = isFreshGame(table);
        bool ended = wasInProgress && !g.inProgress && expectedMoney - now >= 0 &&
                     expectedMoney - now < SeatCount;
        for (int p = 1; p <= PotCount; ++p)
            ended = ended && g.pots[p] == 0;
        if (!started && !ended)
            std::fprintf(stderr, "money was %lld, is %lld\n", expectedMoney, now);
        FUZZ_CHECK(started || ended);
        expectedMoney = now;
    }

    // Nobody can stall the table: a move that is the computer's has its
    // timer running, and a finished round its pause.
    if (g.inProgress && !h.hostLeft) {
        if (g.roundOver) {
            FUZZ_CHECK(h.roundOverArmed);
        } else {
            const int mover = g.offerSeat != 0 ? g.offerSeat : g.currentPlayer;
            if (engine.isComputerDriven(mover))
                FUZZ_CHECK(h.computerArmed);
        }
    }
}

QByteArray shortText(fuzz::Reader &in)
{
    QByteArray text = in.text();
    text.replace(Framer::Terminator, 'x'); // the framer never lets one through
    return text;
}

QByteArray numberText(fuzz::Reader &in)
{
    // Mostly plausible numbers, now and then anything.
    switch (in.pick(8)) {
    case 0: return shortText(in);
    case 1: return QByteArray::number(qint32(in.word()));
    default: return QByteArray::number(in.pick(14) - 1);
    }
}

// One request, from a slot, as a client or an impostor would send it; or
// any text at all (a real request in the seeds).
QByteArray request(fuzz::Reader &in, int from)
{
    const QByteArray self = QByteArray::number(from);
    const auto player = [&] { return in.flag() ? self : numberText(in); };
    // Each part is read in its own statement: the operands of "+" may be
    // evaluated in any order, and a seed must mean the same on every build.
    const int kind = in.pick(9);
    if (kind == 8)
        return shortText(in);
    const QByteArray p = player();
    switch (kind) {
    case 0: return "CMD_playcard+" + p + '+' + QByteArray::number(in.pick(13)) + '+';
    case 1: return "CMD_buythedummy+" + p + (in.flag() ? "+y+" : "+n+");
    case 2: return "CMD_justwatch+" + p + (in.flag() ? "+1" : "+2");
    case 3: {
        const QByteArray cash = in.flag() ? QByteArray("100") : numberText(in);
        const QByteArray rounds = QByteArray::number(in.pick(4));
        const QByteArray name = shortText(in);
        const QByteArray dummy = in.flag() ? "1" : "0";
        return "CMD_startgame+" + name + '+' + cash + '+' + rounds + '+' + dummy + '+';
    }
    case 4: {
        const QByteArray version = in.flag() ? velmora::VersionText : "1.1";
        return "CMD_logininfo+" + p + '+' + version + '+' + shortText(in);
    }
    case 5: return "CMD_chat+" + p + '+' + shortText(in);
    case 6: return "CMD_playasound+" + p + '+' + shortText(in);
    default: return "CMD_action+" + p + '+' + shortText(in);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::ensureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Reader in(data, size);
    Harness h(in.word());
    h.slotOneIsHost = in.flag();
    h.engine.setSlotOneIsHost(h.slotOneIsHost);
    if (in.flag())
        h.engine.setTurnLimit(1 + in.pick(2000));
    qint64 expectedMoney = money(h.engine.table());

    const auto slot = [&] { return 1 + in.pick(Slots); };
    // Runs one step of the table, then lets the socket layer catch up and
    // checks the table.
    const auto step = [&](auto &&action) {
        const bool wasInProgress = h.engine.table().game().inProgress;
        action();
        h.settle();
        checkTable(h, expectedMoney, wasInProgress);
    };
    const auto fireComputer = [&] {
        h.computerArmed = false; // single shot
        h.engine.computerTimerFired();
    };
    const auto fireRoundOver = [&] {
        h.roundOverArmed = false;
        h.engine.roundOverTimerFired();
    };

    for (int steps = 0; !in.atEnd() && steps < 2000; ++steps) {
        switch (in.pick(10)) {
        case 0: step([&] { h.connect("P" + QByteArray::number(steps)); }); break;
        case 1: step([&] { h.close(slot()); }); break;
        case 2: step([&] { h.engine.disconnectSock(slot()); }); break;
        case 3:
        case 4: {
            const int from = slot();
            const QByteArray message = request(in, from);
            step([&] { h.engine.received(from, message); });
            break;
        }
        case 5:
            if (h.computerArmed)
                step(fireComputer);
            break;
        case 6:
            if (h.roundOverArmed)
                step(fireRoundOver);
            break;
        case 8:
            // Time passes; a turn clock that is running (or a stale one)
            // goes off.
            h.now += in.pick(3000);
            if (h.turnClockArmed || in.flag())
                step([&] {
                    h.turnClockArmed = false; // single shot
                    h.engine.turnClockFired();
                });
            break;
        case 7:
            // A while of play: the queue drains and the timers expire.
            for (int i = 1 + in.pick(64); i > 0; --i) {
                if (h.engine.hasQueued())
                    step([&] { h.engine.dispatchOne(); });
                else if (h.computerArmed)
                    step(fireComputer);
                else if (h.roundOverArmed)
                    step(fireRoundOver);
                else
                    break;
            }
            break;
        default: step([&] { h.engine.dispatchOne(); }); break;
        }
    }
    while (h.engine.hasQueued())
        step([&] { h.engine.dispatchOne(); });
    return 0;
}
