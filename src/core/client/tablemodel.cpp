#include "tablemodel.h"

#include "base/error.h"
#include "cards/random.h"
#include "clientsession.h"
#include "protocol/fieldreader.h"
#include "protocol/messages.h"
#include "protocol/table.h"
#include "protocol/wirenumbers.h"

#include <algorithm>

namespace velmora {

namespace {

// What the table says to the player, in one place: chat lines, prompts,
// banners, notices and error texts. Each text is written exactly as the
// players have always seen it, spelling and all.
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

QString youAreConnected() { return QStringLiteral("You are Connected."); }
QString isConnected(const QString &name) { return name + QStringLiteral(" is Connected."); }
QString youAreSpying() { return QStringLiteral("You are spying."); }
QString isSpying(const QString &name) { return name + QStringLiteral(" is spying."); }
QString disconnected(const QString &caption) { return caption + QStringLiteral(" disconnected."); }
QString hasLeft(const QString &name) { return name + QStringLiteral(" has left."); }
QString isJustWatching(const QString &caption)
{
    return caption + QStringLiteral(" is just watching");
}
QString playsAgain(const QString &caption)
{
    return caption + QStringLiteral(" now playing again");
}

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
QString startedAGame(const QString &starter)
{
    return starter + QStringLiteral(" has started a game.");
}
QString tookPot(const QString &caption, int pot, int amount)
{
    return caption + QLatin1String(potAnnouncement(pot)) + QString::number(amount) +
           QStringLiteral("!");
}
QString roundIsOver() { return QStringLiteral("Round is Over!"); }
QString hasWon(const QString &caption) { return caption + QStringLiteral(" has Won the Game!"); }
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

// The tally's name for a game that the own seat won.
QString ownWin() { return QStringLiteral("addtomine"); }

// Sounds, by the names of the sound set.
namespace sound {
QString entered() { return QStringLiteral("entered"); }
QString getCard() { return QStringLiteral("getcard"); }
QString buyDummy() { return QStringLiteral("buydummy"); }
QString playCard() { return QStringLiteral("playcard"); }
QString wrongCard() { return QStringLiteral("wrongcard"); }
QString turnNew() { return QStringLiteral("turnnew"); }
QString turnClassic() { return QStringLiteral("leadcard"); }
QString money() { return QStringLiteral("money"); }
QString heGotPot() { return QStringLiteral("hegotpot"); }
QString roundOver() { return QStringLiteral("roundover"); }
QString gameOver() { return QStringLiteral("gameover"); }
} // namespace sound

// Values of the host's fields.
constexpr QByteArrayView JustWatchingOn = "1"; // any other value: playing again
constexpr QByteArrayView RefusedNotLowest = "low";
constexpr QByteArrayView RefusedNotNext = "next";
constexpr QByteArrayView OfferMode = "b";
constexpr QByteArrayView LeadMode = "l";
constexpr QByteArrayView FollowMode = "f";

constexpr int MaxRounds = 99999;
constexpr int MaxCardsLeft = 52;

QString latin1(const QByteArray &bytes) { return QString::fromLatin1(bytes); }

// A seat number that may be the message's last field (before an empty
// card list).
int seatBeforeList(FieldReader &f)
{
    const auto seat = f.numberOrLast(1, 4);
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

} // namespace

TableModel::TableModel(const ClientSession &session, Random &random, QObject *parent)
    : QObject(parent), m_session(session), m_random(random), m_status(text::welcome())
{
    for (int s = 1; s <= Seats; ++s) {
        m_seats[s].caption = text::waiting();
        m_seats[s].computerName = text::computerName(s);
    }
    // Before the first game the kitty is empty; the pay-card pots show what
    // wins them.
    m_pots[1].face = false;
    m_turnSoundDelay.setSingleShot(true);
    m_turnSoundDelay.setInterval(1000);
    connect(&m_turnSoundDelay, &QTimer::timeout, this, [this] {
        playTurnSound();
        m_potPaidMark = PotPaidMark::TurnAnnounced;
    });
}

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

void TableModel::updateRaised()
{
    // Only what this client was told: its own hand, the card on the table
    // and the mode of its turn. The rules are the host's: a lead takes the
    // lowest card of any suit, a follow only the next card of the sequence.
    std::array<bool, HandPositions + 1> raised{};
    const int own = m_session.ownPlayer();
    const bool ownTurn = m_raisePlayable && m_session.loggedIn() && own >= 1 && own <= Seats &&
                         m_currentPlayer == own;
    if (ownTurn && m_turnMode == TurnMode::Lead) {
        std::array<int, 4> lowest{}; // hand position of each suit's lowest card
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
    if (raised != m_raised) {
        m_raised = raised;
        touch(Change::OwnHand);
    }
}

void TableModel::systemLine(const QString &line)
{
    emit chatLine(0, line, ClientSession::SystemColour);
}

bool TableModel::isOwnSeat(int seat) const { return seat == m_session.ownPlayer(); }

int TableModel::positionOf(int seat) const
{
    for (int p = 1; p <= Seats; ++p)
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
    return m_dealer == m_session.ownPlayer() ? text::takeDummy() : text::buyDummy();
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
    if (n == m_session.ownPlayer()) {
        systemLine(text::youAreConnected());
        movethem(n);
        emit ownLoginConfirmed();
    } else {
        systemLine(text::isConnected(name));
        emit sound(sound::entered());
    }
    if (n > Seats) {
        m_watchers.append(QString::number(n) + QStringLiteral(": ") + name);
        emit watcherArrived(n, name);
        systemLine(n == m_session.ownPlayer() ? text::youAreSpying() : text::isSpying(name));
    } else {
        m_seats[n].caption = name;
        touch(seatChange(n));
    }
}

void TableModel::movethem(int own)
{
    // Seat s is shown at position ((s - own) mod 4) + 1: the own seat at the
    // bottom left, the others clockwise. Watchers keep the host's order.
    if (own >= 2 && own <= Seats)
        for (int s = 1; s <= Seats; ++s)
            m_seatAtPosition[((s - own + Seats) % Seats) + 1] = s;
    for (int s = 1; s <= Seats; ++s)
        if (m_seats[s].caption == text::waiting())
            m_seats[s].caption = m_seats[s].computerName;
    touch(Change::Layout | Change::AllSeats);
}

void TableModel::playerdisconnected(FieldReader &f)
{
    const int n = wirenumbers::player(f);
    const QString name = latin1(f.rest());
    if (n <= Seats) {
        SeatView &seat = m_seats[n];
        systemLine(text::disconnected(seat.caption));
        seat.caption = seat.computerName;
        seat.eyes = false;
        touch(seatChange(n));
    }
    const QString entry = QString::number(n) + QStringLiteral(": ") + name;
    if (m_watchers.removeOne(entry)) {
        systemLine(text::hasLeft(name));
        emit watcherLeft(n);
    }
}

void TableModel::justwatching(FieldReader &f)
{
    const int n = wirenumbers::player(f);
    const QByteArray value = f.rest();
    if (n > Seats)
        return;
    SeatView &seat = m_seats[n];
    const bool human = seat.caption != seat.computerName;
    if (value == JustWatchingOn) {
        if (isOwnSeat(n))
            m_justWatch = true;
        if (human) {
            systemLine(text::isJustWatching(seat.caption));
            seat.eyes = true;
        }
    } else {
        if (isOwnSeat(n))
            m_justWatch = false;
        if (human)
            systemLine(text::playsAgain(seat.caption));
        seat.eyes = false;
    }
    touch(seatChange(n) | Change::JustWatch);
}

QStringList TableModel::loadchecklist() const
{
    QStringList names;
    for (int s = 1; s <= Seats; ++s)
        if (!isOwnSeat(s) && m_seats[s].caption != text::waiting())
            names.append(m_seats[s].caption);
    return names;
}

bool TableModel::canRemove(int seat) const
{
    return m_hosting && seat >= 1 && seat <= Seats && m_seats[seat].caption != text::waiting();
}

bool TableModel::canSetJustWatch() const { return m_hosting; }

void TableModel::setJustWatch(int seat, bool on)
{
    if (m_session.loggedIn() && seat >= 1 && seat <= Seats)
        emit request(wire::justWatch(seat, on ? 1 : 2));
}

void TableModel::toggleOwnJustWatch()
{
    const int own = m_session.ownPlayer();
    if (m_session.loggedIn() && own >= 1 && own <= Seats)
        emit request(wire::justWatch(own, m_justWatch ? 2 : 1));
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
        emit sound(sound::getCard());
    }
    sortHand();
}

void TableModel::thedummyhand(FieldReader &f)
{
    const int seat = seatBeforeList(f);
    const Hand cards = cardList(f);
    if (!isOwnSeat(seat))
        return;
    emit sound(sound::buyDummy());
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
    const int own = m_session.ownPlayer();
    if (m_session.loggedIn() && m_currentPlayer == own && own >= 1)
        emit request(wire::playCard(own, m_hand[position].handSlot));
}

void TableModel::hiscard(FieldReader &f)
{
    const int seat = wirenumbers::seat(f);
    const int card = wirenumbers::card(f);
    const int slot = wirenumbers::handSlot(f);
    const int left = wirenumbers::wireNumber(f.field(), 0, MaxCardsLeft, text::CardsLeftField);
    m_currentPlayer = 0;
    m_turnMode = TurnMode::None;
    m_seats[seat].leftText = QString::number(left);
    m_seats[seat].lastCard = card;
    m_tableCard = card;
    touch(seatChange(seat) | Change::TableCard);
    if (isOwnSeat(seat))
        freecard(slot);
    if (m_potPaidMark != PotPaidMark::PotPaid)
        emit sound(sound::playCard());
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
    emit sound(sound::wrongCard());
}

void TableModel::cardcount(FieldReader &f)
{
    const int seat = wirenumbers::seat(f);
    const int count = wirenumbers::wireNumber(f.field(), 0, MaxCardsLeft, text::CardsLeftField);
    m_seats[seat].leftText = QString::number(count);
    touch(seatChange(seat));
}

void TableModel::playTurnSound()
{
    emit sound(m_turnSoundNew ? sound::turnNew() : sound::turnClassic());
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
    m_turnMode = *mode == OfferMode    ? TurnMode::Offer
                 : *mode == LeadMode   ? TurnMode::Lead
                 : *mode == FollowMode ? TurnMode::Follow
                                       : TurnMode::None;
    for (int s = 1; s <= Seats; ++s) {
        m_seats[s].dealer = s == dealer;
        m_seats[s].turn = s == player;
    }
    touch(Change::Offer | Change::AllSeats | Change::Status);
    if (isOwnSeat(player)) {
        if (*mode == OfferMode) {
            m_status = text::sellingDummy();
            m_buyShown = true;
        } else if (*mode == LeadMode) {
            m_status = text::leadACard();
        } else if (*mode == FollowMode) {
            m_status = text::youHaveNext();
        }
        emit attention();
        if (m_potPaidMark == PotPaidMark::PotPaid) {
            // The turn sound and the mark follow a second later; messages
            // arriving meanwhile are handled first.
            m_turnSoundDelay.start();
            return;
        }
        playTurnSound();
    } else {
        const QString &caption = m_seats[player].caption;
        if (*mode == OfferMode)
            m_status = text::sellingDummy();
        else if (*mode == LeadMode)
            m_status = text::turnToLead(caption);
        else if (*mode == FollowMode)
            m_status = text::hasNext(caption);
    }
    m_potPaidMark = PotPaidMark::TurnAnnounced;
}

void TableModel::answerDummy(bool buy)
{
    if (m_session.loggedIn())
        emit request(wire::buyTheDummy(m_session.ownPlayer(), buy));
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

std::array<int, 4> TableModel::readCash(FieldReader &f)
{
    std::array<int, 4> cash{};
    for (int &c : cash)
        c = cashNumber(f);
    return cash;
}

void TableModel::setante()
{
    for (int p = 1; p <= PotCount; ++p) {
        m_pots[p].pile = int(m_random.below(9));
        // Every seat antes a dollar into every pot, players or not.
        if (m_pots[p].money >= 0)
            m_pots[p].money += Seats;
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
    for (int s = 1; s <= Seats; ++s) {
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
    systemLine(text::startedAGame(latin1(starter)));
}

void TableModel::startround(FieldReader &f)
{
    const int round = wirenumbers::wireNumber(f.field(), 0, MaxRounds, text::RoundField);
    const auto cash = readCash(f);
    m_roundOverShown = false;
    m_potText = text::goForTheCash();
    m_roundText = text::round(round, m_roundsPerGame);
    for (int s = 1; s <= Seats; ++s) {
        sethisscore(s, cash[s - 1]);
        m_seats[s].lastCard = -1;
    }
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
    for (int s = 1; s <= Seats; ++s)
        sethisscore(s, cash[s - 1]);
    m_roundText = text::round(round, rounds);
    m_tableCard = table;
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
    emit sound(isOwnSeat(seat) ? sound::money() : sound::heGotPot());
    sethisscore(seat, cash);
    m_pots[pot] = PotView{true, -1};
    m_potText = text::tookPot(m_seats[seat].caption, pot, amount);
    touch(Change::Pots | Change::PotText);
    if (pot == Kitty) {
        m_roundOverText = m_potText;
        m_roundOverShown = true;
        touch(Change::RoundOver);
    }
    m_potPaidMark = PotPaidMark::PotPaid;
}

void TableModel::endround(FieldReader &f)
{
    const auto cash = readCash(f);
    emit sound(sound::roundOver());
    m_status = text::roundIsOver();
    for (int s = 1; s <= Seats; ++s)
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
    for (int s = 1; s <= Seats; ++s)
        sethisscore(s, cash[s - 1]);
    const int own = m_session.ownPlayer();
    const QString &caption = m_seats[winner].caption;
    if (own >= 1 && own <= Seats) {
        emit tallyGame(winner == own ? ownWin() : caption, loadchecklist());
        emit tallyMoney(m_seats[own].cash - StartingCash, 3);
    }
    systemLine(text::hasWon(caption));
    m_winnerText = caption;
    m_winnerShown = true;
    m_status = text::gameOver();
    m_tableCard = -1;
    for (int p = 1; p <= PotCount; ++p)
        m_pots[p] = PotView{false, -1};
    // Nobody is to play any more: the last turn mark goes with the game.
    m_currentPlayer = 0;
    m_turnMode = TurnMode::None;
    for (int s = 1; s <= Seats; ++s)
        m_seats[s].turn = false;
    m_gameRunning = false;
    m_startShown = m_hosting;
    touch(Change::Winner | Change::Status | Change::TableCard | Change::Pots | Change::StartButton |
          Change::AllSeats | Change::Offer);
    emit sound(sound::gameOver());
}

void TableModel::startClicked()
{
    if (m_session.loggedIn())
        emit showGameStart();
    else
        emit notice(text::notConnected());
}

void TableModel::requestStart(const QByteArray &rounds, int dummy)
{
    if (!m_session.loggedIn())
        return;
    emit request(wire::startGameRequest(m_session.loginName(), StartingCash, rounds, dummy));
}

} // namespace velmora
