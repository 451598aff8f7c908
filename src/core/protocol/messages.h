#pragma once

#include "cards/hand.h"

#include "command.h"
#include "table.h"

#include <QByteArray>

// Builders for every wire message, each returned complete with its closing
// 0xFF and ready for one send. Fields are "+"-separated; a message "with a
// closing +" ends its last field with "+" too, while one without lets its
// last field (a name or chat text) run up to the 0xFF, so it may hold "+".
namespace velmora::wire {

// "+slot+card" for every occupied hand slot, in slot order.
QByteArray cardList(const Hand &hand);

// client to host
QByteArray loginInfo(int player, const QByteArray &version, const QByteArray &name);
QByteArray chatRequest(int player, const QByteArray &textAndColour);
QByteArray actionRequest(int player, const QByteArray &textAndColour);
QByteArray playASoundRequest(int player, const QByteArray &sound);
// The rounds go as the game start dialog shows them, and the dummy-hands
// flag as it is set: the host judges both.
QByteArray startGameRequest(const QByteArray &starter, int cash, const QByteArray &rounds,
                            int dummy);
QByteArray justWatch(int seat, int value);
QByteArray playCard(int seat, int handSlot);
QByteArray buyTheDummy(int seat, bool buy);

// host to client
QByteArray sendLoginInfo(int player);
QByteArray full();
QByteArray newPlayerInfo(int player, const QByteArray &name);
QByteArray existingPlayers(int player, const QByteArray &name);
QByteArray haveWrongVersion(const QByteArray &name);
QByteArray wrongVersion();
QByteArray gameStats(int round, int rounds, const PerSeat<int> &cash, int tableCard,
                     int currentPlayer);
QByteArray yourCards(int seat, const Hand &hand);
QByteArray nextPlayer(int dealer, int player, TurnMode mode);
QByteArray playerDisconnected(int player, const QByteArray &name);
QByteArray chat(int player, const QByteArray &name, const QByteArray &textAndColour);
QByteArray action(int player, const QByteArray &name, const QByteArray &textAndColour);
QByteArray playASound(int player, const QByteArray &soundAndRest);
QByteArray startGame(const QByteArray &starter, int cash, int rounds);
QByteArray startRound(int round, const PerSeat<int> &cash);
QByteArray newCard(int seat, const Hand &hand);
QByteArray cardCount(int seat, int count);
QByteArray theDummyHand(int seat, const Hand &hand);
QByteArray boughtDummy(int buyer, int buyerCash, int dealer, int dealerCash);
QByteArray wrongCard(int seat, bool lowest);
QByteArray hisCard(int seat, int card, int handSlot, int cardsLeft);
QByteArray addToCash(int seat, int cash, int pot, int amount);
QByteArray endRound(const PerSeat<int> &cash, int wentOut);
QByteArray winner(int seat, const PerSeat<int> &cash);
QByteArray justWatching(int seat, int value);

// The same host-to-client messages written into `out`, replacing what it
// held, and `out` returned. A host sends tens of thousands of messages a
// second; building each one in the caller's buffer reuses that buffer's
// storage instead of allocating per message. `out` must not be one of the
// other arguments.
QByteArray &sendLoginInfo(QByteArray &out, int player);
QByteArray &full(QByteArray &out);
QByteArray &newPlayerInfo(QByteArray &out, int player, const QByteArray &name);
QByteArray &existingPlayers(QByteArray &out, int player, const QByteArray &name);
QByteArray &haveWrongVersion(QByteArray &out, const QByteArray &name);
QByteArray &wrongVersion(QByteArray &out);
QByteArray &gameStats(QByteArray &out, int round, int rounds, const PerSeat<int> &cash,
                      int tableCard, int currentPlayer);
QByteArray &yourCards(QByteArray &out, int seat, const Hand &hand);
QByteArray &nextPlayer(QByteArray &out, int dealer, int player, TurnMode mode);
QByteArray &playerDisconnected(QByteArray &out, int player, const QByteArray &name);
QByteArray &chat(QByteArray &out, int player, const QByteArray &name,
                 const QByteArray &textAndColour);
QByteArray &action(QByteArray &out, int player, const QByteArray &name,
                   const QByteArray &textAndColour);
QByteArray &playASound(QByteArray &out, int player, const QByteArray &soundAndRest);
QByteArray &startGame(QByteArray &out, const QByteArray &starter, int cash, int rounds);
QByteArray &startRound(QByteArray &out, int round, const PerSeat<int> &cash);
QByteArray &newCard(QByteArray &out, int seat, const Hand &hand);
QByteArray &cardCount(QByteArray &out, int seat, int count);
QByteArray &theDummyHand(QByteArray &out, int seat, const Hand &hand);
QByteArray &boughtDummy(QByteArray &out, int buyer, int buyerCash, int dealer, int dealerCash);
QByteArray &wrongCard(QByteArray &out, int seat, bool lowest);
QByteArray &hisCard(QByteArray &out, int seat, int card, int handSlot, int cardsLeft);
QByteArray &addToCash(QByteArray &out, int seat, int cash, int pot, int amount);
QByteArray &endRound(QByteArray &out, const PerSeat<int> &cash, int wentOut);
QByteArray &winner(QByteArray &out, int seat, const PerSeat<int> &cash);
QByteArray &justWatching(QByteArray &out, int seat, int value);

} // namespace velmora::wire
