#pragma once

#include "card.h"

namespace velmora {

// The nine pots. Pot 1 is the kitty, won by going out; pots 2..9 are won by
// playing their card or cards.
constexpr int PotCount = 9;
constexpr int Kitty = 1;
constexpr int PotEightNineTen = 6;
constexpr int PotQueenKingHearts = 8;

constexpr bool isPot(int pot) { return pot >= 1 && pot <= PotCount; }

// Caption of a pot on the table ("" for the kitty).
const char *potName(int pot);

// Announcement of a pot payment, following the winner's name; the client
// completes it with the amount and "!".
const char *potAnnouncement(int pot);

} // namespace velmora
