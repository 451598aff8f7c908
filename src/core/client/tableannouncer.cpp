#include "tableannouncer.h"

#include "tablemodel.h"

namespace velmora {

namespace {

// The lines the table writes into the chat, exactly as the players have
// always seen them.
namespace text {
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
QString startedAGame(const QString &starter)
{
    return starter + QStringLiteral(" has started a game.");
}
QString hasWon(const QString &caption) { return caption + QStringLiteral(" has Won the Game!"); }
} // namespace text

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

constexpr int TurnSoundDelayMs = 1000;

} // namespace

TableAnnouncer::TableAnnouncer(const TableModel &table, QObject *parent)
    : QObject(parent), m_table(table)
{
    m_turnSoundDelay.setSingleShot(true);
    m_turnSoundDelay.setInterval(TurnSoundDelayMs);
    connect(&m_turnSoundDelay, &QTimer::timeout, this, [this] {
        playTurnSound();
        m_potPaidMark = PotPaidMark::TurnAnnounced;
    });

    const auto play = [this](QString (*name)()) { return [this, name] { emit sound(name()); }; };
    connect(&table, &TableModel::playerConnected, this, &TableAnnouncer::playerConnected);
    connect(&table, &TableModel::watcherArrived, this, &TableAnnouncer::watcherArrived);
    connect(&table, &TableModel::seatDisconnected, this,
            [this](int, const QString &caption) { systemLine(text::disconnected(caption)); });
    connect(&table, &TableModel::watcherLeft, this,
            [this](int, const QString &name) { systemLine(text::hasLeft(name)); });
    connect(&table, &TableModel::seatWatching, this, &TableAnnouncer::seatWatching);
    connect(&table, &TableModel::cardReceived, this, play(sound::getCard));
    connect(&table, &TableModel::dummyHandReceived, this, play(sound::buyDummy));
    connect(&table, &TableModel::cardPlayed, this, &TableAnnouncer::cardPlayed);
    connect(&table, &TableModel::cardRefused, this, play(sound::wrongCard));
    connect(&table, &TableModel::turnPassed, this, &TableAnnouncer::turnPassed);
    connect(&table, &TableModel::potPaid, this, &TableAnnouncer::potPaid);
    connect(&table, &TableModel::roundEnded, this, play(sound::roundOver));
    connect(&table, &TableModel::gameStarted, this,
            [this](const QString &starter) { systemLine(text::startedAGame(starter)); });
    connect(&table, &TableModel::gameWon, this, &TableAnnouncer::gameWon);
    connect(&table, &TableModel::hintGiven, this,
            [this](int, const QString &line) { systemLine(line); });
}

void TableAnnouncer::systemLine(const QString &line) { emit chatLine(0, line, SystemColour); }

void TableAnnouncer::playerConnected(int player, const QString &name)
{
    if (m_table.isOwnSeat(player)) {
        systemLine(text::youAreConnected());
        return;
    }
    systemLine(text::isConnected(name));
    emit sound(sound::entered());
}

void TableAnnouncer::watcherArrived(int player, const QString &name)
{
    systemLine(m_table.isOwnSeat(player) ? text::youAreSpying() : text::isSpying(name));
}

void TableAnnouncer::seatWatching(int seat, bool watching)
{
    const QString &caption = m_table.seat(seat).caption;
    systemLine(watching ? text::isJustWatching(caption) : text::playsAgain(caption));
}

void TableAnnouncer::cardPlayed()
{
    if (m_potPaidMark != PotPaidMark::PotPaid)
        emit sound(sound::playCard());
}

void TableAnnouncer::playTurnSound()
{
    emit sound(m_turnSoundNew ? sound::turnNew() : sound::turnClassic());
}

void TableAnnouncer::turnPassed(int player)
{
    if (m_table.isOwnSeat(player)) {
        if (m_potPaidMark == PotPaidMark::PotPaid) {
            // The turn sound and the mark follow a second later; messages
            // arriving meanwhile are handled first.
            m_turnSoundDelay.start();
            return;
        }
        playTurnSound();
    }
    m_potPaidMark = PotPaidMark::TurnAnnounced;
}

void TableAnnouncer::potPaid(int seat)
{
    emit sound(m_table.isOwnSeat(seat) ? sound::money() : sound::heGotPot());
    m_potPaidMark = PotPaidMark::PotPaid;
}

void TableAnnouncer::gameWon(int seat)
{
    systemLine(text::hasWon(m_table.seat(seat).caption));
    emit sound(sound::gameOver());
}

} // namespace velmora
