#pragma once

// Card codes: 0 is "no card"; 1..52 are the cards, thirteen to a suit in the
// order clubs, diamonds, spades, hearts, each suit running from the 2 up to
// the ace. A code is also the index of the card's picture (0 = card back).

namespace velmora {

enum class Suit { Clubs = 0, Diamonds = 1, Spades = 2, Hearts = 3 };

constexpr int NoCard = 0;
constexpr int DeckSize = 52;
constexpr int HandSlots = 11;

constexpr bool isCard(int code) { return code >= 1 && code <= DeckSize; }

// Suit of a card code 1..52.
constexpr Suit suitOf(int code) { return static_cast<Suit>((code - 1) / 13); }

// Rank index 0..12 of a card code: 0 is the 2, 8 the 10, 9 the jack,
// 10 the queen, 11 the king and 12 the ace.
constexpr int rankOf(int code) { return (code - 1) % 13; }

// The rank as the pot rules compare it: code mod 13, under which an 8 is 7,
// a 9 is 8, a 10 is 9 and an ace is 0.
constexpr int potRank(int code) { return code % 13; }

// Ranks as rankOf() numbers them.
enum Rank {
    Two = 0,
    Seven = 5,
    Eight = 6,
    Nine = 7,
    Ten = 8,
    Jack = 9,
    Queen = 10,
    King = 11,
    Ace = 12
};

// The code of a card of a suit and rank.
constexpr int cardOf(Suit suit, Rank rank) { return int(suit) * 13 + rank + 1; }

// The first card (the 2) of a card's suit.
constexpr int suitStart(int card) { return card - rankOf(card); }

constexpr bool isAce(int code) { return isCard(code) && code % 13 == 0; }

// The card that follows `code` in its suit, or NoCard after an ace.
constexpr int nextInSuit(int code) { return isAce(code) || !isCard(code) ? NoCard : code + 1; }

constexpr bool sameSuit(int a, int b) { return isCard(a) && isCard(b) && suitOf(a) == suitOf(b); }

// Short text such as "10D" or "AS", for logs and tests.
const char *cardName(int code);

// The card as a person says it, "Ten of Hearts", for screen readers; empty
// for anything that is not a card.
const char *cardFullName(int code);

} // namespace velmora
