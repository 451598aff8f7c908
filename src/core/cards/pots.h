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

// The pot that playing `card` wins by itself (pots 2, 3, 4, 5, 7, 9), or 0.
constexpr int singleCardPot(int card)
{
    switch (card) {
    case cardOf(Suit::Clubs, Jack): return 2;
    case cardOf(Suit::Clubs, King): return 3;
    case cardOf(Suit::Diamonds, Seven): return 4;
    case cardOf(Suit::Spades, Queen): return 5;
    case cardOf(Suit::Spades, Ace): return 7;
    case cardOf(Suit::Diamonds, Ten): return 9;
    default: return 0;
    }
}

// Caption of a pot on the table ("" for the kitty).
const char *potName(int pot);

// Announcement of a pot payment, following the winner's name; the client
// completes it with the amount and "!".
const char *potAnnouncement(int pot);

} // namespace velmora
