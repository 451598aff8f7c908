#include "tablemodel.h"

#include "cards/random.h"
#include "clientsession.h"
#include "base/error.h"
#include "protocol/fieldreader.h"
#include "protocol/messages.h"

#include <algorithm>

namespace velmora {

namespace {
const QString Waiting = QStringLiteral("<Waiting>");
constexpr const char *ComputerNames[] = {"", "", "Pip", "Pog", "Pax"};

QString text(const QByteArray &bytes) { return QString::fromLatin1(bytes); }

// A seat number that may be the message's last field (before an empty
// card list).
int seatBeforeList(FieldReader &f)
{
    const auto seat = f.numberOrLast(1, 4);
    if (!seat)
        throw Error(QStringLiteral("The seat of a card list is not a valid seat"));
    return *seat;
}

HandCards cardList(FieldReader &f)
{
    const auto cards = readCardList(f.rest());
    if (!cards)
        throw Error(QStringLiteral("The card list is not valid"));
    return *cards;
}
} // namespace

TableModel::TableModel(ClientSession &session, Random &random, QObject *parent)
    : QObject(parent), m_session(session), m_random(random)
{
    for (int s = 1; s <= Seats; ++s)
        m_seats[s].computerName = QLatin1String(ComputerNames[s]);
    m_turnSoundDelay.setSingleShot(true);
    m_turnSoundDelay.setInterval(1000);
    connect(&m_turnSoundDelay, &QTimer::timeout, this, [this] {
        playTurnSound();
        m_potPaidMark = QStringLiteral("y");
    });
}

bool TableModel::handle(Cmd cmd, FieldReader &f)
{
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
    emit changed();
    return true;
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
    return m_dealer == m_session.ownPlayer() ? QStringLiteral("Take Dummy Hand?")
                                             : QStringLiteral("Buy Dummy Hand for 5 dollars?");
}

void TableModel::setHosting(bool hosting)
{
    m_hosting = hosting;
    m_startShown = hosting && !m_gameRunning;
    emit changed();
}

// ---- players and seats -------------------------------------------------------

void TableModel::newplayerinfo(FieldReader &f)
{
    const int n = ClientSession::player(f);
    const QString name = text(f.rest());
    if (n == m_session.ownPlayer()) {
        m_session.systemLine(QStringLiteral("You are Connected."));
        movethem(n);
        emit ownLoginConfirmed();
    } else {
        m_session.systemLine(name + QStringLiteral(" is Connected."));
        emit sound(QStringLiteral("entered"));
    }
    if (n > Seats) {
        m_watchers.append(QString::number(n) + QStringLiteral(": ") + name);
        m_session.systemLine(n == m_session.ownPlayer() ? QStringLiteral("You are spying.")
                                                        : name + QStringLiteral(" is spying."));
    } else {
        m_seats[n].caption = name;
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
        if (m_seats[s].caption == Waiting)
            m_seats[s].caption = m_seats[s].computerName;
}

void TableModel::playerdisconnected(FieldReader &f)
{
    const int n = ClientSession::player(f);
    const QString name = text(f.rest());
    if (n <= Seats) {
        SeatView &seat = m_seats[n];
        m_session.systemLine(seat.caption + QStringLiteral(" disconnected."));
        seat.caption = seat.computerName;
        seat.eyes = false;
    }
    const QString entry = QString::number(n) + QStringLiteral(": ") + name;
    if (m_watchers.removeOne(entry))
        m_session.systemLine(name + QStringLiteral(" has left."));
}

void TableModel::justwatching(FieldReader &f)
{
    const int n = ClientSession::player(f);
    const QByteArray value = f.rest();
    if (n > Seats)
        return;
    SeatView &seat = m_seats[n];
    const bool human = seat.caption != seat.computerName;
    if (value == "1") {
        if (isOwnSeat(n))
            m_justWatch = true;
        if (human) {
            m_session.systemLine(seat.caption + QStringLiteral(" is just watching"));
            seat.eyes = true;
        }
    } else {
        if (isOwnSeat(n))
            m_justWatch = false;
        if (human)
            m_session.systemLine(seat.caption + QStringLiteral(" now playing again"));
        seat.eyes = false;
    }
}

QStringList TableModel::loadchecklist() const
{
    QStringList names;
    for (int s = 1; s <= Seats; ++s)
        if (!isOwnSeat(s) && m_seats[s].caption != Waiting)
            names.append(m_seats[s].caption);
    return names;
}

bool TableModel::canRemove(int seat) const
{
    return m_hosting && seat >= 1 && seat <= Seats && m_seats[seat].caption != Waiting;
}

bool TableModel::canSetJustWatch() const { return m_hosting; }

void TableModel::setJustWatch(int seat, bool on)
{
    if (m_session.loggedIn() && seat >= 1 && seat <= Seats)
        emit m_session.request(wire::justWatch(seat, on ? 1 : 2));
}

void TableModel::toggleOwnJustWatch()
{
    const int own = m_session.ownPlayer();
    if (m_session.loggedIn() && own >= 1 && own <= Seats)
        emit m_session.request(wire::justWatch(own, m_justWatch ? 2 : 1));
}

// ---- the hand ------------------------------------------------------------------

void TableModel::clearHand() { m_hand.fill(HandPosition{}); }

void TableModel::createcard(int handSlot, int card)
{
    for (int p = 1; p <= HandPositions; ++p) {
        if (m_hand[p].handSlot == -1) {
            m_hand[p] = HandPosition{handSlot, card};
            return;
        }
    }
    throw Error(QStringLiteral("The hand cannot hold more than 11 cards"));
}

void TableModel::sortthem()
{
    // Ascending card code from the left: clubs, diamonds, spades, hearts,
    // each from the 2 up to the ace. The hand is always packed from
    // position 1, so sorting the occupied positions is the whole job.
    const int count = handCount();
    std::stable_sort(m_hand.begin() + 1, m_hand.begin() + 1 + count,
                     [](const HandPosition &a, const HandPosition &b) { return a.card < b.card; });
    emit changed();
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
}

void TableModel::newcard(FieldReader &f)
{
    const int seat = seatBeforeList(f);
    const HandCards cards = cardList(f);
    if (!isOwnSeat(seat))
        return;
    for (int slot = 1; slot <= HandPositions; ++slot) {
        if (cards[slot] == NoCard)
            continue;
        createcard(slot, cards[slot]);
        emit sound(QStringLiteral("getcard"));
    }
    sortthem();
}

void TableModel::thedummyhand(FieldReader &f)
{
    const int seat = seatBeforeList(f);
    const HandCards cards = cardList(f);
    if (!isOwnSeat(seat))
        return;
    emit sound(QStringLiteral("buydummy"));
    clearHand();
    for (int slot = 1; slot <= HandPositions; ++slot)
        if (cards[slot] != NoCard)
            createcard(slot, cards[slot]);
    sortthem();
}

void TableModel::playCard(int position)
{
    if (position < 1 || position > HandPositions || m_hand[position].handSlot == -1)
        return;
    const int own = m_session.ownPlayer();
    if (m_session.loggedIn() && m_currentPlayer == own && own >= 1)
        emit m_session.request(wire::playCard(own, m_hand[position].handSlot));
}

void TableModel::hiscard(FieldReader &f)
{
    const int seat = ClientSession::seat(f);
    const int card = ClientSession::card(f);
    const int slot = ClientSession::handSlot(f);
    const int left = ClientSession::wireNumber(f.field(), 0, 52, "number of cards");
    m_currentPlayer = 0;
    m_seats[seat].leftText = QString::number(left);
    m_seats[seat].lastCard = card;
    m_tableCard = card;
    if (isOwnSeat(seat))
        freecard(slot);
    if (m_potPaidMark != QLatin1String("n"))
        emit sound(QStringLiteral("playcard"));
}

void TableModel::wrongcard(FieldReader &f)
{
    const int seat = ClientSession::seat(f);
    const auto reason = f.field();
    if (!isOwnSeat(seat))
        return;
    if (reason == QByteArray("low"))
        m_status = QStringLiteral("You must play the lowest card in a suit.");
    else if (reason == QByteArray("next"))
        m_status = QStringLiteral("You must play the next card in line.");
    emit sound(QStringLiteral("wrongcard"));
}

void TableModel::cardcount(FieldReader &f)
{
    const int seat = ClientSession::seat(f);
    const int count = ClientSession::wireNumber(f.field(), 0, 52, "number of cards");
    m_seats[seat].leftText = QString::number(count);
}

void TableModel::playTurnSound()
{
    emit sound(m_turnSoundNew ? QStringLiteral("turnnew") : QStringLiteral("leadcard"));
}

void TableModel::getnextplayer(FieldReader &f)
{
    const int dealer = ClientSession::seat(f);
    const int player = ClientSession::seat(f);
    const auto mode = f.field();
    if (!mode)
        throw Error(QStringLiteral("Missing mode"));
    m_buyShown = false;
    m_dealer = dealer;
    m_currentPlayer = player;
    for (int s = 1; s <= Seats; ++s) {
        m_seats[s].dealer = s == dealer;
        m_seats[s].turn = s == player;
    }
    if (isOwnSeat(player)) {
        if (*mode == "b") {
            m_status = QStringLiteral("Selling Dummy Hand..");
            m_buyShown = true;
        } else if (*mode == "l") {
            m_status = QStringLiteral("Lead a Card..");
        } else if (*mode == "f") {
            m_status = QStringLiteral("You have the next card");
        }
        emit attention();
        if (m_potPaidMark == QLatin1String("n")) {
            // The turn sound and the mark follow a second later; messages
            // arriving meanwhile are handled first.
            m_turnSoundDelay.start();
            return;
        }
        playTurnSound();
    } else {
        const QString &caption = m_seats[player].caption;
        if (*mode == "b")
            m_status = QStringLiteral("Selling Dummy Hand..");
        else if (*mode == "l")
            m_status = caption + QStringLiteral("'s turn to lead a card.");
        else if (*mode == "f")
            m_status = caption + QStringLiteral(" has the next card.");
    }
    m_potPaidMark = QStringLiteral("y");
}

void TableModel::answerDummy(bool buy)
{
    if (m_session.loggedIn())
        emit m_session.request(wire::buyTheDummy(m_session.ownPlayer(), buy));
    m_buyShown = false;
    emit changed();
}

void TableModel::boughtdummy(FieldReader &f)
{
    const int buyer = ClientSession::seat(f);
    const int buyerCash = ClientSession::wireNumber(f.field(), -99999999, 99999999, "cash");
    const int dealer = ClientSession::seat(f);
    const int dealerCash = ClientSession::wireNumber(f.field(), -99999999, 99999999, "cash");
    m_potText = m_seats[buyer].caption + QStringLiteral(" Got the Dummy Hand.");
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
    s.cashText = QStringLiteral("$") + QString::number(cash);
    s.colour = cash < 0 ? CashColour::Red : CashColour::Green;
    s.chips = chipsFor(cash);
}

std::array<int, 4> TableModel::readCash(FieldReader &f)
{
    std::array<int, 4> cash{};
    for (int &c : cash)
        c = ClientSession::wireNumber(f.field(), -99999999, 99999999, "cash");
    return cash;
}

void TableModel::setante()
{
    for (int p = 1; p <= PotCount; ++p)
        m_pots[p].pile = int(m_random.below(9));
}

void TableModel::startthegame(FieldReader &f)
{
    // The starter's name may hold "+": the last three fields are the cash
    // and the rounds twice, and everything before them is the name.
    const auto fields = splitFromRight(f.rest(), 3);
    if (!fields)
        throw Error(QStringLiteral("The game start is not complete"));
    const QByteArray &starter = (*fields)[0];
    const int rounds = ClientSession::wireNumber((*fields)[2], 0, 99999, "number of rounds");
    m_justWatch = false;
    for (int s = 1; s <= Seats; ++s) {
        m_seats[s].colour = CashColour::Black;
        m_seats[s].eyes = false;
        if (m_seats[s].caption == Waiting)
            m_seats[s].caption = m_seats[s].computerName;
    }
    for (int p = 1; p <= PotCount; ++p)
        m_pots[p] = PotView{true, -1};
    m_winnerShown = false;
    m_startShown = false;
    m_gameRunning = true;
    m_roundsPerGame = rounds;
    m_session.systemLine(text(starter) + QStringLiteral(" has started a game."));
}

void TableModel::startround(FieldReader &f)
{
    const int round = ClientSession::wireNumber(f.field(), 0, 99999, "round");
    const auto cash = readCash(f);
    m_roundOverShown = false;
    m_potText = QStringLiteral("Go for the Cash!");
    m_roundText = QStringLiteral("Round %1 of %2").arg(round).arg(m_roundsPerGame);
    for (int s = 1; s <= Seats; ++s) {
        sethisscore(s, cash[s - 1]);
        m_seats[s].lastCard = -1;
    }
    m_tableCard = -1;
    clearHand();
    setante();
}

void TableModel::gamestats(FieldReader &f)
{
    const int round = ClientSession::wireNumber(f.field(), 0, 99999, "round");
    const int rounds = ClientSession::wireNumber(f.field(), 0, 99999, "number of rounds");
    const auto cash = readCash(f);
    const int table = ClientSession::card(f);
    m_roundsPerGame = rounds;
    m_gameRunning = true;
    m_startShown = false;
    for (int s = 1; s <= Seats; ++s)
        sethisscore(s, cash[s - 1]);
    m_roundText = QStringLiteral("Round %1 of %2").arg(round).arg(rounds);
    m_tableCard = table;
}

void TableModel::addtocash(FieldReader &f)
{
    const int seat = ClientSession::seat(f);
    const int cash = ClientSession::wireNumber(f.field(), -99999999, 99999999, "cash");
    const int pot = ClientSession::pot(f);
    const int amount = ClientSession::wireNumber(f.field(), -99999999, 99999999, "amount");
    emit sound(isOwnSeat(seat) ? QStringLiteral("money") : QStringLiteral("hegotpot"));
    sethisscore(seat, cash);
    m_pots[pot] = PotView{true, -1};
    m_potText = m_seats[seat].caption + QLatin1String(potAnnouncement(pot)) +
                QString::number(amount) + QStringLiteral("!");
    if (pot == Kitty) {
        m_roundOverText = m_potText;
        m_roundOverShown = true;
    }
    m_potPaidMark = QStringLiteral("n");
}

void TableModel::endround(FieldReader &f)
{
    const auto cash = readCash(f);
    emit sound(QStringLiteral("roundover"));
    m_status = QStringLiteral("Round is Over!");
    for (int s = 1; s <= Seats; ++s)
        sethisscore(s, cash[s - 1]);
    m_tableCard = -1;
}

void TableModel::winner(FieldReader &f)
{
    const int winner = ClientSession::seat(f);
    const auto cash = readCash(f);
    m_roundOverShown = false;
    for (int s = 1; s <= Seats; ++s)
        sethisscore(s, cash[s - 1]);
    const int own = m_session.ownPlayer();
    const QString &caption = m_seats[winner].caption;
    if (own >= 1 && own <= Seats) {
        emit tallyGame(winner == own ? QStringLiteral("addtomine") : caption, loadchecklist());
        emit tallyMoney(m_seats[own].cash - StartingCash, 3);
    }
    m_session.systemLine(caption + QStringLiteral(" has Won the Game!"));
    m_winnerText = caption;
    m_winnerShown = true;
    m_status = QStringLiteral("Game Over! The money left in the tray is divided among everyone.");
    m_tableCard = -1;
    for (int p = 1; p <= PotCount; ++p)
        m_pots[p] = PotView{false, -1};
    m_gameRunning = false;
    m_startShown = m_hosting;
    emit sound(QStringLiteral("gameover"));
}

void TableModel::startClicked()
{
    if (m_session.loggedIn())
        emit showGameStart();
    else
        emit notice(QStringLiteral("You are not connected"));
}

void TableModel::requestStart(const QByteArray &rounds, int dummy)
{
    if (!m_session.loggedIn())
        return;
    emit m_session.request(QByteArray("CMD_startgame+") + m_session.loginName() + "+100+" + rounds +
                           '+' + QByteArray::number(dummy) + "+\xFF");
}

} // namespace velmora
