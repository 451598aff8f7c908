#include "messages.h"

#include "framer.h"

#include <algorithm>
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

// The command words, each held in a slot of one fixed width: a message
// starts with a copy of known size, which the compiler turns into a few
// moves instead of a byte loop.
struct CommandWord
{
    static constexpr qsizetype Width = 32; // "CMD_playerdisconnected" is 22
    char text[Width];
    qsizetype size;
};

const CommandWord *commandWord(Cmd cmd)
{
    constexpr std::size_t Count = std::size_t(Cmd::JustWatching) + 1;
    static const auto words = [] {
        std::array<CommandWord, Count> w{};
        for (std::size_t i = 0; i < Count; ++i) {
            const QByteArrayView text = commandText(Cmd(i));
            // A word too long for its slot is left out and written as text.
            w[i].size = text.size() <= CommandWord::Width ? text.size() : -1;
            std::copy_n(text.data(), std::max<qsizetype>(w[i].size, 0), w[i].text);
        }
        return w;
    }();
    const auto i = std::size_t(cmd);
    return i < Count && words[i].size >= 0 ? &words[i] : nullptr;
}

// Accumulates one message: the command word, then fields each preceded by
// "+"; close() adds the optional closing "+" and the terminator.
//
// A busy table builds tens of thousands of messages a second, nearly all of
// them short. The message is written straight into its array, whose storage
// is set aside up front and grown only for a long one (a chat line, a long
// name), so that a caller who builds into the same array again and again
// allocates nothing. Bytes go through a local pointer: a store through a
// char pointer may alias any member, and writing through one would make
// the compiler reload the position after every byte.
class Builder
{
public:
    // Builds into `out`, whose storage is reused unless another array
    // shares it.
    Builder(QByteArray &out, Cmd cmd) : m_out(out) { start(cmd); }
    // Builds a new array.
    explicit Builder(Cmd cmd) : m_out(m_own) { start(cmd); }
    Builder(const Builder &) = delete;
    Builder &operator=(const Builder &) = delete;

    // Numbers are most of a game's fields: the short ones are written in
    // place (the compiler left this a call per field), the rare long one
    // by a call.
    [[gnu::always_inline]] Builder &num(int value)
    {
        reserve(Longest);
        m_pos = putNumber(m_pos, value);
        return *this;
    }
    Builder &text(QByteArrayView value)
    {
        reserve(1 + value.size());
        *m_pos++ = '+';
        m_pos = copy(m_pos, value);
        return *this;
    }
    Builder &raw(QByteArrayView value)
    {
        reserve(value.size());
        m_pos = copy(m_pos, value);
        return *this;
    }
    // "+slot+card" for every occupied hand slot, in slot order.
    Builder &cards(const Hand &hand)
    {
        for (int slot = 1; slot <= int(hand.size()); ++slot) {
            if (hand[slot - 1] != 0) {
                reserve(2 * Longest);
                m_pos = putNumber(putNumber(m_pos, slot), hand[slot - 1]);
            }
        }
        return *this;
    }
    // Ends the message and returns the array it was built in.
    QByteArray &close(bool closingPlus)
    {
        reserve(2);
        if (closingPlus)
            *m_pos++ = '+';
        *m_pos++ = Framer::Terminator;
        m_out.resize(m_pos - m_begin); // shrinking keeps the storage
        return m_out;
    }

private:
    static constexpr qsizetype Longest = 12;  // "+" and "-2147483648"
    static constexpr qsizetype Initial = 128; // longer than any message of a game

    void start(Cmd cmd)
    {
        static_assert(Initial >= CommandWord::Width);
        m_out.resize(Initial);
        m_begin = m_pos = m_out.data();
        m_end = m_begin + Initial;
        if (const CommandWord *word = commandWord(cmd)) {
            std::memcpy(m_pos, word->text, CommandWord::Width);
            m_pos += word->size;
        } else {
            raw(commandText(cmd));
        }
    }
    void reserve(qsizetype more)
    {
        if (m_end - m_pos < more)
            grow(more);
    }
    void grow(qsizetype more)
    {
        const qsizetype used = m_pos - m_begin;
        m_out.resize(2 * (used + more));
        m_begin = m_out.data();
        m_pos = m_begin + used;
        m_end = m_begin + m_out.size();
    }
    // "+" and the number's decimal digits at `p`; returns the end.
    [[gnu::always_inline]] static char *putNumber(char *p, int value)
    {
        *p++ = '+';
        // Seats, slots, cards and counts: nearly every number has one or
        // two digits, written here without the general conversion.
        if (value >= 0 && value < 100) {
            if (value >= 10)
                *p++ = char('0' + value / 10);
            *p++ = char('0' + value % 10);
            return p;
        }
        return putLong(p, value);
    }
    [[gnu::noinline]] static char *putLong(char *p, int value)
    {
        return std::to_chars(p, p + Longest - 1, value).ptr;
    }
    static char *copy(char *p, QByteArrayView value)
    {
        // fields are a few bytes: a plain loop beats a call to memcpy
        for (const char c : value)
            *p++ = c;
        return p;
    }

    QByteArray m_own;
    QByteArray &m_out;
    char *m_begin = nullptr;
    char *m_pos = nullptr;
    char *m_end = nullptr;
};

QByteArray &cashFields(Builder &b, const PerSeat<int> &cash)
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

QByteArray &sendLoginInfo(QByteArray &out, int player)
{
    return Builder(out, Cmd::SendLoginInfo).num(player).close(false);
}
QByteArray &full(QByteArray &out) { return Builder(out, Cmd::Full).close(true); }
QByteArray &newPlayerInfo(QByteArray &out, int player, const QByteArray &name)
{
    return Builder(out, Cmd::NewPlayerInfo).num(player).text(name).close(false);
}
QByteArray &existingPlayers(QByteArray &out, int player, const QByteArray &name)
{
    return Builder(out, Cmd::ExistingPlayers).num(player).text(name).close(false);
}
QByteArray &haveWrongVersion(QByteArray &out, const QByteArray &name)
{
    return Builder(out, Cmd::HaveWrongVersion).text(name).close(false);
}
QByteArray &wrongVersion(QByteArray &out) { return Builder(out, Cmd::WrongVersion).close(true); }
QByteArray &gameStats(QByteArray &out, int round, int rounds, const PerSeat<int> &cash,
                      int tableCard, int currentPlayer)
{
    Builder b(out, Cmd::GameStats);
    b.num(round).num(rounds);
    for (int c : cash)
        b.num(c);
    return b.num(tableCard).num(currentPlayer).close(true);
}
QByteArray &yourCards(QByteArray &out, int seat, const Hand &hand)
{
    return Builder(out, Cmd::YourCards).num(seat).cards(hand).close(false);
}
QByteArray &nextPlayer(QByteArray &out, int dealer, int player, TurnMode mode)
{
    const char c = wireChar(mode);
    return Builder(out, Cmd::NextPlayer)
        .num(dealer)
        .num(player)
        .text(QByteArrayView(&c, 1))
        .close(true);
}
QByteArray &playerDisconnected(QByteArray &out, int player, const QByteArray &name)
{
    return Builder(out, Cmd::PlayerDisconnected).num(player).text(name).close(false);
}
QByteArray &chat(QByteArray &out, int player, const QByteArray &name,
                 const QByteArray &textAndColour)
{
    return Builder(out, Cmd::Chat)
        .num(player)
        .text(name)
        .raw(" chats: ")
        .raw(textAndColour)
        .close(false);
}
QByteArray &action(QByteArray &out, int player, const QByteArray &name,
                   const QByteArray &textAndColour)
{
    return Builder(out, Cmd::Action)
        .num(player)
        .text(name)
        .raw(" ")
        .raw(textAndColour)
        .close(false);
}
QByteArray &playASound(QByteArray &out, int player, const QByteArray &soundAndRest)
{
    // The request's rest ("wave3+") passes through unchanged, closing "+"
    // included.
    return Builder(out, Cmd::PlayASound).num(player).text(soundAndRest).close(false);
}
QByteArray &startGame(QByteArray &out, const QByteArray &starter, int cash, int rounds)
{
    return Builder(out, Cmd::StartGame).text(starter).num(cash).num(rounds).num(rounds).close(true);
}
QByteArray &startRound(QByteArray &out, int round, const PerSeat<int> &cash)
{
    return cashFields(Builder(out, Cmd::StartRound).num(round), cash);
}
QByteArray &newCard(QByteArray &out, int seat, const Hand &hand)
{
    return Builder(out, Cmd::NewCard).num(seat).cards(hand).close(false);
}
QByteArray &cardCount(QByteArray &out, int seat, int count)
{
    return Builder(out, Cmd::CardCount).num(seat).num(count).close(true);
}
QByteArray &theDummyHand(QByteArray &out, int seat, const Hand &hand)
{
    return Builder(out, Cmd::TheDummyHand).num(seat).cards(hand).close(false);
}
QByteArray &boughtDummy(QByteArray &out, int buyer, int buyerCash, int dealer, int dealerCash)
{
    return Builder(out, Cmd::BoughtDummy)
        .num(buyer)
        .num(buyerCash)
        .num(dealer)
        .num(dealerCash)
        .close(true);
}
QByteArray &wrongCard(QByteArray &out, int seat, bool lowest)
{
    return Builder(out, Cmd::WrongCard).num(seat).text(lowest ? "low" : "next").close(true);
}
QByteArray &hisCard(QByteArray &out, int seat, int card, int handSlot, int cardsLeft)
{
    return Builder(out, Cmd::HisCard).num(seat).num(card).num(handSlot).num(cardsLeft).close(true);
}
QByteArray &addToCash(QByteArray &out, int seat, int cash, int pot, int amount)
{
    return Builder(out, Cmd::AddToCash).num(seat).num(cash).num(pot).num(amount).close(true);
}
QByteArray &endRound(QByteArray &out, const PerSeat<int> &cash, int wentOut)
{
    Builder b(out, Cmd::EndRound);
    for (int c : cash)
        b.num(c);
    return b.num(wentOut).close(true);
}
QByteArray &winner(QByteArray &out, int seat, const PerSeat<int> &cash)
{
    return cashFields(Builder(out, Cmd::Winner).num(seat), cash);
}
QByteArray &justWatching(QByteArray &out, int seat, int value)
{
    return Builder(out, Cmd::JustWatching).num(seat).num(value).close(false);
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
QByteArray gameStats(int round, int rounds, const PerSeat<int> &cash, int tableCard,
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
QByteArray nextPlayer(int dealer, int player, TurnMode mode)
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
QByteArray startRound(int round, const PerSeat<int> &cash)
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
QByteArray endRound(const PerSeat<int> &cash, int wentOut)
{
    QByteArray m;
    endRound(m, cash, wentOut);
    return m;
}
QByteArray winner(int seat, const PerSeat<int> &cash)
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
