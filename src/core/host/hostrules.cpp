// The rules of a game at the host: start, rounds, the deal, the dummy-hand
// sale, judging plays, pots, the round's and the game's end, and the
// computer players.

#include "hostengine.h"

#include "cards/random.h"
#include "protocol/fieldreader.h"
#include "protocol/table.h"

namespace velmora {

namespace {
constexpr int Ante = 1;
constexpr int DummyPrice = 5;
constexpr int nextSeat(int seat) { return seat % 4 + 1; }

// Cards that make the computer keep its own hand rather than take the dummy.
constexpr bool isKeepCard(int card)
{
    return card == cardOf(Suit::Clubs, Queen) || card == cardOf(Suit::Clubs, Ace) ||
           card == cardOf(Suit::Spades, Jack) || card == cardOf(Suit::Hearts, Ten) ||
           card == cardOf(Suit::Hearts, King);
}

// Whether `hand` holds `card`. Every slot is looked at, without an early
// exit: over eleven slots that is cheaper than a branch the processor
// cannot predict.
bool holds(const Hand &hand, int card)
{
    bool found = false;
    for (int c : hand)
        found |= c == card;
    return found;
}
} // namespace

// ---- requests --------------------------------------------------------------

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
    startGame(parts[0], *cash, *rounds, parts[3] == "1");
}

void HostEngine::playCardRequest(int from, const QByteArray &rest)
{
    FieldReader reader(rest);
    const auto seat = reader.number(1, Seats);
    const auto slot = reader.number();
    if (!seat || !slot) {
        drop(from, rest, "malformed CMD_playcard");
        return;
    }
    if (*seat != from) {
        drop(from, rest, "CMD_playcard for another seat");
        return;
    }
    playCard(*seat, *slot);
}

void HostEngine::buyTheDummyRequest(int from, const QByteArray &rest)
{
    FieldReader reader(rest);
    const auto seat = reader.number(1, Seats);
    const auto answer = reader.field();
    if (!seat || !answer) {
        drop(from, rest, "malformed CMD_buythedummy");
        return;
    }
    if (*seat != from) {
        drop(from, rest, "CMD_buythedummy for another seat");
        return;
    }
    buyTheDummy(*seat, *answer == "y");
}

// ---- game and round flow ---------------------------------------------------

void HostEngine::startGame(const QByteArray &starter, int cash, int rounds, bool dummyOn)
{
    m_out.timer(Timer::StopRoundOver);
    m_game.inProgress = true;
    m_game.dummyHandsOn = dummyOn;
    m_game.roundsPerGame = rounds;
    sendAll(wire::startGame(m_message, starter, cash, rounds));
    m_game.pots.fill(0);
    for (int s = 1; s <= Seats; ++s) {
        m_seats[s].cash = cash;
        m_slots[s].justWatch = false;
        m_seats[s].lastCard = m_seats[s].cardBeforeLast = NoCard;
    }
    m_game.round = 0;
    m_game.currentPlayer = 0;
    m_game.dealer = 0;
    startRound();
}

void HostEngine::startRound()
{
    m_out.timer(Timer::StopComputer);
    m_out.timer(Timer::StopRoundOver);
    m_game.roundOver = false;
    ++m_game.round;
    m_game.tableCard = NoCard;
    m_game.currentPlayer = 0;
    for (int s = 1; s <= Seats; ++s) {
        Seat &seat = m_seats[s];
        seat.lastCard = seat.cardBeforeLast = NoCard;
        for (int p = 1; p <= PotCount; ++p) {
            seat.cash -= Ante;
            m_game.pots[p] += Ante;
        }
        seat.hand.fill(NoCard);
    }
    m_game.dummy.fill(NoCard);
    sendAll(wire::startRound(m_message, m_game.round, cashOfSeats()));
    findPlayer();
}

void HostEngine::findPlayer()
{
    m_game.offerSeat = 0;
    m_game.dealer = nextSeat(m_game.dealer);
    m_game.currentPlayer = nextSeat(m_game.dealer);
    dealCards();
    const int first = m_game.dummyHandsOn ? m_game.dealer : m_game.currentPlayer;
    if (m_game.dummyHandsOn) {
        m_game.offerSeat = m_game.dealer;
        sendAll(wire::nextPlayer(m_message, m_game.dealer, m_game.offerSeat, 'b'));
    } else {
        sendAll(wire::nextPlayer(m_message, m_game.dealer, m_game.currentPlayer, 'l'));
    }
    if (isComputerDriven(first))
        m_out.timer(Timer::ComputerUnchanged);
}

void HostEngine::dealCards()
{
    m_deck.shuffle(m_random);
    int q = 0;
    int k = 0;
    int s = m_game.dealer;
    // Dealer, dummy hand, then the other three seats in turn, ten times over;
    // then one more card each to the dealer and the dummy hand.
    for (int i = 0; i < 41; ++i) {
        if (s == m_game.dealer)
            ++k;
        m_seats[s].hand[k - 1] = m_deck.at(++q);
        if (s == m_game.dealer)
            m_game.dummy[k - 1] = m_deck.at(++q);
        s = nextSeat(s);
    }
    for (int seat = 1; seat <= Seats; ++seat) {
        if (m_slots[seat].inUse)
            sendTo(seat, wire::newCard(m_message, seat, m_seats[seat].hand));
        sendAll(wire::cardCount(m_message, seat, cardsHeld(seat)));
    }
}

void HostEngine::startComputerFor(int seat)
{
    if (isComputerDriven(seat))
        m_out.timer(Timer::ComputerWithBotInterval);
}

void HostEngine::buyTheDummy(int seat, bool buy)
{
    if (m_game.offerSeat == 0 || seat != m_game.offerSeat)
        return;
    if (!buy) {
        m_game.offerSeat = nextSeat(m_game.offerSeat);
        if (m_game.offerSeat == m_game.dealer) {
            m_game.offerSeat = 0;
            sendAll(wire::nextPlayer(m_message, m_game.dealer, m_game.currentPlayer, 'l'));
            startComputerFor(m_game.currentPlayer);
        } else {
            sendAll(wire::nextPlayer(m_message, m_game.dealer, m_game.offerSeat, 'b'));
            startComputerFor(m_game.offerSeat);
        }
        return;
    }
    m_seats[seat].hand = m_game.dummy;
    if (m_slots[seat].inUse)
        sendTo(seat, wire::theDummyHand(m_message, seat, m_seats[seat].hand));
    m_seats[seat].cash -= DummyPrice;
    m_seats[m_game.dealer].cash += DummyPrice;
    sendAll(wire::boughtDummy(m_message, seat, m_seats[seat].cash, m_game.dealer,
                              m_seats[m_game.dealer].cash));
    m_game.offerSeat = 0;
    sendAll(wire::nextPlayer(m_message, m_game.dealer, m_game.currentPlayer, 'l'));
    startComputerFor(m_game.currentPlayer);
}

void HostEngine::roundOverTimerFired()
{
    m_out.timer(Timer::StopRoundOver);
    if (!m_game.inProgress)
        return;
    if (m_game.round <= m_game.roundsPerGame - 1 || !checkForWin())
        startRound();
}

bool HostEngine::checkForWin()
{
    int best = 0;
    int leader = 0;
    for (int s = 1; s <= Seats; ++s) {
        if (m_seats[s].cash > best) {
            best = m_seats[s].cash;
            leader = s;
        }
    }
    if (leader == 0)
        return false;
    for (int s = 1; s <= Seats; ++s)
        if (s != leader && m_seats[s].cash == best)
            return false;
    int sum = 0;
    for (int p = 1; p <= PotCount; ++p) {
        sum += m_game.pots[p];
        m_game.pots[p] = 0;
    }
    for (int s = 1; s <= Seats; ++s)
        m_seats[s].cash += sum / 4;
    m_game.inProgress = false;
    sendAll(wire::winner(m_message, leader, cashOfSeats()));
    return true;
}

// ---- card play ---------------------------------------------------------------

void HostEngine::playCard(int seat, int handSlot)
{
    if (!m_game.inProgress || m_game.roundOver || seat != m_game.currentPlayer)
        return;
    if (handSlot < 1 || handSlot > HandSlots || m_seats[seat].hand[handSlot - 1] == NoCard)
        return;
    const int x = m_seats[seat].hand[handSlot - 1];
    const bool lead = m_game.tableCard == NoCard;
    const bool accepted = lead ? checkForLowest(seat, handSlot) : x == m_game.tableCard + 1;
    if (!accepted) {
        if (m_slots[seat].inUse)
            sendTo(seat, wire::wrongCard(m_message, seat, lead));
        return;
    }
    // A card played while the dummy hand is still on offer (the seat offered
    // it is the one to lead and plays instead of answering) ends the offer:
    // every client puts the offer away at the turn that follows, so no answer
    // can come, and an offer left pending would hold the computer back for
    // the rest of the round.
    m_game.offerSeat = 0;
    setCard(seat, handSlot);
}

bool HostEngine::checkForLowest(int seat, int handSlot) const
{
    const int x = m_seats[seat].hand[handSlot - 1];
    if (!isCard(x))
        return true;
    // A lower card of its suit lies between the suit's first card and it.
    // Every slot is looked at, as in holds().
    const int first = suitStart(x);
    bool lower = false;
    for (int c : m_seats[seat].hand)
        lower |= c >= first && c < x;
    return !lower;
}

void HostEngine::setCard(int seat, int handSlot)
{
    Seat &s = m_seats[seat];
    const int x = s.hand[handSlot - 1];
    if (m_game.pots[PotEightNineTen] > 0 && rankOf(s.cardBeforeLast) == Eight &&
        rankOf(s.lastCard) == Nine && rankOf(x) == Ten)
        addToCash(seat, PotEightNineTen);
    if (m_game.pots[PotQueenKingHearts] > 0 && s.lastCard == cardOf(Suit::Hearts, Queen) &&
        x == cardOf(Suit::Hearts, King))
        addToCash(seat, PotQueenKingHearts);
    s.cardBeforeLast = s.lastCard;
    s.lastCard = x;
    s.hand[handSlot - 1] = NoCard;
    m_game.tableCard = x;
    if (const int pot = singleCardPot(x))
        addToCash(seat, pot);
    const int left = cardsHeld(seat);
    sendAll(wire::hisCard(m_message, seat, x, handSlot, left));
    if (left == 0) {
        endRound(seat);
        return;
    }

    char mode = 'l';
    if (isAce(m_game.tableCard)) {
        m_game.tableCard = NoCard;
    } else {
        const int wanted = m_game.tableCard + 1;
        int holder = 0;
        for (int t = 1; t <= Seats && !holder; ++t)
            if (holds(m_seats[t].hand, wanted))
                holder = t;
        if (holder) {
            m_game.currentPlayer = holder;
            mode = 'f';
        } else {
            m_game.tableCard = NoCard;
        }
    }
    if (mode == 'l')
        m_game.currentPlayer = seat;
    sendAll(wire::nextPlayer(m_message, m_game.dealer, m_game.currentPlayer, mode));
    startComputerFor(m_game.currentPlayer);
}

void HostEngine::addToCash(int seat, int pot)
{
    const int amount = m_game.pots[pot];
    m_seats[seat].cash += amount;
    sendAll(wire::addToCash(m_message, seat, m_seats[seat].cash, pot, amount));
    m_game.pots[pot] = 0;
}

void HostEngine::endRound(int seat)
{
    m_out.timer(Timer::StopComputer);
    for (int s = 1; s <= Seats; ++s) {
        if (s == seat)
            continue;
        const int left = cardsHeld(s);
        m_seats[s].cash -= left;
        m_game.pots[Kitty] += left;
    }
    addToCash(seat, Kitty);
    sendAll(wire::endRound(m_message, cashOfSeats(), seat));
    m_game.roundOver = true;
    m_out.timer(Timer::StartRoundOver);
}

// ---- computer players ------------------------------------------------------

void HostEngine::computerTimerFired()
{
    m_out.timer(Timer::StopComputer);
    // Nothing to do between games or between rounds: the seat that went out
    // holds no cards, and playing for it would end the round a second time.
    if (!m_game.inProgress || m_game.roundOver)
        return;
    if (m_game.offerSeat != 0) {
        // The lead waits until the dummy hand's offer is settled.
        if (isComputerDriven(m_game.offerSeat))
            computerBuyDummy(m_game.offerSeat);
        return;
    }
    if (isComputerDriven(m_game.currentPlayer))
        computerPlay(m_game.currentPlayer);
}

void HostEngine::computerBuyDummy(int seat)
{
    if (seat != m_game.offerSeat)
        return;
    bool keep = false;
    for (int c : m_seats[seat].hand)
        keep = keep || isKeepCard(c);
    buyTheDummy(seat, !keep);
}

void HostEngine::computerPlay(int seat)
{
    const int wanted = m_game.tableCard + 1;
    for (int k = 1; k <= HandSlots; ++k) {
        if (m_seats[seat].hand[k - 1] == wanted) {
            playCard(seat, k);
            return;
        }
    }
    computerLowest(seat);
}

void HostEngine::computerLowest(int seat)
{
    Seat &s = m_seats[seat];
    if (cardsHeld(seat) == 0) {
        endRound(seat);
        return;
    }
    int drawn = NoCard;
    while (drawn == NoCard)
        drawn = s.hand[m_random.below(HandSlots)];
    // The lowest card of the drawn card's suit: its suit's cards are the
    // thirteen codes from the suit's first.
    int best = 0;
    if (isCard(drawn)) {
        const int first = suitStart(drawn);
        for (int k = 1; k <= HandSlots; ++k) {
            const int c = s.hand[k - 1];
            if (c >= first && c < first + 13 && (best == 0 || c < s.hand[best - 1]))
                best = k;
        }
    }
    playCard(seat, best);
}

} // namespace velmora
