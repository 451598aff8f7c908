#pragma once

#include "cards/card.h"
#include "protocol/table.h"

#include <array>
#include <cstdint>

namespace velmora {

// A set of cards as one bit per card code (bit 0 unused).
using CardSet = std::uint64_t;

constexpr CardSet cardBit(int card) { return CardSet(1) << card; }

// What everybody at the table can know about the round so far, read only
// from the plays themselves: which cards are gone, which cards lie in no
// hand (a sequence that stopped short of the ace says nobody holds its next
// card), and how low each seat can still hold in each suit (a lead is the
// lowest card of its suit, so the leader holds nothing below it). The host
// and every client keep one alike, so a computer seat and a player's hint
// reason from the same facts.
class RoundRecord
{
public:
    void clear() { *this = RoundRecord{}; }

    // `seat` played `card`; `lead` when the card began a sequence.
    void cardPlayed(int seat, int card, bool lead);
    // The sequence stopped after `card` although it was no ace.
    void sequenceStopped(int card);

    CardSet played() const { return m_played; }
    CardSet outOfPlay() const { return m_outOfPlay; }
    // The lowest card of `suit` that `seat` may still hold.
    int lowestPossible(int seat, Suit suit) const;

private:
    CardSet m_played = 0;
    CardSet m_outOfPlay = 0;
    // Per seat and suit: the highest card it led in that suit, 0 before any.
    PerSeat<std::array<int, 4>> m_led{};
};

} // namespace velmora
