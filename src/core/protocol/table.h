#pragma once

// The words host and client share about the table: how many seats and
// slots there are, the turn modes and just-watch values as they travel, the
// bounds of money on the wire and which card wins which pot. Both sides
// read them from here so that they cannot drift apart.

#include "cards/card.h"
#include "cards/pots.h"

#include <array>
#include <optional>

namespace velmora {

// Player numbers are connection slots: 1..4 hold the seats, 5..9 watchers.
constexpr int SeatCount = 4;
constexpr int WatcherCount = 5;
constexpr int SlotCount = SeatCount + WatcherCount;

constexpr bool isSeat(int n) { return n >= 1 && n <= SeatCount; }
constexpr bool isSlot(int n) { return n >= 1 && n <= SlotCount; }
constexpr bool isWatcherSlot(int n) { return n > SeatCount && n <= SlotCount; }

// Something per seat, indexed by seat number minus one.
template <typename T>
using PerSeat = std::array<T, SeatCount>;

// What the seat whose turn it is has to do, with the character that names
// it in "CMD_nextplayer".
enum class TurnMode : char {
    Offer = 'b',  // answer the dummy-hand offer
    Lead = 'l',   // lead a card
    Follow = 'f', // play the next card of the suit led
};

constexpr char wireChar(TurnMode mode) { return static_cast<char>(mode); }

constexpr std::optional<TurnMode> turnModeFromWire(char c)
{
    switch (c) {
    case 'b': return TurnMode::Offer;
    case 'l': return TurnMode::Lead;
    case 'f': return TurnMode::Follow;
    default: return std::nullopt;
    }
}

// "CMD_justwatch" / "CMD_justwatching": 1 hands the seat to the computer,
// any other value takes it back; both sides send 2 for that.
constexpr int JustWatchOn = 1;
constexpr int JustWatchOff = 2;

// Money. A start request may ask for at most this much per seat (either
// sign) ...
constexpr int MaxStartCash = 1000000;
// ... and no seat's money or payment on the wire goes beyond this: four
// seats' starting money and every ante and kitty payment of the longest
// game stay far inside it, and sums of it cannot overflow.
constexpr int MaxCash = 99999999;

// The card each single-card pot is won by, indexed by pot number; NoCard
// for the kitty and the two pots won by several cards.
constexpr std::array<int, PotCount + 1> PotCard{
    NoCard,
    NoCard,                        // 1: the kitty
    cardOf(Suit::Clubs, Jack),     // 2
    cardOf(Suit::Clubs, King),     // 3
    cardOf(Suit::Diamonds, Seven), // 4
    cardOf(Suit::Spades, Queen),   // 5
    NoCard,                        // 6: 8, 9 and 10 in a row
    cardOf(Suit::Spades, Ace),     // 7
    NoCard,                        // 8: queen and king of hearts
    cardOf(Suit::Diamonds, Ten),   // 9
};

// The pot that playing `card` wins by itself (pots 2, 3, 4, 5, 7, 9), or 0.
constexpr int singleCardPot(int card)
{
    if (!isCard(card))
        return 0;
    for (int pot = 1; pot <= PotCount; ++pot)
        if (PotCard[pot] == card)
            return pot;
    return 0;
}

// The host's pace unless told otherwise: the pause between rounds, and the
// computer players' time per move at the normal bot speed.
constexpr int RoundPauseMs = 10000;
constexpr int BotIntervalMs = 1000;

} // namespace velmora
