#include "messages.h"

#include "framer.h"

#include <charconv>

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
        if (closingPlus)
            put('+');
        put(Framer::Terminator);
        return m_spilled ? std::move(m_long) : QByteArray(m_buffer, m_length);
    }

private:
    static constexpr qsizetype Capacity = 120;

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

QByteArray cashFields(Builder &&b, const std::array<int, 4> &cash)
{
    for (int c : cash)
        b.num(c);
    return b.close(true);
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
QByteArray startGameRequest(const QByteArray &starter, int cash, const QByteArray &rounds,
                            int dummy)
{
    return Builder(Cmd::StartGame).text(starter).num(cash).text(rounds).num(dummy).close(true);
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

QByteArray sendLoginInfo(int player)
{
    return Builder(Cmd::SendLoginInfo).num(player).close(false);
}
QByteArray full() { return Builder(Cmd::Full).close(true); }
QByteArray newPlayerInfo(int player, const QByteArray &name)
{
    return Builder(Cmd::NewPlayerInfo).num(player).text(name).close(false);
}
QByteArray existingPlayers(int player, const QByteArray &name)
{
    return Builder(Cmd::ExistingPlayers).num(player).text(name).close(false);
}
QByteArray haveWrongVersion(const QByteArray &name)
{
    return Builder(Cmd::HaveWrongVersion).text(name).close(false);
}
QByteArray wrongVersion() { return Builder(Cmd::WrongVersion).close(true); }
QByteArray gameStats(int round, int rounds, const std::array<int, 4> &cash, int tableCard,
                     int currentPlayer)
{
    Builder b(Cmd::GameStats);
    b.num(round).num(rounds);
    for (int c : cash)
        b.num(c);
    return b.num(tableCard).num(currentPlayer).close(true);
}
QByteArray yourCards(int seat, const Hand &hand)
{
    return Builder(Cmd::YourCards).num(seat).cards(hand).close(false);
}
QByteArray nextPlayer(int dealer, int player, char mode)
{
    return Builder(Cmd::NextPlayer).num(dealer).num(player).text(QByteArrayView(&mode, 1)).close(true);
}
QByteArray playerDisconnected(int player, const QByteArray &name)
{
    return Builder(Cmd::PlayerDisconnected).num(player).text(name).close(false);
}
QByteArray chat(int player, const QByteArray &name, const QByteArray &textAndColour)
{
    return Builder(Cmd::Chat).num(player).text(name).raw(" chats: ").raw(textAndColour).close(false);
}
QByteArray action(int player, const QByteArray &name, const QByteArray &textAndColour)
{
    return Builder(Cmd::Action).num(player).text(name).raw(" ").raw(textAndColour).close(false);
}
QByteArray playASound(int player, const QByteArray &soundAndRest)
{
    // The request's rest ("wave3+") passes through unchanged, closing "+"
    // included.
    return Builder(Cmd::PlayASound).num(player).text(soundAndRest).close(false);
}
QByteArray startGame(const QByteArray &starter, int cash, int rounds)
{
    return Builder(Cmd::StartGame).text(starter).num(cash).num(rounds).num(rounds).close(true);
}
QByteArray startRound(int round, const std::array<int, 4> &cash)
{
    return cashFields(std::move(Builder(Cmd::StartRound).num(round)), cash);
}
QByteArray newCard(int seat, const Hand &hand)
{
    return Builder(Cmd::NewCard).num(seat).cards(hand).close(false);
}
QByteArray cardCount(int seat, int count)
{
    return Builder(Cmd::CardCount).num(seat).num(count).close(true);
}
QByteArray theDummyHand(int seat, const Hand &hand)
{
    return Builder(Cmd::TheDummyHand).num(seat).cards(hand).close(false);
}
QByteArray boughtDummy(int buyer, int buyerCash, int dealer, int dealerCash)
{
    return Builder(Cmd::BoughtDummy).num(buyer).num(buyerCash).num(dealer).num(dealerCash).close(true);
}
QByteArray wrongCard(int seat, bool lowest)
{
    return Builder(Cmd::WrongCard).num(seat).text(lowest ? "low" : "next").close(true);
}
QByteArray hisCard(int seat, int card, int handSlot, int cardsLeft)
{
    return Builder(Cmd::HisCard).num(seat).num(card).num(handSlot).num(cardsLeft).close(true);
}
QByteArray addToCash(int seat, int cash, int pot, int amount)
{
    return Builder(Cmd::AddToCash).num(seat).num(cash).num(pot).num(amount).close(true);
}
QByteArray endRound(const std::array<int, 4> &cash, int wentOut)
{
    Builder b(Cmd::EndRound);
    for (int c : cash)
        b.num(c);
    return b.num(wentOut).close(true);
}
QByteArray winner(int seat, const std::array<int, 4> &cash)
{
    return cashFields(std::move(Builder(Cmd::Winner).num(seat)), cash);
}
QByteArray justWatching(int seat, int value)
{
    return Builder(Cmd::JustWatching).num(seat).num(value).close(false);
}

} // namespace velmora::wire
