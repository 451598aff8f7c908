#include "command.h"

#include <array>
#include <utility>

namespace velmora {

namespace {
constexpr std::array<std::pair<Cmd, const char *>, 29> commandTable{{
    {Cmd::LoginInfo, "CMD_logininfo"},
    {Cmd::Chat, "CMD_chat"},
    {Cmd::Action, "CMD_action"},
    {Cmd::PlayASound, "CMD_playasound"},
    {Cmd::StartGame, "CMD_startgame"},
    {Cmd::JustWatch, "CMD_justwatch"},
    {Cmd::PlayCard, "CMD_playcard"},
    {Cmd::BuyTheDummy, "CMD_buythedummy"},
    {Cmd::SendLoginInfo, "CMD_sendlogininfo"},
    {Cmd::Full, "CMD_full"},
    {Cmd::NewPlayerInfo, "CMD_newplayerinfo"},
    {Cmd::ExistingPlayers, "CMD_existingplayers"},
    {Cmd::HaveWrongVersion, "CMD_havewrongversion"},
    {Cmd::WrongVersion, "CMD_wrongversion"},
    {Cmd::GameStats, "CMD_gamestats"},
    {Cmd::YourCards, "CMD_yourcards"},
    {Cmd::NextPlayer, "CMD_nextplayer"},
    {Cmd::PlayerDisconnected, "CMD_playerdisconnected"},
    {Cmd::StartRound, "CMD_startround"},
    {Cmd::NewCard, "CMD_newcard"},
    {Cmd::CardCount, "CMD_cardcount"},
    {Cmd::TheDummyHand, "CMD_thedummyhand"},
    {Cmd::BoughtDummy, "CMD_boughtdummy"},
    {Cmd::WrongCard, "CMD_wrongcard"},
    {Cmd::HisCard, "CMD_hiscard"},
    {Cmd::AddToCash, "CMD_addtocash"},
    {Cmd::EndRound, "CMD_endround"},
    {Cmd::Winner, "CMD_winner"},
    {Cmd::JustWatching, "CMD_justwatching"},
}};
} // namespace

QByteArrayView commandText(Cmd cmd)
{
    for (const auto &[c, text] : commandTable)
        if (c == cmd)
            return QByteArrayView(text);
    return {};
}

std::optional<Cmd> commandFromText(QByteArrayView word)
{
    for (const auto &[c, text] : commandTable)
        if (word == QByteArrayView(text))
            return c;
    return std::nullopt;
}

SplitMessage splitMessage(const QByteArray &message)
{
    SplitMessage split;
    const auto plus = message.indexOf('+');
    if (plus < 0)
        return split;
    split.word = message.left(plus);
    split.rest = message.mid(plus + 1);
    split.cmd = commandFromText(split.word);
    return split;
}

} // namespace velmora
