#include "gametable.h"

#include "cards/random.h"
#include "protocol/messages.h"

#include <algorithm>

namespace velmora {

namespace {
constexpr int Ante = 1;
constexpr int DummyPrice = 5;
constexpr int nextSeat(int seat) { return seat % SeatCount + 1; }

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

GameTable::GameTable(Host &host, Random &random)
    : m_host(host), m_random(random), m_computer(std::make_unique<ClassicPlayer>(random))
{
}

GameTable::~GameTable() = default;

void GameTable::setComputerPlayer(std::unique_ptr<ComputerPlayer> player)
{
    if (player)
        m_computer = std::move(player);
}

void GameTable::setComputerPlayer(int seat, std::unique_ptr<ComputerPlayer> player)
{
    if (isSeat(seat))
        m_seatComputers[seat - 1] = std::move(player);
}

ComputerPlayer &GameTable::computerFor(int seat) const
{
    const auto &own = m_seatComputers[seat - 1];
    return own ? *own : *m_computer;
}

PlayerView GameTable::viewFor(int seat) const
{
    PlayerView view;
    if (!isSeat(seat))
        return view;
    view.seat = seat;
    view.hand = this->seat(seat).hand;
    view.tableCard = m_game.tableCard;
    view.dealer = m_game.dealer;
    view.pots = m_game.pots;
    for (int s = 1; s <= SeatCount; ++s) {
        view.cardsHeld[s - 1] = cardsHeld(s);
        view.lastCard[s - 1] = this->seat(s).lastCard;
        view.cardBeforeLast[s - 1] = this->seat(s).cardBeforeLast;
    }
    view.record = m_record;
    view.givenUp = m_givenUp[seat - 1];
    return view;
}

void GameTable::setSeat(int seat, const Seat &state)
{
    if (isSeat(seat)) {
        m_seats[seat - 1] = state;
        recount(seat);
    }
}

int GameTable::cardsHeld(int seat) const { return m_held[seat - 1]; }

void GameTable::recount(int seat)
{
    const Hand &hand = m_seats[seat - 1].hand;
    m_held[seat - 1] =
        int(std::count_if(hand.begin(), hand.end(), [](int c) { return c != NoCard; }));
}

PerSeat<int> GameTable::cashOfSeats() const
{
    PerSeat<int> cash{};
    for (int s = 0; s < SeatCount; ++s)
        cash[s] = m_seats[s].cash;
    return cash;
}

void GameTable::bringUpToDate(int player)
{
    if (!m_game.inProgress)
        return;
    m_host.toPlayer(player, wire::gameStats(m_message, m_game.round, m_game.roundsPerGame,
                                            cashOfSeats(), m_game.tableCard, m_game.currentPlayer));
    if (!isSeat(player))
        return;
    if (cardsHeld(player) > 0)
        m_host.toPlayer(player, wire::yourCards(m_message, player, seat(player).hand));
    if (player == m_game.offerSeat)
        m_host.toPlayer(player,
                        wire::nextPlayer(m_message, m_game.dealer, player, TurnMode::Offer));
    // Between rounds the current player is the seat that went out: there is
    // no turn to hand over until the next round deals. A card on the table
    // means the turn is a follow; told to lead, the player would have every
    // card refused.
    if (player == m_game.currentPlayer && !m_game.roundOver)
        m_host.toPlayer(player, wire::nextPlayer(m_message, m_game.dealer, player,
                                                 m_game.tableCard == NoCard ? TurnMode::Lead
                                                                            : TurnMode::Follow));
}

// ---- game and round flow ---------------------------------------------------

void GameTable::startGame(const QByteArray &starter, int cash, int rounds, bool dummyOn)
{
    m_host.timer(Timer::StopRoundOver);
    m_game.inProgress = true;
    m_game.dummyHandsOn = dummyOn;
    m_game.roundsPerGame = rounds;
    m_host.toAll(wire::startGame(m_message, starter, cash, rounds));
    m_game.pots.fill(0);
    for (Seat &seat : m_seats) {
        seat.cash = cash;
        seat.lastCard = seat.cardBeforeLast = NoCard;
    }
    m_game.round = 0;
    m_game.currentPlayer = 0;
    m_game.dealer = 0;
    startRound();
}

void GameTable::startRound()
{
    m_host.timer(Timer::StopComputer);
    m_host.timer(Timer::StopRoundOver);
    m_game.roundOver = false;
    ++m_game.round;
    m_game.tableCard = NoCard;
    m_game.currentPlayer = 0;
    for (Seat &seat : m_seats) {
        seat.lastCard = seat.cardBeforeLast = NoCard;
        for (int p = 1; p <= PotCount; ++p) {
            seat.cash -= Ante;
            m_game.pots[p] += Ante;
        }
        seat.hand.fill(NoCard);
    }
    m_held.fill(0);
    m_game.dummy.fill(NoCard);
    m_record.clear();
    m_givenUp.fill(0);
    m_host.toAll(wire::startRound(m_message, m_game.round, cashOfSeats()));
    findPlayer();
}

void GameTable::findPlayer()
{
    m_game.offerSeat = 0;
    m_game.dealer = nextSeat(m_game.dealer);
    m_game.currentPlayer = nextSeat(m_game.dealer);
    dealCards();
    const int first = m_game.dummyHandsOn ? m_game.dealer : m_game.currentPlayer;
    if (m_game.dummyHandsOn) {
        m_game.offerSeat = m_game.dealer;
        handOut(m_game.offerSeat, TurnMode::Offer);
    } else {
        handOut(m_game.currentPlayer, TurnMode::Lead);
    }
    if (m_host.isComputerDriven(first))
        m_host.timer(Timer::ComputerUnchanged);
}

void GameTable::handOut(int seat, TurnMode mode)
{
    ++m_turns;
    m_host.toAll(wire::nextPlayer(m_message, m_game.dealer, seat, mode));
}

void GameTable::dealCards()
{
    m_deck.shuffle(m_random);
    int q = 0;
    int k = 0;
    int s = m_game.dealer;
    // Dealer, dummy hand, then the other seats in turn, ten times over; then
    // one more card each to the dealer and the dummy hand.
    for (int i = 0; i < (HandSlots - 1) * SeatCount + 1; ++i) {
        if (s == m_game.dealer)
            ++k;
        inSlot(m_seats[s - 1].hand, k) = m_deck.at(++q);
        if (s == m_game.dealer)
            inSlot(m_game.dummy, k) = m_deck.at(++q);
        s = nextSeat(s);
    }
    for (int seat = 1; seat <= SeatCount; ++seat) {
        recount(seat);
        m_host.toPlayer(seat, wire::newCard(m_message, seat, this->seat(seat).hand));
        m_host.toAll(wire::cardCount(m_message, seat, cardsHeld(seat)));
    }
}

void GameTable::startComputerFor(int seat)
{
    if (m_host.isComputerDriven(seat))
        m_host.timer(Timer::ComputerWithBotInterval);
}

void GameTable::answerOffer(int seat, bool buy)
{
    if (m_game.offerSeat == 0 || seat != m_game.offerSeat)
        return;
    if (!buy) {
        m_game.offerSeat = nextSeat(m_game.offerSeat);
        if (m_game.offerSeat == m_game.dealer) {
            m_game.offerSeat = 0;
            handOut(m_game.currentPlayer, TurnMode::Lead);
            startComputerFor(m_game.currentPlayer);
        } else {
            handOut(m_game.offerSeat, TurnMode::Offer);
            startComputerFor(m_game.offerSeat);
        }
        return;
    }
    Seat &buyer = m_seats[seat - 1];
    Seat &dealer = m_seats[m_game.dealer - 1];
    for (int c : buyer.hand)
        if (isCard(c))
            m_givenUp[seat - 1] |= cardBit(c);
    buyer.hand = m_game.dummy;
    recount(seat);
    m_host.toPlayer(seat, wire::theDummyHand(m_message, seat, buyer.hand));
    buyer.cash -= DummyPrice;
    dealer.cash += DummyPrice;
    m_host.toAll(wire::boughtDummy(m_message, seat, buyer.cash, m_game.dealer, dealer.cash));
    m_game.offerSeat = 0;
    handOut(m_game.currentPlayer, TurnMode::Lead);
    startComputerFor(m_game.currentPlayer);
}

void GameTable::roundOverTimerFired()
{
    m_host.timer(Timer::StopRoundOver);
    if (!m_game.inProgress)
        return;
    if (m_game.round <= m_game.roundsPerGame - 1 || !checkForWin())
        startRound();
}

bool GameTable::checkForWin()
{
    int best = 0;
    int leader = 0;
    for (int s = 1; s <= SeatCount; ++s) {
        if (seat(s).cash > best) {
            best = seat(s).cash;
            leader = s;
        }
    }
    if (leader == 0)
        return false;
    for (int s = 1; s <= SeatCount; ++s)
        if (s != leader && seat(s).cash == best)
            return false;
    int sum = 0;
    for (int p = 1; p <= PotCount; ++p) {
        sum += m_game.pots[p];
        m_game.pots[p] = 0;
    }
    for (Seat &seat : m_seats)
        seat.cash += sum / SeatCount;
    m_game.inProgress = false;
    m_host.toAll(wire::winner(m_message, leader, cashOfSeats()));
    return true;
}

// ---- card play ---------------------------------------------------------------

bool GameTable::play(int seat, int handSlot)
{
    if (!m_game.inProgress || m_game.roundOver || seat != m_game.currentPlayer || !isSeat(seat))
        return false;
    if (handSlot < 1 || handSlot > HandSlots || inSlot(this->seat(seat).hand, handSlot) == NoCard)
        return false;
    const int x = inSlot(this->seat(seat).hand, handSlot);
    const bool lead = m_game.tableCard == NoCard;
    const bool accepted = lead ? checkForLowest(seat, handSlot) : x == m_game.tableCard + 1;
    if (!accepted) {
        m_host.toPlayer(seat, wire::wrongCard(m_message, seat, lead));
        return false;
    }
    // A card played while the dummy hand is still on offer (the seat offered
    // it is the one to lead and plays instead of answering) ends the offer:
    // every client puts the offer away at the turn that follows, so no answer
    // can come, and an offer left pending would hold the computer back for
    // the rest of the round.
    m_game.offerSeat = 0;
    setCard(seat, handSlot);
    return true;
}

bool GameTable::checkForLowest(int seat, int handSlot) const
{
    const Hand &hand = this->seat(seat).hand;
    const int x = inSlot(hand, handSlot);
    if (!isCard(x))
        return true;
    // A lower card of its suit lies between the suit's first card and it.
    // Every slot is looked at, as in holds().
    const int first = suitStart(x);
    bool lower = false;
    for (int c : hand)
        lower |= c >= first && c < x;
    return !lower;
}

// A card the rules always take: the wanted card on a follow (the turn went
// to the seat because it holds it), on a lead the lowest card held, which
// has no lower card of its suit beside it.
int GameTable::allowedSlot(int seat) const
{
    const Hand &hand = this->seat(seat).hand;
    int best = 0;
    for (int k = 1; k <= HandSlots; ++k) {
        const int c = inSlot(hand, k);
        if (!isCard(c))
            continue;
        if (m_game.tableCard != NoCard ? c == m_game.tableCard + 1
                                       : best == 0 || c < inSlot(hand, best))
            best = k;
    }
    return best;
}

void GameTable::setCard(int seat, int handSlot)
{
    Seat &s = m_seats[seat - 1];
    const int x = inSlot(s.hand, handSlot);
    m_record.cardPlayed(seat, x, m_game.tableCard == NoCard);
    if (m_game.pots[PotEightNineTen] > 0 && rankOf(s.cardBeforeLast) == Eight &&
        rankOf(s.lastCard) == Nine && rankOf(x) == Ten)
        addToCash(seat, PotEightNineTen);
    if (m_game.pots[PotQueenKingHearts] > 0 && s.lastCard == cardOf(Suit::Hearts, Queen) &&
        x == cardOf(Suit::Hearts, King))
        addToCash(seat, PotQueenKingHearts);
    s.cardBeforeLast = s.lastCard;
    s.lastCard = x;
    inSlot(s.hand, handSlot) = NoCard;
    if (x != NoCard)
        --m_held[seat - 1];
    m_game.tableCard = x;
    if (const int pot = singleCardPot(x))
        addToCash(seat, pot);
    const int left = cardsHeld(seat);
    m_host.toAll(wire::hisCard(m_message, seat, x, handSlot, left));
    if (left == 0) {
        endRound(seat);
        return;
    }

    TurnMode mode = TurnMode::Lead;
    if (isAce(m_game.tableCard)) {
        m_game.tableCard = NoCard;
    } else {
        const int wanted = m_game.tableCard + 1;
        int holder = 0;
        for (int t = 1; t <= SeatCount && !holder; ++t)
            if (holds(this->seat(t).hand, wanted))
                holder = t;
        if (holder) {
            m_game.currentPlayer = holder;
            mode = TurnMode::Follow;
        } else {
            m_record.sequenceStopped(m_game.tableCard);
            m_game.tableCard = NoCard;
        }
    }
    if (mode == TurnMode::Lead)
        m_game.currentPlayer = seat;
    handOut(m_game.currentPlayer, mode);
    startComputerFor(m_game.currentPlayer);
}

void GameTable::addToCash(int seat, int pot)
{
    const int amount = m_game.pots[pot];
    Seat &s = m_seats[seat - 1];
    s.cash += amount;
    m_host.toAll(wire::addToCash(m_message, seat, s.cash, pot, amount));
    m_game.pots[pot] = 0;
}

void GameTable::endRound(int seat)
{
    m_host.timer(Timer::StopComputer);
    for (int s = 1; s <= SeatCount; ++s) {
        if (s == seat)
            continue;
        const int left = cardsHeld(s);
        m_seats[s - 1].cash -= left;
        m_game.pots[Kitty] += left;
    }
    addToCash(seat, Kitty);
    m_host.toAll(wire::endRound(m_message, cashOfSeats(), seat));
    m_game.roundOver = true;
    m_host.timer(Timer::StartRoundOver);
}

// ---- computer players ------------------------------------------------------

void GameTable::computerTimerFired()
{
    m_host.timer(Timer::StopComputer);
    // Nothing to do between games or between rounds: the seat that went out
    // holds no cards, and playing for it would end the round a second time.
    if (!m_game.inProgress || m_game.roundOver)
        return;
    // The lead waits until the dummy hand's offer is settled.
    const int seat = m_game.offerSeat != 0 ? m_game.offerSeat : m_game.currentPlayer;
    if (m_host.isComputerDriven(seat))
        moveFor(seat);
}

bool GameTable::moveFor(int seat)
{
    if (!m_game.inProgress || m_game.roundOver || !isSeat(seat))
        return false;
    if (m_game.offerSeat != 0) {
        if (seat != m_game.offerSeat)
            return false;
        answerOffer(seat, computerFor(seat).buysDummy(viewFor(seat)));
        return true;
    }
    if (seat != m_game.currentPlayer)
        return false;
    const int slot = computerFor(seat).chooseSlot(viewFor(seat));
    // Only a position set up by hand leaves the seat to play with no card.
    if (slot == 0 && cardsHeld(seat) == 0) {
        endRound(seat);
        return true;
    }
    // A choice the rules refuse would leave the table waiting for a seat
    // nobody plays.
    if (!play(seat, slot))
        play(seat, allowedSlot(seat));
    return true;
}

} // namespace velmora
