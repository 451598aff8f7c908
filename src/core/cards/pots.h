#pragma once

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
    case 10: return 2;  // jack of clubs
    case 12: return 3;  // king of clubs
    case 19: return 4;  // seven of diamonds
    case 37: return 5;  // queen of spades
    case 39: return 7;  // ace of spades
    case 22: return 9;  // ten of diamonds
    default: return 0;
    }
}

// Caption of a pot on the table ("" for the kitty).
const char *potName(int pot);

// Announcement of a pot payment, following the winner's name; the client
// completes it with the amount and "!".
const char *potAnnouncement(int pot);

} // namespace velmora
