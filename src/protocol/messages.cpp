#include "messages.h"

#include "framer.h"

namespace velmora::wire {

namespace {

// Accumulates one message: the command word, then fields each preceded by
// "+"; close() adds the optional closing "+" and the terminator.
class Builder
{
public:
    explicit Builder(Cmd cmd)
    {
        m_text.reserve(48);
        m_text.append(commandText(cmd));
    }
    Builder &num(int value)
    {
        m_text.append('+');
        m_text.append(QByteArray::number(value));
        return *this;
    }
    Builder &text(const QByteArray &value)
    {
        m_text.append('+');
        m_text.append(value);
        return *this;
    }
    Builder &raw(const QByteArray &value)
    {
        m_text.append(value);
        return *this;
    }
    QByteArray close(bool closingPlus)
    {
        if (closingPlus)
            m_text.append('+');
        m_text.append(Framer::Terminator);
        return std::move(m_text);
    }

private:
    QByteArray m_text;
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
        list.append(QByteArray::number(slot));
        list.append('+');
        list.append(QByteArray::number(hand[slot - 1]));
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
    return Builder(Cmd::YourCards).num(seat).raw(cardList(hand)).close(false);
}
QByteArray nextPlayer(int dealer, int player, char mode)
{
    return Builder(Cmd::NextPlayer).num(dealer).num(player).text(QByteArray(1, mode)).close(true);
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
    return Builder(Cmd::NewCard).num(seat).raw(cardList(hand)).close(false);
}
QByteArray cardCount(int seat, int count)
{
    return Builder(Cmd::CardCount).num(seat).num(count).close(true);
}
QByteArray theDummyHand(int seat, const Hand &hand)
{
    return Builder(Cmd::TheDummyHand).num(seat).raw(cardList(hand)).close(false);
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
