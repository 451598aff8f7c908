#pragma once

#include "client/tablemodel.h"

#include <QString>

namespace velmora::spoken {

// What a screen reader says for the table's widgets, so that a player who
// cannot see the table can follow it: "Pog, 91 dollars, 8 cards, dealer",
// "Ten of Hearts", "Pot: Ace of Spades, 4 dollars".
QString seat(const TableModel::SeatView &seat);
QString card(int code);
QString handCard(int code, bool playable);
QString emptyHand();
QString pot(int pot, const TableModel::PotView &view);

} // namespace velmora::spoken
