#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace velmora {

// Every command word of the wire protocol. Four words (chat, action,
// playasound, startgame) travel in both directions with different fields.
enum class Cmd {
    // client to host
    LoginInfo,
    Chat,
    Action,
    PlayASound,
    StartGame,
    JustWatch,
    PlayCard,
    BuyTheDummy,
    // host to client
    SendLoginInfo,
    Full,
    NewPlayerInfo,
    ExistingPlayers,
    HaveWrongVersion,
    WrongVersion,
    GameStats,
    YourCards,
    NextPlayer,
    PlayerDisconnected,
    StartRound,
    NewCard,
    CardCount,
    TheDummyHand,
    BoughtDummy,
    WrongCard,
    HisCard,
    AddToCash,
    EndRound,
    Winner,
    JustWatching,
};

// The exact text of a command word, e.g. "CMD_hiscard".
QByteArrayView commandText(Cmd cmd);

// The command that a word names; the comparison is exact, letter case included.
std::optional<Cmd> commandFromText(QByteArrayView word);

// A received message cut at its first "+": the command word and the rest.
// A message without "+" has an empty word and so no command.
struct SplitMessage
{
    std::optional<Cmd> cmd;
    QByteArray word;
    QByteArray rest;
};
SplitMessage splitMessage(const QByteArray &message);

} // namespace velmora
