#pragma once

#include "card.h"

#include <array>

namespace velmora {

class Random;

// The 52-card deck. Positions are 1-based as the deal counts them.
class Deck
{
public:
    // Places each card 1..52 in turn at a uniformly drawn free position,
    // drawing again while the drawn position is taken.
    void shuffle(Random &random);

    // Card at position 1..52 (NoCard outside that range).
    int at(int position) const
    {
        return position >= 1 && position <= DeckSize ? m_cards[position - 1] : NoCard;
    }

private:
    std::array<int, DeckSize> m_cards{};
};

} // namespace velmora
