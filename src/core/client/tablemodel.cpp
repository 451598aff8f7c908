#include "tablemodel.h"

#include "base/error.h"
#include "cards/random.h"
#include "host/strongplayer.h"
#include "protocol/fieldreader.h"
#include "protocol/messages.h"
#include "protocol/table.h"
#include "protocol/wirenumbers.h"

#include <algorithm>

namespace velmora {

namespace {

// What the table shows the player, in one place: captions, prompts,
// banners, notices and error texts (the chat lines are the announcer's).
// Each text is written exactly as the players have always seen it, spelling
// and all.
namespace text {
QString waiting() { return QStringLiteral("<Waiting>"); }
QString computerName(int seat)
{
    switch (seat) {
    case 2: return QStringLiteral("Pip");
    case 3: return QStringLiteral("Pog");
    case 4: return QStringLiteral("Pax");
    default: return {}; // the hosting player's seat has no computer name
    }
}
QString welcome() { return QStringLiteral("Welcome To Velmora by Pelox8 Software!"); }

QString takeDummy() { return QStringLiteral("Take Dummy Hand?"); }
QString buyDummy() { return QStringLiteral("Buy Dummy Hand for 5 dollars?"); }
QString playLowest() { return QStringLiteral("You must play the lowest card in a suit."); }
QString playNext() { return QStringLiteral("You must play the next card in line."); }
QString sellingDummy() { return QStringLiteral("Selling Dummy Hand.."); }
QString leadACard() { return QStringLiteral("Lead a Card.."); }
QString youHaveNext() { return QStringLiteral("You have the next card"); }
QString turnToLead(const QString &caption)
{
    return caption + QStringLiteral("'s turn to lead a card.");
}
QString hasNext(const QString &caption) { return caption + QStringLiteral(" has the next card."); }
QString gotDummy(const QString &caption)
{
    return caption + QStringLiteral(" Got the Dummy Hand.");
}

QString cash(int amount) { return QStringLiteral("$") + QString::number(amount); }
QString goForTheCash() { return QStringLiteral("Go for the Cash!"); }
QString round(int round, int rounds)
{
    return QStringLiteral("Round %1 of %2").arg(round).arg(rounds);
}
QString tookPot(const QString &caption, int pot, int amount)
{
    return caption + QLatin1String(potAnnouncement(pot)) + QString::number(amount) +
           QStringLiteral("!");
}
QString roundIsOver() { return QStringLiteral("Round is Over!"); }
QString gameOver()
{
    return QStringLiteral("Game Over! The money left in the tray is divided among everyone.");
}
QString notConnected() { return QStringLiteral("You are not connected"); }

QString badListSeat() { return QStringLiteral("The seat of a card list is not a valid seat"); }
QString badCardList() { return QStringLiteral("The card list is not valid"); }
QString handFull() { return QStringLiteral("The hand cannot hold more than 11 cards"); }
QString missingMode() { return QStringLiteral("Missing mode"); }
QString incompleteStart() { return QStringLiteral("The game start is not complete"); }

// Field names in the checked readers' error texts.
constexpr const char CardsLeftField[] = "number of cards";
constexpr const char CashField[] = "cash";
constexpr const char AmountField[] = "amount";
constexpr const char RoundField[] = "round";
constexpr const char RoundsField[] = "number of rounds";
} // namespace text

// A card as the hint names it: "7♥", "10♣", "Q♠".
QString cardText(int card)
{
    static const char *const ranks[] = {"2", "3",  "4", "5", "6", "7", "8",
                                        "9", "10", "J", "Q", "K", "A"};
    static const char16_t suits[] = {u'\u2663', u'\u2666', u'\u2660', u'\u2665'};
    if (!isCard(card))
        return {};
    return QLatin1String(ranks[rankOf(card)]) + QChar(suits[int(suitOf(card))]);
}

// Why the hint's card: a pot it takes at once, a pot it wins in most of
// the deals looked at, that it is the only card allowed, or what it leaves
// the seat on average by the round's end.
QString hintLine(const StrongPlayer::Advice &advice)
{
    const QString playing = QStringLiteral("Playing ") + cardText(advice.card);
    for (int pot = 1; pot <= PotCount; ++pot)
        if (advice.winsNow & (1u << pot))
            return playing + QStringLiteral(" wins pot %1").arg(pot);
    if (advice.choices <= 1)
        return playing + QStringLiteral(" is the only card you can play");
    int likely = 0;
    for (int pot = 1; pot <= PotCount; ++pot)
        if (advice.potChance[pot] >= 0.5 &&
            (likely == 0 || advice.potChance[pot] > advice.potChance[likely]))
            likely = pot;
    if (likely)
        return playing + QStringLiteral(" likely wins pot %1").arg(likely);
    return playing + QStringLiteral(" is best on average (%1$%2 this round)")
                         .arg(advice.meanGain < 0 ? QStringLiteral("-") : QStringLiteral("+"))
                         .arg(qAbs(advice.meanGain), 0, 'f', 1);
}

// The tally's name for a game that the own seat won.
QString ownWin() { return QStringLiteral("addtomine"); }

// Values of the host's fields.
constexpr QByteArrayView RefusedNotLowest = "low";
constexpr QByteArrayView RefusedNotNext = "next";
constexpr int SuitCount = int(Suit::Hearts) + 1;

constexpr int MaxRounds = 99999;
constexpr int MaxCardsLeft = 52;

QString latin1(const QByteArray &bytes) { return QString::fromLatin1(bytes); }

// A seat number that may be the message's last field (before an empty
// card list).
int seatBeforeList(FieldReader &f)
{
    const auto seat = f.numberOrLast(1, SeatCount);
    if (!seat)
        throw Error(text::badListSeat());
    return *seat;
}

Hand cardList(FieldReader &f)
{
    const auto cards = readCardList(f.rest());
    if (!cards)
        throw Error(text::badCardList());
    return *cards;
}

int cashNumber(FieldReader &f)
{
    return wirenumbers::wireNumber(f.field(), -MaxCash, MaxCash, text::CashField);
}

// The mode of "CMD_nextplayer": one character; anything else is no mode
// this copy knows.
std::optional<TurnMode> turnModeField(const QByteArray &field)
{
    return field.size() == 1 ? turnModeFromWire(field.front()) : std::nullopt;
}

} // namespace

TableModel::TableModel(Random &random, QObject *parent)
    : QObject(parent), m_random(random), m_status(text::welcome())
{
    for (int s = 1; s <= SeatCount; ++s) {
        m_seats[s].caption = text::waiting();
        m_seats[s].computerName = text::computerName(s);
    }
    // Before the first game the kitty is empty; the pay-card pots show what
    // wins them.
    m_pots[1].face = false;
}

void TableModel::setLogin(const OwnLogin &login)
{
    m_login = login;
    // The own turn's raised cards depend on who this copy is.
    publish();
}

bool TableModel::ownSeatLoggedIn() const { return m_login.loggedIn && isSeat(m_login.player); }

bool TableModel::handle(Cmd cmd, FieldReader &f)
{
    try {
        switch (cmd) {
        case Cmd::NewPlayerInfo:
        case Cmd::ExistingPlayers: newplayerinfo(f); break;
        case Cmd::PlayerDisconnected: playerdisconnected(f); break;
        case Cmd::JustWatching: justwatching(f); break;
        case Cmd::NewCard: newcard(f); break;
        case Cmd::TheDummyHand:
        case Cmd::YourCards: thedummyhand(f); break;
        case Cmd::HisCard: hiscard(f); break;
        case Cmd::WrongCard: wrongcard(f); break;
        case Cmd::CardCount: cardcount(f); break;
        case Cmd::NextPlayer: getnextplayer(f); break;
        case Cmd::BoughtDummy: boughtdummy(f); break;
        case Cmd::StartGame: startthegame(f); break;
        case Cmd::StartRound: startround(f); break;
        case Cmd::GameStats: gamestats(f); break;
        case Cmd::AddToCash: addtocash(f); break;
        case Cmd::EndRound: endround(f); break;
        case Cmd::Winner: winner(f); break;
        default: return false;
        }
    } catch (...) {
        // A handler stops at a bad field; what it changed before stays, so
        // it is shown too.
        publish();
        throw;
    }
    publish();
    return true;
}

void TableModel::publish()
{
    updateRaised();
    if (!m_pending)
        return;
    const Changes what = m_pending;
    m_pending = {};
    emit changed(what);
}

bool TableModel::raised(int position) const
{
    return position >= 1 && position <= HandPositions && m_raised[position];
}

void TableModel::setRaisePlayable(bool on)
{
    m_raisePlayable = on;
    publish();
}

PlayerView TableModel::playerView() const
{
    PlayerView view;
    view.seat = isSeat(ownPlayer()) ? ownPlayer() : 0;
    for (int p = 1; p <= HandPositions; ++p)
        if (m_hand[p].handSlot >= 1 && m_hand[p].handSlot <= HandSlots)
            inSlot(view.hand, m_hand[p].handSlot) = m_hand[p].card;
    view.tableCard = m_turnMode == TurnMode::Follow && isCard(m_tableCard) ? m_tableCard : NoCard;
    view.dealer = m_dealer;
    // A pot whose money this copy never learnt (it joined late) counts as
    // empty: better a hint that undervalues it than none.
    for (int p = 1; p <= PotCount; ++p)
        view.pots[p] = std::max(m_pots[p].money, 0);
    view.cardsHeld = m_held;
    if (view.seat)
        view.cardsHeld[view.seat - 1] = handCount();
    view.lastCard = m_lastPlayed;
    view.cardBeforeLast = m_beforeLast;
    view.record = m_record;
    view.givenUp = m_givenUp;
    return view;
}

bool TableModel::canHint() const
{
    const bool toPlay = m_turnMode == TurnMode::Lead || m_turnMode == TurnMode::Follow;
    return ownSeatLoggedIn() && m_currentPlayer == ownPlayer() && toPlay && handCount() > 0;
}

bool TableModel::giveHint()
{
    if (!canHint())
        return false;
    const StrongPlayer::Advice advice =
        StrongPlayer::advise(playerView(), m_random.below(0xFFFFFFFFu), StrongPlayer::Limits{});
    int position = 0;
    for (int p = 1; p <= HandPositions; ++p)
        if (advice.slot != 0 && m_hand[p].handSlot == advice.slot)
            position = p;
    if (!position)
        return false;
    m_hintSlot = advice.slot;
    publish();
    emit hintGiven(position, hintLine(advice));
    return true;
}

void TableModel::updateRaised()
{
    // Only what this client was told: its own hand, the card on the table
    // and the mode of its turn. The rules are the host's: a lead takes the
    // lowest card of any suit, a follow only the next card of the sequence.
    std::array<bool, HandPositions + 1> raised{};
    const bool ownTurn = m_raisePlayable && ownSeatLoggedIn() && m_currentPlayer == ownPlayer();
    if (ownTurn && m_turnMode == TurnMode::Lead) {
        std::array<int, SuitCount> lowest{}; // hand position of each suit's lowest card
        for (int p = 1; p <= HandPositions; ++p) {
            const int card = m_hand[p].card;
            if (m_hand[p].handSlot == -1 || !isCard(card))
                continue;
            int &low = lowest[static_cast<int>(suitOf(card))];
            if (low == 0 || card < m_hand[low].card)
                low = p;
        }
        for (const int p : lowest)
            if (p != 0)
                raised[p] = true;
    } else if (ownTurn && m_turnMode == TurnMode::Follow) {
        const int next = nextInSuit(m_tableCard);
        for (int p = 1; p <= HandPositions; ++p)
            if (next != NoCard && m_hand[p].handSlot != -1 && m_hand[p].card == next)
                raised[p] = true;
    }
    // The hinted card stands up even where raising is off.
    for (int p = 1; p <= HandPositions; ++p)
        if (m_hintSlot != -1 && m_hand[p].handSlot == m_hintSlot)
            raised[p] = true;
    if (raised != m_raised) {
        m_raised = raised;
        touch(Change::OwnHand);
    }
}

int TableModel::positionOf(int seat) const
{
    for (int p = 1; p <= SeatCount; ++p)
        if (m_seatAtPosition[p] == seat)
            return p;
    return 0;
}

int TableModel::handCount() const
{
    return int(std::count_if(m_hand.begin() + 1, m_hand.end(),
                             [](const HandPosition &h) { return h.handSlot != -1; }));
}

QString TableModel::buyCaption() const
{
    return m_dealer == ownPlayer() ? text::takeDummy() : text::buyDummy();
}

void TableModel::setHosting(bool hosting)
{
    m_hosting = hosting;
    m_startShown = hosting && !m_gameRunning;
    touch(Change::StartButton);
    publish();
}

// ---- players and seats -------------------------------------------------------

void TableModel::newplayerinfo(FieldReader &f)
{
    const int n = wirenumbers::player(f);
    const QString name = latin1(f.rest());
    emit playerConnected(n, name);
    if (isOwnSeat(n)) {
        movethem(n);
        emit ownLoginConfirmed();
    }
    if (!isSeat(n)) {
        const auto listed = std::find_if(m_watchers.begin(), m_watchers.end(),
                                         [n](const Watcher &w) { return w.number == n; });
        if (listed != m_watchers.end())
            listed->name = name;
        else
            m_watchers.append({n, name});
        emit watcherArrived(n, name);
    } else {
        m_seats[n].caption = name;
        touch(seatChange(n));
    }
}

std::optional<QString> TableModel::playerName(int player) const
{
    if (isSeat(player)) {
        const SeatView &s = m_seats[player];
        if (s.caption.isEmpty() || s.caption == s.computerName || s.caption == text::waiting())
            return std::nullopt;
        return s.caption;
    }
    for (const Watcher &w : m_watchers)
        if (w.number == player)
            return w.name;
    return std::nullopt;
}

void TableModel::movethem(int own)
{
    // Seat s is shown at position ((s - own) mod 4) + 1: the own seat at the
    // bottom left, the others clockwise. Watchers keep the host's order.
    if (isSeat(own))
        for (int s = 1; s <= SeatCount; ++s)
            m_seatAtPosition[((s - own + SeatCount) % SeatCount) + 1] = s;
    for (int s = 1; s <= SeatCount; ++s)
        if (m_seats[s].caption == text::waiting())
            m_seats[s].caption = m_seats[s].computerName;
    touch(Change::Layout | Change::AllSeats);
}

void TableModel::playerdisconnected(FieldReader &f)
{
    const int n = wirenumbers::player(f);
    const QString name = latin1(f.rest());
    if (isSeat(n)) {
        SeatView &seat = m_seats[n];
        emit seatDisconnected(n, seat.caption);
        seat.caption = seat.computerName;
        seat.eyes = false;
        touch(seatChange(n));
    }
    if (m_watchers.removeOne(Watcher{n, name}))
        emit watcherLeft(n, name);
}

void TableModel::justwatching(FieldReader &f)
{
    const int n = wirenumbers::player(f);
    const QByteArray value = f.rest();
    if (!isSeat(n))
        return;
    SeatView &seat = m_seats[n];
    const bool human = seat.caption != seat.computerName;
    // Only this exact value hands the seat over; anything else takes it back.
    const bool watching = value == QByteArray::number(JustWatchOn);
    if (isOwnSeat(n))
        m_justWatch = watching;
    if (human)
        emit seatWatching(n, watching);
    if (!watching || human)
        seat.eyes = watching;
    touch(seatChange(n) | Change::JustWatch);
}

QStringList TableModel::loadchecklist() const
{
    QStringList names;
    for (int s = 1; s <= SeatCount; ++s)
        if (!isOwnSeat(s) && m_seats[s].caption != text::waiting())
            names.append(m_seats[s].caption);
    return names;
}

bool TableModel::canRemove(int seat) const
{
    return m_hosting && isSeat(seat) && m_seats[seat].caption != text::waiting();
}

bool TableModel::canSetJustWatch() const { return m_hosting; }

void TableModel::setJustWatch(int seat, bool on)
{
    if (m_login.loggedIn && isSeat(seat))
        emit request(wire::justWatch(seat, on ? JustWatchOn : JustWatchOff));
}

void TableModel::toggleOwnJustWatch()
{
    if (ownSeatLoggedIn())
        emit request(wire::justWatch(ownPlayer(), m_justWatch ? JustWatchOff : JustWatchOn));
}

// ---- the hand ------------------------------------------------------------------

void TableModel::clearHand()
{
    m_hand.fill(HandPosition{});
    touch(Change::OwnHand);
}

void TableModel::createcard(int handSlot, int card)
{
    for (int p = 1; p <= HandPositions; ++p) {
        if (m_hand[p].handSlot == -1) {
            m_hand[p] = HandPosition{handSlot, card};
            touch(Change::OwnHand);
            return;
        }
    }
    throw Error(text::handFull());
}

void TableModel::sortHand()
{
    // Ascending card code from the left: clubs, diamonds, spades, hearts,
    // each from the 2 up to the ace. The hand is always packed from
    // position 1, so sorting the occupied positions is the whole job.
    const int count = handCount();
    std::stable_sort(m_hand.begin() + 1, m_hand.begin() + 1 + count,
                     [](const HandPosition &a, const HandPosition &b) { return a.card < b.card; });
    touch(Change::OwnHand);
}

void TableModel::sortthem()
{
    sortHand();
    publish();
}

void TableModel::freecard(int handSlot)
{
    int p = 1;
    while (p <= HandPositions && m_hand[p].handSlot != handSlot)
        ++p;
    if (p > HandPositions)
        return;
    for (; p < HandPositions; ++p)
        m_hand[p] = m_hand[p + 1];
    m_hand[HandPositions] = HandPosition{};
    touch(Change::OwnHand);
}

void TableModel::newcard(FieldReader &f)
{
    const int seat = seatBeforeList(f);
    const Hand cards = cardList(f);
    if (!isOwnSeat(seat))
        return;
    for (int slot = 1; slot <= HandPositions; ++slot) {
        if (inSlot(cards, slot) == NoCard)
            continue;
        createcard(slot, inSlot(cards, slot));
        emit cardReceived();
    }
    sortHand();
}

void TableModel::thedummyhand(FieldReader &f)
{
    const int seat = seatBeforeList(f);
    const Hand cards = cardList(f);
    if (!isOwnSeat(seat))
        return;
    emit dummyHandReceived();
    // The hand given up for the dummy hand is out of play; only this seat
    // knows which cards it held.
    for (int p = 1; p <= HandPositions; ++p)
        if (m_hand[p].handSlot != -1 && isCard(m_hand[p].card))
            m_givenUp |= cardBit(m_hand[p].card);
    clearHand();
    for (int slot = 1; slot <= HandPositions; ++slot)
        if (inSlot(cards, slot) != NoCard)
            createcard(slot, inSlot(cards, slot));
    sortHand();
}

void TableModel::playCard(int position)
{
    if (position < 1 || position > HandPositions || m_hand[position].handSlot == -1)
        return;
    const int own = ownPlayer();
    if (m_login.loggedIn && m_currentPlayer == own && own >= 1)
        emit request(wire::playCard(own, m_hand[position].handSlot));
}

void TableModel::hiscard(FieldReader &f)
{
    const int seat = wirenumbers::seat(f);
    const int card = wirenumbers::card(f);
    const int slot = wirenumbers::handSlot(f);
    const int left = wirenumbers::wireNumber(f.field(), 0, MaxCardsLeft, text::CardsLeftField);
    m_record.cardPlayed(seat, card, m_turnMode != TurnMode::Follow);
    m_beforeLast[seat - 1] = m_lastPlayed[seat - 1];
    m_lastPlayed[seat - 1] = card;
    m_held[seat - 1] = left;
    m_sequenceCard = card;
    m_hintSlot = -1;
    m_currentPlayer = 0;
    m_turnMode.reset();
    m_seats[seat].leftText = QString::number(left);
    m_seats[seat].lastCard = card;
    m_tableCard = card;
    touch(seatChange(seat) | Change::TableCard);
    if (isOwnSeat(seat))
        freecard(slot);
    emit cardPlayed(seat, card);
}

void TableModel::wrongcard(FieldReader &f)
{
    const int seat = wirenumbers::seat(f);
    const auto reason = f.field();
    if (!isOwnSeat(seat))
        return;
    if (reason == RefusedNotLowest)
        m_status = text::playLowest();
    else if (reason == RefusedNotNext)
        m_status = text::playNext();
    touch(Change::Status);
    emit cardRefused();
}

void TableModel::cardcount(FieldReader &f)
{
    const int seat = wirenumbers::seat(f);
    const int count = wirenumbers::wireNumber(f.field(), 0, MaxCardsLeft, text::CardsLeftField);
    m_seats[seat].leftText = QString::number(count);
    m_held[seat - 1] = count;
    touch(seatChange(seat));
}

void TableModel::getnextplayer(FieldReader &f)
{
    const int dealer = wirenumbers::seat(f);
    const int player = wirenumbers::seat(f);
    const auto mode = f.field();
    if (!mode)
        throw Error(text::missingMode());
    m_buyShown = false;
    m_dealer = dealer;
    m_currentPlayer = player;
    m_turnMode = turnModeField(*mode);
    // A lead right after a card that was no ace: nobody held the next one.
    if (m_turnMode == TurnMode::Lead && m_sequenceCard != NoCard)
        m_record.sequenceStopped(m_sequenceCard);
    m_sequenceCard = NoCard;
    m_hintSlot = -1;
    for (int s = 1; s <= SeatCount; ++s) {
        m_seats[s].dealer = s == dealer;
        m_seats[s].turn = s == player;
    }
    touch(Change::Offer | Change::AllSeats | Change::Status);
    if (isOwnSeat(player)) {
        if (m_turnMode == TurnMode::Offer) {
            m_status = text::sellingDummy();
            m_buyShown = true;
        } else if (m_turnMode == TurnMode::Lead) {
            m_status = text::leadACard();
        } else if (m_turnMode == TurnMode::Follow) {
            m_status = text::youHaveNext();
        }
        emit attention();
    } else {
        const QString &caption = m_seats[player].caption;
        if (m_turnMode == TurnMode::Offer)
            m_status = text::sellingDummy();
        else if (m_turnMode == TurnMode::Lead)
            m_status = text::turnToLead(caption);
        else if (m_turnMode == TurnMode::Follow)
            m_status = text::hasNext(caption);
    }
    emit turnPassed(player);
}

void TableModel::answerDummy(bool buy)
{
    if (m_login.loggedIn)
        emit request(wire::buyTheDummy(ownPlayer(), buy));
    m_buyShown = false;
    touch(Change::Offer);
    publish();
}

void TableModel::boughtdummy(FieldReader &f)
{
    const int buyer = wirenumbers::seat(f);
    const int buyerCash = cashNumber(f);
    const int dealer = wirenumbers::seat(f);
    const int dealerCash = cashNumber(f);
    m_held[buyer - 1] = HandSlots;
    m_potText = text::gotDummy(m_seats[buyer].caption);
    touch(Change::PotText);
    sethisscore(buyer, buyerCash);
    sethisscore(dealer, dealerCash);
}

// ---- money, rounds and the game ------------------------------------------------

TableModel::Chips TableModel::chipsFor(int cash)
{
    Chips c;
    c.tens = cash / 10;
    const int rest = cash - 10 * c.tens;
    c.fives = rest / 5;
    c.ones = rest - 5 * c.fives;
    while (c.tens > 8 && c.fives < 11) {
        --c.tens;
        c.fives += 2;
    }
    return c;
}

void TableModel::sethisscore(int seat, int cash)
{
    SeatView &s = m_seats[seat];
    s.cash = cash;
    s.cashText = text::cash(cash);
    s.colour = cash < 0 ? CashColour::Red : CashColour::Green;
    s.chips = chipsFor(cash);
    touch(seatChange(seat));
}

PerSeat<int> TableModel::readCash(FieldReader &f)
{
    PerSeat<int> cash{};
    for (int &c : cash)
        c = cashNumber(f);
    return cash;
}

void TableModel::setante()
{
    for (int p = 1; p <= PotCount; ++p) {
        m_pots[p].pile = int(m_random.below(AntePiles));
        // Every seat antes a dollar into every pot, players or not.
        if (m_pots[p].money >= 0)
            m_pots[p].money += SeatCount;
    }
    touch(Change::Pots);
}

void TableModel::startthegame(FieldReader &f)
{
    // The starter's name may hold "+": the last three fields are the cash
    // and the rounds twice, and everything before them is the name.
    const auto fields = splitFromRight(f.rest(), 3);
    if (!fields)
        throw Error(text::incompleteStart());
    const QByteArray &starter = (*fields)[0];
    const int rounds = wirenumbers::wireNumber((*fields)[2], 0, MaxRounds, text::RoundsField);
    m_justWatch = false;
    for (int s = 1; s <= SeatCount; ++s) {
        m_seats[s].colour = CashColour::Black;
        m_seats[s].eyes = false;
        if (m_seats[s].caption == text::waiting())
            m_seats[s].caption = m_seats[s].computerName;
    }
    for (int p = 1; p <= PotCount; ++p)
        m_pots[p] = PotView{true, -1};
    m_winnerShown = false;
    m_startShown = false;
    m_gameRunning = true;
    m_roundsPerGame = rounds;
    touch(Change::JustWatch | Change::AllSeats | Change::Pots | Change::Winner |
          Change::StartButton);
    emit gameStarted(latin1(starter));
}

void TableModel::startround(FieldReader &f)
{
    const int round = wirenumbers::wireNumber(f.field(), 0, MaxRounds, text::RoundField);
    const auto cash = readCash(f);
    m_roundOverShown = false;
    m_potText = text::goForTheCash();
    m_roundText = text::round(round, m_roundsPerGame);
    for (int s = 1; s <= SeatCount; ++s) {
        sethisscore(s, cash[s - 1]);
        m_seats[s].lastCard = -1;
    }
    m_record.clear();
    m_lastPlayed.fill(NoCard);
    m_beforeLast.fill(NoCard);
    m_givenUp = 0;
    m_sequenceCard = NoCard;
    m_hintSlot = -1;
    m_tableCard = -1;
    touch(Change::RoundOver | Change::PotText | Change::Round | Change::TableCard);
    clearHand();
    setante();
}

void TableModel::gamestats(FieldReader &f)
{
    const int round = wirenumbers::wireNumber(f.field(), 0, MaxRounds, text::RoundField);
    const int rounds = wirenumbers::wireNumber(f.field(), 0, MaxRounds, text::RoundsField);
    const auto cash = readCash(f);
    const int table = wirenumbers::card(f);
    m_roundsPerGame = rounds;
    m_gameRunning = true;
    m_startShown = false;
    for (int s = 1; s <= SeatCount; ++s)
        sethisscore(s, cash[s - 1]);
    m_roundText = text::round(round, rounds);
    m_tableCard = table;
    // Joined in the middle of a round: what was played before is unknown.
    m_record.clear();
    // Joined in the middle of a game: what the pots hold was never said.
    for (int p = 1; p <= PotCount; ++p)
        m_pots[p].money = -1;
    touch(Change::StartButton | Change::Round | Change::TableCard | Change::Pots);
}

void TableModel::addtocash(FieldReader &f)
{
    const int seat = wirenumbers::seat(f);
    const int cash = cashNumber(f);
    const int pot = wirenumbers::pot(f);
    const int amount = wirenumbers::wireNumber(f.field(), -MaxCash, MaxCash, text::AmountField);
    emit potPaid(seat, pot, amount);
    sethisscore(seat, cash);
    m_pots[pot] = PotView{true, -1};
    m_potText = text::tookPot(m_seats[seat].caption, pot, amount);
    touch(Change::Pots | Change::PotText);
    if (pot == Kitty) {
        m_roundOverText = m_potText;
        m_roundOverShown = true;
        touch(Change::RoundOver);
    }
}

void TableModel::endround(FieldReader &f)
{
    const auto cash = readCash(f);
    emit roundEnded();
    m_status = text::roundIsOver();
    for (int s = 1; s <= SeatCount; ++s)
        sethisscore(s, cash[s - 1]);
    m_tableCard = -1;
    touch(Change::Status | Change::TableCard);
}

void TableModel::winner(FieldReader &f)
{
    const int winner = wirenumbers::seat(f);
    const auto cash = readCash(f);
    m_roundOverShown = false;
    touch(Change::RoundOver);
    for (int s = 1; s <= SeatCount; ++s)
        sethisscore(s, cash[s - 1]);
    const int own = ownPlayer();
    const QString &caption = m_seats[winner].caption;
    if (isSeat(own)) {
        emit tallyGame(winner == own ? ownWin() : caption, loadchecklist());
        emit tallyMoney(m_seats[own].cash - StartingCash, 3);
        for (int s = 1; s <= SeatCount; ++s)
            if (s != own && m_seats[s].caption != text::waiting())
                emit tallyAgainst(m_seats[s].caption, m_seats[own].cash - m_seats[s].cash);
    }
    emit gameWon(winner);
    m_winnerText = caption;
    m_winnerShown = true;
    m_status = text::gameOver();
    m_tableCard = -1;
    for (int p = 1; p <= PotCount; ++p)
        m_pots[p] = PotView{false, -1};
    // Nobody is to play any more: the last turn mark goes with the game.
    m_currentPlayer = 0;
    m_turnMode.reset();
    for (int s = 1; s <= SeatCount; ++s)
        m_seats[s].turn = false;
    m_gameRunning = false;
    m_startShown = m_hosting;
    touch(Change::Winner | Change::Status | Change::TableCard | Change::Pots | Change::StartButton |
          Change::AllSeats | Change::Offer);
}

void TableModel::startClicked()
{
    if (m_login.loggedIn)
        emit showGameStart();
    else
        emit notice(text::notConnected());
}

void TableModel::requestStart(const QByteArray &rounds, int dummy)
{
    if (!m_login.loggedIn)
        return;
    emit request(wire::startGameRequest(m_login.name, StartingCash, rounds, dummy));
}

} // namespace velmora
