#include "messages.h"

#include "framer.h"

#include <charconv>
#include <cstring>

namespace velmora::wire {

namespace {

// Appends the decimal digits of `value` without building a temporary text.
void appendNumber(QByteArray &text, int value)
{
    char digits[12];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    text.append(digits, result.ptr - digits);
}

// The command word's text, looked up once per command.
QByteArrayView commandWord(Cmd cmd)
{
    constexpr std::size_t Count = std::size_t(Cmd::JustWatching) + 1;
    static const auto words = [] {
        std::array<QByteArrayView, Count> w;
        for (std::size_t i = 0; i < Count; ++i)
            w[i] = commandText(Cmd(i));
        return w;
    }();
    const auto i = std::size_t(cmd);
    return i < Count ? words[i] : commandText(cmd);
}

// Accumulates one message: the command word, then fields each preceded by
// "+"; close() adds the optional closing "+" and the terminator.
//
// A busy table builds tens of thousands of messages a second, nearly all of
// them short, so a message is written into a buffer on the stack and becomes
// a QByteArray, in one allocation, only when it is closed. A longer one (a
// chat line, a long name) moves on to a growing QByteArray.
class Builder
{
public:
    explicit Builder(Cmd cmd) { put(commandWord(cmd)); }
    Builder &num(int value)
    {
        constexpr qsizetype Longest = 12; // "+" and "-2147483648"
        if (!m_spilled && m_length + Longest <= Capacity) {
            m_buffer[m_length++] = '+';
            // Seats, slots, cards and counts: nearly every number has one
            // or two digits, written here without the general conversion.
            if (value >= 0 && value < 100) {
                if (value >= 10)
                    m_buffer[m_length++] = char('0' + value / 10);
                m_buffer[m_length++] = char('0' + value % 10);
                return *this;
            }
            const auto result = std::to_chars(m_buffer + m_length, m_buffer + Capacity, value);
            m_length = result.ptr - m_buffer;
            return *this;
        }
        char digits[Longest];
        const auto result = std::to_chars(digits, digits + Longest, value);
        put('+');
        put(QByteArrayView(digits, result.ptr - digits));
        return *this;
    }
    Builder &text(QByteArrayView value)
    {
        put('+');
        put(value);
        return *this;
    }
    Builder &raw(QByteArrayView value)
    {
        put(value);
        return *this;
    }
    // "+slot+card" for every occupied hand slot, in slot order.
    Builder &cards(const Hand &hand)
    {
        for (int slot = 1; slot <= int(hand.size()); ++slot)
            if (hand[slot - 1] != 0)
                num(slot).num(hand[slot - 1]);
        return *this;
    }
    QByteArray close(bool closingPlus)
    {
        finish(closingPlus);
        return m_spilled ? std::move(m_long) : QByteArray(m_buffer, m_length);
    }
    // Closes the message into `out`; its storage is reused when it is big
    // enough and nobody else holds it.
    QByteArray &close(QByteArray &out, bool closingPlus)
    {
        finish(closingPlus);
        if (m_spilled) {
            out = std::move(m_long);
        } else {
            out.resize(m_length);
            std::memcpy(out.data(), m_buffer, std::size_t(m_length));
        }
        return out;
    }

private:
    static constexpr qsizetype Capacity = 120;

    void finish(bool closingPlus)
    {
        if (closingPlus)
            put('+');
        put(Framer::Terminator);
    }

    void put(char c)
    {
        if (!m_spilled && m_length < Capacity)
            m_buffer[m_length++] = c;
        else
            spill(QByteArrayView(&c, 1));
    }
    void put(QByteArrayView value)
    {
        if (!m_spilled && m_length + value.size() <= Capacity) {
            // fields are a few bytes: a plain loop beats a call to memcpy
            for (const char c : value)
                m_buffer[m_length++] = c;
            return;
        }
        spill(value);
    }
    void spill(QByteArrayView value)
    {
        if (!m_spilled) {
            m_long.reserve(m_length + value.size() + 64);
            m_long.append(m_buffer, m_length);
            m_spilled = true;
        }
        m_long.append(value);
    }

    char m_buffer[Capacity]; // written before it is read: no need to clear it
    qsizetype m_length = 0;
    bool m_spilled = false;
    QByteArray m_long;
};

QByteArray &cashFields(QByteArray &out, Builder &&b, const std::array<int, 4> &cash)
{
    for (int c : cash)
        b.num(c);
    return b.close(out, true);
}

} // namespace

QByteArray cardList(const Hand &hand)
{
    QByteArray list;
    for (int slot = 1; slot <= int(hand.size()); ++slot) {
        if (hand[slot - 1] == 0)
            continue;
        list.append('+');
        appendNumber(list, slot);
        list.append('+');
        appendNumber(list, hand[slot - 1]);
    }
    return list;
}

QByteArray loginInfo(int player, const QByteArray &version, const QByteArray &name)
{
    return Builder(Cmd::LoginInfo).num(player).text(version).text(name).close(false);
}
QByteArray chatRequest(int player, const QByteArray &textAndColour)
{
    return Builder(Cmd::Chat).num(player).text(textAndColour).close(false);
}
QByteArray actionRequest(int player, const QByteArray &textAndColour)
{
    return Builder(Cmd::Action).num(player).text(textAndColour).close(false);
}
QByteArray playASoundRequest(int player, const QByteArray &sound)
{
    return Builder(Cmd::PlayASound).num(player).text(sound).close(true);
}
QByteArray startGameRequest(const QByteArray &starter, int cash, int rounds, bool dummy)
{
    return Builder(Cmd::StartGame).text(starter).num(cash).num(rounds).num(dummy ? 1 : 0).close(true);
}
QByteArray justWatch(int seat, int value)
{
    return Builder(Cmd::JustWatch).num(seat).num(value).close(false);
}
QByteArray playCard(int seat, int handSlot)
{
    return Builder(Cmd::PlayCard).num(seat).num(handSlot).close(true);
}
QByteArray buyTheDummy(int seat, bool buy)
{
    return Builder(Cmd::BuyTheDummy).num(seat).text(buy ? "y" : "n").close(true);
}

QByteArray &sendLoginInfo(QByteArray &out, int player)
{
    return Builder(Cmd::SendLoginInfo).num(player).close(out, false);
}
QByteArray &full(QByteArray &out)
{
    return Builder(Cmd::Full).close(out, true);
}
QByteArray &newPlayerInfo(QByteArray &out, int player, const QByteArray &name)
{
    return Builder(Cmd::NewPlayerInfo).num(player).text(name).close(out, false);
}
QByteArray &existingPlayers(QByteArray &out, int player, const QByteArray &name)
{
    return Builder(Cmd::ExistingPlayers).num(player).text(name).close(out, false);
}
QByteArray &haveWrongVersion(QByteArray &out, const QByteArray &name)
{
    return Builder(Cmd::HaveWrongVersion).text(name).close(out, false);
}
QByteArray &wrongVersion(QByteArray &out)
{
    return Builder(Cmd::WrongVersion).close(out, true);
}
QByteArray &gameStats(QByteArray &out, int round, int rounds, const std::array<int, 4> &cash,
                      int tableCard, int currentPlayer)
{
    Builder b(Cmd::GameStats);
    b.num(round).num(rounds);
    for (int c : cash)
        b.num(c);
    return b.num(tableCard).num(currentPlayer).close(out, true);
}
QByteArray &yourCards(QByteArray &out, int seat, const Hand &hand)
{
    return Builder(Cmd::YourCards).num(seat).cards(hand).close(out, false);
}
QByteArray &nextPlayer(QByteArray &out, int dealer, int player, char mode)
{
    return Builder(Cmd::NextPlayer)
        .num(dealer)
        .num(player)
        .text(QByteArrayView(&mode, 1))
        .close(out, true);
}
QByteArray &playerDisconnected(QByteArray &out, int player, const QByteArray &name)
{
    return Builder(Cmd::PlayerDisconnected).num(player).text(name).close(out, false);
}
QByteArray &chat(QByteArray &out, int player, const QByteArray &name,
                 const QByteArray &textAndColour)
{
    return Builder(Cmd::Chat)
        .num(player)
        .text(name)
        .raw(" chats: ")
        .raw(textAndColour)
        .close(out, false);
}
QByteArray &action(QByteArray &out, int player, const QByteArray &name,
                   const QByteArray &textAndColour)
{
    return Builder(Cmd::Action)
        .num(player)
        .text(name)
        .raw(" ")
        .raw(textAndColour)
        .close(out, false);
}
QByteArray &playASound(QByteArray &out, int player, const QByteArray &soundAndRest)
{
    // The request's rest ("wave3+") passes through unchanged, closing "+"
    // included.
    return Builder(Cmd::PlayASound).num(player).text(soundAndRest).close(out, false);
}
QByteArray &startGame(QByteArray &out, const QByteArray &starter, int cash, int rounds)
{
    return Builder(Cmd::StartGame).text(starter).num(cash).num(rounds).num(rounds).close(out, true);
}
QByteArray &startRound(QByteArray &out, int round, const std::array<int, 4> &cash)
{
    return cashFields(out, std::move(Builder(Cmd::StartRound).num(round)), cash);
}
QByteArray &newCard(QByteArray &out, int seat, const Hand &hand)
{
    return Builder(Cmd::NewCard).num(seat).cards(hand).close(out, false);
}
QByteArray &cardCount(QByteArray &out, int seat, int count)
{
    return Builder(Cmd::CardCount).num(seat).num(count).close(out, true);
}
QByteArray &theDummyHand(QByteArray &out, int seat, const Hand &hand)
{
    return Builder(Cmd::TheDummyHand).num(seat).cards(hand).close(out, false);
}
QByteArray &boughtDummy(QByteArray &out, int buyer, int buyerCash, int dealer, int dealerCash)
{
    return Builder(Cmd::BoughtDummy)
        .num(buyer)
        .num(buyerCash)
        .num(dealer)
        .num(dealerCash)
        .close(out, true);
}
QByteArray &wrongCard(QByteArray &out, int seat, bool lowest)
{
    return Builder(Cmd::WrongCard).num(seat).text(lowest ? "low" : "next").close(out, true);
}
QByteArray &hisCard(QByteArray &out, int seat, int card, int handSlot, int cardsLeft)
{
    return Builder(Cmd::HisCard).num(seat).num(card).num(handSlot).num(cardsLeft).close(out, true);
}
QByteArray &addToCash(QByteArray &out, int seat, int cash, int pot, int amount)
{
    return Builder(Cmd::AddToCash).num(seat).num(cash).num(pot).num(amount).close(out, true);
}
QByteArray &endRound(QByteArray &out, const std::array<int, 4> &cash, int wentOut)
{
    Builder b(Cmd::EndRound);
    for (int c : cash)
        b.num(c);
    return b.num(wentOut).close(out, true);
}
QByteArray &winner(QByteArray &out, int seat, const std::array<int, 4> &cash)
{
    return cashFields(out, std::move(Builder(Cmd::Winner).num(seat)), cash);
}
QByteArray &justWatching(QByteArray &out, int seat, int value)
{
    return Builder(Cmd::JustWatching).num(seat).num(value).close(out, false);
}

QByteArray sendLoginInfo(int player)
{
    QByteArray m;
    sendLoginInfo(m, player);
    return m;
}
QByteArray full()
{
    QByteArray m;
    full(m);
    return m;
}
QByteArray newPlayerInfo(int player, const QByteArray &name)
{
    QByteArray m;
    newPlayerInfo(m, player, name);
    return m;
}
QByteArray existingPlayers(int player, const QByteArray &name)
{
    QByteArray m;
    existingPlayers(m, player, name);
    return m;
}
QByteArray haveWrongVersion(const QByteArray &name)
{
    QByteArray m;
    haveWrongVersion(m, name);
    return m;
}
QByteArray wrongVersion()
{
    QByteArray m;
    wrongVersion(m);
    return m;
}
QByteArray gameStats(int round, int rounds, const std::array<int, 4> &cash, int tableCard,
                     int currentPlayer)
{
    QByteArray m;
    gameStats(m, round, rounds, cash, tableCard, currentPlayer);
    return m;
}
QByteArray yourCards(int seat, const Hand &hand)
{
    QByteArray m;
    yourCards(m, seat, hand);
    return m;
}
QByteArray nextPlayer(int dealer, int player, char mode)
{
    QByteArray m;
    nextPlayer(m, dealer, player, mode);
    return m;
}
QByteArray playerDisconnected(int player, const QByteArray &name)
{
    QByteArray m;
    playerDisconnected(m, player, name);
    return m;
}
QByteArray chat(int player, const QByteArray &name, const QByteArray &textAndColour)
{
    QByteArray m;
    chat(m, player, name, textAndColour);
    return m;
}
QByteArray action(int player, const QByteArray &name, const QByteArray &textAndColour)
{
    QByteArray m;
    action(m, player, name, textAndColour);
    return m;
}
QByteArray playASound(int player, const QByteArray &soundAndRest)
{
    QByteArray m;
    playASound(m, player, soundAndRest);
    return m;
}
QByteArray startGame(const QByteArray &starter, int cash, int rounds)
{
    QByteArray m;
    startGame(m, starter, cash, rounds);
    return m;
}
QByteArray startRound(int round, const std::array<int, 4> &cash)
{
    QByteArray m;
    startRound(m, round, cash);
    return m;
}
QByteArray newCard(int seat, const Hand &hand)
{
    QByteArray m;
    newCard(m, seat, hand);
    return m;
}
QByteArray cardCount(int seat, int count)
{
    QByteArray m;
    cardCount(m, seat, count);
    return m;
}
QByteArray theDummyHand(int seat, const Hand &hand)
{
    QByteArray m;
    theDummyHand(m, seat, hand);
    return m;
}
QByteArray boughtDummy(int buyer, int buyerCash, int dealer, int dealerCash)
{
    QByteArray m;
    boughtDummy(m, buyer, buyerCash, dealer, dealerCash);
    return m;
}
QByteArray wrongCard(int seat, bool lowest)
{
    QByteArray m;
    wrongCard(m, seat, lowest);
    return m;
}
QByteArray hisCard(int seat, int card, int handSlot, int cardsLeft)
{
    QByteArray m;
    hisCard(m, seat, card, handSlot, cardsLeft);
    return m;
}
QByteArray addToCash(int seat, int cash, int pot, int amount)
{
    QByteArray m;
    addToCash(m, seat, cash, pot, amount);
    return m;
}
QByteArray endRound(const std::array<int, 4> &cash, int wentOut)
{
    QByteArray m;
    endRound(m, cash, wentOut);
    return m;
}
QByteArray winner(int seat, const std::array<int, 4> &cash)
{
    QByteArray m;
    winner(m, seat, cash);
    return m;
}
QByteArray justWatching(int seat, int value)
{
    QByteArray m;
    justWatching(m, seat, value);
    return m;
}

} // namespace velmora::wire
